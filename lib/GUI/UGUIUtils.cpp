#include "GUI/UGUIUtils.h"

#include <windows.h>

#include "platform/SysUtils.h"
#include "utils/UConsoleUtils.h"

namespace {

const char* const AppWindowClass = "TApplication";

LRESULT CALLBACK AppWindowProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L)
{
    return DefWindowProcA(Wnd, Msg, W, L);
}

struct TAppWindow {
    HWND Wnd = nullptr;
    ~TAppWindow()
    {
        if (Wnd) DestroyWindow(Wnd);
    }
};
TAppWindow AppWindow;

} // namespace

HWND ApplicationHandle()
{
    if (!AppWindow.Wnd) {
        WNDCLASSA Wc{};
        Wc.lpfnWndProc = AppWindowProc;
        Wc.hInstance = GetModuleHandleA(nullptr);
        Wc.hIcon = LoadIconA(Wc.hInstance, "MAINICON");
        Wc.lpszClassName = AppWindowClass;
        RegisterClassA(&Wc);
        // A zero-sized, visible-but-off-screen popup is what carries the taskbar button of a program
        // whose real windows are owned by it.
        AppWindow.Wnd = CreateWindowExA(0, AppWindowClass, "", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU |
                                                                     WS_MINIMIZEBOX,
                                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                                        nullptr, nullptr, Wc.hInstance, nullptr);
    }
    return AppWindow.Wnd;
}

void SetApplicationTitle(const std::string& Title)
{
    if (HWND W = ApplicationHandle()) SetWindowTextA(W, Title.c_str());
}

std::string ApplicationTitle()
{
    HWND W = ApplicationHandle();
    if (!W) return {};
    char Buf[512];
    int N = GetWindowTextA(W, Buf, sizeof Buf);
    return std::string(Buf, N > 0 ? N : 0);
}

void ShowApplicationButton(bool Show)
{
    HWND W = ApplicationHandle();
    if (!W) return;
    ShowWindow(W, Show ? SW_SHOW : SW_HIDE);
    LONG_PTR Ex = GetWindowLongPtrA(W, GWL_EXSTYLE);
    Ex = Show ? (Ex & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW)) : (Ex | WS_EX_TOOLWINDOW);
    SetWindowLongPtrA(W, GWL_EXSTYLE, Ex);
    if (Show) ForceForegroundWindow(W);
}

void ForceForegroundWindow(HWND Wnd)
{
    DWORD Fore = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD Own = GetCurrentThreadId();
    bool Attached = Fore != Own && AttachThreadInput(Own, Fore, TRUE);
    SetForegroundWindow(Wnd);
    if (Attached) AttachThreadInput(Own, Fore, FALSE);
}

void RaiseTestErrorIfRequested()
{
    if (HasCmdLineParam("-error") || HasCmdLineParam("error"))
        throw Exception("Задан параметр \"error\", тестовая ошибка");
}
