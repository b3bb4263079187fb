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

TEST_F(CommandTableRuns, EachCommandGetsTheNameAsTypedAndWhatItsRowTakes)
{
    const struct {
        const char* line;
        const char* seen;
    } cases[] = {
        {"say  two words ", "say| two words "}, // one delimiter goes, the rest stays
        {"  pick  one two", "pick|one"},
        {"pick =x", "pick|=x"}, // a word ends only at a space
        {"pick=", "pick|"},
        {"Go ignored", "Go|"},
    };
    for (const auto& c : cases) {
        Console::Instance()->Clear();
        EXPECT_EQ(Run(c.line), CommandTable::Outcome::Ran) << c.line;
        EXPECT_EQ(ConsoleLines(), std::vector<std::string>{c.seen}) << c.line;
    }
}

TEST_F(CommandTableRuns, NoNameIsEmptyAnUnknownOneRunsNothing)
{
    EXPECT_EQ(Run(""), CommandTable::Outcome::Empty);
    EXPECT_EQ(Run(" = "), CommandTable::Outcome::Empty);
    EXPECT_EQ(Run("sayx"), CommandTable::Outcome::Unknown);
    EXPECT_TRUE(ConsoleLines().empty());
}

} // namespace
