#include "crypto/MD5.h"

#include <cstring>

namespace {

inline uint32_t Load32(const uint8_t* P)
{
    // Byte assembly compiles to a single load on little-endian targets and is right on any other.
    return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}

inline uint32_t Rol(uint32_t X, int N) { return (X << N) | (X >> (32 - N)); }

// F and G in the forms that need one operation less than the textbook definitions; G's two terms
// never share a bit, so they are added, which lets the compiler fold them into the round's sum.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) (((x) & (z)) + ((y) & ~(z)))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

#define MD5_STEP(f, a, b, c, d, x, t, s) \
    a += f(b, c, d) + (x) + (t);         \
    a = Rol(a, s) + b;

void Transform(uint32_t State[4], const uint8_t* Data, size_t Blocks)
{
    uint32_t A = State[0], B = State[1], C = State[2], D = State[3];
    for (; Blocks; --Blocks, Data += 64) {
        uint32_t X[16];
        for (int i = 0; i < 16; ++i) X[i] = Load32(Data + 4 * i);
        const uint32_t AA = A, BB = B, CC = C, DD = D;

        MD5_STEP(MD5_F, A, B, C, D, X[0], 0xd76aa478, 7)
        MD5_STEP(MD5_F, D, A, B, C, X[1], 0xe8c7b756, 12)
        MD5_STEP(MD5_F, C, D, A, B, X[2], 0x242070db, 17)
        MD5_STEP(MD5_F, B, C, D, A, X[3], 0xc1bdceee, 22)
        MD5_STEP(MD5_F, A, B, C, D, X[4], 0xf57c0faf, 7)
        MD5_STEP(MD5_F, D, A, B, C, X[5], 0x4787c62a, 12)
        MD5_STEP(MD5_F, C, D, A, B, X[6], 0xa8304613, 17)
        MD5_STEP(MD5_F, B, C, D, A, X[7], 0xfd469501, 22)
        MD5_STEP(MD5_F, A, B, C, D, X[8], 0x698098d8, 7)
        MD5_STEP(MD5_F, D, A, B, C, X[9], 0x8b44f7af, 12)
        MD5_STEP(MD5_F, C, D, A, B, X[10], 0xffff5bb1, 17)
        MD5_STEP(MD5_F, B, C, D, A, X[11], 0x895cd7be, 22)
        MD5_STEP(MD5_F, A, B, C, D, X[12], 0x6b901122, 7)
        MD5_STEP(MD5_F, D, A, B, C, X[13], 0xfd987193, 12)
        MD5_STEP(MD5_F, C, D, A, B, X[14], 0xa679438e, 17)
        MD5_STEP(MD5_F, B, C, D, A, X[15], 0x49b40821, 22)

        MD5_STEP(MD5_G, A, B, C, D, X[1], 0xf61e2562, 5)
        MD5_STEP(MD5_G, D, A, B, C, X[6], 0xc040b340, 9)
        MD5_STEP(MD5_G, C, D, A, B, X[11], 0x265e5a51, 14)
        MD5_STEP(MD5_G, B, C, D, A, X[0], 0xe9b6c7aa, 20)
        MD5_STEP(MD5_G, A, B, C, D, X[5], 0xd62f105d, 5)
        MD5_STEP(MD5_G, D, A, B, C, X[10], 0x02441453, 9)
        MD5_STEP(MD5_G, C, D, A, B, X[15], 0xd8a1e681, 14)
        MD5_STEP(MD5_G, B, C, D, A, X[4], 0xe7d3fbc8, 20)
        MD5_STEP(MD5_G, A, B, C, D, X[9], 0x21e1cde6, 5)
        MD5_STEP(MD5_G, D, A, B, C, X[14], 0xc33707d6, 9)
        MD5_STEP(MD5_G, C, D, A, B, X[3], 0xf4d50d87, 14)
        MD5_STEP(MD5_G, B, C, D, A, X[8], 0x455a14ed, 20)
        MD5_STEP(MD5_G, A, B, C, D, X[13], 0xa9e3e905, 5)
        MD5_STEP(MD5_G, D, A, B, C, X[2], 0xfcefa3f8, 9)
        MD5_STEP(MD5_G, C, D, A, B, X[7], 0x676f02d9, 14)
        MD5_STEP(MD5_G, B, C, D, A, X[12], 0x8d2a4c8a, 20)

        MD5_STEP(MD5_H, A, B, C, D, X[5], 0xfffa3942, 4)
        MD5_STEP(MD5_H, D, A, B, C, X[8], 0x8771f681, 11)
        MD5_STEP(MD5_H, C, D, A, B, X[11], 0x6d9d6122, 16)
        MD5_STEP(MD5_H, B, C, D, A, X[14], 0xfde5380c, 23)
        MD5_STEP(MD5_H, A, B, C, D, X[1], 0xa4beea44, 4)
        MD5_STEP(MD5_H, D, A, B, C, X[4], 0x4bdecfa9, 11)
        MD5_STEP(MD5_H, C, D, A, B, X[7], 0xf6bb4b60, 16)
        MD5_STEP(MD5_H, B, C, D, A, X[10], 0xbebfbc70, 23)
        MD5_STEP(MD5_H, A, B, C, D, X[13], 0x289b7ec6, 4)
        MD5_STEP(MD5_H, D, A, B, C, X[0], 0xeaa127fa, 11)
        MD5_STEP(MD5_H, C, D, A, B, X[3], 0xd4ef3085, 16)
        MD5_STEP(MD5_H, B, C, D, A, X[6], 0x04881d05, 23)
        MD5_STEP(MD5_H, A, B, C, D, X[9], 0xd9d4d039, 4)
        MD5_STEP(MD5_H, D, A, B, C, X[12], 0xe6db99e5, 11)
        MD5_STEP(MD5_H, C, D, A, B, X[15], 0x1fa27cf8, 16)
        MD5_STEP(MD5_H, B, C, D, A, X[2], 0xc4ac5665, 23)

        MD5_STEP(MD5_I, A, B, C, D, X[0], 0xf4292244, 6)
        MD5_STEP(MD5_I, D, A, B, C, X[7], 0x432aff97, 10)
        MD5_STEP(MD5_I, C, D, A, B, X[14], 0xab9423a7, 15)
        MD5_STEP(MD5_I, B, C, D, A, X[5], 0xfc93a039, 21)
        MD5_STEP(MD5_I, A, B, C, D, X[12], 0x655b59c3, 6)
        MD5_STEP(MD5_I, D, A, B, C, X[3], 0x8f0ccc92, 10)
        MD5_STEP(MD5_I, C, D, A, B, X[10], 0xffeff47d, 15)
        MD5_STEP(MD5_I, B, C, D, A, X[1], 0x85845dd1, 21)
        MD5_STEP(MD5_I, A, B, C, D, X[8], 0x6fa87e4f, 6)
        MD5_STEP(MD5_I, D, A, B, C, X[15], 0xfe2ce6e0, 10)
        MD5_STEP(MD5_I, C, D, A, B, X[6], 0xa3014314, 15)
        MD5_STEP(MD5_I, B, C, D, A, X[13], 0x4e0811a1, 21)
        MD5_STEP(MD5_I, A, B, C, D, X[4], 0xf7537e82, 6)
        MD5_STEP(MD5_I, D, A, B, C, X[11], 0xbd3af235, 10)
        MD5_STEP(MD5_I, C, D, A, B, X[2], 0x2ad7d2bb, 15)
        MD5_STEP(MD5_I, B, C, D, A, X[9], 0xeb86d391, 21)

        A += AA;
        B += BB;
        C += CC;
        D += DD;
    }
    State[0] = A;
    State[1] = B;
    State[2] = C;
    State[3] = D;
}

} // namespace

void TMD5::Init()
{
    FState[0] = 0x67452301;
    FState[1] = 0xefcdab89;
    FState[2] = 0x98badcfe;
    FState[3] = 0x10325476;
    FCount = 0;
}

void TMD5::Update(const void* Data, size_t Len)
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

TMD5Digest TMD5::Final()
{
    uint64_t Bits = FCount * 8;
    uint8_t Pad[72] = {0x80};
    size_t Have = static_cast<size_t>(FCount & 63);
    size_t PadLen = (Have < 56 ? 56 : 120) - Have;
    uint8_t Length[8];
    for (int i = 0; i < 8; ++i) Length[i] = static_cast<uint8_t>(Bits >> (8 * i));
    Update(Pad, PadLen);
    Update(Length, 8);
    TMD5Digest Out;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) Out[4 * i + j] = static_cast<uint8_t>(FState[i] >> (8 * j));
    return Out;
}

TMD5Digest MD5Buffer(const void* Data, size_t Len)
{
    TMD5 M;
    M.Update(Data, Len);
    return M.Final();
}

std::string DigestToHex(const uint8_t* Digest, size_t Len)
{
    static const char Hex[] = "0123456789abcdef";
    std::string S;
    S.reserve(Len * 2);
    for (size_t i = 0; i < Len; ++i) {
        S += Hex[Digest[i] >> 4];
        S += Hex[Digest[i] & 15];
    }
    return S;
}
