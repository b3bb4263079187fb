#include <gtest/gtest.h>

#include <string>

#include "base/Console.h"

namespace {

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        console = Console::Instance();
        console->Clear();
        console->SetLineLimit(Console::kDefaultLimit);
        console->SetInputActive(false);
    }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        char buffer[Console::kLineSize];
        console->Rewind();
        while (console->ReadNextLine(buffer, sizeof buffer))
            lines.push_back(buffer);
        return lines;
    }
    Console* console = nullptr;
};

TEST_F(ConsoleTest, KeepsTheNewestLinesNewestFirstEachUpTo1023CharactersAndAnInputLine)
{
    for (int i = 1; i <= 6; ++i)
        console->Print("line %d", i);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"line 6", "line 5", "line 4", "line 3", "line 2"}));
    for (int refused : {0, -3})
        console->SetLineLimit(refused);
    EXPECT_EQ(console->LineLimit(), 5);
    console->SetLineLimit(2);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"line 6", "line 5"}));
    console->Print(nullptr);
    EXPECT_EQ(console->LineCount(), 2);

    console->Print("%s", std::string(2000, 'x').c_str());
    console->Print("%s", "100% sure");
    EXPECT_EQ(Lines()[0], "100% sure");
    EXPECT_EQ(Lines()[1].size(), 1023u) << "lines stop at 1023 characters";

    // The input line comes and goes.
    char buffer[16] = "untouched";
    EXPECT_FALSE(console->GetInputLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "untouched");
    console->SetInputLine("");
    EXPECT_TRUE(console->IsInputActive() && console->GetInputLine(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    console->ClearInputLine();
    EXPECT_FALSE(console->IsInputActive() || console->GetInputLine(buffer, sizeof buffer));
}

// Lines past the limit stay readable a page at a time, and a page stays
// where it is while new lines come in; the history has an end.
TEST_F(ConsoleTest, PagesBackThroughOlderLinesAndForwardAgain)
{
    for (int i = 1; i <= 12; ++i)
        console->Print("line %d", i);
    EXPECT_EQ(console->LineCount(), 5);
    // Each page shows five lines in a row, newest first.
    const struct {
        bool back;
        int newest;
    } steps[] = {{true, 7}, {true, 5}, {false, 10}, {false, 12}, {false, 12}, {true, 7}};
    for (const auto& step : steps) {
        if (step.back)
            console->PageBack();
        else
            console->PageForward();
        std::vector<std::string> shown;
        for (int line = step.newest; line > step.newest - 5; --line)
            shown.push_back("line " + std::to_string(line));
        EXPECT_EQ(Lines(), shown) << console->PagedBack();
    }
    console->Print("line 13");
    EXPECT_EQ(Lines()[0], "line 7") << "a new line does not move the page";

    console->Clear();
    EXPECT_EQ(console->PagedBack(), 0);
    for (int i = 1; i <= Console::kHistoryLines + 10; ++i)
        console->Print("line %d", i);
    for (int i = 0; i < Console::kHistoryLines; ++i)
        console->PageBack();
    EXPECT_EQ(Lines().back(), "line 11") << "the oldest lines are gone";
}

} // namespace
