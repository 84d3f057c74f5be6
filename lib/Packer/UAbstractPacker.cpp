#include "Packer/UAbstractPacker.h"

#include <algorithm>
#include <cstring>

#include "utils/UCRC32Calc.h"

// ---- TFakeAutoIntfObject ----

HRESULT TFakeAutoIntfObject::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject) return E_POINTER;
    void* P = nullptr;
    if (riid == IID_IUnknown || riid == IID_ISupportErrorInfo) P = static_cast<ISupportErrorInfo*>(this);
    else P = GetInterface(riid);
    *ppvObject = P;
    if (!P) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG TFakeAutoIntfObject::AddRef()
{
    return ++FRefCount;
}

ULONG TFakeAutoIntfObject::Release()
{
    ULONG N = --FRefCount;
    if (N == 0) delete this;
    return N;
}

HRESULT TFakeAutoIntfObject::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == FErrorIID ? S_OK : S_FALSE;
}

HRESULT TFakeAutoIntfObject::DispGetTypeInfoCount(UINT* pctinfo)
{
    return E_NOTIMPL;
}

// ---- TAbstractPacker: the C++ operations ----

void TAbstractPacker::DoInit(IDispatch* ConfigNode) {}

void TAbstractPacker::PackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    std::string Name = GetMethodName();
    Assert(!Name.empty(), ClassName() + std::string(".PackStream: empty method name"));
    char Signature[4] = {0, 0, 0, 0};
    std::memcpy(Signature, Name.data(), std::min<size_t>(Name.size(), 4));
    OutStream.WriteBuffer(Signature, 4);
}

void TAbstractPacker::DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    char Signature[4];
    InStream.ReadBuffer(Signature, 4);
}

void TAbstractPacker::UnPackStreamEx(TStream& InStream, TStream& OutStream, int32_t Size)
{
    try {
        DoUnPackStream(InStream, OutStream, Size);
    } catch (const Exception& E) {
        // The report describes the whole input, so a damaged body can be matched with its file.
        int64_t StreamSize = InStream.Size();
        int32_t CrcCount = static_cast<int32_t>(std::min<int64_t>(StreamSize, INT32_MAX));
        InStream.SetPosition(0);
        uint32_t Crc = CRC32OfStream(InStream, CrcCount);
        int32_t N = static_cast<int32_t>(std::min<int64_t>(StreamSize, 10));
        InStream.SetPosition(0);
        std::string Head(static_cast<size_t>(N), '\0');
        InStream.ReadBuffer(Head.data(), N);
        throw EPackerError(Format("%s.UnPackStreamEx: %s\r\nInStream: CRC=%x, Size=%d, первые %d байт: \"%s\"",
                                  {ClassName(), E.Message(), Crc, static_cast<long long>(StreamSize), N, Head}));
    }
}

void TAbstractPacker::PackFile(const std::string& InFileName, std::string OutFileName)
{
    if (OutFileName.empty()) OutFileName = InFileName + GetDefaultExt();
    TFileStream In(InFileName, fmOpenRead | fmShareDenyWrite);
    TFileStream Out(OutFileName, fmCreate);
    PackStream(In, Out, 0);
}

void TAbstractPacker::UnPackFile(const std::string& InFileName, std::string OutFileName)
{
    if (OutFileName.empty() && SameText(ExtractFileExt(InFileName), GetDefaultExt()))
        OutFileName = ChangeFileExt(InFileName, "");
    TFileStream In(InFileName, fmOpenRead | fmShareDenyWrite);
    TFileStream Out(OutFileName, fmCreate);
    UnPackStreamEx(In, Out, 0);
}

int64_t TAbstractPacker::PackedDataCount(TStream& InStream, int32_t Size)
{
    Assert(Size >= 0, "negative packed data size");
    int64_t Left = InStream.Size() - InStream.Position();
    int64_t Count = Size == 0 ? Left : Size;
    if (Count > Left) throw EReadError("Stream read error");
    return Count;
}

// ---- TAbstractPacker: the interface operations ----

void* TAbstractPacker::GetInterface(REFIID riid)
{
    if (riid == IID_IPacker || riid == IID_IDispatch) return static_cast<IPacker*>(this);
    if (riid == IID_IQuilletInit) return static_cast<IQuilletInit*>(this);
    return nullptr;
}

HRESULT TAbstractPacker::Init(IDispatch* ConfigNode)
{
    try {
        DoInit(ConfigNode);
        return S_OK;
    } catch (...) {
        return SafeCallFailed();
    }
}

HRESULT TAbstractPacker::PackStream(TStream* InStream, TStream* OutStream, int32_t Size)
{
    try {
        Assert(InStream && OutStream, ClassName() + std::string(".PackStream: stream not given"));
        PackStream(*InStream, *OutStream, Size);
        return S_OK;
    } catch (...) {
        return SafeCallFailed();
    }
}

HRESULT TAbstractPacker::UnPackStreamEx(TStream* InStream, TStream* OutStream, int32_t Size)
{
    try {
        Assert(InStream && OutStream, ClassName() + std::string(".UnPackStreamEx: stream not given"));
        UnPackStreamEx(*InStream, *OutStream, Size);
        return S_OK;
    } catch (...) {
        return SafeCallFailed();
    }
}

HRESULT TAbstractPacker::PackFile(const OLECHAR* InFileName, const OLECHAR* OutFileName)
{
    try {
        PackFile(OleStrToString(InFileName), OleStrToString(OutFileName));
        return S_OK;
    } catch (...) {
        return SafeCallFailed();
    }
}

HRESULT TAbstractPacker::UnPackFile(const OLECHAR* InFileName, const OLECHAR* OutFileName)
{
    try {
        UnPackFile(OleStrToString(InFileName), OleStrToString(OutFileName));
        return S_OK;
    } catch (...) {
        return SafeCallFailed();
    }
}

HRESULT TAbstractPacker::GetDefaultExt(BSTR* Result)
{
    if (!Result) return E_POINTER;
    *Result = nullptr;
    try {
        *Result = StringToOleStr(GetDefaultExt());
        return S_OK;
    } catch (...) {
        return SafeCallFailed();
    }
}

HRESULT TAbstractPacker::GetMethodName(BSTR* Result)
{
    if (!Result) return E_POINTER;
    *Result = nullptr;
    try {
        *Result = StringToOleStr(GetMethodName());
        return S_OK;
    } catch (...) {
        return SafeCallFailed();
    }
}

// ---- Calls through IPacker ----

namespace {

void Check(IPacker* Packer, HRESULT Result)
{
    SafeCallCheck(Result, Packer, IID_IPacker);
}

IPacker* Given(IPacker* Packer)
{
    Assert(Packer != nullptr, "IPacker not given");
    return Packer;
}

} // namespace

void PackerPackStream(IPacker* Packer, TStream& InStream, TStream& OutStream, int32_t Size)
{
    Check(Packer, Given(Packer)->PackStream(&InStream, &OutStream, Size));
}

void PackerUnPackStreamEx(IPacker* Packer, TStream& InStream, TStream& OutStream, int32_t Size)
{
    Check(Packer, Given(Packer)->UnPackStreamEx(&InStream, &OutStream, Size));
}

void PackerPackFile(IPacker* Packer, const std::string& InFileName, const std::string& OutFileName)
{
    TBStr In, Out;
    *In.Out() = StringToOleStr(InFileName);
    *Out.Out() = StringToOleStr(OutFileName);
    Check(Packer, Given(Packer)->PackFile(In.Get(), Out.Get()));
}

void PackerUnPackFile(IPacker* Packer, const std::string& InFileName, const std::string& OutFileName)
{
    TBStr In, Out;
    *In.Out() = StringToOleStr(InFileName);
    *Out.Out() = StringToOleStr(OutFileName);
    Check(Packer, Given(Packer)->UnPackFile(In.Get(), Out.Get()));
}

std::string PackerGetDefaultExt(IPacker* Packer)
{
    TBStr Result;
    Check(Packer, Given(Packer)->GetDefaultExt(Result.Out()));
    return Result.ToString();
}

std::string PackerGetMethodName(IPacker* Packer)
{
    TBStr Result;
    Check(Packer, Given(Packer)->GetMethodName(Result.Out()));
    return Result.ToString();
}
