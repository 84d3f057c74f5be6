// SHA-1 (FIPS 180-1): the engine's second digest choice; distributive signatures use MD5.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using TSHA1Digest = std::array<uint8_t, 20>;

class TSHA1 {
public:
    TSHA1() { Init(); }
    void Init();
    void Update(const void* Data, size_t Len);
    // The five state words, each most significant byte first, as the standard writes the digest.
    TSHA1Digest Final();

private:
    uint32_t FState[5];
    uint64_t FCount;
    uint8_t FBuffer[64];
};

TSHA1Digest SHA1Buffer(const void* Data, size_t Len);
