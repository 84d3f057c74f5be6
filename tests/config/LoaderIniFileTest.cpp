#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ULoaderIniFile.h"
#include "support/TestSupport.h"
#include "utils/UFileUtils.h"

namespace {

using TStrings = std::vector<std::string>;

const char* const SampleIni =
    "stray.dist\r\n"
    "[ORB5]\r\n"
    "orb.exe.5.3.13.1.dist\r\n"
    "; a comment\r\n"
    "   \r\n"
    "\r\n"
    " lib.dll.1.0.0.1.dist\n"
    "sub\\data.bin.1.0.0.0.dist\r"
    "[orb5]\r\n"
    "never.dist\r\n"
    "[redirect]\r\n"
    "--SECTION=vel5\r\n"
    "redirect-own.dist\r\n"
    "[vel5]\r\n"
    "vel.exe.1.2.3.4.dist\r\n"
    "--section=orb5\r\n"
    "[empty-redirect]\r\n"
    "--section=\r\n"
    "x.dist\r\n"
    "[header-only]\r\n"
    "[lost-redirect]\r\n"
    "--section=nowhere\r\n"
    "[common]\r\n"
    "common.dll.1.0.0.0.dist\r\n";

// The same ini file in the parent directory (the first start) and in the section directory (the
// working start), with the current directory at the root so that display names are short.
class LoaderIniFile : public testing::Test {
protected:
    LoaderIniFile()
    {
        Root.WriteFile("loader.ini", SampleIni);
        Root.WriteFile("common-only.ini", "[common]\r\na.dist\r\n");
        for (const char* Dir : {"orb5", "vel5", "redirect"}) Root.WriteFile(std::string(Dir) + "\\loader.ini", SampleIni);
        GetCurrentDirectoryA(MAX_PATH, FSaved);
        SetCurrentDirectoryA(Root.Path().c_str());
    }
    ~LoaderIniFile() override { SetCurrentDirectoryA(FSaved); }
    TTempDir Root;

private:
    char FSaved[MAX_PATH];
};

}  // namespace

TEST_F(LoaderIniFile, ReadsTheSectionFromEitherStart)
{
    struct Case {
        const char* Section;
        const char* Where;  // the directory of the loader and its ini file, "" for the root
        const char* Base;   // where the entries end up
        const char* Exe;
        TStrings Files;
        const char* SectionInUse;
        bool InSectionDir;
    } Cases[] = {
        {"orb5", "", "", "orb.exe.5.3.13.1.dist", {" lib.dll.1.0.0.1.dist", "sub\\data.bin.1.0.0.0.dist", "common.dll.1.0.0.0.dist"}, "orb5", false},
        {"Orb5", "orb5\\", "", "orb.exe.5.3.13.1.dist", {" lib.dll.1.0.0.1.dist", "sub\\data.bin.1.0.0.0.dist", "common.dll.1.0.0.0.dist"}, "Orb5", true},
        // A redirection replaces the entries and decides the section directory; it is followed once.
        {"redirect", "", "", "vel.exe.1.2.3.4.dist", {"--section=orb5", "common.dll.1.0.0.0.dist"}, "vel5", false},
        {"redirect", "vel5\\", "", "vel.exe.1.2.3.4.dist", {"--section=orb5", "common.dll.1.0.0.0.dist"}, "vel5", true},
        {"redirect", "redirect\\", "redirect\\", "vel.exe.1.2.3.4.dist", {"--section=orb5", "common.dll.1.0.0.0.dist"}, "vel5", false},
        // With nothing after "=" the line is an ordinary entry.
        {"empty-redirect", "", "", "--section=", {"x.dist", "common.dll.1.0.0.0.dist"}, "empty-redirect", false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Section) + " from " + C.Where);
        const std::string Dir = Root.Path() + C.Where;
        TLoaderIniFile Ini(Dir + "loader.ini", C.Section, Dir + "loader.exe");
        // Entries are written for the parent of the section directory: from the section directory they
        // resolve to the same files as from the parent.
        const std::string Base = Root.Path() + C.Base;
        EXPECT_EQ(Ini.ExeDistFile, ExpandFileNameEx(C.Exe, Base));
        TStrings Files;
        for (int I = 0; I < Ini.Count(); ++I) Files.push_back(Ini.Files(I));
        TStrings Expected;
        for (const std::string& F : C.Files) Expected.push_back(ExpandFileNameEx(F, Base));
        EXPECT_EQ(Files, Expected);
        EXPECT_EQ(Ini.SectionName, C.SectionInUse);
        EXPECT_EQ(Ini.InSectionDir, C.InSectionDir);
    }
}

TEST_F(LoaderIniFile, Failures)
{
    struct Case { std::string File; const char* Section; std::string Message; } Cases[] = {
        {Root / "loader.ini", "header-only", "Section [header-only] not found in \"loader.ini\""},
        // [common] alone does not make up a section.
        {Root / "common-only.ini", "orb5", "Section [orb5] not found in \"common-only.ini\""},
        {Root / "loader.ini", "missing", "Section [missing] not found in \"loader.ini\""},
        {Root / "orb5\\loader.ini", "lost-redirect", "Section [nowhere] not found in \"orb5\\loader.ini\""},
        {Root / "none.ini", "orb5", "Файл \"" + (Root / "none.ini") + "\" не существует"},
    };
    for (const Case& C : Cases) {
        try {
            TLoaderIniFile Ini(C.File, C.Section, Root / "loader.exe");
            ADD_FAILURE() << "no exception for " << C.Section;
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), C.Message);
        }
    }
}
