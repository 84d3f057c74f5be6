#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "support/TestSupport.h"
#include "support/UiProbe.h"
#include "utils/UFileUtils.h"
#include "utils/USysUtils.h"

namespace {

// The test program doubles as the child the process-wide helpers are watched in: with
// UTILS_TEST_CHILD set it does that one thing before the tests would start.
[[maybe_unused]] const bool ChildRan = [] {
    char Mode[32] = "";
    if (!GetEnvironmentVariableA("UTILS_TEST_CHILD", Mode, sizeof Mode)) return false;
    if (std::string(Mode) == "cmdline") {
        std::printf("[%s]", GetCmdLineParams().c_str());
        std::fflush(stdout);
        ExitProcess(0);
    }
    if (std::string(Mode) == "fatal") {
        ExitCode = 7;
        FatalError("Остановка");
    }
    return false;
}();

class TChildMode {
public:
    explicit TChildMode(const char* Mode) { SetEnvironmentVariableA("UTILS_TEST_CHILD", Mode); }
    ~TChildMode() { SetEnvironmentVariableA("UTILS_TEST_CHILD", nullptr); }
};

// Under a heavily loaded Wine a process start now and then fails with an internal error (1359);
// that says nothing about the helper under test, so such a start is tried again.
TRunResult RunChild(const std::string& CmdLine, const std::string& Dir)
{
    for (int Attempt = 1;; ++Attempt) {
        try {
            return RunAndWait(CmdLine, Dir, 30000);
        } catch (const std::runtime_error& E) {
            if (Attempt == 3 || std::string(E.what()).find("(error 1359)") == std::string::npos) throw;
        }
    }
}

class TCounted : public IUnknown {
public:
    ULONG Refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** P) override
    {
        *P = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
};

std::string IntfError(const std::string& Text)
{
    try {
        StrToIntf(Text);
    } catch (const Exception& E) {
        return std::string(E.ClassName()) + ": " + E.Message();
    }
    return "(accepted)";
}

} // namespace

TEST(SysUtils, GetCmdLineParamsAsTyped)
{
    TChildMode Child("cmdline");
    std::string Dir = TestBinDir();
    struct Case { std::string CmdLine, Expected; } Cases[] = {
        {"utils_tests.exe -a \"b c\"", "[-a \"b c\"]"},
        {"\"" + Dir + "utils_tests.exe\" x", "[x]"},
        {"utils_tests.exe y", "[y]"},
        {"UTILS_TESTS.EXE -z", "[-z]"},
        {"utils_tests.exe", "[]"},
    };
    for (const Case& C : Cases) {
        TRunResult R = RunChild(C.CmdLine, Dir);
        EXPECT_TRUE(R.Finished);
        EXPECT_EQ(R.Output, C.Expected) << C.CmdLine;
    }
}

TEST(SysUtils, FatalErrorShowsTheBoxAndEndsWithTheExitCode)
{
    TChildMode Child("fatal");
    std::string Dir = TestBinDir();
    std::string Caption = Dir + "utils_tests.exe";
    std::atomic<bool> Seen{false};
    std::string Text;
    std::thread Probe([&] {
        HWND Box = WaitForTopWindow(Caption, "", 20000);
        if (!Box) return;
        for (const TControlText& C : GetControlTexts(Box))
            if (C.ClassName == "Static" && !C.Text.empty()) Text = C.Text;
        Seen = true;
        PressButton(Box, "OK");
    });
    TRunResult R = RunChild("\"" + Caption + "\"", Dir);
    Probe.join();
    EXPECT_TRUE(Seen) << "no message box captioned " << Caption;
    EXPECT_EQ(Text, "Остановка");
    EXPECT_TRUE(R.Finished);
    EXPECT_EQ(R.ExitCode, 7u);
}

TEST(SysUtils, ParseUrl)
{
    struct Case { const char* Url, *Scheme, *Host; uint16_t Port; const char* Path, *Extra; } Cases[] = {
        {"http://example.com", "http", "example.com", 80, "/", ""},
        {"https://example.com:8443/a%20b/c.xml?x=1#top", "https", "example.com", 8443, "/a b/c.xml", "?x=1#top"},
        {"ftp://user:pw@files.example.com/pub/", "ftp", "files.example.com", 21, "/pub/", ""},
    };
    for (const Case& C : Cases) {
        std::string Scheme, Host, Path, Extra;
        uint16_t Port = 0;
        ParseUrl(C.Url, Scheme, Host, Port, Path, Extra);
        EXPECT_EQ(Scheme, C.Scheme) << C.Url;
        EXPECT_EQ(Host, C.Host) << C.Url;
        EXPECT_EQ(Port, C.Port) << C.Url;
        EXPECT_EQ(Path, C.Path) << C.Url;
        EXPECT_EQ(Extra, C.Extra) << C.Url;
        EXPECT_EQ(GetUrlPath(C.Url), C.Path) << C.Url;
    }
    for (const std::string& Bad : {std::string("no url at all"), "http://" + std::string(300, 'h') + "/"}) {
        try {
            GetUrlPath(Bad);
            ADD_FAILURE() << "accepted " << Bad;
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message().rfind("ParseUrl: ", 0), 0u) << E.Message();
            EXPECT_GT(E.Message().size(), 10u);
        }
    }
    EXPECT_THROW(GetUrlPath("http://h/" + std::string(2100, 'p')), EAssertionFailed);
}

TEST(SysUtils, InterfaceAsText)
{
    TCounted Obj;
    std::string Text = IntfToStr(&Obj);
    EXPECT_EQ(Text, std::to_string(reinterpret_cast<uintptr_t>(static_cast<IUnknown*>(&Obj))));
    IUnknown* Back = StrToIntf(Text);
    EXPECT_EQ(Back, static_cast<IUnknown*>(&Obj));
    EXPECT_EQ(Obj.Refs, 2u);

    // Numbers that name no interface are refused without touching the memory behind them.
    static const int Data[4] = {1, 2, 3, 4};
    const void* DataTable = Data;  // a "method table" that points to data, not code
    EXPECT_EQ(IntfError("0"), "Exception: Pointer on IUnknown in string 0 is invalid");
    EXPECT_EQ(IntfError("1"), "Exception: Pointer on IUnknown in string 1 is invalid");
    std::string Unmapped = std::to_string(static_cast<uintptr_t>(sizeof(void*) == 8 ? 0x7ff000000008ull : 0x10ull));
    EXPECT_EQ(IntfError(Unmapped), "Exception: Pointer on IUnknown in string " + Unmapped + " is invalid");
    std::string DataAddr = IntfToStr(reinterpret_cast<IUnknown*>(const_cast<void**>(&DataTable)));
    EXPECT_EQ(IntfError(DataAddr), "Exception: Pointer on IUnknown in string " + DataAddr + " is invalid");
    EXPECT_EQ(IntfError("12ab"), "EConvertError: '12ab' is not a valid integer value");
    EXPECT_EQ(IntfError(""), "EConvertError: '' is not a valid integer value");
    EXPECT_EQ(Obj.Refs, 2u);
}

TEST(SysUtils, GetShiftKeysSeesHeldKeys)
{
    auto Key = [](WORD Vk, bool Up) {
        INPUT In{};
        In.type = INPUT_KEYBOARD;
        In.ki.wVk = Vk;
        In.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &In, sizeof In);
    };
    EXPECT_EQ(GetShiftKeys(), 0u);
    Key(VK_SHIFT, false);
    Key(VK_CONTROL, false);
    TShiftState Held = GetShiftKeys();
    Key(VK_CONTROL, true);
    Key(VK_SHIFT, true);
    EXPECT_EQ(Held, ssShift | ssCtrl);
    EXPECT_EQ(GetShiftKeys(), 0u);
}
#endif
