// Verification of a distributive file (signature over the mapped file, magic, trailer, version) against
// MD5 alone over the same mapped file, in the same run: what the signature check adds to the digest.
// Argument: the file size in MiB (default 64).
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "BenchUtil.h"
#include "Quillet/UDist.h"
#include "crypto/MD5.h"
#include "platform/Classes.h"
#include "utils/UFileMapView.h"
#include "utils/UFileUtils.h"

int main(int argc, char** argv)
{
    const size_t MiB = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 64;
    TDistPacker Reader;
    Reader.DigSign().GenerateKeys();

    // Magic, a body of the given size, a trailer of version 1.2.3.4, and the signature over them all.
    // The body is never unpacked by a verification, so it need not be a packed stream.
    std::vector<uint8_t> Bytes = {'D', 'S', 'I', 'G'};
    std::vector<uint8_t> Body = BenchData(MiB << 20);
    Bytes.insert(Bytes.end(), Body.begin(), Body.end());
    Body.clear();
    const uint8_t Trailer[24] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0};
    Bytes.insert(Bytes.end(), Trailer, Trailer + 24);
    TMemoryStream File(std::move(Bytes));
    const int64_t SigPos = File.Size();
    File.SetPosition(0);
    Reader.DigSign().SignStream(File, File, SigPos);
    const std::string Name = GetTempDir() + "bench_verify.1.2.3.4.dist";
    File.SaveToFile(Name);
    const double Size = static_cast<double>(File.Size());
    File.Clear();

    Reader.DistFileSpec = Name;
    bool Valid = false;
    TMD5Digest D{};
    // Rounds alternate, so that a busy machine slows both sides alike; the best of each counts.
    double VerifySeconds = 1e30, Md5Seconds = 1e30;
    for (int Round = 0; Round < 9; ++Round) {
        VerifySeconds = std::min(VerifySeconds, BestSeconds(1, [&] { Valid = Reader.IsValid(); }));
        Md5Seconds = std::min(Md5Seconds, BestSeconds(1, [&] {
                                  TFileMapView View(Name);
                                  D = MD5Buffer(View.Memory(), static_cast<size_t>(View.Size()));
                              }));
    }
    std::remove(Name.c_str());
    if (!Valid) {
        std::printf("the benchmark file did not verify\n");
        return 1;
    }
    ReportRatio("IsValid (whole file)", Size, VerifySeconds, "MD5 alone", Md5Seconds);
    std::printf("target: ratio close to 1 (one pass over the file, one 512-bit exponentiation)\n");
    return 0;
}
