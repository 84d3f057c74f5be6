#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/Classes.h"
#include "platform/IniFiles.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder for one test, removed at its end.
class IniFileDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device Rd;
        Dir = fs::temp_directory_path() / ("initest_" + std::to_string(Rd()));
        fs::create_directories(Dir);
    }
    void TearDown() override
    {
        std::error_code Ec;
        fs::remove_all(Dir, Ec);
    }
    std::string PathOf(const std::string& Name) const { return (Dir / Name).string(); }
    fs::path Dir;
};

std::string ReadAll(const std::string& FileName)
{
    auto B = ReadFileBytes(FileName);
    return std::string(B.begin(), B.end());
}

// Comments, blank lines, lines before the first header, mixed line ends, a section repeated in
// another case, blanks around names.
const char* const Messy =
    "orphan=1\r\n"
    "; leading comment\r\n"
    "[Main]\r\n"
    "Name=first\n"
    "\n"
    "   \t\r\n"
    "  ; indented comment\r"
    "  Spaced = x \r\n"
    "NoEquals\r\n"
    "[ Other ]\r\n"
    "K=v=w\r\n"
    "[MAIN]\r\n"
    "Late=2";

} // namespace

TEST(TMemIniFile, LoadKeepsSettingsAndDropsTheRest)
{
    TMemIniFile Ini("unused.ini");
    Ini.SetText(Messy);
    EXPECT_EQ(Ini.ReadSections(), (std::vector<std::string>{"Main", "Other"}));
    EXPECT_EQ(Ini.ReadSection("main"), (std::vector<std::string>{"Name", "Spaced", "Late"}));
    EXPECT_EQ(Ini.GetText(),
              "[Main]\r\nName=first\r\n  Spaced = x \r\nNoEquals\r\nLate=2\r\n\r\n"
              "[Other]\r\nK=v=w\r\n\r\n");

    struct Case { const char* Section; const char* Ident; const char* Expected; } Cases[] = {
        {"Main", "Name", "first"},
        {"mAIN", "NAME", "first"},
        {"Main", "Spaced", " x "},  // the name is found without its blanks, the value is kept whole
        {"Other", "K", "v=w"},
        {" other ", "k", "v=w"},
        {"Main", "Late", "2"},
        {"Main", "NoEquals", "<default>"},
        {"Main", "orphan", "<default>"},
        {"Missing", "Name", "<default>"},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(Ini.ReadString(C.Section, C.Ident, "<default>"), C.Expected) << C.Section << "\\" << C.Ident;
    EXPECT_EQ(Ini.ReadInteger("Main", "Late", -1), 2);
    EXPECT_EQ(Ini.ReadInteger("Main", "Name", -1), -1);
    EXPECT_TRUE(Ini.ValueExists("MAIN", "late"));
    EXPECT_FALSE(Ini.ValueExists("Main", "NoEquals"));
}

TEST(TMemIniFile, WriteReplacesFirstMatchOrAppendsInPlace)
{
    TMemIniFile Ini("unused.ini");
    Ini.SetText("[A]\r\nx=1\r\nKey=old\r\nkey=second\r\n[B]\r\ny=2\r\n");
    Ini.WriteString("a", "KEY", "new");     // first line whose name matches, in any case
    Ini.WriteString("A", "z", "3");         // appended to its section, not at the end of the file
    Ini.WriteInteger("C", "n", -5);         // a new section goes last
    Ini.WriteString("C", "empty", "");
    EXPECT_EQ(Ini.GetText(),
              "[A]\r\nx=1\r\nKEY=new\r\nkey=second\r\nz=3\r\n\r\n"
              "[B]\r\ny=2\r\n\r\n"
              "[C]\r\nn=-5\r\nempty=\r\n\r\n");

    Ini.DeleteKey("A", "x");
    Ini.EraseSection("b");
    EXPECT_EQ(Ini.GetText(), "[A]\r\nKEY=new\r\nkey=second\r\nz=3\r\n\r\n[C]\r\nn=-5\r\nempty=\r\n\r\n");
    Ini.Clear();
    EXPECT_EQ(Ini.GetText(), "");
}

TEST_F(IniFileDir, RoundTripThroughTheFile)
{
    std::string Name = PathOf("orb.ini");
    {
        TMemIniFile Missing(Name);  // a missing file is an empty ini, and nothing is created yet
        EXPECT_TRUE(Missing.ReadSections().empty());
        EXPECT_FALSE(fs::exists(Name));
    }
    WriteFileBytes(Name, std::string(Messy));
    TMemIniFile Ini(Name);
    Ini.WriteString("ICS", "ProxyHost", "h");
    Ini.UpdateFile();
    EXPECT_EQ(ReadAll(Name),
              "[Main]\r\nName=first\r\n  Spaced = x \r\nNoEquals\r\nLate=2\r\n\r\n"
              "[Other]\r\nK=v=w\r\n\r\n[ICS]\r\nProxyHost=h\r\n\r\n");
    EXPECT_EQ(TMemIniFile(Name).GetText(), Ini.GetText());
}

TEST_F(IniFileDir, FailuresNameTheFileAndTouchNothing)
{
    // Something that exists under the name but cannot be read as a file is not an empty ini.
    std::string Folder = PathOf("folder.ini");
    fs::create_directories(Folder);
    try {
        TMemIniFile Ini(Folder);
        FAIL() << "no exception";
    } catch (const EFOpenError& E) {
        EXPECT_EQ(E.Message(), "Cannot open file " + Folder);
    }

    std::string Unreachable = PathOf("no-such-folder/orb.ini");
    TMemIniFile Ini(Unreachable);
    Ini.WriteString("ICS", "ProxyHost", "h");
    try {
        Ini.UpdateFile();
        FAIL() << "no exception";
    } catch (const EFCreateError& E) {
        EXPECT_EQ(E.Message(), "Cannot create file " + Unreachable);
    }
    EXPECT_FALSE(fs::exists(PathOf("no-such-folder")));
}
