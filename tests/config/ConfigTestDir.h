// A fresh folder for one test, on both builds, removed with its content at the end.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

#include "platform/Classes.h"

class TConfigTestDir {
public:
    TConfigTestDir()
    {
        static std::atomic<int> Counter{0};
        namespace fs = std::filesystem;
        FDir = fs::temp_directory_path() /
               ("config-test-" + std::to_string(Now()) + "-" + std::to_string(Counter++));
        fs::create_directories(FDir);
        FPath = (FDir / "").string();
    }
    ~TConfigTestDir()
    {
        std::error_code Ec;
        std::filesystem::remove_all(FDir, Ec);
    }
    TConfigTestDir(const TConfigTestDir&) = delete;
    TConfigTestDir& operator=(const TConfigTestDir&) = delete;

    // The folder with its trailing delimiter.
    const std::string& Path() const { return FPath; }
    std::string Write(const std::string& Name, const std::string& Text) const
    {
        WriteFileBytes(FPath + Name, Text);
        return FPath + Name;
    }
    std::string Read(const std::string& Name) const
    {
        const auto Bytes = ReadFileBytes(FPath + Name);
        return std::string(Bytes.begin(), Bytes.end());
    }

private:
    static long long Now()
    {
        return std::chrono::steady_clock::now().time_since_epoch().count();
    }
    std::filesystem::path FDir;
    std::string FPath;
};
