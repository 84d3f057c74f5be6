// Variables in configuration texts: "${" + value path + "}" stands for the setting that the value path
// names (see UIniFile), read with the ".vendor" overlay.
#pragma once

#include <string>

// Text with every variable replaced by its setting; a setting that is missing gives "". Substitution
// is one level deep: a setting that itself holds "${" raises
// "SubstIniVars: \"%s\" - ini value cannot include vars". A "${" without a "}" after it is an internal
// error (EAssertionFailed). Relative ini file names are taken against BaseDir (a directory; the
// program's directory when empty).
std::string SubstIniVars(const std::string& Text, const std::string& BaseDir = "");
