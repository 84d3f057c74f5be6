#include <gtest/gtest.h>

#include "utils/UFileVer.h"

TEST(FileVer, ParseVersion)
{
    struct Case { const char* Text; bool Ok; TFileVersion V; } Cases[] = {
        {"1.2.3.4", true, {1, 2, 3, 4}},
        {"1-2-3-4", true, {1, 2, 3, 4}},
        {"1.2.3.4.5", true, {1, 2, 3, 4}},
        {"5.3.13.1 beta", true, {5, 3, 13, 1}},
        {"2147483640.0.0.0", true, {2147483640, 0, 0, 0}},
        {"2147483647.0.0.0", false, {}},
        {"2147483639.0.0.0", false, {}},
        {"1.2.3", false, {}},
        {".1.2.3", false, {}},
        {"1..2.3.4", false, {}},
        {"", false, {}},
        {"1.2.3.", false, {}},
    };
    for (const auto& C : Cases) {
        TFileVersion V;
        EXPECT_EQ(ParseVersion(C.Text, V), C.Ok) << C.Text;
        if (C.Ok) EXPECT_EQ(VersionToText(V), VersionToText(C.V)) << C.Text;
    }
}

TEST(FileVer, PartsStayAfterFailure)
{
    TFileVersion V;
    EXPECT_FALSE(ParseVersion("7.8.x", V));
    EXPECT_EQ(V.Major, 7);
    EXPECT_EQ(V.Minor, 8);
}

TEST(FileVer, TextAndOrder)
{
    TFileVersion V{5, -3, 13, 1};
    EXPECT_EQ(VersionToText(V), "5.-3.13.1");
    EXPECT_EQ(VersionPartsToText(V, 0b1001), "5.1");
    EXPECT_LT(CompareVersionTexts("5.3.13.2", "5.3.13.10"), 0);
    EXPECT_GT(CompareVersionTexts("6.0.0.0", "5.9.9.9"), 0);
    EXPECT_EQ(CompareVersionTexts("1.2.3.4", "1-2-3-4"), 0);
    // Extreme parts must not overflow the difference.
    EXPECT_GT(CompareVersions({2147483640, 0, 0, 0}, {-2147483647, 0, 0, 0}), 0);
    // A text that is no version sorts below every version.
    EXPECT_LT(CompareVersionTexts("junk", "0.0.0.0"), 0);
}
