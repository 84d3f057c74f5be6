// One section of the loader's ini file: the distributive of the program to start and those of the
// files it needs, as full paths.
//
// The file: a line "[name]" starts a section (names compared without regard to case; a repeated
// header starts a block that is never read); empty lines, lines of blanks and lines beginning with
// ";" are skipped; every other line is one entry, taken whole. Entries are relative to the parent of
// the section directory. An entry "--section=other" makes the loader use section "other" instead (one
// level only), and the entries of [common] are appended to whichever section is used.
#pragma once

#include <string>
#include <vector>

class TLoaderIniFile {
public:
    // Reads SectionName of IniFileName. LoaderPath is the running loader (the program when empty):
    // when its directory is named like the section in use, every entry gets "..\" in front before it
    // is made absolute against the ini file's directory. Raises "Файл \"%s\" не существует",
    // "Section [%s] not found in \"%s\"" (also for a section without entries, and after a
    // redirection), and "ExpandFileNameEx: directory %s not exists".
    TLoaderIniFile(const std::string& IniFileName, const std::string& SectionName,
                   const std::string& LoaderPath = "");

    int Count() const { return static_cast<int>(FFiles.size()); }
    const std::string& Files(int Index) const;

    std::string ExeDistFile;  // the section's first entry: the program's distributive
    std::string SectionName;  // the section in use, after a redirection
    bool InSectionDir = false;

private:
    std::vector<std::string> FFiles;
};
