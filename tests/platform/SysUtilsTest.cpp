#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

TEST(Format, Directives)
{
    struct Case { const char* Fmt; std::string Expected; } Cases[] = {
        {"plain", "plain"},
        {"100%%", "100%"},
        {"[%s]", "[abc]"},
        {"%d/%d", "-7/42"},
        {"%.8x", "0000BEEF"},
        {"%5s|%-5s|", "  abc|abc  |"},
        {"%.2s", "ab"},
        {"%.3d", "-007"},
    };
    EXPECT_EQ(Format(Cases[0].Fmt, {}), Cases[0].Expected);
    EXPECT_EQ(Format(Cases[1].Fmt, {}), Cases[1].Expected);
    EXPECT_EQ(Format(Cases[2].Fmt, {"abc"}), Cases[2].Expected);
    EXPECT_EQ(Format(Cases[3].Fmt, {-7, 42}), Cases[3].Expected);
    EXPECT_EQ(Format(Cases[4].Fmt, {0xBEEFu}), Cases[4].Expected);
    EXPECT_EQ(Format(Cases[5].Fmt, {"abc", "abc"}), Cases[5].Expected);
    EXPECT_EQ(Format(Cases[6].Fmt, {"abc"}), Cases[6].Expected);
    EXPECT_EQ(Format(Cases[7].Fmt, {-7}), Cases[7].Expected);
}

TEST(Format, MismatchRaisesConvertError)
{
    EXPECT_THROW(Format("%d", {"text"}), EConvertError);
    EXPECT_THROW(Format("%s", {5}), EConvertError);
    EXPECT_THROW(Format("%s %s", {"one"}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    try {
        Format("%d", {"x"});
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Format '%d' invalid or incompatible with argument");
        EXPECT_STREQ(E.ClassName(), "EConvertError");
    }
}

TEST(SysUtils, StrToInt)
{
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToIntDef("abc", 7), 7);
    EXPECT_EQ(StrToIntDef("2147483648", 7), 7);
    EXPECT_EQ(StrToIntDef("", 3), 3);
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), "'abc' is not a valid integer value");
    }
}

TEST(SysUtils, FileNameParts)
{
    EXPECT_EQ(ExtractFilePath("C:\\App\\loader.exe"), "C:\\App\\");
    EXPECT_EQ(ExtractFileName("C:\\App\\loader.exe"), "loader.exe");
    EXPECT_EQ(ExtractFileExt("C:\\A.b\\loader"), "");
    EXPECT_EQ(ChangeFileExt("C:\\App\\loader.exe", ".log"), "C:\\App\\loader.log");
    EXPECT_EQ(ChangeFileExt("C:\\A.b\\loader", ".log"), "C:\\A.b\\loader.log");
    EXPECT_EQ(ExtractFileDir("C:\\App\\loader.exe"), "C:\\App");
    EXPECT_EQ(ExtractFileDir("C:\\loader.exe"), "C:\\");
    EXPECT_EQ(ExtractFileName("C:name"), "name");
}

TEST(SysUtils, CaseFolding)
{
    EXPECT_TRUE(SameText("Loader.EXE", "loader.exe"));
    EXPECT_FALSE(SameText("loader", "loader "));
    EXPECT_TRUE(AnsiSameText("Загрузка", "ЗАГРУЗКА"));
    EXPECT_FALSE(SameText("Загрузка", "ЗАГРУЗКА"));
}

TEST(Streams, ShortReadRaisesReadError)
{
    TMemoryStream M;
    M.WriteBuffer("abc", 3);
    M.SetPosition(1);
    char Buf[4];
    try {
        M.ReadBuffer(Buf, 4);
        FAIL();
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Message(), "Stream read error");
    }
}

// Lets anyone prove that a failing test fails the run: LOADER_FAIL_ON_PURPOSE=1 make test.
TEST(Harness, FailsWhenAskedTo)
{
    EXPECT_EQ(std::getenv("LOADER_FAIL_ON_PURPOSE"), nullptr) << "failing on purpose, as asked";
}
