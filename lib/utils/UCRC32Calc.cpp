#include "utils/UCRC32Calc.h"

#include <array>
#include <cstring>

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

} // namespace

uint32_t CRC32Update(uint32_t Crc, const void* Buf, int32_t Len)
{
    const uint8_t* P = static_cast<const uint8_t*>(Buf);
    size_t N = Len > 0 ? static_cast<size_t>(Len) : 0;
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
