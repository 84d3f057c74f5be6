#include "crypto/BigInt.h"

#include <algorithm>
#include <cstring>

#include "crypto/Random.h"
#include "platform/SysUtils.h"

namespace {

// The arithmetic works on 32-bit limbs, least significant first, without zero limbs at the top
// (zero is the empty vector); 64-bit intermediates keep it correct on 32- and 64-bit targets alike.
using TLimbs = std::vector<uint32_t>;

void Normalize(TLimbs& A)
{
    while (!A.empty() && A.back() == 0) A.pop_back();
}

void RequireNumber(const TBigInt& A)
{
    if (!A.HoldsNumber()) throw Exception("No Number");
}

TLimbs ToLimbs(const TBigInt& A)
{
    RequireNumber(A);
    const auto& B = A.Bytes();
    TLimbs L((B.size() + 3) / 4, 0);
    for (size_t i = 0; i < B.size(); ++i) L[i / 4] |= uint32_t(B[i]) << (8 * (i % 4));
    Normalize(L);
    return L;
}

TBigInt FromLimbs(const TLimbs& L)
{
    std::vector<uint8_t> B(L.size() * 4);
    for (size_t i = 0; i < B.size(); ++i) B[i] = static_cast<uint8_t>(L[i / 4] >> (8 * (i % 4)));
    while (B.size() > 1 && B.back() == 0) B.pop_back();
    if (B.empty()) B.push_back(0);
    TBigInt R(B.size());
    R.LoadFromBytes(B.data(), B.size());
    return R;
}

int Cmp(const TLimbs& A, const TLimbs& B)
{
    if (A.size() != B.size()) return A.size() < B.size() ? -1 : 1;
    for (size_t i = A.size(); i-- > 0;)
        if (A[i] != B[i]) return A[i] < B[i] ? -1 : 1;
    return 0;
}

TLimbs Add(const TLimbs& A, const TLimbs& B)
{
    const TLimbs& L = A.size() >= B.size() ? A : B;
    const TLimbs& S = A.size() >= B.size() ? B : A;
    TLimbs R(L.size() + 1);
    uint64_t Carry = 0;
    for (size_t i = 0; i < L.size(); ++i) {
        uint64_t T = uint64_t(L[i]) + (i < S.size() ? S[i] : 0) + Carry;
        R[i] = static_cast<uint32_t>(T);
        Carry = T >> 32;
    }
    R[L.size()] = static_cast<uint32_t>(Carry);
    Normalize(R);
    return R;
}

// A - B with A >= B.
TLimbs Sub(const TLimbs& A, const TLimbs& B)
{
    TLimbs R(A.size());
    uint64_t Borrow = 0;
    for (size_t i = 0; i < A.size(); ++i) {
        uint64_t T = uint64_t(A[i]) - (i < B.size() ? B[i] : 0) - Borrow;
        R[i] = static_cast<uint32_t>(T);
        Borrow = (T >> 32) & 1;
    }
    Normalize(R);
    return R;
}

TLimbs Mul(const TLimbs& A, const TLimbs& B)
{
    if (A.empty() || B.empty()) return {};
    TLimbs R(A.size() + B.size(), 0);
    for (size_t i = 0; i < A.size(); ++i) {
        uint64_t Carry = 0;
        for (size_t j = 0; j < B.size(); ++j) {
            uint64_t T = uint64_t(A[i]) * B[j] + R[i + j] + Carry;
            R[i + j] = static_cast<uint32_t>(T);
            Carry = T >> 32;
        }
        R[i + B.size()] = static_cast<uint32_t>(Carry);
    }
    Normalize(R);
    return R;
}

size_t BitLen(const TLimbs& A)
{
    if (A.empty()) return 0;
    size_t Bits = 32 * (A.size() - 1);
    for (uint32_t Top = A.back(); Top; Top >>= 1) ++Bits;
    return Bits;
}

bool TestBit(const TLimbs& A, size_t Bit)
{
    return Bit / 32 < A.size() && (A[Bit / 32] >> (Bit % 32)) & 1;
}

// Binary long division; the callers divide numbers of a few hundred bits, where its simplicity costs
// nothing that matters.
void DivModLimbs(const TLimbs& A, const TLimbs& B, TLimbs* Q, TLimbs* R)
{
    if (B.empty()) throw Exception("Division by zero");
    if (Cmp(A, B) < 0) {
        if (Q) Q->clear();
        if (R) *R = A;
        return;
    }
    const size_t N = B.size() + 1;
    TLimbs Rem(N, 0), Quot(A.size(), 0), D(B);
    D.resize(N, 0);
    for (size_t Bit = BitLen(A); Bit-- > 0;) {
        for (size_t i = N; i-- > 1;) Rem[i] = (Rem[i] << 1) | (Rem[i - 1] >> 31);
        Rem[0] = (Rem[0] << 1) | (TestBit(A, Bit) ? 1 : 0);
        bool Ge = true;
        for (size_t i = N; i-- > 0;)
            if (Rem[i] != D[i]) {
                Ge = Rem[i] > D[i];
                break;
            }
        if (Ge) {
            uint64_t Borrow = 0;
            for (size_t i = 0; i < N; ++i) {
                uint64_t T = uint64_t(Rem[i]) - D[i] - Borrow;
                Rem[i] = static_cast<uint32_t>(T);
                Borrow = (T >> 32) & 1;
            }
            Quot[Bit / 32] |= 1u << (Bit % 32);
        }
    }
    Normalize(Rem);
    Normalize(Quot);
    if (Q) *Q = std::move(Quot);
    if (R) *R = std::move(Rem);
}

TLimbs ModLimbs(const TLimbs& A, const TLimbs& M)
{
    TLimbs R;
    DivModLimbs(A, M, nullptr, &R);
    return R;
}

// Montgomery arithmetic modulo an odd M of K limbs, with R = 2^(32K).
class TMontgomery {
public:
    explicit TMontgomery(const TLimbs& M) : FM(M), FK(M.size())
    {
        // -M^-1 mod 2^32 by Newton's iteration: each step doubles the number of correct bits.
        uint32_t Inv = 1;
        for (int i = 0; i < 5; ++i) Inv *= 2 - M[0] * Inv;
        FM0 = ~Inv + 1;
        TLimbs R2(2 * FK + 1, 0);
        R2[2 * FK] = 1;
        FR2 = Pad(ModLimbs(R2, M));
        FT.assign(FK + 2, 0);
    }

    TLimbs Pad(TLimbs A) const
    {
        A.resize(FK, 0);
        return A;
    }
    TLimbs ToMont(const TLimbs& A) const
    {
        TLimbs Out(FK);
        MulMod(Pad(ModLimbs(A, FM)), FR2, Out);
        return Out;
    }
    TLimbs FromMont(const TLimbs& A) const
    {
        TLimbs One(FK, 0), Out(FK);
        One[0] = 1;
        MulMod(A, One, Out);
        Normalize(Out);
        return Out;
    }

    // Out = A * B / R mod M for A, B < M of K limbs each (coarsely integrated operand scanning).
    void MulMod(const TLimbs& A, const TLimbs& B, TLimbs& Out) const
    {
        uint32_t* T = FT.data();
        std::fill(FT.begin(), FT.end(), 0);
        const size_t K = FK;
        for (size_t i = 0; i < K; ++i) {
            uint64_t C = 0;
            const uint64_t Ai = A[i];
            for (size_t j = 0; j < K; ++j) {
                uint64_t S = Ai * B[j] + T[j] + C;
                T[j] = static_cast<uint32_t>(S);
                C = S >> 32;
            }
            uint64_t S = uint64_t(T[K]) + C;
            T[K] = static_cast<uint32_t>(S);
            T[K + 1] = static_cast<uint32_t>(S >> 32);

            const uint64_t U = static_cast<uint32_t>(T[0] * FM0);
            S = U * FM[0] + T[0];
            C = S >> 32;
            for (size_t j = 1; j < K; ++j) {
                S = U * FM[j] + T[j] + C;
                T[j - 1] = static_cast<uint32_t>(S);
                C = S >> 32;
            }
            S = uint64_t(T[K]) + C;
            T[K - 1] = static_cast<uint32_t>(S);
            T[K] = T[K + 1] + static_cast<uint32_t>(S >> 32);
        }
        // T < 2M: one conditional subtraction brings it below M.
        bool Ge = T[K] != 0;
        if (!Ge) {
            Ge = true;
            for (size_t i = K; i-- > 0;)
                if (T[i] != FM[i]) {
                    Ge = T[i] > FM[i];
                    break;
                }
        }
        if (Ge) {
            uint64_t Borrow = 0;
            for (size_t i = 0; i < K; ++i) {
                uint64_t D = uint64_t(T[i]) - FM[i] - Borrow;
                Out[i] = static_cast<uint32_t>(D);
                Borrow = (D >> 32) & 1;
            }
        } else {
            std::copy(T, T + K, Out.begin());
        }
    }

    TLimbs Pow(const TLimbs& Base, const TLimbs& Exp) const
    {
        TLimbs X = FromMontOne(), B = ToMont(Base), Tmp(FK);
        for (size_t Bit = BitLen(Exp); Bit-- > 0;) {
            MulMod(X, X, Tmp);
            X.swap(Tmp);
            if (TestBit(Exp, Bit)) {
                MulMod(X, B, Tmp);
                X.swap(Tmp);
            }
        }
        return FromMont(X);
    }

private:
    TLimbs FromMontOne() const
    {
        TLimbs One{1};
        return ToMont(One);
    }

    TLimbs FM;
    size_t FK;
    uint32_t FM0 = 0;
    TLimbs FR2;
    mutable TLimbs FT;
};

TLimbs ModPowLimbs(const TLimbs& Base, const TLimbs& Exp, const TLimbs& M)
{
    if (M.empty()) throw Exception("Division by zero");
    if (M.size() == 1 && M[0] == 1) return {};
    if (M[0] & 1) return TMontgomery(M).Pow(Base, Exp);
    // Even moduli never occur in real keys; plain multiply-and-reduce keeps the result defined anyway.
    TLimbs X{1}, B = ModLimbs(Base, M);
    for (size_t Bit = BitLen(Exp); Bit-- > 0;) {
        X = ModLimbs(Mul(X, X), M);
        if (TestBit(Exp, Bit)) X = ModLimbs(Mul(X, B), M);
    }
    return X;
}

const uint16_t SmallPrimes[] = {
    3,   5,   7,   11,  13,  17,  19,  23,  29,  31,  37,  41,  43,  47,  53,  59,  61,  67,  71,  73,
    79,  83,  89,  97,  101, 103, 107, 109, 113, 127, 131, 137, 139, 149, 151, 157, 163, 167, 173, 179,
    181, 191, 193, 197, 199, 211, 223, 227, 229, 233, 239, 241, 251, 257, 263, 269, 271, 277, 281, 283,
    293, 307, 311, 313, 317, 331, 337, 347, 349, 353, 359, 367, 373, 379, 383, 389, 397, 401, 409, 419,
    421, 431, 433, 439, 443, 449, 457, 461, 463, 467, 479, 487, 491, 499, 503, 509, 521, 523, 541, 547,
    557, 563, 569, 571, 577, 587, 593, 599, 601, 607, 613, 617, 619, 631, 641, 643, 647, 653, 659, 661,
    673, 677, 683, 691, 701, 709, 719, 727, 733, 739, 743, 751, 757, 761, 769, 773, 787, 797, 809, 811,
    821, 823, 827, 829, 839, 853, 857, 859, 863, 877, 881, 883, 887, 907, 911, 919, 929, 937, 941, 947,
    953, 967, 971, 977, 983, 991, 997};

uint32_t ModSmallLimbs(const TLimbs& A, uint32_t M)
{
    uint64_t R = 0;
    for (size_t i = A.size(); i-- > 0;) R = ((R << 32) | A[i]) % M;
    return static_cast<uint32_t>(R);
}

TLimbs RandomBelow(const TLimbs& Limit)  // uniform in [0, Limit)
{
    const size_t Bits = BitLen(Limit);
    for (;;) {
        TLimbs R((Bits + 31) / 32);
        CryptoRandomBytes(R.data(), R.size() * sizeof(uint32_t));
        if (Bits % 32) R.back() &= (1u << (Bits % 32)) - 1;
        Normalize(R);
        if (Cmp(R, Limit) < 0) return R;
    }
}

} // namespace

TBigInt TBigInt::FromUInt(uint64_t Value)
{
    TLimbs L{static_cast<uint32_t>(Value), static_cast<uint32_t>(Value >> 32)};
    Normalize(L);
    return FromLimbs(L);
}

void TBigInt::LoadFromBytes(const void* Data, size_t Count)
{
    const auto* P = static_cast<const uint8_t*>(Data);
    FBytes.assign(P, P + Count);
    FCapacity = std::max(FCapacity, Count);
}

size_t TBigInt::StoreToBytes(void* Data, size_t Count) const
{
    size_t N = std::min(Count, FBytes.size());
    if (N) std::memcpy(Data, FBytes.data(), N);
    return N;
}

size_t TBigInt::SignificantSize() const
{
    size_t N = FBytes.size();
    while (N && FBytes[N - 1] == 0) --N;
    return N;
}

void TBigInt::Trim()
{
    FBytes.resize(SignificantSize());
}

uint8_t TBigInt::GetByte(size_t Pos)
{
    Trim();
    Assert(Pos >= 1 && Pos <= FBytes.size(), "TBigInt.GetByte: position out of range");
    return FBytes[Pos - 1];
}

void TBigInt::AppendByte(uint8_t Value)
{
    FBytes.push_back(Value);
    FCapacity = std::max(FCapacity, FBytes.size());
}

void TBigInt::ZeroExtend(size_t Count)
{
    if (FBytes.size() < Count) FBytes.resize(Count, 0);
    FCapacity = std::max(FCapacity, FBytes.size());
}

void TBigInt::ShiftDownBytes(size_t Count)
{
    FBytes.erase(FBytes.begin(), FBytes.begin() + static_cast<ptrdiff_t>(std::min(Count, FBytes.size())));
}

TBigInt TBigInt::LowBytes(size_t Count) const
{
    TBigInt R(Count);
    R.LoadFromBytes(FBytes.data(), std::min(Count, FBytes.size()));
    return R;
}

bool TBigInt::IsZero() const
{
    RequireNumber(*this);
    return SignificantSize() == 0;
}

bool TBigInt::IsOdd() const
{
    RequireNumber(*this);
    return FBytes[0] & 1;
}

size_t TBigInt::BitLength() const
{
    return BitLen(ToLimbs(*this));
}

int Compare(const TBigInt& A, const TBigInt& B)
{
    return Cmp(ToLimbs(A), ToLimbs(B));
}

TBigInt operator+(const TBigInt& A, const TBigInt& B)
{
    return FromLimbs(Add(ToLimbs(A), ToLimbs(B)));
}

TBigInt operator-(const TBigInt& A, const TBigInt& B)
{
    TLimbs LA = ToLimbs(A), LB = ToLimbs(B);
    Assert(Cmp(LA, LB) >= 0, "TBigInt: negative difference");
    return FromLimbs(Sub(LA, LB));
}

TBigInt operator*(const TBigInt& A, const TBigInt& B)
{
    return FromLimbs(Mul(ToLimbs(A), ToLimbs(B)));
}

void TBigInt::DivMod(const TBigInt& A, const TBigInt& B, TBigInt* Quotient, TBigInt* Remainder)
{
    TLimbs Q, R;
    DivModLimbs(ToLimbs(A), ToLimbs(B), &Q, &R);
    if (Quotient) *Quotient = FromLimbs(Q);
    if (Remainder) *Remainder = FromLimbs(R);
}

TBigInt TBigInt::Mod(const TBigInt& M) const
{
    return FromLimbs(ModLimbs(ToLimbs(*this), ToLimbs(M)));
}

uint32_t TBigInt::ModSmall(uint32_t M) const
{
    if (M == 0) throw Exception("Division by zero");
    return ModSmallLimbs(ToLimbs(*this), M);
}

TBigInt TBigInt::DivSmall(uint32_t D) const
{
    if (D == 0) throw Exception("Division by zero");
    TLimbs A = ToLimbs(*this);
    uint64_t R = 0;
    for (size_t i = A.size(); i-- > 0;) {
        uint64_t Cur = (R << 32) | A[i];
        A[i] = static_cast<uint32_t>(Cur / D);
        R = Cur % D;
    }
    Normalize(A);
    return FromLimbs(A);
}

TBigInt TBigInt::ModPow(const TBigInt& Base, const TBigInt& Exp, const TBigInt& M)
{
    TLimbs B = ToLimbs(Base), E = ToLimbs(Exp), L = ToLimbs(M);
    return FromLimbs(ModPowLimbs(B, E, L));
}

bool TBigInt::IsProbablePrime(int Iterations) const
{
    const TLimbs N = ToLimbs(*this);
    if (N.empty() || (N.size() == 1 && N[0] < 2)) return false;
    if (N.size() == 1 && N[0] < 1000) {
        if (N[0] == 2) return true;
        if (!(N[0] & 1)) return false;
        for (uint16_t P : SmallPrimes)
            if (P == N[0]) return true;
        return false;
    }
    if (!(N[0] & 1)) return false;
    for (uint16_t P : SmallPrimes)
        if (ModSmallLimbs(N, P) == 0) return false;

    // N - 1 = D * 2^S with D odd.
    const TLimbs One{1}, NMinus1 = Sub(N, One), NMinus3 = Sub(N, TLimbs{3});
    size_t S = 0;
    while (!TestBit(NMinus1, S)) ++S;
    TLimbs D(NMinus1.size(), 0);
    for (size_t Bit = S; Bit < BitLen(NMinus1); ++Bit)
        if (TestBit(NMinus1, Bit)) D[(Bit - S) / 32] |= 1u << ((Bit - S) % 32);
    Normalize(D);

    TMontgomery Mont(N);
    for (int Round = 0; Round < Iterations; ++Round) {
        TLimbs A = Add(RandomBelow(NMinus3), TLimbs{2});  // in [2, N - 2]
        TLimbs X = Mont.Pow(A, D);
        if (Cmp(X, One) == 0 || Cmp(X, NMinus1) == 0) continue;
        bool Witness = true;
        for (size_t i = 1; i < S && Witness; ++i) {
            X = ModLimbs(Mul(X, X), N);
            if (Cmp(X, NMinus1) == 0) Witness = false;
            else if (Cmp(X, One) == 0) break;
        }
        if (Witness) return false;
    }
    return true;
}

TBigInt TBigInt::Random(size_t Bits)
{
    Assert(Bits > 0, "TBigInt.Random: no bits");
    std::vector<uint8_t> B((Bits + 7) / 8);
    CryptoRandomBytes(B.data(), B.size());
    size_t TopBits = Bits - 8 * (B.size() - 1);
    B.back() &= static_cast<uint8_t>((1u << TopBits) - 1);
    B.back() |= static_cast<uint8_t>(1u << (TopBits - 1));
    TBigInt R(B.size());
    R.LoadFromBytes(B.data(), B.size());
    return R;
}
