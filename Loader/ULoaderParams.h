// The loader's options. Placeholder fields with their defaults until the option parser lands; the
// session reads only these.
#pragma once

#include <string>

class TLoaderParams {
public:
    TLoaderParams();
    virtual ~TLoaderParams() = default;
    virtual void Prepare();

    std::string IniFileName;
    std::string SectionName = "orb5";
    bool HideLoaderVer = false;
    std::string ProgramParams;
    int DistSharedPathTimeout = 5;
    std::string DistSharedPath;
    bool KillProcess = false;
    bool NoActivate = false;
    std::string DistVer;
    bool NoUpdate = false;
};
