#include "ULoaderIniFile.h"

#include "platform/Classes.h"
#include "platform/SysUtils.h"
#include "utils/UFileUtils.h"

namespace {

using TStrings = std::vector<std::string>;

struct TIniSection {
    std::string Name;
    TStrings Entries;
};

std::vector<TIniSection> ReadSections(const std::string& FileName)
{
    const std::vector<uint8_t> Bytes = ReadFileBytes(FileName);
    const std::string Text(Bytes.begin(), Bytes.end());
    std::vector<TIniSection> Sections;
    size_t P = 0;
    while (P < Text.size()) {
        size_t Q = Text.find_first_of("\r\n", P);
        if (Q == std::string::npos) Q = Text.size();
        const std::string Line = Text.substr(P, Q - P);
        P = Q;
        if (P < Text.size() && Text[P] == '\r') ++P;
        if (P < Text.size() && Text[P] == '\n') ++P;

        // A line of blanks is as empty as an empty one: as an entry it would pass for a distributive.
        if (Trim(Line).empty() || Line[0] == ';') continue;
        if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']')
            Sections.push_back(TIniSection{Line.substr(1, Line.size() - 2), {}});
        else if (!Sections.empty())
            Sections.back().Entries.push_back(Line);
    }
    return Sections;
}

// Entries of the first block named Name; none when there is no such block.
TStrings EntriesOf(const std::vector<TIniSection>& Sections, const std::string& Name)
{
    for (const TIniSection& S : Sections)
        if (AnsiSameText(S.Name, Name)) return S.Entries;
    return {};
}

TStrings SectionEntries(const std::vector<TIniSection>& Sections, const std::string& Name,
                        const std::string& IniFileName)
{
    TStrings Entries = EntriesOf(Sections, Name);
    if (Entries.empty())
        throw Exception(Format("Section [%s] not found in \"%s\"", {Name, GetDisplayFileName(IniFileName)}));
    return Entries;
}

}  // namespace

TLoaderIniFile::TLoaderIniFile(const std::string& IniFileName, const std::string& Section,
                               const std::string& LoaderPath)
{
    CheckFileExists(IniFileName);
    const std::vector<TIniSection> Sections = ReadSections(IniFileName);

    SectionName = Section;
    FFiles = SectionEntries(Sections, SectionName, IniFileName);
    std::string Redirect;
    for (const std::string& Entry : FFiles) {
        const size_t Eq = Entry.find('=');
        if (!SameText(Entry.substr(0, Eq), "--section")) continue;
        if (Eq != std::string::npos) Redirect = Entry.substr(Eq + 1);
        break;
    }
    if (!Redirect.empty()) {
        SectionName = Redirect;
        FFiles = SectionEntries(Sections, SectionName, IniFileName);
    }

    InSectionDir = AnsiSameText(GetLastDirName(LoaderPath), SectionName);
    for (std::string& Entry : EntriesOf(Sections, "common")) FFiles.push_back(std::move(Entry));
    // From the section directory the ini file is a copy one level below the one the entries were
    // written for.
    for (std::string& Entry : FFiles) Entry = ExpandFileNameEx(InSectionDir ? "..\\" + Entry : Entry, IniFileName);

    ExeDistFile = FFiles.front();
    FFiles.erase(FFiles.begin());
}

const std::string& TLoaderIniFile::Files(int Index) const
{
    Assert(Index >= 0 && Index < Count());
    return FFiles[static_cast<size_t>(Index)];
}
