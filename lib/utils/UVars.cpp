#include "utils/UVars.h"

#include "platform/SysUtils.h"
#include "utils/UIniFile.h"

namespace {

// Every occurrence of What in S, letters compared without regard to case, replaced by With. The
// replacement is not searched again.
std::string ReplaceAllText(const std::string& S, const std::string& What, const std::string& With)
{
    const std::string UpperS = AnsiUpperCase(S), UpperWhat = AnsiUpperCase(What);
    std::string Result;
    size_t From = 0;
    for (size_t At; (At = UpperS.find(UpperWhat, From)) != std::string::npos; From = At + What.size())
        Result.append(S, From, At - From).append(With);
    return Result.append(S, From, std::string::npos);
}

}  // namespace

std::string SubstIniVars(const std::string& Text, const std::string& BaseDir)
{
    std::string Result = Text;
    for (size_t P; (P = Result.find("${")) != std::string::npos;) {
        const size_t Q = Result.find('}', P + 2);
        Assert(Q != std::string::npos, Format("SubstIniVars: no \"}\" after \"${\" in \"%s\"", {Text}));
        const std::string Name = Result.substr(P + 2, Q - P - 2);
        std::string Value;
        ReadIniValue(Name, Value, BaseDir);
        if (Value.find("${") != std::string::npos)
            throw Exception(Format("SubstIniVars: \"%s\" - ini value cannot include vars", {Value}));
        Result = ReplaceAllText(Result, "${" + Name + "}", Value);
    }
    return Result;
}
