#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Classes.h"
#include "platform/SysUtils.h"
#include "support/ExceptionText.h"
#include "utils/UCRC32Calc.h"
#include "utils/UFileMapView.h"

namespace {
// A scratch file in the working directory of the test run, removed afterwards.
struct TScratchFile {
    std::string Name;
    TScratchFile(const std::string& N, const std::string& Bytes) : Name(N) { WriteFileBytes(Name, Bytes); }
    ~TScratchFile() { std::remove(Name.c_str()); }
};

} // namespace

TEST(FileMapView, RangeChecks)
{
    TScratchFile F("mapview-range.bin", "0123456789");
    TFileMapView V(F.Name);
    ASSERT_EQ(V.Size(), 10);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(V.Access(6, 4)), 4), "6789");
    EXPECT_EQ(ExceptionText([&] { V.Access(7, 4); }),
              "TFileMapView.Accessofs + sz (ofs: 7; sz: 4; ofs + sz: 11) выходит за пределы файла "
              "'mapview-range.bin' (FileSize: 10)");
    EXPECT_EQ(ExceptionText([&] { V.Access(-1, 0); }), "TFileMapView.Accessofs (-1) выходит за пределы файла");
}

TEST(FileMapView, EmptyFile)
{
    TScratchFile F("mapview-empty.bin", "");
    TFileMapView V(F.Name);
    EXPECT_EQ(V.Size(), 0);
    EXPECT_EQ(V.Access(0, 0), nullptr);
    EXPECT_EQ(ExceptionText([&] { V.Access(0, 1); }),
              "TFileMapView.Accessofs + sz (ofs: 0; sz: 1; ofs + sz: 1) выходит за пределы файла "
              "'mapview-empty.bin' (FileSize: 0)");
    EXPECT_EQ(CRC32OfFile(F.Name), 0u);
}

TEST(FileMapView, MissingFile)
{
    std::string M = ExceptionText([] { TFileMapView V("no-such-file.bin"); });
    EXPECT_EQ(M.rfind("TFileMapView.Create: Не удалось открыть файл \"no-such-file.bin\": ", 0), 0u) << M;
    EXPECT_GT(M.size(), std::string("TFileMapView.Create: Не удалось открыть файл \"no-such-file.bin\": ").size());
}

TEST(FileMapView, FileRangesForCrc)
{
    TScratchFile F("mapview-crc.bin", "xx123456789yy");
    EXPECT_EQ(CRC32OfFile(F.Name, 2, 9), 0xCBF43926u);
    EXPECT_EQ(CRC32OfFile(F.Name, 11), CRC32OfBuffer("yy", 2));
    EXPECT_THROW(CRC32OfFile(F.Name, 5, 20), Exception);
}
