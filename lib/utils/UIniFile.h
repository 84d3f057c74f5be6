// Settings files with a ".vendor" overlay. The maker ships "name.vendor"; a site overrides single keys
// by putting "name" beside it. A setting is addressed by a value path "file:section\key" (file and
// section may be left out: the program's own ".ini.vendor" and "Main").
//
// Section and key names are compared without regard to case (Windows-1251 letters included); when a
// name occurs twice, the first one wins.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/CustomIniFile.h"

// The whole file held in memory. Every line is kept trimmed, as a whole; a key is the text before the
// first "=" of a line (blanks before that "=" belong to the key) and its value all text after it,
// unchanged. A repeated section header starts a block that lookups never reach. Nothing is written
// unless WriteBack is called.
class TImprovedMemIniFile : public TCustomIniFile {
public:
    // Loads FileName when it is not empty and exists (a missing file gives an empty ini). With
    // KeepComments false, lines beginning with "#" or ";" are dropped. A file that exists but cannot be
    // read raises the stream's open error.
    explicit TImprovedMemIniFile(const std::string& FileName, bool KeepComments = false);

    std::string ReadValue(std::string_view Section, std::string_view Key, std::string_view Default) const;
    // Replaces the first line holding Key by "Key=Value", or appends that line to the section; a
    // missing section is appended at the end first.
    void WriteValue(std::string_view Section, std::string_view Key, std::string_view Value);
    // Key names of the section in order; a line without "=" gives an empty name.
    void ReadKeyNames(std::string_view Section, std::vector<std::string>& Strings) const;
    void ReadSectionNames(std::vector<std::string>& Strings) const;
    // The section's lines as stored.
    void ReadSectionLines(std::string_view Section, std::vector<std::string>& Strings) const;
    void RemoveSection(std::string_view Section);
    void RemoveKey(std::string_view Section, std::string_view Key);
    // Replaces the file by "[name]", the lines and an empty line per section, with CR LF line ends.
    // Dropped comments and lines before the first header are gone from it.
    void WriteBack();

    std::string ReadString(std::string_view Section, std::string_view Ident,
                           std::string_view Default) const override
    {
        return ReadValue(Section, Ident, Default);
    }
    void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value) override
    {
        WriteValue(Section, Ident, Value);
    }
    void ReadSection(std::string_view Section, std::vector<std::string>& Strings) const override
    {
        ReadKeyNames(Section, Strings);
    }
    void ReadSections(std::vector<std::string>& Strings) const override { ReadSectionNames(Strings); }
    void EraseSection(std::string_view Section) override { RemoveSection(Section); }
    void DeleteKey(std::string_view Section, std::string_view Ident) override { RemoveKey(Section, Ident); }
    void UpdateFile() override { WriteBack(); }

private:
    struct TSection {
        std::string Name;
        std::vector<std::string> Lines;
    };
    void Load(const std::string& Text);
    TSection* FindSection(std::string_view Name);
    const TSection* FindSection(std::string_view Name) const;
    static int FindKey(const TSection& Section, std::string_view Key);

    bool FKeepComments;
    std::vector<TSection> FSections;
};

// One key of one file. False (Value empty) when the file or the key is missing; a key whose stored
// value is exactly "ReadIniString_EmptyValue" counts as missing. True with the value, possibly empty,
// otherwise.
bool ReadIniString(const std::string& FileName, std::string_view Section, std::string_view Key, std::string& Value);

// Splits a trimmed value path: the file is the text before the first ":" (the program's path with
// ".ini.vendor" when there is none), the section the text before the first "\" of the rest (or, with
// no "\", its first "/"; "Main" when there is neither), the key the remaining text. A blank value path
// gives three empty parts. Nothing after the ":" or after the section separator is an internal error
// (EAssertionFailed).
void ParseIniValuePath(std::string_view ValuePath, std::string& FileName, std::string& Section, std::string& Key);

// Reads the setting a value path names. The file is taken relative to BaseDir (the program's directory
// when empty); a file named "*.vendor" is overlaid key by key by the same name without ".vendor", whose
// key wins when present, even with an empty value. True when the key was found in either file. A base
// directory that does not exist raises "ExpandFileNameEx: directory %s not exists".
bool ReadIniValue(std::string_view ValuePath, std::string& Value, const std::string& BaseDir = "");

// True when the last extension of FileName (from its last ".", after the last directory delimiter or
// ":") equals Ext (with its dot), without regard to case.
bool HasFileExt(const std::string& FileName, std::string_view Ext);
// FileName without its last extension when that is Ext, else FileName.
std::string RemoveFileExt(const std::string& FileName, std::string_view Ext);
// FileName when it already ends in ".vendor", else FileName + Ext.
std::string AddVendorExt(const std::string& FileName, std::string_view Ext);
// The whole-file overlay: the name without Ext when FileName ends in Ext and that shorter name exists
// as a file, else FileName.
std::string PreferLocalFile(const std::string& FileName, std::string_view Ext);
