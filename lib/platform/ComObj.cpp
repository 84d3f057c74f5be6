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

#ifdef _WIN32
// Error information that keeps the whole message: the system's own object stores the description up to
// its first zero character, and unpacking reports quote raw bytes.
class TErrorInfo final : public IErrorInfo {
public:
    TErrorInfo(const GUID& IID, const std::string& Description) : FIID(IID), FDescription(StringToOleStr(Description)) {}
    ~TErrorInfo() { SysFreeString(FDescription); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject) return E_POINTER;
        *ppvObject = nullptr;
        if (riid != IID_IUnknown && riid != IID_IErrorInfo) return E_NOINTERFACE;
        *ppvObject = static_cast<IErrorInfo*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG N = InterlockedDecrement(&FRefCount);
        if (N == 0) delete this;
        return static_cast<ULONG>(N);
    }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) override
    {
        if (!pGUID) return E_POINTER;
        *pGUID = FIID;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) override { return Empty(pBstrSource); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) override
    {
        if (!pBstrDescription) return E_POINTER;
        *pBstrDescription = SysAllocStringLen(FDescription, SysStringLen(FDescription));
        return *pBstrDescription || !FDescription ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) override { return Empty(pBstrHelpFile); }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) override
    {
        if (!pdwHelpContext) return E_POINTER;
        *pdwHelpContext = 0;
        return S_OK;
    }

private:
    static HRESULT Empty(BSTR* P)
    {
        if (!P) return E_POINTER;
        *P = nullptr;
        return S_OK;
    }
    LONG FRefCount = 1;
    GUID FIID;
    BSTR FDescription;
};
#else
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

namespace {

std::string WideToString(const OLECHAR* S, size_t Len)
{
    if (!S || Len == 0) return {};
#ifdef _WIN32
    int N = WideCharToMultiByte(CP_ACP, 0, S, static_cast<int>(Len), nullptr, 0, nullptr, nullptr);
    std::string R(static_cast<size_t>(N), '\0');
    WideCharToMultiByte(CP_ACP, 0, S, static_cast<int>(Len), R.data(), N, nullptr, nullptr);
    return R;
#else
    std::string R(Len, '\0');
    for (size_t i = 0; i < Len; ++i) R[i] = static_cast<char>(static_cast<unsigned char>(S[i]));
    return R;
#endif
}

} // namespace

std::string OleStrToString(const OLECHAR* S)
{
    return S ? WideToString(S, wcslen(S)) : std::string();
}

std::string BStrToString(BSTR S)
{
    return WideToString(S, SysStringLen(S));
}

HRESULT SafeCallException(const GUID& ErrorIID) noexcept
{
    HRESULT Code = E_UNEXPECTED;
    try {
        std::string Message = CurrentErrorMessage(Code);
#ifdef _WIN32
        IErrorInfo* Info = new TErrorInfo(ErrorIID, Message);
        SetErrorInfo(0, Info);
        Info->Release();
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
                    Description = BStrToString(Text.Get());
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
