#include "Packer/ULzmaALonePacker.h"

#include <lzma.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr size_t ChunkSize = 64 * 1024;
constexpr uint32_t DictionarySize = 1u << 23;
constexpr uint32_t MinDictionarySize = 4096;
constexpr uint64_t UnknownSize = UINT64_MAX;

TLzmaProgressSink& ProgressSink()
{
    static TLzmaProgressSink Sink;
    return Sink;
}

// Frees the coder also when the input, the output or the progress sink fails.
struct TLzmaStream {
    lzma_stream S = LZMA_STREAM_INIT;
    ~TLzmaStream() { lzma_end(&S); }
};

[[noreturn]] void CoderError(lzma_ret R, const char* Text)
{
    if (R == LZMA_MEM_ERROR) throw EOutOfMemory("Out of memory");
    throw Exception(Text);
}

void PutLE(uint8_t* P, uint64_t V, int Bytes)
{
    for (int i = 0; i < Bytes; ++i) P[i] = static_cast<uint8_t>(V >> (8 * i));
}

uint64_t GetLE(const uint8_t* P, int Bytes)
{
    uint64_t V = 0;
    for (int i = Bytes - 1; i >= 0; --i) V = V << 8 | P[i];
    return V;
}

// Announces the count done each time it reaches the next step of total div 50, and once at the end.
class TProgressSteps {
public:
    TProgressSteps(int64_t Total) : FStep(std::max<int64_t>(Total / 50, 1)), FNext(FStep) {}
    bool Due(int64_t Count)
    {
        if (Count < FNext) return false;
        FNext = (Count / FStep + 1) * FStep;
        return true;
    }

private:
    int64_t FStep, FNext;
};

} // namespace

TLzmaProgressSink SetLzmaProgressSink(TLzmaProgressSink Sink)
{
    return std::exchange(ProgressSink(), std::move(Sink));
}

bool TLzmaALonePacker::ProgressPercent(int64_t Total, int64_t Count, int32_t& Percent)
{
    if (Total <= 0) return false;
    int64_t Divisor = Total < 100 ? 1 : Total / 100;
    Percent = static_cast<int32_t>(Count / Divisor);
    return true;
}

void TLzmaALonePacker::ProgressStart(int64_t Total)
{
    FProgressTotal = Total;
}

void TLzmaALonePacker::ProgressCount(int64_t Count)
{
    int32_t Percent;
    if (ProgressSink() && ProgressPercent(FProgressTotal, Count, Percent)) ProgressSink()(Percent);
}

void TLzmaALonePacker::PackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    TAbstractPacker::PackStream(InStream, OutStream, Size);

    lzma_options_lzma Opt;
    if (lzma_lzma_preset(&Opt, 6)) throw Exception("LZMA encoder setup failed");
    Opt.dict_size = DictionarySize;
    Opt.lc = 3;
    Opt.lp = 0;
    Opt.pb = 2;
    Opt.mode = LZMA_MODE_NORMAL;
    Opt.nice_len = 128;
    Opt.mf = LZMA_MF_BT4;
    Opt.depth = 0;
    Opt.ext_flags = 0;  // no end marker: the header records the size
    Opt.ext_size_low = 0;
    Opt.ext_size_high = 0;

    int64_t Total = InStream.Size() - InStream.Position();
    uint8_t Header[13];
    Header[0] = static_cast<uint8_t>((Opt.pb * 5 + Opt.lp) * 9 + Opt.lc);
    PutLE(Header + 1, Opt.dict_size, 4);
    PutLE(Header + 5, static_cast<uint64_t>(Total), 8);
    OutStream.WriteBuffer(Header, sizeof Header);

    lzma_filter Filters[] = {{LZMA_FILTER_LZMA1EXT, &Opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    TLzmaStream Lz;
    lzma_ret R = lzma_raw_encoder(&Lz.S, Filters);
    if (R != LZMA_OK) CoderError(R, "LZMA encoder setup failed");

    ProgressStart(Total);
    TProgressSteps Steps(Total);
    std::vector<uint8_t> In(ChunkSize), Out(ChunkSize);
    int64_t Left = Total;
    for (;;) {
        if (Lz.S.avail_in == 0 && Left > 0) {
            int32_t N = static_cast<int32_t>(std::min<int64_t>(Left, static_cast<int64_t>(In.size())));
            InStream.ReadBuffer(In.data(), N);
            Left -= N;
            Lz.S.next_in = In.data();
            Lz.S.avail_in = static_cast<size_t>(N);
        }
        Lz.S.next_out = Out.data();
        Lz.S.avail_out = Out.size();
        R = lzma_code(&Lz.S, Left == 0 ? LZMA_FINISH : LZMA_RUN);
        if (R != LZMA_OK && R != LZMA_STREAM_END) CoderError(R, "LZMA encoder failed");
        OutStream.WriteBuffer(Out.data(), static_cast<int32_t>(Out.size() - Lz.S.avail_out));
        int64_t Done = static_cast<int64_t>(Lz.S.total_in);
        if (R == LZMA_STREAM_END) {
            ProgressCount(Done);
            return;
        }
        if (Done < Total && Steps.Due(Done)) ProgressCount(Done);
    }
}

void TLzmaALonePacker::DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size)
{
    TAbstractPacker::DoUnPackStream(InStream, OutStream, Size);

    uint8_t Props[5];
    if (InStream.Read(Props, 5) != 5) throw Exception("input .lzma file is too short");
    uint32_t Dict = static_cast<uint32_t>(GetLE(Props + 1, 4));
    if (Props[0] >= 9 * 5 * 5 || Dict >= 0x80000000u) throw Exception("Incorrect stream properties");
    lzma_options_lzma Opt{};
    Opt.lc = Props[0] % 9;
    Opt.lp = Props[0] / 9 % 5;
    Opt.pb = Props[0] / 45;
    // The coder library handles lc + lp up to 4, which is every stream this system writes.
    if (Opt.lc + Opt.lp > LZMA_LCLP_MAX) throw Exception("Incorrect stream properties");

    uint8_t SizeBytes[8];
    if (InStream.Read(SizeBytes, 8) != 8) throw Exception("Can't read stream size");
    uint64_t Unpacked = GetLE(SizeBytes, 8);
    if (Unpacked != UnknownSize && Unpacked > INT32_MAX) throw Exception("Stream size too large");

    // No match reaches further back than the output already produced, so a recorded size smaller than
    // the dictionary bounds the memory the decoder needs.
    uint64_t DictNeeded = Unpacked == UnknownSize ? Dict : std::min<uint64_t>(Dict, Unpacked);
    Opt.dict_size = static_cast<uint32_t>(std::max<uint64_t>(DictNeeded, MinDictionarySize));
    Opt.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    Opt.ext_size_low = static_cast<uint32_t>(Unpacked);
    Opt.ext_size_high = static_cast<uint32_t>(Unpacked >> 32);

    lzma_filter Filters[] = {{LZMA_FILTER_LZMA1EXT, &Opt}, {LZMA_VLI_UNKNOWN, nullptr}};
    TLzmaStream Lz;
    lzma_ret R = lzma_raw_decoder(&Lz.S, Filters);
    if (R != LZMA_OK) CoderError(R, "Incorrect stream properties");

    int64_t Total = Unpacked == UnknownSize ? -1 : static_cast<int64_t>(Unpacked);
    ProgressStart(Total);
    TProgressSteps Steps(Total);
    std::vector<uint8_t> In(ChunkSize), Out(ChunkSize);
    bool InputEnded = false;
    for (;;) {
        if (Lz.S.avail_in == 0 && !InputEnded) {
            int32_t N = InStream.Read(In.data(), static_cast<int32_t>(In.size()));
            InputEnded = N <= 0;
            Lz.S.next_in = In.data();
            Lz.S.avail_in = static_cast<size_t>(std::max(N, 0));
        }
        Lz.S.next_out = Out.data();
        Lz.S.avail_out = Out.size();
        size_t InBefore = Lz.S.avail_in;
        R = lzma_code(&Lz.S, InputEnded ? LZMA_FINISH : LZMA_RUN);
        size_t Produced = Out.size() - Lz.S.avail_out;
        if (R == LZMA_DATA_ERROR) throw Exception("Error in data stream");
        if (R != LZMA_OK && R != LZMA_STREAM_END && R != LZMA_BUF_ERROR) CoderError(R, "Error in data stream");
        OutStream.WriteBuffer(Out.data(), static_cast<int32_t>(Produced));
        int64_t Done = static_cast<int64_t>(Lz.S.total_out);
        if (R == LZMA_STREAM_END) {
            // Leave the input just after the LZMA data, as a reader of what follows expects.
            InStream.Seek(-static_cast<int64_t>(Lz.S.avail_in), soCurrent);
            ProgressCount(Done);
            return;
        }
        if (InputEnded && Produced == 0 && Lz.S.avail_in == InBefore)
            throw Exception("Unexpected end of data stream");
        if (Total > 0 && Done < Total && Steps.Due(Done)) ProgressCount(Done);
    }
}
