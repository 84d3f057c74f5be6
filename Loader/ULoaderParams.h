// The loader's options: the command line, the loader's own directory name and two settings of
// "path.ini" (over "path.ini.vendor") turned into the fields the session reads.
#pragma once

#include <string>
#include <vector>

#include "CmdLineParser/UCmdLineParser.h"

class TLoaderParams : public TCmdLineParser {
public:
    // Over the process arguments, for the running loader.
    TLoaderParams();
    // Over ArgList, as if the loader were LoaderPath (its directory decides the section name and holds
    // "path.ini").
    TLoaderParams(const std::vector<std::string>& ArgList, const std::string& LoaderPath);

    // Fills every field. Raises what the parser raises (help, version, "Option --%s requires an
    // argument", "Argument not required for option --%s") except an unknown option, which ends the
    // parse there and keeps what came before it; raises EConvertError for a timeout that is no
    // integer and "ExpandFileNameEx: directory %s not exists" when the loader's directory is gone.
    void Prepare() override;

    std::string IniFileName;
    std::string SectionName = "orb5";
    bool HideLoaderVer = false;
    std::string ProgramParams;
    int DistSharedPathTimeout = 5;  // seconds
    std::string DistSharedPath;     // with a trailing "\"; empty when none is configured
    bool KillProcess = false;
    bool NoActivate = false;
    std::string DistVer;
    bool NoUpdate = false;

private:
    void DeclareOptions();
    bool HasSwitch(const char* Name) const;

    std::string FLoaderPath;
};
