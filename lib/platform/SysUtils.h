// The small runtime the rest of the code stands on: the exception family whose class names the error
// dialog shows, Format, and the string and file-name helpers every unit uses.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Root of every error the programs raise; ClassName() is what "Class: message" reports show.
class Exception : public std::exception {
public:
    explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
    virtual ~Exception() = default;
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string Message) { FMessage = std::move(Message); }
    virtual const char* ClassName() const noexcept { return "Exception"; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

#define DECLARE_EXCEPTION_CLASS(Name, Base)                                   \
    class Name : public Base {                                                \
    public:                                                                   \
        using Base::Base;                                                     \
        const char* ClassName() const noexcept override { return #Name; }    \
    }

DECLARE_EXCEPTION_CLASS(EAbort, Exception);
DECLARE_EXCEPTION_CLASS(EConvertError, Exception);
DECLARE_EXCEPTION_CLASS(EAssertionFailed, Exception);
DECLARE_EXCEPTION_CLASS(EStreamError, Exception);
DECLARE_EXCEPTION_CLASS(EReadError, EStreamError);
DECLARE_EXCEPTION_CLASS(EWriteError, EStreamError);
DECLARE_EXCEPTION_CLASS(EFOpenError, EStreamError);
DECLARE_EXCEPTION_CLASS(EFCreateError, EStreamError);
DECLARE_EXCEPTION_CLASS(EIntfCastError, Exception);
DECLARE_EXCEPTION_CLASS(EOutOfMemory, Exception);

// An operating-system failure: the code and the system's text for it.
class EOSError : public Exception {
public:
    EOSError(std::string Message, uint32_t ErrorCode) : Exception(std::move(Message)), ErrorCode(ErrorCode) {}
    const char* ClassName() const noexcept override { return "EOSError"; }
    uint32_t ErrorCode;
};

// Format argument: strings, integers and pointers, as the format texts of the programs use them.
struct TVarRec {
    enum Kind { vtString, vtInt, vtUInt, vtInt64, vtPointer } VType;
    std::string_view S;
    int64_t I = 0;
    const void* P = nullptr;
    TVarRec(const std::string& V) : VType(vtString), S(V) {}
    TVarRec(std::string_view V) : VType(vtString), S(V) {}
    TVarRec(const char* V) : VType(vtString), S(V ? V : "") {}
    TVarRec(char V) = delete;
    TVarRec(int V) : VType(vtInt), I(V) {}
    TVarRec(long V) : VType(vtInt), I(V) {}
    TVarRec(unsigned V) : VType(vtUInt), I(V) {}
    TVarRec(unsigned long V) : VType(vtUInt), I(static_cast<int64_t>(V)) {}
    TVarRec(long long V) : VType(vtInt64), I(V) {}
    TVarRec(unsigned long long V) : VType(vtInt64), I(static_cast<int64_t>(V)) {}
    TVarRec(const void* V) : VType(vtPointer), P(V) {}
};

// Format with %s %d %u %x %p %% and optional "-", width and ".precision" (precision pads %d/%x with
// zeros and cuts %s). A directive that does not fit its argument, or a missing argument, raises
// EConvertError "Format '%s' invalid or incompatible with argument".
std::string Format(std::string_view Fmt, std::initializer_list<TVarRec> Args);

// Internal consistency check that stays in every build: raises EAssertionFailed.
[[noreturn]] void AssertFailed(const char* Expr, const char* File, int Line, const std::string& Msg = {});
#define Assert(Cond, ...) \
    do { if (!(Cond)) AssertFailed(#Cond, __FILE__, __LINE__ __VA_OPT__(,) __VA_ARGS__); } while (0)

// The system's text for an error code, and the OS error raised for the last error.
std::string SysErrorMessage(uint32_t ErrorCode);
uint32_t GetLastOSError();
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseOSError(uint32_t ErrorCode);

std::string IntToStr(int64_t Value);
std::string IntToHex(uint64_t Value, int Digits);
// Decimal with optional sign (and $hex, as the platform's conversion accepts); EConvertError
// "'%s' is not a valid integer value" otherwise.
int32_t StrToInt(std::string_view S);
int32_t StrToIntDef(std::string_view S, int32_t Default);
bool TryStrToInt(std::string_view S, int32_t& Value);

std::string Trim(std::string_view S);      // removes characters up to the blank (controls too)
std::string TrimLeft(std::string_view S);
std::string TrimRight(std::string_view S);
std::string UpperCase(std::string_view S); // ASCII letters only
std::string LowerCase(std::string_view S);
bool SameText(std::string_view A, std::string_view B); // ASCII case-insensitive
int CompareText(std::string_view A, std::string_view B);
// Cyrillic-aware (Windows-1251) case folding, for names that users type.
std::string AnsiUpperCase(std::string_view S);
bool AnsiSameText(std::string_view A, std::string_view B);
bool StartsText(std::string_view Prefix, std::string_view S);
bool EndsText(std::string_view Suffix, std::string_view S);
std::string StringReplaceAll(std::string_view S, std::string_view From, std::string_view To);
std::string StringOfChar(char C, size_t Count);

// File-name parts; both "\" and (for the portable tools) "/" delimit directories, ":" ends a drive.
std::string ExtractFilePath(std::string_view FileName);  // with its trailing delimiter
std::string ExtractFileDir(std::string_view FileName);   // without it (a drive root keeps "C:\")
std::string ExtractFileName(std::string_view FileName);
std::string ExtractFileExt(std::string_view FileName);   // with the dot; "" when none
std::string ChangeFileExt(std::string_view FileName, std::string_view Extension);
std::string IncludeTrailingPathDelimiter(std::string_view S);
std::string ExcludeTrailingPathDelimiter(std::string_view S);
bool IsPathDelimiter(char C);
