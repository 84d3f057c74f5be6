#include "utils/USysUtils.h"

#include <windows.h>
#include <wininet.h>
#include <unknwn.h>

#include "platform/SysUtils.h"
#include "utils/UFileUtils.h"
#include "utils/UStrUtils.h"

int ExitCode = 0;

namespace {

// WinINet keeps the texts of its own errors (12000 and up) in its module, not in the system's table.
std::string UrlErrorText(DWORD Error)
{
    std::string Text = SysErrorMessage(Error);
    if (!Text.empty()) return Text;
    HMODULE WinInet = GetModuleHandleA("wininet.dll");
    char* Buf = nullptr;
    DWORD Len = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               WinInet, Error, 0, reinterpret_cast<char*>(&Buf), 0, nullptr);
    if (Buf) {
        Text.assign(Buf, Len);
        LocalFree(Buf);
    }
    while (!Text.empty() && (static_cast<unsigned char>(Text.back()) <= ' ' || Text.back() == '.')) Text.pop_back();
    return Text.empty() ? Format("error %d", {static_cast<int64_t>(Error)}) : Text;
}

constexpr DWORD ReadableProtection = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                     PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD ExecutableProtection = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                                       PAGE_EXECUTE_WRITECOPY;

// True when every byte of [P, P + Size) lies in committed pages with one of the Wanted protections.
// Asking the memory manager instead of touching the memory keeps a bad number from faulting.
bool MemoryHas(const void* P, size_t Size, DWORD Wanted)
{
    uintptr_t A = reinterpret_cast<uintptr_t>(P), End = A + Size;
    if (A == 0 || End < A) return false;
    while (A < End) {
        MEMORY_BASIC_INFORMATION M;
        if (VirtualQuery(reinterpret_cast<const void*>(A), &M, sizeof M) == 0) return false;
        if (M.State != MEM_COMMIT || (M.Protect & (PAGE_GUARD | PAGE_NOACCESS)) || !(M.Protect & Wanted))
            return false;
        uintptr_t Next = reinterpret_cast<uintptr_t>(M.BaseAddress) + M.RegionSize;
        if (Next <= A) return false;
        A = Next;
    }
    return true;
}

// An interface reference points at a pointer to a table of methods whose first three are
// QueryInterface, AddRef and Release, all in code.
bool LooksLikeInterface(const void* P)
{
    if (reinterpret_cast<uintptr_t>(P) % alignof(void*) != 0) return false;
    if (!MemoryHas(P, sizeof(void*), ReadableProtection)) return false;
    void* const* Table = *static_cast<void* const* const*>(P);
    if (reinterpret_cast<uintptr_t>(Table) % alignof(void*) != 0) return false;
    if (!MemoryHas(Table, 3 * sizeof(void*), ReadableProtection)) return false;
    for (int I = 0; I < 3; ++I)
        if (!MemoryHas(Table[I], 1, ExecutableProtection)) return false;
    return true;
}

// A decimal number as wide as an address; negative numbers are accepted as the two's complement
// of a 32-bit address, as older writers put them.
uintptr_t StrToAddress(const std::string& Text)
{
    size_t I = 0;
    bool Negative = false;
    if (I < Text.size() && (Text[I] == '-' || Text[I] == '+')) Negative = Text[I++] == '-';
    if (I == Text.size()) throw EConvertError(Format("'%s' is not a valid integer value", {Text}));
    uint64_t V = 0;
    for (; I < Text.size(); ++I) {
        char C = Text[I];
        if (C < '0' || C > '9' || V > (UINT64_MAX - 9) / 10)
            throw EConvertError(Format("'%s' is not a valid integer value", {Text}));
        V = V * 10 + static_cast<uint64_t>(C - '0');
    }
    bool Fits = Negative ? V <= (UINTPTR_MAX >> 1) + 1 : V <= UINTPTR_MAX;
    if (!Fits) throw EConvertError(Format("'%s' is not a valid integer value", {Text}));
    return Negative ? static_cast<uintptr_t>(0) - static_cast<uintptr_t>(V) : static_cast<uintptr_t>(V);
}

} // namespace

void ParseUrl(const std::string& Url, std::string& Scheme, std::string& Host, uint16_t& Port, std::string& Path,
              std::string& Extra)
{
    Assert(Url.size() <= 2055, "ParseUrl: the URL is too long");
    char SchemeBuf[32], HostBuf[256], UserBuf[128], PasswordBuf[128], PathBuf[2048], ExtraBuf[2048];
    URL_COMPONENTSA C{};
    C.dwStructSize = sizeof C;
    C.lpszScheme = SchemeBuf;
    C.dwSchemeLength = sizeof SchemeBuf;
    C.lpszHostName = HostBuf;
    C.dwHostNameLength = sizeof HostBuf;
    C.lpszUserName = UserBuf;
    C.dwUserNameLength = sizeof UserBuf;
    C.lpszPassword = PasswordBuf;
    C.dwPasswordLength = sizeof PasswordBuf;
    C.lpszUrlPath = PathBuf;
    C.dwUrlPathLength = sizeof PathBuf;
    C.lpszExtraInfo = ExtraBuf;
    C.dwExtraInfoLength = sizeof ExtraBuf;
    if (!InternetCrackUrlA(Url.c_str(), static_cast<DWORD>(Url.size()), ICU_DECODE, &C))
        throw Exception(Format("ParseUrl: %s", {UrlErrorText(GetLastError())}));
    Scheme.assign(SchemeBuf, C.dwSchemeLength);
    Host.assign(HostBuf, C.dwHostNameLength);
    Port = C.nPort;
    Path.assign(PathBuf, C.dwUrlPathLength);
    Extra.assign(ExtraBuf, C.dwExtraInfoLength);
    if (Trim(Path).empty()) Path = "/";
}

std::string GetUrlPath(const std::string& Url)
{
    std::string Scheme, Host, Path, Extra;
    uint16_t Port = 0;
    ParseUrl(Url, Scheme, Host, Port, Path, Extra);
    return Path;
}

std::string GetCmdLineParams()
{
    const char* Line = GetCommandLineA();
    return ExtractCmdLineParams(Line ? Line : "", ExtractFileName(GetExeName()));
}

TShiftState GetShiftKeys()
{
    TShiftState S = 0;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) S |= ssShift;
    if (GetAsyncKeyState(VK_MENU) & 0x8000) S |= ssAlt;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) S |= ssCtrl;
    return S;
}

int ShowMessageBox(const std::string& Text, uint32_t Flags)
{
    return MessageBoxA(nullptr, Text.c_str(), GetExeName().c_str(), Flags);
}

void FatalError(const std::string& Text)
{
    ShowMessageBox(Text, MB_ICONERROR);
    ExitProcess(static_cast<UINT>(ExitCode));
}

std::string IntfToStr(IUnknown* Intf)
{
    return std::to_string(reinterpret_cast<uintptr_t>(Intf));
}

IUnknown* StrToIntf(const std::string& Text)
{
    void* P = reinterpret_cast<void*>(StrToAddress(Text));
    if (!LooksLikeInterface(P)) throw Exception(Format("Pointer on IUnknown in string %s is invalid", {Text}));
    IUnknown* Intf = static_cast<IUnknown*>(P);
    Intf->AddRef();
    return Intf;
}
