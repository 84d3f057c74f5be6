// uiprobe: waits for a top-level window, prints the texts of its controls, and optionally presses a
// button or types keys into it.
//   uiprobe [--caption TEXT] [--class NAME] [--timeout MS] [--press BUTTON] [--keys KEYS]
// Prints "caption: ...", "class: ..." and one "control <class> <id>: <text>" line per control.
// Exit code 0 when the window was found (and the button pressed), 1 otherwise, 2 for bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "support/UiProbe.h"

int main(int argc, char** argv)
{
    std::string Caption, ClassName, Press, Keys;
    unsigned Timeout = 10000;
    for (int i = 1; i < argc; ++i) {
        auto Next = [&](std::string& V) {
            if (i + 1 >= argc) return false;
            V = argv[++i];
            return true;
        };
        std::string A = argv[i], V;
        if (A == "--caption" && Next(Caption)) continue;
        if (A == "--class" && Next(ClassName)) continue;
        if (A == "--press" && Next(Press)) continue;
        if (A == "--keys" && Next(Keys)) continue;
        if (A == "--timeout" && Next(V)) {
            Timeout = static_cast<unsigned>(std::stoul(V));
            continue;
        }
        std::fprintf(stderr, "usage: uiprobe [--caption TEXT] [--class NAME] [--timeout MS] [--press BUTTON] [--keys KEYS]\n");
        return 2;
    }
    HWND Wnd = WaitForTopWindow(Caption, ClassName, Timeout);
    if (!Wnd) {
        std::printf("no window\n");
        return 1;
    }
    std::printf("caption: %s\nclass: %s\n", GetWindowTextOf(Wnd).c_str(), GetClassNameOf(Wnd).c_str());
    for (const auto& C : GetControlTexts(Wnd))
        std::printf("control %s %d: %s\n", C.ClassName.c_str(), C.Id, C.Text.c_str());
    std::fflush(stdout);
    if (!Keys.empty()) SendKeysTo(Wnd, Keys);
    if (!Press.empty() && !PressButton(Wnd, Press)) {
        std::printf("no button %s\n", Press.c_str());
        return 1;
    }
    return 0;
}
