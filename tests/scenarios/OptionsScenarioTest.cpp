// loader.exe started with the options that end a run before any session work: help, version and
// option errors.
#include <gtest/gtest.h>

#include <future>

#include "support/TestSupport.h"
#include "support/UiProbe.h"

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

// A fresh copy of loader.exe in a section directory with nothing else.
struct TBareLoader {
    TTempDir Root;
    std::string Dir = Root.MakeDir("orb5");
    std::string Exe = Dir + "loader.exe";
    TBareLoader() { EXPECT_TRUE(CopyFileA((TestBinDir() + "loader.exe").c_str(), Exe.c_str(), FALSE)); }
    std::string Log() const { return ReadFileText(Dir + "loader.log"); }
};

struct TBox {
    bool Seen = false;
    std::string Text;
    TRunResult Result;
};

// Runs the loader until it shows a box captioned Caption, takes the box's text and closes it.
TBox RunToBox(const TBareLoader& L, const std::string& Args, const std::string& Caption)
{
    TBox B;
    auto Run = std::async(std::launch::async, [&] { return RunAndWait(Quoted(L.Exe) + " " + Args, L.Dir, 30000); });
    if (HWND Box = WaitForTopWindow(Caption, "#32770", 20000)) {
        B.Seen = true;
        for (const TControlText& C : GetControlTexts(Box))
            if (C.ClassName == "Static" && !C.Text.empty()) B.Text = C.Text;
        PressButton(Box, "OK");
    }
    B.Result = Run.get();
    return B;
}

}  // namespace

TEST(LoaderOptions, HelpShowsTheUsageTextAndNothingElse)
{
    TBareLoader L;
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
        TBareLoader L;
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
        TBareLoader L;
        TBox B = RunToBox(L, C.Args, L.Exe);
        ASSERT_TRUE(B.Seen);
        EXPECT_EQ(B.Text, C.Message);
        EXPECT_TRUE(B.Result.Finished);
        const std::string Log = L.Log();
        EXPECT_EQ(Log.substr(0, 3), " \r\n");
        EXPECT_NE(Log.find(std::string(", ERR: ") + C.Message + "\r\n"), std::string::npos) << Log;
    }
}
