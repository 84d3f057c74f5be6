// MD5 message digest (RFC 1321): the digest that signatures of distributive files are made over.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using TMD5Digest = std::array<uint8_t, 16>;

// Incremental MD5: Update any number of times, then Final once (Init starts over).
class TMD5 {
public:
    TMD5() { Init(); }
    void Init();
    void Update(const void* Data, size_t Len);
    // The 16 bytes of the state words A, B, C, D, each least significant byte first.
    TMD5Digest Final();

private:
    uint32_t FState[4];
    uint64_t FCount;  // bytes hashed so far
    uint8_t FBuffer[64];
};

TMD5Digest MD5Buffer(const void* Data, size_t Len);
// Lower-case hexadecimal, in the form md5sum prints.
std::string DigestToHex(const uint8_t* Digest, size_t Len);
inline std::string DigestToHex(const TMD5Digest& D) { return DigestToHex(D.data(), D.size()); }
