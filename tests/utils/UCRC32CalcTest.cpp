#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <string>

#include "platform/Classes.h"
#include "utils/UCRC32Calc.h"

namespace {
std::string RandomBytes(size_t N, unsigned Variant)
{
    std::mt19937 G(Variant);
    std::string S(N, '\0');
    for (char& C : S) C = static_cast<char>(G());
    return S;
}
} // namespace

TEST(CRC32, KnownValuesAndZlibAgreement)
{
    EXPECT_EQ(CRC32OfBuffer("", 0), 0u);
    EXPECT_EQ(CRC32OfBuffer("123456789", 9), 0xCBF43926u);
    // Every length around the 8-byte steps and every alignment agrees with zlib.
    // (from 64 bytes on, the carry-less multiply path folds blocks: cover its loop boundaries too)
    std::string Data = RandomBytes(1000, 1);
    for (int Start = 0; Start < 17; ++Start)
        for (int Len = 0; Len < 300; ++Len)
            ASSERT_EQ(CRC32OfBuffer(Data.data() + Start, Len),
                      crc32(0, reinterpret_cast<const Bytef*>(Data.data() + Start), Len))
                << Start << "+" << Len;
}

TEST(CRC32, LargeBufferAgreesWithZlib)
{
    std::string Data = RandomBytes(1 << 20, 4);
    EXPECT_EQ(CRC32OfBuffer(Data.data(), static_cast<int32_t>(Data.size())),
              crc32(0, reinterpret_cast<const Bytef*>(Data.data()), static_cast<uInt>(Data.size())));
}

TEST(CRC32, UpdateInPiecesEqualsWhole)
{
    std::string Data = RandomBytes(5000, 2);
    uint32_t C = CRC32Update(0xFFFFFFFFu, Data.data(), 1234);
    C = CRC32Update(C, Data.data() + 1234, 0);
    C = CRC32Update(C, Data.data() + 1234, 5000 - 1234);
    EXPECT_EQ(C ^ 0xFFFFFFFFu, CRC32OfBuffer(Data.data(), 5000));
}

TEST(CRC32, StreamCountsAndEarlyEnd)
{
    std::string Data = RandomBytes(3000, 3);
    TMemoryStream M(std::vector<uint8_t>(Data.begin(), Data.end()));
    M.SetPosition(100);
    EXPECT_EQ(CRC32OfStream(M, 2000), CRC32OfBuffer(Data.data() + 100, 2000));
    EXPECT_EQ(M.Position(), 2100);
    // More asked than is left: the CRC of the rest.
    EXPECT_EQ(CRC32OfStream(M, 5000), CRC32OfBuffer(Data.data() + 2100, 900));
    EXPECT_EQ(CRC32OfStream(M, 0), 0u);
    EXPECT_EQ(CRC32OfStream(M, -5), 0u);
}
