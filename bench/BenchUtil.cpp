#include "BenchUtil.h"

#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

std::vector<uint8_t> BenchData(size_t Size, unsigned Variant)
{
    std::mt19937 G(Variant);
    std::vector<uint8_t> D(Size);
    static const char Words[] = "loader distributive version section packer signature ";
    for (size_t I = 0; I < Size; ++I)
        D[I] = (I / 4096) % 2 ? static_cast<uint8_t>(G()) : static_cast<uint8_t>(Words[G() % (sizeof Words - 1)]);
    return D;
}

void ReportRatio(const std::string& What, double Bytes, double OursSeconds, const std::string& BaselineName,
                 double BaselineSeconds)
{
    double Ours = Bytes / OursSeconds / 1e6, Base = Bytes / BaselineSeconds / 1e6;
    std::printf("%-28s %10.1f MB/s\n", What.c_str(), Ours);
    std::printf("%-28s %10.1f MB/s\n", BaselineName.c_str(), Base);
    std::printf("ratio %s / %s: %.2f\n", What.c_str(), BaselineName.c_str(), Ours / Base);
    std::fflush(stdout);
}

#ifdef _WIN32
std::string WineUnixName(const std::string& FileName)
{
    using TGetUnixName = char*(__cdecl*)(const wchar_t*);
    auto F = reinterpret_cast<TGetUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!F) return "";
    std::wstring W(FileName.begin(), FileName.end());
    char* P = F(W.c_str());
    if (!P) return "";
    std::string S = P;
    HeapFree(GetProcessHeap(), 0, P);
    return S;
}
#endif
