#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "base/Console.h"
#include "net/NetClient.h"
#include "support/Keys.h"

namespace {

using Takes = CommandTable::Takes;

// Each command says what reached it, as "name|argument".
void Echo(const CommandTable::Call& call)
{
    call.console.Print("%s|%s", call.name.c_str(), call.argument.c_str());
}

constexpr CommandTable::Row kRows[] = {
    {"say", Takes::Rest, "say <text>", Echo},
    {"pick", Takes::Word, "", Echo},
    {"go", Takes::Nothing, "go", Echo},
};

class CommandTableRuns : public ::testing::Test {
protected:
    void SetUp() override { Console::Instance()->Clear(); }
    void TearDown() override { NetClient::Destroy(); }

    CommandTable::Outcome Run(const char* line) const
    {
        return CommandTable(kRows).Run(line, *Console::Instance(), *NetClient::Instance());
    }
};

// No name is empty and an unknown one runs nothing.
TEST_F(CommandTableRuns, EachCommandGetsTheNameAsTypedAndWhatItsRowTakes)
{
    using enum CommandTable::Outcome;
    const struct {
        const char* line;
        CommandTable::Outcome outcome;
        std::vector<std::string> seen;
    } cases[] = {
        {"say  two words ", Ran, {"say| two words "}}, // one delimiter goes, the rest stays
        {"  pick  one two", Ran, {"pick|one"}},
        {"pick =x", Ran, {"pick|=x"}}, // a word ends only at a space
        {"pick=", Ran, {"pick|"}},
        {"Go ignored", Ran, {"Go|"}},
        {"", Empty, {}},
        {" = ", Empty, {}},
        {"sayx", Unknown, {}},
    };
    for (const auto& c : cases) {
        Console::Instance()->Clear();
        EXPECT_EQ(Run(c.line), c.outcome) << c.line;
        EXPECT_EQ(ConsoleLines(), c.seen) << c.line;
    }
}

} // namespace
