// One run of the loader: make the ini file and every file of the section match their signed
// distributives, replace the loader when its own distributive differs, and start the program.
#pragma once

#include <memory>
#include <string>

class TLoaderParams;

class TLoaderSession {
public:
    TLoaderSession();
    ~TLoaderSession();

    // Performs the session; returns when it is over, raises when it cannot go on.
    void Run(TLoaderParams& Params);
    // Starts ExePath with Parameters ("path params", the path unquoted) in a new console and waits at
    // most 2000 ms for it; raises "Cannot run ..." when the process cannot be created.
    void RunProgram(const std::string& ExePath, const std::string& Parameters);

private:
    // Steps that the distributive reader, the version choice and the integrity check carry out.
    void LoadPublicKey();
    std::string ChooseIniDist();

    TLoaderParams* Params = nullptr;
};
