// Appending to a log file that never grows past 512000 bytes (the excess goes to "<log>.old"), and
// the dated error record that a failed run leaves in loader.log.
#pragma once

#include <cstdint>
#include <string>

class Exception;

// Appends S; an empty S does nothing at all. An empty FileName is set to the program's path with the
// extension ".log"; Handle (an OS file handle, or nullptr / INVALID) is opened when it has none and
// then belongs to the caller. Raises Exception "LogStrToFileEx: ..." on failure.
void LogStrToFileEx(const std::string& S, std::string& FileName, void*& Handle);
// Opens, appends S (with rotation) and closes.
void LogStrToFile(const std::string& S, const std::string& FileName);
// The record CR LF "dd.mm.yyyy, hh:nn:ss, ERR: <message>" CR LF, at the local time now or at a given one
// (the colons are the system's time separator).
std::string FormatErrorRecord(const std::string& Message);
std::string FormatErrorRecordAt(const std::string& Message, int Year, int Month, int Day, int Hour, int Minute,
                                int Second);
void LogException(const std::exception& E, const std::string& FileName);
// Shows the message in a task-modal error box first, then appends the record to loader.log.
void ShowAndLogException(const std::exception& E);
// True when the open file now has Size bytes; the file is never lengthened.
bool TruncateFileTo(void* Handle, uint32_t Size);

constexpr uint32_t LogRotateSize = 512000;
