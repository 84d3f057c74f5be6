#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "support/TestSupport.h"
#include "utils/UFileUtils.h"

namespace {

std::string MessageOf(void (*F)(const std::string&), const std::string& Arg)
{
    try {
        F(Arg);
    } catch (const Exception& E) {
        return E.Message();
    }
    return "(no exception)";
}

} // namespace

TEST(FileUtilsWin, ProgramPaths)
{
    std::string Exe = GetExeName();
    EXPECT_TRUE(EndsText("\\utils_tests.exe", Exe)) << Exe;
    EXPECT_EQ(GetModuleName(), Exe);
    EXPECT_EQ(GetExeDir(), ExtractFilePath(Exe));
    EXPECT_TRUE(SameText(GetLastDirName(), "bin"));
}

TEST(FileUtilsWin, ExpandFileNameExWindowsForms)
{
    TTempDir T;
    std::string Base = T.MakeDir("App\\Bin") + "loader.exe";
    std::string Drive = T.Path().substr(0, 2);
    EXPECT_EQ(ExpandFileNameEx("\\x.ini", Base), Drive + "\\x.ini");
    EXPECT_EQ(ExpandFileNameEx(Drive + "x.ini", Base), T / "App\\Bin\\x.ini");
    EXPECT_EQ(ExpandFileNameEx("..\\..\\a/b.ini", Base), T / "a\\b.ini");
    EXPECT_EQ(ExpandFileNameEx("\\\\srv\\share\\f", Base), "\\\\srv\\share\\f");
    EXPECT_EQ(ExpandFileNameEx("..\\x", Drive + "\\"), Drive + "\\x");
}

TEST(FileUtilsWin, ShortNames)
{
    TTempDir T;
    std::string Long = T.MakeDir("Long Directory Name");
    std::string File = T.WriteFile("Long Directory Name\\A Long File Name.txt", "x");

    std::string ShortDir = GetShortPathName(Long);
    EXPECT_EQ(ShortDir.find(' '), std::string::npos) << ShortDir;
    EXPECT_NE(ShortDir.find('~'), std::string::npos) << ShortDir;

    std::string ShortFile = GetShortFileName(File);
    EXPECT_EQ(ShortFile.find(' '), std::string::npos) << ShortFile;
    EXPECT_TRUE(FileExists(ShortFile));
    // Only the directory exists: its short form, then the long name as given.
    EXPECT_EQ(GetShortFileName(Long + "new file.txt"), AddPathDelimiter(ShortDir) + "new file.txt");
    EXPECT_EQ(GetShortFileName(T / "No Such Dir\\f.txt"), T / "No Such Dir\\f.txt");

    std::string Missing = T / "No Such Dir";
    std::string M = MessageOf([](const std::string& P) { GetShortPathName(P); }, Missing);
    EXPECT_EQ(M.rfind("GetShortPathName(\"" + Missing + "\"): ", 0), 0u) << M;
    EXPECT_GT(M.size(), Missing.size() + 22) << "the system's text must follow";
}

TEST(FileUtilsWin, CheckFolderAccessDeniedHasNoErrorText)
{
    TTempDir T;
    // A directory in the place of the probe file: creating the probe is refused with access denied.
    T.MakeDir(std::string("ro\\") + FolderAccessProbeName);
    std::string F = T / "ro\\";
    EXPECT_EQ(MessageOf([](const std::string& P) { CheckFolderAccess(P); }, F),
              "Нет прав на запись в папку \"" + F + "\"\r\nОбратитесь к системному администратору (\"компьютерщику\")");
}

#endif
