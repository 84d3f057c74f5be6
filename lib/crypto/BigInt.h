// Unsigned integers of any length for the RSA engine. The byte form is what keys and signatures are
// made of: least significant byte first, with the count of bytes in use (leading zero bytes kept as
// loaded) and a capacity. A number with no bytes in use holds no value; arithmetic on it raises
// "No Number".
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBigInt {
public:
    explicit TBigInt(size_t Capacity = 0) : FCapacity(Capacity) {}
    static TBigInt FromUInt(uint64_t Value);

    size_t Size() const { return FBytes.size(); }
    size_t Capacity() const { return FCapacity; }
    bool HoldsNumber() const { return !FBytes.empty(); }
    void Clear() { FBytes.clear(); }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }

    // Copies Count bytes as they are (the first is the least significant); the size becomes Count.
    void LoadFromBytes(const void* Data, size_t Count);
    // Writes the lowest min(Size, Count) bytes and returns how many were written.
    size_t StoreToBytes(void* Data, size_t Count) const;
    // Bytes without the zero bytes at the top (0 for the value zero).
    size_t SignificantSize() const;
    // Drops zero bytes at the top, then gives byte Pos counted from 1 at the least significant end.
    uint8_t GetByte(size_t Pos);
    void Trim();
    // Puts a byte above the current top byte.
    void AppendByte(uint8_t Value);
    // Appends zero bytes at the top until the size is at least Count.
    void ZeroExtend(size_t Count);
    // Drops the lowest Count bytes.
    void ShiftDownBytes(size_t Count);
    // The lowest Count bytes as a number of its own.
    TBigInt LowBytes(size_t Count) const;

    bool IsZero() const;
    bool IsOdd() const;
    size_t BitLength() const;

    friend int Compare(const TBigInt& A, const TBigInt& B);
    friend TBigInt operator+(const TBigInt& A, const TBigInt& B);
    // Raises when B is greater than A: the numbers are unsigned.
    friend TBigInt operator-(const TBigInt& A, const TBigInt& B);
    friend TBigInt operator*(const TBigInt& A, const TBigInt& B);
    // Division by zero raises "Division by zero".
    static void DivMod(const TBigInt& A, const TBigInt& B, TBigInt* Quotient, TBigInt* Remainder);
    TBigInt Mod(const TBigInt& M) const;
    uint32_t ModSmall(uint32_t M) const;
    TBigInt DivSmall(uint32_t D) const;
    // Base^Exp mod M; Base need not be smaller than M.
    static TBigInt ModPow(const TBigInt& Base, const TBigInt& Exp, const TBigInt& M);
    // Probable prime test: small-prime sieve, then Iterations Miller-Rabin rounds with random bases.
    bool IsProbablePrime(int Iterations) const;
    // A random number of exactly Bits bits (top bit set).
    static TBigInt Random(size_t Bits);

private:
    std::vector<uint8_t> FBytes;
    size_t FCapacity;
};
