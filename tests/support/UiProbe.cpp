#include "support/UiProbe.h"

#include <chrono>
#include <thread>

namespace {

std::string StripAmpersand(const std::string& S)
{
    std::string R;
    for (char C : S)
        if (C != '&') R += C;
    return R;
}

struct TFindState {
    const std::string* Caption;
    const std::string* ClassName;
    HWND Found;
};

BOOL CALLBACK FindTop(HWND Wnd, LPARAM Param)
{
    auto* S = reinterpret_cast<TFindState*>(Param);
    if (!IsWindowVisible(Wnd)) return TRUE;
    if (!S->Caption->empty() && GetWindowTextOf(Wnd) != *S->Caption) return TRUE;
    if (!S->ClassName->empty() && GetClassNameOf(Wnd) != *S->ClassName) return TRUE;
    S->Found = Wnd;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND Wnd, LPARAM Param)
{
    auto* List = reinterpret_cast<std::vector<HWND>*>(Param);
    List->push_back(Wnd);
    return TRUE;
}

std::vector<HWND> Children(HWND Wnd)
{
    std::vector<HWND> List;
    EnumChildWindows(Wnd, CollectChild, reinterpret_cast<LPARAM>(&List));
    return List;
}

} // namespace

std::string GetWindowTextOf(HWND Wnd)
{
    // WM_GETTEXT is marshalled across processes, unlike GetWindowText for controls of another program.
    DWORD_PTR Len = 0;
    if (!SendMessageTimeoutA(Wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &Len)) return {};
    std::string Buf(Len + 1, '\0');
    DWORD_PTR Got = 0;
    SendMessageTimeoutA(Wnd, WM_GETTEXT, Buf.size(), reinterpret_cast<LPARAM>(Buf.data()), SMTO_ABORTIFHUNG, 2000,
                        &Got);
    Buf.resize(Got);
    return Buf;
}

std::string GetClassNameOf(HWND Wnd)
{
    char Buf[256];
    int N = GetClassNameA(Wnd, Buf, sizeof Buf);
    return std::string(Buf, N > 0 ? N : 0);
}

HWND WaitForTopWindow(const std::string& Caption, const std::string& ClassName, unsigned TimeoutMs)
{
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    for (;;) {
        TFindState S{&Caption, &ClassName, nullptr};
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&S));
        if (S.Found) return S.Found;
        if (std::chrono::steady_clock::now() >= Deadline) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<TControlText> GetControlTexts(HWND Wnd)
{
    std::vector<TControlText> R;
    for (HWND C : Children(Wnd))
        R.push_back({GetClassNameOf(C), GetWindowTextOf(C), GetDlgCtrlID(C)});
    return R;
}

bool PressButton(HWND Wnd, const std::string& Text)
{
    // Standard buttons are also known by their command id: their captions follow the system's language.
    int StdId = Text == "OK" ? IDOK : Text == "Cancel" ? IDCANCEL : Text == "Yes" ? IDYES : Text == "No" ? IDNO : 0;
    for (HWND C : Children(Wnd)) {
        if (StripAmpersand(GetWindowTextOf(C)) != StripAmpersand(Text) && !(StdId && GetDlgCtrlID(C) == StdId))
            continue;
        std::string Cls = GetClassNameOf(C);
        if (Cls != "Button" && Cls.find("Button") == std::string::npos) continue;
        // Message boxes and dialogs act on WM_COMMAND from the button; a click message alone
        // may be lost while the box is still coming up.
        PostMessageA(Wnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(C), BN_CLICKED), reinterpret_cast<LPARAM>(C));
        return true;
    }
    return false;
}

void SendKeysTo(HWND Wnd, const std::string& Keys)
{
    SetForegroundWindow(Wnd);
    for (size_t i = 0; i < Keys.size(); ++i) {
        UINT Vk = 0;
        if (Keys[i] == '{') {
            size_t E = Keys.find('}', i);
            std::string Name = Keys.substr(i + 1, E - i - 1);
            i = E;
            Vk = Name == "ENTER" ? VK_RETURN : Name == "ESC" ? VK_ESCAPE : Name == "TAB" ? VK_TAB : 0;
            if (!Vk) continue;
            PostMessageA(Wnd, WM_KEYDOWN, Vk, 0);
            PostMessageA(Wnd, WM_KEYUP, Vk, 0);
        } else {
            PostMessageA(Wnd, WM_CHAR, static_cast<unsigned char>(Keys[i]), 0);
        }
    }
}

bool WaitWindowClosed(HWND Wnd, unsigned TimeoutMs)
{
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (IsWindow(Wnd)) {
        if (std::chrono::steady_clock::now() >= Deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}
