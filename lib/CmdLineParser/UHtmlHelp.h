// Opens an HTML-help manual in the system's help viewer.
#pragma once

#include <string>

// Starts "hh.exe" on ManualFile, maximised, and returns without waiting for it. Raises Exception
// "Cannot run hh.exe" when the shell cannot start it (always on systems without the viewer).
void RunHtmlHelp(const std::string& ManualFile);
