#include "utils/UCRC32Calc.h"

#include <array>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define CRC32_HAVE_CLMUL 1
#endif

#include "platform/Classes.h"
#include "utils/UFileMapView.h"

namespace {

// Table k gives the CRC of byte i followed by k zero bytes, so eight input bytes are folded per step
// (slicing by 8); the result is bit for bit the byte-at-a-time CRC, at several times its speed.
using TCrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr TCrcTables MakeTables()
{
    TCrcTables T{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t C = i;
        for (int k = 0; k < 8; ++k) C = (C & 1) ? (C >> 1) ^ 0xEDB88320u : C >> 1;
        T[0][i] = C;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k) T[k][i] = (T[k - 1][i] >> 8) ^ T[0][T[k - 1][i] & 0xFF];
    return T;
}

constexpr TCrcTables Tables = MakeTables();

inline uint32_t Load32(const uint8_t* P)
{
    return static_cast<uint32_t>(P[0]) | static_cast<uint32_t>(P[1]) << 8 | static_cast<uint32_t>(P[2]) << 16 |
           static_cast<uint32_t>(P[3]) << 24;
}

uint32_t UpdateByTables(uint32_t Crc, const uint8_t* P, size_t N)
{
    while (N >= 8) {
        uint32_t A = Load32(P) ^ Crc;
        uint32_t B = Load32(P + 4);
        Crc = Tables[7][A & 0xFF] ^ Tables[6][(A >> 8) & 0xFF] ^ Tables[5][(A >> 16) & 0xFF] ^ Tables[4][A >> 24] ^
              Tables[3][B & 0xFF] ^ Tables[2][(B >> 8) & 0xFF] ^ Tables[1][(B >> 16) & 0xFF] ^ Tables[0][B >> 24];
        P += 8;
        N -= 8;
    }
    while (N--) Crc = (Crc >> 8) ^ Tables[0][(Crc ^ *P++) & 0xFF];
    return Crc;
}

#ifdef CRC32_HAVE_CLMUL

// Carry-less multiplication folds 64 bytes per step and reduces the 128-bit remainder with a Barrett
// step at the end; the constants are x^n mod P for the reflected polynomial. Same result as the tables.
#define CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

CLMUL_TARGET inline __m128i Load(const uint8_t* Q)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Q));
}

// X times the two constants of K (low and high halves separately), plus the next block.
CLMUL_TARGET inline __m128i Fold(__m128i X, __m128i K, __m128i Next)
{
    __m128i Lo = _mm_clmulepi64_si128(X, K, 0x00);
    __m128i Hi = _mm_clmulepi64_si128(X, K, 0x11);
    return _mm_xor_si128(_mm_xor_si128(Lo, Hi), Next);
}

CLMUL_TARGET uint32_t UpdateByClmul(uint32_t Crc, const uint8_t* P, size_t N)
{
    const __m128i K1K2 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
    const __m128i K3K4 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
    const __m128i K5 = _mm_set_epi64x(0, 0x163cd6124LL);
    const __m128i Poly = _mm_set_epi64x(0x1F7011641LL, 0x1DB710641LL);
    const __m128i Mask32 = _mm_set_epi32(0, 0, 0, -1);
    __m128i X0 = _mm_xor_si128(Load(P), _mm_cvtsi32_si128(static_cast<int>(Crc)));
    __m128i X1 = Load(P + 16), X2 = Load(P + 32), X3 = Load(P + 48);
    P += 64;
    N -= 64;
    while (N >= 64) {
        X0 = Fold(X0, K1K2, Load(P));
        X1 = Fold(X1, K1K2, Load(P + 16));
        X2 = Fold(X2, K1K2, Load(P + 32));
        X3 = Fold(X3, K1K2, Load(P + 48));
        P += 64;
        N -= 64;
    }
    __m128i X = Fold(X0, K3K4, X1);
    X = Fold(X, K3K4, X2);
    X = Fold(X, K3K4, X3);
    while (N >= 16) {
        X = Fold(X, K3K4, Load(P));
        P += 16;
        N -= 16;
    }
    // 128 -> 64 bits.
    X = _mm_xor_si128(_mm_clmulepi64_si128(X, K3K4, 0x10), _mm_srli_si128(X, 8));
    // 96 -> 64 bits.
    X = _mm_xor_si128(_mm_srli_si128(X, 4), _mm_clmulepi64_si128(_mm_and_si128(X, Mask32), K5, 0x00));
    // Barrett reduction to 32 bits.
    __m128i T = _mm_clmulepi64_si128(_mm_and_si128(X, Mask32), Poly, 0x10);
    T = _mm_clmulepi64_si128(_mm_and_si128(T, Mask32), Poly, 0x00);
    X = _mm_xor_si128(X, T);
    return UpdateByTables(static_cast<uint32_t>(_mm_extract_epi32(X, 1)), P, N);
}

bool HaveClmul()
{
    static const bool Have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return Have;
}

#endif

} // namespace

uint32_t CRC32Update(uint32_t Crc, const void* Buf, int32_t Len)
{
    const uint8_t* P = static_cast<const uint8_t*>(Buf);
    size_t N = Len > 0 ? static_cast<size_t>(Len) : 0;
#ifdef CRC32_HAVE_CLMUL
    if (N >= 64 && HaveClmul()) return UpdateByClmul(Crc, P, N);
#endif
    return UpdateByTables(Crc, P, N);
}

uint32_t CRC32OfBuffer(const void* Buf, int32_t Len)
{
    return CRC32Update(0xFFFFFFFFu, Buf, Len) ^ 0xFFFFFFFFu;
}

uint32_t CRC32OfStream(TStream& Stream, int32_t Count)
{
    if (Count <= 0) return 0;
    uint8_t Buf[1024];
    uint32_t Crc = 0xFFFFFFFFu;
    int32_t Done = 0;
    while (Done < Count) {
        int32_t Want = Count - Done < static_cast<int32_t>(sizeof Buf) ? Count - Done : static_cast<int32_t>(sizeof Buf);
        int32_t Got = Stream.Read(Buf, Want);
        if (Got <= 0) break;
        Crc = CRC32Update(Crc, Buf, Got);
        Done += Got;
    }
    return Crc ^ 0xFFFFFFFFu;
}

uint32_t CRC32OfFile(const std::string& FileName, int32_t Offset, int32_t Length)
{
    TFileMapView View(FileName);
    if (Length == -1) Length = View.Size() - Offset;
    const uint8_t* P = View.Access(Offset, Length);
    return CRC32OfBuffer(P, Length);
}
