#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConfigTestDir.h"
#include "utils/UFileUtils.h"
#include "utils/UIniFile.h"

namespace {

using TStrings = std::vector<std::string>;

// Lines a hand-edited file holds, with the readings that are easy to get wrong; the zero byte ends
// the text.
const char SampleIni[] =
    "orphan=before any section\r\n"
    "[Main]\r\n"
    "A=1\r\n"
    "  B = 2  \r\n"
    "C=x=y\n"
    "; semi=1\r"
    "# hash=1\r\n"
    "\r\n"
    "D=\r\n"
    "NoEquals\r\n"
    "[main]\r\n"
    "E=second block\r\n"
    "[ Spaced ]\r\n"
    "F=6\r\n"
    "[Кириллица]\r\n"
    "Ключ=значение\r\n"
    "[Cut]\r\n"
    "G=7\0H=8\r\n";

class IniFile : public testing::Test {
protected:
    TConfigTestDir Dir;
    std::string FileName = Dir.Write("sample.ini", std::string(SampleIni, sizeof(SampleIni) - 1));
};

}  // namespace

TEST_F(IniFile, ReadValue)
{
    const TImprovedMemIniFile Ini(FileName);
    struct Case { const char* Section; const char* Key; const char* Expected; } Cases[] = {
        {"Main", "A", "1"},
        {"MAIN", "a", "1"},
        {"Main", "orphan", "<none>"},
        // The blank before "=" belongs to the key; the value keeps its blank.
        {"Main", "B", "<none>"},
        {"Main", "B ", " 2"},
        {"Main", "C", "x=y"},
        {"Main", "D", ""},
        {"Main", "; semi", "<none>"},
        {"Main", "# hash", "<none>"},
        // Only the first block of a repeated header is searched.
        {"Main", "E", "<none>"},
        {" Spaced ", "F", "6"},
        {"Spaced", "F", "<none>"},
        {"КИРИЛЛИЦА", "клЮЧ", "значение"},
        {"Cut", "G", "7"},
        {"Cut", "H", "<none>"},
        {"Nowhere", "A", "<none>"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Ini.ReadValue(C.Section, C.Key, "<none>"), C.Expected) << C.Section << "\\" << C.Key;
}

TEST_F(IniFile, ListingsAndKeptComments)
{
    TStrings S;
    const TImprovedMemIniFile Ini(FileName);
    Ini.ReadSectionNames(S);
    EXPECT_EQ(S, (TStrings{"Main", "main", " Spaced ", "Кириллица", "Cut"}));
    Ini.ReadKeyNames("main", S);
    EXPECT_EQ(S, (TStrings{"A", "B ", "C", "D", ""}));
    Ini.ReadSectionLines("Main", S);
    EXPECT_EQ(S, (TStrings{"A=1", "B = 2", "C=x=y", "D=", "NoEquals"}));
    Ini.ReadKeyNames("Nowhere", S);
    EXPECT_TRUE(S.empty());

    const TImprovedMemIniFile WithComments(FileName, true);
    WithComments.ReadSectionLines("Main", S);
    EXPECT_EQ(S, (TStrings{"A=1", "B = 2", "C=x=y", "; semi=1", "# hash=1", "D=", "NoEquals"}));
}

TEST_F(IniFile, ChangesReachTheFileOnlyThroughWriteBack)
{
    const std::string Before = Dir.Read("sample.ini");
    {
        TImprovedMemIniFile Ini(FileName);
        Ini.WriteValue("MAIN", "a", "changed");   // replaced in place, under the name given
        Ini.WriteValue("Main", "New", "v");       // appended to the section
        Ini.WriteValue("Added", "K", "=x");       // section appended at the end
        Ini.RemoveKey("Main", "c");
        Ini.RemoveKey("Main", "NoEquals");        // a line without "=" is no key
        Ini.RemoveSection("Cut");
        Ini.RemoveSection("Кириллица");
        EXPECT_EQ(Ini.ReadValue("Main", "A", ""), "changed");
    }
    EXPECT_EQ(Dir.Read("sample.ini"), Before);

    TImprovedMemIniFile Ini(FileName);
    Ini.WriteValue("MAIN", "a", "changed");
    Ini.WriteValue("Main", "New", "v");
    Ini.WriteValue("Added", "K", "=x");
    Ini.RemoveKey("Main", "c");
    Ini.RemoveKey("Main", "NoEquals");
    Ini.RemoveSection("Cut");
    Ini.RemoveSection("Кириллица");
    Ini.WriteBack();
    EXPECT_EQ(Dir.Read("sample.ini"),
              "[Main]\r\na=changed\r\nB = 2\r\nD=\r\nNoEquals\r\nNew=v\r\n\r\n"
              "[main]\r\nE=second block\r\n\r\n"
              "[ Spaced ]\r\nF=6\r\n\r\n"
              "[Added]\r\nK==x\r\n\r\n");

    // Removing the first block uncovers the second one of the same name.
    TImprovedMemIniFile Again(FileName);
    Again.RemoveSection("Main");
    EXPECT_EQ(Again.ReadValue("Main", "E", ""), "second block");
}

TEST_F(IniFile, TypedReadsGoThroughTheStrings)
{
    TImprovedMemIniFile Ini(FileName);
    TCustomIniFile& Base = Ini;
    EXPECT_EQ(Base.ReadInteger("Main", "A", 5), 1);
    EXPECT_EQ(Base.ReadInteger("Main", "C", 5), 5);
    EXPECT_TRUE(Base.ReadBool("Main", "A", false));
    Base.WriteBool("Main", "A", false);
    EXPECT_EQ(Ini.ReadValue("Main", "A", ""), "0");
    EXPECT_TRUE(Base.ValueExists("main", "d"));
    EXPECT_FALSE(Base.SectionExists("Nowhere"));
}

TEST_F(IniFile, MissingFileIsEmpty)
{
    TImprovedMemIniFile Ini(Dir.Path() + "missing.ini");
    TStrings S;
    Ini.ReadSectionNames(S);
    EXPECT_TRUE(S.empty());
    EXPECT_EQ(Ini.ReadValue("Main", "A", "d"), "d");
}

TEST_F(IniFile, ReadIniString)
{
    Dir.Write("marker.ini", "[S]\r\nM=ReadIniString_EmptyValue\r\nE=\r\n;C=1\r\n");
    struct Case { std::string File; const char* Section; const char* Key; bool Found; const char* Value; } Cases[] = {
        {FileName, "main", "c", true, "x=y"},
        {FileName, "Main", "D", true, ""},
        {FileName, "Main", "Z", false, ""},
        {Dir.Path() + "marker.ini", "S", "M", false, ""},
        {Dir.Path() + "marker.ini", "S", "E", true, ""},
        {Dir.Path() + "marker.ini", "S", ";C", false, ""},
        {Dir.Path() + "missing.ini", "S", "E", false, ""},
        {Dir.Path(), "S", "E", false, ""},
    };
    for (const Case& C : Cases) {
        std::string Value = "stale";
        EXPECT_EQ(ReadIniString(C.File, C.Section, C.Key, Value), C.Found) << C.File << " " << C.Key;
        EXPECT_EQ(Value, C.Value) << C.File << " " << C.Key;
    }
}

TEST(IniValuePath, Parse)
{
    const std::string Own = ChangeFileExt(GetExeName(), ".ini.vendor");
    struct Case { const char* Path; std::string File, Section, Key; } Cases[] = {
        {"DistSharedPath", Own, "Main", "DistSharedPath"},
        {"  DistSharedPath\t", Own, "Main", "DistSharedPath"},
        {"ExceptionDialogForm\\MailTo", Own, "ExceptionDialogForm", "MailTo"},
        {"path.ini.vendor:Main\\DistSharedPath", "path.ini.vendor", "Main", "DistSharedPath"},
        {"f.ini:S/K", "f.ini", "S", "K"},
        {"f.ini:S\\K/L", "f.ini", "S", "K/L"},
        {"f.ini:S/K\\L", "f.ini", "S/K", "L"},
        {"f.ini: S \\ K", "f.ini", " S ", " K"},
        {"f.ini:K", "f.ini", "Main", "K"},
        {"\\\\server\\share\\f.ini:S\\K", "\\\\server\\share\\f.ini", "S", "K"},
        // The first ":" ends the file part, so a drive letter cannot be part of it.
        {"C:\\dir\\f.ini:S\\K", "C", "", "dir\\f.ini:S\\K"},
        {"", "", "", ""},
        {"   ", "", "", ""},
    };
    for (const Case& C : Cases) {
        std::string F = "x", S = "x", K = "x";
        ParseIniValuePath(C.Path, F, S, K);
        EXPECT_EQ(F, C.File) << C.Path;
        EXPECT_EQ(S, C.Section) << C.Path;
        EXPECT_EQ(K, C.Key) << C.Path;
    }
    std::string F, S, K;
    for (const char* Bad : {"f.ini:", "f.ini:S\\", "S/"})
        EXPECT_THROW(ParseIniValuePath(Bad, F, S, K), EAssertionFailed) << Bad;
}

TEST(IniValue, LocalFileOverridesVendorKeyByKey)
{
    TConfigTestDir Dir;
    Dir.Write("path.ini.vendor", "[Main]\r\nA=vendorA\r\nB=vendorB\r\nC=vendorC\r\nD=vendorD\r\n");
    Dir.Write("path.ini", "[Main]\r\nA=localA\r\nB=\r\nC=ReadIniString_EmptyValue\r\n");
    Dir.Write("only.ini.vendor", "[Main]\r\nA=onlyVendor\r\n");
    Dir.Write("plain.ini", "[Main]\r\nA=plain\r\n");
    struct Case { const char* Path; bool Found; const char* Value; } Cases[] = {
        {"path.ini.vendor:Main\\A", true, "localA"},
        // Present but empty in the local file: the vendor value stays hidden.
        {"path.ini.vendor:Main\\B", true, ""},
        {"path.ini.vendor:Main\\C", true, "vendorC"},
        {"path.ini.vendor:main\\d", true, "vendorD"},
        {"path.ini.vendor:Main\\E", false, ""},
#ifdef _WIN32
        {"PATH.INI.VENDOR:Main\\A", true, "localA"},
#endif
        {"only.ini.vendor:A", true, "onlyVendor"},
        {"plain.ini:Main\\A", true, "plain"},
        // Only a ".vendor" name is overlaid; the local file is never a fallback the other way.
        {"path.ini:Main\\D", false, ""},
        {"missing.ini.vendor:Main\\A", false, ""},
        {"", false, ""},
    };
    for (const Case& C : Cases) {
        std::string Value = "stale";
        EXPECT_EQ(ReadIniValue(C.Path, Value, Dir.Path()), C.Found) << C.Path;
        EXPECT_EQ(Value, C.Value) << C.Path;
    }
    // A base directory given without its trailing delimiter still names that directory.
    std::string Value;
    EXPECT_TRUE(ReadIniValue("path.ini.vendor:Main\\A", Value, ExcludePathDelimiter(Dir.Path())));
    EXPECT_EQ(Value, "localA");
}

TEST(IniValue, MissingBaseDirectoryFails)
{
    TConfigTestDir Dir;
    const std::string Missing = Dir.Path() + "gone" + Dir.Path().back();
    std::string Value;
    try {
        ReadIniValue("path.ini.vendor:Main\\A", Value, Missing);
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "ExpandFileNameEx: directory " + Missing + " not exists");
    }
}

TEST(VendorNames, ExtensionRules)
{
    struct Case { const char* Name; bool Has; const char* Removed; const char* Added; } Cases[] = {
        {"path.ini.vendor", true, "path.ini", "path.ini.vendor"},
        {"loader.xml.VENDOR", true, "loader.xml", "loader.xml.VENDOR"},
        {"loader.xml", false, "loader.xml", "loader.xml.vendor"},
        {"a.vendor.ini", false, "a.vendor.ini", "a.vendor.ini.vendor"},
        {"dir.vendor\\file", false, "dir.vendor\\file", "dir.vendor\\file.vendor"},
        {"C:\\x\\a.vendor", true, "C:\\x\\a", "C:\\x\\a.vendor"},
        {"vendor", false, "vendor", "vendor.vendor"},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(HasFileExt(C.Name, ".vendor"), C.Has) << C.Name;
        EXPECT_EQ(RemoveFileExt(C.Name, ".vendor"), C.Removed) << C.Name;
        EXPECT_EQ(AddVendorExt(C.Name, ".vendor"), C.Added) << C.Name;
    }
    EXPECT_TRUE(HasFileExt("a.ini", ".INI"));
    EXPECT_EQ(RemoveFileExt("a.ini", ".vendor"), "a.ini");
}

TEST(VendorNames, PreferLocalFile)
{
    TConfigTestDir Dir;
    Dir.Write("with.xml.vendor", "v");
    Dir.Write("with.xml", "l");
    Dir.Write("without.xml.vendor", "v");
    std::filesystem::create_directory(Dir.Path() + "folder.xml");
    Dir.Write("folder.xml.vendor", "v");
    const std::string P = Dir.Path();
    EXPECT_EQ(PreferLocalFile(P + "with.xml.vendor", ".vendor"), P + "with.xml");
    EXPECT_EQ(PreferLocalFile(P + "without.xml.vendor", ".vendor"), P + "without.xml.vendor");
    // A directory of the shorter name is no local file.
    EXPECT_EQ(PreferLocalFile(P + "folder.xml.vendor", ".vendor"), P + "folder.xml.vendor");
    EXPECT_EQ(PreferLocalFile(P + "with.xml", ".vendor"), P + "with.xml");
}
