// Byte streams that the packers, the distributive reader and the tools read and write.
// Reads that come up short raise EReadError "Stream read error"; short writes EWriteError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SysUtils.h"

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    // Read and Write move up to Count bytes and return how many they moved.
    virtual int32_t Read(void* Buffer, int32_t Count) = 0;
    virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
    virtual void SetSize(int64_t NewSize);

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
    virtual int64_t Size();

    void ReadBuffer(void* Buffer, int32_t Count);
    void WriteBuffer(const void* Buffer, int32_t Count);
    // Copies Count bytes from Source's position (the whole of Source from its start when Count is 0).
    int64_t CopyFrom(TStream& Source, int64_t Count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> Data) : FData(std::move(Data)) {}
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }

    uint8_t* Memory() { return FData.data(); }
    const std::vector<uint8_t>& Bytes() const { return FData; }
    std::vector<uint8_t>& Bytes() { return FData; }
    void Clear() { FData.clear(); FPosition = 0; }
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);
    void LoadFromStream(TStream& Stream);

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// Open modes and share modes, combined with "|" (fmOpenRead | fmShareDenyNone).
enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF,
};

// A file opened with the platform's share modes. Failures: EFOpenError "Cannot open file \"%s\". %s"
// and EFCreateError "Cannot create file \"%s\". %s" with the system's text.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& FileName, uint32_t Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    intptr_t FHandle;
};

// Whole-file helpers for tools and tests.
std::vector<uint8_t> ReadFileBytes(const std::string& FileName);
void WriteFileBytes(const std::string& FileName, const void* Data, size_t Size);
inline void WriteFileBytes(const std::string& FileName, const std::vector<uint8_t>& Data)
{
    WriteFileBytes(FileName, Data.data(), Data.size());
}
inline void WriteFileBytes(const std::string& FileName, const std::string& Data)
{
    WriteFileBytes(FileName, Data.data(), Data.size());
}
