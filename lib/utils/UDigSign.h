// The signature scheme of distributive files: an abstract scheme with a private and a public key
// object, and its RSA form (512-bit keys, MD5 digest, a 64-byte signature block holding the signature
// least significant byte first). The reader verifies with the public key; the release tool signs.
#pragma once

#include <memory>
#include <string>

#include "crypto/RSAEngine.h"

class TStream;

// A key that can be loaded from and saved to a stream or a file.
class TDigSignKey {
public:
    virtual ~TDigSignKey() = default;
    // The file LoadFromFile and SaveToFile use when they are given no name.
    std::string FileName;

    virtual void LoadFromStream(TStream& Stream) = 0;
    virtual void SaveToStream(TStream& Stream) = 0;
    // Opens FileName (or this key's FileName when empty) for reading, denying writers.
    virtual void LoadFromFile(const std::string& FileName = "");
    // Creates or truncates FileName (or this key's FileName when empty).
    virtual void SaveToFile(const std::string& FileName = "");
};

// A key object over one of the engine's keys, which it does not own.
class TRSAKey : public TDigSignKey {
public:
    explicit TRSAKey(TRSAEngineKey* Key);
    // The whole stream from position 0, in the key encoding; parse errors are the engine's
    // ("Invalid RSA Key", "Invalid Asymmetric Key").
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;

private:
    TRSAEngineKey* FKey;
};

class TDigSign {
public:
    virtual ~TDigSign() = default;
    TDigSign(const TDigSign&) = delete;
    TDigSign& operator=(const TDigSign&) = delete;

    TDigSignKey& PrivateKey() { return *FPrivateKey; }
    TDigSignKey& PublicKey() { return *FPublicKey; }

    virtual std::unique_ptr<TDigSignKey> CreatePrivateKey() = 0;
    virtual std::unique_ptr<TDigSignKey> CreatePublicKey() = 0;
    // A new key pair; the base has none to make.
    virtual void GenerateKeys() {}
    // Length of the signature block at the end of a signed file.
    virtual int SignatureLength() = 0;
    // Signs Source from its position to its end and writes the signature block into Dest, at DestPos
    // when that is not negative, else at Dest's position.
    virtual void SignStream(TStream& Source, TStream& Dest, int64_t DestPos) = 0;
    // Reads the signature block from SigSource (at SigPos when not negative) and verifies the bytes
    // of Data from DataPos (when not negative) to its end.
    virtual bool VerifyStream(TStream& Data, TStream& SigSource, int64_t DataPos, int64_t SigPos) = 0;
    // Verifies a whole file whose last SignatureLength bytes are the signature block.
    virtual bool VerifyFile(const std::string& FileName);

    // Re-creates both key objects; each keeps the file name of the one it replaces (on first creation
    // the program's directory + "private.key" / "public.key").
    void CreateKeyObjects();
    // A stream whose last SignatureLength bytes are the signature over everything before them.
    bool VerifyWholeStream(TStream& Source);

protected:
    TDigSign() = default;

    std::unique_ptr<TDigSignKey> FPrivateKey, FPublicKey;
};

class TRSASSA : public TDigSign {
public:
    TRSASSA();

    TRSAEngine& Engine() { return *FEngine; }

    std::unique_ptr<TDigSignKey> CreatePrivateKey() override;
    std::unique_ptr<TDigSignKey> CreatePublicKey() override;
    void GenerateKeys() override;
    int SignatureLength() override;
    void SignStream(TStream& Source, TStream& Dest, int64_t DestPos) override;
    bool VerifyStream(TStream& Data, TStream& SigSource, int64_t DataPos, int64_t SigPos) override;
    // Over a read-only mapping of the file, hashed in one pass. False for files of 64 bytes or less
    // and for any signature that does not verify; raises only for a missing public key ("Invalid RSA
    // public key") or a file that cannot be mapped.
    bool VerifyFile(const std::string& FileName) override;

    // The signature as exactly 64 bytes, least significant first.
    void WriteSignature(TStream& Stream);
    // Exactly 64 bytes (a short read raises EReadError).
    void ReadSignature(TStream& Stream);

private:
    // Freed before the base frees the key objects, which only point into it.
    std::unique_ptr<TRSAEngine> FEngine;
};
