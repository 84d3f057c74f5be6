// The path of every progress line: standard output and, byte for byte the same, the session log
// file beside the program. Also the single-dash switch look-up that works before (and without) the
// option parser, text resources, and the console control handler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Non-empty: creates FileName afresh (relative names against the current directory) and logs into
// it; a file that cannot be created silently leaves logging to the console only. Empty: closes it.
void SetConsoleLogFile(const std::string& FileName);
// Writes S as it is (no code-page conversion) to standard error (Stream 0) or output (1) and to the
// log file. Colour is a console attribute (0 = unchanged). A failed write to the log raises EOSError.
void ConsoleWrite(const std::string& S, int Stream, bool AddLineEnd, uint16_t Colour);
// S converted to the OEM code page, plus CR LF, on standard output and in the log.
void ConsoleWriteLn(const std::string& S, uint16_t Colour = 0);
// A line of 80 "-".
void ConsoleWriteSeparator();
const std::string& ConsoleLogFileName();

// Whole-argument, ASCII case-insensitive look-up of Name among the process arguments; the caller
// writes the dash. TakeValue: Value = the argument after the match (if any).
bool FindCmdLineParam(const std::string& Name, bool TakeValue, std::string& Value);
bool HasCmdLineParam(const std::string& Name);
// The same look-up in a given argument list.
bool FindParamIn(const std::vector<std::string>& Params, const std::string& Name, bool TakeValue, std::string& Value);

// The resource Name of type "TEXT" in Module (an HMODULE; nullptr = the program). A missing resource
// leaves Text unchanged when Silent and raises EAssertionFailed otherwise. At most 10240 bytes are
// returned whole; longer ones are cut to 10239; a NUL ends the text.
void LoadTextResource(void* Module, const std::string& Name, bool Silent, std::string& Text);

// Start-up and shut-down of this unit: the console control handler; closing the log.
void InitConsoleUtils();
void FinalizeConsoleUtils();
