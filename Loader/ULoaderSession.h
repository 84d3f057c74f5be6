// One run of the loader: make the ini file and every file of the section match their signed
// distributives, replace the loader when its own distributive differs, and start the program.
#pragma once

#include <memory>
#include <string>
#include <vector>

class TDistPacker;
class TLoaderParams;

class TLoaderSession {
public:
    TLoaderSession();
    virtual ~TLoaderSession();

    // Performs the session; returns when it is over (program started, another loader started,
    // process killed, first instance activated), raises when it cannot go on.
    void Run(TLoaderParams& Params);
    // Starts ExePath with Parameters ("path params", the path unquoted) in a new console and waits at
    // most 2000 ms for it; raises "Cannot run ..." when the process cannot be created.
    void RunProgram(const std::string& ExePath, const std::string& Parameters);

protected:
    void LoadPublicKey();
    // The steps below are carried out by the ini file of the section, the version choice, the
    // integrity check, shared-path copying, single instance and self-update. Until those are wired
    // in, each does nothing (or finds nothing) so that Run walks its order.
    virtual std::string ChooseIniDist() { return {}; }
    virtual void CheckIniFile(const std::string& IniDist) {}
    // Reads the section; false when the loader does not run from the section's directory.
    virtual bool ReadSection() { return true; }
    virtual std::string SectionDir() const { return {}; }
    virtual void SwitchToDir(const std::string& Dir) {}
    virtual void CopyFromSharedPath(const std::string& Destination) {}
    virtual std::string ExeDistFile() const { return {}; }
    virtual std::vector<std::string> SectionFiles() const { return {}; }
    virtual std::string ResolveInstalledFile(const std::string& DistFile) { return {}; }
    virtual void KillTargetProcess(const std::string& TargetExe) {}
    virtual bool ActivateFirstInstance(const std::string& TargetExe) { return false; }
    virtual void CheckAndRestore(const std::string& DistFile) {}
    virtual void UpdateSelfIfDiffers(const std::string& DistFile) {}
    virtual void FinalSelfCheck() {}
    virtual void FreeIniFile() {}
    virtual void ShowSplashText(const std::string& Text) {}
    virtual void ShowSplashProgress(int Position, int Max) {}

    TLoaderParams* Params = nullptr;
    // The distributive reader of the whole run, created with the session.
    std::unique_ptr<TDistPacker> DistPacker;
};
