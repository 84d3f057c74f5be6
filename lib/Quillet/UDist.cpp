#include "Quillet/UDist.h"

#include <cstdio>
#include <cstring>

#include "Packer/USelectablePacker.h"
#include "platform/Classes.h"
#include "platform/IniFiles.h"
#include "utils/UCRC32Calc.h"
#include "utils/UFileUtils.h"
#include "utils/UFileVer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char* const DistFolder = ".dist\\";
#else
const char* const DistFolder = ".dist/";
#endif

// Names are built with "\" as on the target systems; the native build turns them into its own form
// before they reach the file system or a caller.
std::string NativeName(std::string Name)
{
#ifndef _WIN32
    for (char& C : Name)
        if (C == '\\') C = '/';
#endif
    return Name;
}

bool FileExists(const std::string& FileName)
{
    if (FileName.empty()) return false;
#ifdef _WIN32
    DWORD A = GetFileAttributesA(FileName.c_str());
    return A != INVALID_FILE_ATTRIBUTES && !(A & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat St;
    return stat(NativeName(FileName).c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
#endif
}

std::string Display(const std::string& FileName)
{
    return GetDisplayFileName(FileName);
}

// Position of the first occurrence of What in S, letters compared without regard to case; npos if none.
size_t FindText(const std::string& S, const std::string& What, size_t From = 0)
{
    if (What.size() > S.size()) return std::string::npos;
    for (size_t I = From; I + What.size() <= S.size(); ++I)
        if (SameText(std::string_view(S).substr(I, What.size()), What)) return I;
    return std::string::npos;
}

// The ".dist" folder in a name: ".dist" followed by a delimiter, as a whole path component, so that a
// folder such as "builds.dist" further up is not taken for it.
size_t FindDistFolder(const std::string& S)
{
    for (size_t I = FindText(S, ".dist"); I != std::string::npos; I = FindText(S, ".dist", I + 1)) {
        bool Starts = I == 0 || IsPathDelimiter(S[I - 1]);
        bool Ends = I + 5 < S.size() && IsPathDelimiter(S[I + 5]);
        if (Starts && Ends) return I;
    }
    return std::string::npos;
}

void ReplaceFile(const std::string& Source, const std::string& Target)
{
#ifdef _WIN32
    if (!MoveFileExA(Source.c_str(), Target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw Exception(SysErrorMessage(GetLastError()));
#else
    if (std::rename(Source.c_str(), Target.c_str()) != 0) throw Exception(SysErrorMessage(errno));
#endif
}

void RemoveFile(const std::string& FileName) noexcept
{
#ifdef _WIN32
    DeleteFileA(FileName.c_str());
#else
    unlink(FileName.c_str());
#endif
}

} // namespace

std::string DistFileName(const std::string& FileSpec, const std::string& VersionText, const std::string& DistRoot,
                         const std::string& BaseDir)
{
    std::string Base = BaseDir.empty() ? GetExeDir() : BaseDir;
    std::string Root = DistRoot.empty() ? DefaultDistRoot(Base) : DistRoot;
    return NativeName(AddPathDelimiter(Root) + DistFolder + ExtractRelativePath(Base, FileSpec) + "." + VersionText +
                      ".dist");
}

std::string DefaultDistRoot(const std::string& BaseDir)
{
    std::string Base = BaseDir.empty() ? GetExeDir() : BaseDir;
    return NativeName(AddPathDelimiter(ExpandFileNameEx("..\\", Base)));
}

std::string VersionFromDistName(const std::string& FileName)
{
    std::string Name = ChangeFileExt(FileName, "");
    size_t I = Name.size();
    int Dots = 0;
    while (I > 0) {
        char C = Name[I - 1];
        if (C == '.') {
            if (++Dots == 4) break;
        } else if (C < '0' || C > '9') {
            break;
        }
        --I;
    }
    std::string Result = Name.substr(I);
    TFileVersion V;
    if (!ParseVersion(Result, V))
        throw EDistPackerError(Format("Invalid file version part in file %s", {Display(FileName)}));
    return Result;
}

std::string FileSpecFromDistName(const std::string& DistFileName, std::string InstallDirName, bool NoDefault)
{
    std::string Suffix = "." + VersionFromDistName(DistFileName) + ".dist";
    if (DistFileName.find(Suffix) == std::string::npos)
        throw EDistPackerError(Format("Distributive file name %s has invalid format", {DistFileName}));
    if (InstallDirName.empty() && !NoDefault) InstallDirName = GetLastDirName();
    std::string Result = DistFileName;
    size_t At = FindText(Result, Suffix);
    Result.erase(At, Suffix.size());
    At = FindDistFolder(Result);
    if (At != std::string::npos) Result.replace(At, 6, AddPathDelimiter(InstallDirName));
    return NativeName(Result);
}

std::string VerFileName(const std::string& FileName)
{
    return FileName + ".ver";
}

bool ReadVerFile(const std::string& FileName, std::string& Version, std::string& CRC)
{
    TMemIniFile Ini(NativeName(VerFileName(FileName)));
    Version = Trim(Ini.ReadString("DistPack", "Version", ""));
    CRC = Trim(Ini.ReadString("DistPack", "CRC", ""));
    return !Version.empty() && !CRC.empty();
}

void SaveStreamReplacing(TMemoryStream& Data, const std::string& FileName)
{
    const std::string Target = NativeName(FileName);
    std::string Dir = ExtractFilePath(Target);
    if (Dir.empty()) Dir = ".";
    const std::string Temp = CreateTempFileName("dst", Dir);
    try {
        {
            TFileStream F(Temp, fmCreate);
            F.WriteBuffer(Data.Memory(), static_cast<int32_t>(Data.Size()));
        }
#ifndef _WIN32
        // The temporary file is private to its creator; the result gets the mode the replaced file
        // had, or the one a newly created file would get.
        struct stat St;
        mode_t Mode;
        if (stat(Target.c_str(), &St) == 0) {
            Mode = St.st_mode & 07777;
        } else {
            mode_t Mask = umask(0);
            umask(Mask);
            Mode = 0666 & ~Mask;
        }
        chmod(Temp.c_str(), Mode);
#endif
        ReplaceFile(Temp, Target);
    } catch (...) {
        RemoveFile(Temp);
        throw;
    }
}

TDistPacker::TDistPacker()
{
    FPacker = MakePacker<TSelectablePacker>();
    Assert(static_cast<bool>(FPacker), "TDistPacker.Create: no packer");
    FDigSign = std::make_unique<TRSASSA>();
}

TDistPacker::~TDistPacker() = default;

void TDistPacker::SetFileSpec(const std::string& Value)
{
    if (Value == FFileSpec) return;
    FFileSpec = Value;
    std::string Version = GetFileVersionText(Value);
    if (Version.empty() && FileExists(VerFileName(Value))) {
        std::string CRC;
        ReadVerFile(Value, Version, CRC);
    }
    if (!Version.empty()) FileVerStr = Version;
}

void TDistPacker::LoadPublicKey()
{
    TMemoryStream Key;
#ifdef _WIN32
    HMODULE Module;
    if (SameText(ExtractFileName(GetExeName()), "loader.exe")) {
        Module = GetModuleHandleA(nullptr);
    } else {
        std::string KeyFile = GetExeDir() + "loader.exe";
        if (!FileExists(KeyFile)) throw EDistPackerError(Format("File %s not found", {Display(KeyFile)}));
        Module = LoadLibraryExA(KeyFile.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!Module)
            throw EDistPackerError(Format("Cannot load %s as resource file, error:\r\n%s",
                                          {Display(KeyFile), SysErrorMessage(GetLastError())}));
        FKeyModule.reset(Module, [](void* M) { FreeLibrary(static_cast<HMODULE>(M)); });
    }
    HRSRC Res = FindResourceA(Module, "PublicKey", MAKEINTRESOURCEA(10));
    HGLOBAL Data = Res ? LoadResource(Module, Res) : nullptr;
    const void* Bytes = Data ? LockResource(Data) : nullptr;
    if (!Bytes) throw EDistPackerError("Resource \"PublicKey\" not found in loader.exe");
    Key.WriteBuffer(Bytes, static_cast<int32_t>(SizeofResource(Module, Res)));
#else
    // Programs here carry no Windows resources: the release tool is given key files instead.
    std::string KeyFile = GetExeDir() + "loader.exe";
    if (!FileExists(KeyFile)) throw EDistPackerError(Format("File %s not found", {Display(KeyFile)}));
    throw EDistPackerError(Format("Cannot load %s as resource file, error:\r\n%s",
                                  {Display(KeyFile), "Windows resources cannot be loaded on this system"}));
#endif
    FDigSign->PublicKey().LoadFromStream(Key);
}

void TDistPacker::LoadPublicKeyFromFile(const std::string& FileName)
{
    FDigSign->PublicKey().LoadFromFile(NativeName(FileName));
}

void TDistPacker::Verify()
{
    uint32_t CRC = 0;
    int32_t Size = 0;
    std::string Version;
    ReadDist(nullptr, CRC, Size, Version, true, true);
}

bool TDistPacker::IsValid()
{
    try {
        Verify();
        return true;
    } catch (const EDistPackerError&) {
        return false;
    }
}

std::string TDistPacker::CheckFile(bool Replace)
{
    std::string Result;
    uint32_t CRC = 0;
    int32_t Size = 0;
    std::string Version;
    try {
        ReadDist(nullptr, CRC, Size, Version, true, true);
    } catch (const EDistPackerError& E) {
        if (!Replace) return E.Message();
        throw;
    }
    if (!FileExists(FFileSpec)) {
        Result = Format("File \"%s\" not exist", {Display(FFileSpec)});
    } else if (static_cast<int64_t>(GetFileSize(NativeName(FFileSpec))) != Size ||
               CRC32OfFile(NativeName(FFileSpec)) != CRC) {
        // The size first: the CRC of a file costs a pass over it and is taken only when the sizes agree.
        Result = Format("File \"%s\" is not equals to distributive file \"%s\"", {Display(FFileSpec), Display(DistFileSpec)});
    }
    if (!Result.empty() && Replace) {
        auto Fail = [&](const std::string& Message) {
            return EDistPackerError(
                Format("Cannot replace file \"%s\", error:\r\n%s", {Display(FFileSpec), Message}));
        };
        try {
            // Everything is checked in memory before the installed file is touched.
            TMemoryStream Content;
            ReadDist(&Content, CRC, Size, Version, false, false);
            std::string Folder = ExtractFilePath(NativeName(FFileSpec));
            CheckFolderAccess(Folder.empty() ? "." : Folder);
            SaveStreamReplacing(Content, FFileSpec);
        } catch (const Exception& E) {
            throw Fail(E.Message());
        } catch (const std::exception& E) {
            throw Fail(E.what());
        }
    }
    return Result;
}

void TDistPacker::ResolveNames(const std::string& DistRoot, const std::string& BaseDir)
{
    if (DistFileSpec.empty() && (FFileSpec.empty() || FileVerStr.empty()))
        throw EDistPackerError("Must be known DistFileSpec or FileSpec + FileVerStr");
    if (!DistFileSpec.empty()) {
        FileVerStr = VersionFromDistName(DistFileSpec);
        if (FFileSpec.empty()) SetFileSpec(FileSpecFromDistName(DistFileSpec, InstallDirName, false));
    } else {
        DistFileSpec = DistFileName(FFileSpec, FileVerStr, DistRoot, BaseDir);
    }
}

void TDistPacker::InitInstallDirName()
{
    InstallDirName = GetLastDirName();
}

void TDistPacker::ReadDist(TMemoryStream* Output, uint32_t& CRC, int32_t& Size, std::string& VersionText,
                           bool CheckSignature, bool ReadTrailerToo)
{
    VersionText.clear();
    if (!FileExists(DistFileSpec))
        throw EDistPackerError(Format("Distributive file %s not exists", {Display(DistFileSpec)}));
    if (CheckSignature && !FDigSign->VerifyFile(NativeName(DistFileSpec)))
        throw EDistPackerError(
            Format("Verification digital signature of distributive file %s failed", {Display(DistFileSpec)}));
    TFileStream Stream(NativeName(DistFileSpec), fmOpenRead | fmShareDenyWrite);
    ReadDistStream(Stream, Output, CRC, Size, VersionText, false, ReadTrailerToo);
}

void TDistPacker::ReadDistStream(TStream& Stream, TMemoryStream* Output, uint32_t& CRC, int32_t& Size,
                                 std::string& VersionText, bool CheckSignature, bool ReadTrailerToo)
{
    VersionText.clear();
    if (CheckSignature && !FDigSign->VerifyWholeStream(Stream))
        throw EDistPackerError(
            Format("Verification digital signature of distributive file %s failed", {Display(DistFileSpec)}));
    if (ReadTrailerToo) ReadTrailer(Stream, CRC, Size, VersionText);
    if (!Output) return;

    const int64_t BodySize = Stream.Size() - FDigSign->SignatureLength() - 28;
    // A file too short to hold magic, trailer and signature cannot be unpacked (only a signed file
    // gets this far, and no producer writes one that short).
    if (BodySize < 0 || BodySize > INT32_MAX) throw EReadError("Stream read error");
    Stream.SetPosition(4);
    // The size given covers the body and the first 4 trailer bytes: the bzip2 and deflate decoders
    // stop at their own end marks, and LZMA at its recorded length.
    PackerUnPackStreamEx(FPacker.Get(), Stream, *Output, static_cast<int32_t>(BodySize));
    Output->SetPosition(0);
    if (CRC32OfStream(*Output, static_cast<int32_t>(Output->Size())) != CRC)
        throw EDistPackerError(Format("CRC32 of distributive file %s is invalid", {Display(DistFileSpec)}));
    if (Output->Size() != Size)
        throw EDistPackerError(Format("Size of distributive file %s is invalid", {DistFileSpec}));
}

void TDistPacker::ReadTrailer(TStream& Stream, uint32_t& CRC, int32_t& Size, std::string& VersionText)
{
    VersionText.clear();
    Stream.SetPosition(0);
    char Magic[4];
    Stream.ReadBuffer(Magic, 4);
    if (std::memcmp(Magic, DistMagic, 4) != 0)
        throw EDistPackerError(
            Format("Signature of distributive file %s is mismatch \"%s\"", {Display(DistFileSpec), "DSIG"}));
    const int64_t Skip = Stream.Size() - (FDigSign->SignatureLength() + 28);
    if (Skip < 0) throw EReadError("Stream read error");
    Stream.Seek(Skip, soCurrent);
    uint8_t T[DistTrailerLength];
    Stream.ReadBuffer(T, DistTrailerLength);
    auto Le32 = [&](int Ofs) {
        return uint32_t(T[Ofs]) | uint32_t(T[Ofs + 1]) << 8 | uint32_t(T[Ofs + 2]) << 16 | uint32_t(T[Ofs + 3]) << 24;
    };
    CRC = Le32(0);
    Size = static_cast<int32_t>(Le32(4));
    TFileVersion V;
    for (int I = 0; I < 4; ++I) V.Part(I) = static_cast<int32_t>(Le32(8 + 4 * I));
    VersionText = VersionToText(V);
    std::string NameVersion = VersionFromDistName(DistFileSpec);
    if (VersionText != NameVersion)
        throw EDistPackerError(Format("Version %s in distributive file %s mismatch version %s in file body",
                                      {NameVersion, Display(DistFileSpec), VersionText}));
}
