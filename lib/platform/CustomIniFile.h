// The abstract ini file: a file name and typed reads and writes built on the string ones that a
// concrete ini class supplies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SysUtils.h"

class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string FileName) : FFileName(std::move(FileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return FFileName; }

    virtual std::string ReadString(std::string_view Section, std::string_view Ident,
                                   std::string_view Default) const = 0;
    virtual void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value) = 0;
    // Key names of a section, and the names of all sections, in file order.
    virtual void ReadSection(std::string_view Section, std::vector<std::string>& Strings) const = 0;
    virtual void ReadSections(std::vector<std::string>& Strings) const = 0;
    virtual void EraseSection(std::string_view Section) = 0;
    virtual void DeleteKey(std::string_view Section, std::string_view Ident) = 0;
    // Writes the content to FileName.
    virtual void UpdateFile() = 0;

    bool SectionExists(std::string_view Section) const
    {
        std::vector<std::string> Keys;
        ReadSection(Section, Keys);
        return !Keys.empty();
    }
    bool ValueExists(std::string_view Section, std::string_view Ident) const
    {
        std::vector<std::string> Keys;
        ReadSection(Section, Keys);
        for (const std::string& K : Keys)
            if (AnsiSameText(K, Ident)) return true;
        return false;
    }

    // A value that is no integer reads as Default.
    int32_t ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const
    {
        return StrToIntDef(ReadString(Section, Ident, ""), Default);
    }
    void WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value)
    {
        WriteString(Section, Ident, IntToStr(Value));
    }
    // Booleans are stored as "1" and "0"; any non-zero integer reads as true.
    bool ReadBool(std::string_view Section, std::string_view Ident, bool Default) const
    {
        return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
    }
    void WriteBool(std::string_view Section, std::string_view Ident, bool Value)
    {
        WriteString(Section, Ident, Value ? "1" : "0");
    }

private:
    std::string FFileName;
};
