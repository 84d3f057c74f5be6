#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "utils/UFileVer.h"

// loader.exe carries its version in the Russian/1251 string table; verres_other.exe only in an
// English/Unicode one, which does not count.
TEST(FileVerResource, ReadsTheRussianTableOnly)
{
    std::string Loader = TestBinDir() + "loader.exe";
    TFileVersion V;
    ASSERT_TRUE(GetFileVersion(Loader, V));
    EXPECT_EQ(GetFileVersionText(Loader), VersionToText(V));
    EXPECT_EQ(GetVersionInfoValue(Loader, "OriginalFilename"), "loader.exe");

    std::string Other = TestBinDir() + "verres_other.exe";
    ASSERT_TRUE(FileExists(Other));
    EXPECT_FALSE(GetFileVersion(Other, V));
    EXPECT_EQ(GetFileVersionText(Other), "");

    EXPECT_EQ(GetProductVersionText(TestBinDir() + "no-such.exe"), " version ");
    EXPECT_EQ(GetFileVersionText(""), "");
}
