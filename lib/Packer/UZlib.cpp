#include "Packer/UZlib.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace {

[[noreturn]] void ZError()
{
    throw Exception("error");
}

// Owns an inflate or deflate state so that a failing call or a failing output write frees it.
struct TZStream {
    z_stream S{};
    bool Inflating;
    explicit TZStream(bool Inflate) : Inflating(Inflate) {}
    ~TZStream() { Inflating ? inflateEnd(&S) : deflateEnd(&S); }
};

} // namespace

std::vector<uint8_t> ZCompressBuffer(const void* Data, size_t Len)
{
    Assert(Len <= std::numeric_limits<uInt>::max());
    TZStream Z(false);
    if (deflateInit2(&Z.S, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) ZError();
    // deflateBound is enough for one call with Z_FINISH, so the buffer never has to grow.
    std::vector<uint8_t> Out(deflateBound(&Z.S, static_cast<uLong>(Len)));
    Z.S.next_in = static_cast<Bytef*>(const_cast<void*>(Data));
    Z.S.avail_in = static_cast<uInt>(Len);
    Z.S.next_out = Out.data();
    Z.S.avail_out = static_cast<uInt>(Out.size());
    if (deflate(&Z.S, Z_FINISH) != Z_STREAM_END) ZError();
    Out.resize(Z.S.total_out);
    return Out;
}

void ZDecompressStream(TStream& InStream, int64_t Count, TStream& OutStream)
{
    TZStream Z(true);
    if (inflateInit(&Z.S) != Z_OK) ZError();
    // Both sides go in chunks: a small body may unpack to far more than any estimate, and the caller's
    // stream decides where the output goes.
    std::vector<uint8_t> In(static_cast<size_t>(std::min<int64_t>(Count, 64 * 1024)) + 1), Out(64 * 1024);
    int64_t Left = Count;
    for (;;) {
        if (Z.S.avail_in == 0 && Left > 0) {
            int32_t N = static_cast<int32_t>(std::min<int64_t>(Left, static_cast<int64_t>(In.size())));
            InStream.ReadBuffer(In.data(), N);
            Left -= N;
            Z.S.next_in = In.data();
            Z.S.avail_in = static_cast<uInt>(N);
        }
        Z.S.next_out = Out.data();
        Z.S.avail_out = static_cast<uInt>(Out.size());
        uInt InBefore = Z.S.avail_in;
        int R = inflate(&Z.S, Z_NO_FLUSH);
        size_t Produced = Out.size() - Z.S.avail_out;
        if (R != Z_OK && R != Z_STREAM_END && R != Z_BUF_ERROR) ZError();
        if (Produced) OutStream.WriteBuffer(Out.data(), static_cast<int32_t>(Produced));
        if (R == Z_STREAM_END) {
            InStream.Seek(Left, soCurrent);
            return;
        }
        if (Produced == 0 && Z.S.avail_in == InBefore) ZError();  // the data end before the mark
    }
}
