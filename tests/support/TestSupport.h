// Helpers for Windows tests: temporary folder trees, files as bytes, starting programs with a time-out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Classes.h"

// A fresh folder under the temporary directory, removed with everything in it at the end of the test.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }  // with a trailing "\"
    // Path of a name relative to the folder; parent folders of files are created by WriteFile.
    std::string operator/(const std::string& Rel) const { return FPath + Rel; }
    std::string WriteFile(const std::string& Rel, const std::string& Bytes) const;
    std::string MakeDir(const std::string& Rel) const;

private:
    std::string FPath;
};

std::string ReadFileText(const std::string& FileName);  // the bytes as they are; "" for a missing file
bool FileExists(const std::string& FileName);
bool DirExists(const std::string& FileName);
void ForceDirectories(const std::string& Dir);
void DeleteTree(const std::string& Dir);

// Folder of the running test program: the programs under test are built beside it.
std::string TestBinDir();

struct TRunResult {
    bool Finished = false;   // false: the time-out passed and the process was ended
    uint32_t ExitCode = 0;
    std::string Output;      // standard output and standard error together
};
// Starts CommandLine in Dir (the current directory when empty), waits at most TimeoutMs.
TRunResult RunAndWait(const std::string& CommandLine, const std::string& Dir = {}, uint32_t TimeoutMs = 30000);

// Quotes a path for a command line when it holds a blank.
std::string Quoted(const std::string& S);
