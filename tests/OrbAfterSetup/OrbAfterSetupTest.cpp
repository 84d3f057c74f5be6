// Runs the real OrbAfterSetup.exe against proxy settings written into the current user's registry and
// checks what it prints and what it leaves in orb.ini. The user's own values are put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "platform/WinHandles.h"
#include "support/TestSupport.h"

namespace {

const char* const SettingsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string Banner = "Trying to get proxy settings from IE using registry...\r\n";

struct TRegValue {
    bool Present = false;
    DWORD Type = REG_NONE;
    std::string Data;
};

TRegValue Absent() { return {}; }
TRegValue Dword(DWORD V) { return {true, REG_DWORD, std::string(reinterpret_cast<const char*>(&V), sizeof V)}; }
TRegValue Sz(const std::string& S, DWORD Type = REG_SZ) { return {true, Type, S + '\0'}; }
TRegValue Raw(DWORD Type, const std::string& Bytes) { return {true, Type, Bytes}; }

TRegValue ReadValue(HKEY Key, const char* Name)
{
    DWORD Type = 0, Size = 0;
    if (RegQueryValueExA(Key, Name, nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) return Absent();
    std::string Data(Size, '\0');
    RegQueryValueExA(Key, Name, nullptr, &Type, reinterpret_cast<BYTE*>(Data.data()), &Size);
    Data.resize(Size);
    return {true, Type, Data};
}

void WriteValue(HKEY Key, const char* Name, const TRegValue& V)
{
    if (!V.Present) {
        RegDeleteValueA(Key, Name);
        return;
    }
    ASSERT_EQ(RegSetValueExA(Key, Name, 0, V.Type, reinterpret_cast<const BYTE*>(V.Data.data()),
                             static_cast<DWORD>(V.Data.size())),
              ERROR_SUCCESS)
        << Name;
}

std::string IcsSection(const std::string& Enabled, const std::string& Host, const std::string& Port,
                       const std::string& Socks, const std::string& SocksPort)
{
    return "[ICS]\r\nProxyEnabled=" + Enabled + "\r\nProxyHost=" + Host + "\r\nProxyPort=" + Port +
           "\r\nSocksEnabled=" + Enabled + "\r\nSocksServer=" + Socks + "\r\nSocksPort=" + SocksPort + "\r\n\r\n";
}

// The program copied into a folder of its own, where it finds (or makes) its orb.ini.
struct TInstall {
    TTempDir Dir;
    std::string Exe = Dir / "OrbAfterSetup.exe";
    std::string Ini = Dir / "orb.ini";

    TInstall()
    {
        EXPECT_TRUE(CopyFileA((TestBinDir() + "OrbAfterSetup.exe").c_str(), Exe.c_str(), FALSE));
    }
    // Runs the program from another folder, so that only its own location can lead it to orb.ini.
    std::string Run()
    {
        TRunResult R = RunAndWait(Quoted(Exe), TestBinDir(), 30000);
        EXPECT_TRUE(R.Finished);
        EXPECT_EQ(R.ExitCode, 0u);
        return R.Output;
    }
};

} // namespace

// Keeps the user's proxy values for the whole suite and puts them back at its end.
class OrbAfterSetup : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HKEY K = nullptr;
        DWORD Disposition = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &K,
                                  &Disposition),
                  ERROR_SUCCESS);
        Key.Reset(K);
        KeyCreated = Disposition == REG_CREATED_NEW_KEY;
        SavedEnable = ReadValue(K, "ProxyEnable");
        SavedServer = ReadValue(K, "ProxyServer");
    }
    static void TearDownTestSuite()
    {
        WriteValue(Key.Get(), "ProxyEnable", SavedEnable);
        WriteValue(Key.Get(), "ProxyServer", SavedServer);
        Key.Reset();
        if (KeyCreated) RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey);
    }
    static void SetProxy(const TRegValue& Enable, const TRegValue& Server)
    {
        WriteValue(Key.Get(), "ProxyEnable", Enable);
        WriteValue(Key.Get(), "ProxyServer", Server);
    }

    static inline TRegKey Key;
    static inline bool KeyCreated = false;
    static inline TRegValue SavedEnable, SavedServer;
};

TEST_F(OrbAfterSetup, WritesTheSettingsIntoANewIni)
{
    struct Case {
        const char* What;
        TRegValue Enable, Server;
        std::string Failure;  // the message after "FAILED: ", or empty
        std::string Ics;
    };
    const Case Cases[] = {
        {"one address for all protocols", Dword(1), Sz("px1:3128"), "", IcsSection("1", "px1", "3128", "", "")},
        {"dotted numeric address", Dword(1), Sz("10.0.0.1:8080"), "", IcsSection("1", "10.0.0.1", "8080", "", "")},
        {"per-protocol list", Dword(1), Sz("http=h1:81;https=h2:443;ftp=f:21;socks=s1:1080"), "",
         IcsSection("1", "h1", "81", "s1", "1080")},
        {"https entry only", Dword(1), Sz("https=h2:443"), "", IcsSection("1", "https", "", "", "")},
        {"host with a dash", Dword(1), Sz("my-proxy:81"), "", IcsSection("1", "my", "", "", "")},
        {"scheme in front", Dword(1), Sz("http://px:80"), "", IcsSection("1", "http", "", "", "")},
        {"switch off, server kept", Dword(0), Sz("px1:3128"), "", IcsSection("0", "px1", "3128", "", "")},
        {"only the low byte counts", Dword(0x0102), Sz("px1:3128"), "", IcsSection("2", "px1", "3128", "", "")},
        {"no ProxyServer", Dword(1), Absent(), "", IcsSection("1", "", "", "", "")},
        {"empty ProxyServer", Dword(1), Sz(""), "", IcsSection("1", "", "", "", "")},
        {"expandable text is not expanded", Dword(1), Sz("%PX%:8080", REG_EXPAND_SZ), "",
         IcsSection("1", "PX", "", "", "")},
        {"text ends at its first zero", Dword(1), Sz(std::string("h9:99\0socks=s:1", 15)), "",
         IcsSection("1", "h9", "99", "", "")},
        {"no ProxyEnable", Absent(), Sz("px1:3128"), "Failed to get data for 'ProxyEnable'",
         IcsSection("0", "", "", "", "")},
        {"ProxyEnable as text", Sz("1"), Sz("px1:3128"), "Invalid data type for 'ProxyEnable'",
         IcsSection("0", "", "", "", "")},
        {"ProxyServer as a number keeps the switch", Dword(1), Dword(3128), "Invalid data type for 'ProxyServer'",
         IcsSection("1", "", "", "", "")},
        {"ProxyServer as binary", Dword(0), Raw(REG_BINARY, "px1:3128"), "Invalid data type for 'ProxyServer'",
         IcsSection("0", "", "", "", "")},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        SetProxy(C.Enable, C.Server);
        TInstall App;
        std::string Output = App.Run();
        EXPECT_EQ(Output, Banner + (C.Failure.empty() ? "" : "FAILED: " + C.Failure + "\r\n"));
        EXPECT_EQ(ReadFileText(App.Ini), C.Ics);
    }
}

TEST_F(OrbAfterSetup, KeepsOtherSettingsAndDropsComments)
{
    SetProxy(Dword(1), Sz("px1:3128"));
    TInstall App;
    WriteFileBytes(App.Ini, std::string("; written by setup\r\n"
                                        "[Main]\r\n"
                                        "; database\r\n"
                                        "Server=db1\r\n"
                                        "\r\n"
                                        "[ics]\r\n"
                                        "; proxy\r\n"
                                        "ProxyHost=old\r\n"
                                        "Other=keep\r\n"
                                        "proxyport=1\r\n"
                                        "[Last]\r\n"
                                        "x=1"));
    EXPECT_EQ(App.Run(), Banner);
    EXPECT_EQ(ReadFileText(App.Ini), "[Main]\r\nServer=db1\r\n\r\n"
                                     "[ics]\r\nProxyHost=px1\r\nOther=keep\r\nProxyPort=3128\r\nProxyEnabled=1\r\n"
                                     "SocksEnabled=1\r\nSocksServer=\r\nSocksPort=\r\n\r\n"
                                     "[Last]\r\nx=1\r\n\r\n");
}

TEST_F(OrbAfterSetup, IniThatCannotBeWrittenStaysAsItWas)
{
    SetProxy(Absent(), Sz("px1:3128"));
    const std::string Original = "; keep me\r\n[ICS]\r\nProxyHost=old\r\n";

    TInstall ReadOnly;
    WriteFileBytes(ReadOnly.Ini, Original);
    ASSERT_TRUE(SetFileAttributesA(ReadOnly.Ini.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ReadOnly.Run(),
              Banner + "FAILED: Failed to get data for 'ProxyEnable'\r\nERR: Cannot create file " + ReadOnly.Ini + "\r\n");
    EXPECT_EQ(ReadFileText(ReadOnly.Ini), Original);

    // A file that another program holds open without sharing cannot even be read.
    SetProxy(Dword(1), Sz("px1:3128"));
    TInstall Locked;
    WriteFileBytes(Locked.Ini, Original);
    {
        TFileHandle Holder(CreateFileA(Locked.Ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(Holder.Valid());
        EXPECT_EQ(Locked.Run(), Banner + "ERR: Cannot open file " + Locked.Ini + "\r\n");
    }
    EXPECT_EQ(ReadFileText(Locked.Ini), Original);
}

// Without the settings key at all, the ini is still written with the switch off. The key with everything
// in it is copied aside first and brought back afterwards.
TEST_F(OrbAfterSetup, MissingSettingsKey)
{
    const char* Backup = "Software\\OrbAfterSetupTest.Backup";
    RegDeleteTreeA(HKEY_CURRENT_USER, Backup);
    HKEY B = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Backup, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &B, nullptr),
              ERROR_SUCCESS);
    TRegKey BackupKey(B);
    SetProxy(Dword(1), Sz("px1:3128"));
    ASSERT_EQ(RegCopyTreeA(Key.Get(), nullptr, B), ERROR_SUCCESS);
    ASSERT_EQ(ReadValue(B, "ProxyServer").Data, Sz("px1:3128").Data) << "backup incomplete";

    Key.Reset();
    ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey), ERROR_SUCCESS);
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey);
    TInstall App;
    std::string Output = App.Run();
    std::string Ini = ReadFileText(App.Ini);

    HKEY K = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &K, nullptr),
              ERROR_SUCCESS);
    Key.Reset(K);
    ASSERT_EQ(RegCopyTreeA(B, nullptr, K), ERROR_SUCCESS);
    BackupKey.Reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, Backup);
    RegDeleteKeyA(HKEY_CURRENT_USER, Backup);

    EXPECT_EQ(Output, Banner + "FAILED: Cannot open registry key " + SettingsKey + "\r\n");
    EXPECT_EQ(Ini, IcsSection("0", "", "", "", ""));
}
