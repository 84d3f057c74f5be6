#include "platform/ComObj.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#ifndef _WIN32
#include <cstdlib>
#endif

namespace {

std::string CurrentErrorMessage(HRESULT& Code)
{
    Code = E_UNEXPECTED;
    try {
        throw;
    } catch (const EOleSysError& E) {
        Code = E.ErrorCode;
        return E.Message();
    } catch (const Exception& E) {
        return E.Message();
    } catch (const std::bad_alloc&) {
        return "Out of memory";
    } catch (const std::exception& E) {
        return E.what();
    } catch (...) {
        return "Unknown exception";
    }
}

std::string StatusText(HRESULT Code)
{
    std::string Text;
#ifdef _WIN32
    Text = SysErrorMessage(static_cast<uint32_t>(Code));
#endif
    if (Text.empty()) Text = Format("OLE error %x", {static_cast<uint32_t>(Code)});
    return Text;
}

#ifndef _WIN32
// The error information of the last failed call on this thread, as the system keeps it on Windows.
struct TErrorInfo {
    bool Set = false;
    GUID IID{};
    std::string Description;
};
thread_local TErrorInfo GErrorInfo;
#endif

} // namespace

#ifndef _WIN32

bool operator==(const GUID& A, const GUID& B)
{
    return std::memcmp(&A, &B, sizeof(GUID)) == 0;
}

// The length in bytes sits in front of the characters, and a terminating zero follows them.
BSTR SysAllocStringLen(const OLECHAR* Str, UINT Len)
{
    auto* Block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (static_cast<size_t>(Len) + 1) * sizeof(OLECHAR)));
    if (!Block) return nullptr;
    *Block = Len * static_cast<uint32_t>(sizeof(OLECHAR));
    BSTR Result = reinterpret_cast<BSTR>(Block + 1);
    if (Str) std::memcpy(Result, Str, Len * sizeof(OLECHAR));
    else std::memset(Result, 0, Len * sizeof(OLECHAR));
    Result[Len] = 0;
    return Result;
}

void SysFreeString(BSTR Str)
{
    if (Str) std::free(reinterpret_cast<uint32_t*>(Str) - 1);
}

UINT SysStringLen(BSTR Str)
{
    return Str ? reinterpret_cast<uint32_t*>(Str)[-1] / sizeof(OLECHAR) : 0;
}

#endif

std::string GUIDToString(const GUID& G)
{
    std::string S = Format("{%.8x-%.4x-%.4x-", {static_cast<uint32_t>(G.Data1), static_cast<uint32_t>(G.Data2),
                                                static_cast<uint32_t>(G.Data3)});
    for (int i = 0; i < 8; ++i) {
        if (i == 2) S += '-';
        S += Format("%.2x", {static_cast<uint32_t>(G.Data4[i])});
    }
    return S + "}";
}

BSTR StringToOleStr(const std::string& S)
{
#ifdef _WIN32
    int N = S.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
    BSTR R = SysAllocStringLen(nullptr, static_cast<UINT>(N));
    if (!R) throw std::bad_alloc();
    if (N) MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), R, N);
    return R;
#else
    // The portable tools take file names as the system hands them over (UTF-8 on Linux): each byte
    // becomes one character and comes back unchanged, whatever the encoding.
    std::vector<OLECHAR> W(S.begin(), S.end());
    for (size_t i = 0; i < S.size(); ++i) W[i] = static_cast<unsigned char>(S[i]);
    BSTR R = SysAllocStringLen(W.data(), static_cast<UINT>(W.size()));
    if (!R) throw std::bad_alloc();
    return R;
#endif
}

std::string OleStrToString(const OLECHAR* S)
{
    if (!S || !*S) return {};
#ifdef _WIN32
    int Len = static_cast<int>(wcslen(S));
    int N = WideCharToMultiByte(CP_ACP, 0, S, Len, nullptr, 0, nullptr, nullptr);
    std::string R(static_cast<size_t>(N), '\0');
    WideCharToMultiByte(CP_ACP, 0, S, Len, R.data(), N, nullptr, nullptr);
    return R;
#else
    std::string R;
    for (; *S; ++S) R += static_cast<char>(static_cast<unsigned char>(*S));
    return R;
#endif
}

HRESULT SafeCallException(const GUID& ErrorIID) noexcept
{
    HRESULT Code = E_UNEXPECTED;
    try {
        std::string Message = CurrentErrorMessage(Code);
#ifdef _WIN32
        ICreateErrorInfo* Create = nullptr;
        if (SUCCEEDED(CreateErrorInfo(&Create))) {
            BSTR Text = StringToOleStr(Message);
            Create->SetGUID(ErrorIID);
            Create->SetDescription(Text);
            Create->SetHelpContext(0);
            SysFreeString(Text);
            IErrorInfo* Info = nullptr;
            if (SUCCEEDED(Create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&Info)))) {
                SetErrorInfo(0, Info);
                Info->Release();
            }
            Create->Release();
        }
#else
        GErrorInfo.Set = true;
        GErrorInfo.IID = ErrorIID;
        GErrorInfo.Description = std::move(Message);
#endif
    } catch (...) {
        // Out of memory while describing the failure: the status alone still reports it.
    }
    return Code;
}

void SafeCallCheck(HRESULT Result, IUnknown* Obj, const GUID& IID)
{
    if (SUCCEEDED(Result)) return;
    bool HasInfo = false;
    std::string Description;
    if (Obj) {
        TComPtr<ISupportErrorInfo> Support;
        if (SUCCEEDED(Obj->QueryInterface(IID_ISupportErrorInfo, Support.OutVoid())) && Support &&
            Support->InterfaceSupportsErrorInfo(IID) == S_OK) {
#ifdef _WIN32
            IErrorInfo* Info = nullptr;
            if (GetErrorInfo(0, &Info) == S_OK && Info) {
                TBStr Text;
                if (SUCCEEDED(Info->GetDescription(Text.Out()))) {
                    Description = Text.ToString();
                    HasInfo = true;
                }
                Info->Release();
            }
#else
            if (GErrorInfo.Set) {
                Description = std::move(GErrorInfo.Description);
                HasInfo = true;
            }
#endif
        }
    }
#ifndef _WIN32
    GErrorInfo = TErrorInfo();
#endif
    if (HasInfo) throw EOleException(Description, Result);
    throw EOleSysError(StatusText(Result), Result);
}
