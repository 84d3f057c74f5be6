#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ULoaderParams.h"
#include "support/TestSupport.h"

namespace {

using TStrings = std::vector<std::string>;

// A loader placed in a folder of the given name, with "path.ini" files beside it when asked.
class LoaderParams : public testing::Test {
protected:
    std::string LoaderIn(const std::string& DirName) { return Root.MakeDir(DirName) + "loader.exe"; }
    TTempDir Root;
};

struct TOutcome {
    std::string Section, ProgramParams = {}, DistVer = {};
    bool NoActivate = false, NoUpdate = false, KillProcess = false, HideLoaderVer = false;
    bool operator==(const TOutcome&) const = default;
};

std::ostream& operator<<(std::ostream& S, const TOutcome& O)
{
    return S << "[" << O.Section << "] params=[" << O.ProgramParams << "] dist-ver=[" << O.DistVer
             << "] no-activate=" << O.NoActivate << " no-update=" << O.NoUpdate << " kill=" << O.KillProcess
             << " hide=" << O.HideLoaderVer;
}

}  // namespace

TEST_F(LoaderParams, CommandLineAndDirectoryName)
{
    struct Case { TStrings Args; const char* Dir; TOutcome Expected; } Cases[] = {
        {{}, "apps", {"orb5"}},
        {{"main"}, "apps", {"orb5"}},
        {{"MAIN"}, "apps", {"orb5"}},
        {{"orb"}, "apps", {"orb5"}},
        {{"vel"}, "apps", {"vel5"}},
        {{"mirdal5"}, "apps", {"vel5"}},
        {{"Custom", "ignored"}, "apps", {"Custom"}},
        {{" spaced "}, "apps", {" spaced "}},
        // Only the first plain argument may name the section.
        {{"-no-splash", "custom"}, "apps", {"orb5", " -no-splash"}},
        {{"/custom"}, "apps", {"orb5"}},
        {{" \\custom"}, "apps", {"orb5"}},
        // The directory of a working loader decides, whatever the command line says.
        {{"orb"}, "vel5", {"vel5"}},
        {{"custom"}, "ORB5", {"ORB5"}},
        {{}, "mirdal5.bin", {"mirdal5.bin"}},
        {{"vel"}, "Orb.Bin", {"Orb.Bin"}},
        {{"--params=-x", "-no-splash", "-no-activate", "-activate"}, "apps", {"orb5", "-x -no-splash -no-activate"}},
        {{"-NO-ACTIVATE"}, "apps", {"orb5", " -no-activate", "", true}},
        {{"-no-splash", "-show-splash"}, "apps", {"orb5", " -show-splash -no-splash"}},
        {{"--params", "-debuglevel 9 --auto-run", "vel"}, "apps", {"vel5", "-debuglevel 9 --auto-run"}},
        // An unknown option drops itself and all after it, the section name included.
        {{"--dist-ver=5.3.13.1", "--foo", "--no-update", "vel"}, "apps", {"orb5", "", "5.3.13.1"}},
        {{"custom", "--dist-ver", "1.2.3.4", "--NO-UPDATE", "--kill-process", "--hide-loader-ver"}, "apps",
         {"custom", "", "1.2.3.4", false, true, true, true}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::PrintToString(C.Args) + " in " + C.Dir);
        TLoaderParams P(C.Args, LoaderIn(C.Dir));
        P.Prepare();
        const TOutcome Got{P.SectionName, P.ProgramParams, P.DistVer, P.NoActivate,
                           P.NoUpdate, P.KillProcess, P.HideLoaderVer};
        EXPECT_EQ(Got, C.Expected);
    }
}

TEST_F(LoaderParams, OptionErrorsReachTheCaller)
{
    struct Case { TStrings Args; const char* Message; } Cases[] = {
        {{"--ini-file"}, "Option --ini-file requires an argument"},
        {{"--ini-file", "--params=x"}, "Option --ini-file requires an argument"},
        {{"orb", "--dist-ver"}, "Option --dist-ver requires an argument"},
        {{"--no-update=1"}, "Argument not required for option --no-update"},
    };
    for (const Case& C : Cases) {
        TLoaderParams P(C.Args, LoaderIn("apps"));
        try {
            P.Prepare();
            ADD_FAILURE() << "no exception for " << C.Message;
        } catch (const ECmdLinePrepareError& E) {
            EXPECT_EQ(E.Message(), C.Message);
        }
    }
}

TEST_F(LoaderParams, VersionRequestCarriesTheProductVersion)
{
    TLoaderParams P({"vel", "--VER"}, LoaderIn("apps"));
    EXPECT_THROW(P.Prepare(), EShowVersionException);
}

TEST_F(LoaderParams, IniFileName)
{
    const std::string Loader = LoaderIn("apps");
    TLoaderParams Default({}, Loader);
    Default.Prepare();
    EXPECT_EQ(Default.IniFileName, Root / "apps\\loader.ini");

    // Relative to the process's current directory, not to the loader's.
    char Saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, Saved);
    ASSERT_TRUE(SetCurrentDirectoryA(Root.MakeDir("cwd").c_str()));
    TLoaderParams Other({"--ini-file=other.ini"}, Loader);
    Other.Prepare();
    TLoaderParams Up({"--ini-file", "..\\up.ini"}, Loader);
    Up.Prepare();
    SetCurrentDirectoryA(Saved);
    EXPECT_EQ(Other.IniFileName, Root / "cwd\\other.ini");
    EXPECT_EQ(Up.IniFileName, Root / "up.ini");
}

TEST_F(LoaderParams, SharedPathSettings)
{
    struct Case {
        const char* Vendor;  // path.ini.vendor, nullptr: none
        const char* Local;   // path.ini, nullptr: none
        std::string SharedPath;
        int Timeout;
    } Cases[] = {
        {nullptr, nullptr, "", 5},
        {"[Main]\r\nDistSharedPath=..\\shared\r\nDistSharedPathTimeout=7\r\n", nullptr, Root / "shared\\", 7},
        {"[Main]\r\nDistSharedPath=..\\shared\r\nDistSharedPathTimeout=7\r\n",
         "[main]\r\ndistsharedpath=\\\\server\\dist\r\n", "\\\\server\\dist\\", 7},
        // Present but empty in the local file: no shared directory, the vendor's is hidden.
        {"[Main]\r\nDistSharedPath=..\\shared\r\n", "[Main]\r\nDistSharedPath=\r\nDistSharedPathTimeout=0\r\n", "", 0},
        {nullptr, "[Main]\r\nDistSharedPath=d\\\r\n", Root / "apps\\d\\", 5},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Vendor ? C.Vendor : "-") + " / " + (C.Local ? C.Local : "-"));
        TTempDir Dir;
        const std::string AppDir = Dir.MakeDir("apps");
        if (C.Vendor) Dir.WriteFile("apps\\path.ini.vendor", C.Vendor);
        if (C.Local) Dir.WriteFile("apps\\path.ini", C.Local);
        TLoaderParams P({}, AppDir + "loader.exe");
        P.Prepare();
        std::string Expected = C.SharedPath;
        if (Expected.rfind(Root.Path(), 0) == 0) Expected = Dir.Path() + Expected.substr(Root.Path().size());
        EXPECT_EQ(P.DistSharedPath, Expected);
        EXPECT_EQ(P.DistSharedPathTimeout, C.Timeout);
    }
}

TEST_F(LoaderParams, BadSettingsFail)
{
    Root.WriteFile("apps\\path.ini", "[Main]\r\nDistSharedPathTimeout=five\r\n");
    TLoaderParams P({}, Root / "apps\\loader.exe");
    try {
        P.Prepare();
        FAIL() << "no exception";
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), "'five' is not a valid integer value");
    }

    TLoaderParams Gone({}, Root / "gone\\loader.exe");
    try {
        Gone.Prepare();
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "ExpandFileNameEx: directory " + (Root / "gone\\") + " not exists");
    }
}
