#include <gtest/gtest.h>

#include "platform/SysUtils.h"
#include "utils/UStrUtils.h"

TEST(StrUtils, StrToBoolean)
{
    struct Case { const char* Text; bool Default; bool Expected; } Cases[] = {
        {"", true, true},     {"", false, false},   {"   ", true, true},  {"\t", false, false},
        {"yes", false, true}, {"True", false, true}, {"Y", false, true},  {"1", false, true},
        {"N", true, false},   {"no", true, false},   {"FALSE", true, false}, {"0", true, false},
    };
    for (const Case& C : Cases) EXPECT_EQ(StrToBoolean(C.Text, C.Default), C.Expected) << "[" << C.Text << "]";

    for (const char* Bad : {"2", "on", " yes", "yes ", "ye"}) {
        try {
            StrToBoolean(Bad, true);
            ADD_FAILURE() << "accepted [" << Bad << "]";
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), std::string("\"") + Bad +
                                       "\" is invalid boolean node value, valid is [\"1\", \"y\", \"yes\", "
                                       "\"true\"], [\"\", \"0\", \"n\", \"no\", \"false\"]");
        }
    }
}

TEST(StrUtils, Positions)
{
    EXPECT_EQ(LastPos("aa", "aaa"), 2);
    EXPECT_EQ(LastPos("ab", "abxab"), 4);
    EXPECT_EQ(LastPos("z", "abc"), 0);
    EXPECT_EQ(LastPos("", "abc"), 0);
    EXPECT_EQ(LastPos("abcd", "abc"), 0);

    struct Case { char Ch; const char* Text; int Start; int Expected; } Cases[] = {
        {'b', "abcb", 1, 2}, {'b', "abcb", 3, 4}, {'b', "abcb", 5, 0},
        {'a', "abc", 0, 1},  {'a', "abc", -5, 1}, {'c', "abc", 3, 3}, {'x', "", 1, 0},
    };
    for (const Case& C : Cases) EXPECT_EQ(CharPosFrom(C.Ch, C.Text, C.Start), C.Expected) << C.Text << " " << C.Start;
}

TEST(StrUtils, SetsAndLists)
{
    TCharSet Digits = MakeCharSet("0123456789");
    EXPECT_TRUE(ConsistsOfChars("", Digits));
    EXPECT_TRUE(ConsistsOfChars("2024", Digits));
    EXPECT_FALSE(ConsistsOfChars("20 24", Digits));
    EXPECT_TRUE(ConsistsOfChars("\xC0\xFF", MakeCharSet("\xC0\xFF")));

    EXPECT_TRUE(TextInList("MAIN", {"other", "main"}));
    EXPECT_FALSE(TextInList("mai", {"main"}));
    EXPECT_TRUE(TextInList("Orb5", std::vector<std::string>{"ORB5"}));
    EXPECT_FALSE(TextInList("x", std::vector<std::string>{}));
}

TEST(StrUtils, AnsiToOemKeepsLengthAndConvertsCyrillic)
{
    // "Привет, мир" in Windows-1251 and in code page 866.
    std::string Ansi = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0 \xA8\xB8";
    std::string Oem = "\x8F\xE0\xA8\xA2\xA5\xE2, \xAC\xA8\xE0 \xF0\xF1";
    EXPECT_EQ(AnsiToOem(Ansi), Oem);
    EXPECT_EQ(AnsiToOem(""), "");
}

TEST(StrUtils, ExtractCmdLineParams)
{
    struct Case { const char* CmdLine; const char* Exe; const char* Expected; } Cases[] = {
        {"loader.exe -a \"b c\"", "loader.exe", "-a \"b c\""},
        {"\"C:\\Program Files\\App\\loader.exe\" x", "loader.exe", "x"},
        {"loader.exe y", "loader.exe", "y"},
        {"loader.exe", "loader.exe", ""},
        {"\"C:\\App\\loader.exe\"   ", "loader.exe", ""},
        // Named otherwise than the file: another case, no extension, a path that holds the name.
        {"LOADER.EXE -a", "loader.exe", "-a"},
        {"loader -a b", "loader.exe", "-a b"},
        {"C:\\Apps\\LOADER.EXE orb5 --params=\"1 2\"", "loader.exe", "orb5 --params=\"1 2\""},
        {"\"C:\\My Apps\\Loader\" q", "loader.exe", "q"},
    };
    for (const Case& C : Cases) EXPECT_EQ(ExtractCmdLineParams(C.CmdLine, C.Exe), C.Expected) << C.CmdLine;
}
