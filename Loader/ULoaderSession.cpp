#include "ULoaderSession.h"

#include <windows.h>

#include "ULoaderParams.h"
#include "Quillet/UDist.h"
#include "platform/SysUtils.h"
#include "platform/WinHandles.h"
#include "utils/UConsoleUtils.h"
#include "utils/UFileUtils.h"

TLoaderSession::TLoaderSession() : DistPacker(std::make_unique<TDistPacker>()) {}
TLoaderSession::~TLoaderSession() = default;

void TLoaderSession::LoadPublicKey()
{
    DistPacker->LoadPublicKey();
}

void TLoaderSession::Run(TLoaderParams& AParams)
{
    Params = &AParams;
    ShowSplashText("Загрузка ключа . . .");
    ConsoleWriteLn("Loading public key . . . ");
    LoadPublicKey();
    ConsoleWriteLn("OK: public key loaded");
    ConsoleWriteSeparator();

    ShowSplashText("Проверка цифровых подписей . . .");
    std::string IniDist = ChooseIniDist();
    if (IniDist.empty())
        throw Exception(Format("Cannot find even one distributive file for %s", {GetDisplayFileName(Params->IniFileName)}));
    ConsoleWriteLn("");
    CheckIniFile(IniDist);

    // A loader outside its section directory only hands over to the copy there.
    if (!ReadSection()) {
        SwitchToDir(GetExeDir() + SectionDir());
        return;
    }
    std::string DirName = GetLastDirName();
    ConsoleWriteLn(Format("Current directory name = \"%s\" ", {DirName}));
    if (SameText(DirName, "Mirdal5.bin") || SameText(DirName, "orb.bin")) {
        std::string Parent = AddPathDelimiter(ExpandFileNameEx("..\\", GetExeDir()));
        SwitchToDir(Parent + (SameText(DirName, "Mirdal5.bin") ? "vel5" : "orb5"));
        return;
    }

    ConsoleWriteSeparator();
    CopyFromSharedPath(ExeDistFile());
    std::string TargetExe = ResolveInstalledFile(ExeDistFile());
    if (Params->KillProcess) {
        KillTargetProcess(TargetExe);
        return;
    }
    if (ActivateFirstInstance(TargetExe)) {
        ConsoleWriteLn(Format("Activated first instance of \"%s\" ", {TargetExe}));
        return;
    }
    CheckAndRestore(ExeDistFile());
    std::vector<std::string> Files = SectionFiles();
    for (size_t I = 0; I < Files.size(); ++I) {
        ShowSplashProgress(static_cast<int>(I) + 1, static_cast<int>(Files.size()));
        ConsoleWriteLn("");
        CopyFromSharedPath(Files[I]);
        if (SameText(ResolveInstalledFile(Files[I]), GetExeName())) UpdateSelfIfDiffers(Files[I]);
        else CheckAndRestore(Files[I]);
    }
    ConsoleWriteSeparator();
    FinalSelfCheck();
    ConsoleWriteSeparator();
    FreeIniFile();
    ShowSplashText("Загрузка . . .");
    RunProgram(TargetExe, Params->ProgramParams);
}

void TLoaderSession::RunProgram(const std::string& ExePath, const std::string& Parameters)
{
    ConsoleWriteLn(Format("Running %s . . . ", {GetDisplayFileName(ExePath)}));
    // The path goes unquoted and the blank stays even without parameters: the programs started
    // this way expect exactly that command line.
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
