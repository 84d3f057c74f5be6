#include <gtest/gtest.h>

#include <windows.h>

#include "log/USimpleFileLog.h"
#include "platform/SysUtils.h"
#include "support/ExceptionText.h"
#include "support/TestSupport.h"
#include "utils/UConsoleUtils.h"

TEST(SimpleFileLog, EmptyStringCreatesNoFile)
{
    TTempDir D;
    LogStrToFile("", D / "a.log");
    EXPECT_FALSE(FileExists(D / "a.log"));
    LogStrToFile("x", D / "a.log");
    LogStrToFile("y", D / "a.log");
    EXPECT_EQ(ReadFileText(D / "a.log"), "xy");
}

TEST(SimpleFileLog, RotatesOnlyPastTheLimit)
{
    TTempDir D;
    std::string Log = D / "r.log";
    D.WriteFile("r.log.old", "previous rotation");
    // Exactly at the limit: stays.
    LogStrToFile(std::string(LogRotateSize - 1, 'a'), Log);
    LogStrToFile("b", Log);
    EXPECT_EQ(ReadFileText(Log).size(), LogRotateSize);
    EXPECT_EQ(ReadFileText(Log + ".old"), "previous rotation");
    // One byte more: the whole file, with the record just written, goes to .old and the log is emptied.
    LogStrToFile("c", Log);
    EXPECT_EQ(ReadFileText(Log), "");
    std::string Old = ReadFileText(Log + ".old");
    EXPECT_EQ(Old.size(), LogRotateSize + 1);
    EXPECT_EQ(Old.back(), 'c');
}

TEST(SimpleFileLog, ErrorRecordFormat)
{
    EXPECT_EQ(FormatErrorRecordAt("Boom", 2024, 3, 9, 7, 5, 3), "\r\n09.03.2024, 07:05:03, ERR: Boom\r\n");
    TTempDir D;
    LogException(Exception("line one\r\nline two"), D / "e.log");
    std::string T = ReadFileText(D / "e.log");
    const std::string Tail = ", ERR: line one\r\nline two\r\n";
    ASSERT_EQ(T.size(), std::string("\r\n09.03.2024, 07:05:03").size() + Tail.size());
    EXPECT_EQ(T.substr(T.size() - Tail.size()), Tail);
}

TEST(SimpleFileLog, TruncateNeverLengthens)
{
    TTempDir D;
    std::string Name = D.WriteFile("t.bin", "0123456789");
    HANDLE H = CreateFileA(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(H, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(TruncateFileTo(H, 20));
    EXPECT_TRUE(TruncateFileTo(H, 10));
    EXPECT_TRUE(TruncateFileTo(H, 4));
    CloseHandle(H);
    EXPECT_EQ(ReadFileText(Name), "0123");
}

TEST(SimpleFileLog, UnwritableFileNamesTheFile)
{
    TTempDir D;
    std::string Dir = D.MakeDir("sub");
    std::string M = ExceptionText([&] { LogStrToFile("x", Dir); });
    EXPECT_EQ(M.rfind("LogStrToFileEx: Cannot create file " + Dir + ", error: ", 0), 0u) << M;
}

TEST(ConsoleLog, LinesReachTheLogInOemCodePage)
{
    TTempDir D;
    std::string Log = D / "session.log";
    D.WriteFile("session.log", "stale content of an earlier run");
    SetConsoleLogFile(Log);
    ConsoleWriteLn("");
    ConsoleWriteLn("Загрузка . . .");
    ConsoleWrite("  a.dist: ", 1, false, 0);
    ConsoleWriteLn("FAILED", 4);
    ConsoleWriteSeparator();
    SetConsoleLogFile("");
    // "Загрузка" in code page 866.
    std::string Oem = "\x87\xA0\xA3\xE0\xE3\xA7\xAA\xA0";
    EXPECT_EQ(ReadFileText(Log), "\r\n" + Oem + " . . .\r\n  a.dist: FAILED\r\n" + std::string(80, '-') + "\r\n");
    // Nothing is written once the log is closed.
    ConsoleWriteLn("after close");
    EXPECT_EQ(ReadFileText(Log).find("after close"), std::string::npos);
}

TEST(ConsoleLog, SwitchLookUp)
{
    std::vector<std::string> Args = {"orb5", "-NO-SPLASH", "--no-splash", "-no-splash=1", "-debuglevel", "9"};
    struct Case { const char* Name; bool TakeValue; bool Found; const char* Value; } Cases[] = {
        {"-no-splash", false, true, ""},
        {"--NO-SPLASH", false, true, ""},
        {"-show-splash", false, false, ""},
        {"-debuglevel", true, true, "9"},
        {"9", true, true, ""},
        {"orb5", false, true, ""},
    };
    for (const auto& C : Cases) {
        std::string V = "junk";
        EXPECT_EQ(FindParamIn(Args, C.Name, C.TakeValue, V), C.Found) << C.Name;
        EXPECT_EQ(V, C.Value) << C.Name;
    }
    std::string V;
    EXPECT_FALSE(FindParamIn({"-no-splash=1"}, "-no-splash", false, V));
}

TEST(ConsoleLog, TextResources)
{
    std::string T = "unchanged";
    LoadTextResource(nullptr, "NoSuchText", true, T);
    EXPECT_EQ(T, "unchanged");
    EXPECT_THROW(LoadTextResource(nullptr, "NoSuchText", false, T), EAssertionFailed);
    LoadTextResource(nullptr, "Text10240", false, T);
    EXPECT_EQ(T, std::string(10240, 'a'));
    LoadTextResource(nullptr, "Text10241", false, T);
    EXPECT_EQ(T, std::string(10239, 'a'));
    LoadTextResource(nullptr, "TextNul", false, T);
    EXPECT_EQ(T, "before");
}
