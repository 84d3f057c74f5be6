// The hidden application window that owns the program's taskbar presence and title, and the small
// window helpers shared by the splash window, the error dialog and the single-instance check.
#pragma once

#include <string>

struct HWND__;
using HWND = HWND__*;

// The application's hidden main window (created on first use); its caption is the title.
HWND ApplicationHandle();
void SetApplicationTitle(const std::string& Title);
std::string ApplicationTitle();

// Shows (true) or hides (false) the application window's taskbar button.
void ShowApplicationButton(bool Show);
// Brings Wnd to the front by attaching to the input of the foreground window's thread.
void ForceForegroundWindow(HWND Wnd);
// "-error" or "error" on the command line raises the test error, so the error path can be tried out.
void RaiseTestErrorIfRequested();
