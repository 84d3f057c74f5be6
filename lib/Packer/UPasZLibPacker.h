// Deflate in a zlib stream (RFC 1950), level 9. Writes no method signature: the zlib stream starts the
// body. Unpacks bodies with or without a leading "ZLIB".
#pragma once

#include <string>

#include "Packer/UAbstractPacker.h"

class TPasZLibPacker : public TAbstractPacker {
public:
    explicit TPasZLibPacker(const GUID& ErrorIID) : TAbstractPacker(ErrorIID) {}
    const char* ClassName() const override { return "TPasZLibPacker"; }

    // Packs the whole of InStream from its start, whatever its position; Size is not used.
    void PackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    // Reads Size bytes (0: the rest) after an optional "ZLIB" and inflates them up to the stream's
    // end mark; bytes after the mark are read but ignored. EReadError when fewer bytes are left,
    // Exception "error" for a damaged or cut stream.
    void DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    std::string GetDefaultExt() override { return ".zlib"; }
    std::string GetMethodName() override { return "ZLIB"; }
};
