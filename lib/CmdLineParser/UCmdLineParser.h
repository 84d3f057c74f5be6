// A small parser of "--name[=value]" options. A program derives its options class from
// TCmdLineParser, declares its options after construction, fills the help and version texts and calls
// Prepare; help and version requests come back as exceptions that carry the text to show.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SysUtils.h"

DECLARE_EXCEPTION_CLASS(ECmdLinePrepareError, Exception);   // bad declarations or a bad command line
DECLARE_EXCEPTION_CLASS(EShowHelpException, Exception);     // message: the text to show
DECLARE_EXCEPTION_CLASS(EShowVersionException, Exception);  // message: the version text

enum TOptionArgKind : uint8_t {
    akNone = 0,      // no argument allowed
    akRequired = 1,  // an argument must be given
    akOptional = 2,  // an argument may be given
};

// One declared option (Name, ArgKind, Flag) or one option found on the command line (Name as typed,
// Value).
struct TOption {
    std::string Name;
    TOptionArgKind ArgKind = akNone;
    std::string Value;
    bool* Flag = nullptr;  // set to true when the option is found; not owned
};

// Owns its records; removing an entry or clearing the list frees it.
class TOptionList {
public:
    void AddOption(const std::string& Name, TOptionArgKind ArgKind, bool* Flag);
    void Add(TOption Option);
    // First entry whose name equals Name, letters A to Z without regard to case; -1 when none.
    int IndexOfName(std::string_view Name) const;
    // Value of the first entry named Name, or "".
    std::string GetValue(std::string_view Name) const;
    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    const TOption& operator[](int Index) const;
    void Delete(int Index);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TOption>> FItems;
};

using TFileNameList = std::vector<std::string>;

class TCmdLineParser {
public:
    // Takes the process arguments 1 to the last (ProcessParams: not the program path).
    TCmdLineParser();
    explicit TCmdLineParser(const std::vector<std::string>& ArgList);
    virtual ~TCmdLineParser();
    TCmdLineParser(const TCmdLineParser&) = delete;
    TCmdLineParser& operator=(const TCmdLineParser&) = delete;

    // Splits Args into ParsedOptions and FileNames and sets the flags. Raises ECmdLinePrepareError for
    // an empty option list, an unknown option or a bad argument (what was parsed before that argument
    // stays in the result lists); then EShowHelpException / EShowVersionException for a request whose
    // text is set. A request whose text is empty is ignored.
    virtual void Prepare();

    TOptionList Options;
    std::vector<std::string> Args;
    TOptionList ParsedOptions;
    TFileNameList FileNames;
    bool HelpRequested = false;
    bool ManRequested = false;
    bool VersionRequested = false;
    std::string UsageText;
    std::string ManualFile;
    std::string VersionText;

private:
    void DeclareBuiltInOptions();
};
