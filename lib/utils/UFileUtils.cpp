#include "utils/UFileUtils.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include "platform/WinHandles.h"
#else
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

const char* const FolderAccessProbeName = "{96EBF6A5-779D-4858-BB01-3D90F537145B}.txt";

namespace {

#ifdef _WIN32
constexpr char PathDelim = '\\';
constexpr uint32_t AccessDeniedError = ERROR_ACCESS_DENIED;
#else
constexpr char PathDelim = '/';
constexpr uint32_t AccessDeniedError = EACCES;
#endif

// The drive a path starts with: "C:", or "\\server\share" for a network name; "" otherwise.
std::string DriveOf(const std::string& Path)
{
    if (Path.size() >= 2 && Path[1] == ':') return Path.substr(0, 2);
    if (Path.size() >= 2 && IsPathDelimiter(Path[0]) && IsPathDelimiter(Path[1])) {
        size_t I = 2;
        for (int Part = 0; Part < 2 && I <= Path.size(); ++Part) {
            while (I < Path.size() && !IsPathDelimiter(Path[I])) ++I;
            if (Part == 0 && I < Path.size()) ++I;
        }
        return Path.substr(0, I);
    }
    return {};
}

std::vector<std::string> SplitComponents(const std::string& Path)
{
    std::vector<std::string> R;
    std::string Cur;
    for (char C : Path) {
        if (IsPathDelimiter(C)) {
            if (!Cur.empty()) R.push_back(std::move(Cur));
            Cur.clear();
        } else {
            Cur += C;
        }
    }
    if (!Cur.empty()) R.push_back(std::move(Cur));
    return R;
}

bool SameFileName(const std::string& A, const std::string& B)
{
#ifdef _WIN32
    return AnsiSameText(A, B);
#else
    return A == B;
#endif
}

std::string WithErrorText(std::string Message, uint32_t Error)
{
    if (Error != AccessDeniedError) Message += ", ошибка: " + SysErrorMessage(Error);
    return Message;
}

#ifndef _WIN32
// Natively "\" in a name is taken as the delimiter it is on the target systems.
std::string ToNative(const std::string& Path)
{
    std::string R(Path);
    for (char& C : R)
        if (C == '\\') C = '/';
    return R;
}

// Resolves "." and ".." and repeated delimiters of an absolute name, keeping a trailing delimiter.
std::string NormalizeAbsolute(const std::string& Path)
{
    std::vector<std::string> Out;
    for (std::string& C : SplitComponents(Path)) {
        if (C == ".") continue;
        if (C == "..") {
            if (!Out.empty()) Out.pop_back();
            continue;
        }
        Out.push_back(std::move(C));
    }
    std::string R;
    for (const std::string& C : Out) R += "/" + C;
    if (R.empty() || (!Path.empty() && IsPathDelimiter(Path.back()))) R += '/';
    return R;
}

std::string CurrentDir()
{
    std::string Buf(4096, '\0');
    while (!getcwd(Buf.data(), Buf.size())) {
        if (errno != ERANGE) RaiseLastOSError();
        Buf.resize(Buf.size() * 2);
    }
    return Buf.c_str();
}

bool IsDirectory(const std::string& Path)
{
    struct stat St;
    return stat(ToNative(Path).c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool IsFile(const std::string& Path)
{
    struct stat St;
    return stat(ToNative(Path).c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
}

// The platform's full-path expansion against the current directory.
std::string FullPathName(const std::string& FileName)
{
    if (FileName.empty()) return {};
    std::string N = ToNative(FileName);
    if (N[0] != '/') N = CurrentDir() + "/" + N;
    return NormalizeAbsolute(N);
}

bool CreateDirectoryTree(const std::string& Dir, uint32_t& Error)
{
    std::string D = ExcludePathDelimiter(ToNative(Dir));
    if (D.empty() || IsDirectory(D)) return true;
    size_t Slash = D.find_last_of('/');
    if (Slash != std::string::npos && Slash > 0 && !CreateDirectoryTree(D.substr(0, Slash), Error)) return false;
    if (mkdir(D.c_str(), 0777) == 0 || (errno == EEXIST && IsDirectory(D))) return true;
    Error = static_cast<uint32_t>(errno);
    return false;
}

// Copies in chunks, checking Cancel between them; a cancelled copy removes its partial destination.
bool SystemCopyFile(const std::string& Source, const std::string& Destination, const std::atomic<int>* Cancel)
{
    int In = open(ToNative(Source).c_str(), O_RDONLY | O_CLOEXEC);
    if (In < 0) return false;
    struct stat St;
    if (fstat(In, &St) != 0 || S_ISDIR(St.st_mode)) {
        int E = S_ISDIR(St.st_mode) ? EISDIR : errno;
        close(In);
        errno = E;
        return false;
    }
    std::string Dst = ToNative(Destination);
    int Out = open(Dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, St.st_mode & 0777);
    if (Out < 0) {
        int E = errno;
        close(In);
        errno = E;
        return false;
    }
    std::vector<char> Buf(1 << 16);
    int E = 0;
    for (;;) {
        if (Cancel && Cancel->load()) {
            E = ECANCELED;
            break;
        }
        ssize_t N = read(In, Buf.data(), Buf.size());
        if (N < 0 && errno == EINTR) continue;
        if (N < 0) {
            E = errno;
            break;
        }
        if (N == 0) break;
        for (ssize_t Done = 0; Done < N && !E;) {
            ssize_t W = write(Out, Buf.data() + Done, static_cast<size_t>(N - Done));
            if (W < 0 && errno == EINTR) continue;
            if (W < 0) E = errno;
            else Done += W;
        }
        if (E) break;
    }
    close(In);
    if (close(Out) != 0 && !E) E = errno;
    if (E) {
        if (E == ECANCELED) unlink(Dst.c_str());
        errno = E;
        return false;
    }
    return true;
}
#else
std::string FullPathName(const std::string& FileName)
{
    if (FileName.empty()) return {};
    DWORD Need = GetFullPathNameA(FileName.c_str(), 0, nullptr, nullptr);
    if (Need == 0) return FileName;
    std::string Buf(Need, '\0');
    DWORD N = GetFullPathNameA(FileName.c_str(), Need, Buf.data(), nullptr);
    if (N == 0 || N >= Need) return FileName;
    Buf.resize(N);
    return Buf;
}

std::string CurrentDir()
{
    DWORD Need = GetCurrentDirectoryA(0, nullptr);
    std::string Buf(Need, '\0');
    DWORD N = GetCurrentDirectoryA(Need, Buf.data());
    Buf.resize(N < Need ? N : 0);
    return Buf;
}

bool IsDirectory(const std::string& Path)
{
    DWORD A = GetFileAttributesA(Path.c_str());
    return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& Path)
{
    DWORD A = GetFileAttributesA(Path.c_str());
    return A != INVALID_FILE_ATTRIBUTES && !(A & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectoryTree(const std::string& Dir, uint32_t& Error)
{
    std::string D = ExcludePathDelimiter(Dir);
    if (D.empty() || D.back() == ':' || IsDirectory(D)) return true;
    size_t Slash = D.find_last_of("\\/");
    if (Slash != std::string::npos && Slash > 0 && !CreateDirectoryTree(D.substr(0, Slash), Error)) return false;
    if (CreateDirectoryA(D.c_str(), nullptr)) return true;
    Error = GetLastError();
    if (Error == ERROR_ALREADY_EXISTS && IsDirectory(D)) return true;
    return false;
}

DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                            HANDLE, LPVOID Data)
{
    auto* Cancel = static_cast<const std::atomic<int>*>(Data);
    return Cancel && Cancel->load() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

// The system's copy; when Cancel is given the copy stops at the next chunk once it is set, and the
// system removes the partial destination.
bool SystemCopyFile(const std::string& Source, const std::string& Destination, const std::atomic<int>* Cancel)
{
    if (!Cancel) return CopyFileA(Source.c_str(), Destination.c_str(), FALSE);
    return CopyFileExA(Source.c_str(), Destination.c_str(), CopyProgress, const_cast<std::atomic<int>*>(Cancel),
                       nullptr, 0);
}
#endif

void CopyFileImpl(const std::string& Source, const std::string& Destination, TExceptionClass ExceptionClass,
                  const std::atomic<int>* Cancel)
{
    if (!SystemCopyFile(Source, Destination, Cancel))
        RaiseAs(ExceptionClass, Format("Не удалось скопировать файл \"%s\" в \"%s\", ошибка: %s",
                                       {Source, Destination, SysErrorMessage(GetLastOSError())}));
    Assert(IsFile(Destination), "CopyFileChecked: the copied file does not exist");
}

} // namespace

void RaiseAs(TExceptionClass ExceptionClass, const std::string& Message)
{
    if (ExceptionClass) ExceptionClass(Message);
    throw Exception(Message);
}

std::string GetExeName()
{
    std::string Name;
#ifdef _WIN32
    std::string Buf(MAX_PATH, '\0');
    for (;;) {
        DWORD N = GetModuleFileNameA(nullptr, Buf.data(), static_cast<DWORD>(Buf.size()));
        if (N < Buf.size()) {
            Name.assign(Buf.data(), N);
            break;
        }
        Buf.resize(Buf.size() * 2);
    }
#else
    std::string Buf(4096, '\0');
    ssize_t N = readlink("/proc/self/exe", Buf.data(), Buf.size());
    if (N > 0) Name.assign(Buf.data(), static_cast<size_t>(N));
#endif
    Assert(!Name.empty(), "GetExeName: the program's path is empty");
    return Name;
}

std::string GetModuleName()
{
#ifdef _WIN32
    HMODULE Module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&GetModuleName), &Module))
        return GetExeName();
    std::string Buf(MAX_PATH, '\0');
    for (;;) {
        DWORD N = GetModuleFileNameA(Module, Buf.data(), static_cast<DWORD>(Buf.size()));
        if (N == 0) return GetExeName();
        if (N < Buf.size()) return Buf.substr(0, N);
        Buf.resize(Buf.size() * 2);
    }
#else
    Dl_info Info{};
    if (dladdr(reinterpret_cast<void*>(&GetModuleName), &Info) && Info.dli_fname && Info.dli_fname[0] == '/')
        return Info.dli_fname;
    return GetExeName();
#endif
}

std::string GetExeDir()
{
    return ExtractFilePath(GetExeName());
}

std::string AddPathDelimiter(const std::string& Path)
{
    if (Path.empty()) return Path;
    char Last = Path.back();
    if (Last == ':' || IsPathDelimiter(Last)) return Path;
    if (Path.size() == 1 && ((Last >= 'A' && Last <= 'Z') || (Last >= 'a' && Last <= 'z'))) return Path + ":\\";
    return Path + "\\";
}

std::string ExcludePathDelimiter(const std::string& Path)
{
    return ExcludeTrailingPathDelimiter(Path);
}

std::string ExpandFileNameEx(const std::string& FileName, const std::string& BaseName)
{
    std::string Dir = AddPathDelimiter(ExtractFilePath(BaseName));
    std::string DirFull = Dir.empty() ? std::string() : FullPathName(Dir);
    if (DirFull.empty() || !IsDirectory(DirFull))
        throw Exception(Format("ExpandFileNameEx: directory %s not exists", {Dir}));
    if (FileName.empty()) return {};
#ifdef _WIN32
    DirFull = AddPathDelimiter(DirFull);
    bool HasDrive = FileName.size() >= 2 && FileName[1] == ':';
    if (HasDrive && FileName.size() >= 3 && IsPathDelimiter(FileName[2])) return FullPathName(FileName);
    if (FileName.size() >= 2 && IsPathDelimiter(FileName[0]) && IsPathDelimiter(FileName[1]))
        return FullPathName(FileName);
    // A name from the root takes the base directory's drive, as it would with that directory current.
    if (IsPathDelimiter(FileName[0])) return FullPathName(DriveOf(DirFull) + FileName);
    if (HasDrive) {
        // "D:name" is relative to the current directory of that drive: the base when it is on D:.
        if (SameText(FileName.substr(0, 2), DriveOf(DirFull))) return FullPathName(DirFull + FileName.substr(2));
        return FullPathName(FileName);
    }
    return FullPathName(DirFull + FileName);
#else
    std::string N = ToNative(FileName);
    if (N[0] == '/') return NormalizeAbsolute(N);
    return NormalizeAbsolute(DirFull + "/" + N);
#endif
}

std::string ExtractRelativePath(const std::string& BaseName, const std::string& DestName)
{
    std::string BaseDrive = DriveOf(BaseName), DestDrive = DriveOf(DestName);
    if (!SameFileName(BaseDrive, DestDrive)) return DestName;
    // Components after the drive; a name that is no more than its drive has none.
    auto DirParts = [](const std::string& Name, size_t DriveLen) {
        std::string Dir = ExtractFilePath(Name);
        return SplitComponents(DriveLen < Dir.size() ? Dir.substr(DriveLen) : std::string());
    };
    std::vector<std::string> B = DirParts(BaseName, BaseDrive.size());
    std::vector<std::string> D = DirParts(DestName, DestDrive.size());
    size_t Common = 0;
    while (Common < B.size() && Common < D.size() && SameFileName(B[Common], D[Common])) ++Common;
    std::string R;
    for (size_t I = Common; I < B.size(); ++I) R += std::string("..") + PathDelim;
    for (size_t I = Common; I < D.size(); ++I) R += D[I] + PathDelim;
    return R + ExtractFileName(DestName);
}

std::string GetDisplayFileName(const std::string& FileName, const std::string& BaseName)
{
    std::string Base = BaseName.empty() ? AddPathDelimiter(CurrentDir()) : BaseName;
    std::string Full = FullPathName(FileName);
    std::string Rel = ExtractRelativePath(Base, Full);
    const std::string ThreeUp = std::string("..") + PathDelim + ".." + PathDelim + "..";
    if (Rel.find(ThreeUp) != std::string::npos) return Full;
    if (Rel.empty()) return ".";
    return Rel;
}

int FindFiles(const std::string& Mask, std::vector<std::string>& List, bool Recursive)
{
    std::string Dir = ExtractFilePath(Mask), Pattern = ExtractFileName(Mask);
    int Count = 0;
    std::vector<std::string> SubDirs;
#ifdef _WIN32
    WIN32_FIND_DATAA F;
    TFindHandle H(FindFirstFileA(Mask.c_str(), &F));
    if (!H) return 0;
    do {
        std::string Name = F.cFileName;
        if (!(F.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            List.push_back(Dir + Name);
            ++Count;
        } else if (Recursive && Name != "." && Name != "..") {
            SubDirs.push_back(Dir + Name);
        }
    } while (FindNextFileA(H.Get(), &F));
#else
    std::string NativeDir = ToNative(Dir.empty() ? "." : Dir);
    DIR* D = opendir(NativeDir.c_str());
    if (!D) return 0;
    while (dirent* E = readdir(D)) {
        std::string Name = E->d_name;
        if (Name == "." || Name == ".." || fnmatch(Pattern.c_str(), Name.c_str(), 0) != 0) continue;
        if (!IsDirectory(NativeDir + "/" + Name)) {
            List.push_back(Dir + Name);
            ++Count;
        } else if (Recursive) {
            SubDirs.push_back(Dir + Name);
        }
    }
    closedir(D);
#endif
    for (const std::string& Sub : SubDirs) Count += FindFiles(Sub + "\\" + Pattern, List, true);
    return Count;
}

std::string GetLastDirName(const std::string& Path)
{
    std::string Dir = ExcludePathDelimiter(ExtractFilePath(Path.empty() ? GetExeName() : Path));
    for (size_t I = Dir.size(); I > 0; --I)
        if (IsPathDelimiter(Dir[I - 1])) return Dir.substr(I);
    return Dir;
}

std::string GetTempDir()
{
#ifdef _WIN32
    char Buf[MAX_PATH + 1];
    DWORD N = GetTempPathA(sizeof Buf, Buf);
    if (N == 0 || N > MAX_PATH) RaiseLastOSError();
    return std::string(Buf, N);
#else
    const char* T = std::getenv("TMPDIR");
    std::string Dir = T && *T ? T : "/tmp";
    if (Dir.back() != '/') Dir += '/';
    return Dir;
#endif
}

std::string CreateTempFileName(const std::string& Prefix, const std::string& Dir)
{
    std::string D = Dir.empty() ? GetTempDir() : Dir;
#ifdef _WIN32
    char Buf[MAX_PATH + 1];
    if (GetTempFileNameA(D.c_str(), Prefix.c_str(), 0, Buf) == 0) RaiseLastOSError();
    return Buf;
#else
    std::string Name = ToNative(AddPathDelimiter(D)) + Prefix.substr(0, 3) + "XXXXXX.tmp";
    int Fd = mkstemps(Name.data(), 4);
    if (Fd < 0) RaiseLastOSError();
    close(Fd);
    return Name;
#endif
}

uint32_t GetFileSize(const std::string& FileName)
{
#ifdef _WIN32
    TFileHandle H(CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!H)
        throw Exception(Format("GetFileSize: ошибка открытия файла \"%s\": %s",
                               {FileName, SysErrorMessage(GetLastError())}));
    return ::GetFileSize(H.Get(), nullptr);
#else
    int Fd = open(ToNative(FileName).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat St;
    if (Fd < 0 || fstat(Fd, &St) != 0) {
        int E = errno;
        if (Fd >= 0) close(Fd);
        throw Exception(Format("GetFileSize: ошибка открытия файла \"%s\": %s",
                               {FileName, SysErrorMessage(static_cast<uint32_t>(E))}));
    }
    close(Fd);
    return static_cast<uint32_t>(St.st_size);
#endif
}

void CopyFileChecked(const std::string& Source, const std::string& Destination, TExceptionClass ExceptionClass)
{
    CopyFileImpl(Source, Destination, ExceptionClass, nullptr);
}

void CheckFolderAccess(const std::string& Folder, TExceptionClass ExceptionClass)
{
    Assert(!Folder.empty(), "CheckFolderAccess: the folder name is empty");
    std::string F = AddPathDelimiter(Folder);
    if (!IsDirectory(F)) {
        if (F.find("\\\\") != std::string::npos)
            RaiseAs(ExceptionClass, Format("Папка \"%s\" недоступна или не существует", {F}));
        uint32_t Error = 0;
        if (!CreateDirectoryTree(F, Error))
            RaiseAs(ExceptionClass, WithErrorText(Format("Нет прав, чтобы создать папку \"%s\"", {F}), Error));
    }
    std::string Probe = F + FolderAccessProbeName;
#ifdef _WIN32
    TFileHandle H(CreateFileA(Probe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!H)
#else
    int Fd = open(ToNative(Probe).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Fd >= 0) close(Fd);
    if (Fd < 0)
#endif
        RaiseAs(ExceptionClass,
                WithErrorText(Format("Нет прав на запись в папку \"%s\"\r\n"
                                     "Обратитесь к системному администратору (\"компьютерщику\")",
                                     {F}),
                              GetLastOSError()));
#ifdef _WIN32
    H.Reset();
    bool Deleted = DeleteFileA(Probe.c_str());
#else
    bool Deleted = unlink(ToNative(Probe).c_str()) == 0;
#endif
    if (!Deleted)
        RaiseAs(ExceptionClass,
                WithErrorText(Format("Нет прав на удаление файлов из папки \"%s\"\r\n"
                                     "Обратитесь к системному администратору (\"компьютерщику\")",
                                     {F}),
                              GetLastOSError()));
    Assert(IsDirectory(F), "CheckFolderAccess: the folder does not exist");
}

void CheckFileExists(const std::string& FileName, const std::string& DisplayName, TExceptionClass ExceptionClass)
{
    if (!IsFile(FileName))
        RaiseAs(ExceptionClass,
                Format("Файл \"%s\" не существует", {DisplayName.empty() ? FileName : DisplayName}));
}

std::string GetShortPathName(const std::string& Path)
{
#ifdef _WIN32
    std::string Buf(MAX_PATH + 1, '\0');
    DWORD N = ::GetShortPathNameA(Path.c_str(), Buf.data(), static_cast<DWORD>(Buf.size()));
    if (N >= Buf.size()) {
        // Longer than the usual limit: ask again with the room the system names.
        Buf.assign(N, '\0');
        N = ::GetShortPathNameA(Path.c_str(), Buf.data(), static_cast<DWORD>(Buf.size()));
        if (N >= Buf.size()) N = 0;
    }
    if (N == 0)
        throw Exception(Format("GetShortPathName(\"%s\"): %s", {Path, SysErrorMessage(GetLastError())}));
    Buf.resize(N);
    return Buf;
#else
    struct stat St;
    if (stat(ToNative(Path).c_str(), &St) != 0)
        throw Exception(Format("GetShortPathName(\"%s\"): %s", {Path, SysErrorMessage(GetLastOSError())}));
    return Path;
#endif
}

std::string GetShortFileName(const std::string& FileName)
{
    if (IsFile(FileName)) return GetShortPathName(FileName);
    std::string Dir = ExtractFilePath(FileName);
    if (!Dir.empty() && IsDirectory(Dir)) return AddPathDelimiter(GetShortPathName(Dir)) + ExtractFileName(FileName);
    return FileName;
}

// ---- The copy thread ----

struct TCopyFileThread::TState {
    std::string Source;
    std::string Destination;
    std::mutex Lock;
    std::condition_variable Done;
    std::string ErrorMessage;        // guarded by Lock
    bool Finished = false;           // guarded by Lock
    std::atomic<bool> Terminated{false};
    std::atomic<int> Cancel{0};      // read by the system's copy while it runs
    std::thread Worker;

    void Execute()
    {
        std::string Error;
        try {
            // A bare file name is copied into the current directory.
            std::string Dir = ExtractFilePath(Destination);
            CheckFolderAccess(Dir.empty() ? std::string(".") : Dir);
            CopyFileImpl(Source, Destination, nullptr, &Cancel);
        } catch (const Exception& E) {
            Error = E.Message();
        } catch (const std::exception& E) {
            Error = E.what();
        }
        {
            std::lock_guard<std::mutex> G(Lock);
            ErrorMessage = std::move(Error);
            Finished = true;
        }
        Terminated.store(true);
        Done.notify_all();
    }
};

TCopyFileThread::TCopyFileThread(const std::string& Source, const std::string& Destination)
    : FState(std::make_shared<TState>())
{
    FState->Source = Source;
    FState->Destination = Destination;
}

TCopyFileThread::~TCopyFileThread()
{
    if (!FStarted) return;
    if (Finished()) {
        FState->Worker.join();
    } else {
        // The worker owns its share of the state and ends on its own; it only has to stop soon.
        Terminate();
        FState->Worker.detach();
    }
}

void TCopyFileThread::Start()
{
    Assert(!FStarted, "TCopyFileThread.Start: already started");
    std::shared_ptr<TState> S = FState;
    FState->Worker = std::thread([S] { S->Execute(); });
    FStarted = true;
}

bool TCopyFileThread::Terminated() const
{
    return FState->Terminated.load();
}

void TCopyFileThread::Terminate()
{
    FState->Cancel.store(1);
    FState->Terminated.store(true);
}

bool TCopyFileThread::Finished() const
{
    std::lock_guard<std::mutex> G(FState->Lock);
    return FState->Finished;
}

bool TCopyFileThread::WaitFor(uint32_t TimeoutMs)
{
    std::unique_lock<std::mutex> G(FState->Lock);
    return FState->Done.wait_for(G, std::chrono::milliseconds(TimeoutMs), [this] { return FState->Finished; });
}

std::string TCopyFileThread::ErrorMessage() const
{
    std::lock_guard<std::mutex> G(FState->Lock);
    return FState->ErrorMessage;
}

bool CopyFileWithTimeout(const std::string& Source, const std::string& Destination, std::string& ErrorText,
                         int TimeoutSeconds)
{
    ErrorText.clear();
    TCopyFileThread Thread(Source, Destination);
    Thread.Start();
    auto Started = std::chrono::steady_clock::now();
    while (!Thread.Terminated()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // A copy that ended during the last sleep counts as done, even when the limit passed with it.
        if (Thread.Finished()) break;
        if (std::chrono::steady_clock::now() - Started >= std::chrono::seconds(TimeoutSeconds)) {
            Thread.Terminate();
            // A cancelled copy ends at its next chunk; give it a moment so that its partial
            // destination is gone before the caller goes on. A copy the system cannot cancel goes
            // on in the background, on state it shares.
            Thread.WaitFor(1000);
            return false;
        }
    }
    ErrorText = Thread.ErrorMessage();
    return ErrorText.empty();
}
