// OrbAfterSetup: run once after the application is set up, it copies the Internet Explorer proxy
// settings of the current user into the [ICS] section of "orb.ini" beside itself.
//
// The tool never fails the installation: whatever goes wrong is reported on standard output and the
// exit code stays 0. A registry failure still writes the ini file, with what was read up to then.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/IniFiles.h"
#include "platform/RegExpr.h"
#include "platform/SysUtils.h"
#include "platform/WinHandles.h"

namespace {

DECLARE_EXCEPTION_CLASS(ERegistryException, Exception);

const char* const SettingsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const IniName = "orb.ini";
const char* const IniSection = "ICS";

// "http=host:port;..." entries of a per-protocol list, and the host and port of one address.
const char* const ProtocolPattern = "%s=([\\w+\\.]+[\\:\\d+]*)(\\;*)";
const char* const AddressPattern = "([\\w+\\.]+)(\\:)*(\\d+)*";

struct TProxySettings {
    uint8_t Enabled = 0;
    std::string ProxyHost, ProxyPort, SocksServer, SocksPort;
};

// Console text goes out in the OEM code page, so that names with Cyrillic letters stay readable.
void WriteLn(const std::string& S)
{
    std::string Line = S;
    if (!Line.empty()) CharToOemBuffA(S.data(), Line.data(), static_cast<DWORD>(S.size()));
    Line += "\r\n";
    HANDLE Out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD Done = 0;
    if (Out && Out != INVALID_HANDLE_VALUE) WriteFile(Out, Line.data(), static_cast<DWORD>(Line.size()), &Done, nullptr);
}

// The type and bytes of a value; false when it cannot be had (missing, or no access).
bool QueryValue(HKEY Key, const char* Name, DWORD& Type, std::vector<BYTE>& Data)
{
    Data.clear();
    for (;;) {
        DWORD Size = static_cast<DWORD>(Data.size());
        LONG R = RegQueryValueExA(Key, Name, nullptr, &Type, Data.empty() ? nullptr : Data.data(), &Size);
        // The value may grow between asking for its size and reading it: ask again.
        if (R == ERROR_MORE_DATA || (R == ERROR_SUCCESS && Data.size() < Size)) {
            Data.resize(Size);
            continue;
        }
        if (R != ERROR_SUCCESS) return false;
        Data.resize(Size);
        return true;
    }
}

uint8_t ReadSwitch(HKEY Key, const char* Name)
{
    DWORD Type = 0;
    std::vector<BYTE> Data;
    if (!QueryValue(Key, Name, Type, Data)) throw ERegistryException(Format("Failed to get data for '%s'", {Name}));
    if (Type != REG_DWORD) throw ERegistryException(Format("Invalid data type for '%s'", {Name}));
    return Data.empty() ? 0 : Data[0];  // little-endian: the first byte is the low byte
}

// Text values are taken as they are stored: an expandable one is not expanded.
std::string ReadText(HKEY Key, const char* Name)
{
    DWORD Type = 0;
    std::vector<BYTE> Data;
    if (!QueryValue(Key, Name, Type, Data) || Data.empty()) return {};
    if (Type != REG_SZ && Type != REG_EXPAND_SZ) throw ERegistryException(Format("Invalid data type for '%s'", {Name}));
    std::string S(Data.begin(), Data.end());
    return S.substr(0, S.find('\0'));
}

std::string FirstMatch(const std::string& Pattern, const std::string& Text, int Group)
{
    TRegExpr R(Pattern);
    return R.Exec(Text) ? R.Match(Group) : std::string();
}

// Fills Settings step by step, so that whatever was read before a failure is kept.
void ReadProxySettings(TProxySettings& Settings)
{
    HKEY Raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &Raw) != ERROR_SUCCESS)
        throw ERegistryException(Format("Cannot open registry key %s", {SettingsKey}));
    TRegKey Key(Raw);
    Settings.Enabled = ReadSwitch(Key.Get(), "ProxyEnable");
    std::string Server = ReadText(Key.Get(), "ProxyServer");

    std::string Http = FirstMatch(Format(ProtocolPattern, {"http"}), Server, 1);
    std::string Socks = FirstMatch(Format(ProtocolPattern, {"socks"}), Server, 1);
    // Without an http entry the setting is one address for every protocol.
    if (Http.empty()) Http = Server;
    Settings.ProxyHost = FirstMatch(AddressPattern, Http, 1);
    Settings.ProxyPort = FirstMatch(AddressPattern, Http, 3);
    Settings.SocksServer = FirstMatch(AddressPattern, Socks, 1);
    Settings.SocksPort = FirstMatch(AddressPattern, Socks, 3);
}

std::string ExeDir()
{
    std::string Buf(MAX_PATH, '\0');
    for (;;) {
        DWORD N = GetModuleFileNameA(nullptr, Buf.data(), static_cast<DWORD>(Buf.size()));
        if (N == 0) RaiseLastOSError();
        if (N < Buf.size()) {
            Buf.resize(N);
            break;
        }
        Buf.resize(Buf.size() * 2);
    }
    return ExtractFilePath(Buf);
}

void WriteIniFile(const TProxySettings& Settings)
{
    TMemIniFile Ini(ExeDir() + IniName);
    Ini.WriteInteger(IniSection, "ProxyEnabled", Settings.Enabled);
    Ini.WriteString(IniSection, "ProxyHost", Settings.ProxyHost);
    Ini.WriteString(IniSection, "ProxyPort", Settings.ProxyPort);
    Ini.WriteInteger(IniSection, "SocksEnabled", Settings.Enabled);
    Ini.WriteString(IniSection, "SocksServer", Settings.SocksServer);
    Ini.WriteString(IniSection, "SocksPort", Settings.SocksPort);
    Ini.UpdateFile();
}

} // namespace

int main()
{
    WriteLn("Trying to get proxy settings from IE using registry...");
    TProxySettings Settings;
    try {
        ReadProxySettings(Settings);
    } catch (const std::exception& E) {
        WriteLn(std::string("FAILED: ") + E.what());
    }
    try {
        WriteIniFile(Settings);
    } catch (const std::exception& E) {
        WriteLn(std::string("ERR: ") + E.what());
    }
    return 0;
}
