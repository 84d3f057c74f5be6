#include <gtest/gtest.h>

#include <functional>

#include "crypto/HexUtil.h"
#include "crypto/TempFiles.h"
#include "crypto/TestKeys.h"
#include "platform/Classes.h"
#include "utils/UDigSign.h"

namespace {

std::string MessageOf(const std::function<void()>& F)
{
    try {
        F();
    } catch (const Exception& E) {
        return E.Message();
    }
    return "no exception";
}

// Data followed by its 64-byte signature block.
std::vector<uint8_t> Signed(TRSASSA& S, const std::vector<uint8_t>& Data)
{
    TMemoryStream Src(Data), Dst(Data);
    Dst.SetPosition(static_cast<int64_t>(Data.size()));
    S.SignStream(Src, Dst, -1);
    return Dst.Bytes();
}

} // namespace

TEST(TRSASSA, SignatureBlockOfAKnownKey)
{
    TRSASSA S;
    LoadTestKey(S.PrivateKey(), TestPrivateKeyHex);
    std::vector<uint8_t> File = Signed(S, {'a', 'b', 'c'});
    ASSERT_EQ(File.size(), 67u);
    EXPECT_EQ(std::vector<uint8_t>(File.begin() + 3, File.end()),
              HexBytes("fb02cf122e7651cca8969782e17a6f18b00368f1fcc3a243a16b02fc3318a1159af8aaeb9f74793888fa699bfcb6e3"
                       "a2d63c6a69f4fe3d411dc8b7f1a5f828d8"));
    EXPECT_EQ(S.SignatureLength(), 64);
}

TEST(TRSASSA, VerifyFileCases)
{
    TScratchDir Dir;
    TRSASSA Signer;
    LoadTestKey(Signer.PrivateKey(), TestPrivateKeyHex);
    std::vector<uint8_t> Good = Signed(Signer, {'x'});  // 65 bytes: the digest covers one byte
    std::vector<uint8_t> Flipped = Good;
    Flipped[0] ^= 1;
    std::vector<uint8_t> SigFlipped = Good;
    SigFlipped[40] ^= 0x10;
    std::vector<uint8_t> ZeroSig(65, 0);
    ZeroSig[0] = 'x';
    std::vector<uint8_t> SignedEmpty = Signed(Signer, {});  // a valid signature, but only 64 bytes

    struct Case { const char* Name; std::vector<uint8_t> Bytes; bool Valid; } Cases[] = {
        {"one byte and its signature", Good, true},
        {"data byte changed", Flipped, false},
        {"signature changed", SigFlipped, false},
        {"zero signature", ZeroSig, false},
        {"64 bytes", SignedEmpty, false},
        {"empty file", {}, false},
        {"short file", {1, 2, 3}, false},
    };
    TRSASSA S;
    LoadTestKey(S.PublicKey(), TestPublicKeyHex);
    for (const auto& C : Cases) {
        std::string F = Dir.Write(C.Name, C.Bytes);
        bool Valid = !C.Valid;
        EXPECT_EQ(MessageOf([&] { Valid = S.VerifyFile(F); }), "no exception") << C.Name;
        EXPECT_EQ(Valid, C.Valid) << C.Name;
    }
    // The stream form takes a 64-byte stream as an empty message with its signature.
    TMemoryStream Whole(SignedEmpty);
    EXPECT_TRUE(S.VerifyWholeStream(Whole));
    TMemoryStream WholeGood(Good);
    EXPECT_TRUE(S.VerifyWholeStream(WholeGood));
    TMemoryStream Short(std::vector<uint8_t>(63, 0));
    EXPECT_FALSE(S.VerifyWholeStream(Short));
}

TEST(TRSASSA, FailuresThatRaise)
{
    TScratchDir Dir;
    TRSASSA S;
    std::string Long = Dir.Write("long", std::vector<uint8_t>(100, 7));
    std::string Short = Dir.Write("short", std::vector<uint8_t>(64, 7));
    EXPECT_EQ(MessageOf([&] { S.VerifyFile(Long); }), "Invalid RSA public key");
    EXPECT_EQ(MessageOf([&] { S.VerifyFile(Short); }), "no exception") << "no RSA computation for 64 bytes";
    EXPECT_EQ(MessageOf([&] { S.VerifyFile(Dir / "missing"); }).rfind("TFileMapView.Create", 0), 0u);
    TMemoryStream Src, Dst;
    EXPECT_EQ(MessageOf([&] { S.SignStream(Src, Dst, 0); }), "Invalid RSA private key");
    TMemoryStream Cut(std::vector<uint8_t>(10, 0));
    EXPECT_THROW(S.ReadSignature(Cut), EReadError);
}

TEST(TRSASSA, KeyObjectsKeepTheirFileNamesAndFilesRoundTrip)
{
    TScratchDir Dir;
    TRSASSA S;
    EXPECT_EQ(S.PrivateKey().FileName.substr(S.PrivateKey().FileName.size() - 11), "private.key");
    EXPECT_EQ(S.PublicKey().FileName.substr(S.PublicKey().FileName.size() - 10), "public.key");
    S.PrivateKey().FileName = Dir / "a.key";
    S.PublicKey().FileName = Dir / "b.key";
    S.GenerateKeys();  // re-creates the key objects
    S.CreateKeyObjects();
    EXPECT_EQ(S.PrivateKey().FileName, Dir / "a.key");
    EXPECT_EQ(S.PublicKey().FileName, Dir / "b.key");
    S.PrivateKey().SaveToFile();
    S.PublicKey().SaveToFile();
    EXPECT_EQ(ReadFileBytes(Dir / "b.key").size(), 73u);

    TRSASSA T;
    T.PrivateKey().LoadFromFile(Dir / "a.key");
    T.PublicKey().LoadFromFile(Dir / "b.key");
    std::vector<uint8_t> File = Signed(T, {'q', 'r'});
    TMemoryStream M(File);
    EXPECT_TRUE(S.VerifyWholeStream(M));
}
