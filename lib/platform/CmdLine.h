// The platform's view of the process arguments: the command line split at blanks and control
// characters, double quotes grouping and removed, the program name not counted.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> SplitParams(const std::string& CommandLine);
// The raw command-line text of this process ("" natively when unknown).
std::string ProcessCommandLine();
// SplitParams of ProcessCommandLine without the program name.
std::vector<std::string> ProcessParams();
