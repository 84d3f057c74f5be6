// Perl-syntax regular expressions over 8-bit text: a backtracking matcher that takes the leftmost match
// and, at each choice, the alternative the pattern prefers (greedy quantifiers first, alternatives from
// the left), as Perl does. Matching is case-sensitive; \w, \d, \s and \b know ASCII only.
//
// Syntax: literals and escaped metacharacters; . (any byte but "\n"); [...] and [^...] with ranges and
// \w \W \d \D \s \S inside; ^ $ \A \z \Z \b \B; ( ) groups that capture, (?: ) groups that do not; |;
// * + ? {n} {n,} {n,m}, each optionally followed by ? for the lazy form; \1..\9 back-references;
// \t \n \r \f \a \e \xHH. Anything else after a backslash that is a letter or digit is an error, so
// that a pattern never silently means something other than what it says.
//
// Positions are 0-based byte offsets into the input.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SysUtils.h"

// A pattern that does not compile: "TRegExpr: <what> at offset <n> in \"<pattern>\"".
DECLARE_EXCEPTION_CLASS(ERegExpr, Exception);

class TRegExpr {
public:
    TRegExpr() = default;
    // Compiles Expression; raises ERegExpr when it is not a valid pattern.
    explicit TRegExpr(std::string_view Expression);

    const std::string& Expression() const { return FExpression; }
    void SetExpression(std::string_view Expression);

    // Searches InputString from its start. Returns whether a match was found; the match and its groups
    // are then available through Match/MatchPos/MatchLen.
    bool Exec(std::string_view InputString);
    // Searches again after the previous match (one byte further when that match was empty).
    // False when there was no previous match or nothing more matches.
    bool ExecNext();
    // Searches the current input from Offset on.
    bool ExecPos(size_t Offset);

    const std::string& InputString() const { return FInput; }
    // Number of capturing groups in the pattern (group 0, the whole match, not counted).
    int SubExprMatchCount() const;
    // Text of group Index (0: the whole match); "" when the group took no part or Index is out of range.
    std::string Match(int Index) const;
    // Offset and length of group Index; -1 for both when the group took no part.
    ptrdiff_t MatchPos(int Index) const;
    ptrdiff_t MatchLen(int Index) const;

    // Template with $0..$9, ${n} (any number) and $& replaced by the groups of the last match; a "$"
    // followed by anything else stays as it is.
    std::string Substitute(std::string_view Template) const;
    // Every non-overlapping match in InputString, left to right, replaced by ReplaceStr (passed through
    // Substitute when UseSubstitution is set).
    std::string Replace(std::string_view InputString, std::string_view ReplaceStr, bool UseSubstitution = false);

    struct TProgram;

private:
    void RequireProgram() const;

    std::string FExpression;
    std::shared_ptr<const TProgram> FProgram;
    std::string FInput;
    std::vector<ptrdiff_t> FGroups;  // start/end pairs of the last match; empty when there is none
};

// One-shot helpers for a pattern used once.
bool ExecRegExpr(std::string_view Expression, std::string_view InputString);
std::string ReplaceRegExpr(std::string_view Expression, std::string_view InputString, std::string_view ReplaceStr,
                           bool UseSubstitution = false);
