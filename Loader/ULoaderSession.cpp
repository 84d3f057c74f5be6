#include "ULoaderSession.h"

#include <windows.h>

#include "ULoaderParams.h"
#include "platform/SysUtils.h"
#include "platform/WinHandles.h"
#include "utils/UConsoleUtils.h"
#include "utils/UFileUtils.h"

TLoaderSession::TLoaderSession() = default;
TLoaderSession::~TLoaderSession() = default;

void TLoaderSession::LoadPublicKey()
{
}

std::string TLoaderSession::ChooseIniDist()
{
    return {};
}

void TLoaderSession::Run(TLoaderParams& AParams)
{
    Params = &AParams;
    ConsoleWriteLn("Loading public key . . . ");
    LoadPublicKey();
    ConsoleWriteLn("OK: public key loaded");
    ConsoleWriteSeparator();

    std::string IniDist = ChooseIniDist();
    if (IniDist.empty())
        throw Exception(Format("Cannot find even one distributive file for %s", {GetDisplayFileName(Params->IniFileName)}));
    ConsoleWriteLn("");
}

void TLoaderSession::RunProgram(const std::string& ExePath, const std::string& Parameters)
{
    ConsoleWriteLn(Format("Running %s . . . ", {GetDisplayFileName(ExePath)}));
    // The path goes unquoted and the blank stays even without parameters: started programs parse
    // their command line that way.
    std::string CommandLine = ExePath + " " + Parameters;
    STARTUPINFOA Si{};
    Si.cb = sizeof Si;
    Si.dwFlags = STARTF_USESHOWWINDOW;
    Si.wShowWindow = Params && Params->NoActivate ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    PROCESS_INFORMATION Pi{};
    std::string Buf = CommandLine;
    if (!CreateProcessA(nullptr, Buf.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr, &Si, &Pi))
        throw Exception(Format("Cannot run \"%s\", error: %s", {CommandLine, SysErrorMessage(GetLastError())}));
    TKernelHandle Process(Pi.hProcess), Thread(Pi.hThread);
    WaitForSingleObject(Pi.hProcess, 2000);
}
