// Timing helpers shared by the benchmarks.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Deterministic test data: a mix of text-like and random bytes.
std::vector<uint8_t> BenchData(size_t Size, unsigned Variant = 1);

// Best of Rounds runs of Fn, in seconds.
template <typename Fn>
double BestSeconds(int Rounds, Fn&& F)
{
    double Best = 1e30;
    for (int I = 0; I < Rounds; ++I) {
        auto T0 = std::chrono::steady_clock::now();
        F();
        double S = std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
        if (S < Best) Best = S;
    }
    return Best;
}

#ifdef _WIN32
// The Linux path of a file under Wine ("" on Windows itself), so that Linux tools can be baselines.
std::string WineUnixName(const std::string& FileName);
#endif

// Prints "name: X MB/s" lines and the ratio ours/baseline.
void ReportRatio(const std::string& What, double Bytes, double OursSeconds, const std::string& BaselineName,
                 double BaselineSeconds);
