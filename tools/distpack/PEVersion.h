// The "FileVersion" string of a Windows executable read straight from its file, for the native release
// tool, which has no system call for version resources. Reads the same string table as the programs do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The string Name of the version resource's table LangCP (for example "041904E3"), or "" when the
// bytes are no PE image, have no version resource or no such string. Never raises for malformed input.
std::string PEVersionString(const std::vector<uint8_t>& Image, const std::string& LangCP, const std::string& Name);
