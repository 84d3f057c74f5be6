// A temporary folder for tests that runs natively and under Wine alike.
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "platform/Classes.h"

class TScratchDir {
public:
    TScratchDir()
    {
        std::random_device R;
        FPath = std::filesystem::temp_directory_path() / ("crypto-test-" + std::to_string(R()) + std::to_string(R()));
        std::filesystem::create_directories(FPath);
    }
    ~TScratchDir()
    {
        std::error_code Ec;
        std::filesystem::remove_all(FPath, Ec);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

    // Names use the system's own delimiter, as the code under test forms them.
    std::string operator/(const std::string& Rel) const { return (FPath / Rel).make_preferred().string(); }
    std::string Write(const std::string& Rel, const std::vector<uint8_t>& Bytes) const
    {
        std::filesystem::path P = (FPath / Rel).make_preferred();
        std::filesystem::create_directories(P.parent_path());
        WriteFileBytes(P.string(), Bytes);
        return P.string();
    }
    std::string Path() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};
