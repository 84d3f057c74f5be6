#include "CmdLineParser/UHtmlHelp.h"

#include "platform/SysUtils.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/WinHandles.h"
#endif

namespace {
const char* const SCannotRunHH = "Cannot run hh.exe";
}

void RunHtmlHelp(const std::string& ManualFile)
{
#ifdef _WIN32
    SHELLEXECUTEINFOA Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = SEE_MASK_NOCLOSEPROCESS;
    Info.hwnd = nullptr;
    Info.lpFile = "hh.exe";
    Info.lpParameters = ManualFile.c_str();
    Info.lpDirectory = "";
    Info.nShow = SW_SHOWMAXIMIZED;
    if (!ShellExecuteExA(&Info)) throw Exception(SCannotRunHH);
    // The viewer runs on by itself; the handle was only asked for so that the start is confirmed.
    TUniqueHandle<TKernelTraits> Process(Info.hProcess);
#else
    (void)ManualFile;
    throw Exception(SCannotRunHH);
#endif
}
