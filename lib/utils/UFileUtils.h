// File names and files: the program's own path, path delimiters, names expanded against a base
// directory, the short display form used in every message, searching by mask, temporary files,
// checked copying, proving a folder writable, 8.3 names, and a copy with a time limit.
//
// Paths are the program's 8-bit strings. "\" is the delimiter the functions add; "/" is accepted as a
// delimiter in input as well. A name that ends in "\" denotes a directory.
//
// The whole unit builds natively too (the release tool uses it): the text helpers are plain string
// work, the rest calls Windows there and POSIX natively (8.3 names do not exist there: the short
// name of an existing path is the path itself).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/SysUtils.h"

// Where an operation takes an exception class, the caller names it as ExceptionClassOf<EMyError>; the
// failure is then raised as that class. nullptr raises the common class Exception.
using TExceptionClass = void (*)(const std::string& Message);
template <class E>
void RaiseExceptionAs(const std::string& Message)
{
    throw E(Message);
}
template <class E>
inline constexpr TExceptionClass ExceptionClassOf = &RaiseExceptionAs<E>;
// Raises Message as ExceptionClass (Exception when nullptr).
[[noreturn]] void RaiseAs(TExceptionClass ExceptionClass, const std::string& Message);

// Full path of the running program. An empty path is an internal error (EAssertionFailed).
std::string GetExeName();
// Path of the module this code runs in: the program, or the library when linked into one.
std::string GetModuleName();
// Directory of GetExeName() with a trailing "\".
std::string GetExeDir();

// "" stays ""; a Path ending in ":" or a delimiter is unchanged; a lone drive letter gets ":\"
// ("c" -> "c:\"); anything else gets "\".
std::string AddPathDelimiter(const std::string& Path);
// Path without one trailing delimiter.
std::string ExcludePathDelimiter(const std::string& Path);

// FileName made absolute as if the directory part of BaseName (up to its last "\" or ":") were the
// current directory. The process's current directory is not touched, so this is safe on any thread.
// A directory part that is not an existing directory raises Exception
// "ExpandFileNameEx: directory %s not exists".
std::string ExpandFileNameEx(const std::string& FileName, const std::string& BaseName);

// The short form of FileName shown in messages: relative to the directory of BaseName (the current
// directory when BaseName is empty) when that is near ("..\.dist\a.dist"), "." for that directory
// itself, the full name when it lies three or more levels up or on another drive.
std::string GetDisplayFileName(const std::string& FileName, const std::string& BaseName = "");
// The relative-path rule GetDisplayFileName builds on: DestName relative to the directory part of
// BaseName, both absolute. Components compare case-insensitively on Windows (exactly natively); each
// base component not shared gives "..\"; a name on another drive comes back unchanged.
std::string ExtractRelativePath(const std::string& BaseName, const std::string& DestName);

// Appends to List every entry matching Mask that is not a directory, as the directory part of Mask
// followed by the entry's name; returns how many it appended. With Recursive, subdirectories whose
// own names match Mask are searched with the same file-name mask.
int FindFiles(const std::string& Mask, std::vector<std::string>& List, bool Recursive);

// Name of the directory holding Path (the program when Path is empty): "C:\Apps\Mirdal5\loader.exe"
// gives "Mirdal5", a name in a drive root gives the drive ("C:").
std::string GetLastDirName(const std::string& Path = "");

// The system's directory for temporary files, with its trailing delimiter.
std::string GetTempDir();
// Creates a new empty file with a unique name in Dir (the temporary directory when empty) from up to
// three characters of Prefix and returns its full name. A system failure raises EOSError.
std::string CreateTempFileName(const std::string& Prefix, const std::string& Dir = "");

// Size of the file (low 32 bits). Failure to open raises
// "GetFileSize: ошибка открытия файла \"%s\": %s".
uint32_t GetFileSize(const std::string& FileName);

// Copies Source over Destination (overwriting it). Failure raises ExceptionClass with
// "Не удалось скопировать файл \"%s\" в \"%s\", ошибка: %s".
void CopyFileChecked(const std::string& Source, const std::string& Destination,
                     TExceptionClass ExceptionClass = nullptr);

// Creates Folder (with its parents) unless it exists, then proves that a file can be created and
// deleted in it. Network folders ("\\" anywhere) are never created. Raises ExceptionClass with the
// folder's message on failure; leaves no probe file behind on success.
void CheckFolderAccess(const std::string& Folder, TExceptionClass ExceptionClass = nullptr);
// The probe file name CheckFolderAccess creates and deletes in the folder.
extern const char* const FolderAccessProbeName;

// Raises ExceptionClass "Файл \"%s\" не существует" (DisplayName, or FileName when DisplayName is
// empty) unless FileName exists as a file; a directory does not count.
void CheckFileExists(const std::string& FileName, const std::string& DisplayName = "",
                     TExceptionClass ExceptionClass = nullptr);

// The short (8.3) form of an existing Path; failure raises "GetShortPathName(\"%s\"): %s".
std::string GetShortPathName(const std::string& Path);
// Short form of FileName: of the whole name when the file exists, of its directory followed by the
// long file name when only the directory exists, FileName unchanged otherwise.
std::string GetShortFileName(const std::string& FileName);

// A copy of one file on a worker thread. Its state is shared between the thread and its owner, so a
// worker that outlives a timed-out wait still writes only into memory it co-owns.
class TCopyFileThread {
public:
    struct TState;
    TCopyFileThread(const std::string& Source, const std::string& Destination);
    // Asks a still running copy to stop and lets the worker end on its own.
    ~TCopyFileThread();
    TCopyFileThread(const TCopyFileThread&) = delete;
    TCopyFileThread& operator=(const TCopyFileThread&) = delete;

    void Start();
    // Set by the worker when its work is done, or by the owner to ask it to stop.
    bool Terminated() const;
    void Terminate();
    // True once the worker has returned (a stop request alone does not make it so).
    bool Finished() const;
    // Waits at most TimeoutMs for the worker to return; true when it has.
    bool WaitFor(uint32_t TimeoutMs);
    // Empty after success, the failure's message otherwise; read it once Terminated() was set by the worker.
    std::string ErrorMessage() const;

private:
    std::shared_ptr<TState> FState;
    bool FStarted = false;
};

// Copies Source to Destination on a TCopyFileThread, waiting at most TimeoutSeconds (polling every
// 10 ms). True when the copy succeeded. False with ErrorText set when it failed; false with ErrorText
// empty when the time limit passed first: the copy is then cancelled (a partial destination is not
// left behind where the system can cancel it) and must be treated as not done.
bool CopyFileWithTimeout(const std::string& Source, const std::string& Destination, std::string& ErrorText,
                         int TimeoutSeconds);
