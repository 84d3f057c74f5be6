// A stand-in for the application the loader starts: it records the command line it was given in
// "<its own path>.cmdline" so that tests can see exactly what the loader passed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char Path[MAX_PATH + 16];
    DWORD N = GetModuleFileNameA(nullptr, Path, MAX_PATH);
    lstrcpyA(Path + N, ".cmdline");
    HANDLE F = CreateFileA(Path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (F == INVALID_HANDLE_VALUE) return 1;
    const char* Cmd = GetCommandLineA();
    DWORD Done;
    WriteFile(F, Cmd, lstrlenA(Cmd), &Done, nullptr);
    CloseHandle(F);
    return 0;
}
