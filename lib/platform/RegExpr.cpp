#include "platform/RegExpr.h"

#include <algorithm>
#include <bitset>
#include <cstdint>

// The pattern is parsed into a tree and compiled into a small program for a backtracking machine:
// a split instruction tries its first target and keeps the second on a stack to come back to, so the
// first match found is the one Perl finds. The machine keeps its own stack instead of recursing, so
// long inputs cannot exhaust the native stack.

using TCharSet = std::bitset<256>;

namespace {

enum TOp : uint8_t {
    opChar,       // X: byte
    opAny,        // any byte but "\n"
    opSet,        // X: index of the set
    opBegin,      // ^ \A
    opEndOrLf,    // $ \Z: the end, or a final "\n"
    opEnd,        // \z
    opWordB,      // \b
    opNotWordB,   // \B
    opBackref,    // X: group
    opSplit,      // try X, keep Y for later
    opJmp,        // X: target
    opSave,       // X: register := position
    opProgress,   // X: register; fails when the position has not moved past it (an empty loop pass)
    opMatch,
};

struct TInst {
    TOp Op;
    int X = 0;
    int Y = 0;
};

struct TNode {
    enum TKind { nkEmpty, nkChar, nkAny, nkSet, nkAssert, nkBackref, nkGroup, nkConcat, nkAlt, nkRepeat } Kind;
    int Value = 0;   // byte, set index, assertion op, group number (-1: not capturing)
    int Min = 0, Max = 0;  // repeat counts; Max -1 for no limit
    bool Greedy = true;
    std::vector<std::unique_ptr<TNode>> Kids;

    explicit TNode(TKind K, int V = 0) : Kind(K), Value(V) {}
};
using TNodePtr = std::unique_ptr<TNode>;

// Limits that keep a hostile or mistyped pattern from using unbounded memory or stack while compiling.
constexpr int MaxRepeat = 1000;
constexpr int MaxNesting = 200;
constexpr size_t MaxProgram = 200000;

bool IsWordChar(unsigned char C)
{
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
}

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

TCharSet ClassSet(char Letter)
{
    TCharSet S;
    for (int C = 0; C < 256; ++C) {
        bool In = false;
        switch (Letter | 0x20) {
        case 'w': In = IsWordChar(static_cast<unsigned char>(C)); break;
        case 'd': In = C >= '0' && C <= '9'; break;
        case 's': In = C == ' ' || (C >= '\t' && C <= '\r'); break;
        }
        S[static_cast<size_t>(C)] = In;
    }
    if (Letter >= 'A' && Letter <= 'Z') S.flip();
    return S;
}

int HexValue(char C)
{
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

} // namespace

struct TRegExpr::TProgram {
    std::vector<TInst> Code;
    std::vector<TCharSet> Sets;
    int Groups = 0;  // capturing groups, group 0 not counted
    int Regs = 0;    // 2 per group including group 0, then the loop marks
};

namespace {

class TParser {
public:
    TParser(std::string_view Pattern, TRegExpr::TProgram& Prog) : P(Pattern), Prog(Prog) {}

    TNodePtr Parse()
    {
        TNodePtr Root = ParseAlt();
        if (Pos < P.size()) Fail("unmatched \")\"");
        if (MaxBackref > Groups) Fail("reference to a group that does not exist");
        Prog.Groups = Groups;
        return Root;
    }

private:
    [[noreturn]] void Fail(const char* What) const
    {
        throw ERegExpr(Format("TRegExpr: %s at offset %d in \"%s\"", {What, static_cast<int64_t>(Pos), P}));
    }

    bool AtEnd() const { return Pos >= P.size(); }

    TNodePtr ParseAlt()
    {
        if (++Depth > MaxNesting) Fail("groups nested too deeply");
        TNodePtr First = ParseConcat();
        if (AtEnd() || P[Pos] != '|') {
            --Depth;
            return First;
        }
        auto Alt = std::make_unique<TNode>(TNode::nkAlt);
        Alt->Kids.push_back(std::move(First));
        while (!AtEnd() && P[Pos] == '|') {
            ++Pos;
            Alt->Kids.push_back(ParseConcat());
        }
        --Depth;
        return Alt;
    }

    TNodePtr ParseConcat()
    {
        auto Seq = std::make_unique<TNode>(TNode::nkConcat);
        while (!AtEnd() && P[Pos] != '|' && P[Pos] != ')') Seq->Kids.push_back(ParseRepeat());
        if (Seq->Kids.empty()) return std::make_unique<TNode>(TNode::nkEmpty);
        if (Seq->Kids.size() == 1) return std::move(Seq->Kids[0]);
        return Seq;
    }

    // {n}, {n,} or {n,m} at Pos; false (Pos unchanged) when the text there is not one, so that the
    // brace is taken literally as Perl does.
    bool ParseBraces(int& Min, int& Max)
    {
        size_t I = Pos + 1;
        auto Number = [&](int& Out) {
            size_t Start = I;
            long V = 0;
            while (I < P.size() && IsDigit(P[I])) {
                V = V * 10 + (P[I] - '0');
                if (V > MaxRepeat) V = MaxRepeat + 1;
                ++I;
            }
            Out = static_cast<int>(V);
            return I > Start;
        };
        if (!Number(Min)) return false;
        Max = Min;
        if (I < P.size() && P[I] == ',') {
            ++I;
            if (!Number(Max)) Max = -1;
        }
        if (I >= P.size() || P[I] != '}') return false;
        if (Min > MaxRepeat || Max > MaxRepeat) Fail("repeat count too large");
        if (Max != -1 && Max < Min) Fail("repeat counts in wrong order");
        Pos = I + 1;
        return true;
    }

    bool ParseQuantifier(int& Min, int& Max)
    {
        if (AtEnd()) return false;
        switch (P[Pos]) {
        case '*': Min = 0; Max = -1; ++Pos; return true;
        case '+': Min = 1; Max = -1; ++Pos; return true;
        case '?': Min = 0; Max = 1; ++Pos; return true;
        case '{': return ParseBraces(Min, Max);
        default: return false;
        }
    }

    TNodePtr ParseRepeat()
    {
        TNodePtr Atom = ParseAtom();
        int Min, Max;
        if (!ParseQuantifier(Min, Max)) return Atom;
        auto Rep = std::make_unique<TNode>(TNode::nkRepeat);
        Rep->Min = Min;
        Rep->Max = Max;
        if (!AtEnd() && P[Pos] == '?') {
            Rep->Greedy = false;
            ++Pos;
        } else if (!AtEnd() && P[Pos] == '+') {
            Fail("possessive quantifiers are not supported");
        }
        int M2, X2;
        size_t Save = Pos;
        if (ParseQuantifier(M2, X2)) {
            Pos = Save;
            Fail("nested quantifier");
        }
        Rep->Kids.push_back(std::move(Atom));
        return Rep;
    }

    TNodePtr SetNode(const TCharSet& S)
    {
        Prog.Sets.push_back(S);
        return std::make_unique<TNode>(TNode::nkSet, static_cast<int>(Prog.Sets.size() - 1));
    }

    // The escape at Pos (just after the backslash) that stands for one byte; -1 when it is a class
    // letter (w, d, s and their negations), which the caller handles.
    int EscapedChar()
    {
        if (AtEnd()) Fail("pattern ends with \"\\\"");
        char C = P[Pos++];
        switch (C) {
        case 't': return '\t';
        case 'n': return '\n';
        case 'r': return '\r';
        case 'f': return '\f';
        case 'a': return '\a';
        case 'e': return 0x1B;
        case '0': return 0;
        case 'x': {
            int Hi = Pos < P.size() ? HexValue(P[Pos]) : -1;
            int Lo = Pos + 1 < P.size() ? HexValue(P[Pos + 1]) : -1;
            if (Hi < 0 || Lo < 0) Fail("\\x needs two hexadecimal digits");
            Pos += 2;
            return Hi * 16 + Lo;
        }
        case 'w': case 'W': case 'd': case 'D': case 's': case 'S':
            --Pos;
            return -1;
        default:
            if ((C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || IsDigit(C)) {
                --Pos;
                Fail("unknown escape");
            }
            return static_cast<unsigned char>(C);
        }
    }

    TNodePtr ParseEscape()
    {
        ++Pos;  // the backslash
        if (AtEnd()) Fail("pattern ends with \"\\\"");
        char C = P[Pos];
        switch (C) {
        case 'b': ++Pos; return std::make_unique<TNode>(TNode::nkAssert, opWordB);
        case 'B': ++Pos; return std::make_unique<TNode>(TNode::nkAssert, opNotWordB);
        case 'A': ++Pos; return std::make_unique<TNode>(TNode::nkAssert, opBegin);
        case 'Z': ++Pos; return std::make_unique<TNode>(TNode::nkAssert, opEndOrLf);
        case 'z': ++Pos; return std::make_unique<TNode>(TNode::nkAssert, opEnd);
        default: break;
        }
        if (C >= '1' && C <= '9') {
            ++Pos;
            MaxBackref = std::max(MaxBackref, C - '0');
            return std::make_unique<TNode>(TNode::nkBackref, C - '0');
        }
        int Ch = EscapedChar();
        if (Ch >= 0) return std::make_unique<TNode>(TNode::nkChar, Ch);
        return SetNode(ClassSet(P[Pos++]));
    }

    TNodePtr ParseClass()
    {
        ++Pos;  // "["
        bool Negate = !AtEnd() && P[Pos] == '^';
        if (Negate) ++Pos;
        TCharSet S;
        bool First = true;
        for (;;) {
            if (AtEnd()) Fail("unmatched \"[\"");
            char C = P[Pos];
            if (C == ']' && !First) {
                ++Pos;
                break;
            }
            First = false;
            int Lo;
            ++Pos;
            if (C == '\\') {
                if (!AtEnd() && P[Pos] == 'b') {
                    ++Pos;
                    Lo = '\b';
                } else {
                    Lo = EscapedChar();
                    if (Lo < 0) {
                        S |= ClassSet(P[Pos++]);
                        continue;  // a "-" after a class letter is literal
                    }
                }
            } else {
                Lo = static_cast<unsigned char>(C);
            }
            int Hi = Lo;
            if (Pos + 1 < P.size() && P[Pos] == '-' && P[Pos + 1] != ']') {
                size_t Dash = Pos++;
                char D = P[Pos++];
                if (D == '\\') {
                    Hi = EscapedChar();
                    if (Hi < 0) {
                        // "a-\d": the dash is a literal, as Perl reads it
                        S[static_cast<size_t>(Lo)] = true;
                        S['-'] = true;
                        S |= ClassSet(P[Pos++]);
                        continue;
                    }
                } else {
                    Hi = static_cast<unsigned char>(D);
                }
                if (Hi < Lo) {
                    Pos = Dash;
                    Fail("invalid range in character class");
                }
            }
            for (int X = Lo; X <= Hi; ++X) S[static_cast<size_t>(X)] = true;
        }
        if (Negate) S.flip();
        return SetNode(S);
    }

    TNodePtr ParseAtom()
    {
        char C = P[Pos];
        switch (C) {
        case '(': {
            ++Pos;
            int Group = -1;
            if (!AtEnd() && P[Pos] == '?') {
                if (Pos + 1 < P.size() && P[Pos + 1] == ':') Pos += 2;
                else Fail("unsupported group syntax");
            } else {
                Group = ++Groups;
            }
            auto Node = std::make_unique<TNode>(TNode::nkGroup, Group);
            Node->Kids.push_back(ParseAlt());
            if (AtEnd() || P[Pos] != ')') Fail("unmatched \"(\"");
            ++Pos;
            return Node;
        }
        case '[': return ParseClass();
        case '.': ++Pos; return std::make_unique<TNode>(TNode::nkAny);
        case '^': ++Pos; return std::make_unique<TNode>(TNode::nkAssert, opBegin);
        case '$': ++Pos; return std::make_unique<TNode>(TNode::nkAssert, opEndOrLf);
        case '\\': return ParseEscape();
        case '*': case '+': case '?':
            Fail("quantifier follows nothing");
        case '{': {
            int Min, Max;
            if (ParseBraces(Min, Max)) Fail("quantifier follows nothing");
            break;
        }
        default: break;
        }
        ++Pos;
        return std::make_unique<TNode>(TNode::nkChar, static_cast<unsigned char>(C));
    }

    std::string_view P;
    TRegExpr::TProgram& Prog;
    size_t Pos = 0;
    int Groups = 0;
    int MaxBackref = 0;
    int Depth = 0;
};

bool CanBeEmpty(const TNode& N)
{
    switch (N.Kind) {
    case TNode::nkChar: case TNode::nkAny: case TNode::nkSet: return false;
    case TNode::nkEmpty: case TNode::nkAssert: case TNode::nkBackref: return true;
    case TNode::nkGroup: return CanBeEmpty(*N.Kids[0]);
    case TNode::nkRepeat: return N.Min == 0 || CanBeEmpty(*N.Kids[0]);
    case TNode::nkConcat:
        for (auto& K : N.Kids)
            if (!CanBeEmpty(*K)) return false;
        return true;
    case TNode::nkAlt:
        for (auto& K : N.Kids)
            if (CanBeEmpty(*K)) return true;
        return false;
    }
    return true;
}

class TCompiler {
public:
    TCompiler(std::string_view Pattern, TRegExpr::TProgram& Prog) : Pattern(Pattern), Prog(Prog)
    {
        Regs = 2 * (Prog.Groups + 1);
    }

    void CompileAll(const TNode& Root)
    {
        Emit(opSave, 0);
        Compile(Root);
        Emit(opSave, 1);
        Emit(opMatch);
        Prog.Regs = Regs;
    }

private:
    int Emit(TOp Op, int X = 0, int Y = 0)
    {
        if (Prog.Code.size() >= MaxProgram)
            throw ERegExpr(Format("TRegExpr: pattern too large in \"%s\"", {Pattern}));
        Prog.Code.push_back(TInst{Op, X, Y});
        return static_cast<int>(Prog.Code.size() - 1);
    }
    int Here() const { return static_cast<int>(Prog.Code.size()); }

    // A split in front of an optional pass: Take enters the pass, Skip goes past it; the greedy form
    // tries the pass first.
    void PatchSplit(int At, int Take, int Skip, bool Greedy)
    {
        Prog.Code[static_cast<size_t>(At)].X = Greedy ? Take : Skip;
        Prog.Code[static_cast<size_t>(At)].Y = Greedy ? Skip : Take;
    }

    void Compile(const TNode& N)
    {
        switch (N.Kind) {
        case TNode::nkEmpty: break;
        case TNode::nkChar: Emit(opChar, N.Value); break;
        case TNode::nkAny: Emit(opAny); break;
        case TNode::nkSet: Emit(opSet, N.Value); break;
        case TNode::nkAssert: Emit(static_cast<TOp>(N.Value)); break;
        case TNode::nkBackref: Emit(opBackref, N.Value); break;
        case TNode::nkGroup:
            if (N.Value >= 0) Emit(opSave, 2 * N.Value);
            Compile(*N.Kids[0]);
            if (N.Value >= 0) Emit(opSave, 2 * N.Value + 1);
            break;
        case TNode::nkConcat:
            for (auto& K : N.Kids) Compile(*K);
            break;
        case TNode::nkAlt: {
            std::vector<int> Jumps;
            for (size_t I = 0; I < N.Kids.size(); ++I) {
                if (I + 1 < N.Kids.size()) {
                    int S = Emit(opSplit);
                    Compile(*N.Kids[I]);
                    Jumps.push_back(Emit(opJmp));
                    PatchSplit(S, S + 1, Here(), true);
                } else {
                    Compile(*N.Kids[I]);
                }
            }
            for (int J : Jumps) Prog.Code[static_cast<size_t>(J)].X = Here();
            break;
        }
        case TNode::nkRepeat: CompileRepeat(N); break;
        }
    }

    void CompileRepeat(const TNode& N)
    {
        const TNode& Body = *N.Kids[0];
        for (int I = 0; I < N.Min; ++I) Compile(Body);
        if (N.Max == -1) {
            // A pass that matches nothing would loop forever: such a pass fails and the loop ends.
            bool Guard = CanBeEmpty(Body);
            int Mark = Guard ? Regs++ : 0;
            int Loop = Emit(opSplit);
            if (Guard) Emit(opSave, Mark);
            Compile(Body);
            if (Guard) Emit(opProgress, Mark);
            Emit(opJmp, Loop);
            PatchSplit(Loop, Loop + 1, Here(), N.Greedy);
            return;
        }
        // Optional passes nest: a later one is tried only after the earlier one matched.
        std::vector<int> Splits;
        for (int I = N.Min; I < N.Max; ++I) {
            Splits.push_back(Emit(opSplit));
            Compile(Body);
        }
        for (int S : Splits) PatchSplit(S, S + 1, Here(), N.Greedy);
    }

    std::string_view Pattern;
    TRegExpr::TProgram& Prog;
    int Regs;
};

// Runs the program anchored at Start. Regs holds every register; on success the capture registers
// describe the match.
bool RunAt(const TRegExpr::TProgram& Prog, std::string_view S, size_t Start, std::vector<ptrdiff_t>& Regs)
{
    struct TEntry {
        int Pc;        // >= 0: a branch to resume at Pc with position Val
        int Reg;       // >= 0 (Pc -1): a register to restore to Val on the way back
        ptrdiff_t Val;
    };
    std::vector<TEntry> Stack;
    Stack.push_back({0, -1, static_cast<ptrdiff_t>(Start)});
    const ptrdiff_t Len = static_cast<ptrdiff_t>(S.size());
    auto Byte = [&](ptrdiff_t I) { return static_cast<unsigned char>(S[static_cast<size_t>(I)]); };
    auto WordAt = [&](ptrdiff_t I) { return I >= 0 && I < Len && IsWordChar(Byte(I)); };

    while (!Stack.empty()) {
        TEntry E = Stack.back();
        Stack.pop_back();
        if (E.Pc < 0) {
            Regs[static_cast<size_t>(E.Reg)] = E.Val;
            continue;
        }
        int Pc = E.Pc;
        ptrdiff_t Sp = E.Val;
        for (bool Alive = true; Alive;) {
            const TInst& I = Prog.Code[static_cast<size_t>(Pc)];
            switch (I.Op) {
            case opChar:
                Alive = Sp < Len && Byte(Sp) == I.X;
                ++Sp, ++Pc;
                break;
            case opAny:
                Alive = Sp < Len && Byte(Sp) != '\n';
                ++Sp, ++Pc;
                break;
            case opSet:
                Alive = Sp < Len && Prog.Sets[static_cast<size_t>(I.X)][Byte(Sp)];
                ++Sp, ++Pc;
                break;
            case opBegin: Alive = Sp == 0; ++Pc; break;
            case opEndOrLf: Alive = Sp == Len || (Sp == Len - 1 && Byte(Sp) == '\n'); ++Pc; break;
            case opEnd: Alive = Sp == Len; ++Pc; break;
            case opWordB: Alive = WordAt(Sp - 1) != WordAt(Sp); ++Pc; break;
            case opNotWordB: Alive = WordAt(Sp - 1) == WordAt(Sp); ++Pc; break;
            case opBackref: {
                ptrdiff_t B = Regs[static_cast<size_t>(2 * I.X)], End = Regs[static_cast<size_t>(2 * I.X + 1)];
                Alive = B >= 0 && End >= B && Len - Sp >= End - B &&
                        S.substr(static_cast<size_t>(Sp), static_cast<size_t>(End - B)) ==
                            S.substr(static_cast<size_t>(B), static_cast<size_t>(End - B));
                if (Alive) Sp += End - B;
                ++Pc;
                break;
            }
            case opSplit:
                Stack.push_back({I.Y, -1, Sp});
                Pc = I.X;
                break;
            case opJmp: Pc = I.X; break;
            case opSave:
                Stack.push_back({-1, I.X, Regs[static_cast<size_t>(I.X)]});
                Regs[static_cast<size_t>(I.X)] = Sp;
                ++Pc;
                break;
            case opProgress: Alive = Sp > Regs[static_cast<size_t>(I.X)]; ++Pc; break;
            case opMatch: return true;
            }
        }
    }
    return false;
}

} // namespace

TRegExpr::TRegExpr(std::string_view Expression)
{
    SetExpression(Expression);
}

void TRegExpr::SetExpression(std::string_view Expression)
{
    auto Prog = std::make_shared<TProgram>();
    TParser Parser(Expression, *Prog);
    TNodePtr Root = Parser.Parse();
    TCompiler(Expression, *Prog).CompileAll(*Root);
    FExpression.assign(Expression);
    FProgram = std::move(Prog);
    FGroups.clear();
}

void TRegExpr::RequireProgram() const
{
    if (!FProgram) throw ERegExpr("TRegExpr: no expression to match");
}

bool TRegExpr::Exec(std::string_view InputString)
{
    FInput.assign(InputString);
    return ExecPos(0);
}

bool TRegExpr::ExecPos(size_t Offset)
{
    RequireProgram();
    FGroups.clear();
    if (Offset > FInput.size()) return false;
    std::vector<ptrdiff_t> Regs(static_cast<size_t>(FProgram->Regs));
    for (size_t Start = Offset; Start <= FInput.size(); ++Start) {
        std::fill(Regs.begin(), Regs.end(), -1);
        if (RunAt(*FProgram, FInput, Start, Regs)) {
            FGroups.assign(Regs.begin(), Regs.begin() + 2 * (FProgram->Groups + 1));
            return true;
        }
    }
    return false;
}

bool TRegExpr::ExecNext()
{
    if (FGroups.empty()) return false;
    size_t Next = static_cast<size_t>(FGroups[1]);
    if (FGroups[1] == FGroups[0]) ++Next;
    return ExecPos(Next);
}

int TRegExpr::SubExprMatchCount() const
{
    return FProgram ? FProgram->Groups : 0;
}

ptrdiff_t TRegExpr::MatchPos(int Index) const
{
    if (Index < 0 || 2 * static_cast<size_t>(Index) + 1 >= FGroups.size()) return -1;
    ptrdiff_t B = FGroups[2 * static_cast<size_t>(Index)], E = FGroups[2 * static_cast<size_t>(Index) + 1];
    return B >= 0 && E >= B ? B : -1;
}

ptrdiff_t TRegExpr::MatchLen(int Index) const
{
    ptrdiff_t B = MatchPos(Index);
    return B < 0 ? -1 : FGroups[2 * static_cast<size_t>(Index) + 1] - B;
}

std::string TRegExpr::Match(int Index) const
{
    ptrdiff_t B = MatchPos(Index);
    if (B < 0) return {};
    return FInput.substr(static_cast<size_t>(B), static_cast<size_t>(MatchLen(Index)));
}

std::string TRegExpr::Substitute(std::string_view Template) const
{
    std::string Out;
    for (size_t I = 0; I < Template.size(); ++I) {
        char C = Template[I];
        if (C != '$' || I + 1 >= Template.size()) {
            Out += C;
            continue;
        }
        char N = Template[I + 1];
        if (IsDigit(N)) {
            Out += Match(N - '0');
            ++I;
        } else if (N == '&') {
            Out += Match(0);
            ++I;
        } else if (N == '{') {
            size_t J = I + 2;
            int Index = 0;
            while (J < Template.size() && IsDigit(Template[J]) && Index < 100000) Index = Index * 10 + (Template[J++] - '0');
            if (J > I + 2 && J < Template.size() && Template[J] == '}') {
                Out += Match(Index);
                I = J;
            } else {
                Out += C;
            }
        } else {
            Out += C;
        }
    }
    return Out;
}

std::string TRegExpr::Replace(std::string_view InputString, std::string_view ReplaceStr, bool UseSubstitution)
{
    std::string Out;
    bool Found = Exec(InputString);
    size_t Pos = 0;
    while (Found) {
        size_t B = static_cast<size_t>(FGroups[0]), E = static_cast<size_t>(FGroups[1]);
        Out.append(FInput, Pos, B - Pos);
        Out += UseSubstitution ? Substitute(ReplaceStr) : std::string(ReplaceStr);
        Pos = E;
        if (E == B) {
            // An empty match: keep the byte after it and look further on.
            if (E >= FInput.size()) break;
            Out += FInput[E];
            Pos = E + 1;
        }
        Found = ExecPos(Pos);
    }
    if (Pos < FInput.size()) Out.append(FInput, Pos, std::string::npos);
    return Out;
}

bool ExecRegExpr(std::string_view Expression, std::string_view InputString)
{
    return TRegExpr(Expression).Exec(InputString);
}

std::string ReplaceRegExpr(std::string_view Expression, std::string_view InputString, std::string_view ReplaceStr,
                           bool UseSubstitution)
{
    return TRegExpr(Expression).Replace(InputString, ReplaceStr, UseSubstitution);
}
