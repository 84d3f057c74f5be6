#include "log/USimpleFileLog.h"

#include <windows.h>

#include "platform/SysUtils.h"

namespace {

std::string DefaultLogName()
{
    char Buf[MAX_PATH * 2];
    DWORD N = GetModuleFileNameA(nullptr, Buf, sizeof Buf);
    return ChangeFileExt(std::string(Buf, N), ".log");
}

std::string LastErrorText()
{
    return SysErrorMessage(GetLastError());
}

std::string TimeSeparator()
{
    char Buf[8] = ":";
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, Buf, sizeof Buf) <= 1) return ":";
    return Buf;
}

} // namespace

bool TruncateFileTo(void* Handle, uint32_t Size)
{
    HANDLE H = static_cast<HANDLE>(Handle);
    DWORD High = 0;
    DWORD Cur = GetFileSize(H, &High);
    if (Cur == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    if (High == 0 && Cur == Size) return true;
    if (High != 0 || Size > Cur) return false;
    if (SetFilePointer(H, static_cast<LONG>(Size), nullptr, FILE_BEGIN) != Size) return false;
    return SetEndOfFile(H) != FALSE;
}

void LogStrToFileEx(const std::string& S, std::string& FileName, void*& Handle)
{
    if (S.empty()) return;
    if (FileName.empty()) FileName = DefaultLogName();
    if (Handle == nullptr || Handle == INVALID_HANDLE_VALUE) {
        Handle = CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (Handle == INVALID_HANDLE_VALUE)
            throw Exception(Format("LogStrToFileEx: Cannot create file %s, error: %s", {FileName, LastErrorText()}));
    }
    HANDLE H = static_cast<HANDLE>(Handle);
    if (SetFilePointer(H, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        throw Exception(Format("LogStrToFileEx: Cannot continue file %s, error: %s", {FileName, LastErrorText()}));
    DWORD Done = 0;
    if (!WriteFile(H, S.data(), static_cast<DWORD>(S.size()), &Done, nullptr) || Done != S.size())
        throw Exception(
            Format("LogStrToFileEx: Cannot write String %s to file \"%s\", error: %s", {S, FileName, LastErrorText()}));
    DWORD Size = GetFileSize(H, nullptr);
    if (Size == INVALID_FILE_SIZE) Size = 0;
    if (Size > LogRotateSize) {
        std::string Old = FileName + ".old";
        if (!CopyFileA(FileName.c_str(), Old.c_str(), FALSE))
            throw Exception(Format("LogStrToFileEx: Cannot copy %s to %s, error: %s", {FileName, Old, LastErrorText()}));
        if (!TruncateFileTo(Handle, 0))
            throw Exception(Format("LogStrToFileEx: Cannot clear file %s, error: %s", {FileName, LastErrorText()}));
        FlushFileBuffers(H);
    }
}

void LogStrToFile(const std::string& S, const std::string& FileName)
{
    std::string Name = FileName;
    void* Handle = nullptr;
    struct TCloser {
        void*& H;
        ~TCloser()
        {
            if (H && H != INVALID_HANDLE_VALUE) CloseHandle(static_cast<HANDLE>(H));
        }
    } Closer{Handle};
    LogStrToFileEx(S, Name, Handle);
}

std::string FormatErrorRecordAt(const std::string& Message, int Year, int Month, int Day, int Hour, int Minute,
                                int Second)
{
    std::string Sep = TimeSeparator();
    char Date[32], Time[48];
    wsprintfA(Date, "%02u.%02u.%04u, ", Day, Month, Year);
    wsprintfA(Time, "%02u%s%02u%s%02u", Hour, Sep.c_str(), Minute, Sep.c_str(), Second);
    return "\r\n" + std::string(Date) + Time + ", ERR: " + Message + "\r\n";
}

std::string FormatErrorRecord(const std::string& Message)
{
    SYSTEMTIME T;
    GetLocalTime(&T);
    return FormatErrorRecordAt(Message, T.wYear, T.wMonth, T.wDay, T.wHour, T.wMinute, T.wSecond);
}

void LogException(const std::exception& E, const std::string& FileName)
{
    LogStrToFile(FormatErrorRecord(E.what()), FileName);
}

void ShowAndLogException(const std::exception& E)
{
    char Buf[MAX_PATH * 2];
    DWORD N = GetModuleFileNameA(nullptr, Buf, sizeof Buf);
    std::string Caption(Buf, N);
    MessageBoxA(nullptr, E.what(), Caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    LogException(E, "");
}
