#include "platform/CmdLine.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fstream>
#include <iterator>
#endif

std::vector<std::string> SplitParams(const std::string& CommandLine)
{
    std::vector<std::string> Params;
    size_t I = 0, N = CommandLine.size();
    auto IsBlank = [](char C) { return static_cast<unsigned char>(C) <= ' '; };
    for (;;) {
        while (I < N && IsBlank(CommandLine[I])) ++I;
        if (I >= N) break;
        std::string P;
        bool Quoted = false;
        while (I < N && (Quoted || !IsBlank(CommandLine[I]))) {
            if (CommandLine[I] == '"') Quoted = !Quoted;
            else P += CommandLine[I];
            ++I;
        }
        Params.push_back(std::move(P));
    }
    return Params;
}

std::string ProcessCommandLine()
{
#ifdef _WIN32
    const char* C = GetCommandLineA();
    return C ? C : "";
#else
    // Natively the arguments arrive NUL-separated; rebuild a quoted command line from them.
    std::ifstream F("/proc/self/cmdline", std::ios::binary);
    std::string Raw((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
    std::string Line;
    size_t Start = 0;
    while (Start < Raw.size()) {
        size_t End = Raw.find('\0', Start);
        if (End == std::string::npos) End = Raw.size();
        std::string A = Raw.substr(Start, End - Start);
        if (!Line.empty()) Line += ' ';
        Line += A.find_first_of(" \t") == std::string::npos && !A.empty() ? A : "\"" + A + "\"";
        Start = End + 1;
    }
    return Line;
#endif
}

std::vector<std::string> ProcessParams()
{
    std::vector<std::string> P = SplitParams(ProcessCommandLine());
    if (!P.empty()) P.erase(P.begin());
    return P;
}
