#include "utils/UFileMapView.h"

#include "platform/SysUtils.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

TFileMapView::TFileMapView(const std::string& FileName) : FFileName(FileName)
{
    Assert(!FileName.empty());
    try {
        Open();
    } catch (...) {
        Close();
        throw;
    }
}

TFileMapView::~TFileMapView()
{
    Close();
}

const uint8_t* TFileMapView::Access(int32_t Offset, int32_t Count) const
{
    std::string Prefix = std::string(ClassName()) + "." + "Access";
    if (Offset < 0) throw Exception(Prefix + "ofs (" + IntToStr(Offset) + ") выходит за пределы файла");
    int64_t End = static_cast<int64_t>(Offset) + Count;
    if (End <= FSize) return FMemory ? FMemory + Offset : nullptr;
    throw Exception(Prefix + "ofs + sz (ofs: " + IntToStr(Offset) + "; sz: " + IntToStr(Count) +
                    "; ofs + sz: " + IntToStr(End) + ") выходит за пределы файла '" + FFileName +
                    "' (FileSize: " + IntToStr(FSize) + ")");
}

#ifdef _WIN32

void TFileMapView::Open()
{
    const std::string Prefix = std::string(ClassName()) + "." + "Create";
    HANDLE F = CreateFileA(FFileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (F == INVALID_HANDLE_VALUE)
        throw Exception(Prefix + ": Не удалось открыть файл \"" + FFileName + "\": " + SysErrorMessage(GetLastError()));
    FFile = reinterpret_cast<intptr_t>(F);

    DWORD High = 0;
    DWORD Low = ::GetFileSize(F, &High);
    if (Low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        throw Exception(Prefix + ": Не удалось узнать размер файла \"" + FFileName + "\"");
    // Only the low 32 bits count; anything from 2 GiB on cannot be addressed by the signed offsets.
    if (Low & 0x80000000u)
        throw Exception(Prefix + ": Слишком большой размер (0x" + IntToHex(Low, 8) + ") файла \"" + FFileName + "\"");
    FSize = static_cast<int32_t>(Low);
    if (FSize == 0) return;

    HANDLE M = CreateFileMappingA(F, nullptr, PAGE_READONLY, 0, Low, nullptr);
    if (!M) throw Exception(Prefix + ": " + SysErrorMessage(GetLastError()));
    FMapping = reinterpret_cast<intptr_t>(M);
    FMemory = static_cast<const uint8_t*>(MapViewOfFile(M, FILE_MAP_READ, 0, 0, Low));
    if (!FMemory) throw Exception(Prefix + ": " + SysErrorMessage(GetLastError()));
}

void TFileMapView::Close() noexcept
{
    if (FMapping) CloseHandle(reinterpret_cast<HANDLE>(FMapping));
    if (FMemory) UnmapViewOfFile(FMemory);
    if (FFile != -1) CloseHandle(reinterpret_cast<HANDLE>(FFile));
    FMapping = 0;
    FMemory = nullptr;
    FFile = -1;
}

#else

void TFileMapView::Open()
{
    const std::string Prefix = std::string(ClassName()) + "." + "Create";
    int Fd = ::open(FFileName.c_str(), O_RDONLY);
    if (Fd < 0) throw Exception(Prefix + ": Не удалось открыть файл \"" + FFileName + "\": " + SysErrorMessage(errno));
    FFile = Fd;
    struct stat St;
    if (::fstat(Fd, &St) != 0) throw Exception(Prefix + ": Не удалось узнать размер файла \"" + FFileName + "\"");
    uint32_t Low = static_cast<uint32_t>(static_cast<uint64_t>(St.st_size));
    if (Low & 0x80000000u)
        throw Exception(Prefix + ": Слишком большой размер (0x" + IntToHex(Low, 8) + ") файла \"" + FFileName + "\"");
    FSize = static_cast<int32_t>(Low);
    if (FSize == 0) return;
    void* P = ::mmap(nullptr, Low, PROT_READ, MAP_SHARED, Fd, 0);
    if (P == MAP_FAILED) throw Exception(Prefix + ": " + SysErrorMessage(errno));
    FMemory = static_cast<const uint8_t*>(P);
    FMapping = 1;
}

void TFileMapView::Close() noexcept
{
    if (FMemory) ::munmap(const_cast<uint8_t*>(FMemory), static_cast<size_t>(FSize));
    if (FFile != -1) ::close(static_cast<int>(FFile));
    FMapping = 0;
    FMemory = nullptr;
    FFile = -1;
}

#endif
