#include "crypto/SHA1.h"

#include <cstring>

namespace {

inline uint32_t Rol(uint32_t X, int N) { return (X << N) | (X >> (32 - N)); }

void Transform(uint32_t State[5], const uint8_t* Data, size_t Blocks)
{
    for (; Blocks; --Blocks, Data += 64) {
        uint32_t W[80];
        for (int i = 0; i < 16; ++i)
            W[i] = uint32_t(Data[4 * i]) << 24 | uint32_t(Data[4 * i + 1]) << 16 | uint32_t(Data[4 * i + 2]) << 8 |
                   uint32_t(Data[4 * i + 3]);
        for (int i = 16; i < 80; ++i) W[i] = Rol(W[i - 3] ^ W[i - 8] ^ W[i - 14] ^ W[i - 16], 1);
        uint32_t A = State[0], B = State[1], C = State[2], D = State[3], E = State[4];
        for (int i = 0; i < 80; ++i) {
            uint32_t F, K;
            if (i < 20) {
                F = D ^ (B & (C ^ D));
                K = 0x5a827999;
            } else if (i < 40) {
                F = B ^ C ^ D;
                K = 0x6ed9eba1;
            } else if (i < 60) {
                F = (B & C) | (D & (B | C));
                K = 0x8f1bbcdc;
            } else {
                F = B ^ C ^ D;
                K = 0xca62c1d6;
            }
            uint32_t T = Rol(A, 5) + F + E + K + W[i];
            E = D;
            D = C;
            C = Rol(B, 30);
            B = A;
            A = T;
        }
        State[0] += A;
        State[1] += B;
        State[2] += C;
        State[3] += D;
        State[4] += E;
    }
}

} // namespace

void TSHA1::Init()
{
    FState[0] = 0x67452301;
    FState[1] = 0xefcdab89;
    FState[2] = 0x98badcfe;
    FState[3] = 0x10325476;
    FState[4] = 0xc3d2e1f0;
    FCount = 0;
}

void TSHA1::Update(const void* Data, size_t Len)
{
    const uint8_t* P = static_cast<const uint8_t*>(Data);
    size_t Have = static_cast<size_t>(FCount & 63);
    FCount += Len;
    if (Have) {
        size_t Need = 64 - Have;
        if (Len < Need) {
            std::memcpy(FBuffer + Have, P, Len);
            return;
        }
        std::memcpy(FBuffer + Have, P, Need);
        Transform(FState, FBuffer, 1);
        P += Need;
        Len -= Need;
    }
    if (Len >= 64) {
        Transform(FState, P, Len / 64);
        P += Len & ~size_t(63);
        Len &= 63;
    }
    if (Len) std::memcpy(FBuffer, P, Len);
}

TSHA1Digest TSHA1::Final()
{
    uint64_t Bits = FCount * 8;
    uint8_t Pad[72] = {0x80};
    size_t Have = static_cast<size_t>(FCount & 63);
    size_t PadLen = (Have < 56 ? 56 : 120) - Have;
    uint8_t Length[8];
    for (int i = 0; i < 8; ++i) Length[i] = static_cast<uint8_t>(Bits >> (56 - 8 * i));
    Update(Pad, PadLen);
    Update(Length, 8);
    TSHA1Digest Out;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 4; ++j) Out[4 * i + j] = static_cast<uint8_t>(FState[i] >> (24 - 8 * j));
    return Out;
}

TSHA1Digest SHA1Buffer(const void* Data, size_t Len)
{
    TSHA1 S;
    S.Update(Data, Len);
    return S.Final();
}
