// distpack: the release tool. Makes key pairs, packs and signs distributive files, verifies, unpacks
// and describes them, and releases installed files into the distributive folder beside them.
// Exit codes: 0 success, 1 invalid input (the reader's message is printed), 2 a usage error.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "DistWriter.h"
#include "Quillet/UDist.h"
#include "platform/Classes.h"
#include "utils/UFileUtils.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

const char* const Usage[] = {
    "distpack keygen PRIVATE.key PUBLIC.key",
    "distpack pack --key PRIVATE.key [--method bzip2|zlib|lzma] [--version A.B.C.D] INPUT OUTPUT.dist",
    "distpack verify --key PUBLIC.key FILE.dist...",
    "distpack unpack --key PUBLIC.key FILE.dist OUTPUT",
    "distpack info FILE.dist...",
    "distpack release --key PRIVATE.key --base DIR [--dist-root ROOT] [--method bzip2|zlib|lzma] FILE...",
};

struct EUsage {
    std::string Message;
    int Line;  // index into Usage, or -1 for all
};

#ifndef _WIN32
bool IsUtf8(const std::string& S)
{
    for (size_t I = 0; I < S.size();) {
        unsigned char C = static_cast<unsigned char>(S[I]);
        size_t N = C < 0x80 ? 0 : (C & 0xE0) == 0xC0 ? 1 : (C & 0xF0) == 0xE0 ? 2 : (C & 0xF8) == 0xF0 ? 3 : 9;
        if (N == 9 || I + N >= S.size() + (N ? 0 : 1)) return false;
        for (size_t K = 1; K <= N; ++K)
            if ((static_cast<unsigned char>(S[I + K]) & 0xC0) != 0x80) return false;
        I += N + 1;
    }
    return true;
}
#endif

// The programs' texts are Windows-1251: the Windows console gets them in its OEM code page, a native
// terminal in UTF-8 (names typed in UTF-8 on the command line pass unchanged).
std::string ForTerminal(const std::string& S)
{
#ifdef _WIN32
    if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_CHAR) return S;
    std::string R(S.size(), '\0');
    if (!R.empty()) CharToOemBuffA(S.data(), R.data(), static_cast<DWORD>(R.size()));
    return R;
#else
    if (IsUtf8(S)) return S;
    std::string R;
    for (unsigned char C : S) {
        unsigned U = C;
        if (C >= 0xC0) U = 0x410 + (C - 0xC0);
        else if (C == 0xA8) U = 0x401;
        else if (C == 0xB8) U = 0x451;
        else if (C >= 0x80) U = '?';
        if (U < 0x80) {
            R += static_cast<char>(U);
        } else {
            R += static_cast<char>(0xC0 | (U >> 6));
            R += static_cast<char>(0x80 | (U & 0x3F));
        }
    }
    return R;
#endif
}

void Out(const std::string& S)
{
    std::fputs(ForTerminal(S + "\n").c_str(), stdout);
}

void Err(const std::string& S)
{
    std::fflush(stdout);
    std::fputs(ForTerminal(S + "\n").c_str(), stderr);
}

// Options with values ("--key X" or "--key=X") and positional arguments; "--" ends the options.
struct TArgs {
    std::map<std::string, std::string> Options;
    std::vector<std::string> Files;
};

TArgs ParseArgs(int argc, char** argv, const std::vector<std::string>& Allowed, int UsageLine)
{
    TArgs A;
    bool OptionsDone = false;
    for (int I = 2; I < argc; ++I) {
        std::string S = argv[I];
        if (OptionsDone || S.size() < 2 || S.compare(0, 2, "--") != 0) {
            A.Files.push_back(S);
            continue;
        }
        if (S == "--") {
            OptionsDone = true;
            continue;
        }
        std::string Name = S.substr(2), Value;
        size_t Eq = Name.find('=');
        bool HasValue = Eq != std::string::npos;
        if (HasValue) {
            Value = Name.substr(Eq + 1);
            Name.resize(Eq);
        }
        bool Known = false;
        for (const auto& N : Allowed) Known = Known || N == Name;
        if (!Known) throw EUsage{"unknown option --" + Name, UsageLine};
        if (!HasValue) {
            if (I + 1 >= argc) throw EUsage{"--" + Name + " needs a value", UsageLine};
            Value = argv[++I];
        }
        if (A.Options.count(Name)) throw EUsage{"--" + Name + " given twice", UsageLine};
        A.Options[Name] = Value;
    }
    return A;
}

std::string Required(const TArgs& A, const std::string& Name, int UsageLine)
{
    auto It = A.Options.find(Name);
    if (It == A.Options.end() || It->second.empty()) throw EUsage{"--" + Name + " is required", UsageLine};
    return It->second;
}

TDistMethod MethodOption(const TArgs& A, int UsageLine)
{
    TDistMethod M = TDistMethod::BZip2;
    auto It = A.Options.find("method");
    if (It != A.Options.end() && !ParseDistMethod(It->second, M))
        throw EUsage{"unknown method " + It->second, UsageLine};
    return M;
}

std::string FullName(const std::string& Name)
{
    return ExpandFileNameEx(Name, ".\\");
}

int KeyGen(const TArgs& A)
{
    if (!A.Options.empty() || A.Files.size() != 2) throw EUsage{"two key files expected", 0};
    for (const auto& F : A.Files)
        if (std::FILE* Existing = std::fopen(F.c_str(), "rb")) {
            std::fclose(Existing);
            Err("distpack: " + F + " exists; a key file is never overwritten");
            return 1;
        }
    TRSASSA S;
    S.GenerateKeys();
    TMemoryStream Private, Public;
    S.PrivateKey().SaveToStream(Private);
    S.PublicKey().SaveToStream(Public);
    SaveStreamReplacing(Private, A.Files[0]);
#ifndef _WIN32
    chmod(A.Files[0].c_str(), 0600);  // the private key is for its owner's eyes only
#endif
    SaveStreamReplacing(Public, A.Files[1]);
    Out("private key: " + A.Files[0]);
    Out("public key: " + A.Files[1]);
    return 0;
}

void LoadPrivateKey(TRSASSA& S, const std::string& FileName)
{
    S.PrivateKey().LoadFromFile(FileName);
    const TRSAEngineKey& K = S.Engine().PrivateKey();
    // A private exponent is about as long as the modulus; a short one is the public key given by mistake,
    // whose "signatures" no reader would accept.
    if (!K.Modulus.HoldsNumber() || !K.Exponent.HoldsNumber() ||
        K.Exponent.SignificantSize() * 2 < K.Modulus.SignificantSize())
        throw Exception(FileName + ": Invalid RSA private key");
}

int Pack(const TArgs& A)
{
    if (A.Files.size() != 2) throw EUsage{"INPUT and OUTPUT expected", 1};
    const std::string Key = Required(A, "key", 1);
    const TDistMethod Method = MethodOption(A, 1);
    const std::string& Input = A.Files[0];
    const std::string& Output = A.Files[1];
    TFileVersion V;
    std::string Version;
    if (A.Options.count("version")) {
        if (!ParseVersion(A.Options.at("version"), V)) throw EUsage{"bad version " + A.Options.at("version"), 1};
        Version = VersionToText(V);
    } else {
        Version = ReleaseVersionOf(Input);
        if (Version.empty()) {
            Err("distpack: " + Input + " has no version: give --version, a version resource or " + VerFileName(Input));
            return 1;
        }
        ParseVersion(Version, V);
    }
    // A name whose version differs from the trailer's is refused by every reader.
    std::string NameVersion;
    try {
        NameVersion = VersionFromDistName(Output);
    } catch (const EDistPackerError&) {
    }
    if (NameVersion != Version) {
        Err("distpack: " + Output + ": the name must end in ." + Version + ".dist for version " + Version);
        return 1;
    }
    TRSASSA S;
    LoadPrivateKey(S, Key);
    TMemoryStream File(BuildDist(ReadFileBytes(Input), Method, V, S));
    SaveStreamReplacing(File, Output);
    Out(Output + ": " + DistMethodOfBody(File.Memory() + 4, File.Bytes().size() - 4) + ", version " + Version + ", " +
        IntToStr(File.Size()) + " bytes");
    return 0;
}

// Every check the loader makes, and the unpacked content's CRC-32 and size as well.
void ReadChecked(TDistPacker& P, const std::string& FileName, TMemoryStream& Content)
{
    P.DistFileSpec = FileName;
    uint32_t CRC = 0;
    int32_t Size = 0;
    std::string Version;
    P.ReadDist(&Content, CRC, Size, Version, true, true);
}

int Verify(const TArgs& A)
{
    if (A.Files.empty()) throw EUsage{"no file to verify", 2};
    const std::string Key = Required(A, "key", 2);
    TDistPacker P;
    P.LoadPublicKeyFromFile(Key);
    int Result = 0;
    for (const auto& F : A.Files) {
        try {
            TMemoryStream Content;
            ReadChecked(P, F, Content);
            Out(F + " VALID");
        } catch (const Exception& E) {
            Out(F + " " + E.Message());
            Result = 1;
        }
    }
    return Result;
}

int Unpack(const TArgs& A)
{
    if (A.Files.size() != 2) throw EUsage{"FILE.dist and OUTPUT expected", 3};
    const std::string Key = Required(A, "key", 3);
    TDistPacker P;
    P.LoadPublicKeyFromFile(Key);
    TMemoryStream Content;
    ReadChecked(P, A.Files[0], Content);
    SaveStreamReplacing(Content, A.Files[1]);
    Out(A.Files[1] + ": " + IntToStr(Content.Size()) + " bytes");
    return 0;
}

int Info(const TArgs& A)
{
    if (!A.Options.empty() || A.Files.empty()) throw EUsage{"no file given", 4};
    int Result = 0;
    for (const auto& F : A.Files) {
        std::vector<uint8_t> B = ReadFileBytes(F);
        if (B.size() < 92 || std::string(B.begin(), B.begin() + 4) != "DSIG") {
            Out(F + ": not a distributive file (" + IntToStr(static_cast<int64_t>(B.size())) + " bytes)");
            Result = 1;
            continue;
        }
        const size_t T = B.size() - 88;
        auto Le32 = [&](size_t O) {
            return uint32_t(B[O]) | uint32_t(B[O + 1]) << 8 | uint32_t(B[O + 2]) << 16 | uint32_t(B[O + 3]) << 24;
        };
        TFileVersion V;
        for (int I = 0; I < 4; ++I) V.Part(I) = static_cast<int32_t>(Le32(T + 8 + 4 * I));
        std::string NameVersion;
        try {
            NameVersion = VersionFromDistName(F);
        } catch (const Exception& E) {
            NameVersion = E.Message();
        }
        Out(F);
        Out("  method: " + DistMethodOfBody(B.data() + 4, B.size() - 92));
        Out("  version in name: " + NameVersion);
        Out("  version in trailer: " + VersionToText(V));
        Out("  size: " + IntToStr(static_cast<int32_t>(Le32(T + 4))));
        Out("  CRC-32: " + IntToHex(Le32(T), 8));
    }
    return Result;
}

int Release(const TArgs& A)
{
    if (A.Files.empty()) throw EUsage{"no file to release", 5};
    const std::string Key = Required(A, "key", 5);
    const std::string Base = AddPathDelimiter(FullName(Required(A, "base", 5)));
    const TDistMethod Method = MethodOption(A, 5);
    const std::string Root = A.Options.count("dist-root") ? AddPathDelimiter(FullName(A.Options.at("dist-root")))
                                                          : DefaultDistRoot(Base);
    TRSASSA S;
    LoadPrivateKey(S, Key);
    int Result = 0;
    for (const auto& F : A.Files) {
        try {
            const std::string Full = FullName(F);
            const std::string Rel = ExtractRelativePath(Base, Full);
            if (Rel == Full || Rel.compare(0, 2, "..") == 0) throw Exception(F + " is not under " + Base);
            const std::string Version = ReleaseVersionOf(Full);
            if (Version.empty()) throw Exception(F + " has no version: give it a version resource or " + VerFileName(F));
            TFileVersion V;
            ParseVersion(Version, V);
            const std::string Dist = DistFileName(Full, Version, Root, Base);
            TMemoryStream File(BuildDist(ReadFileBytes(Full), Method, V, S));
            CheckFolderAccess(ExtractFilePath(Dist));
            SaveStreamReplacing(File, Dist);
            Out(F + " -> " + Dist);
        } catch (const Exception& E) {
            Err("distpack: " + E.Message());
            Result = 1;
        }
    }
    return Result;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string Command = argc > 1 ? argv[1] : "";
    try {
        if (Command == "keygen") return KeyGen(ParseArgs(argc, argv, {}, 0));
        if (Command == "pack") return Pack(ParseArgs(argc, argv, {"key", "method", "version"}, 1));
        if (Command == "verify") return Verify(ParseArgs(argc, argv, {"key"}, 2));
        if (Command == "unpack") return Unpack(ParseArgs(argc, argv, {"key"}, 3));
        if (Command == "info") return Info(ParseArgs(argc, argv, {}, 4));
        if (Command == "release") return Release(ParseArgs(argc, argv, {"key", "base", "dist-root", "method"}, 5));
        throw EUsage{Command.empty() ? "no command" : "unknown command " + Command, -1};
    } catch (const EUsage& U) {
        Err("distpack: " + U.Message);
        if (U.Line >= 0) {
            Err("usage: " + std::string(Usage[U.Line]));
        } else {
            for (const char* L : Usage) Err(std::string("usage: ") + L);
        }
        return 2;
    } catch (const Exception& E) {
        Err("distpack: " + E.Message());
        return 1;
    } catch (const std::exception& E) {
        Err(std::string("distpack: ") + E.what());
        return 1;
    }
}
