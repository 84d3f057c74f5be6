// The in-memory ini file of the platform: the whole file is read once, changed in memory and written
// back in one piece by UpdateFile.
//
// What survives a load: every section from its header on, with its lines as they were written. Empty
// lines, lines that begin with ";" and lines in front of the first section header are dropped, so a
// file that is loaded and written back loses its comments and blank lines but no setting. A section
// that appears twice is read as one. Section and key names are compared without regard to case
// (Windows-1251 letters included) and without the blanks around them.
//
// UpdateFile writes every section as its header line "[Name]", its lines and one empty line, with
// CR LF line ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TMemIniFile {
public:
    // Loads FileName when it exists; a missing file gives an empty ini. A file that exists but cannot
    // be read raises EFOpenError "Cannot open file %s".
    explicit TMemIniFile(std::string FileName);

    const std::string& FileName() const { return FFileName; }

    bool SectionExists(std::string_view Section) const;
    bool ValueExists(std::string_view Section, std::string_view Ident) const;
    // The text after the first "=" of the key's line, as it stands in the file; Default when the section
    // or the key is missing.
    std::string ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const;
    int32_t ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const;
    // Replaces the key's line by "Ident=Value", or appends that line to the section, appending the
    // section at the end when it is missing.
    void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value);

    std::vector<std::string> ReadSections() const;
    // Names of the keys of a section, in their order, without the blanks around them.
    std::vector<std::string> ReadSection(std::string_view Section) const;
    void EraseSection(std::string_view Section);
    void DeleteKey(std::string_view Section, std::string_view Ident);
    void Clear() { FSections.clear(); }

    // The content as UpdateFile writes it, and a replacement of the content read as a file is.
    std::string GetText() const;
    void SetText(std::string_view Text);

    // Writes the content to FileName, replacing the file. EFCreateError "Cannot create file %s" when it
    // cannot be created (a read-only file, a missing folder); the file is then left as it was.
    void UpdateFile() const;

private:
    struct TSection {
        std::string Name;
        std::vector<std::string> Lines;
    };
    TSection* FindSection(std::string_view Section);
    const TSection* FindSection(std::string_view Section) const;
    static ptrdiff_t FindKey(const TSection& S, std::string_view Ident);

    std::string FFileName;
    std::vector<TSection> FSections;
};
