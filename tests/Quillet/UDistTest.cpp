#include <gtest/gtest.h>

#include "DistTestUtil.h"
#include "crypto/TempFiles.h"
#include "utils/UCRC32Calc.h"

// Names ------------------------------------------------------------------------------------------

TEST(UDistNames, VersionFromDistName)
{
    struct Case { std::string Name, Result; } Cases[] = {
        {"x.exe.5.3.13.1.dist", "5.3.13.1"},
        {"lib.1.2.3.4.5.dist", "2.3.4.5"},
        {"x.exe.05.3.13.1.dist", "05.3.13.1"},
        {P("C:\\App\\.dist\\sub\\x.dll.1.2.3.4.dist"), "1.2.3.4"},
        {"x.exe.2147483640.0.0.1.dist", "2147483640.0.0.1"},
        {"x.exe.1.2.3.dist", "EDistPackerError: Invalid file version part in file x.exe.1.2.3.dist"},
        {"x.exe.2147483647.0.0.1.dist", "EDistPackerError: Invalid file version part in file x.exe.2147483647.0.0.1.dist"},
        {"x.exe.dist", "EDistPackerError: Invalid file version part in file x.exe.dist"},
    };
    for (const auto& C : Cases) {
        std::string R;
        std::string O = Outcome([&] { R = VersionFromDistName(C.Name); });
        EXPECT_EQ(O == "ok" ? R : O, C.Result) << C.Name;
    }
}

TEST(UDistNames, FileSpecFromDistName)
{
    struct Case { std::string Dist, InstallDir; bool NoDefault; std::string Result; } Cases[] = {
        {"C:\\App\\.dist\\sub\\x.dll.1.2.3.4.dist", "bin", false, "C:\\App\\bin\\sub\\x.dll"},
        {"C:\\App\\.dist\\x.exe.1.2.3.4.dist", "", true, "C:\\App\\x.exe"},
        {"C:\\App\\.DIST\\x.exe.1.2.3.4.dist", "bin", false, "C:\\App\\bin\\x.exe"},
        {"C:\\App\\.dist\\x.exe.1.2.3.4.dist", "", false, "C:\\App\\" + GetLastDirName() + "\\x.exe"},
        // Only a folder named ".dist" stands for the installation directory.
        {"D:\\builds.dist\\App\\.dist\\x.exe.1.2.3.4.dist", "bin", false, "D:\\builds.dist\\App\\bin\\x.exe"},
    };
    for (const auto& C : Cases) EXPECT_EQ(FileSpecFromDistName(P(C.Dist), C.InstallDir, C.NoDefault), P(C.Result)) << C.Dist;

    const std::string Upper = P("C:\\App\\.dist\\x.exe.1.2.3.4.DIST");
    EXPECT_EQ(Outcome([&] { FileSpecFromDistName(Upper, "bin", false); }),
              "EDistPackerError: Distributive file name " + Upper + " has invalid format");
}

TEST(UDistNames, DistFileName)
{
    struct Case { std::string File, Version, Root, Base, Result; } Cases[] = {
        {"C:\\App\\bin\\sub\\x.dll", "1.2.3.4", "C:\\App\\", "C:\\App\\bin\\", "C:\\App\\.dist\\sub\\x.dll.1.2.3.4.dist"},
        {"C:\\App\\bin\\x.exe", "5.3.13.1", "C:\\App", "C:\\App\\bin\\", "C:\\App\\.dist\\x.exe.5.3.13.1.dist"},
        {"C:\\App\\bin\\x.exe", "?*.?*.?*.?*", "C:\\App\\", "C:\\App\\bin\\", "C:\\App\\.dist\\x.exe.?*.?*.?*.?*.dist"},
        {"C:\\App\\BIN\\x.exe", "1.0.0.0", "C:\\App\\", "C:\\App\\bin\\",
#ifdef _WIN32
         "C:\\App\\.dist\\x.exe.1.0.0.0.dist"},  // directory names compare without regard to case
#else
         "C:\\App\\.dist\\..\\BIN\\x.exe.1.0.0.0.dist"},
#endif
        {"C:\\Other\\y.dll", "1.2.3.4", "C:\\App\\", "C:\\App\\bin\\", "C:\\App\\.dist\\..\\..\\Other\\y.dll.1.2.3.4.dist"},
    };
    for (const auto& C : Cases) EXPECT_EQ(DistFileName(P(C.File), C.Version, P(C.Root), P(C.Base)), P(C.Result)) << C.File;
}

TEST(UDistNames, DefaultDistRootAndVerFiles)
{
    TScratchDir Dir;
    Dir.Write("bin/app.exe", {1});
    const std::string Base = AddPathDelimiter(Dir / "bin");
    EXPECT_EQ(DefaultDistRoot(Base), P(AddPathDelimiter(Dir.Path())));
    EXPECT_EQ(DistFileName(Dir / "bin/app.exe", "1.2.3.4", "", Base), P(AddPathDelimiter(Dir.Path()) + ".dist\\app.exe.1.2.3.4.dist"));
    const std::string Missing = AddPathDelimiter(Dir / "nowhere");
    EXPECT_EQ(Outcome([&] { DefaultDistRoot(Missing); }), "Exception: ExpandFileNameEx: directory " + Missing + " not exists");

    EXPECT_EQ(VerFileName("readme.txt"), "readme.txt.ver");
    struct Case { const char* Text; bool Result; const char *Version, *CRC; } Cases[] = {
        {"[DistPack]\r\nVersion=1.2.3.4\r\nCRC=0A0B\r\n", true, "1.2.3.4", "0A0B"},
        {"[DistPack]\nVersion=1.2.3.4\n", false, "1.2.3.4", ""},
        {"[Other]\nVersion=1.2.3.4\nCRC=1\n", false, "", ""},
    };
    for (const auto& C : Cases) {
        std::string Text = C.Text;
        Dir.Write("readme.txt.ver", std::vector<uint8_t>(Text.begin(), Text.end()));
        std::string V, CRC;
        EXPECT_EQ(ReadVerFile(Dir / "readme.txt", V, CRC), C.Result) << C.Text;
        EXPECT_EQ(V, C.Version) << C.Text;
        EXPECT_EQ(CRC, C.CRC) << C.Text;
    }
    std::string V = "x", CRC = "y";
    EXPECT_FALSE(ReadVerFile(Dir / "none.txt", V, CRC));
    EXPECT_EQ(V, "");
}

// The reader --------------------------------------------------------------------------------------

class TDistReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadTestKey(Reader.DigSign().PublicKey(), TestPublicKeyHex);
        Dir.Write("bin/placeholder", {});
    }
    std::string DistPath(const std::string& Name) const { return Dir / (".dist/" + Name); }
    std::string Installed(const std::string& Rel = "app.exe") const { return Dir / ("bin/" + Rel); }
    std::string PutDist(const std::string& Name, const std::vector<uint8_t>& Bytes)
    {
        return Dir.Write(".dist/" + Name, Bytes);
    }

    TScratchDir Dir;
    TTestSigner Signer;
    TDistPacker Reader;
};

TEST_F(TDistReader, RefusalsOfVerify)
{
    const std::vector<uint8_t> Good = Signer.Build(SampleContent(500));
    const std::string ErrPrefix = "EDistPackerError: ";
    auto Dist = [&](const std::string& Name) { return Display(DistPath(Name)); };
    struct Case { std::string Name; bool Write; std::vector<uint8_t> Bytes; std::string Outcome; } Cases[] = {
        {"good.1.2.3.4.dist", true, Good, "ok"},
        {"missing.1.2.3.4.dist", false, {}, ErrPrefix + "Distributive file " + Dist("missing.1.2.3.4.dist") + " not exists"},
        {"short.1.2.3.4.dist", true, std::vector<uint8_t>(Good.end() - 64, Good.end()),
         ErrPrefix + "Verification digital signature of distributive file " + Dist("short.1.2.3.4.dist") + " failed"},
        {"flipped.1.2.3.4.dist", true,
         [&] {
             auto B = Good;
             B[10] ^= 0x04;
             return B;
         }(),
         ErrPrefix + "Verification digital signature of distributive file " + Dist("flipped.1.2.3.4.dist") + " failed"},
        {"magic.1.2.3.4.dist", true, Signer.Resign(Good, [](auto& B) { B[0] = 'X'; }),
         ErrPrefix + "Signature of distributive file " + Dist("magic.1.2.3.4.dist") + " is mismatch \"DSIG\""},
        {"app.exe.05.3.13.1.dist", true, Signer.Build(SampleContent(100), TDistMethod::BZip2, "5.3.13.1"),
         ErrPrefix + "Version 05.3.13.1 in distributive file " + Dist("app.exe.05.3.13.1.dist") +
             " mismatch version 5.3.13.1 in file body"},
        {"app.exe.1.2.3.dist", true, Good,
         ErrPrefix + "Invalid file version part in file " + Dist("app.exe.1.2.3.dist")},
        // Signed, but too short for a trailer: no producer writes one; it reads as a short file.
        {"tiny.1.2.3.4.dist", true, Signer.Sign({'D', 'S', 'I', 'G', 1, 2, 3}), "EReadError: Stream read error"},
    };
    for (const auto& C : Cases) {
        if (C.Write) PutDist(C.Name, C.Bytes);
        Reader.DistFileSpec = DistPath(C.Name);
        EXPECT_EQ(Outcome([&] { Reader.Verify(); }), C.Outcome) << C.Name;
        bool Valid = false;
        std::string IsValidOutcome = Outcome([&] { Valid = Reader.IsValid(); });
        if (C.Outcome == "ok" || C.Outcome.rfind(ErrPrefix, 0) == 0) {
            EXPECT_EQ(IsValidOutcome, "ok") << C.Name;
            EXPECT_EQ(Valid, C.Outcome == "ok") << C.Name;
            // Without Replace the reader's message is the answer; with it, the error.
            std::string Result;
            EXPECT_EQ(Outcome([&] { Result = Reader.CheckFile(false); }), "ok") << C.Name;
            if (C.Outcome != "ok") {
                EXPECT_EQ(ErrPrefix + Result, C.Outcome) << C.Name;
                EXPECT_EQ(Outcome([&] { Reader.CheckFile(true); }), C.Outcome) << C.Name;
            }
        } else {
            EXPECT_EQ(IsValidOutcome, C.Outcome) << "other errors pass through: " << C.Name;
        }
    }
}

TEST_F(TDistReader, ContentChecksWhenRestoring)
{
    const std::vector<uint8_t> Content = SampleContent(3000);
    const std::vector<uint8_t> Good = Signer.Build(Content);
    const size_t T = Good.size() - 64 - 24;  // the CRC field
    const std::string Inst = Installed();
    const std::vector<uint8_t> Old = {'o', 'l', 'd'};
    struct Case { std::string Name; std::vector<uint8_t> Bytes; std::string Inner; } Cases[] = {
        {"crc.1.2.3.4.dist", Signer.Resign(Good, [&](auto& B) { B[T] ^= 1; }),
         "CRC32 of distributive file " + Display(DistPath("crc.1.2.3.4.dist")) + " is invalid"},
        {"size.1.2.3.4.dist", Signer.Resign(Good, [&](auto& B) { B[T + 4] ^= 1; }),
         "Size of distributive file " + DistPath("size.1.2.3.4.dist") + " is invalid"},
        {"body.1.2.3.4.dist", Signer.Resign(Good, [&](auto& B) { B[B.size() / 2] ^= 0xFF; }),
         "TSelectablePacker.UnPackStreamEx: TBZip2Packer.UnPackStreamEx: "},
    };
    for (const auto& C : Cases) {
        Dir.Write("bin/app.exe", Old);
        Reader.DistFileSpec = PutDist(C.Name, C.Bytes);
        Reader.SetFileSpec(Inst);
        EXPECT_EQ(Reader.CheckFile(false), "File \"" + Display(Inst) + "\" is not equals to distributive file \"" +
                                               Display(Reader.DistFileSpec) + "\"")
            << C.Name;
        std::string O = Outcome([&] { Reader.CheckFile(true); });
        const std::string Head = "EDistPackerError: Cannot replace file \"" + Display(Inst) + "\", error:\r\n";
        EXPECT_EQ(O.substr(0, Head.size() + C.Inner.size()), Head + C.Inner) << C.Name;
        EXPECT_EQ(ReadFileBytes(Inst), Old) << "the installed file stays as it was: " << C.Name;
    }
}

TEST_F(TDistReader, RestoresEveryMethodExactly)
{
    struct Case { TDistMethod Method; const char* Name; size_t Size; } Cases[] = {
        {TDistMethod::BZip2, "bzip2", 20000}, {TDistMethod::ZLib, "zlib", 20000}, {TDistMethod::Lzma, "lzma", 20000},
        {TDistMethod::BZip2, "bzip2", 0},     {TDistMethod::ZLib, "zlib", 0},     {TDistMethod::Lzma, "lzma", 0},
        {TDistMethod::Lzma, "lzma", 1},
    };
    for (const auto& C : Cases) {
        const std::string Tag = std::string(C.Name) + "/" + std::to_string(C.Size);
        const std::vector<uint8_t> Content = SampleContent(C.Size, static_cast<unsigned>(C.Size));
        const std::string Rel = std::string("sub/deep/") + C.Name + std::to_string(C.Size) + ".dll";
        const std::string Inst = Installed(Rel);
        TDistPacker R;
        LoadTestKey(R.DigSign().PublicKey(), TestPublicKeyHex);
        R.DistFileSpec = PutDist(Rel + ".1.2.3.4.dist", Signer.Build(Content, C.Method));
        R.SetFileSpec(Inst);

        // A missing file in missing folders: created with its folders; the reason is still given.
        const std::string NotExist = "File \"" + Display(Inst) + "\" not exist";
        EXPECT_EQ(R.CheckFile(false), NotExist) << Tag;
        EXPECT_EQ(R.CheckFile(true), NotExist) << Tag;
        EXPECT_EQ(ReadFileBytes(Inst), Content) << Tag;
        EXPECT_EQ(R.CheckFile(false), "") << Tag;

        // Same size, other bytes; then another size: both differ, both are restored.
        const std::string Differs =
            "File \"" + Display(Inst) + "\" is not equals to distributive file \"" + Display(R.DistFileSpec) + "\"";
        std::vector<uint8_t> Changed = Content;
        if (!Changed.empty()) Changed[Changed.size() / 2] ^= 0x55;
        else Changed.push_back(0);
        for (const auto& Wrong : {Changed, std::vector<uint8_t>(C.Size + 7, 'z')}) {
            Dir.Write("bin/" + Rel, Wrong);
            EXPECT_EQ(R.CheckFile(false), Differs) << Tag;
            EXPECT_EQ(R.CheckFile(true), Differs) << Tag;
            EXPECT_EQ(ReadFileBytes(Inst), Content) << Tag;
        }
    }
}

// Equality is size and CRC-32 as recorded, whatever the bytes.
TEST_F(TDistReader, EqualMeansRecordedSizeAndCrc)
{
    const std::vector<uint8_t> Installed1 = SampleContent(700, 1), Content = SampleContent(900, 2);
    const std::vector<uint8_t> Dist = Signer.Resign(Signer.Build(Content), [&](auto& B) {
        PutLe32(B, B.size() - 24, CRC32OfBuffer(Installed1.data(), static_cast<int32_t>(Installed1.size())));
        PutLe32(B, B.size() - 20, static_cast<uint32_t>(Installed1.size()));
    });
    Reader.DistFileSpec = PutDist("app.exe.1.2.3.4.dist", Dist);
    Reader.SetFileSpec(Dir.Write("bin/app.exe", Installed1));
    EXPECT_EQ(Reader.CheckFile(false), "");
}

TEST_F(TDistReader, NamesAndVersionsOfTheObject)
{
    TDistPacker R;
    // A file without version resource or side file leaves nothing to derive a name from.
    R.SetFileSpec(Dir.Write("bin/readme.txt", {'r'}));
    EXPECT_EQ(R.FileVerStr, "");
    EXPECT_EQ(Outcome([&] { R.ResolveNames(); }), "EDistPackerError: Must be known DistFileSpec or FileSpec + FileVerStr");

    // The side file gives the version; a later file without one keeps it.
    std::string Ver = "[DistPack]\r\nVersion=2.0.0.7\r\nCRC=0\r\n";
    Dir.Write("bin/data.bin.ver", std::vector<uint8_t>(Ver.begin(), Ver.end()));
    R.SetFileSpec(Dir.Write("bin/data.bin", {'d'}));
    EXPECT_EQ(R.FileVerStr, "2.0.0.7");
    R.SetFileSpec(Installed("readme.txt"));
    EXPECT_EQ(R.FileVerStr, "2.0.0.7");

    R.SetFileSpec(Installed("data.bin"));
    R.ResolveNames("", AddPathDelimiter(Dir / "bin"));
    EXPECT_EQ(R.DistFileSpec, DistPath("data.bin.2.0.0.7.dist"));

    // From the distributive side: the version of the name, then the installed file's own version.
    TDistPacker S;
    S.InstallDirName = "bin";
    S.DistFileSpec = DistPath("data.bin.1.0.0.0.dist");
    S.ResolveNames();
    EXPECT_EQ(S.FileSpec(), Installed("data.bin"));
    EXPECT_EQ(S.FileVerStr, "2.0.0.7");
    S.InitInstallDirName();
    EXPECT_EQ(S.InstallDirName, GetLastDirName());
}

// A name without folder is a file in the current directory.
TEST_F(TDistReader, RestoresAFileNamedWithoutFolder)
{
    const std::vector<uint8_t> Content = SampleContent(500);
    Reader.DistFileSpec = PutDist("rel.exe.1.2.3.4.dist", Signer.Build(Content));
    const std::filesystem::path Before = std::filesystem::current_path();
    std::filesystem::current_path(Dir / "bin");
    Reader.SetFileSpec("rel.exe");
    std::string O = Outcome([&] { Reader.CheckFile(true); });
    std::filesystem::current_path(Before);
    EXPECT_EQ(O, "ok");
    EXPECT_EQ(ReadFileBytes(Installed("rel.exe")), Content);
}

TEST_F(TDistReader, ReplacingFailsCleanly)
{
    // The target is a folder: the content is checked, the replacement fails, nothing is left behind.
    Dir.Write("bin/app.exe/inside", {1});
    Reader.DistFileSpec = PutDist("app.exe.1.2.3.4.dist", Signer.Build(SampleContent(100)));
    Reader.SetFileSpec(Installed());
    std::string O = Outcome([&] { Reader.CheckFile(true); });
    EXPECT_EQ(O.rfind("EDistPackerError: Cannot replace file \"" + Display(Installed()) + "\", error:\r\n", 0), 0u) << O;
    std::vector<std::string> Left;
    FindFiles(AddPathDelimiter(Dir / "bin") + "*", Left, false);
    EXPECT_EQ(Left.size(), 1u) << "only the placeholder remains";
    EXPECT_EQ(ReadFileBytes(Dir / "bin/app.exe/inside"), std::vector<uint8_t>{1});
}

TEST_F(TDistReader, KeyFailuresAreTheEnginesOwn)
{
    TDistPacker Fresh;
    Fresh.DistFileSpec = PutDist("app.exe.1.2.3.4.dist", Signer.Build(SampleContent(10)));
    EXPECT_EQ(Outcome([&] { Fresh.IsValid(); }), "Exception: Invalid RSA public key");
    Dir.Write("bad.key", {0x02, 0x01, 0x00});
    EXPECT_EQ(Outcome([&] { Fresh.LoadPublicKeyFromFile(Dir / "bad.key"); }), "Exception: Invalid RSA Key");
}

// Damage anywhere ends in a message: every bit position of a small file flipped, every length cut,
// first as they are (the signature refuses them) and then signed again, so that the trailer checks and
// the unpacking of every method meet the damage too.
TEST_F(TDistReader, DamageAtEveryOffsetEndsInAMessage)
{
    for (TDistMethod Method : {TDistMethod::BZip2, TDistMethod::ZLib, TDistMethod::Lzma}) {
        const std::vector<uint8_t> Content = SampleContent(300, 3);
        const std::vector<uint8_t> Good = Signer.Build(Content, Method);
        const std::string Name = PutDist("app.exe.1.2.3.4.dist", Good);
        Reader.DistFileSpec = Name;
        Reader.SetFileSpec(Installed());
        auto Check = [&](const std::vector<uint8_t>& Bytes, bool MaySucceed, const std::string& What) {
            WriteFileBytes(Name, Bytes);
            Dir.Write("bin/app.exe", {'x'});
            std::string Result;
            std::string O = Outcome([&] { Result = Reader.CheckFile(true); });
            if (O == "ok") {
                EXPECT_TRUE(MaySucceed) << What;
                EXPECT_EQ(ReadFileBytes(Installed()).size(), Content.size()) << What;
            } else {
                EXPECT_FALSE(O.empty()) << What;
            }
        };
        for (size_t I = 0; I < Good.size(); ++I) {
            auto B = Good;
            B[I] ^= static_cast<uint8_t>(1u << (I % 8));
            Check(B, false, "flip at " + std::to_string(I));
        }
        for (size_t L = 0; L < Good.size(); ++L)
            Check(std::vector<uint8_t>(Good.begin(), Good.begin() + static_cast<ptrdiff_t>(L)), false,
                  "cut at " + std::to_string(L));
        for (size_t I = 0; I + 64 < Good.size(); ++I)
            Check(Signer.Resign(Good, [&](auto& B) { B[I] ^= static_cast<uint8_t>(1u << (I % 8)); }), true,
                  "signed flip at " + std::to_string(I));
        for (size_t L = 0; L + 64 < Good.size(); ++L)
            Check(Signer.Sign(std::vector<uint8_t>(Good.begin(), Good.begin() + static_cast<ptrdiff_t>(L))), true,
                  "signed cut at " + std::to_string(L));
    }
}
