#include <gtest/gtest.h>

#include <cstring>

#include "DistWriter.h"
#include "PEVersion.h"
#include "crypto/TempFiles.h"
#include "platform/Classes.h"

namespace {

void Put16(std::vector<uint8_t>& B, size_t Ofs, uint32_t V)
{
    B[Ofs] = static_cast<uint8_t>(V);
    B[Ofs + 1] = static_cast<uint8_t>(V >> 8);
}
void Put32(std::vector<uint8_t>& B, size_t Ofs, uint32_t V)
{
    Put16(B, Ofs, V & 0xFFFF);
    Put16(B, Ofs + 2, V >> 16);
}
void Align4(std::vector<uint8_t>& B)
{
    while (B.size() % 4) B.push_back(0);
}

// One block of a version resource: lengths, type, key, value and child blocks, each 4-aligned.
std::vector<uint8_t> Block(const std::string& Key, const std::vector<uint8_t>& Value, uint16_t ValueLength,
                           uint16_t Type, const std::vector<std::vector<uint8_t>>& Children = {})
{
    std::vector<uint8_t> B(6, 0);
    for (char C : Key) B.insert(B.end(), {static_cast<uint8_t>(C), 0});
    B.insert(B.end(), {0, 0});
    Align4(B);
    B.insert(B.end(), Value.begin(), Value.end());
    Align4(B);
    for (const auto& C : Children) B.insert(B.end(), C.begin(), C.end());
    Put16(B, 0, static_cast<uint32_t>(B.size()));
    Put16(B, 2, ValueLength);
    Put16(B, 4, Type);
    return B;
}

std::vector<uint8_t> Text16(const std::string& S)
{
    std::vector<uint8_t> B;
    for (char C : S) B.insert(B.end(), {static_cast<uint8_t>(C), 0});
    B.insert(B.end(), {0, 0});
    return B;
}

// A 32-bit image with one resource section holding a version resource whose string table LangCP has
// "FileVersion" = Version, laid out as a linker lays it out.
std::vector<uint8_t> MakeImage(const std::string& LangCP, const std::string& Version)
{
    std::vector<uint8_t> Fixed(52, 0);
    Put32(Fixed, 0, 0xFEEF04BD);
    auto Info = Block("VS_VERSION_INFO", Fixed, 52, 0,
                      {Block("StringFileInfo", {}, 0, 1,
                             {Block(LangCP, {}, 0, 1,
                                    {Block("ProductName", Text16("Probe"), 6, 1),
                                     Block("FileVersion", Text16(Version), static_cast<uint16_t>(Version.size() + 1), 1)})})});

    std::vector<uint8_t> Rsrc(0x58, 0);
    Put16(Rsrc, 0x0E, 1);  // root: one id entry, type 16
    Put32(Rsrc, 0x10, 16);
    Put32(Rsrc, 0x14, 0x80000000u | 0x18);
    Put16(Rsrc, 0x18 + 0x0E, 1);  // name 1
    Put32(Rsrc, 0x28, 1);
    Put32(Rsrc, 0x2C, 0x80000000u | 0x30);
    Put16(Rsrc, 0x30 + 0x0E, 1);  // language 0x419, a data entry
    Put32(Rsrc, 0x40, 0x419);
    Put32(Rsrc, 0x44, 0x48);
    Put32(Rsrc, 0x48, 0x1000 + 0x58);
    Put32(Rsrc, 0x4C, static_cast<uint32_t>(Info.size()));
    Rsrc.insert(Rsrc.end(), Info.begin(), Info.end());

    std::vector<uint8_t> Image(0x200, 0);
    Image[0] = 'M';
    Image[1] = 'Z';
    Put32(Image, 0x3C, 0x40);
    Put32(Image, 0x40, 0x00004550);
    Put16(Image, 0x44, 0x14C);
    Put16(Image, 0x46, 1);     // one section
    Put16(Image, 0x54, 0xE0);  // optional header size
    Put16(Image, 0x58, 0x10B);
    Put32(Image, 0x58 + 92, 16);
    Put32(Image, 0x58 + 96 + 16, 0x1000);
    Put32(Image, 0x58 + 96 + 20, static_cast<uint32_t>(Rsrc.size()));
    const size_t Sec = 0x58 + 0xE0;
    std::memcpy(&Image[Sec], ".rsrc", 5);
    Put32(Image, Sec + 8, static_cast<uint32_t>(Rsrc.size()));
    Put32(Image, Sec + 12, 0x1000);
    Put32(Image, Sec + 16, static_cast<uint32_t>(Rsrc.size()));
    Put32(Image, Sec + 20, 0x200);
    Image.insert(Image.end(), Rsrc.begin(), Rsrc.end());
    return Image;
}

} // namespace

TEST(PEVersion, ReadsTheStringTableOfTheImage)
{
    const auto Image = MakeImage("041904E3", "1.2.3.4");
    EXPECT_EQ(PEVersionString(Image, "041904E3", "FileVersion"), "1.2.3.4");
    EXPECT_EQ(PEVersionString(Image, "041904e3", "ProductName"), "Probe");
    EXPECT_EQ(PEVersionString(Image, "040904B0", "FileVersion"), "");
    EXPECT_EQ(PEVersionString(Image, "041904E3", "ProductVersion"), "");
    EXPECT_EQ(PEVersionString({'M', 'Z'}, "041904E3", "FileVersion"), "");
}

// What a release takes: the version resource, else the side file; the resource's table must be the
// Russian one.
TEST(PEVersion, ReleaseVersionOfAFile)
{
    TScratchDir Dir;
    std::string Ver = "[DistPack]\r\nVersion=7.0.0.1\r\nCRC=0\r\n";
    struct Case { const char* Name; std::vector<uint8_t> Bytes; bool SideFile; const char* Version; } Cases[] = {
        {"ru.exe", MakeImage("041904E3", "1.2.3.4"), true, "1.2.3.4"},
        {"en.exe", MakeImage("040904B0", "1.2.3.4"), true, "7.0.0.1"},
        {"short.exe", MakeImage("041904E3", "1.2"), false, ""},
        {"text.txt", {'t'}, true, "7.0.0.1"},
        {"plain.txt", {'t'}, false, ""},
    };
    for (const auto& C : Cases) {
        const std::string F = Dir.Write(C.Name, C.Bytes);
        if (C.SideFile) Dir.Write(std::string(C.Name) + ".ver", std::vector<uint8_t>(Ver.begin(), Ver.end()));
        EXPECT_EQ(ReleaseVersionOf(F), C.Version) << C.Name;
    }
}

TEST(PEVersion, DamagedImagesNeverCrash)
{
    const auto Image = MakeImage("041904E3", "1.2.3.4");
    for (size_t I = 0; I < Image.size(); ++I) {
        for (uint8_t Mask : {0x01, 0x80, 0xFF}) {
            auto B = Image;
            B[I] ^= Mask;
            PEVersionString(B, "041904E3", "FileVersion");
        }
        PEVersionString(std::vector<uint8_t>(Image.begin(), Image.begin() + static_cast<ptrdiff_t>(I)), "041904E3",
                        "FileVersion");
    }
}
