#include <gtest/gtest.h>

#include "platform/RegExpr.h"

namespace {

// "-" in a group column: the group took no part; NoMatch in Whole: no match at all.
const char* const NoMatch = nullptr;

struct TMatchCase {
    const char* Pattern;
    std::string Input;
    const char* Whole;
    std::vector<std::string> Groups;
};

void CheckMatch(const TMatchCase& C)
{
    SCOPED_TRACE(std::string("pattern ") + C.Pattern + " on \"" + C.Input + "\"");
    TRegExpr R(C.Pattern);
    bool Found = R.Exec(C.Input);
    ASSERT_EQ(Found, C.Whole != NoMatch);
    if (!Found) {
        EXPECT_EQ(R.Match(0), "");
        EXPECT_EQ(R.MatchPos(0), -1);
        return;
    }
    EXPECT_EQ(R.Match(0), C.Whole);
    ASSERT_LE(C.Groups.size(), static_cast<size_t>(R.SubExprMatchCount()));
    for (size_t I = 0; I < C.Groups.size(); ++I) {
        int G = static_cast<int>(I + 1);
        if (C.Groups[I] == "-") {
            EXPECT_EQ(R.MatchPos(G), -1) << "group " << G;
            EXPECT_EQ(R.Match(G), "") << "group " << G;
        } else {
            EXPECT_EQ(R.Match(G), C.Groups[I]) << "group " << G;
        }
    }
}

} // namespace

// The two patterns that split a proxy server setting into protocol entries, host and port.
TEST(TRegExpr, ProxyPatterns)
{
    const char* Address = R"(([\w+\.]+)(\:)*(\d+)*)";
    const char* Http = R"(http=([\w+\.]+[\:\d+]*)(\;*))";
    const char* Socks = R"(socks=([\w+\.]+[\:\d+]*)(\;*))";
    const TMatchCase Cases[] = {
        {Address, "px1:3128", "px1:3128", {"px1", ":", "3128"}},
        {Address, "10.0.0.1:8080", "10.0.0.1:8080", {"10.0.0.1", ":", "8080"}},
        {Address, "my-proxy:81", "my", {"my", "-", "-"}},
        {Address, "http://px:80", "http:", {"http", ":", "-"}},
        {Address, "https=h2:443", "https", {"https", "-", "-"}},
        {Address, "h::81", "h::81", {"h", ":", "81"}},
        {Address, "a+b_c.d:1", "a+b_c.d:1", {"a+b_c.d", ":", "1"}},
        {Address, ":8080", "8080", {"8080", "-", "-"}},  // searched, not anchored
        {Address, "px", "px", {"px", "-", "-"}},
        {Address, "", NoMatch, {}},
        {Address, "-:-", NoMatch, {}},
        {Address, "\xCF\xF0\xEE\xEA\xF1\xE8:1", "1", {"1"}},  // \w is ASCII only
        {Http, "http=h1:81;https=h2:443;socks=s1:1080", "http=h1:81;", {"h1:81", ";"}},
        {Http, "ftp=f:21;http=a.b:8080", "http=a.b:8080", {"a.b:8080", ""}},
        {Http, "http=h1:81:82;;x", "http=h1:81:82;;", {"h1:81:82", ";;"}},
        {Http, "https=h2:443", NoMatch, {}},
        {Http, "HTTP=h:1", NoMatch, {}},  // case-sensitive
        {Http, "http=:81", NoMatch, {}},
        {Socks, "http=h1:81;https=h2:443;socks=s1:1080", "socks=s1:1080", {"s1:1080", ""}},
    };
    for (const auto& C : Cases) CheckMatch(C);
}

TEST(TRegExpr, PerlMatchingRules)
{
    const TMatchCase Cases[] = {
        // leftmost first, then the first alternative that lets the rest match (not the longest)
        {"(a|ab)(c|bcd)(d*)", "abcd", "abcd", {"a", "bcd", ""}},
        {"b|abc", "xabc", "abc", {}},
        // greedy backs off only as far as needed; lazy takes as little as possible
        {"a(.*)b", "aXbYb", "aXbYb", {"XbY"}},
        {"a(.*?)b", "aXbYb", "aXb", {"X"}},
        {"(\\d+)(\\d)", "1234", "1234", {"123", "4"}},
        {"(\\d+?)(\\d*)", "1234", "1234", {"1", "234"}},
        {"a{2,3}", "aaaa", "aaa", {}},
        {"a{2}", "a", NoMatch, {}},
        {"x{2,}y", "xxxxy", "xxxxy", {}},
        {"a{,2}", "a{,2}", "a{,2}", {}},  // not a quantifier: taken literally
        {"x{y", "x{y", "x{y", {}},
        // a repeated group keeps its last pass
        {"(\\d){1,}\\.(\\d){1,}\\.(\\d){1,}\\.(\\d){1,}", "loader.exe.5.3.13.1.dist", "5.3.13.1",
         {"5", "3", "3", "1"}},
        {"(?:(a)|b)+", "ab", "ab", {"a"}},
        {"(a)|b", "b", "b", {"-"}},
        // anchors and word boundaries
        {"^ab$", "ab\n", "ab", {}},
        {"^ab\\z", "ab\n", NoMatch, {}},
        {"^b", "ab", NoMatch, {}},
        {"\\bcat\\b", "concat cat", "cat", {}},
        {"\\Bcat", "concat cat", "cat", {}},
        // classes
        {"[^a-c]+", "abcxyz", "xyz", {}},
        {"[\\w-]+", "my-proxy:1", "my-proxy", {}},
        {"[]a]+", "]a]b", "]a]", {}},
        {"[a\\]]+", "x]a]", "]a]", {}},
        {"[\\d.]+", "v1.2x", "1.2", {}},
        {"\\S+\\s\\w", "ab  !", NoMatch, {}},
        {"\\S+\\s+\\W", "ab  !", "ab  !", {}},
        {".+", "ab\ncd", "ab", {}},
        {"\\x41\\t", "zA\t", "A\t", {}},
        {"\\.\\*\\(", "a.*(", ".*(", {}},
        // back-references and empty loop passes
        {"(\\w)\\1", "abccd", "cc", {"c"}},
        {"(a*)*b", "aaab", "aaab", {}},
        {"(a|)*c", "aac", "aac", {}},
        {"(?:)*x", "x", "x", {}},
    };
    for (const auto& C : Cases) CheckMatch(C);
}

TEST(TRegExpr, InvalidPatternsRaise)
{
    for (const char* P : {"(", "a)", "[a", "a**", "*a", "+", "a{2}{3}", "\\q", "\\", "x{3,2}", "\\2(a)",
                          "a{1001}", "(?=a)", "a++", "[z-a]"}) {
        SCOPED_TRACE(P);
        EXPECT_THROW(TRegExpr R(P), ERegExpr);
    }
    EXPECT_THROW(TRegExpr().Exec("x"), ERegExpr);
}

// Very long inputs and large repeats must neither exhaust the stack nor hang.
TEST(TRegExpr, LongInput)
{
    std::string S;
    for (int I = 0; I < 200000; ++I) S += "ab";
    TRegExpr R("(?:ab)*(c?)$");
    ASSERT_TRUE(R.Exec(S + "c"));
    EXPECT_EQ(R.MatchLen(0), static_cast<ptrdiff_t>(S.size() + 1));
    EXPECT_EQ(R.Match(1), "c");
    ASSERT_TRUE(TRegExpr("(a|b)*x").Exec(S.substr(0, 20000) + "x"));
}

TEST(TRegExpr, ExecNextWalksTheMatches)
{
    TRegExpr R("\\d+");
    std::vector<std::string> Found;
    for (bool Ok = R.Exec("a1b22c333"); Ok; Ok = R.ExecNext()) Found.push_back(R.Match(0));
    EXPECT_EQ(Found, (std::vector<std::string>{"1", "22", "333"}));

    TRegExpr Empty("x*");
    std::vector<ptrdiff_t> Positions;
    for (bool Ok = Empty.Exec("ab"); Ok; Ok = Empty.ExecNext()) Positions.push_back(Empty.MatchPos(0));
    EXPECT_EQ(Positions, (std::vector<ptrdiff_t>{0, 1, 2}));
}

TEST(TRegExpr, Replace)
{
    const char* Version = "(\\d){1,}\\.(\\d){1,}\\.(\\d){1,}\\.(\\d){1,}";
    struct Case { const char* Pattern; const char* Input; const char* With; bool Subst; const char* Expected; };
    const Case Cases[] = {
        {Version, "..\\.dist\\loader.exe.5.3.13.1.dist, version 10.0.0.22 and 1.2.3", "X.X.X.X", false,
         "..\\.dist\\loader.exe.X.X.X.X.dist, version X.X.X.X and 1.2.3"},
        {Version, "no version", "X.X.X.X", false, "no version"},
        {"x*", "abc", "-", false, "-a-b-c-"},
        {"b*", "abc", "-", false, "-a--c-"},
        {"(\\w+)=(\\w+)", "a=1;b=2", "$2=$1", true, "1=a;2=b"},
        {"(\\w+)=(\\w+)", "a=1", "${2}$&$9$x$", true, "1a=1$x$"},
        {"(\\w+)=(\\w+)", "a=1", "$2", false, "$2"},
    };
    for (const auto& C : Cases) EXPECT_EQ(ReplaceRegExpr(C.Pattern, C.Input, C.With, C.Subst), C.Expected) << C.Input;
}
