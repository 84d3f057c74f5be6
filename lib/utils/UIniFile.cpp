#include "utils/UIniFile.h"

#include "platform/Classes.h"
#include "utils/UFileUtils.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

const char* const EmptyValueMarker = "ReadIniString_EmptyValue";
const char* const VendorExt = ".vendor";

bool IsExistingFile(const std::string& FileName)
{
    if (FileName.empty()) return false;
#ifdef _WIN32
    const DWORD Attr = GetFileAttributesA(FileName.c_str());
    return Attr != INVALID_FILE_ATTRIBUTES && !(Attr & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat St {};
    return stat(FileName.c_str(), &St) == 0 && S_ISREG(St.st_mode);
#endif
}

std::string ReadWholeFile(const std::string& FileName)
{
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    std::string Text(static_cast<size_t>(F.Size()), '\0');
    if (!Text.empty()) F.ReadBuffer(Text.data(), static_cast<int32_t>(Text.size()));
    return Text;
}

// The key of a stored line: the text before its first "=", or nothing for a line without one.
bool LineKey(const std::string& Line, std::string_view& Key)
{
    const size_t Eq = Line.find('=');
    if (Eq == std::string::npos) return false;
    Key = std::string_view(Line).substr(0, Eq);
    return true;
}

}  // namespace

TImprovedMemIniFile::TImprovedMemIniFile(const std::string& FileName, bool KeepComments)
    : TCustomIniFile(FileName), FKeepComments(KeepComments)
{
    if (IsExistingFile(FileName)) Load(ReadWholeFile(FileName));
}

void TImprovedMemIniFile::Load(const std::string& Text)
{
    const size_t End = Text.find('\0');
    const std::string_view All = std::string_view(Text).substr(0, End);
    TSection* Current = nullptr;
    size_t P = 0;
    while (P < All.size()) {
        size_t Q = All.find_first_of("\r\n", P);
        if (Q == std::string_view::npos) Q = All.size();
        const std::string Line = Trim(All.substr(P, Q - P));
        P = Q;
        if (P < All.size() && All[P] == '\r') ++P;
        if (P < All.size() && All[P] == '\n') ++P;

        if (Line.empty()) continue;
        if (!FKeepComments && (Line[0] == '#' || Line[0] == ';')) continue;
        if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']') {
            FSections.push_back(TSection{Line.substr(1, Line.size() - 2), {}});
            Current = &FSections.back();
            continue;
        }
        if (Current) Current->Lines.push_back(Line);
    }
}

TImprovedMemIniFile::TSection* TImprovedMemIniFile::FindSection(std::string_view Name)
{
    for (TSection& S : FSections)
        if (AnsiSameText(S.Name, Name)) return &S;
    return nullptr;
}

const TImprovedMemIniFile::TSection* TImprovedMemIniFile::FindSection(std::string_view Name) const
{
    return const_cast<TImprovedMemIniFile*>(this)->FindSection(Name);
}

int TImprovedMemIniFile::FindKey(const TSection& Section, std::string_view Key)
{
    for (size_t I = 0; I < Section.Lines.size(); ++I) {
        std::string_view K;
        if (LineKey(Section.Lines[I], K) && AnsiSameText(K, Key)) return static_cast<int>(I);
    }
    return -1;
}

std::string TImprovedMemIniFile::ReadValue(std::string_view Section, std::string_view Key,
                                           std::string_view Default) const
{
    const TSection* S = FindSection(Section);
    if (!S) return std::string(Default);
    const int I = FindKey(*S, Key);
    if (I < 0) return std::string(Default);
    const std::string& Line = S->Lines[static_cast<size_t>(I)];
    return Line.substr(Line.find('=') + 1);
}

void TImprovedMemIniFile::WriteValue(std::string_view Section, std::string_view Key, std::string_view Value)
{
    TSection* S = FindSection(Section);
    if (!S) {
        FSections.push_back(TSection{std::string(Section), {}});
        S = &FSections.back();
    }
    std::string Line = std::string(Key) + "=" + std::string(Value);
    const int I = FindKey(*S, Key);
    if (I >= 0)
        S->Lines[static_cast<size_t>(I)] = std::move(Line);
    else
        S->Lines.push_back(std::move(Line));
}

void TImprovedMemIniFile::ReadKeyNames(std::string_view Section, std::vector<std::string>& Strings) const
{
    Strings.clear();
    const TSection* S = FindSection(Section);
    if (!S) return;
    for (const std::string& Line : S->Lines) {
        std::string_view K;
        Strings.emplace_back(LineKey(Line, K) ? K : std::string_view());
    }
}

void TImprovedMemIniFile::ReadSectionNames(std::vector<std::string>& Strings) const
{
    Strings.clear();
    for (const TSection& S : FSections) Strings.push_back(S.Name);
}

void TImprovedMemIniFile::ReadSectionLines(std::string_view Section, std::vector<std::string>& Strings) const
{
    Strings.clear();
    if (const TSection* S = FindSection(Section)) Strings = S->Lines;
}

void TImprovedMemIniFile::RemoveSection(std::string_view Section)
{
    for (auto It = FSections.begin(); It != FSections.end(); ++It)
        if (AnsiSameText(It->Name, Section)) {
            FSections.erase(It);
            return;
        }
}

void TImprovedMemIniFile::RemoveKey(std::string_view Section, std::string_view Key)
{
    TSection* S = FindSection(Section);
    if (!S) return;
    const int I = FindKey(*S, Key);
    if (I >= 0) S->Lines.erase(S->Lines.begin() + I);
}

void TImprovedMemIniFile::WriteBack()
{
    std::string Text;
    for (const TSection& S : FSections) {
        Text += "[" + S.Name + "]\r\n";
        for (const std::string& Line : S.Lines) Text += Line + "\r\n";
        Text += "\r\n";
    }
    WriteFileBytes(FileName(), Text);
}

bool ReadIniString(const std::string& FileName, std::string_view Section, std::string_view Key, std::string& Value)
{
    Value.clear();
    if (!IsExistingFile(FileName)) return false;
    const TImprovedMemIniFile Ini(FileName, false);
    std::string V = Ini.ReadValue(Section, Key, EmptyValueMarker);
    if (V == EmptyValueMarker) return false;
    Value = std::move(V);
    return true;
}

void ParseIniValuePath(std::string_view ValuePath, std::string& FileName, std::string& Section, std::string& Key)
{
    FileName.clear();
    Section.clear();
    Key.clear();
    const std::string Path = Trim(ValuePath);
    if (Path.empty()) return;

    std::string Rest;
    const size_t Colon = Path.find(':');
    if (Colon != std::string::npos) {
        Assert(Colon + 1 < Path.size(), Format("ParseIniValuePath: nothing after \":\" in \"%s\"", {Path}));
        FileName = Path.substr(0, Colon);
        Rest = Path.substr(Colon + 1);
    } else {
        FileName = ChangeFileExt(GetExeName(), ".ini.vendor");
        Rest = Path;
    }

    size_t Sep = Rest.find('\\');
    if (Sep == std::string::npos) Sep = Rest.find('/');
    if (Sep == std::string::npos) {
        Section = "Main";
        Key = Rest;
        return;
    }
    Assert(Sep + 1 < Rest.size(), Format("ParseIniValuePath: no key after the section in \"%s\"", {Path}));
    Section = Rest.substr(0, Sep);
    Key = Rest.substr(Sep + 1);
}

bool ReadIniValue(std::string_view ValuePath, std::string& Value, const std::string& BaseDir)
{
    Value.clear();
    std::string FileName, Section, Key;
    ParseIniValuePath(ValuePath, FileName, Section, Key);
    const std::string Base = BaseDir.empty() ? GetExeDir() : AddPathDelimiter(BaseDir);
    FileName = ExpandFileNameEx(FileName, Base);
    if (HasFileExt(FileName, VendorExt) &&
        ReadIniString(RemoveFileExt(FileName, VendorExt), Section, Key, Value))
        return true;
    return ReadIniString(FileName, Section, Key, Value);
}

bool HasFileExt(const std::string& FileName, std::string_view Ext)
{
    return AnsiSameText(ExtractFileExt(FileName), Ext);
}

std::string RemoveFileExt(const std::string& FileName, std::string_view Ext)
{
    if (!HasFileExt(FileName, Ext)) return FileName;
    return FileName.substr(0, FileName.size() - ExtractFileExt(FileName).size());
}

std::string AddVendorExt(const std::string& FileName, std::string_view Ext)
{
    return HasFileExt(FileName, VendorExt) ? FileName : FileName + std::string(Ext);
}

std::string PreferLocalFile(const std::string& FileName, std::string_view Ext)
{
    if (!HasFileExt(FileName, Ext)) return FileName;
    const std::string Local = RemoveFileExt(FileName, Ext);
    return IsExistingFile(Local) ? Local : FileName;
}
