// The deflate, bzip2 and LZMA packers: layouts, the use of Size, LZMA header checks and progress, and
// damaged or cut bodies.
#include <gtest/gtest.h>

#include <algorithm>

#include <lzma.h>
#include <zlib.h>

#include "Packer/UBZip2Packer.h"
#include "Packer/ULzmaALonePacker.h"
#include "Packer/UPasZLibPacker.h"
#include "Packer/USelectablePacker.h"
#include "PackerTestData.h"

namespace {

struct TMethod {
    const char* Name;
    TComPtr<IPacker> (*Make)();
};
const TMethod Methods[] = {
    {"ZLIB", MakePacker<TPasZLibPacker>},
    {"BZIP2", MakePacker<TBZip2Packer>},
    {"LZMA", MakePacker<TLzmaALonePacker>},
};

uint64_t LE(const TBytes& B, size_t Offset, int Bytes)
{
    uint64_t V = 0;
    for (int i = Bytes - 1; i >= 0; --i) V = V << 8 | static_cast<uint8_t>(B[Offset + static_cast<size_t>(i)]);
    return V;
}

TBytes LzmaHeader(uint8_t Props, uint32_t Dict, uint64_t Size)
{
    TBytes H = "LZMA";
    H += static_cast<char>(Props);
    for (int i = 0; i < 4; ++i) H += static_cast<char>(Dict >> (8 * i));
    for (int i = 0; i < 8; ++i) H += static_cast<char>(Size >> (8 * i));
    return H;
}

// Collects the progress values of the LZMA packer for the length of a test.
class TProgressLog {
public:
    TProgressLog()
    {
        SetLzmaProgressSink([this](int32_t Percent) { Values.push_back(Percent); });
    }
    ~TProgressLog() { SetLzmaProgressSink(nullptr); }
    std::vector<int32_t> Values;
};

} // namespace

TEST(PackerMethods, RoundTripsWithTheLayoutOfEachMethod)
{
    const TBytes Inputs[] = {"", "a", TextSample(2000), NoiseSample(300000), TBytes(1 << 20, '\0')};
    for (const auto& M : Methods) {
        for (const TBytes& Input : Inputs) {
            TComPtr<IPacker> P = M.Make();
            TBytes Body = Pack(P.Get(), Input);
            std::string Case = std::string(M.Name) + " of " + std::to_string(Input.size()) + " bytes";
            if (M.Name == std::string("ZLIB")) {
                EXPECT_EQ(Body.substr(0, 2), "\x78\xDA") << Case;
            } else if (M.Name == std::string("BZIP2")) {
                EXPECT_EQ(Body.substr(0, 8), "BZIPBZh9") << Case;
            } else {
                EXPECT_EQ(Body.substr(0, 9), TBytes("LZMA\x5D\x00\x00\x80\x00", 9)) << Case;
                EXPECT_EQ(LE(Body, 9, 8), Input.size()) << Case;
            }
            EXPECT_EQ(Unpack(P.Get(), Body), Input) << Case;
            EXPECT_EQ(Unpack(MakePacker<TSelectablePacker>().Get(), Body), Input) << Case;
        }
    }
}

TEST(PackerMethods, EmptyInputGivesACompleteEmptyStream)
{
    TBytes Zlib = Pack(MakePacker<TPasZLibPacker>().Get(), "");
    EXPECT_EQ(Zlib.size(), 8u);
    uLongf Len = 0;
    Bytef Dummy;
    EXPECT_EQ(uncompress(&Dummy, &Len, reinterpret_cast<const Bytef*>(Zlib.data()), Zlib.size()), Z_OK);

    TBytes Lzma = Pack(MakePacker<TLzmaALonePacker>().Get(), "");
    EXPECT_EQ(Lzma.substr(0, 17), LzmaHeader(0x5D, 1u << 23, 0));
    EXPECT_GT(Lzma.size(), 17u);  // the range coder's closing bytes
}

TEST(PackerMethods, WhatEachMethodTakesFromThePositionedInput)
{
    TBytes Input = TextSample(500);
    const size_t Start = 1000;
    TBytes Rest = Input.substr(Start);
    const struct {
        TComPtr<IPacker> (*Make)();
        int32_t Size;
        TBytes Expected;
    } Cases[] = {
        {MakePacker<TPasZLibPacker>, 10, Input},       // the whole stream, Size ignored
        {MakePacker<TBZip2Packer>, 0, Rest},           // the rest
        {MakePacker<TBZip2Packer>, 100, Rest.substr(0, 100)},
        {MakePacker<TLzmaALonePacker>, 100, Rest},     // the rest, Size ignored
    };
    for (const auto& C : Cases) {
        TComPtr<IPacker> P = C.Make();
        TMemoryStream In = StreamOf(Input), Out;
        In.SetPosition(Start);
        PackerPackStream(P.Get(), In, Out, C.Size);
        TBytes Body = BytesOf(Out);
        std::string Name = PackerGetMethodName(P.Get());
        if (Name == "LZMA") {
            EXPECT_EQ(LE(Body, 9, 8), Rest.size());
        }
        EXPECT_EQ(Unpack(P.Get(), Body), C.Expected) << Name << " " << C.Size;
    }
}

TEST(PackerMethods, SizeOfThePackedDataWhenUnpacking)
{
    TBytes Input = TextSample(100);
    TBytes Tail = "following data";
    for (const auto& M : Methods) {
        TComPtr<IPacker> P = M.Make();
        TBytes Body = Pack(P.Get(), Input);
        int32_t BodySize = static_cast<int32_t>(Body.size());
        int32_t DataSize = M.Name == std::string("ZLIB") ? BodySize : BodySize - 4;
        TBytes Whole = Body + Tail;
        // Exactly the data, four bytes more (as the distributive reader passes), and all the rest.
        for (int32_t Size : {DataSize, DataSize + 4, 0}) {
            TMemoryStream In = StreamOf(Whole), Out;
            PackerUnPackStreamEx(P.Get(), In, Out, Size);
            EXPECT_EQ(BytesOf(Out), Input) << M.Name << " " << Size;
            int64_t Expected = M.Name == std::string("LZMA") ? BodySize  // the LZMA data ends itself
                               : Size == 0                   ? static_cast<int64_t>(Whole.size())
                                                             : Size + (BodySize - DataSize);
            EXPECT_EQ(In.Position(), Expected) << M.Name << " " << Size;
        }
        if (M.Name != std::string("LZMA")) {
            std::string ReadError = std::string(M.Name == std::string("ZLIB") ? "TPasZLibPacker" : "TBZip2Packer") +
                                    ".UnPackStreamEx: Stream read error";
            for (int32_t TooLarge : {DataSize + static_cast<int32_t>(Tail.size()) + 1, INT32_MAX})
                EXPECT_EQ(FirstLine(UnpackError(P.Get(), Whole, TooLarge)), ReadError) << M.Name << " " << TooLarge;
        }
    }
}

TEST(PackerMethods, LzmaHeaderFailures)
{
    TBytes Good = Pack(MakePacker<TLzmaALonePacker>().Get(), TextSample(30));
    const struct {
        const char* Case;
        TBytes Body;
        const char* Failure;
    } Cases[] = {
        {"properties byte 225", LzmaHeader(225, 1u << 23, 10) + TBytes(8, '\0'), "Incorrect stream properties"},
        {"properties byte 255", LzmaHeader(255, 1u << 23, 10) + TBytes(8, '\0'), "Incorrect stream properties"},
        {"lc 8 (lc + lp above 4)", LzmaHeader(8, 1u << 23, 10) + TBytes(8, '\0'), "Incorrect stream properties"},
        {"dictionary of 2 GiB", LzmaHeader(0x5D, 0x80000000u, 10) + TBytes(8, '\0'), "Incorrect stream properties"},
        {"ends in the properties", Good.substr(0, 8), "input .lzma file is too short"},
        {"signature only", "LZMA", "input .lzma file is too short"},
        {"ends in the size", Good.substr(0, 16), "Can't read stream size"},
        {"size of 2 GiB", LzmaHeader(0x5D, 1u << 23, 1ull << 31) + Good.substr(17), "Stream size too large"},
        {"cut data", Good.substr(0, Good.size() - 6), "Unexpected end of data stream"},
        {"size beyond the data", LzmaHeader(0x5D, 1u << 23, 1000000) + Good.substr(17), "Unexpected end of data stream"},
        {"data not LZMA", LzmaHeader(0x5D, 1u << 23, 100) + TBytes(40, '\xFF'), "Error in data stream"},
    };
    TComPtr<IPacker> P = MakePacker<TLzmaALonePacker>();
    for (const auto& C : Cases)
        EXPECT_EQ(FirstLine(UnpackError(P.Get(), C.Body)), std::string("TLzmaALonePacker.UnPackStreamEx: ") + C.Failure)
            << C.Case;
}

TEST(PackerMethods, LzmaAcceptsAStreamWithEndMarkerAndUnknownSize)
{
    // The size field of all ones asks for decoding up to the end marker, as other LZMA-alone writers do.
    TBytes Input = TextSample(100);
    lzma_options_lzma Opt;
    ASSERT_FALSE(lzma_lzma_preset(&Opt, 6));
    lzma_filter Filters[] = {{LZMA_FILTER_LZMA1, &Opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    lzma_stream S = LZMA_STREAM_INIT;
    ASSERT_EQ(lzma_raw_encoder(&S, Filters), LZMA_OK);
    TBytes Data(Input.size() + 1000, '\0');
    S.next_in = reinterpret_cast<const uint8_t*>(Input.data());
    S.avail_in = Input.size();
    S.next_out = reinterpret_cast<uint8_t*>(Data.data());
    S.avail_out = Data.size();
    ASSERT_EQ(lzma_code(&S, LZMA_FINISH), LZMA_STREAM_END);
    Data.resize(S.total_out);
    lzma_end(&S);

    TComPtr<IPacker> P = MakePacker<TLzmaALonePacker>();
    EXPECT_EQ(Unpack(P.Get(), LzmaHeader(0x5D, Opt.dict_size, UINT64_MAX) + Data), Input);
    EXPECT_EQ(Unpack(P.Get(), LzmaHeader(0x5D, Opt.dict_size, Input.size()) + Data), Input);
}

TEST(LzmaProgress, PercentOfTheTotal)
{
    const struct {
        int64_t Total, Count;
        bool Reported;
        int32_t Percent;
    } Cases[] = {
        {150, 150, true, 150}, {150, 3, true, 3},     // below 100 per cent steps: divisor 1
        {99, 99, true, 99},    {1000, 1000, true, 100}, {1000, 999, true, 99},
        {250, 250, true, 125}, {0, 0, false, 0},      {-1, 10, false, 0},
        {INT32_MAX, INT32_MAX, true, 100},
    };
    for (const auto& C : Cases) {
        int32_t Percent = -1;
        EXPECT_EQ(TLzmaALonePacker::ProgressPercent(C.Total, C.Count, Percent), C.Reported) << C.Total;
        if (C.Reported) {
            EXPECT_EQ(Percent, C.Percent) << C.Total << " " << C.Count;
        }
    }
}

TEST(LzmaProgress, ReportedWhilePackingAndUnpacking)
{
    const struct {
        size_t Size;
        int32_t Last;
    } Cases[] = {{0, -1}, {150, 150}, {250, 125}, {1000, 100}, {1000000, 100}};
    for (const auto& C : Cases) {
        TBytes Input = NoiseSample(C.Size);
        TComPtr<IPacker> P = MakePacker<TLzmaALonePacker>();
        for (bool Packing : {true, false}) {
            TProgressLog Log;
            static TBytes Body;
            if (Packing) {
                Body = Pack(P.Get(), Input);
            } else {
                ASSERT_EQ(Unpack(P.Get(), Body), Input);
            }
            if (C.Last < 0) {
                EXPECT_TRUE(Log.Values.empty()) << C.Size;
                continue;
            }
            ASSERT_FALSE(Log.Values.empty()) << C.Size;
            EXPECT_EQ(Log.Values.back(), C.Last) << C.Size << " packing " << Packing;
            EXPECT_TRUE(std::is_sorted(Log.Values.begin(), Log.Values.end())) << C.Size;
            if (C.Size >= 1000000) {
                EXPECT_GE(Log.Values.size(), 10u) << "packing " << Packing;
            }
        }
    }
}

TEST(LzmaProgress, FailingSinkEndsTheRun)
{
    TBytes Input = TextSample(100);
    TBytes Body = Pack(MakePacker<TLzmaALonePacker>().Get(), Input);
    SetLzmaProgressSink([](int32_t) { throw Exception("component library not found"); });
    std::string E = UnpackError(MakePacker<TLzmaALonePacker>().Get(), Body);
    TMemoryStream In = StreamOf(Input), Out;
    HRESULT PackResult = MakePacker<TLzmaALonePacker>()->PackStream(&In, &Out, 0);
    SetLzmaProgressSink(nullptr);
    EXPECT_EQ(FirstLine(E), "TLzmaALonePacker.UnPackStreamEx: component library not found");
    EXPECT_EQ(PackResult, E_UNEXPECTED);
}

// Every cut and many bit flips of a small body: an error or a plausible result, never a crash, a hang
// or unbounded output. deflate and bzip2 check their data, so a result is the original bytes; LZMA
// data carry no check (the distributive file's CRC-32 catches those), so a result has the recorded size.
// The ASan build runs this too.
TEST(PackerMethods, DamagedBodiesFailCleanly)
{
    TBytes Input = TextSample(60);
    for (const auto& M : Methods) {
        TComPtr<IPacker> P = M.Make();
        TBytes Body = Pack(P.Get(), Input);
        bool Lzma = M.Name == std::string("LZMA");
        auto Check = [&](const TBytes& Damaged, const std::string& Case, bool MayDecode) {
            TMemoryStream In = StreamOf(Damaged), Out;
            HRESULT R = P->UnPackStreamEx(&In, &Out, 0);
            if (FAILED(R)) {
                EXPECT_EQ(R, E_UNEXPECTED) << M.Name << " " << Case;
            } else if (!MayDecode) {
                ADD_FAILURE() << M.Name << " " << Case << " unpacked without error";
            } else if (Lzma) {
                EXPECT_EQ(static_cast<uint64_t>(Out.Size()), LE(Damaged, 9, 8)) << Case;
            } else {
                EXPECT_TRUE(BytesOf(Out) == Input) << M.Name << " " << Case << " unpacked to other bytes";
            }
        };
        for (size_t Len = 0; Len < Body.size(); ++Len)
            // The last bytes of the range coder's flush may not be needed to decode a known size.
            Check(Body.substr(0, Len), "cut to " + std::to_string(Len), Lzma && Len + 4 >= Body.size());
        for (size_t i = 0; i < Body.size(); ++i)
            for (int Bit : {0, 3, 7}) {
                TBytes Damaged = Body;
                Damaged[i] = static_cast<char>(Damaged[i] ^ (1 << Bit));
                Check(Damaged, "bit " + std::to_string(Bit) + " of byte " + std::to_string(i), true);
            }
    }
}

TEST(PackerMethods, AbsurdLzmaSizesStayBounded)
{
    // A large recorded size or dictionary with a few bytes of data fails at the end of the data without
    // taking memory for either.
    TBytes Data = Pack(MakePacker<TLzmaALonePacker>().Get(), "abc").substr(17);
    const struct {
        uint32_t Dict;
        uint64_t Size;
    } Cases[] = {{0x7FFFFFFFu, 3}, {0x7FFFFFFFu, 0x7FFFFFFF}, {1, 3}, {0, 3}};
    for (const auto& C : Cases) {
        TComPtr<IPacker> P = MakePacker<TLzmaALonePacker>();
        std::string E = UnpackError(P.Get(), LzmaHeader(0x5D, C.Dict, C.Size) + Data);
        if (C.Size == 3) {
            EXPECT_EQ(E, "") << C.Dict;
        } else {
            EXPECT_EQ(FirstLine(E), "TLzmaALonePacker.UnPackStreamEx: Unexpected end of data stream");
        }
    }
}
