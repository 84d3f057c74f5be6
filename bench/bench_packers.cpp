// Unpacking through the packers against the compression libraries alone on the same bodies, in the
// same run: in memory against zlib's uncompress, BZ2_bzBuffToBuffDecompress and liblzma's LZMA-alone
// decoder; file to file against "bzip2 -d" and "xz --format=lzma -d" (their start-up taken off).
// Argument: the data size in MiB (default 4).
#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "BenchUtil.h"
#include "Packer/UBZip2Packer.h"
#include "Packer/ULzmaALonePacker.h"
#include "Packer/UPasZLibPacker.h"
#include "Packer/USelectablePacker.h"
#include "ToolBaseline.h"
#include "platform/Classes.h"

namespace {

std::string TempDir()
{
#ifdef _WIN32
    char Buf[MAX_PATH + 1];
    DWORD N = GetTempPathA(sizeof Buf, Buf);
    return std::string(Buf, N);
#else
    const char* T = std::getenv("TMPDIR");
    return std::string(T && *T ? T : "/tmp") + "/";
#endif
}

std::vector<uint8_t> PackWith(IPacker* P, const std::vector<uint8_t>& Data)
{
    TMemoryStream In(Data), Out;
    PackerPackStream(P, In, Out, 0);
    return std::move(Out.Bytes());
}

// Unpacks through the selectable packer, as the distributive reader does. With Presize the output
// stream is given the unpacked size first (the reader knows it from the distributive file), as the
// library's buffer is; without it the stream grows while the packer writes.
std::vector<uint8_t> UnpackSelectable(TMemoryStream& In, size_t Presize = 0)
{
    TComPtr<IPacker> P = MakePacker<TSelectablePacker>();
    TMemoryStream Out;
    In.SetPosition(0);
    if (Presize) {
        Out.SetSize(static_cast<int64_t>(Presize));
        Out.SetPosition(0);
    }
    PackerUnPackStreamEx(P.Get(), In, Out, 0);
    return std::move(Out.Bytes());
}

bool Zlib(const std::vector<uint8_t>& Body, std::vector<uint8_t>& Out)
{
    uLongf Len = Out.size();
    return uncompress(Out.data(), &Len, Body.data(), Body.size()) == Z_OK && Len == Out.size();
}

bool Bzip2(const std::vector<uint8_t>& Body, std::vector<uint8_t>& Out)
{
    unsigned Len = static_cast<unsigned>(Out.size());
    return BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(Out.data()), &Len,
                                      const_cast<char*>(reinterpret_cast<const char*>(Body.data()) + 4),
                                      static_cast<unsigned>(Body.size() - 4), 0, 0) == BZ_OK &&
           Len == Out.size();
}

bool Lzma(const std::vector<uint8_t>& Body, std::vector<uint8_t>& Out)
{
    lzma_stream S = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&S, UINT64_MAX) != LZMA_OK) return false;
    S.next_in = Body.data() + 4;
    S.avail_in = Body.size() - 4;
    S.next_out = Out.data();
    S.avail_out = Out.size();
    lzma_ret R = lzma_code(&S, LZMA_FINISH);
    bool Ok = (R == LZMA_STREAM_END || R == LZMA_OK) && S.avail_out == 0;
    lzma_end(&S);
    return Ok;
}

struct TMethod {
    const char* Name;
    TComPtr<IPacker> (*Make)();
    bool (*Library)(const std::vector<uint8_t>&, std::vector<uint8_t>&);
    const char* LibraryName;
    const char* Tool;  // Linux program that unpacks the body after the 4-byte signature
    std::vector<std::string> ToolArgs;
};

} // namespace

int main(int argc, char** argv)
{
    const size_t MiB = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 4;
    const std::vector<uint8_t> Data = BenchData(MiB << 20);
    const std::string Dir = TempDir();
    const int Rounds = 3;

    const TMethod Methods[] = {
        {"ZLIB", MakePacker<TPasZLibPacker>, Zlib, "zlib uncompress", nullptr, {}},
        {"BZIP2", MakePacker<TBZip2Packer>, Bzip2, "libbz2 buffer", "/usr/bin/bzip2", {"-dc"}},
        {"LZMA", MakePacker<TLzmaALonePacker>, Lzma, "liblzma alone", "/usr/bin/xz", {"--format=lzma", "-dc"}},
    };
    int Failures = 0;
    for (const auto& M : Methods) {
        std::printf("-- %s, %zu MiB\n", M.Name, MiB);
        TComPtr<IPacker> P = M.Make();
        std::vector<uint8_t> Body = PackWith(P.Get(), Data);
        TMemoryStream BodyStream(Body);
        if (UnpackSelectable(BodyStream) != Data) {
            std::printf("%s: the packer does not give the data back\n", M.Name);
            ++Failures;
            continue;
        }
        // The library's output buffer is made per run, as the packer's output stream is: both pay for
        // fresh memory.
        std::vector<uint8_t> Out(Data.size());
        if (!M.Library(Body, Out) || Out != Data) {
            std::printf("%s: the library does not give the data back\n", M.Name);
            ++Failures;
            continue;
        }
        double Ours = BestSeconds(Rounds, [&] { UnpackSelectable(BodyStream, Data.size()); });
        double Growing = BestSeconds(Rounds, [&] { UnpackSelectable(BodyStream); });
        double Lib = BestSeconds(Rounds, [&] {
            std::vector<uint8_t> Fresh(Data.size());
            M.Library(Body, Fresh);
        });
        ReportRatio(std::string(M.Name) + " packer (memory)", double(Data.size()), Ours, M.LibraryName, Lib);
        std::printf("%-28s %10.1f MB/s (output stream growing as it is written)\n",
                    (std::string(M.Name) + " packer").c_str(), double(Data.size()) / Growing / 1e6);

        if (!M.Tool) continue;
        // File to file on both sides; the tool's own start-up is measured on a one-byte body.
        std::string BodyFile = Dir + "bench_packers.body", Raw = Dir + "bench_packers.raw";
        std::string Tiny = Dir + "bench_packers.tiny", Back = Dir + "bench_packers.out";
        WriteFileBytes(Raw, Body.data() + 4, Body.size() - 4);
        std::vector<uint8_t> TinyBody = PackWith(M.Make().Get(), {'x'});
        WriteFileBytes(Tiny, TinyBody.data() + 4, TinyBody.size() - 4);
        WriteFileBytes(BodyFile, Body);
        int64_t Size = static_cast<int64_t>(Data.size());
        double Start = 1e30, Tool = 1e30;
        for (int i = 0; i < Rounds; ++i) {
            double S = RunTool(M.Tool, M.ToolArgs, Tiny, Back, 1);
            double T = RunTool(M.Tool, M.ToolArgs, Raw, Back, Size);
            if (S < 0 || T < 0) {
                Tool = -1;
                break;
            }
            Start = std::min(Start, S);
            Tool = std::min(Tool, T);
        }
        if (Tool < 0 || ReadFileBytes(Back) != Data) {
            std::printf("%s cannot be run here or gives other bytes; no file baseline\n", M.Tool);
        } else {
            double OursFile = BestSeconds(Rounds, [&] { PackerUnPackFile(P.Get(), BodyFile, Back); });
            ReportRatio(std::string(M.Name) + " packer (file)", double(Data.size()), OursFile,
                        std::string(M.Tool) + " -d", std::max(Tool - Start, 1e-6));
        }
        for (const auto& F : {BodyFile, Raw, Tiny, Back}) std::remove(F.c_str());
    }
    return Failures ? 1 : 0;
}
