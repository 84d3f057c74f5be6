#include "platform/SysUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

[[noreturn]] void FormatError(std::string_view Fmt)
{
    throw EConvertError("Format '" + std::string(Fmt) + "' invalid or incompatible with argument");
}

void Pad(std::string& Out, const std::string& Body, bool LeftAlign, int Width)
{
    int Fill = Width - static_cast<int>(Body.size());
    if (Fill > 0 && !LeftAlign) Out.append(static_cast<size_t>(Fill), ' ');
    Out += Body;
    if (Fill > 0 && LeftAlign) Out.append(static_cast<size_t>(Fill), ' ');
}

std::string ZeroExtend(std::string Digits, int Precision)
{
    bool Negative = !Digits.empty() && Digits[0] == '-';
    if (Negative) Digits.erase(0, 1);
    if (Precision > static_cast<int>(Digits.size()))
        Digits.insert(0, static_cast<size_t>(Precision) - Digits.size(), '0');
    return Negative ? "-" + Digits : Digits;
}

} // namespace

std::string Format(std::string_view Fmt, std::initializer_list<TVarRec> Args)
{
    std::string Out;
    Out.reserve(Fmt.size() + 32);
    auto Arg = Args.begin();
    for (size_t i = 0; i < Fmt.size(); ++i) {
        char C = Fmt[i];
        if (C != '%') {
            Out += C;
            continue;
        }
        if (++i >= Fmt.size()) FormatError(Fmt);
        if (Fmt[i] == '%') {
            Out += '%';
            continue;
        }
        bool LeftAlign = false;
        if (Fmt[i] == '-') {
            LeftAlign = true;
            ++i;
        }
        int Width = 0, Precision = -1;
        while (i < Fmt.size() && Fmt[i] >= '0' && Fmt[i] <= '9') Width = Width * 10 + (Fmt[i++] - '0');
        if (i < Fmt.size() && Fmt[i] == '.') {
            Precision = 0;
            ++i;
            while (i < Fmt.size() && Fmt[i] >= '0' && Fmt[i] <= '9') Precision = Precision * 10 + (Fmt[i++] - '0');
        }
        if (i >= Fmt.size() || Arg == Args.end()) FormatError(Fmt);
        const TVarRec& A = *Arg++;
        std::string Body;
        switch (Fmt[i] | 0x20) {
        case 's':
            if (A.VType != TVarRec::vtString) FormatError(Fmt);
            Body.assign(A.S.substr(0, Precision >= 0 ? static_cast<size_t>(Precision) : std::string_view::npos));
            break;
        case 'd':
            if (A.VType == TVarRec::vtString || A.VType == TVarRec::vtPointer) FormatError(Fmt);
            Body = ZeroExtend(std::to_string(A.I), Precision);
            break;
        case 'u':
            if (A.VType == TVarRec::vtString || A.VType == TVarRec::vtPointer) FormatError(Fmt);
            Body = ZeroExtend(std::to_string(A.VType == TVarRec::vtInt ? static_cast<uint32_t>(A.I)
                                                                        : static_cast<uint64_t>(A.I)),
                              Precision);
            break;
        case 'x': {
            if (A.VType == TVarRec::vtString || A.VType == TVarRec::vtPointer) FormatError(Fmt);
            uint64_t V = A.VType == TVarRec::vtInt64 ? static_cast<uint64_t>(A.I) : static_cast<uint32_t>(A.I);
            char Buf[24];
            std::snprintf(Buf, sizeof Buf, "%llX", static_cast<unsigned long long>(V));
            Body = ZeroExtend(Buf, Precision);
            break;
        }
        case 'p': {
            if (A.VType != TVarRec::vtPointer) FormatError(Fmt);
            char Buf[24];
            std::snprintf(Buf, sizeof Buf, "%0*llX", static_cast<int>(sizeof(void*) * 2),
                          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(A.P)));
            Body = Buf;
            break;
        }
        default:
            FormatError(Fmt);
        }
        Pad(Out, Body, LeftAlign, Width);
    }
    return Out;
}

void AssertFailed(const char* Expr, const char* File, int Line, const std::string& Msg)
{
    std::string Text = Msg.empty() ? std::string("Assertion failed: ") + Expr : Msg;
    throw EAssertionFailed(Text + " (" + File + ", line " + std::to_string(Line) + ")");
}

std::string SysErrorMessage(uint32_t ErrorCode)
{
    std::string Text;
#ifdef _WIN32
    char* Buf = nullptr;
    DWORD Len = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, ErrorCode, 0, reinterpret_cast<char*>(&Buf), 0, nullptr);
    if (Buf) {
        Text.assign(Buf, Len);
        LocalFree(Buf);
    }
#else
    Text = std::strerror(static_cast<int>(ErrorCode));
#endif
    // The system ends its texts with a line break and often a full stop; messages go on after them.
    while (!Text.empty() && (static_cast<unsigned char>(Text.back()) <= ' ' || Text.back() == '.'))
        Text.pop_back();
    return Text;
}

uint32_t GetLastOSError()
{
#ifdef _WIN32
    return GetLastError();
#else
    return static_cast<uint32_t>(errno);
#endif
}

void RaiseOSError(uint32_t ErrorCode)
{
    if (ErrorCode == 0) throw EOSError("A call to an OS function failed", 0);
    throw EOSError(Format("System Error.  Code: %d.\r\n%s", {static_cast<int64_t>(ErrorCode),
                                                            SysErrorMessage(ErrorCode)}),
                   ErrorCode);
}

void RaiseLastOSError()
{
    RaiseOSError(GetLastOSError());
}

std::string IntToStr(int64_t Value)
{
    return std::to_string(Value);
}

std::string IntToHex(uint64_t Value, int Digits)
{
    char Buf[24];
    std::snprintf(Buf, sizeof Buf, "%0*llX", Digits, static_cast<unsigned long long>(Value));
    return Buf;
}

bool TryStrToInt(std::string_view S, int32_t& Value)
{
    std::string T = Trim(S);
    size_t i = 0;
    bool Negative = false;
    if (i < T.size() && (T[i] == '-' || T[i] == '+')) Negative = T[i++] == '-';
    int Base = 10;
    if (i < T.size() && T[i] == '$') {
        Base = 16;
        ++i;
    } else if (i + 1 < T.size() && T[i] == '0' && (T[i + 1] == 'x' || T[i + 1] == 'X')) {
        Base = 16;
        i += 2;
    }
    if (i >= T.size()) return false;
    int64_t V = 0;
    for (; i < T.size(); ++i) {
        int D;
        char C = T[i];
        if (C >= '0' && C <= '9') D = C - '0';
        else if (Base == 16 && (C | 0x20) >= 'a' && (C | 0x20) <= 'f') D = (C | 0x20) - 'a' + 10;
        else return false;
        V = V * Base + D;
        if (V > (Base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
    }
    if (Base == 10 && !Negative && V > 0x7FFFFFFF) return false;
    Value = static_cast<int32_t>(Negative ? -V : V);
    return true;
}

int32_t StrToInt(std::string_view S)
{
    int32_t V;
    if (!TryStrToInt(S, V)) throw EConvertError("'" + std::string(S) + "' is not a valid integer value");
    return V;
}

int32_t StrToIntDef(std::string_view S, int32_t Default)
{
    int32_t V;
    return TryStrToInt(S, V) ? V : Default;
}

std::string TrimLeft(std::string_view S)
{
    size_t B = 0;
    while (B < S.size() && static_cast<unsigned char>(S[B]) <= ' ') ++B;
    return std::string(S.substr(B));
}

std::string TrimRight(std::string_view S)
{
    size_t E = S.size();
    while (E > 0 && static_cast<unsigned char>(S[E - 1]) <= ' ') --E;
    return std::string(S.substr(0, E));
}

std::string Trim(std::string_view S)
{
    return TrimLeft(TrimRight(S));
}

std::string UpperCase(std::string_view S)
{
    std::string R(S);
    for (char& C : R)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 32);
    return R;
}

std::string LowerCase(std::string_view S)
{
    std::string R(S);
    for (char& C : R)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C + 32);
    return R;
}

int CompareText(std::string_view A, std::string_view B)
{
    size_t N = A.size() < B.size() ? A.size() : B.size();
    for (size_t i = 0; i < N; ++i) {
        unsigned char X = static_cast<unsigned char>(A[i]), Y = static_cast<unsigned char>(B[i]);
        if (X >= 'a' && X <= 'z') X -= 32;
        if (Y >= 'a' && Y <= 'z') Y -= 32;
        if (X != Y) return X - Y;
    }
    return static_cast<int>(A.size()) - static_cast<int>(B.size());
}

bool SameText(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && CompareText(A, B) == 0;
}

namespace {
unsigned char AnsiUpper(unsigned char C)
{
    if (C >= 'a' && C <= 'z') return static_cast<unsigned char>(C - 32);
    if (C >= 0xE0) return static_cast<unsigned char>(C - 32);  // а..я
    switch (C) {
    case 0xB8: return 0xA8;  // ё
    case 0xA2: return 0xA1;  // ў
    case 0xB3: return 0xB2;  // і
    case 0xBA: return 0xAA;  // є
    case 0xBF: return 0xAF;  // ї
    case 0xBC: return 0xA3;  // ј
    case 0xBE: return 0xBD;  // ѕ
    case 0x90: return 0x80;  // ђ
    case 0x83: return 0x81;  // ѓ
    case 0x9A: return 0x8A;  // љ
    case 0x9C: return 0x8C;  // њ
    case 0x9D: return 0x8D;  // ќ
    case 0x9E: return 0x8E;  // ћ
    case 0x9F: return 0x8F;  // џ
    default: return C;
    }
}
} // namespace

std::string AnsiUpperCase(std::string_view S)
{
    std::string R(S);
    for (char& C : R) C = static_cast<char>(AnsiUpper(static_cast<unsigned char>(C)));
    return R;
}

bool AnsiSameText(std::string_view A, std::string_view B)
{
    if (A.size() != B.size()) return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (AnsiUpper(static_cast<unsigned char>(A[i])) != AnsiUpper(static_cast<unsigned char>(B[i])))
            return false;
    return true;
}

bool StartsText(std::string_view Prefix, std::string_view S)
{
    return S.size() >= Prefix.size() && SameText(S.substr(0, Prefix.size()), Prefix);
}

bool EndsText(std::string_view Suffix, std::string_view S)
{
    return S.size() >= Suffix.size() && SameText(S.substr(S.size() - Suffix.size()), Suffix);
}

std::string StringReplaceAll(std::string_view S, std::string_view From, std::string_view To)
{
    if (From.empty()) return std::string(S);
    std::string R;
    size_t Pos = 0;
    for (size_t Hit; (Hit = S.find(From, Pos)) != std::string_view::npos; Pos = Hit + From.size()) {
        R.append(S.substr(Pos, Hit - Pos));
        R.append(To);
    }
    R.append(S.substr(Pos));
    return R;
}

std::string StringOfChar(char C, size_t Count)
{
    return std::string(Count, C);
}

bool IsPathDelimiter(char C)
{
#ifdef _WIN32
    return C == '\\' || C == '/';
#else
    return C == '\\' || C == '/';
#endif
}

namespace {
// Index just past the last delimiter or drive colon; 0 when there is none.
size_t NameStart(std::string_view FileName)
{
    for (size_t i = FileName.size(); i > 0; --i)
        if (IsPathDelimiter(FileName[i - 1]) || FileName[i - 1] == ':') return i;
    return 0;
}
} // namespace

std::string ExtractFilePath(std::string_view FileName)
{
    return std::string(FileName.substr(0, NameStart(FileName)));
}

std::string ExtractFileDir(std::string_view FileName)
{
    size_t I = NameStart(FileName);
    if (I > 1 && IsPathDelimiter(FileName[I - 1]) && !IsPathDelimiter(FileName[I - 2]) && FileName[I - 2] != ':')
        --I;
    return std::string(FileName.substr(0, I));
}

std::string ExtractFileName(std::string_view FileName)
{
    return std::string(FileName.substr(NameStart(FileName)));
}

std::string ExtractFileExt(std::string_view FileName)
{
    size_t Start = NameStart(FileName);
    size_t Dot = FileName.rfind('.');
    if (Dot == std::string_view::npos || Dot < Start) return {};
    return std::string(FileName.substr(Dot));
}

std::string ChangeFileExt(std::string_view FileName, std::string_view Extension)
{
    size_t Start = NameStart(FileName);
    size_t Dot = FileName.rfind('.');
    if (Dot == std::string_view::npos || Dot < Start) Dot = FileName.size();
    return std::string(FileName.substr(0, Dot)) + std::string(Extension);
}

std::string IncludeTrailingPathDelimiter(std::string_view S)
{
    std::string R(S);
    if (R.empty() || !IsPathDelimiter(R.back())) R += '\\';
    return R;
}

std::string ExcludeTrailingPathDelimiter(std::string_view S)
{
    std::string R(S);
    if (!R.empty() && IsPathDelimiter(R.back())) R.pop_back();
    return R;
}
