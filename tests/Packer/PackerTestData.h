// Inputs and calls shared by the packer tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Packer/UAbstractPacker.h"
#include "platform/Classes.h"

using TBytes = std::string;

inline TBytes TextSample(size_t Lines)
{
    TBytes S;
    for (size_t i = 0; i < Lines; ++i) S += "строка " + std::to_string(i * 7919 % 1000) + "\r\n";
    return S;
}

// Bytes no compressor can shrink, the same on every run.
inline TBytes NoiseSample(size_t Size)
{
    TBytes S(Size, '\0');
    uint32_t X = 12345;
    for (auto& C : S) {
        X = X * 1103515245u + 12345u;
        C = static_cast<char>(X >> 24);
    }
    return S;
}

inline TMemoryStream StreamOf(const TBytes& B)
{
    return TMemoryStream(std::vector<uint8_t>(B.begin(), B.end()));
}

inline TBytes BytesOf(const TMemoryStream& M)
{
    return TBytes(M.Bytes().begin(), M.Bytes().end());
}

// Packs all of Input with Packer (through IPacker).
inline TBytes Pack(IPacker* Packer, const TBytes& Input, int32_t Size = 0)
{
    TMemoryStream In = StreamOf(Input), Out;
    PackerPackStream(Packer, In, Out, Size);
    return BytesOf(Out);
}

// Unpacks Body with Packer (through IPacker); raises what the caller of the interface sees.
inline TBytes Unpack(IPacker* Packer, const TBytes& Body, int32_t Size = 0)
{
    TMemoryStream In = StreamOf(Body), Out;
    PackerUnPackStreamEx(Packer, In, Out, Size);
    return BytesOf(Out);
}

// The message a failing unpack raises, or "" when it succeeded.
inline std::string UnpackError(IPacker* Packer, const TBytes& Body, int32_t Size = 0)
{
    try {
        Unpack(Packer, Body, Size);
    } catch (const Exception& E) {
        return E.Message();
    }
    return {};
}

// The first line of a message: the failure itself, without the input description.
inline std::string FirstLine(const std::string& S)
{
    return S.substr(0, S.find("\r\n"));
}
