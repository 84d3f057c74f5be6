// Helpers that ask the running process, the system or the user: the parameter text of this process's
// command line, the modifier keys, message boxes and the fatal stop, the text form of an interface
// reference, and URL splitting with the system's URL parser. Windows only; the text helpers that
// build natively are in UStrUtils.
#pragma once

#include <cstdint>
#include <string>

struct IUnknown;

// The code the process ends with when it is stopped at once by FatalError.
extern int ExitCode;

// Splits Url with the system's URL parser, decoding escape sequences. Port is the URL's port or the
// scheme's default; an empty Path becomes "/"; Extra is the text from "?" or "#" on. A URL longer than
// 2055 characters is an internal error; a parser failure (also a part too long for its buffer: scheme
// 32, host 256, path and extra 2048 characters) raises Exception "ParseUrl: %s" with the system's text.
void ParseUrl(const std::string& Url, std::string& Scheme, std::string& Host, uint16_t& Port, std::string& Path,
              std::string& Extra);
// The Path part of ParseUrl.
std::string GetUrlPath(const std::string& Url);

// This process's parameter text exactly as typed ("" when started without parameters).
std::string GetCmdLineParams();

// Modifier keys held down at this moment.
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;
TShiftState GetShiftKeys();

// A system message box with Text, the program's full path as caption, no owner and the given
// MB_* style flags; returns the button pressed (ID*).
int ShowMessageBox(const std::string& Text, uint32_t Flags);
// Shows Text with the error icon, then ends the process at once with ExitCode. Does not return.
[[noreturn]] void FatalError(const std::string& Text);

// The interface reference's address as an unsigned decimal number, to pass it between modules of one
// process as text.
std::string IntfToStr(IUnknown* Intf);
// The interface named by such a number, with a new reference the caller must release. A text that is
// no decimal number raises EConvertError; a number that is no readable interface reference raises
// Exception "Pointer on IUnknown in string %s is invalid".
IUnknown* StrToIntf(const std::string& Text);
