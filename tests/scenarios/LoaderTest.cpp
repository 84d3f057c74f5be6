// loader.exe started for real in a scratch folder tree.
#include <gtest/gtest.h>

#include <future>

#include "support/TestSupport.h"
#include "support/UiProbe.h"

namespace {

// A section directory holding a fresh copy of loader.exe.
struct TLoaderTree {
    TTempDir Root;
    std::string Dir;
    std::string Exe;
    explicit TLoaderTree(const std::string& Section = "orb5")
    {
        Dir = Root.MakeDir(Section);
        Exe = Dir + "loader.exe";
        EXPECT_TRUE(CopyFileA((TestBinDir() + "loader.exe").c_str(), Exe.c_str(), FALSE));
    }
    std::string Log() const { return ReadFileText(Dir + "loader.log"); }
};

// Starts the loader, waits for the message box it ends in, reads it and presses OK.
struct TBoxRun {
    TRunResult Result;
    std::string Caption;
    std::vector<TControlText> Controls;
    bool BoxSeen = false;

    std::string Text() const
    {
        for (const auto& C : Controls)
            if (C.ClassName == "Static" && !C.Text.empty()) return C.Text;
        return {};
    }
};

TBoxRun RunExpectingBox(const TLoaderTree& T, const std::string& Args)
{
    TBoxRun R;
    auto Run = std::async(std::launch::async, [&] { return RunAndWait(Quoted(T.Exe) + " " + Args, T.Dir, 30000); });
    // Boxes of the loader carry its full path as caption, which also tells them from the windows of
    // other test programs on the same display.
    HWND Box = WaitForTopWindow(T.Exe, "#32770", 20000);
    if (Box) {
        R.BoxSeen = true;
        R.Caption = GetWindowTextOf(Box);
        R.Controls = GetControlTexts(Box);
        PressButton(Box, "OK");
    }
    R.Result = Run.get();
    return R;
}

} // namespace

TEST(LoaderScenario, NoIniFileEndsInTheErrorBox)
{
    TLoaderTree T;
    TBoxRun R = RunExpectingBox(T, "orb5");
    ASSERT_TRUE(R.BoxSeen);
    EXPECT_TRUE(R.Result.Finished);
    EXPECT_EQ(R.Caption, T.Exe);
    EXPECT_EQ(R.Text(), "Cannot find even one distributive file for loader.ini");

    std::string Log = T.Log();
    // The session log starts with one blank line, then the steps; the dated error record closes it.
    EXPECT_EQ(Log.substr(0, 3), " \r\n");
    EXPECT_NE(Log.find("Loading public key . . . \r\n"), std::string::npos) << Log;
    EXPECT_NE(Log.find(", ERR: Cannot find even one distributive file for loader.ini\r\n"), std::string::npos) << Log;
    // The same lines went to standard output.
    EXPECT_NE(R.Result.Output.find("Loading public key . . . "), std::string::npos);
}

TEST(LoaderScenario, TestErrorSwitchAndFreshLogEachStart)
{
    TLoaderTree T;
    TBoxRun First = RunExpectingBox(T, "orb5");
    ASSERT_TRUE(First.BoxSeen);
    TBoxRun R = RunExpectingBox(T, "orb5 -ERROR");
    ASSERT_TRUE(R.BoxSeen);
    EXPECT_EQ(R.Text(), "Задан параметр \"error\", тестовая ошибка");
    std::string Log = T.Log();
    // Only the second run's record: the log is created afresh at each start.
    EXPECT_EQ(Log.find("Cannot find even one distributive"), std::string::npos) << Log;
    EXPECT_NE(Log.find(", ERR: Задан параметр \"error\", тестовая ошибка\r\n"), std::string::npos);
}
