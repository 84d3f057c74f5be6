// Looks at and drives the top-level windows of other programs, the way a person would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TControlText {
    std::string ClassName;
    std::string Text;
    int Id;
};

// Waits until a visible top-level window whose caption (when given) and class (when given) match
// appears; nullptr after TimeoutMs.
HWND WaitForTopWindow(const std::string& Caption, const std::string& ClassName, unsigned TimeoutMs);
std::string GetWindowTextOf(HWND Wnd);
std::string GetClassNameOf(HWND Wnd);
std::vector<TControlText> GetControlTexts(HWND Wnd);
// Presses the button whose text (without "&") equals Text, or for "OK", "Cancel", "Yes", "No" the
// button with that standard command id; false when there is none.
bool PressButton(HWND Wnd, const std::string& Text);
// Types the characters of Keys into the window; "{ENTER}", "{ESC}", "{TAB}" are the named keys.
void SendKeysTo(HWND Wnd, const std::string& Keys);
// Waits until Wnd is gone; false after TimeoutMs.
bool WaitWindowClosed(HWND Wnd, unsigned TimeoutMs);
