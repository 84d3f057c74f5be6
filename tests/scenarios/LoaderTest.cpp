// loader.exe started for real in a scratch folder tree.
#include <gtest/gtest.h>

#include "LoaderRun.h"

TEST(LoaderScenario, NoIniFileEndsInTheErrorBox)
{
    TLoaderTree T;
    TBox R = RunToBox(T, "orb5", T.Exe);
    ASSERT_TRUE(R.Seen);
    EXPECT_TRUE(R.Result.Finished);
    EXPECT_EQ(R.Caption, T.Exe);
    EXPECT_EQ(R.Text, "Cannot find even one distributive file for loader.ini");

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
    TBox First = RunToBox(T, "orb5", T.Exe);
    ASSERT_TRUE(First.Seen);
    TBox R = RunToBox(T, "orb5 -ERROR", T.Exe);
    ASSERT_TRUE(R.Seen);
    EXPECT_EQ(R.Text, "Задан параметр \"error\", тестовая ошибка");
    std::string Log = T.Log();
    // Only the second run's record: the log is created afresh at each start.
    EXPECT_EQ(Log.find("Cannot find even one distributive"), std::string::npos) << Log;
    EXPECT_NE(Log.find(", ERR: Задан параметр \"error\", тестовая ошибка\r\n"), std::string::npos);
}
