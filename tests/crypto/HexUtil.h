// Hex helpers for the crypto tests: fixtures are written as the bytes appear in files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crypto/BigInt.h"

inline std::vector<uint8_t> HexBytes(const std::string& Hex)
{
    std::vector<uint8_t> Out;
    for (size_t i = 0; i + 1 < Hex.size(); i += 2) Out.push_back(static_cast<uint8_t>(std::stoul(Hex.substr(i, 2), nullptr, 16)));
    return Out;
}

// A number from its usual big-endian hex notation ("0x" optional).
inline TBigInt BigFromHex(std::string Hex)
{
    if (Hex.rfind("0x", 0) == 0) Hex = Hex.substr(2);
    if (Hex.size() % 2) Hex = "0" + Hex;
    std::vector<uint8_t> B = HexBytes(Hex);
    std::vector<uint8_t> Le(B.rbegin(), B.rend());
    TBigInt R(Le.size());
    R.LoadFromBytes(Le.data(), Le.size());
    return R;
}

inline std::string BigToHex(const TBigInt& V)
{
    static const char D[] = "0123456789abcdef";
    const auto& B = V.Bytes();
    std::string S;
    size_t N = V.SignificantSize();
    for (size_t i = N; i-- > 0;) {
        S += D[B[i] >> 4];
        S += D[B[i] & 15];
    }
    if (S.empty()) return "0x0";
    if (S[0] == '0') S.erase(0, 1);
    return "0x" + S;
}
