// LZMA in the LZMA-alone layout after the signature "LZMA": properties byte, 32-bit dictionary size,
// 64-bit unpacked size, then the range-coded data without end marker. Packing uses lc 3, lp 0, pb 2,
// an 8 MiB dictionary, nice length 128 and the BT4 match finder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Packer/UAbstractPacker.h"

// Receives the progress of LZMA packing and unpacking as percent values (the component log's progress
// message 252). An exception it raises ends the packing or unpacking with that error.
using TLzmaProgressSink = std::function<void(int32_t Percent)>;
// Sets the process's sink (none by default; an empty function removes it). Returns the previous one.
TLzmaProgressSink SetLzmaProgressSink(TLzmaProgressSink Sink);

class TLzmaALonePacker : public TAbstractPacker {
public:
    explicit TLzmaALonePacker(const GUID& ErrorIID) : TAbstractPacker(ErrorIID) {}
    const char* ClassName() const override { return "TLzmaALonePacker"; }

    // Packs InStream from its position to its end and records that count; Size is not used.
    void PackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    // Reads as much as the LZMA data needs and leaves InStream after it; Size is not used. Failures:
    // "input .lzma file is too short", "Incorrect stream properties" (also for lc + lp above 4, which
    // the coder library cannot decode), "Can't read stream size", "Error in data stream",
    // "Stream size too large" for a recorded size of 2 GiB or more, and "Unexpected end of data stream"
    // for a body that ends before its recorded size is produced.
    void DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    std::string GetDefaultExt() override { return ".lzma"; }
    std::string GetMethodName() override { return "LZMA"; }

    // The percent value reported for Count of Total: false (nothing to report) for a Total of 0 or
    // less; else Count div (Total div 100), or Count itself when Total is below 100.
    static bool ProgressPercent(int64_t Total, int64_t Count, int32_t& Percent);

private:
    // The coder announces the total when a run starts, then counts done (about every 2 %, and at the
    // end); each count goes to the sink as a percent value.
    void ProgressStart(int64_t Total);
    void ProgressCount(int64_t Count);

    int64_t FProgressTotal = 0;
};
