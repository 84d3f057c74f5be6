#include <gtest/gtest.h>

#include <windows.h>

#include "ULoaderSession.h"
#include "platform/SysUtils.h"
#include "support/TestSupport.h"

namespace {
// The command line is recorded by the target a moment after it starts; RunProgram waits up to 2 s.
std::string RecordedCommandLine(const std::string& Exe)
{
    for (int I = 0; I < 100 && !FileExists(Exe + ".cmdline"); ++I) Sleep(20);
    return ReadFileText(Exe + ".cmdline");
}
} // namespace

TEST(RunProgram, PassesPathBlankAndParametersUnchanged)
{
    TTempDir D;
    std::string Exe = D / "target.exe";
    ASSERT_TRUE(CopyFileA((TestBinDir() + "SampleTarget.exe").c_str(), Exe.c_str(), FALSE));
    struct Case { const char* Params; } Cases[] = {{""}, {"-a \"b c\" --params=x"}};
    for (const auto& C : Cases) {
        DeleteFileA((Exe + ".cmdline").c_str());
        TLoaderSession S;
        S.RunProgram(Exe, C.Params);
        EXPECT_EQ(RecordedCommandLine(Exe), Exe + " " + C.Params);
    }
}

TEST(RunProgram, FailureNamesTheCommandLine)
{
    TTempDir D;
    TLoaderSession S;
    try {
        S.RunProgram(D / "missing.exe", "x");
        FAIL();
    } catch (const Exception& E) {
        std::string Expected = "Cannot run \"" + (D / "missing.exe") + " x\", error: ";
        EXPECT_EQ(E.Message().substr(0, Expected.size()), Expected);
        EXPECT_GT(E.Message().size(), Expected.size());
    }
}
