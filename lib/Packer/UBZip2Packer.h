// bzip2 with block size 900 000 bytes after the signature "BZIP".
#pragma once

#include <string>

#include "Packer/UAbstractPacker.h"

class TBZip2Packer : public TAbstractPacker {
public:
    explicit TBZip2Packer(const GUID& ErrorIID) : TAbstractPacker(ErrorIID) {}
    const char* ClassName() const override { return "TBZip2Packer"; }

    // Packs Size bytes from InStream's position (0: the rest).
    void PackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    // Skips the signature, reads Size bytes (0: the rest) and decompresses up to the stream's end mark;
    // bytes after the mark are read but ignored. EReadError when fewer bytes are left, Exception
    // "error %d" with the library's code for a damaged stream (-7 for one that is cut short).
    void DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    std::string GetDefaultExt() override { return ".bzip2"; }
    std::string GetMethodName() override { return "BZIP2"; }
};
