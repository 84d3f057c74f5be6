// Code-page conversions at the edges where text leaves the program's 8-bit world.
#pragma once

#include <string>

std::wstring AnsiToWide(const std::string& S);  // the ANSI code page to UTF-16 (COM, clipboard)
std::string WideToAnsi(const std::wstring& S);
