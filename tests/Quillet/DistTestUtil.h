// Building and tampering with distributive files for the reader's tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "DistWriter.h"
#include "Quillet/UDist.h"
#include "crypto/TestKeys.h"
#include "platform/Classes.h"
#include "utils/UFileUtils.h"

// Names written as on Windows ("C:\App\bin\x"); natively without the drive and with "/".
inline std::string P(std::string S)
{
#ifndef _WIN32
    if (S.size() >= 2 && S[1] == ':') S = S.substr(2);
    for (char& C : S)
        if (C == '\\') C = '/';
#endif
    return S;
}

// "Class: message" of what F raises, or "ok".
inline std::string Outcome(const std::function<void()>& F)
{
    try {
        F();
    } catch (const Exception& E) {
        return std::string(E.ClassName()) + ": " + E.Message();
    }
    return "ok";
}

inline std::string Display(const std::string& FileName)
{
    return GetDisplayFileName(FileName);
}

// Content with text-like and random-looking stretches, so that every method has work to do.
inline std::vector<uint8_t> SampleContent(size_t Size, unsigned Variant = 7)
{
    std::vector<uint8_t> D(Size);
    uint32_t X = Variant;
    for (size_t I = 0; I < Size; ++I) {
        X = X * 1103515245 + 12345;
        D[I] = (I / 64) % 2 ? static_cast<uint8_t>(X >> 16) : static_cast<uint8_t>("signed body "[I % 12]);
    }
    return D;
}

class TTestSigner {
public:
    TTestSigner() { LoadTestKey(FSigner.PrivateKey(), TestPrivateKeyHex); }
    std::vector<uint8_t> Build(const std::vector<uint8_t>& Content, TDistMethod Method = TDistMethod::BZip2,
                               const std::string& Version = "1.2.3.4")
    {
        TFileVersion V;
        ParseVersion(Version, V);
        return BuildDist(Content, Method, V, FSigner);
    }
    // Bytes followed by a fresh signature over them: tampered files that still pass the signature.
    std::vector<uint8_t> Sign(std::vector<uint8_t> Bytes)
    {
        TMemoryStream S(std::move(Bytes));
        int64_t End = S.Size();
        S.SetPosition(0);
        FSigner.SignStream(S, S, End);
        return S.Bytes();
    }
    // A distributive file changed by Edit (applied to everything before the signature) and signed again.
    std::vector<uint8_t> Resign(const std::vector<uint8_t>& Dist, const std::function<void(std::vector<uint8_t>&)>& Edit)
    {
        std::vector<uint8_t> B(Dist.begin(), Dist.end() - 64);
        Edit(B);
        return Sign(B);
    }

private:
    TRSASSA FSigner;
};

inline void PutLe32(std::vector<uint8_t>& B, size_t Ofs, uint32_t V)
{
    for (int I = 0; I < 4; ++I) B[Ofs + I] = static_cast<uint8_t>(V >> (8 * I));
}
