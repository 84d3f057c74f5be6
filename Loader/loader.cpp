// The loader's program body: log file, title, options, one session; every failure ends in front of
// the user instead of vanishing.
#include <windows.h>

#include <memory>

#include "GUI/UGUIUtils.h"
#include "CmdLineParser/UCmdLineParser.h"
#include "ULoaderParams.h"
#include "ULoaderSession.h"
#include "log/USimpleFileLog.h"
#include "platform/SysUtils.h"
#include "utils/UConsoleUtils.h"
#include "utils/UFileUtils.h"
#include "utils/UFileVer.h"
#include "utils/USysUtils.h"

namespace {

// A unit whose start-up or shut-down fails leaves the program no sound state to go on from.
template <typename Fn>
void RunUnitStep(const char* Unit, const char* Step, Fn&& F)
{
    try {
        F();
    } catch (const std::exception& E) {
        FatalError(std::string(Unit) + "::" + Step + ": " + E.what());
    }
}

void RunBody()
{
    try {
        ShowApplicationButton(false);
        SetConsoleLogFile(ChangeFileExt(GetExeName(), ".log"));
        SetApplicationTitle(Format("Mirdal5 Загрузчик (%s)", {GetFileVersionText(GetExeName())}));
        RaiseTestErrorIfRequested();
        ConsoleWriteLn(" ");
        auto Params = std::make_unique<TLoaderParams>();
        Params->Prepare();
        auto Session = std::make_unique<TLoaderSession>();
        Session->Run(*Params);
    } catch (const EShowVersionException&) {
        // --ver ends the run silently.
    } catch (const EShowHelpException& E) {
        MessageBoxA(nullptr, E.Message().c_str(), "Loader.exe", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (const Exception& E) {
        // The log is closed first so that the error record can be appended to it.
        SetConsoleLogFile("");
        ShowAndLogException(E);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RunUnitStep("UConsoleUtils", "initialization", InitConsoleUtils);
    RunBody();
    RunUnitStep("UConsoleUtils", "finalization", FinalizeConsoleUtils);
    return 0;
}
