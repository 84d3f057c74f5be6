#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/MD5.h"
#include "crypto/SHA1.h"

TEST(MD5, ReferenceVectors)
{
    struct Case { std::string Input, Digest; } Cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (const auto& C : Cases) EXPECT_EQ(DigestToHex(MD5Buffer(C.Input.data(), C.Input.size())), C.Digest) << C.Input.substr(0, 20);
}

// Lengths around the 56-byte padding limit and the 64-byte block, fed whole and in uneven pieces.
TEST(MD5, PaddingBoundariesAndPieces)
{
    struct Case { size_t Len; const char* Digest; } Cases[] = {
        {55, "52c0e574e1198de5fe3f8f11440dcb1b"},  {56, "46c9907fc908ee68b1e7b8e71286a518"},
        {63, "a62f6d59e837867693f042f5b8f5a236"},  {64, "7160b8fb5e9e4023d549c3971fbaeead"},
        {65, "70bd662e7aefbda85a0f7244167b7897"},  {119, "e84905d4214f4d1ca56c2cdcc152b143"},
        {120, "e3eb5a6c8669ea01a8c185b8abc8a5dc"}, {128, "10b2da1a82f16d99a81a7203fe9f02cb"},
        {1000, "10046f077f2082ac19676b8079f1cb1a"},
    };
    for (const auto& C : Cases) {
        std::vector<uint8_t> Data(C.Len);
        for (size_t i = 0; i < C.Len; ++i) Data[i] = static_cast<uint8_t>(i * 7 + 3);
        EXPECT_EQ(DigestToHex(MD5Buffer(Data.data(), Data.size())), C.Digest) << C.Len;
        for (size_t Piece : {1u, 3u, 63u, 65u}) {
            TMD5 M;
            for (size_t i = 0; i < Data.size(); i += Piece) M.Update(Data.data() + i, std::min(Piece, Data.size() - i));
            EXPECT_EQ(DigestToHex(M.Final()), C.Digest) << C.Len << " in pieces of " << Piece;
        }
    }
}

TEST(SHA1, ReferenceVectors)
{
    struct Case { std::string Input, Digest; } Cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const auto& C : Cases) {
        TSHA1Digest D = SHA1Buffer(C.Input.data(), C.Input.size());
        EXPECT_EQ(DigestToHex(D.data(), D.size()), C.Digest) << C.Input.substr(0, 20);
    }
}
