#include "utils/UConsoleUtils.h"

#include <windows.h>

#include "platform/CmdLine.h"
#include "platform/SysUtils.h"
#include "utils/UStrUtils.h"

namespace {

std::string LogFileName;
HANDLE LogFile = INVALID_HANDLE_VALUE;
HANDLE ConsoleHandle = nullptr;
CONSOLE_SCREEN_BUFFER_INFO SavedInfo;
volatile bool ColourInEffect = false;

bool IsConsoleSubsystem()
{
    auto* Base = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
    auto* Dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Base);
    auto* Nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(Base + Dos->e_lfanew);
    return Nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

void RawWrite(const std::string& S)
{
    DWORD Done;
    // The console may be missing, null or a closed pipe: the line still belongs in the log.
    if (ConsoleHandle != INVALID_HANDLE_VALUE && ConsoleHandle && !S.empty())
        WriteFile(ConsoleHandle, S.data(), static_cast<DWORD>(S.size()), &Done, nullptr);
    if (LogFile != INVALID_HANDLE_VALUE && !S.empty())
        if (!WriteFile(LogFile, S.data(), static_cast<DWORD>(S.size()), &Done, nullptr)) RaiseLastOSError();
}

BOOL WINAPI ConsoleCtrlHandler(DWORD)
{
    if (ColourInEffect) SetConsoleTextAttribute(ConsoleHandle, SavedInfo.wAttributes);
    // Handled: a Ctrl+C must not end the loader half-way through restoring a file.
    return TRUE;
}

} // namespace

void SetConsoleLogFile(const std::string& FileName)
{
    LogFileName = FileName;
    if (LogFile != INVALID_HANDLE_VALUE) {
        CloseHandle(LogFile);
        LogFile = INVALID_HANDLE_VALUE;
    }
    if (FileName.empty()) return;
    char Full[MAX_PATH * 2];
    DWORD N = GetFullPathNameA(FileName.c_str(), sizeof Full, Full, nullptr);
    if (N > 0 && N < sizeof Full) LogFileName.assign(Full, N);
    LogFile = CreateFileA(LogFileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

const std::string& ConsoleLogFileName()
{
    return LogFileName;
}

void ConsoleWrite(const std::string& Text, int Stream, bool AddLineEnd, uint16_t Colour)
{
    ConsoleHandle = GetStdHandle(Stream == 0 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    std::string S = Text;
    if (ConsoleHandle == INVALID_HANDLE_VALUE) {
        if (IsConsoleSubsystem()) RaiseLastOSError();
        RawWrite(S);
        return;
    }
    if (AddLineEnd) S += "\r\n";
    CONSOLE_SCREEN_BUFFER_INFO Info;
    if (Colour != 0 && GetConsoleScreenBufferInfo(ConsoleHandle, &Info)) {
        SavedInfo = Info;
        SetConsoleTextAttribute(ConsoleHandle, Colour);
        ColourInEffect = true;
        struct TRestore {
            ~TRestore()
            {
                SetConsoleTextAttribute(ConsoleHandle, SavedInfo.wAttributes);
                ColourInEffect = false;
            }
        } Restore;
        RawWrite(S);
    } else {
        RawWrite(S);
    }
}

void ConsoleWriteLn(const std::string& S, uint16_t Colour)
{
    ConsoleWrite(AnsiToOem(S), 1, true, Colour);
}

void ConsoleWriteSeparator()
{
    ConsoleWrite(std::string(80, '-'), 1, true, 0);
}

bool FindCmdLineParam(const std::string& Name, bool TakeValue, std::string& Value)
{
    return FindParamIn(ProcessParams(), Name, TakeValue, Value);
}

bool FindParamIn(const std::vector<std::string>& Params, const std::string& Name, bool TakeValue, std::string& Value)
{
    Value.clear();
    for (size_t I = 0; I < Params.size(); ++I) {
        if (!SameText(Params[I], Name)) continue;
        if (TakeValue && I + 1 < Params.size()) Value = Params[I + 1];
        return true;
    }
    return false;
}

bool HasCmdLineParam(const std::string& Name)
{
    std::string Dummy;
    return FindCmdLineParam(Name, false, Dummy);
}

void LoadTextResource(void* Module, const std::string& Name, bool Silent, std::string& Text)
{
    HMODULE M = static_cast<HMODULE>(Module);
    HRSRC Res = FindResourceA(M, Name.c_str(), "TEXT");
    HGLOBAL Data = Res ? LoadResource(M, Res) : nullptr;
    const char* P = Data ? static_cast<const char*>(LockResource(Data)) : nullptr;
    if (!P) {
        if (Silent) return;
        Assert(false, "А куда делся ресурс " + Name + " спрашивается ?");
    }
    DWORD N = SizeofResource(M, Res);
    if (N > 10240) N = 10239;
    std::string Buf(P, N);
    Text = Buf.substr(0, Buf.find('\0'));
}

void InitConsoleUtils()
{
    if (!SetConsoleCtrlHandler(ConsoleCtrlHandler, TRUE)) RaiseLastOSError();
}

void FinalizeConsoleUtils()
{
    SetConsoleLogFile("");
    LogFileName.clear();
}
