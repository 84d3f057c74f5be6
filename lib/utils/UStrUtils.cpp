#ifdef _WIN32
#include <windows.h>
#endif

#include "utils/UStrUtils.h"

#include <cstdint>

#include "platform/CmdLine.h"
#include "platform/SysUtils.h"

namespace {

#ifndef _WIN32
// Windows-1251 to code page 866 for the upper half; what 866 cannot show becomes "?".
uint8_t OemOf(uint8_t C)
{
    if (C < 0x80) return C;
    if (C >= 0xC0 && C <= 0xEF) return static_cast<uint8_t>(C - 0x40);  // А..Я, а..п
    if (C >= 0xF0) return static_cast<uint8_t>(C - 0x10);                // р..я
    switch (C) {
    case 0xA8: return 0xF0; // Ё
    case 0xB8: return 0xF1; // ё
    case 0xAA: return 0xF2;
    case 0xBA: return 0xF3;
    case 0xAF: return 0xF4;
    case 0xBF: return 0xF5;
    case 0xA1: return 0xF6;
    case 0xA2: return 0xF7;
    case 0xB0: return 0xF8; // °
    case 0xB7: return 0xFA;
    case 0xB9: return 0xFC; // №
    case 0xA4: return 0xFD;
    case 0xA0: return 0xFF;
    default: return '?';
    }
}
#endif

// Length in bytes of the character that starts with C in the ANSI code page.
size_t CharLen(char C)
{
#ifdef _WIN32
    return IsDBCSLeadByte(static_cast<BYTE>(C)) ? 2 : 1;
#else
    (void)C;
    return 1;
#endif
}

bool IsBlank(char C)
{
    return static_cast<unsigned char>(C) <= ' ';
}

} // namespace

std::string AnsiToOem(const std::string& Text)
{
    std::string R(Text);
#ifdef _WIN32
    if (!R.empty()) CharToOemBuffA(Text.data(), R.data(), static_cast<DWORD>(R.size()));
#else
    for (char& C : R) C = static_cast<char>(OemOf(static_cast<uint8_t>(C)));
#endif
    return R;
}

bool TextInList(std::string_view Text, const std::vector<std::string>& List)
{
    for (const std::string& S : List)
        if (SameText(Text, S)) return true;
    return false;
}

bool TextInList(std::string_view Text, std::initializer_list<std::string_view> List)
{
    for (std::string_view S : List)
        if (SameText(Text, S)) return true;
    return false;
}

int LastPos(std::string_view SubText, std::string_view Text)
{
    if (SubText.empty() || SubText.size() > Text.size()) return 0;
    int Found = 0;
    for (size_t I = 0; I + SubText.size() <= Text.size(); I += CharLen(Text[I]))
        if (Text.compare(I, SubText.size(), SubText) == 0) Found = static_cast<int>(I) + 1;
    return Found;
}

int CharPosFrom(char Ch, std::string_view Text, int Start)
{
    if (Start < 1) Start = 1;
    if (static_cast<size_t>(Start) > Text.size()) return 0;
    size_t P = Text.find(Ch, static_cast<size_t>(Start) - 1);
    return P == std::string_view::npos ? 0 : static_cast<int>(P) + 1;
}

TCharSet MakeCharSet(std::string_view Chars)
{
    TCharSet S;
    for (char C : Chars) S.set(static_cast<uint8_t>(C));
    return S;
}

bool ConsistsOfChars(std::string_view Text, const TCharSet& CharSet)
{
    for (char C : Text)
        if (!CharSet.test(static_cast<uint8_t>(C))) return false;
    return true;
}

bool StrToBoolean(const std::string& Text, bool Default)
{
    if (Trim(Text).empty()) return Default;
    // The words are compared untrimmed: a value with blanks around it is a typing error, not a yes.
    if (TextInList(Text, {"0", "n", "no", "false"})) return false;
    if (TextInList(Text, {"1", "y", "yes", "true"})) return true;
    throw Exception(Format("\"%s\" is invalid boolean node value, valid is [\"1\", \"y\", \"yes\", \"true\"], "
                           "[\"\", \"0\", \"n\", \"no\", \"false\"]",
                           {Text}));
}

std::string ExtractCmdLineParams(const std::string& CmdLine, const std::string& ExeFileName)
{
    if (SplitParams(CmdLine).size() < 2) return {};
    for (const std::string& Key : {ExeFileName + " ", ExeFileName + "\" "}) {
        size_t P = CmdLine.find(Key);
        if (P != std::string::npos) return CmdLine.substr(P + Key.size());
    }
    // The program was named in another way ("LOADER.EXE", "loader", another path): take what follows
    // the first argument as the platform splits it, and the one blank after it.
    size_t I = 0, N = CmdLine.size();
    while (I < N && IsBlank(CmdLine[I])) ++I;
    bool Quoted = false;
    while (I < N && (Quoted || !IsBlank(CmdLine[I]))) {
        if (CmdLine[I] == '"') Quoted = !Quoted;
        ++I;
    }
    if (I < N) ++I;
    Assert(I < N, "ExtractCmdLineParams: no parameter text in the command line");
    return CmdLine.substr(I);
}
