#include "utils/UFileVer.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

const char* const VersionInfoLangCP = "041904E3";

bool ParseVersionNumber(const std::string& Text, size_t& Pos, int32_t& N)
{
    auto IsDigit = [&](size_t I) { return I < Text.size() && Text[I] >= '0' && Text[I] <= '9'; };
    N = 0;
    size_t Start = Pos;
    while (IsDigit(Pos)) {
        int32_t D = Text[Pos] - '0';
        // Stops before a part could reach 2^31; the digit left over then fails the part.
        if (N > 214748364 - D) break;
        N = N * 10 + D;
        ++Pos;
    }
    return Pos > Start && !IsDigit(Pos);
}

bool ParseVersion(const std::string& Text, TFileVersion& V)
{
    if (Text.empty()) return false;
    size_t Pos = 0;
    for (int I = 0; I < 4; ++I) {
        int32_t N;
        if (!ParseVersionNumber(Text, Pos, N)) return false;
        if (I < 3 && Pos >= Text.size()) return false;
        V.Part(I) = N;
        ++Pos;
    }
    return true;
}

std::string VersionPartsToText(const TFileVersion& V, unsigned Parts)
{
    std::string R;
    for (int I = 0; I < 4; ++I) {
        if (!(Parts & (1u << I))) continue;
        if (!R.empty()) R += '.';
        R += std::to_string(V.Part(I));
    }
    return R;
}

std::string VersionToText(const TFileVersion& V)
{
    return VersionPartsToText(V, 0xF);
}

int64_t CompareVersions(const TFileVersion& A, const TFileVersion& B)
{
    for (int I = 0; I < 4; ++I)
        if (A.Part(I) != B.Part(I)) return static_cast<int64_t>(A.Part(I)) - B.Part(I);
    return 0;
}

int64_t CompareVersionTexts(const std::string& A, const std::string& B)
{
    TFileVersion VA, VB;
    bool OkA = ParseVersion(A, VA), OkB = ParseVersion(B, VB);
    if (OkA && OkB) return CompareVersions(VA, VB);
    if (OkA != OkB) return OkA ? 1 : -1;
    return A.compare(B);
}

#ifdef _WIN32

namespace {
bool ReadVersionInfo(const std::string& FileName, std::vector<char>& Info)
{
    if (FileName.empty()) return false;
    DWORD Dummy = 0;
    DWORD Size = GetFileVersionInfoSizeA(FileName.c_str(), &Dummy);
    if (Size == 0) return false;
    Info.assign(Size, '\0');
    return GetFileVersionInfoA(FileName.c_str(), 0, Size, Info.data()) != FALSE;
}

bool QueryString(std::vector<char>& Info, const std::string& Name, std::string& Value)
{
    std::string Key = std::string("\\StringFileInfo\\") + VersionInfoLangCP + "\\" + Name;
    char* P = nullptr;
    UINT Len = 0;
    if (!VerQueryValueA(Info.data(), Key.c_str(), reinterpret_cast<void**>(&P), &Len) || !P) return false;
    Value.assign(P, Len);
    // The stored length counts the terminating NUL.
    size_t Nul = Value.find('\0');
    if (Nul != std::string::npos) Value.resize(Nul);
    return true;
}
} // namespace

bool GetFileVersion(const std::string& FileName, TFileVersion& V)
{
    V = TFileVersion{};
    std::vector<char> Info;
    std::string Text;
    if (!ReadVersionInfo(FileName, Info) || !QueryString(Info, "FileVersion", Text)) return false;
    return ParseVersion(Text, V);
}

std::string GetVersionInfoValue(const std::string& FileName, const std::string& Name)
{
    std::vector<char> Info;
    std::string Text;
    if (!ReadVersionInfo(FileName, Info) || !QueryString(Info, Name, Text)) return {};
    return Text;
}

#else

// The native tools have no version resources to read: versions come from their command lines.
bool GetFileVersion(const std::string&, TFileVersion& V)
{
    V = TFileVersion{};
    return false;
}

std::string GetVersionInfoValue(const std::string&, const std::string&)
{
    return {};
}

#endif

std::string GetFileVersionText(const std::string& FileName)
{
    TFileVersion V;
    return GetFileVersion(FileName, V) ? VersionToText(V) : std::string();
}

std::string GetProductVersionText(const std::string& FileName)
{
    return GetVersionInfoValue(FileName, "ProductName") + " version " + GetVersionInfoValue(FileName, "ProductVersion");
}
