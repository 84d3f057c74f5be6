#include "utils/UDigSign.h"

#include "platform/Classes.h"
#include "platform/SysUtils.h"
#include "utils/UFileMapView.h"
#include "utils/UFileUtils.h"

namespace {
const int RSASignatureLength = 64;
}

void TDigSignKey::LoadFromFile(const std::string& FileName)
{
    TFileStream F(FileName.empty() ? this->FileName : FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(F);
}

void TDigSignKey::SaveToFile(const std::string& FileName)
{
    TFileStream F(FileName.empty() ? this->FileName : FileName, fmCreate);
    SaveToStream(F);
}

TRSAKey::TRSAKey(TRSAEngineKey* Key) : FKey(Key)
{
    Assert(FKey != nullptr, "TRSAKey.Create: no engine key");
}

void TRSAKey::LoadFromStream(TStream& Stream)
{
    FKey->LoadFromStream(Stream);
}

void TRSAKey::SaveToStream(TStream& Stream)
{
    FKey->SaveToStream(Stream);
}

bool TDigSign::VerifyFile(const std::string& FileName)
{
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    return VerifyWholeStream(F);
}

void TDigSign::CreateKeyObjects()
{
    std::string PrivateName = FPrivateKey ? FPrivateKey->FileName : GetExeDir() + "private.key";
    std::string PublicName = FPublicKey ? FPublicKey->FileName : GetExeDir() + "public.key";
    FPrivateKey.reset();
    FPublicKey.reset();
    FPrivateKey = CreatePrivateKey();
    FPublicKey = CreatePublicKey();
    FPrivateKey->FileName = PrivateName;
    FPublicKey->FileName = PublicName;
}

bool TDigSign::VerifyWholeStream(TStream& Source)
{
    const int64_t Size = Source.Size();
    const int SigLen = SignatureLength();
    if (Size < SigLen) return false;
    TMemoryStream Data;
    if (Size > SigLen) Data.CopyFrom(Source, Size - SigLen);
    return VerifyStream(Data, Source, 0, Size - SigLen);
}

TRSASSA::TRSASSA() : FEngine(std::make_unique<TRSAEngine>(aks512))
{
    // The key objects refer to the engine's keys, so they come after it.
    CreateKeyObjects();
}

std::unique_ptr<TDigSignKey> TRSASSA::CreatePrivateKey()
{
    return std::make_unique<TRSAKey>(&FEngine->PrivateKey());
}

std::unique_ptr<TDigSignKey> TRSASSA::CreatePublicKey()
{
    return std::make_unique<TRSAKey>(&FEngine->PublicKey());
}

void TRSASSA::GenerateKeys()
{
    FEngine->GenerateKeys();
    CreateKeyObjects();
}

int TRSASSA::SignatureLength()
{
    size_t N = FEngine->Signature().Size();
    Assert(N == 0 || N == RSASignatureLength, "TRSASSA.SignatureLength: signature of unexpected length");
    return RSASignatureLength;
}

void TRSASSA::SignStream(TStream& Source, TStream& Dest, int64_t DestPos)
{
    FEngine->SignStream(Source);
    if (DestPos >= 0) Dest.SetPosition(DestPos);
    WriteSignature(Dest);
}

bool TRSASSA::VerifyStream(TStream& Data, TStream& SigSource, int64_t DataPos, int64_t SigPos)
{
    if (SigPos >= 0) SigSource.SetPosition(SigPos);
    ReadSignature(SigSource);
    if (DataPos >= 0) Data.SetPosition(DataPos);
    return FEngine->VerifyStream(Data);
}

bool TRSASSA::VerifyFile(const std::string& FileName)
{
    TFileMapView View(FileName);
    const int32_t Size = View.Size();
    if (Size <= RSASignatureLength) return false;
    FEngine->LoadSignature(View.Access(Size - RSASignatureLength, RSASignatureLength), RSASignatureLength);
    return FEngine->VerifyBuffer(View.Access(0, Size - RSASignatureLength), static_cast<size_t>(Size - RSASignatureLength));
}

void TRSASSA::WriteSignature(TStream& Stream)
{
    std::vector<uint8_t> Bytes = FEngine->StoreSignature(RSASignatureLength);
    Stream.WriteBuffer(Bytes.data(), RSASignatureLength);
}

void TRSASSA::ReadSignature(TStream& Stream)
{
    uint8_t Bytes[RSASignatureLength];
    Stream.ReadBuffer(Bytes, RSASignatureLength);
    FEngine->LoadSignature(Bytes, RSASignatureLength);
}
