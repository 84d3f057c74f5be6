// loader.exe started with the options that end a run before any session work: help, version and
// option errors.
#include <gtest/gtest.h>

#include "LoaderRun.h"

namespace {

const char* const UsageText =
    "Загрузчик Quillet-приложений\r\n"
    "\r\n"
    "Usage: loader.exe ExeSectionName [Options]\r\n"
    "\r\n"
    "ExeSectionName\r\n"
    "  Имя секции .ini-файла, где первым в списке должен быть исполняемый файл.\r\n"
    "  Он то и запустится в завершении работы загрузчика.\r\n"
    "  Если имя секции не передано, по умолчанию используется секция main.\r\n"
    "\r\n"
    "Options:\r\n"
    "  --help\r\n"
    "    Показывает эту помощь и завершается\r\n"
    "\r\n"
    "  --ver[sion]\r\n"
    "    Показывает информацию о версии и завершается\r\n"
    "\r\n"
    "  --ini-file=FileName\r\n"
    "    Имя конкретного .ini-файла, отличного от loader.ini, который \r\n"
    "    будет использовани для работы загрузчика. В остальном проверка \r\n"
    "    целостности .ini файла ничем не отличается от loader.ini.\r\n"
    "\r\n"
    "  --params=\"--param1 --param2=value -debuglevel 9\"\r\n"
    "    Строка параметров, которая будет передана для запуска исполняемому файлу.\r\n"
    "    Срока передается как есть, только без кавычек. \r\n"
    "    Например:\r\n"
    "      \r\n"
    "      loader.exe orb --params=\"-debuglevel 9 --auto-run\" \r\n"
    "      \r\n"
    "    приведет к запуску\r\n"
    "\r\n"
    "      orb.exe -debuglevel 9 --auto-run";

}  // namespace

TEST(LoaderOptions, HelpShowsTheUsageTextAndNothingElse)
{
    TLoaderTree L;
    TBox B = RunToBox(L, "--help", "Loader.exe");
    ASSERT_TRUE(B.Seen);
    EXPECT_EQ(B.Text, UsageText);
    EXPECT_TRUE(B.Result.Finished);
    EXPECT_EQ(B.Result.ExitCode, 0u);
    EXPECT_EQ(L.Log(), " \r\n");
}

TEST(LoaderOptions, VersionEndsSilently)
{
    for (const char* Args : {"--ver", "--version", "vel5 --VERSION --no-update"}) {
        SCOPED_TRACE(Args);
        TLoaderTree L;
        // A box or dialog would keep the process alive until the time-out.
        TRunResult R = RunAndWait(Quoted(L.Exe) + " " + Args, L.Dir, 15000);
        EXPECT_TRUE(R.Finished);
        EXPECT_EQ(R.ExitCode, 0u);
        EXPECT_EQ(L.Log(), " \r\n");
    }
}

TEST(LoaderOptions, OptionErrorsEndInTheErrorPath)
{
    struct Case { const char* Args; const char* Message; } Cases[] = {
        {"--ini-file", "Option --ini-file requires an argument"},
        {"orb5 --ini-file --params=x", "Option --ini-file requires an argument"},
        {"--help=x", "Argument not required for option --help"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Args);
        TLoaderTree L;
        TBox B = RunToBox(L, C.Args, L.Exe);
        ASSERT_TRUE(B.Seen);
        EXPECT_EQ(B.Text, C.Message);
        EXPECT_TRUE(B.Result.Finished);
        const std::string Log = L.Log();
        EXPECT_EQ(Log.substr(0, 3), " \r\n");
        EXPECT_NE(Log.find(std::string(", ERR: ") + C.Message + "\r\n"), std::string::npos) << Log;
    }
}
