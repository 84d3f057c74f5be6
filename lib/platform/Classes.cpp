#include "platform/Classes.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

void TStream::SetSize(int64_t) {}

int64_t TStream::Size()
{
    int64_t Pos = Seek(0, soCurrent);
    int64_t End = Seek(0, soEnd);
    Seek(Pos, soBeginning);
    return End;
}

void TStream::ReadBuffer(void* Buffer, int32_t Count)
{
    if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count)
{
    if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count)
{
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    std::vector<uint8_t> Buf(static_cast<size_t>(std::min<int64_t>(Count, 64 * 1024)) + 1);
    int64_t Left = Count;
    while (Left > 0) {
        int32_t N = static_cast<int32_t>(std::min<int64_t>(Left, static_cast<int64_t>(Buf.size())));
        Source.ReadBuffer(Buf.data(), N);
        WriteBuffer(Buf.data(), N);
        Left -= N;
    }
    return Count;
}

int32_t TMemoryStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0 || FPosition >= Size()) return 0;
    int32_t N = static_cast<int32_t>(std::min<int64_t>(Count, Size() - FPosition));
    std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(N));
    FPosition += N;
    return N;
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0) return 0;
    int64_t End = FPosition + Count;
    if (End > Size()) FData.resize(static_cast<size_t>(End));
    std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition = End;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = Size() + Offset; break;
    }
    if (FPosition < 0) FPosition = 0;
    return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize)
{
    FData.resize(static_cast<size_t>(NewSize));
    if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::LoadFromStream(TStream& Stream)
{
    Stream.SetPosition(0);
    int64_t N = Stream.Size();
    FData.resize(static_cast<size_t>(N));
    if (N) Stream.ReadBuffer(FData.data(), static_cast<int32_t>(N));
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName)
{
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(F);
}

void TMemoryStream::SaveToFile(const std::string& FileName)
{
    TFileStream F(FileName, fmCreate);
    F.WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
}

#ifdef _WIN32

TFileStream::TFileStream(const std::string& FileName, uint32_t Mode) : FFileName(FileName)
{
    HANDLE H;
    if (Mode == fmCreate) {
        H = CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (H == INVALID_HANDLE_VALUE)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", {FileName, SysErrorMessage(GetLastError())}));
    } else {
        static const DWORD Access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
        static const DWORD Share[] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE};
        DWORD A = Access[std::min<uint32_t>(Mode & 3, 2)];
        DWORD S = Share[std::min<uint32_t>((Mode & 0xF0) >> 4, 4)];
        H = CreateFileA(FileName.c_str(), A, S, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (H == INVALID_HANDLE_VALUE)
            throw EFOpenError(Format("Cannot open file \"%s\". %s", {FileName, SysErrorMessage(GetLastError())}));
    }
    FHandle = reinterpret_cast<intptr_t>(H);
}

TFileStream::~TFileStream()
{
    CloseHandle(reinterpret_cast<HANDLE>(FHandle));
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    DWORD Done = 0;
    if (Count <= 0 || !ReadFile(reinterpret_cast<HANDLE>(FHandle), Buffer, static_cast<DWORD>(Count), &Done, nullptr))
        return 0;
    return static_cast<int32_t>(Done);
}

int32_t TFileStream::Write(const void* Buffer, int32_t Count)
{
    DWORD Done = 0;
    if (Count <= 0 ||
        !WriteFile(reinterpret_cast<HANDLE>(FHandle), Buffer, static_cast<DWORD>(Count), &Done, nullptr))
        return 0;
    return static_cast<int32_t>(Done);
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    LARGE_INTEGER D, R;
    D.QuadPart = Offset;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(FHandle), D, &R, static_cast<DWORD>(Origin))) return -1;
    return R.QuadPart;
}

void TFileStream::SetSize(int64_t NewSize)
{
    Seek(NewSize, soBeginning);
    if (!SetEndOfFile(reinterpret_cast<HANDLE>(FHandle))) RaiseLastOSError();
}

#else

TFileStream::TFileStream(const std::string& FileName, uint32_t Mode) : FFileName(FileName)
{
    int Fd;
    if (Mode == fmCreate) {
        Fd = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        if (Fd < 0) throw EFCreateError(Format("Cannot create file \"%s\". %s", {FileName, SysErrorMessage(errno)}));
    } else {
        static const int Access[] = {O_RDONLY, O_WRONLY, O_RDWR};
        Fd = ::open(FileName.c_str(), Access[std::min<uint32_t>(Mode & 3, 2)]);
        if (Fd < 0) throw EFOpenError(Format("Cannot open file \"%s\". %s", {FileName, SysErrorMessage(errno)}));
    }
    FHandle = Fd;
}

TFileStream::~TFileStream()
{
    ::close(static_cast<int>(FHandle));
}

int32_t TFileStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0) return 0;
    ssize_t N = ::read(static_cast<int>(FHandle), Buffer, static_cast<size_t>(Count));
    return N < 0 ? 0 : static_cast<int32_t>(N);
}

int32_t TFileStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0) return 0;
    ssize_t N = ::write(static_cast<int>(FHandle), Buffer, static_cast<size_t>(Count));
    return N < 0 ? 0 : static_cast<int32_t>(N);
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    static const int Whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    return ::lseek(static_cast<int>(FHandle), Offset, Whence[Origin]);
}

void TFileStream::SetSize(int64_t NewSize)
{
    if (::ftruncate(static_cast<int>(FHandle), NewSize) != 0) RaiseLastOSError();
    if (Position() > NewSize) Seek(NewSize, soBeginning);
}

#endif

std::vector<uint8_t> ReadFileBytes(const std::string& FileName)
{
    TMemoryStream M;
    M.LoadFromFile(FileName);
    return std::move(M.Bytes());
}

void WriteFileBytes(const std::string& FileName, const void* Data, size_t Size)
{
    TFileStream F(FileName, fmCreate);
    F.WriteBuffer(Data, static_cast<int32_t>(Size));
}
