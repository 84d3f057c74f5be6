#include "PEVersion.h"

#include "platform/SysUtils.h"

namespace {

// Every read is range-checked: images come from anywhere.
class TReader {
public:
    explicit TReader(const std::vector<uint8_t>& B) : FB(B) {}
    bool Has(uint64_t Ofs, uint64_t Len) const { return Ofs <= FB.size() && Len <= FB.size() - Ofs; }
    uint16_t U16(uint64_t Ofs, bool& Ok) const
    {
        if (!Has(Ofs, 2)) return Ok = false, 0;
        return static_cast<uint16_t>(FB[Ofs] | FB[Ofs + 1] << 8);
    }
    uint32_t U32(uint64_t Ofs, bool& Ok) const
    {
        if (!Has(Ofs, 4)) return Ok = false, 0;
        return uint32_t(FB[Ofs]) | uint32_t(FB[Ofs + 1]) << 8 | uint32_t(FB[Ofs + 2]) << 16 | uint32_t(FB[Ofs + 3]) << 24;
    }
    size_t Size() const { return FB.size(); }

private:
    const std::vector<uint8_t>& FB;
};

struct TSection {
    uint32_t VirtualAddress, VirtualSize, RawOffset, RawSize;
};

// File offset of a relative virtual address, or UINT64_MAX.
uint64_t RvaToOffset(const std::vector<TSection>& Sections, uint32_t Rva)
{
    for (const TSection& S : Sections) {
        uint32_t Span = S.VirtualSize ? S.VirtualSize : S.RawSize;
        if (Rva >= S.VirtualAddress && Rva - S.VirtualAddress < Span && Rva - S.VirtualAddress < S.RawSize)
            return uint64_t(S.RawOffset) + (Rva - S.VirtualAddress);
    }
    return UINT64_MAX;
}

// The first entry of a resource directory whose id matches (Id < 0: any entry): its offset field.
bool FindEntry(const TReader& R, uint64_t Dir, int32_t Id, uint32_t& Entry)
{
    bool Ok = true;
    uint32_t Named = R.U16(Dir + 12, Ok), Ids = R.U16(Dir + 14, Ok);
    if (!Ok) return false;
    for (uint32_t I = 0; I < Named + Ids; ++I) {
        uint64_t E = Dir + 16 + 8ull * I;
        uint32_t Name = R.U32(E, Ok), Off = R.U32(E + 4, Ok);
        if (!Ok) return false;
        if (Id < 0 || (!(Name & 0x80000000u) && Name == static_cast<uint32_t>(Id))) {
            Entry = Off;
            return true;
        }
    }
    return false;
}

// A UTF-16 text of ASCII characters as 8-bit text (version strings are digits and dots).
std::string Narrow(const TReader& R, uint64_t Ofs, uint64_t MaxChars)
{
    std::string S;
    bool Ok = true;
    for (uint64_t I = 0; I < MaxChars; ++I) {
        uint16_t C = R.U16(Ofs + 2 * I, Ok);
        if (!Ok || C == 0) break;
        S += C < 0x80 ? static_cast<char>(C) : '?';
    }
    return S;
}

// Walks a version block (length, value length, type, key, padding, value, children) from Ofs within
// End; calls F(KeyText, ValueOffset, ValueLength, ChildrenOffset, BlockEnd) for each block.
template <class F>
void ForEachBlock(const TReader& R, uint64_t Ofs, uint64_t End, F&& Visit)
{
    bool Ok = true;
    while (Ofs + 6 <= End) {
        uint16_t Len = R.U16(Ofs, Ok), ValueLen = R.U16(Ofs + 2, Ok), Type = R.U16(Ofs + 4, Ok);
        if (!Ok || Len < 6 || Ofs + Len > End) return;
        const uint64_t BlockEnd = Ofs + Len;
        std::string Key = Narrow(R, Ofs + 6, (BlockEnd - Ofs - 6) / 2);
        uint64_t Value = (Ofs + 6 + 2 * (Key.size() + 1) + 3) & ~uint64_t(3);
        uint64_t ValueBytes = Type == 1 ? 2ull * ValueLen : ValueLen;  // text values count characters
        if (Value > BlockEnd) Value = BlockEnd;
        if (ValueBytes > BlockEnd - Value) ValueBytes = BlockEnd - Value;
        uint64_t Children = (Value + ValueBytes + 3) & ~uint64_t(3);
        if (Children > BlockEnd) Children = BlockEnd;
        if (!Visit(Key, Value, ValueBytes, Children, BlockEnd)) return;
        Ofs = (BlockEnd + 3) & ~uint64_t(3);
    }
}

} // namespace

std::string PEVersionString(const std::vector<uint8_t>& Image, const std::string& LangCP, const std::string& Name)
{
    TReader R(Image);
    bool Ok = true;
    if (R.U16(0, Ok) != 0x5A4D || !Ok) return "";
    uint32_t Pe = R.U32(0x3C, Ok);
    if (!Ok || R.U32(Pe, Ok) != 0x00004550 || !Ok) return "";
    const uint64_t Coff = uint64_t(Pe) + 4;
    uint16_t NSections = R.U16(Coff + 2, Ok), OptSize = R.U16(Coff + 16, Ok);
    const uint64_t Opt = Coff + 20;
    uint16_t Magic = R.U16(Opt, Ok);
    if (!Ok || (Magic != 0x10B && Magic != 0x20B)) return "";
    const uint64_t DataDirs = Opt + (Magic == 0x10B ? 96 : 112);
    uint32_t NDirs = R.U32(DataDirs - 4, Ok);
    if (!Ok || NDirs < 3 || DataDirs + 8 * 3 > Opt + OptSize) return "";
    uint32_t ResRva = R.U32(DataDirs + 16, Ok);
    if (!Ok || ResRva == 0) return "";

    std::vector<TSection> Sections;
    const uint64_t SecTable = Opt + OptSize;
    for (uint32_t I = 0; I < NSections; ++I) {
        uint64_t S = SecTable + 40ull * I;
        TSection T{R.U32(S + 12, Ok), R.U32(S + 8, Ok), R.U32(S + 20, Ok), R.U32(S + 16, Ok)};
        if (!Ok) return "";
        Sections.push_back(T);
    }
    const uint64_t Root = RvaToOffset(Sections, ResRva);
    if (Root == UINT64_MAX || !R.Has(Root, 16)) return "";

    // Type RT_VERSION (16), then any name, then any language; a leaf points at the data entry.
    uint32_t E = 0;
    uint64_t Dir = Root;
    for (int Level = 0; Level < 3; ++Level) {
        if (!FindEntry(R, Dir, Level == 0 ? 16 : -1, E)) return "";
        bool IsDir = E & 0x80000000u;
        if (Level < 2 ? !IsDir : IsDir) return "";
        Dir = Root + (E & 0x7FFFFFFFu);
        if (!R.Has(Dir, 16)) return "";
    }
    uint32_t DataRva = R.U32(Dir, Ok), DataSize = R.U32(Dir + 4, Ok);
    const uint64_t Data = RvaToOffset(Sections, DataRva);
    if (!Ok || Data == UINT64_MAX || !R.Has(Data, DataSize)) return "";

    // VS_VERSIONINFO -> StringFileInfo -> the table LangCP -> the string Name.
    std::string Result;
    ForEachBlock(R, Data, Data + DataSize, [&](const std::string& Key, uint64_t, uint64_t, uint64_t Children,
                                               uint64_t End) {
        if (Key != "VS_VERSION_INFO") return false;
        ForEachBlock(R, Children, End, [&](const std::string& K1, uint64_t, uint64_t, uint64_t C1, uint64_t E1) {
            if (K1 != "StringFileInfo") return true;
            ForEachBlock(R, C1, E1, [&](const std::string& K2, uint64_t, uint64_t, uint64_t C2, uint64_t E2) {
                if (!SameText(K2, LangCP)) return true;
                ForEachBlock(R, C2, E2, [&](const std::string& K3, uint64_t V, uint64_t VLen, uint64_t, uint64_t) {
                    if (K3 != Name) return true;
                    Result = Narrow(R, V, VLen / 2);
                    return false;
                });
                return false;
            });
            return false;
        });
        return false;
    });
    return Result;
}
