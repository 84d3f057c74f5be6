#include "DistWriter.h"

#include <cstring>

#include "PEVersion.h"
#include "Packer/UBZip2Packer.h"
#include "Packer/ULzmaALonePacker.h"
#include "Packer/UPasZLibPacker.h"
#include "Packer/USelectablePacker.h"
#include "Quillet/UDist.h"
#include "platform/Classes.h"
#include "utils/UCRC32Calc.h"

bool ParseDistMethod(const std::string& Name, TDistMethod& Method)
{
    if (SameText(Name, "bzip2")) Method = TDistMethod::BZip2;
    else if (SameText(Name, "zlib")) Method = TDistMethod::ZLib;
    else if (SameText(Name, "lzma")) Method = TDistMethod::Lzma;
    else return false;
    return true;
}

std::string DistMethodOfBody(const uint8_t* Body, size_t Size)
{
    if (Size >= 4 && std::memcmp(Body, "LZMA", 4) == 0) return "lzma";
    if (Size >= 4 && std::memcmp(Body, "BZIP", 4) == 0) return "bzip2";
    return "zlib";
}

namespace {

void PutLe32(std::vector<uint8_t>& Out, uint32_t V)
{
    for (int I = 0; I < 4; ++I) Out.push_back(static_cast<uint8_t>(V >> (8 * I)));
}

TComPtr<IPacker> PackerFor(TDistMethod Method)
{
    switch (Method) {
    case TDistMethod::ZLib: return MakePacker<TPasZLibPacker>();
    case TDistMethod::Lzma: return MakePacker<TLzmaALonePacker>();
    default: return MakePacker<TBZip2Packer>();
    }
}

} // namespace

std::vector<uint8_t> BuildDist(const std::vector<uint8_t>& Content, TDistMethod Method, const TFileVersion& Version,
                               TRSASSA& Signer)
{
    if (Content.size() >= 0x80000000u) throw Exception("BuildDist: content of 2 GiB or more cannot be packed");
    const int32_t Size = static_cast<int32_t>(Content.size());
    const uint32_t CRC = CRC32OfBuffer(Content.data(), Size);

    TMemoryStream In(Content), Body;
    PackerPackStream(PackerFor(Method).Get(), In, Body, 0);

    // The body must come back as the content, read the way the loader reads it: through the
    // selectable packer, offered the body and the first four trailer bytes.
    {
        TMemoryStream Check(Body.Bytes()), Back;
        const uint8_t Tail[4] = {static_cast<uint8_t>(CRC), static_cast<uint8_t>(CRC >> 8),
                                 static_cast<uint8_t>(CRC >> 16), static_cast<uint8_t>(CRC >> 24)};
        Check.Seek(0, soEnd);
        Check.WriteBuffer(Tail, 4);
        Check.SetPosition(0);
        PackerUnPackStreamEx(MakePacker<TSelectablePacker>().Get(), Check, Back, static_cast<int32_t>(Body.Size()));
        if (Back.Bytes() != Content) throw Exception("BuildDist: the packed body does not unpack to the content");
    }

    std::vector<uint8_t> File(DistMagic, DistMagic + 4);
    File.insert(File.end(), Body.Bytes().begin(), Body.Bytes().end());
    PutLe32(File, CRC);
    PutLe32(File, static_cast<uint32_t>(Size));
    for (int I = 0; I < 4; ++I) PutLe32(File, static_cast<uint32_t>(Version.Part(I)));

    TMemoryStream Signed(std::move(File));
    const int64_t SigPos = Signed.Size();
    Signed.SetPosition(0);
    Signer.SignStream(Signed, Signed, SigPos);
    return std::move(Signed.Bytes());
}

std::string ReleaseVersionOf(const std::string& FileName)
{
    TFileVersion V;
    std::string Text = GetFileVersionText(FileName);
    if (Text.empty()) {
        // Natively there is no system call for version resources: read the image itself.
        try {
            std::string S = PEVersionString(ReadFileBytes(FileName), VersionInfoLangCP, "FileVersion");
            if (ParseVersion(S, V)) Text = VersionToText(V);
        } catch (const Exception&) {
        }
    }
    if (Text.empty()) {
        std::string Ver, CRC;
        ReadVerFile(FileName, Ver, CRC);
        if (ParseVersion(Ver, V)) Text = VersionToText(V);
    }
    return Text;
}
