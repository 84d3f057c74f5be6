// The packer interface that every compressed body of the system goes through, and the base class of
// the packers. A packed body is a 4-byte method signature (the first four characters of the method
// name, padded with zero bytes) followed by the method's data.
//
// IPacker and IQuilletInit are COM interfaces (dispatch-compatible, HRESULT results, error information
// for the IPacker id), so the component library can create packers and a DLL can use them. C++ callers
// go through the Packer* helpers below, which raise a failure again as EOleException with its text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Classes.h"
#include "platform/ComObj.h"
#include "platform/SysUtils.h"

inline constexpr GUID IID_IPacker = {0xB9785AF2, 0x1680, 0x40CB, {0x82, 0x90, 0x20, 0x98, 0xC0, 0x8C, 0x99, 0x99}};
inline constexpr GUID IID_IQuilletInit = {0xAF5DD4C6, 0x82AB, 0x4CE6,
                                          {0x94, 0x99, 0x73, 0x75, 0x22, 0x84, 0x8E, 0xC0}};

// Streams are passed by pointer and never owned by the packer. Size is read as each method describes
// it (0: up to the end of the stream). Texts are UTF-16; a returned BSTR belongs to the caller.
struct IPacker : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE PackStream(TStream* InStream, TStream* OutStream, int32_t Size) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnPackStreamEx(TStream* InStream, TStream* OutStream, int32_t Size) = 0;
    virtual HRESULT STDMETHODCALLTYPE PackFile(const OLECHAR* InFileName, const OLECHAR* OutFileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnPackFile(const OLECHAR* InFileName, const OLECHAR* OutFileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultExt(BSTR* Result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMethodName(BSTR* Result) = 0;

protected:
    ~IPacker() = default;
};

// The component library hands a new component its configuration element (an XML DOM node).
struct IQuilletInit : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Init(IDispatch* ConfigNode) = 0;

protected:
    ~IQuilletInit() = default;
};

// Failures of packing and unpacking that the packers raise themselves.
DECLARE_EXCEPTION_CLASS(EPackerError, Exception);

// Reference-counted object with an error interface id: answers the error-information query for that
// id only, announces IDispatch without offering late binding, and turns escaping errors into failure
// statuses with error information for that id. Starts with no references: the first TComPtr owns it.
class TFakeAutoIntfObject : public ISupportErrorInfo {
public:
    explicit TFakeAutoIntfObject(const GUID& ErrorIID) : FErrorIID(ErrorIID) {}
    virtual ~TFakeAutoIntfObject() = default;
    TFakeAutoIntfObject(const TFakeAutoIntfObject&) = delete;
    TFakeAutoIntfObject& operator=(const TFakeAutoIntfObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    const GUID& ErrorIID() const { return FErrorIID; }
    virtual const char* ClassName() const { return "TFakeAutoIntfObject"; }

protected:
    // The interfaces a derived class implements: its pointer for riid, or nullptr.
    virtual void* GetInterface(REFIID riid) { return nullptr; }
    // Failure hook for a catch block of an interface operation.
    HRESULT SafeCallFailed() noexcept { return SafeCallException(FErrorIID); }

    static HRESULT DispGetTypeInfoCount(UINT* pctinfo);
    static HRESULT DispNotImplemented() { return E_NOTIMPL; }

private:
    const GUID FErrorIID;
    ULONG FRefCount = 0;
};

// Base of all packers: writes and skips the method signature, wraps unpacking failures into the
// diagnostic EPackerError, opens files for PackFile/UnPackFile, and implements both interfaces.
//
// The C++ operations below raise exceptions; the interface operations of the same names (taking
// pointers and OLE strings) call them and return failure statuses. Derived classes override the
// virtual ones.
class TAbstractPacker : public TFakeAutoIntfObject, public IQuilletInit, public IPacker {
public:
    explicit TAbstractPacker(const GUID& ErrorIID) : TFakeAutoIntfObject(ErrorIID) {}
    const char* ClassName() const override { return "TAbstractPacker"; }

    // Accepts and ignores the node.
    virtual void DoInit(IDispatch* ConfigNode);
    // Writes the 4-byte method signature at OutStream's position; raises EAssertionFailed for an empty
    // method name.
    virtual void PackStream(TStream& InStream, TStream& OutStream, int32_t Size);
    // Reads 4 bytes without looking at them (EReadError when fewer are left).
    virtual void DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size);
    virtual std::string GetDefaultExt() = 0;
    virtual std::string GetMethodName() = 0;

    // DoUnPackStream; an Exception from it becomes EPackerError
    //   "<class>.UnPackStreamEx: <message>\r\nInStream: CRC=<hex>, Size=<n>, первые <k> байт: "<bytes>""
    // describing the whole input stream (InStream is left after those k bytes).
    void UnPackStreamEx(TStream& InStream, TStream& OutStream, int32_t Size);
    // Packs InFileName into OutFileName (InFileName + GetDefaultExt() when empty).
    void PackFile(const std::string& InFileName, std::string OutFileName);
    // Unpacks InFileName into OutFileName; an empty OutFileName is InFileName without its extension
    // when that extension is GetDefaultExt() (any case), else it stays empty and creating it fails.
    void UnPackFile(const std::string& InFileName, std::string OutFileName);

    // IUnknown, IDispatch (one implementation for both interfaces and the base).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override
    {
        return TFakeAutoIntfObject::QueryInterface(riid, ppvObject);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return TFakeAutoIntfObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return TFakeAutoIntfObject::Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override { return DispGetTypeInfoCount(pctinfo); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DispNotImplemented(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DispNotImplemented();
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return DispNotImplemented();
    }

    // IQuilletInit
    HRESULT STDMETHODCALLTYPE Init(IDispatch* ConfigNode) override;
    // IPacker
    HRESULT STDMETHODCALLTYPE PackStream(TStream* InStream, TStream* OutStream, int32_t Size) override;
    HRESULT STDMETHODCALLTYPE UnPackStreamEx(TStream* InStream, TStream* OutStream, int32_t Size) override;
    HRESULT STDMETHODCALLTYPE PackFile(const OLECHAR* InFileName, const OLECHAR* OutFileName) override;
    HRESULT STDMETHODCALLTYPE UnPackFile(const OLECHAR* InFileName, const OLECHAR* OutFileName) override;
    HRESULT STDMETHODCALLTYPE GetDefaultExt(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE GetMethodName(BSTR* Result) override;

protected:
    void* GetInterface(REFIID riid) override;
    // How many bytes of packed data follow at InStream's position: Size, or the rest when Size is 0.
    // EReadError when fewer are left, before anything is read.
    static int64_t PackedDataCount(TStream& InStream, int32_t Size);
};

// A new packer of class T behind its IPacker interface (error interface id: IID_IPacker).
template <class T>
TComPtr<IPacker> MakePacker()
{
    return TComPtr<IPacker>(static_cast<IPacker*>(new T(IID_IPacker)));
}

// Calls through IPacker that raise a failure status as EOleException carrying the packer's text.
void PackerPackStream(IPacker* Packer, TStream& InStream, TStream& OutStream, int32_t Size);
void PackerUnPackStreamEx(IPacker* Packer, TStream& InStream, TStream& OutStream, int32_t Size);
void PackerPackFile(IPacker* Packer, const std::string& InFileName, const std::string& OutFileName);
void PackerUnPackFile(IPacker* Packer, const std::string& InFileName, const std::string& OutFileName);
std::string PackerGetDefaultExt(IPacker* Packer);
std::string PackerGetMethodName(IPacker* Packer);
