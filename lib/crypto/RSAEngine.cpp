#include "crypto/RSAEngine.h"

#include <algorithm>
#include <cstring>

#include "crypto/MD5.h"
#include "crypto/SHA1.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

namespace {

const char* const SInvalidRSAKey = "Invalid RSA Key";
const char* const SInvalidAsymKey = "Invalid Asymmetric Key";
const uint8_t TagSequence = 16, TagInteger = 2;

class TKeyReader {
public:
    TKeyReader(const uint8_t* Data, size_t Count) : FData(Data), FCount(Count) {}

    uint8_t ReadByte()
    {
        if (FPos >= FCount) throw Exception(SInvalidAsymKey);
        return FData[FPos++];
    }
    // Short form below 128, else the low seven bits count the length bytes that follow (most
    // significant first). Lengths beyond any real key saturate rather than wrap, so that the range
    // checks that follow refuse them.
    uint64_t ReadLength()
    {
        uint8_t B = ReadByte();
        if (B < 0x80) return B;
        uint64_t L = 0;
        for (int n = B & 0x7F; n > 0; --n) {
            uint8_t Next = ReadByte();
            L = L > (UINT64_MAX >> 8) ? UINT64_MAX : (L << 8) | Next;
        }
        return L;
    }
    void ReadInteger(TBigInt& Number)
    {
        uint8_t Id = ReadByte();
        uint64_t L = ReadLength();
        if ((Id & 0x1F) != TagInteger || L > FCount - FPos) throw Exception(SInvalidAsymKey);
        const uint8_t* P = FData + FPos;
        size_t N = static_cast<size_t>(L);
        FPos += N;
        // The guard byte a writer puts in front of a first content byte above 0x80.
        if (N >= 2 && P[0] == 0 && P[1] > 0x80) {
            ++P;
            --N;
        }
        Number.LoadFromBytes(P, N);
    }

private:
    const uint8_t* FData;
    size_t FCount;
    size_t FPos = 0;
};

void WriteLength(std::vector<uint8_t>& Out, size_t L)
{
    if (L < 0x80) {
        Out.push_back(static_cast<uint8_t>(L));
        return;
    }
    uint8_t Bytes[sizeof(size_t)];
    int n = 0;
    for (size_t V = L; V; V >>= 8) Bytes[n++] = static_cast<uint8_t>(V);
    Out.push_back(static_cast<uint8_t>(0x80 | n));
    while (n) Out.push_back(Bytes[--n]);
}

std::vector<uint8_t> EncodeInteger(const TBigInt& Number)
{
    std::vector<uint8_t> Contents = Number.Bytes();
    // A first content byte above 0x80 gets a 0x00 guard in front. (A number whose lowest byte is 0x00
    // with one above 0x80 next has no encoding a reader gets back; key numbers are odd, so none is.)
    if (!Contents.empty() && Contents[0] > 0x80) Contents.insert(Contents.begin(), 0);
    std::vector<uint8_t> Out{0x02};
    WriteLength(Out, Contents.size());
    Out.insert(Out.end(), Contents.begin(), Contents.end());
    return Out;
}

} // namespace

size_t AsymKeySizeBytes(TAsymKeySize KeySize)
{
    static const size_t Bytes[] = {16, 32, 64, 96, 128};
    return Bytes[KeySize];
}

void TAsymmetricKey::LoadFromStream(TStream& Stream)
{
    int64_t Size = Stream.Size();
    if (Size > static_cast<int64_t>(MaxKeyStreamSize)) throw Exception(SInvalidAsymKey);
    // A fixed work buffer, wiped before and after, so key material leaves no copies behind.
    uint8_t Buffer[MaxKeyStreamSize];
    std::memset(Buffer, 0, sizeof(Buffer));
    struct TWipe {
        uint8_t* P;
        ~TWipe()
        {
            volatile uint8_t* V = P;  // volatile, so the wipe of a dying buffer is not optimised away
            for (size_t i = 0; i < MaxKeyStreamSize; ++i) V[i] = 0;
        }
    } Wipe{Buffer};
    Stream.SetPosition(0);
    Stream.ReadBuffer(Buffer, static_cast<int32_t>(Size));
    LoadFromBytes(Buffer, static_cast<size_t>(Size));
}

void TAsymmetricKey::SaveToStream(TStream& Stream) const
{
    std::vector<uint8_t> Bytes = SaveToBytes();
    Stream.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
}

TRSAEngineKey::TRSAEngineKey(TAsymKeySize KeySize)
    : TAsymmetricKey(KeySize), Modulus(AsymKeySizeBytes(KeySize)), Exponent(AsymKeySizeBytes(KeySize))
{
}

void TRSAEngineKey::LoadFromBytes(const uint8_t* Data, size_t Count)
{
    TKeyReader R(Data, Count);
    uint8_t Id = R.ReadByte();
    R.ReadLength();  // the outer length is not compared with the data
    if ((Id & 0x1F) != TagSequence) throw Exception(SInvalidRSAKey);
    TBigInt M(AsymKeySizeBytes(KeySize())), E(AsymKeySizeBytes(KeySize()));
    R.ReadInteger(M);
    R.ReadInteger(E);
    Modulus = std::move(M);
    Exponent = std::move(E);
}

std::vector<uint8_t> TRSAEngineKey::SaveToBytes() const
{
    std::vector<uint8_t> Body = EncodeInteger(Modulus), E = EncodeInteger(Exponent);
    Body.insert(Body.end(), E.begin(), E.end());
    std::vector<uint8_t> Out{0x30};
    WriteLength(Out, Body.size());
    Out.insert(Out.end(), Body.begin(), Body.end());
    return Out;
}

void TSignatureEngine::SignFile(const std::string& FileName)
{
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    SignStream(F);
}

bool TSignatureEngine::VerifyFile(const std::string& FileName)
{
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    return VerifyStream(F);
}

TRSAEngine::TRSAEngine(TAsymKeySize KeySize)
    : TSignatureEngine(KeySize), FPrivateKey(std::make_unique<TRSAEngineKey>(KeySize)),
      FPublicKey(std::make_unique<TRSAEngineKey>(KeySize)), FSignature(AsymKeySizeBytes(KeySize))
{
}

std::vector<uint8_t> TRSAEngine::StoreSignature(size_t Count) const
{
    std::vector<uint8_t> Out(Count, 0);
    FSignature.StoreToBytes(Out.data(), Count);
    return Out;
}

void TRSAEngine::LoadSignature(const void* Data, size_t Count)
{
    FSignature.LoadFromBytes(Data, Count);
}

std::vector<uint8_t> TRSAEngine::Digest(const void* Data, size_t Count) const
{
    if (HashMethod == hmSHA1) {
        TSHA1Digest D = SHA1Buffer(Data, Count);
        return {D.begin(), D.end()};
    }
    TMD5Digest D = MD5Buffer(Data, Count);
    return {D.begin(), D.end()};
}

std::vector<uint8_t> TRSAEngine::DigestStream(TStream& Stream) const
{
    TMD5 M;
    TSHA1 S;
    std::vector<uint8_t> Buf(64 * 1024);
    for (;;) {
        int32_t N = Stream.Read(Buf.data(), static_cast<int32_t>(Buf.size()));
        if (N <= 0) break;
        if (HashMethod == hmSHA1) S.Update(Buf.data(), static_cast<size_t>(N));
        else M.Update(Buf.data(), static_cast<size_t>(N));
    }
    if (HashMethod == hmSHA1) {
        TSHA1Digest D = S.Final();
        return {D.begin(), D.end()};
    }
    TMD5Digest D = M.Final();
    return {D.begin(), D.end()};
}

TBigInt TRSAEngine::Apply(const TBigInt& Value, const TBigInt& Exponent, const TBigInt& Modulus)
{
    // Keys of the largest key size are 1024 bits; anything longer is malformed, and refusing it keeps a
    // hostile key from turning one verification into minutes of arithmetic.
    if (Modulus.SignificantSize() > 128 || Exponent.SignificantSize() > 128)
        throw Exception("RSA error: key longer than 1024 bits");
    const size_t K = Modulus.Size();
    TBigInt V = Value, Out(Value.Capacity());
    // The value is taken in pieces of the modulus' size, lowest first; one piece for real signatures.
    do {
        const size_t Take = std::min(V.Size(), K);
        TBigInt R = TBigInt::ModPow(V.LowBytes(Take), Exponent, Modulus);
        R.Trim();
        if (R.Size() == 0) R.AppendByte(0);
        for (uint8_t B : R.Bytes()) Out.AppendByte(B);
        V.ShiftDownBytes(Take);
    } while (V.Size() > 0);
    return Out;
}

void TRSAEngine::EncodeBlock(TBigInt& Block)
{
    const size_t Cap = Block.Capacity();
    if (Block.Size() + 11 > Cap) throw Exception("RSA encoding error: too much data for block");
    Block.AppendByte(0x00);
    while (Cap - Block.Size() > 2) Block.AppendByte(0xFF);
    Block.AppendByte(0x01);
    Block.AppendByte(0x00);
}

std::vector<uint8_t> TRSAEngine::DecodeBlock(const TBigInt& Block)
{
    const size_t L = Block.SignificantSize();
    if (L <= 10) throw Exception("RSA decoding error: Block too small");
    if (L > 128) throw Exception("RSA decoding error: Block too large");
    const auto& B = Block.Bytes();  // B[i] is b(i+1)
    if (B[L - 1] != 1 && B[L - 1] != 2) throw Exception("RSA decoding error: Invalid block type");
    for (size_t i = L - 1; i-- > 0;)
        if (B[i] == 0) return {B.begin(), B.begin() + static_cast<ptrdiff_t>(i)};
    throw Exception("RSA decoding error: Invalid block format");
}

void TRSAEngine::SignDigest(const std::vector<uint8_t>& D)
{
    if (!FPrivateKey->Modulus.HoldsNumber()) throw Exception("Invalid RSA private key");
    const size_t Len = AsymKeySizeBytes(KeySize());
    TBigInt Block(Len);
    Block.LoadFromBytes(D.data(), D.size());
    EncodeBlock(Block);
    TBigInt S = Apply(Block, FPrivateKey->Exponent, FPrivateKey->Modulus);
    S.ZeroExtend(Len);
    FSignature = std::move(S);
}

bool TRSAEngine::VerifyDigest(const std::vector<uint8_t>& D)
{
    std::vector<uint8_t> Message;
    try {
        Message = DecodeBlock(Apply(FSignature, FPublicKey->Exponent, FPublicKey->Modulus));
    } catch (const Exception&) {
        return false;
    }
    std::vector<uint8_t> R(D.size(), 0);
    std::copy_n(Message.begin(), std::min(Message.size(), D.size()), R.begin());
    return R == D;
}

void TRSAEngine::SignBuffer(const void* Data, size_t Count)
{
    if (!FPrivateKey->Modulus.HoldsNumber()) throw Exception("Invalid RSA private key");
    SignDigest(Digest(Data, Count));
}

bool TRSAEngine::VerifyBuffer(const void* Data, size_t Count)
{
    if (!FPublicKey->Modulus.HoldsNumber()) throw Exception("Invalid RSA public key");
    return VerifyDigest(Digest(Data, Count));
}

void TRSAEngine::SignStream(TStream& Stream)
{
    if (!FPrivateKey->Modulus.HoldsNumber()) throw Exception("Invalid RSA private key");
    SignDigest(DigestStream(Stream));
}

bool TRSAEngine::VerifyStream(TStream& Stream)
{
    if (!FPublicKey->Modulus.HoldsNumber()) throw Exception("Invalid RSA public key");
    return VerifyDigest(DigestStream(Stream));
}

void TRSAEngine::GenerateKeys()
{
    const size_t Len = AsymKeySizeBytes(KeySize());
    const size_t HalfBits = Len * 4;
    const uint32_t E = 65537;
    const TBigInt One = TBigInt::FromUInt(1);

    // A prime of HalfBits bits with its two top bits set, so that the product of two has the full
    // key length, and with P - 1 prime to E, so that E is invertible.
    auto NewPrime = [&] {
        for (;;) {
            TBigInt P = TBigInt::Random(HalfBits);
            std::vector<uint8_t> B = P.Bytes();
            B.back() |= 0xC0;
            B[0] |= 1;
            P.LoadFromBytes(B.data(), B.size());
            if ((P - One).ModSmall(E) != 0 && P.IsProbablePrime(PrimeTestIterations)) return P;
        }
    };

    TBigInt P = NewPrime(), Q, N;
    for (;;) {
        Q = NewPrime();
        if (Compare(P, Q) == 0) continue;
        N = P * Q;
        N.ZeroExtend(Len);
        // A modulus whose lowest byte is above 0x80 would be written with a guard byte, one more
        // than the fixed 64 content bytes the public key resource is laid out with.
        if (N.Size() == Len && N.Bytes()[0] <= 0x80) break;
    }
    // D = E^-1 mod Phi: D = (1 + K * Phi) / E with K * Phi = -1 (mod E), found with small numbers.
    TBigInt Phi = (P - One) * (Q - One);
    int64_t R0 = E, R1 = Phi.ModSmall(E), T0 = 0, T1 = 1;
    while (R1) {
        int64_t Qt = R0 / R1, Tmp = R0 - Qt * R1;
        R0 = R1;
        R1 = Tmp;
        Tmp = T0 - Qt * T1;
        T0 = T1;
        T1 = Tmp;
    }
    Assert(R0 == 1, "TRSAEngine.GenerateKeys: exponent not invertible");
    int64_t PhiInv = ((T0 % E) + E) % E;  // Phi^-1 mod E
    uint32_t K = static_cast<uint32_t>((E - PhiInv) % E);
    TBigInt D = (One + TBigInt::FromUInt(K) * Phi).DivSmall(E);
    Assert(D.IsOdd(), "TRSAEngine.GenerateKeys: even private exponent");

    auto Pub = std::make_unique<TRSAEngineKey>(KeySize());
    auto Priv = std::make_unique<TRSAEngineKey>(KeySize());
    Pub->Modulus = N;
    Pub->Exponent = TBigInt::FromUInt(E);
    Priv->Modulus = N;
    Priv->Exponent = D;
    FPublicKey = std::move(Pub);
    FPrivateKey = std::move(Priv);
}
