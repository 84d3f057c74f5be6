// A fixed 512-bit key pair for tests, in the key file encoding (numbers least significant byte first).
#pragma once

#include <vector>

#include "crypto/HexUtil.h"
#include "platform/Classes.h"
#include "utils/UDigSign.h"

inline const char* const TestPrivateKeyHex =
    "3081840240"
    "5f3dd22c8955fc65eedd69ddd06e607bcb822aa0c3e1db1666874df55f3aede29f87bf89ef8e50a22ba9b1d91971a85230a47e6b4769c6"
    "28311d32f10464ceed"
    "0240"
    "11f97bae018436dbc2eb05a510a0906932a9897bfe18f7f7de3e9270e72661dab78ce3dba358aaf7e2bc98bca6772fc666a8573d9c1814"
    "a27425cd48e083063d";
inline const char* const TestPublicKeyHex =
    "30470240"
    "5f3dd22c8955fc65eedd69ddd06e607bcb822aa0c3e1db1666874df55f3aede29f87bf89ef8e50a22ba9b1d91971a85230a47e6b4769c6"
    "28311d32f10464ceed"
    "0203010001";

inline void LoadTestKey(TDigSignKey& K, const char* Hex)
{
    TMemoryStream S(HexBytes(Hex));
    K.LoadFromStream(S);
}
