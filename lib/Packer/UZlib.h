// The zlib calls of the deflate packer: one-shot compression of a buffer and inflation of one zlib
// stream from a stream into a stream. A failing zlib call raises Exception "error".
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Classes.h"

// A zlib stream of Len bytes at Data: level 9, 15-bit window, memory level 8, default strategy.
std::vector<uint8_t> ZCompressBuffer(const void* Data, size_t Len);

// Inflates the zlib stream (header and Adler-32 checked) in the next Count bytes of InStream and writes
// the unpacked bytes to OutStream as they come. All Count bytes are consumed; those after the stream's
// end mark are ignored. A damaged stream or one that ends before its end mark raises "error"; fewer
// than Count bytes in InStream raise EReadError.
void ZDecompressStream(TStream& InStream, int64_t Count, TStream& OutStream);
