// md5sum on a file, for the digest benchmarks: natively a child process; under Wine the same Linux
// program started through Wine's launch of Unix executables. The start-up cost of the program is
// measured on an empty file and taken off, so that only its hashing is compared.
// Header-only: every bench_*.cpp is a program of its own.
#pragma once

#include <string>
#include <cstdio>
#include <cstdlib>

#include "BenchUtil.h"
#include "platform/Classes.h"
#include "utils/UFileUtils.h"

#ifdef _WIN32
#include <windows.h>
#endif


// md5sum's hex digest of FileName, or "" when md5sum cannot be started here (plain Windows).
inline std::string RunMd5sum(const std::string& FileName)
{
#ifdef _WIN32
    std::string Unix = WineUnixName(FileName);
    if (Unix.empty()) return "";
    std::string OutName = GetTempDir() + "bench_md5sum.out";
    SECURITY_ATTRIBUTES Sa = {sizeof Sa, nullptr, TRUE};
    HANDLE Out = CreateFileA(OutName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &Sa, CREATE_ALWAYS, 0, nullptr);
    if (Out == INVALID_HANDLE_VALUE) return "";
    STARTUPINFOA Si = {};
    Si.cb = sizeof Si;
    Si.dwFlags = STARTF_USESTDHANDLES;
    Si.hStdOutput = Out;
    Si.hStdError = Out;
    PROCESS_INFORMATION Pi;
    std::string Cmd = "/usr/bin/md5sum \"" + Unix + "\"";
    BOOL Ok = CreateProcessA(nullptr, Cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &Si, &Pi);
    CloseHandle(Out);
    if (!Ok) return "";
    // Wine does not tie the handle of a Unix child to its end, so the end is seen in its output: md5sum
    // writes its one line only when it has hashed the whole file.
    CloseHandle(Pi.hThread);
    CloseHandle(Pi.hProcess);
    DWORD Start = GetTickCount();
    for (;;) {
        WIN32_FILE_ATTRIBUTE_DATA A;
        if (GetFileAttributesExA(OutName.c_str(), GetFileExInfoStandard, &A) && A.nFileSizeLow > 32) break;
        if (GetTickCount() - Start > 60000) return "";
        Sleep(1);  // leave the processor to md5sum
    }
    std::vector<uint8_t> B;
    for (;;) {
        B = ReadFileBytes(OutName);
        if (!B.empty() && B.back() == '\n') break;
    }
    DeleteFileA(OutName.c_str());
    std::string S(B.begin(), B.end());
#else
    std::string Cmd = "md5sum '" + FileName + "' 2>/dev/null";
    FILE* P = popen(Cmd.c_str(), "r");
    if (!P) return "";
    char Buf[256] = {};
    size_t N = std::fread(Buf, 1, sizeof Buf - 1, P);
    pclose(P);
    std::string S(Buf, N);
#endif
    return S.size() >= 32 ? S.substr(0, 32) : "";
}

// Best seconds md5sum takes to start and end on an empty file; negative when it cannot run here.
inline double Md5sumStartUpSeconds(int Rounds)
{
    std::string Empty = GetTempDir() + "bench_md5sum.empty";
    WriteFileBytes(Empty, std::string());
    double StartUp = RunMd5sum(Empty).empty() ? -1 : BestSeconds(Rounds, [&] { RunMd5sum(Empty); });
    std::remove(Empty.c_str());
    return StartUp;
}
