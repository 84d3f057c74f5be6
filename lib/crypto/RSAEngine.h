// The RSA engine under the signature scheme: keys in their tag-length-value encoding, the padded
// block, signing and verification with an MD5 (or SHA-1) digest. All numbers are read from and
// written to bytes least significant byte first. Engine failures are plain Exception objects with the
// engine's texts ("Invalid RSA Key", "RSA decoding error: ...").
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "crypto/BigInt.h"

class TStream;

enum TAsymKeySize { aks128, aks256, aks512, aks768, aks1024 };
// 16, 32, 64, 96 or 128 bytes.
size_t AsymKeySizeBytes(TAsymKeySize KeySize);

enum TRSAHashMethod { hmMD5, hmSHA1 };

// Longest key stream a key may be loaded from.
constexpr size_t MaxKeyStreamSize = 4097;

class TAsymmetricKey {
public:
    explicit TAsymmetricKey(TAsymKeySize KeySize) : FKeySize(KeySize) {}
    virtual ~TAsymmetricKey() = default;
    TAsymKeySize KeySize() const { return FKeySize; }
    // Parses a whole stream from position 0 (at most MaxKeyStreamSize bytes).
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;
    virtual void LoadFromBytes(const uint8_t* Data, size_t Count) = 0;
    virtual std::vector<uint8_t> SaveToBytes() const = 0;

private:
    TAsymKeySize FKeySize;
};

// Modulus and exponent (public or private, depending on which key of the pair this is).
class TRSAEngineKey : public TAsymmetricKey {
public:
    explicit TRSAEngineKey(TAsymKeySize KeySize = aks512);
    TBigInt Modulus;
    TBigInt Exponent;
    // A SEQUENCE of two INTEGERs, modulus first. Raises "Invalid RSA Key" when the outer element is no
    // SEQUENCE and "Invalid Asymmetric Key" for anything else that does not fit; on failure the key
    // keeps its previous numbers.
    void LoadFromBytes(const uint8_t* Data, size_t Count) override;
    std::vector<uint8_t> SaveToBytes() const override;
};

class TSignatureEngine {
public:
    explicit TSignatureEngine(TAsymKeySize KeySize) : FKeySize(KeySize) {}
    virtual ~TSignatureEngine() = default;
    TAsymKeySize KeySize() const { return FKeySize; }

    virtual void SignBuffer(const void* Data, size_t Count) = 0;
    virtual bool VerifyBuffer(const void* Data, size_t Count) = 0;
    virtual void SignStream(TStream& Stream) = 0;
    virtual bool VerifyStream(TStream& Stream) = 0;
    virtual void GenerateKeys() = 0;

    void SignString(const std::string& S) { SignBuffer(S.data(), S.size()); }
    bool VerifyString(const std::string& S) { return VerifyBuffer(S.data(), S.size()); }
    void SignFile(const std::string& FileName);
    bool VerifyFile(const std::string& FileName);

private:
    TAsymKeySize FKeySize;
};

class TRSAEngine : public TSignatureEngine {
public:
    explicit TRSAEngine(TAsymKeySize KeySize = aks512);

    TRSAEngineKey& PrivateKey() { return *FPrivateKey; }
    TRSAEngineKey& PublicKey() { return *FPublicKey; }
    // The signature: written by signing, read by verification (which also overwrites it).
    TBigInt& Signature() { return FSignature; }
    // The signature as exactly Count bytes, least significant first, zero bytes added at the top.
    std::vector<uint8_t> StoreSignature(size_t Count) const;
    void LoadSignature(const void* Data, size_t Count);

    TRSAHashMethod HashMethod = hmMD5;
    int PrimeTestIterations = 20;

    // Without a private key: "Invalid RSA private key".
    void SignBuffer(const void* Data, size_t Count) override;
    // Without a public key: "Invalid RSA public key". A signature that does not decode is false.
    bool VerifyBuffer(const void* Data, size_t Count) override;
    void SignStream(TStream& Stream) override;  // from the stream's position to its end
    bool VerifyStream(TStream& Stream) override;
    // A new pair in new key objects: primes of half the key length each (Miller-Rabin with
    // PrimeTestIterations rounds), public exponent 65537.
    void GenerateKeys() override;

    // The RSA operation block by block over the modulus' size; exposed for tests.
    static TBigInt Apply(const TBigInt& Value, const TBigInt& Exponent, const TBigInt& Modulus);
    // Padding of block type 1 above the data, up to the block's capacity.
    static void EncodeBlock(TBigInt& Block);
    // The message below the first zero byte under the block type byte.
    static std::vector<uint8_t> DecodeBlock(const TBigInt& Block);

private:
    std::vector<uint8_t> Digest(const void* Data, size_t Count) const;
    std::vector<uint8_t> DigestStream(TStream& Stream) const;
    void SignDigest(const std::vector<uint8_t>& D);
    bool VerifyDigest(const std::vector<uint8_t>& D);

    std::unique_ptr<TRSAEngineKey> FPrivateKey, FPublicKey;
    TBigInt FSignature;
};
