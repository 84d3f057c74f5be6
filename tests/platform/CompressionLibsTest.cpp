// The three compression libraries are linked in both configurations and work on a buffer.
#include <gtest/gtest.h>

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {
std::string Sample()
{
    std::string S;
    for (int i = 0; i < 5000; ++i) S += "line " + std::to_string(i * 7919 % 1000) + "\r\n";
    return S;
}
} // namespace

TEST(CompressionLibs, ZlibRoundTrip)
{
    std::string In = Sample();
    uLongf PackedLen = compressBound(In.size());
    std::vector<Bytef> Packed(PackedLen);
    ASSERT_EQ(compress2(Packed.data(), &PackedLen, reinterpret_cast<const Bytef*>(In.data()), In.size(), 9), Z_OK);
    std::string Out(In.size(), '\0');
    uLongf OutLen = Out.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(Out.data()), &OutLen, Packed.data(), PackedLen), Z_OK);
    EXPECT_LT(PackedLen, In.size() / 4);
    EXPECT_EQ(Out, In);
}

TEST(CompressionLibs, Bzip2RoundTrip)
{
    std::string In = Sample();
    std::vector<char> Packed(In.size() + 1024);
    unsigned PackedLen = Packed.size();
    ASSERT_EQ(BZ2_bzBuffToBuffCompress(Packed.data(), &PackedLen, In.data(), In.size(), 9, 0, 30), BZ_OK);
    std::string Out(In.size(), '\0');
    unsigned OutLen = Out.size();
    ASSERT_EQ(BZ2_bzBuffToBuffDecompress(Out.data(), &OutLen, Packed.data(), PackedLen, 0, 0), BZ_OK);
    EXPECT_EQ(Out, In);
}

TEST(CompressionLibs, LzmaRawRoundTrip)
{
    std::string In = Sample();
    lzma_options_lzma Opt;
    ASSERT_FALSE(lzma_lzma_preset(&Opt, 6));
    lzma_filter Filters[] = {{LZMA_FILTER_LZMA1, &Opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream S = LZMA_STREAM_INIT;
    ASSERT_EQ(lzma_raw_encoder(&S, Filters), LZMA_OK);
    std::vector<uint8_t> Packed(In.size() + 1024);
    S.next_in = reinterpret_cast<const uint8_t*>(In.data());
    S.avail_in = In.size();
    S.next_out = Packed.data();
    S.avail_out = Packed.size();
    ASSERT_EQ(lzma_code(&S, LZMA_FINISH), LZMA_STREAM_END);
    size_t PackedLen = Packed.size() - S.avail_out;
    lzma_end(&S);

    lzma_stream D = LZMA_STREAM_INIT;
    ASSERT_EQ(lzma_raw_decoder(&D, Filters), LZMA_OK);
    std::string Out(In.size(), '\0');
    D.next_in = Packed.data();
    D.avail_in = PackedLen;
    D.next_out = reinterpret_cast<uint8_t*>(Out.data());
    D.avail_out = Out.size();
    lzma_ret R = lzma_code(&D, LZMA_FINISH);
    EXPECT_TRUE(R == LZMA_STREAM_END || R == LZMA_OK);
    lzma_end(&D);
    EXPECT_EQ(Out, In);
}
