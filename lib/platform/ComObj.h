// COM-style interfaces for objects that a component DLL may create and use: on Windows the system's own
// IUnknown/IDispatch/ISupportErrorInfo and error information, elsewhere the small equivalent the
// portable tools need (same names, same results, error information kept per thread).
//
// The failure-status convention: an interface operation catches every error and returns a failure
// HRESULT with the message attached as error information (SafeCallException); the caller turns the
// status back into an exception carrying that text (SafeCallCheck), as a safecall would.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "platform/SysUtils.h"

#ifdef _WIN32
#include <objbase.h>
#include <oaidl.h>
#else
using HRESULT = int32_t;
using ULONG = uint32_t;
using UINT = unsigned;
using WORD = uint16_t;
using LCID = uint32_t;
using DISPID = int32_t;
using OLECHAR = wchar_t;
using LPOLESTR = OLECHAR*;
using BSTR = OLECHAR*;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
using REFGUID = const GUID&;
bool operator==(const GUID& A, const GUID& B);

#define STDMETHODCALLTYPE
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

struct ITypeInfo;
struct DISPPARAMS;
struct VARIANT;
struct EXCEPINFO;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

// The system's interface ids (Windows takes them from its uuid library).
inline constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID IID_ISupportErrorInfo = {0xDF0B3D60, 0x548F, 0x101B,
                                               {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

// Length-prefixed wide strings, released with SysFreeString, as on Windows.
BSTR SysAllocStringLen(const OLECHAR* Str, UINT Len);
void SysFreeString(BSTR Str);
UINT SysStringLen(BSTR Str);
#endif

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, for messages and the registry.
std::string GUIDToString(const GUID& G);

// An error that carries a COM failure status. EOleException is what a caller of an interface sees
// when the object attached a text to its failure.
class EOleSysError : public Exception {
public:
    EOleSysError(std::string Message, HRESULT ErrorCode) : Exception(std::move(Message)), ErrorCode(ErrorCode) {}
    const char* ClassName() const noexcept override { return "EOleSysError"; }
    HRESULT ErrorCode;
};

class EOleException : public EOleSysError {
public:
    using EOleSysError::EOleSysError;
    const char* ClassName() const noexcept override { return "EOleException"; }
};

// Object side: turns the error in flight (call from a catch block) into a failure status and attaches
// its message as error information for ErrorIID. EOleSysError keeps its own status; everything else
// becomes E_UNEXPECTED. Never throws.
HRESULT SafeCallException(const GUID& ErrorIID) noexcept;

// Caller side: raises for a failure status. When Obj supports error information for IID, the attached
// text becomes an EOleException's message; otherwise EOleSysError describes the status.
void SafeCallCheck(HRESULT Result, IUnknown* Obj, const GUID& IID);

// Text at the interface boundary: the program's 8-bit text to and from UTF-16.
BSTR StringToOleStr(const std::string& S);
std::string OleStrToString(const OLECHAR* S);  // up to the first zero character
std::string BStrToString(BSTR S);              // the whole BSTR, zero characters included

// Owns one BSTR handed out through an out parameter.
class TBStr {
public:
    TBStr() = default;
    ~TBStr() { Reset(); }
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    BSTR* Out()
    {
        Reset();
        return &FStr;
    }
    BSTR Get() const { return FStr; }
    std::string ToString() const { return BStrToString(FStr); }
    void Reset()
    {
        if (FStr) SysFreeString(FStr);
        FStr = nullptr;
    }

private:
    BSTR FStr = nullptr;
};

// Reference-counted interface pointer: AddRef on copy, Release on destruction.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(T* P) : FPtr(P) { if (FPtr) FPtr->AddRef(); }
    TComPtr(const TComPtr& O) : TComPtr(O.FPtr) {}
    TComPtr(TComPtr&& O) noexcept : FPtr(std::exchange(O.FPtr, nullptr)) {}
    ~TComPtr() { Reset(); }
    TComPtr& operator=(TComPtr O) noexcept
    {
        std::swap(FPtr, O.FPtr);
        return *this;
    }
    void Reset()
    {
        if (FPtr) std::exchange(FPtr, nullptr)->Release();
    }
    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    T& operator*() const { return *FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    // For QueryInterface-style out parameters; releases what was held.
    void** OutVoid()
    {
        Reset();
        return reinterpret_cast<void**>(&FPtr);
    }

private:
    T* FPtr = nullptr;
};
