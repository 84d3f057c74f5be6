// Runs a Linux command-line tool as a baseline: "TOOL ARGS... INPUT > OUTPUT", timed until OUTPUT holds
// ExpectedSize bytes. Natively a child process; under Wine the same Linux program started through
// Wine's launch of Unix executables. Header-only: every bench_*.cpp is a program of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BenchUtil.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif


// Seconds of one run, or a negative value when the tool cannot be started here or fails.
inline double RunTool(const std::string& Tool, const std::vector<std::string>& Args, const std::string& InFile,
                      const std::string& OutFile, int64_t ExpectedSize)
{
#ifdef _WIN32
    std::string Unix = WineUnixName(InFile);
    if (Unix.empty()) return -1;
    SECURITY_ATTRIBUTES Sa = {sizeof Sa, nullptr, TRUE};
    HANDLE Out = CreateFileA(OutFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &Sa,
                             CREATE_ALWAYS, 0, nullptr);
    if (Out == INVALID_HANDLE_VALUE) return -1;
    STARTUPINFOA Si = {};
    Si.cb = sizeof Si;
    Si.dwFlags = STARTF_USESTDHANDLES;
    Si.hStdOutput = Out;
    Si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string Cmd = Tool;
    for (const auto& A : Args) Cmd += " " + A;
    Cmd += " \"" + Unix + "\"";
    PROCESS_INFORMATION Pi;
    auto T0 = std::chrono::steady_clock::now();
    BOOL Ok = CreateProcessA(nullptr, Cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &Si, &Pi);
    CloseHandle(Out);
    if (!Ok) return -1;
    CloseHandle(Pi.hThread);
    CloseHandle(Pi.hProcess);
    // Wine does not tie the handle of a Unix child to its end: the end is the complete output.
    for (;;) {
        WIN32_FILE_ATTRIBUTE_DATA A;
        if (GetFileAttributesExA(OutFile.c_str(), GetFileExInfoStandard, &A) &&
            (static_cast<int64_t>(A.nFileSizeHigh) << 32 | A.nFileSizeLow) >= ExpectedSize)
            break;
        if (std::chrono::steady_clock::now() - T0 > std::chrono::seconds(120)) return -1;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
#else
    int In = ::open(InFile.c_str(), O_RDONLY);
    int Out = ::open(OutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (In < 0 || Out < 0) return -1;
    posix_spawn_file_actions_t Fa;
    posix_spawn_file_actions_init(&Fa);
    posix_spawn_file_actions_adddup2(&Fa, In, 0);
    posix_spawn_file_actions_adddup2(&Fa, Out, 1);
    std::vector<std::string> Words = {Tool};
    Words.insert(Words.end(), Args.begin(), Args.end());
    std::vector<char*> Argv;
    for (auto& W : Words) Argv.push_back(W.data());
    Argv.push_back(nullptr);
    auto T0 = std::chrono::steady_clock::now();
    pid_t Pid;
    int Rc = posix_spawnp(&Pid, Tool.c_str(), &Fa, nullptr, Argv.data(), environ);
    posix_spawn_file_actions_destroy(&Fa);
    ::close(In);
    ::close(Out);
    if (Rc != 0) return -1;
    int Status = 0;
    waitpid(Pid, &Status, 0);
    double S = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
    return WIFEXITED(Status) && WEXITSTATUS(Status) == 0 ? S : -1;
#endif
}
