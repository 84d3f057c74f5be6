// Text helpers on the program's 8-bit strings: console code page, case-insensitive membership,
// character and substring positions, character sets, the boolean parser for configuration values and
// the parameter text of a command line.
//
// This unit holds what works on text alone and builds natively; what asks the running process or the
// user (command line of this process, modifier keys, message boxes, interface references, the system's
// URL parser) is in USysUtils.
//
// Positions are 1-based character positions; 0 means "not found".
#pragma once

#include <bitset>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// <windows.h> defines AnsiToOem as a macro for CharToOemA; this header removes it, so a file that
// uses both includes this one after <windows.h>.
#ifdef AnsiToOem
#undef AnsiToOem
#endif
// Text converted from the ANSI code page to the OEM (console) code page, character for character.
// Natively, where there is no system conversion, Cyrillic Windows-1251 is mapped to code page 866.
std::string AnsiToOem(const std::string& Text);

// True if Text equals one of the strings of List, ignoring ASCII letter case.
bool TextInList(std::string_view Text, const std::vector<std::string>& List);
bool TextInList(std::string_view Text, std::initializer_list<std::string_view> List);

// Position of the last occurrence of SubText in Text (occurrences may overlap; on double-byte code
// pages only character starts count); 0 if none or SubText is empty.
int LastPos(std::string_view SubText, std::string_view Text);

// Position of the first Ch at or after Start (a Start below 1 counts as 1); 0 if none.
int CharPosFrom(char Ch, std::string_view Text, int Start);

// A set of the 256 byte values.
using TCharSet = std::bitset<256>;
TCharSet MakeCharSet(std::string_view Chars);
// True if every character of Text belongs to CharSet; true for an empty Text.
bool ConsistsOfChars(std::string_view Text, const TCharSet& CharSet);

// Parses a configuration value: Default for an empty or blank Text; "0", "n", "no", "false" give
// false and "1", "y", "yes", "true" true, in any ASCII case and without surrounding blanks. Anything
// else raises Exception "\"%s\" is invalid boolean node value, valid is [...], [...]".
bool StrToBoolean(const std::string& Text, bool Default);

// The parameter text of a process command line, exactly as typed. ExeFileName is the program's
// file name without directory. The text after the first "<name> " (or "<name>\" ") found with exact
// case; when the program was named otherwise on the command line (other case, no extension), the text
// after the command line's first argument and one blank. "" when there are no parameters.
std::string ExtractCmdLineParams(const std::string& CmdLine, const std::string& ExeFileName);
