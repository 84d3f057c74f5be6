#include "Packer/UBZip2Packer.h"

#include <bzlib.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t ChunkSize = 64 * 1024;

[[noreturn]] void BzError(int Code)
{
    throw Exception(Format("error %d", {Code}));
}

// Frees the library's state also when a call fails or the output stream cannot be written.
struct TBzCompress {
    bz_stream S{};
    ~TBzCompress() { BZ2_bzCompressEnd(&S); }
};
struct TBzDecompress {
    bz_stream S{};
    ~TBzDecompress() { BZ2_bzDecompressEnd(&S); }
};

} // namespace

void TBZip2Packer::PackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    TAbstractPacker::PackStream(InStream, OutStream, Size);
    Assert(Size >= 0, "negative size to pack");
    int64_t Left = Size == 0 ? InStream.Size() - InStream.Position() : Size;

    TBzCompress Bz;
    int R = BZ2_bzCompressInit(&Bz.S, 9, 0, 30);
    if (R != BZ_OK) BzError(R);
    std::vector<char> In(static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(Left, 1), ChunkSize)));
    std::vector<char> Out(ChunkSize);
    for (;;) {
        if (Bz.S.avail_in == 0 && Left > 0) {
            int32_t N = static_cast<int32_t>(std::min<int64_t>(Left, static_cast<int64_t>(In.size())));
            InStream.ReadBuffer(In.data(), N);
            Left -= N;
            Bz.S.next_in = In.data();
            Bz.S.avail_in = static_cast<unsigned>(N);
        }
        Bz.S.next_out = Out.data();
        Bz.S.avail_out = static_cast<unsigned>(Out.size());
        bool Finishing = Left == 0;
        R = BZ2_bzCompress(&Bz.S, Finishing ? BZ_FINISH : BZ_RUN);
        if (R < 0) BzError(R);
        int32_t Produced = static_cast<int32_t>(Out.size() - Bz.S.avail_out);
        OutStream.WriteBuffer(Out.data(), Produced);
        if (R == BZ_STREAM_END) return;
    }
}

void TBZip2Packer::DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    TAbstractPacker::DoUnPackStream(InStream, OutStream, Size);
    int64_t Left = PackedDataCount(InStream, Size);

    TBzDecompress Bz;
    int R = BZ2_bzDecompressInit(&Bz.S, 0, 0);
    if (R != BZ_OK) BzError(R);
    // Chunks on both sides: a small body can stand for a very large file.
    std::vector<char> In(static_cast<size_t>(std::min<int64_t>(Left, ChunkSize)) + 1), Out(ChunkSize);
    for (;;) {
        if (Bz.S.avail_in == 0 && Left > 0) {
            int32_t N = static_cast<int32_t>(std::min<int64_t>(Left, static_cast<int64_t>(In.size())));
            InStream.ReadBuffer(In.data(), N);
            Left -= N;
            Bz.S.next_in = In.data();
            Bz.S.avail_in = static_cast<unsigned>(N);
        }
        unsigned InBefore = Bz.S.avail_in;
        Bz.S.next_out = Out.data();
        Bz.S.avail_out = static_cast<unsigned>(Out.size());
        R = BZ2_bzDecompress(&Bz.S);
        if (R != BZ_OK && R != BZ_STREAM_END) BzError(R);
        int32_t Produced = static_cast<int32_t>(Out.size() - Bz.S.avail_out);
        OutStream.WriteBuffer(Out.data(), Produced);
        if (R == BZ_STREAM_END) {
            InStream.Seek(Left, soCurrent);
            return;
        }
        // The library keeps answering "OK" at the end of a cut body: no input left and nothing new.
        if (Produced == 0 && Bz.S.avail_in == InBefore) BzError(BZ_UNEXPECTED_EOF);
    }
}
