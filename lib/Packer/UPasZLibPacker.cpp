#include "Packer/UPasZLibPacker.h"

#include <cstring>
#include <vector>

#include "Packer/UZlib.h"

void TPasZLibPacker::PackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    InStream.SetPosition(0);
    int64_t Count = InStream.Size();
    if (Count > INT32_MAX) throw EPackerError("TPasZLibPacker.PackStream: input of 2 GiB or more");
    std::vector<uint8_t> Buf(static_cast<size_t>(Count));
    InStream.ReadBuffer(Buf.data(), static_cast<int32_t>(Count));
    std::vector<uint8_t> Packed = ZCompressBuffer(Buf.data(), Buf.size());
    OutStream.WriteBuffer(Packed.data(), static_cast<int32_t>(Packed.size()));
}

void TPasZLibPacker::DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    int64_t P = InStream.Position();
    char Signature[4];
    InStream.ReadBuffer(Signature, 4);
    if (std::memcmp(Signature, "ZLIB", 4) != 0) InStream.SetPosition(P);
    ZDecompressStream(InStream, PackedDataCount(InStream, Size), OutStream);
}
