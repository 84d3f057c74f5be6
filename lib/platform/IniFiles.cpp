#include "platform/IniFiles.h"

#include <memory>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/WinHandles.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

enum class TReadResult { Ok, Missing, Failed };

// Reads the whole file. Only a file that is not there counts as missing: a file that exists but cannot
// be read must not be taken for an empty ini, or saving would wipe it.
TReadResult ReadWholeFile(const std::string& FileName, std::string& Out)
{
#ifdef _WIN32
    // Others may read along, but nobody may be writing while the file is taken in.
    TFileHandle F(CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!F) {
        DWORD E = GetLastError();
        return E == ERROR_FILE_NOT_FOUND || E == ERROR_PATH_NOT_FOUND ? TReadResult::Missing : TReadResult::Failed;
    }
    char Buf[16384];
    DWORD N = 0;
    for (;;) {
        if (!ReadFile(F.Get(), Buf, sizeof Buf, &N, nullptr)) return TReadResult::Failed;
        if (N == 0) break;
        Out.append(Buf, N);
    }
    return TReadResult::Ok;
#else
    int Fd = ::open(FileName.c_str(), O_RDONLY);
    if (Fd < 0) return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
    char Buf[16384];
    TReadResult R = TReadResult::Ok;
    for (;;) {
        ssize_t N = ::read(Fd, Buf, sizeof Buf);
        if (N < 0) {
            R = TReadResult::Failed;
            break;
        }
        if (N == 0) break;
        Out.append(Buf, static_cast<size_t>(N));
    }
    ::close(Fd);
    return R;
#endif
}

std::string_view KeyName(std::string_view Line, bool& HasName)
{
    size_t Eq = Line.find('=');
    HasName = Eq != std::string_view::npos;
    return HasName ? Line.substr(0, Eq) : std::string_view{};
}

} // namespace

TMemIniFile::TMemIniFile(std::string FileName) : FFileName(std::move(FileName))
{
    std::string Text;
    switch (ReadWholeFile(FFileName, Text)) {
    case TReadResult::Ok: SetText(Text); break;
    case TReadResult::Missing: break;
    case TReadResult::Failed: throw EFOpenError(Format("Cannot open file %s", {FFileName}));
    }
}

void TMemIniFile::SetText(std::string_view Text)
{
    FSections.clear();
    TSection* Current = nullptr;
    size_t Pos = 0;
    while (Pos < Text.size()) {
        size_t End = Text.find_first_of("\r\n", Pos);
        if (End == std::string_view::npos) End = Text.size();
        std::string_view Line = Text.substr(Pos, End - Pos);
        Pos = End;
        if (Pos < Text.size() && Text[Pos] == '\r') ++Pos;
        if (Pos < Text.size() && Text[Pos] == '\n' && (Pos == End || Text[Pos - 1] == '\r')) ++Pos;

        std::string T = Trim(Line);
        if (T.empty() || T[0] == ';') continue;
        if (T.size() >= 2 && T.front() == '[' && T.back() == ']') {
            std::string Name = Trim(std::string_view(T).substr(1, T.size() - 2));
            Current = FindSection(Name);
            if (!Current) {
                FSections.push_back({Name, {}});
                Current = &FSections.back();
            }
            continue;
        }
        if (Current) Current->Lines.emplace_back(Line);
    }
}

std::string TMemIniFile::GetText() const
{
    std::string Out;
    for (const TSection& S : FSections) {
        Out += "[" + S.Name + "]\r\n";
        for (const std::string& L : S.Lines) Out += L + "\r\n";
        Out += "\r\n";
    }
    return Out;
}

void TMemIniFile::UpdateFile() const
{
    // Everything is formatted before the file is touched, so a failure cannot leave it half written.
    std::string Text = GetText();
#ifdef _WIN32
    // A read-only file must stay as it is. Windows refuses to replace one, but not every layer beneath
    // it enforces the attribute for every user (Wine running as root writes straight through), so it is
    // checked here before anything is touched.
    DWORD Attr = GetFileAttributesA(FFileName.c_str());
    if (Attr != INVALID_FILE_ATTRIBUTES && (Attr & FILE_ATTRIBUTE_READONLY))
        throw EFCreateError(Format("Cannot create file %s", {FFileName}));
#endif
    std::unique_ptr<TFileStream> F;
    try {
        F = std::make_unique<TFileStream>(FFileName, fmCreate);
    } catch (const EFCreateError&) {
        throw EFCreateError(Format("Cannot create file %s", {FFileName}));
    }
    F->WriteBuffer(Text.data(), static_cast<int32_t>(Text.size()));
}

TMemIniFile::TSection* TMemIniFile::FindSection(std::string_view Section)
{
    std::string Name = Trim(Section);
    for (TSection& S : FSections)
        if (AnsiSameText(S.Name, Name)) return &S;
    return nullptr;
}

const TMemIniFile::TSection* TMemIniFile::FindSection(std::string_view Section) const
{
    return const_cast<TMemIniFile*>(this)->FindSection(Section);
}

ptrdiff_t TMemIniFile::FindKey(const TSection& S, std::string_view Ident)
{
    std::string Name = Trim(Ident);
    for (size_t I = 0; I < S.Lines.size(); ++I) {
        bool HasName;
        std::string_view K = KeyName(S.Lines[I], HasName);
        if (HasName && AnsiSameText(Trim(K), Name)) return static_cast<ptrdiff_t>(I);
    }
    return -1;
}

bool TMemIniFile::SectionExists(std::string_view Section) const
{
    return FindSection(Section) != nullptr;
}

bool TMemIniFile::ValueExists(std::string_view Section, std::string_view Ident) const
{
    const TSection* S = FindSection(Section);
    return S && FindKey(*S, Ident) >= 0;
}

std::string TMemIniFile::ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const
{
    const TSection* S = FindSection(Section);
    ptrdiff_t K = S ? FindKey(*S, Ident) : -1;
    if (K < 0) return std::string(Default);
    const std::string& Line = S->Lines[static_cast<size_t>(K)];
    return Line.substr(Line.find('=') + 1);
}

int32_t TMemIniFile::ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const
{
    std::string V = Trim(ReadString(Section, Ident, ""));
    return V.empty() ? Default : StrToIntDef(V, Default);
}

void TMemIniFile::WriteString(std::string_view Section, std::string_view Ident, std::string_view Value)
{
    TSection* S = FindSection(Section);
    if (!S) {
        FSections.push_back({Trim(Section), {}});
        S = &FSections.back();
    }
    std::string Line = std::string(Ident) + "=" + std::string(Value);
    ptrdiff_t K = FindKey(*S, Ident);
    if (K >= 0) S->Lines[static_cast<size_t>(K)] = std::move(Line);
    else S->Lines.push_back(std::move(Line));
}

void TMemIniFile::WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value)
{
    WriteString(Section, Ident, IntToStr(Value));
}

std::vector<std::string> TMemIniFile::ReadSections() const
{
    std::vector<std::string> Out;
    for (const TSection& S : FSections) Out.push_back(S.Name);
    return Out;
}

std::vector<std::string> TMemIniFile::ReadSection(std::string_view Section) const
{
    std::vector<std::string> Out;
    if (const TSection* S = FindSection(Section))
        for (const std::string& L : S->Lines) {
            bool HasName;
            std::string_view K = KeyName(L, HasName);
            if (HasName) Out.push_back(Trim(K));
        }
    return Out;
}

void TMemIniFile::EraseSection(std::string_view Section)
{
    std::string Name = Trim(Section);
    std::erase_if(FSections, [&](const TSection& S) { return AnsiSameText(S.Name, Name); });
}

void TMemIniFile::DeleteKey(std::string_view Section, std::string_view Ident)
{
    TSection* S = FindSection(Section);
    ptrdiff_t K = S ? FindKey(*S, Ident) : -1;
    if (K >= 0) S->Lines.erase(S->Lines.begin() + K);
}
