#include <gtest/gtest.h>

#include <string>

#include "ConfigTestDir.h"
#include "utils/UVars.h"

namespace {

class Vars : public testing::Test {
protected:
    Vars()
    {
        Dir.Write("vars.ini.vendor",
                  "[Main]\r\nShared=D:\\Shared\r\nNested=${vars.ini.vendor:Main\\Shared}\r\nDollar=${\r\n"
                  "Brace=}{\r\n");
        Dir.Write("vars.ini", "[Main]\r\nLocal=here\r\n");
    }
    std::string Subst(const std::string& Text) { return SubstIniVars(Text, Dir.Path()); }
    TConfigTestDir Dir;
};

}  // namespace

TEST_F(Vars, Substitutes)
{
    struct Case { const char* Text; const char* Expected; } Cases[] = {
        {"no variables at all", "no variables at all"},
        {"${vars.ini.vendor:Main\\Shared}\\data", "D:\\Shared\\data"},
        // The same variable in another letter case is replaced in the same pass.
        {"${vars.ini.vendor:Main\\Shared};${VARS.INI.VENDOR:main\\shared}", "D:\\Shared;D:\\Shared"},
        {"[${vars.ini.vendor:Local}]", "[here]"},
        {"[${vars.ini.vendor:Main\\Missing}]", "[]"},
        {"[${missing.ini:Main\\A}]", "[]"},
        {"[${}]", "[]"},
        // A "}" before the first "${" does not end a name.
        {"a}b${vars.ini.vendor:Local}c", "a}bherec"},
        // A value may hold braces; it is not searched again for the variable just replaced.
        {"${vars.ini.vendor:Brace}${vars.ini.vendor:Local}", "}{here"},
        {"${ vars.ini.vendor:Local }", "here"},
    };
    for (const Case& C : Cases) EXPECT_EQ(Subst(C.Text), C.Expected) << C.Text;
}

TEST_F(Vars, ValuesHoldingVariablesAreRejected)
{
    struct Case { const char* Text; const char* Message; } Cases[] = {
        {"x${vars.ini.vendor:Nested}", "SubstIniVars: \"${vars.ini.vendor:Main\\Shared}\" - ini value cannot include vars"},
        {"${vars.ini.vendor:Dollar}", "SubstIniVars: \"${\" - ini value cannot include vars"},
    };
    for (const Case& C : Cases) {
        try {
            Subst(C.Text);
            ADD_FAILURE() << "no exception for " << C.Text;
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), C.Message);
        }
    }
}

TEST_F(Vars, UnclosedVariableIsAnInternalError)
{
    EXPECT_THROW(Subst("abc${def"), EAssertionFailed);
    EXPECT_THROW(Subst("${vars.ini.vendor:Local}${"), EAssertionFailed);
}
