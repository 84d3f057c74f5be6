#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "crypto/HexUtil.h"
#include "crypto/MD5.h"
#include "crypto/RSAEngine.h"
#include "platform/Classes.h"

namespace {

// A 512-bit test pair; numbers least significant byte first, as keys store them.
const char* const ModulusLE = "5f3dd22c8955fc65eedd69ddd06e607bcb822aa0c3e1db1666874df55f3aede29f87bf89ef8e50a22ba9b1d9197"
                              "1a85230a47e6b4769c628311d32f10464ceed";
const char* const PrivateLE = "11f97bae018436dbc2eb05a510a0906932a9897bfe18f7f7de3e9270e72661dab78ce3dba358aaf7e2bc98bca67"
                              "72fc666a8573d9c1814a27425cd48e083063d";
// Signature of "abc": the block digest, 00, 45 x FF, 01, 00 raised to the private exponent.
const char* const SignatureOfAbcLE = "fb02cf122e7651cca8969782e17a6f18b00368f1fcc3a243a16b02fc3318a1159af8aaeb9f74793888fa"
                                     "699bfcb6e3a2d63c6a69f4fe3d411dc8b7f1a5f828d8";

void SetNumber(TBigInt& N, const std::string& HexLE)
{
    std::vector<uint8_t> B = HexBytes(HexLE);
    N.LoadFromBytes(B.data(), B.size());
}

void LoadTestKeys(TRSAEngine& E)
{
    SetNumber(E.PublicKey().Modulus, ModulusLE);
    SetNumber(E.PublicKey().Exponent, "010001");
    SetNumber(E.PrivateKey().Modulus, ModulusLE);
    SetNumber(E.PrivateKey().Exponent, PrivateLE);
}

std::string MessageOf(const std::function<void()>& F)
{
    try {
        F();
    } catch (const Exception& E) {
        return E.Message();
    }
    return "no exception";
}

// The signature S with S^e mod n = Block, made with the private exponent.
void SignRawBlock(TRSAEngine& E, const std::vector<uint8_t>& BlockLE)
{
    TBigInt B(64);
    B.LoadFromBytes(BlockLE.data(), BlockLE.size());
    TBigInt S = TRSAEngine::Apply(B, E.PrivateKey().Exponent, E.PrivateKey().Modulus);
    S.ZeroExtend(64);
    E.LoadSignature(S.Bytes().data(), 64);
}

} // namespace

TEST(TRSAEngine, SignsAndVerifiesTheKnownSignature)
{
    TRSAEngine E;
    LoadTestKeys(E);
    E.SignString("abc");
    EXPECT_EQ(E.StoreSignature(64), HexBytes(SignatureOfAbcLE));
    EXPECT_TRUE(E.VerifyString("abc"));
    EXPECT_FALSE(E.VerifyString("abd"));

    TMemoryStream S(std::vector<uint8_t>{'x', 'a', 'b', 'c'});
    S.SetPosition(1);
    EXPECT_TRUE(E.VerifyStream(S));  // from the stream's position on
}

TEST(TRSAEngine, MissingKeysRaise)
{
    TRSAEngine E;
    EXPECT_EQ(MessageOf([&] { E.VerifyString("abc"); }), "Invalid RSA public key");
    EXPECT_EQ(MessageOf([&] { E.SignString("abc"); }), "Invalid RSA private key");
}

TEST(TRSAEngine, BlockDecoding)
{
    std::vector<uint8_t> Data(16);
    for (int i = 0; i < 16; ++i) Data[i] = static_cast<uint8_t>(0xA0 + i);
    auto Block = [&](uint8_t Type, uint8_t Pad, bool Separator) {
        std::vector<uint8_t> B = Data;  // least significant first
        B.push_back(Separator ? 0x00 : Pad);
        B.insert(B.end(), 45, Pad);
        B.push_back(Type);
        return B;
    };
    struct Case { const char* Name; std::vector<uint8_t> Bytes; std::string Result; } Cases[] = {
        {"type 1", Block(1, 0xFF, true), ""},
        {"type 2", Block(2, 0xFF, true), ""},
        {"other padding", Block(1, 0x5A, true), ""},
        {"type 3", Block(3, 0xFF, true), "RSA decoding error: Invalid block type"},
        {"no separator", Block(1, 0xFF, false), "RSA decoding error: Invalid block format"},
        {"ten bytes", {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "RSA decoding error: Block too small"},
        {"zero", std::vector<uint8_t>(64, 0), "RSA decoding error: Block too small"},
        {"129 bytes", std::vector<uint8_t>(129, 1), "RSA decoding error: Block too large"},
    };
    for (const auto& C : Cases) {
        TBigInt B;
        B.LoadFromBytes(C.Bytes.data(), C.Bytes.size());
        B.ZeroExtend(64);  // zero bytes at the top do not count
        std::vector<uint8_t> M;
        std::string Msg = MessageOf([&] { M = TRSAEngine::DecodeBlock(B); });
        if (C.Result.empty()) {
            EXPECT_EQ(Msg, "no exception") << C.Name;
            EXPECT_EQ(M, Data) << C.Name;
        } else {
            EXPECT_EQ(Msg, C.Result) << C.Name;
        }
    }
    // A separator right under the type byte leaves an empty message.
    TBigInt B;
    const std::vector<uint8_t> Raw = {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x00, 0x00, 0x01};
    B.LoadFromBytes(Raw.data(), Raw.size());
    EXPECT_EQ(TRSAEngine::DecodeBlock(B).size(), 10u);
}

TEST(TRSAEngine, BlockEncodingLeavesRoomForPadding)
{
    TBigInt Fits(64), TooMuch(64);
    std::vector<uint8_t> D(54, 0xAB);
    Fits.LoadFromBytes(D.data(), 53);
    TRSAEngine::EncodeBlock(Fits);
    EXPECT_EQ(Fits.Size(), 64u);
    EXPECT_EQ(Fits.Bytes()[53], 0x00);
    EXPECT_EQ(Fits.Bytes()[62], 0x01);
    TooMuch.LoadFromBytes(D.data(), 54);
    EXPECT_EQ(MessageOf([&] { TRSAEngine::EncodeBlock(TooMuch); }), "RSA encoding error: too much data for block");
}

// What verification accepts: any signature whose decoded block carries the digest below a zero byte.
TEST(TRSAEngine, VerificationAcceptsLooseBlocksAndRejectsBadOnesQuietly)
{
    TRSAEngine E;
    LoadTestKeys(E);
    TMD5Digest D = MD5Buffer("abc", 3);
    auto Block = [&](uint8_t Type, uint8_t Pad) {
        std::vector<uint8_t> B(D.begin(), D.end());
        B.push_back(0);
        B.insert(B.end(), 45, Pad);
        B.push_back(Type);
        return B;
    };
    struct Case { const char* Name; std::vector<uint8_t> Block; bool Valid; } Cases[] = {
        {"padding other than FF", Block(1, 0x37), true},
        {"block type 2", Block(2, 0xFF), true},
        {"block type 5", Block(5, 0xFF), false},
        {"no zero below the type", std::vector<uint8_t>(63, 0x01), false},
    };
    for (const auto& C : Cases) {
        SignRawBlock(E, C.Block);
        bool Valid = false;
        EXPECT_EQ(MessageOf([&] { Valid = E.VerifyString("abc"); }), "no exception") << C.Name;
        EXPECT_EQ(Valid, C.Valid) << C.Name;
    }
    std::vector<uint8_t> Zero(64, 0);
    E.LoadSignature(Zero.data(), Zero.size());
    EXPECT_FALSE(E.VerifyString("abc"));
}

TEST(TRSAEngineKey, Parsing)
{
    struct Case { const char* Name; std::string Hex; std::string Result; } Cases[] = {
        {"minimal", "3006020105020103", ""},
        {"bytes after the exponent", "3006020105020103ffff", ""},
        {"outer length not compared", "3084ffffffff020105020103", ""},
        {"class bits ignored", "b006220105420103", ""},
        {"empty", "", "Invalid Asymmetric Key"},
        {"outer INTEGER", "0206020105020103", "Invalid RSA Key"},
        {"outer length cut", "3081", "Invalid Asymmetric Key"},
        {"element not an INTEGER", "3006040105020103", "Invalid Asymmetric Key"},
        {"ends inside the exponent", "300902010502030100", "Invalid Asymmetric Key"},
        {"ends before the exponent", "3003020105", "Invalid Asymmetric Key"},
        {"length beyond the data", "3006020905020103", "Invalid Asymmetric Key"},
        {"huge long-form length", "300602880102030405060708", "Invalid Asymmetric Key"},
        {"very long length field", "3006029f" + std::string(62, 'f'), "Invalid Asymmetric Key"},
    };
    for (const auto& C : Cases) {
        TRSAEngineKey K;
        std::vector<uint8_t> B = HexBytes(C.Hex);
        TMemoryStream S(B);
        std::string Msg = MessageOf([&] { K.LoadFromStream(S); });
        EXPECT_EQ(Msg, C.Result.empty() ? "no exception" : C.Result) << C.Name;
        if (C.Result.empty()) {
            EXPECT_EQ(K.Modulus.Bytes(), std::vector<uint8_t>{5}) << C.Name;
            EXPECT_EQ(K.Exponent.Bytes(), std::vector<uint8_t>{3}) << C.Name;
        }
    }
}

TEST(TRSAEngineKey, StreamSizeLimit)
{
    std::vector<uint8_t> B = HexBytes("3006020105020103");
    B.resize(MaxKeyStreamSize, 0);
    TRSAEngineKey K;
    TMemoryStream Fits(B);
    EXPECT_NO_THROW(K.LoadFromStream(Fits));
    B.push_back(0);
    TMemoryStream TooLong(B);
    EXPECT_EQ(MessageOf([&] { K.LoadFromStream(TooLong); }), "Invalid Asymmetric Key");
}

// The guard byte in front of a first content byte above 0x80, and numbers that come back unchanged.
TEST(TRSAEngineKey, GuardByteRoundTrip)
{
    struct Case { const char *Name, *Modulus, *Encoded; } Cases[] = {
        {"0x81 gets a guard", "81aa", "300802030081aa020103"},
        {"0x80 does not", "80aa", "3007020280aa020103"},
        {"zero then 0x80", "0080", "3007020200800201 03"},
    };
    for (const auto& C : Cases) {
        TRSAEngineKey K;
        SetNumber(K.Modulus, C.Modulus);
        SetNumber(K.Exponent, "03");
        std::string Expected = C.Encoded;
        Expected.erase(std::remove(Expected.begin(), Expected.end(), ' '), Expected.end());
        TMemoryStream S;
        K.SaveToStream(S);
        EXPECT_EQ(S.Bytes(), HexBytes(Expected)) << C.Name;
        TRSAEngineKey Back;
        Back.LoadFromStream(S);
        EXPECT_EQ(Back.Modulus.Bytes(), HexBytes(C.Modulus)) << C.Name;
    }
}

TEST(TRSAEngine, OversizedKeyFailsVerificationWithoutHanging)
{
    TRSAEngine E;
    std::vector<uint8_t> Big(4000, 0xFF);
    E.PublicKey().Modulus.LoadFromBytes(Big.data(), Big.size());
    E.PublicKey().Exponent.LoadFromBytes(Big.data(), Big.size());
    std::vector<uint8_t> Sig(64, 0x42);
    E.LoadSignature(Sig.data(), Sig.size());
    EXPECT_FALSE(E.VerifyString("abc"));
}

TEST(TRSAEngine, GeneratedKeysSignVerifyAndEncodeAsTheResource)
{
    TRSAEngine E;
    E.GenerateKeys();
    EXPECT_EQ(E.PublicKey().Modulus.Size(), 64u);
    EXPECT_EQ(E.PublicKey().Modulus.SignificantSize(), 64u);
    EXPECT_TRUE(E.PublicKey().Modulus.IsOdd());
    EXPECT_EQ(E.PublicKey().Exponent.Bytes(), HexBytes("010001"));

    TMemoryStream Pub;
    E.PublicKey().SaveToStream(Pub);
    ASSERT_EQ(Pub.Size(), 73);
    EXPECT_EQ(std::vector<uint8_t>(Pub.Bytes().begin(), Pub.Bytes().begin() + 4), HexBytes("30470240"));
    EXPECT_EQ(std::vector<uint8_t>(Pub.Bytes().end() - 5, Pub.Bytes().end()), HexBytes("0203010001"));

    E.SignString("payload");
    EXPECT_TRUE(E.VerifyString("payload"));
    EXPECT_FALSE(E.VerifyString("payloae"));

    // The saved pair loads into another engine and verifies the same way.
    TMemoryStream Priv;
    E.PrivateKey().SaveToStream(Priv);
    TRSAEngine F;
    F.PrivateKey().LoadFromStream(Priv);
    F.PublicKey().LoadFromStream(Pub);
    F.SignString("other");
    EXPECT_TRUE(F.VerifyString("other"));
    std::vector<uint8_t> Sig = F.StoreSignature(64);
    E.LoadSignature(Sig.data(), Sig.size());
    EXPECT_TRUE(E.VerifyString("other"));

    TRSAEngine G;
    G.GenerateKeys();
    EXPECT_NE(G.PublicKey().Modulus.Bytes(), E.PublicKey().Modulus.Bytes());
}

// Damaged key files end in the parser's messages; a damaged key that still parses only makes
// verification fail.
TEST(TRSAEngineKey, DamagedKeysNeverCrash)
{
    const std::vector<uint8_t> Key = HexBytes("30470240" + std::string(ModulusLE) + "0203010001");
    const std::vector<uint8_t> Sig = HexBytes(SignatureOfAbcLE);
    auto Try = [&](const std::vector<uint8_t>& Bytes, const std::string& What) {
        TRSAEngine E;
        TMemoryStream S(Bytes);
        std::string Load = MessageOf([&] { E.PublicKey().LoadFromStream(S); });
        if (Load != "no exception") {
            EXPECT_TRUE(Load == "Invalid RSA Key" || Load == "Invalid Asymmetric Key") << What << ": " << Load;
            return;
        }
        E.LoadSignature(Sig.data(), Sig.size());
        std::string Verify = MessageOf([&] { E.VerifyString("abc"); });
        EXPECT_TRUE(Verify == "no exception" || Verify == "Invalid RSA public key") << What << ": " << Verify;
    };
    for (size_t I = 0; I < Key.size(); ++I) {
        for (uint8_t Mask : {0x01, 0x80, 0xFF}) {
            auto B = Key;
            B[I] ^= Mask;
            Try(B, "flip " + std::to_string(I));
        }
        Try(std::vector<uint8_t>(Key.begin(), Key.begin() + static_cast<ptrdiff_t>(I)), "cut " + std::to_string(I));
    }
}
