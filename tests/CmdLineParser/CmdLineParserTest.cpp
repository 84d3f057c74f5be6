#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdLineParser/UCmdLineParser.h"

namespace {

using TStrings = std::vector<std::string>;

// Options of the kinds a real program declares.
class TTestParser : public TCmdLineParser {
public:
    explicit TTestParser(const TStrings& A) : TCmdLineParser(A)
    {
        Options.AddOption("ini-file", akRequired, nullptr);
        Options.AddOption("params", akOptional, nullptr);
        Options.AddOption("kill-process", akNone, &KillProcess);
    }
    bool KillProcess = false;
};

// "name=value" for each parsed option, in order.
TStrings Parsed(const TCmdLineParser& P)
{
    TStrings R;
    for (int I = 0; I < P.ParsedOptions.Count(); ++I)
        R.push_back(P.ParsedOptions[I].Name + "=" + P.ParsedOptions[I].Value);
    return R;
}

}  // namespace

TEST(CmdLineParser, SplitsOptionsValuesAndPlainArguments)
{
    struct Case {
        TStrings Args;
        TStrings Options;    // as typed, with their values
        TStrings FileNames;
        std::string Error;   // message of ECmdLinePrepareError, "" when none
    } Cases[] = {
        {{}, {}, {}, ""},
        {{"orb", "vel"}, {}, {"orb", "vel"}, ""},
        // An optional argument takes the next plain argument, which is then no file name.
        {{"--params", "orb"}, {"params=orb"}, {}, ""},
        {{"--params"}, {"params="}, {}, ""},
        {{"--params", "--kill-process"}, {"params=", "kill-process="}, {}, ""},
        {{"--ini-file=", "x.ini", "orb"}, {"ini-file=x.ini"}, {"orb"}, ""},
        {{"--params=a=b"}, {"params=a=b"}, {}, ""},
        {{"--INI-FILE=a.ini"}, {"INI-FILE=a.ini"}, {}, ""},
        // A flag option never takes the next argument.
        {{"--kill-process", "orb"}, {"kill-process="}, {"orb"}, ""},
        {{"--params=1", "--params=2"}, {"params=1", "params=2"}, {}, ""},
        {{"--", "-no-splash", "/x", "\\y", "-"}, {}, {"--", "-no-splash", "/x", "\\y", "-"}, ""},
        {{"--ini-file"}, {}, {}, "Option --ini-file requires an argument"},
        {{"--ini-file", "--params=x"}, {}, {}, "Option --ini-file requires an argument"},
        {{"--help=x"}, {}, {}, "Argument not required for option --help"},
        {{"--kill-process=yes"}, {}, {}, "Argument not required for option --kill-process"},
        {{"--=x"}, {}, {}, "Unknown option --"},
        // What came before the failing argument is kept, nothing after it is read.
        {{"orb", "--params=p", "--Foo=1", "vel", "--kill-process"}, {"params=p"}, {"orb"}, "Unknown option --Foo"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::PrintToString(C.Args));
        TTestParser P(C.Args);
        std::string Error;
        try {
            P.Prepare();
        } catch (const ECmdLinePrepareError& E) {
            Error = E.Message();
        }
        EXPECT_EQ(Error, C.Error);
        EXPECT_EQ(Parsed(P), C.Options);
        EXPECT_EQ(P.FileNames, C.FileNames);
    }
}

TEST(CmdLineParser, FlagsAreSetEvenWhenTheArgumentCheckFails)
{
    TTestParser P({"--help=x"});
    EXPECT_THROW(P.Prepare(), ECmdLinePrepareError);
    EXPECT_TRUE(P.HelpRequested);

    TTestParser Q({"--KILL-process=1"});
    EXPECT_THROW(Q.Prepare(), ECmdLinePrepareError);
    EXPECT_TRUE(Q.KillProcess);
}

TEST(CmdLineParser, GetValueFindsTheFirstRecordInAnyLetterCase)
{
    TTestParser P({"--INI-FILE=a.ini", "--ini-file=b.ini"});
    P.Prepare();
    EXPECT_EQ(P.ParsedOptions.GetValue("ini-file"), "a.ini");
    EXPECT_EQ(P.ParsedOptions.GetValue("params"), "");
    EXPECT_EQ(P.ParsedOptions.IndexOfName("Ini-File"), 0);
    EXPECT_EQ(P.ParsedOptions.IndexOfName("nothing"), -1);
}

TEST(CmdLineParser, RequestsRaiseOnlyWhenTheirTextIsSet)
{
    struct Case {
        TStrings Args;
        std::string Usage, Version;
        std::string Raised;  // "help:<text>", "version:<text>" or "" when Prepare returns normally
    } Cases[] = {
        {{"--help"}, "usage", "1.0", "help:usage"},
        {{"--help"}, "", "1.0", ""},
        {{"--ver"}, "usage", "1.0", "version:1.0"},
        {{"--VERSION"}, "usage", "1.0", "version:1.0"},
        {{"--ver"}, "usage", "", ""},
        {{"--ver", "--help"}, "usage", "1.0", "help:usage"},
        // No manual file: --man is ignored and the version request is acted on.
        {{"--man", "--ver"}, "usage", "1.0", "version:1.0"},
        {{"--help", "orb"}, "usage", "1.0", "help:usage"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::PrintToString(C.Args));
        TTestParser P(C.Args);
        P.UsageText = C.Usage;
        P.VersionText = C.Version;
        std::string Raised;
        try {
            P.Prepare();
        } catch (const EShowHelpException& E) {
            Raised = "help:" + E.Message();
        } catch (const EShowVersionException& E) {
            Raised = "version:" + E.Message();
        }
        EXPECT_EQ(Raised, C.Raised);
    }
}

TEST(CmdLineParser, AnOptionErrorHidesTheRequests)
{
    TTestParser P({"--help", "--nope"});
    P.UsageText = "usage";
    EXPECT_THROW(P.Prepare(), ECmdLinePrepareError);
    EXPECT_TRUE(P.HelpRequested);
}

TEST(CmdLineParser, PrepareStartsAfreshEachTime)
{
    TTestParser P({"--help", "orb"});
    P.Prepare();
    EXPECT_TRUE(P.HelpRequested);
    P.Args = {"vel"};
    P.Prepare();
    EXPECT_FALSE(P.HelpRequested);
    EXPECT_EQ(P.FileNames, TStrings{"vel"});
    EXPECT_EQ(P.ParsedOptions.Count(), 0);
}

TEST(CmdLineParser, AnEmptyOptionListIsRejected)
{
    TTestParser P({});
    P.Options.Clear();
    try {
        P.Prepare();
        FAIL() << "no exception";
    } catch (const ECmdLinePrepareError& E) {
        EXPECT_EQ(E.Message(), "Option list is empty");
        EXPECT_STREQ(E.ClassName(), "ECmdLinePrepareError");
    }
}
