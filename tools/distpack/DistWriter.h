// Producing distributive files: the release tool's side of the format the loader reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "utils/UDigSign.h"
#include "utils/UFileVer.h"

enum class TDistMethod { BZip2, ZLib, Lzma };

// "bzip2", "zlib" or "lzma" (any case).
bool ParseDistMethod(const std::string& Name, TDistMethod& Method);
// The method's name as the tool prints it, from the 4-byte signature of a packed body.
std::string DistMethodOfBody(const uint8_t* Body, size_t Size);

// The whole distributive file of Content: "DSIG", the packed body, CRC-32, size and version, and the
// signature over all of it made with Signer's private key. The body is unpacked again and compared
// before the file is signed, so a packer fault cannot reach a release. Raises Exception for content of
// 2 GiB or more and for any failure of packing or signing.
std::vector<uint8_t> BuildDist(const std::vector<uint8_t>& Content, TDistMethod Method, const TFileVersion& Version,
                               TRSASSA& Signer);

// The version a release takes for FileName: its version resource, else the "Version" of its ".ver"
// side file; "" when neither gives one that parses.
std::string ReleaseVersionOf(const std::string& FileName);
