#include "platform/WinText.h"

#include <windows.h>

std::wstring AnsiToWide(const std::string& S)
{
    if (S.empty()) return {};
    int N = MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
    std::wstring W(static_cast<size_t>(N), L'\0');
    MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), W.data(), N);
    return W;
}

std::string WideToAnsi(const std::wstring& S)
{
    if (S.empty()) return {};
    int N = WideCharToMultiByte(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr, nullptr);
    std::string A(static_cast<size_t>(N), '\0');
    WideCharToMultiByte(CP_ACP, 0, S.data(), static_cast<int>(S.size()), A.data(), N, nullptr, nullptr);
    return A;
}
