#include "support/TestSupport.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/WinHandles.h"

namespace {

std::string TempRoot()
{
    char Buf[MAX_PATH + 1];
    DWORD N = GetTempPathA(sizeof Buf, Buf);
    return std::string(Buf, N);
}

} // namespace

TTempDir::TTempDir()
{
    static std::atomic<unsigned> Counter{0};
    std::string Root = TempRoot();
    for (;;) {
        FPath = Root + "lt" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(Counter++) + "\\";
        if (CreateDirectoryA(FPath.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + FPath);
    }
}

TTempDir::~TTempDir()
{
    DeleteTree(FPath);
}

std::string TTempDir::WriteFile(const std::string& Rel, const std::string& Bytes) const
{
    std::string Name = FPath + Rel;
    size_t Slash = Name.find_last_of('\\');
    ForceDirectories(Name.substr(0, Slash));
    WriteFileBytes(Name, Bytes);
    return Name;
}

std::string TTempDir::MakeDir(const std::string& Rel) const
{
    std::string Name = FPath + Rel;
    ForceDirectories(Name);
    if (Name.back() != '\\') Name += '\\';
    return Name;
}

std::string ReadFileText(const std::string& FileName)
{
    if (!FileExists(FileName)) return {};
    auto B = ReadFileBytes(FileName);
    return std::string(B.begin(), B.end());
}

bool FileExists(const std::string& FileName)
{
    DWORD A = GetFileAttributesA(FileName.c_str());
    return A != INVALID_FILE_ATTRIBUTES && !(A & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& FileName)
{
    DWORD A = GetFileAttributesA(FileName.c_str());
    return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY);
}

void ForceDirectories(const std::string& Dir)
{
    std::string D = Dir;
    while (!D.empty() && D.back() == '\\') D.pop_back();
    if (D.empty() || DirExists(D) || D.back() == ':') return;
    size_t Slash = D.find_last_of('\\');
    if (Slash != std::string::npos) ForceDirectories(D.substr(0, Slash));
    CreateDirectoryA(D.c_str(), nullptr);
}

void DeleteTree(const std::string& Dir)
{
    std::string D = Dir;
    if (!D.empty() && D.back() != '\\') D += '\\';
    WIN32_FIND_DATAA F;
    TFindHandle H(FindFirstFileA((D + "*").c_str(), &F));
    if (H) {
        do {
            std::string N = F.cFileName;
            if (N == "." || N == "..") continue;
            std::string Full = D + N;
            SetFileAttributesA(Full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (F.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(Full);
            else DeleteFileA(Full.c_str());
        } while (FindNextFileA(H.Get(), &F));
    }
    H.Reset();
    SetFileAttributesA(D.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(D.c_str());
}

std::string TestBinDir()
{
    char Buf[MAX_PATH + 1];
    DWORD N = GetModuleFileNameA(nullptr, Buf, sizeof Buf);
    std::string P(Buf, N);
    return P.substr(0, P.find_last_of('\\') + 1);
}

std::string Quoted(const std::string& S)
{
    return S.find(' ') == std::string::npos ? S : "\"" + S + "\"";
}

TRunResult RunAndWait(const std::string& CommandLine, const std::string& Dir, uint32_t TimeoutMs)
{
    SECURITY_ATTRIBUTES Sa{sizeof Sa, nullptr, TRUE};
    HANDLE ReadRaw = nullptr, WriteRaw = nullptr;
    if (!CreatePipe(&ReadRaw, &WriteRaw, &Sa, 0)) throw std::runtime_error("CreatePipe failed");
    TKernelHandle ReadEnd(ReadRaw), WriteEnd(WriteRaw);
    SetHandleInformation(ReadRaw, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA Si{};
    Si.cb = sizeof Si;
    Si.dwFlags = STARTF_USESTDHANDLES;
    Si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    Si.hStdOutput = WriteRaw;
    Si.hStdError = WriteRaw;
    PROCESS_INFORMATION Pi{};
    std::string Cmd = CommandLine;
    if (!CreateProcessA(nullptr, Cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        Dir.empty() ? nullptr : Dir.c_str(), &Si, &Pi))
        throw std::runtime_error("cannot start: " + CommandLine + " (error " + std::to_string(GetLastError()) + ")");
    TKernelHandle Process(Pi.hProcess), Thread(Pi.hThread);
    WriteEnd.Reset();  // the child holds the only write end now, so reads end when it exits

    TRunResult R;
    std::thread Reader([&] {
        char Buf[4096];
        DWORD N;
        while (ReadFile(ReadRaw, Buf, sizeof Buf, &N, nullptr) && N > 0) R.Output.append(Buf, N);
    });
    R.Finished = WaitForSingleObject(Pi.hProcess, TimeoutMs) == WAIT_OBJECT_0;
    if (!R.Finished) {
        TerminateProcess(Pi.hProcess, 259);
        WaitForSingleObject(Pi.hProcess, 5000);
    }
    DWORD Code = 0;
    GetExitCodeProcess(Pi.hProcess, &Code);
    R.ExitCode = Code;
    // Grandchildren may keep the pipe open; don't wait for them beyond a moment.
    for (int i = 0; i < 50 && Reader.joinable(); ++i) {
        DWORD Avail = 0;
        if (!PeekNamedPipe(ReadRaw, nullptr, 0, nullptr, &Avail, nullptr)) break;
        Sleep(10);
    }
    CancelIoEx(ReadRaw, nullptr);
    ReadEnd.Reset();
    Reader.join();
    return R;
}
