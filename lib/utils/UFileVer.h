// Version numbers a.b.c.d: their text form, their order, and the version strings of executables.
#pragma once

#include <cstdint>
#include <string>

// Four signed parts; the same 16 bytes (major, minor, release, build, little-endian) are stored in the
// trailer of a distributive file.
struct TFileVersion {
    int32_t Major = 0, Minor = 0, Release = 0, Build = 0;
    int32_t& Part(int I) { return (&Major)[I]; }
    int32_t Part(int I) const { return (&Major)[I]; }
};

// The string table that version strings are read from: Russian, code page 1251.
extern const char* const VersionInfoLangCP;

// One part at Pos (0-based, advanced past the digits); false when no digit was taken, when the digits
// go on past the point where the part would reach 2^31, or when a digit follows.
bool ParseVersionNumber(const std::string& Text, size_t& Pos, int32_t& N);
// Four parts separated by any single non-digit; trailing text is ignored. Parts parsed before a
// failure stay in V.
bool ParseVersion(const std::string& Text, TFileVersion& V);
// Parts is a bit set: bit 0 = major .. bit 3 = build.
std::string VersionPartsToText(const TFileVersion& V, unsigned Parts);
std::string VersionToText(const TFileVersion& V);
// Sign of the first differing part (its difference); 0 when equal.
int64_t CompareVersions(const TFileVersion& A, const TFileVersion& B);
// Texts that do not parse order before every parsed version, and among themselves as text.
int64_t CompareVersionTexts(const std::string& A, const std::string& B);

// From the "FileVersion" string of the file's version resource (never raises).
bool GetFileVersion(const std::string& FileName, TFileVersion& V);
std::string GetFileVersionText(const std::string& FileName);
std::string GetVersionInfoValue(const std::string& FileName, const std::string& Name);
std::string GetProductVersionText(const std::string& FileName);
