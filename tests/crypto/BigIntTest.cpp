#include <gtest/gtest.h>

#include "crypto/BigInt.h"
#include "crypto/HexUtil.h"
#include "platform/SysUtils.h"

namespace {
const char* const N512 = "0xedce6404f1321d3128c669476b7ea43052a87119d9b1a92ba2508eef89bf879fe2ed3a5ff54d876616dbe1c3a02a8"
                         "2cb7b606ed0dd69ddee65fc55892cd23d5f";
}

TEST(TBigInt, ByteForm)
{
    // Loading keeps leading zero bytes in the size; GetByte looks past them.
    const uint8_t Raw[] = {0x34, 0x12, 0x00, 0x00};
    TBigInt A(8);
    A.LoadFromBytes(Raw, sizeof(Raw));
    EXPECT_EQ(A.Size(), 4u);
    EXPECT_EQ(A.SignificantSize(), 2u);
    EXPECT_EQ(A.GetByte(2), 0x12);
    EXPECT_EQ(A.Size(), 2u);
    uint8_t Out[1] = {};
    EXPECT_EQ(A.StoreToBytes(Out, 1), 1u);
    EXPECT_EQ(Out[0], 0x34);
}

TEST(TBigInt, ModPowAgainstReference)
{
    struct Case { std::string Base, Exp, Mod, Result; } Cases[] = {
        // base above the modulus, odd 512-bit modulus
        {"0x10000000000000000000000000000000000000000000000000001ca2d8ecd9b9c4c30ddd67c1", "0x10001", N512,
         "0xe96ae0c9632271f95d50fdfd368f1fe4836145dad6a630990db4ea104460513ef5bea0a2cba142b54f936a3cac5b0b70be20"
         "8ca1cbc0e01591d071095ed8f12f"},
        // even modulus
        {"0x1234567890abcdef1234567890abcdef", "0x3e8", "0x10000000000000000000000006", "0x7a74d39ca50836f4508452de3"},
        {"0x3ade68b1", "0x0", "0x1fffffffffffffff", "0x1"},
        {"0x5", "0x3", "0x1", "0x0"},
        {"0x" + std::string(130, 'f'), "0x8" + std::string(126, '0') + "1", "0x7fffffffffffffffffffffffffffffff",
         "0x4d81c211d1b9236df4c61285a18c0b3f"},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(BigToHex(TBigInt::ModPow(BigFromHex(C.Base), BigFromHex(C.Exp), BigFromHex(C.Mod))), C.Result)
            << C.Base;
}

TEST(TBigInt, DivisionAndProducts)
{
    TBigInt Q, R;
    TBigInt::DivMod(BigFromHex("0x1" + std::string(130, 'f')), BigFromHex(N512), &Q, &R);
    EXPECT_EQ(BigToHex(Q), "0x227");
    EXPECT_EQ(BigToHex(R), "0x28c6b95cdd232b313cf36747a26c9bfe1774915c729ce315a49c5a6e84c316de93675b7706219344ccbd13f2448"
                           "07c0973717c73712353e27de3e5c0877de886");
    EXPECT_EQ(BigToHex(BigFromHex("0x100000000000000000000000000000000000000000000000007") *
                       BigFromHex("0x40000000000000000000000000000000000000000000000b")),
              "0x40000000000000000000000000000000000000000000000b01c0000000000000000000000000000000000000000000004d");
    EXPECT_EQ(BigToHex(BigFromHex("0x100000000") - BigFromHex("0x1")), "0xffffffff");
    EXPECT_THROW(BigFromHex("0x1") - BigFromHex("0x2"), EAssertionFailed);
}

TEST(TBigInt, FailuresAreMessages)
{
    auto MessageOf = [](auto F) {
        try {
            F();
        } catch (const Exception& E) {
            return E.Message();
        }
        return std::string("no exception");
    };
    TBigInt Empty, One = TBigInt::FromUInt(1), Zero = TBigInt::FromUInt(0);
    EXPECT_EQ(MessageOf([&] { TBigInt::ModPow(Empty, One, One); }), "No Number");
    EXPECT_EQ(MessageOf([&] { TBigInt::ModPow(One, Empty, One); }), "No Number");
    EXPECT_EQ(MessageOf([&] { (void)(Empty * One); }), "No Number");
    EXPECT_EQ(MessageOf([&] { TBigInt::ModPow(One, One, Zero); }), "Division by zero");
    EXPECT_EQ(MessageOf([&] { One.Mod(Zero); }), "Division by zero");
}

TEST(TBigInt, PrimalityOfKnownNumbers)
{
    struct Case { std::string N; bool Prime; } Cases[] = {
        {"0x2", true}, {"0x3e5", true}, {"0x3e7", false},  // 997, 999
        {"0x7fffffffffffffffffffffffffffffff", true},    // 2^127 - 1
        {"0x1" + std::string(130, 'f'), true},  // 2^521 - 1
        {N512, false},                                   // product of two primes
        {"0x1d5", false},                                 // 469 = 7 * 67
        {"0xbfa17dc7", false},  // strong pseudoprime to the bases 2, 3, 5 and 7
    };
    for (const auto& C : Cases) EXPECT_EQ(BigFromHex(C.N).IsProbablePrime(20), C.Prime) << C.N;
}
