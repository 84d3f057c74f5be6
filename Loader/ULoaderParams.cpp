#include "ULoaderParams.h"

#include <windows.h>

#include "platform/SysUtils.h"
#include "utils/UConsoleUtils.h"
#include "utils/UFileUtils.h"
#include "utils/UFileVer.h"
#include "utils/UIniFile.h"
#include "utils/UStrUtils.h"

namespace {

// A name relative to the process's current directory made absolute.
std::string ExpandFileName(const std::string& FileName)
{
    char Buf[MAX_PATH * 4];
    const DWORD N = GetFullPathNameA(FileName.c_str(), sizeof Buf, Buf, nullptr);
    if (N == 0 || N >= sizeof Buf) return FileName;
    return std::string(Buf, N);
}

bool StartsWithAny(const std::string& S, const char* Chars)
{
    return !S.empty() && std::string_view(Chars).find(S[0]) != std::string_view::npos;
}

}  // namespace

TLoaderParams::TLoaderParams() : FLoaderPath(GetExeName())
{
    DeclareOptions();
}

TLoaderParams::TLoaderParams(const std::vector<std::string>& ArgList, const std::string& LoaderPath)
    : TCmdLineParser(ArgList), FLoaderPath(LoaderPath)
{
    DeclareOptions();
}

void TLoaderParams::DeclareOptions()
{
    Options.AddOption("ini-file", akRequired, nullptr);
    Options.AddOption("params", akOptional, nullptr);
    Options.AddOption("hide-loader-ver", akNone, &HideLoaderVer);
    Options.AddOption("kill-process", akNone, &KillProcess);
    Options.AddOption("dist-ver", akRequired, nullptr);
    Options.AddOption("no-update", akNone, &NoUpdate);
    NoActivate = HasSwitch("-no-activate") && !HasSwitch("-activate");
}

// Single-dash switches are whole arguments anywhere on the command line, whatever the parser made of
// them.
bool TLoaderParams::HasSwitch(const char* Name) const
{
    std::string Unused;
    return FindParamIn(Args, Name, false, Unused);
}

void TLoaderParams::Prepare()
{
    LoadTextResource(nullptr, "UsageText", true, UsageText);
    VersionText = GetProductVersionText(GetExeName());
    try {
        TCmdLineParser::Prepare();
    } catch (const ECmdLinePrepareError& E) {
        // An unknown option drops itself and everything after it; the rest of the run goes on.
        if (E.Message().find("Unknown option") == std::string::npos) throw;
    }

    const std::string IniFileValue = ParsedOptions.GetValue("ini-file");
    IniFileName = IniFileValue.empty() ? ChangeFileExt(FLoaderPath, ".ini") : ExpandFileName(IniFileValue);
    DistVer = ParsedOptions.GetValue("dist-ver");

    ProgramParams = ParsedOptions.GetValue("params");
    if (HasSwitch("-show-splash")) ProgramParams += " -show-splash";
    if (HasSwitch("-no-splash")) ProgramParams += " -no-splash";
    if (HasSwitch("-no-activate")) ProgramParams += " -no-activate";

    const std::string DirName = GetLastDirName(FLoaderPath);
    if (TextInList(DirName, {"orb5", "orb.bin", "vel5", "Mirdal5.bin"})) {
        SectionName = DirName;
    } else {
        // Only the first plain argument can name the section; a switch in its place leaves the default.
        std::string Name;
        if (!FileNames.empty() && !StartsWithAny(Trim(FileNames[0]), "-/\\")) Name = FileNames[0];
        if (Name.empty() || TextInList(Name, {"main", "orb"}))
            SectionName = "orb5";
        else if (TextInList(Name, {"vel", "Mirdal5"}))
            SectionName = "vel5";
        else
            SectionName = Name;
    }

    const std::string LoaderDir = ExtractFilePath(FLoaderPath);
    std::string Value;
    DistSharedPath.clear();
    if (ReadIniValue("path.ini.vendor:Main\\DistSharedPath", Value, LoaderDir) && !Value.empty())
        DistSharedPath = AddPathDelimiter(ExpandFileNameEx(Value, LoaderDir));
    DistSharedPathTimeout = 5;
    if (ReadIniValue("path.ini.vendor:Main\\DistSharedPathTimeout", Value, LoaderDir))
        DistSharedPathTimeout = StrToInt(Value);
}
