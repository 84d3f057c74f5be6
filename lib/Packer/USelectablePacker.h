// The packer the rest of the system holds: unpacks a body with the method its 4-byte signature names
// ("LZMA", "BZIP", anything else: deflate) and always packs with bzip2.
#pragma once

#include <string>

#include "Packer/UAbstractPacker.h"

class TSelectablePacker : public TAbstractPacker {
public:
    explicit TSelectablePacker(const GUID& ErrorIID) : TAbstractPacker(ErrorIID) {}
    const char* ClassName() const override { return "TSelectablePacker"; }

    // Requires a node (EAssertionFailed otherwise); reads nothing from it.
    void DoInit(IDispatch* ConfigNode) override;
    // Packs with the bzip2 packer, created on first use and kept for the object's life.
    void PackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    // Peeks at the signature (InStream goes back to where it was) and lets a fresh packer of that
    // method unpack the body through IPacker; its failure comes back as EOleException with its text.
    void DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size) override;
    // ".bzip2" once the object has packed, else ".pack"; unpacking does not change it.
    std::string GetDefaultExt() override;
    // The method of the last successful pack or unpack; else the pack method's; else "PACK".
    std::string GetMethodName() override;

private:
    TComPtr<IPacker> FPackMethod;
    std::string FLastMethodName;
};
