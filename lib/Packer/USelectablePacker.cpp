#include "Packer/USelectablePacker.h"

#include <cstring>

#include "Packer/UBZip2Packer.h"
#include "Packer/ULzmaALonePacker.h"
#include "Packer/UPasZLibPacker.h"

void TSelectablePacker::DoInit(IDispatch* ConfigNode)
{
    Assert(ConfigNode != nullptr, "TSelectablePacker.Init: ConfigNode not given");
}

void TSelectablePacker::PackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    if (!FPackMethod) FPackMethod = TComPtr<IPacker>(static_cast<IPacker*>(new TBZip2Packer(ErrorIID())));
    PackerPackStream(FPackMethod.Get(), InStream, OutStream, Size);
    FLastMethodName = PackerGetMethodName(FPackMethod.Get());
}

void TSelectablePacker::DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    int64_t P = InStream.Position();
    char Signature[4];
    try {
        InStream.ReadBuffer(Signature, 4);
    } catch (...) {
        InStream.SetPosition(P);
        throw;
    }
    InStream.SetPosition(P);

    TComPtr<IPacker> Method;
    if (std::memcmp(Signature, "LZMA", 4) == 0)
        Method = TComPtr<IPacker>(static_cast<IPacker*>(new TLzmaALonePacker(ErrorIID())));
    else if (std::memcmp(Signature, "BZIP", 4) == 0)
        Method = TComPtr<IPacker>(static_cast<IPacker*>(new TBZip2Packer(ErrorIID())));
    else
        Method = TComPtr<IPacker>(static_cast<IPacker*>(new TPasZLibPacker(ErrorIID())));
    PackerUnPackStreamEx(Method.Get(), InStream, OutStream, Size);
    FLastMethodName = PackerGetMethodName(Method.Get());
}

std::string TSelectablePacker::GetDefaultExt()
{
    return FPackMethod ? PackerGetDefaultExt(FPackMethod.Get()) : std::string(".pack");
}

std::string TSelectablePacker::GetMethodName()
{
    if (!FLastMethodName.empty()) return FLastMethodName;
    return FPackMethod ? PackerGetMethodName(FPackMethod.Get()) : std::string("PACK");
}
