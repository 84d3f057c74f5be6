// CRC-32 throughput against zlib's crc32() on the same buffers, in the same run.
#include <zlib.h>

#include "BenchUtil.h"
#include "utils/UCRC32Calc.h"

int main()
{
    std::vector<uint8_t> Data = BenchData(32 << 20);
    const int Len = static_cast<int>(Data.size());
    volatile uint32_t Sink = 0;
    double Ours = BestSeconds(5, [&] { Sink = Sink + CRC32OfBuffer(Data.data(), Len); });
    double Zlib = BestSeconds(5, [&] { Sink = Sink + static_cast<uint32_t>(crc32(0, Data.data(), Len)); });
    if (CRC32OfBuffer(Data.data(), Len) != crc32(0, Data.data(), Len)) {
        std::printf("CRC mismatch\n");
        return 1;
    }
    ReportRatio("CRC32OfBuffer", Len, Ours, "zlib crc32", Zlib);
    return 0;
}
