// Read-only view of a whole file through a memory mapping, so that checksums and digests run over the
// file's bytes in one pass without copying them.
#pragma once

#include <cstdint>
#include <string>

class TFileMapView {
public:
    // Opens and maps FileName (shared for reading and writing with others). Raises Exception with
    // "TFileMapView.Create: ..." on failure; nothing stays open then.
    explicit TFileMapView(const std::string& FileName);
    ~TFileMapView();
    TFileMapView(const TFileMapView&) = delete;
    TFileMapView& operator=(const TFileMapView&) = delete;

    // Address of byte Offset after checking that Offset .. Offset + Count - 1 lie inside the file;
    // raises Exception "TFileMapView.Access..." otherwise. An empty file gives nullptr for (0, 0).
    const uint8_t* Access(int32_t Offset, int32_t Count) const;

    const uint8_t* Memory() const { return FMemory; }
    int32_t Size() const { return FSize; }
    const std::string& FileName() const { return FFileName; }
    virtual const char* ClassName() const { return "TFileMapView"; }

private:
    void Open();
    void Close() noexcept;

    std::string FFileName;
    intptr_t FFile = -1;
    intptr_t FMapping = 0;
    const uint8_t* FMemory = nullptr;
    int32_t FSize = 0;
};
