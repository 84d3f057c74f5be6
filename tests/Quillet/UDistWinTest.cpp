// Where the loader's key comes from, with real programs: its own resource when it is loader.exe, else
// the resource of the loader.exe beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include "DistTestUtil.h"
#include "PEVersion.h"
#include "support/TestSupport.h"

namespace {
std::string Probe(const std::string& Variant)
{
    return TestBinDir() + "dist_keyprobe_" + Variant + ".exe";
}
} // namespace

TEST(LoadPublicKey, OwnResourceOrTheLoaderBeside)
{
    const std::string Ok = "OK " + std::string(TestPublicKeyHex);
    const std::string Err = "EDistPackerError: ";
    struct TFile { std::string Name, From; };  // From: a probe variant, or "text"
    struct Case { const char* What; std::vector<TFile> Files; std::string Run, Expected; } Cases[] = {
        {"own resource, name in any case", {{"LoAdEr.ExE", "good"}}, "LoAdEr.ExE", Ok},
        {"own resource missing", {{"loader.exe", "none"}}, "loader.exe", Err + "Resource \"PublicKey\" not found in loader.exe"},
        {"own key malformed", {{"loader.exe", "bad"}}, "loader.exe", "Exception: Invalid RSA Key"},
        {"loader.exe beside", {{"probe.exe", "none"}, {"loader.exe", "good"}}, "probe.exe", Ok},
        {"no loader.exe beside", {{"probe.exe", "good"}}, "probe.exe", Err + "File loader.exe not found"},
        {"loader.exe without key", {{"probe.exe", "good"}, {"loader.exe", "none"}}, "probe.exe",
         Err + "Resource \"PublicKey\" not found in loader.exe"},
        {"loader.exe no program", {{"probe.exe", "good"}, {"loader.exe", "text"}}, "probe.exe",
         Err + "Cannot load loader.exe as resource file, error:\r\n"},
    };
    TTempDir T;
    int N = 0;
    for (const auto& C : Cases) {
        const std::string D = T.MakeDir("case" + std::to_string(++N));
        for (const auto& F : C.Files) {
            if (F.From == "text") T.WriteFile("case" + std::to_string(N) + "\\" + F.Name, "not a program");
            else ASSERT_TRUE(CopyFileA(Probe(F.From).c_str(), (D + "\\" + F.Name).c_str(), FALSE)) << F.From;
        }
        TRunResult R = RunAndWait(Quoted(D + "\\" + C.Run), D, 30000);
        ASSERT_TRUE(R.Finished) << C.What;
        EXPECT_EQ(R.Output.substr(0, C.Expected.size()), C.Expected) << C.What << "\n" << R.Output;
        EXPECT_EQ(R.ExitCode, C.Expected == Ok ? 0u : 1u) << C.What;
    }
}

// The release tool's own reading of version resources agrees with the system's on a real program.
TEST(ReleaseVersion, ResourceOfARealProgram)
{
    EXPECT_EQ(ReleaseVersionOf(Probe("good")), "3.1.4.15");
    EXPECT_EQ(PEVersionString(ReadFileBytes(Probe("good")), "041904E3", "FileVersion"), "3.1.4.15");
    EXPECT_EQ(GetFileVersionText(Probe("good")), "3.1.4.15");
}
