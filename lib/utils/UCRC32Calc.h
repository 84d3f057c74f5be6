// The standard CRC-32 (reflected polynomial 0xEDB88320, initial value and final inversion 0xFFFFFFFF)
// that distributive files record for their content.
#pragma once

#include <cstdint>
#include <string>

class TStream;

// Continues a running CRC over Len bytes, without the initial or final inversion; Len 0 keeps Crc.
uint32_t CRC32Update(uint32_t Crc, const void* Buf, int32_t Len);
// Finished CRC-32 of Len bytes.
uint32_t CRC32OfBuffer(const void* Buf, int32_t Len);
// Finished CRC-32 of up to Count bytes from the stream's position (fewer when the stream ends first);
// 0 for Count <= 0. The stream advances past the bytes read; its read errors pass to the caller.
uint32_t CRC32OfStream(TStream& Stream, int32_t Count);
// Finished CRC-32 of Length bytes of the file from Offset (Length -1: to the end), computed in place
// through a read-only mapping. Raises the mapping's errors for a missing file or a range outside it.
uint32_t CRC32OfFile(const std::string& FileName, int32_t Offset = 0, int32_t Length = -1);
