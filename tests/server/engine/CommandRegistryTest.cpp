#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/engine/CommandRegistry.h"

namespace {

// A registry with a command for the operator alone, one for anyone on the
// server's machine with an answer of its own to the rest, and one that
// takes a number; what each asker is answered, line by line.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry.Add({"status", "", "how it goes", {Asker::Operator}, "",
                      [this](const CommandRegistry::Request& request) {
                          ran.push_back("status by " + request.by + " [" + request.arguments + "]");
                          request.reply("all well");
                          return true;
                      }});
        registry.Add({"halt", "", "stop", {Asker::Operator, Asker::Admin},
                      "Only a player on the server's machine may halt it.",
                      [this](const CommandRegistry::Request& request) {
                          ran.push_back("halt by " + request.by);
                          return true;
                      }});
        registry.Add({"bots", "N", "robots wanted", {Asker::Operator}, "",
                      [this](const CommandRegistry::Request& request) {
                          if (request.arguments.empty() || request.arguments.find_first_not_of("0123456789") !=
                                                               std::string::npos)
                              return false;
                          ran.push_back("bots " + request.arguments);
                          return true;
                      }});
        // Players' consoles are narrow.
        for (const Asker asker : {Asker::Admin, Asker::Player})
            registry.SetTyping(asker, {"/", true});
    }

    std::vector<std::string> Answers(const std::string& line, Asker asker = Asker::Operator)
    {
        std::vector<std::string> answers;
        last = registry.RunLine(line, asker, "someone", [&](const std::string& answer) { answers.push_back(answer); });
        return answers;
    }

    using Lines = std::vector<std::string>;
    CommandRegistry registry;
    CommandRegistry::Outcome last = CommandRegistry::Outcome::Empty;
    Lines ran;
};

TEST_F(Registry, ALineIsSplitIntoItsNameAndTrimmedArgumentsAndRunForWhoMayRunIt)
{
    EXPECT_EQ(Answers("/status"), Lines{"all well"});
    EXPECT_EQ(last, CommandRegistry::Outcome::Ran);
    EXPECT_EQ(Answers("  STATUS \t  a  b \r"), Lines{"all well"}) << "any case, the slash optional";
    EXPECT_EQ(Answers("/halt", Asker::Admin), Lines{});
    EXPECT_EQ(Answers("/bots 12"), Lines{});
    EXPECT_EQ(ran, (Lines{"status by someone []", "status by someone [a  b]", "halt by someone", "bots 12"}));

    EXPECT_EQ(Answers(""), Lines{});
    EXPECT_EQ(Answers(" \t "), Lines{});
    EXPECT_EQ(last, CommandRegistry::Outcome::Empty) << "a blank line is no command and is not answered";
}

TEST_F(Registry, UnknownRefusedAndBadArgumentsAreEachAnsweredWithALineAndNothingRuns)
{
    EXPECT_EQ(Answers("/frob now"), Lines{"Unknown command \"/frob\"; /help lists the commands."});
    EXPECT_EQ(last, CommandRegistry::Outcome::Unknown);
    EXPECT_EQ(Answers("/halt", Asker::Player), Lines{"Only a player on the server's machine may halt it."});
    EXPECT_EQ(last, CommandRegistry::Outcome::Refused);
    EXPECT_EQ(Answers("/status", Asker::Admin), Lines{"You may not run /status."});
    EXPECT_EQ(Answers("/bots", Asker::Player), Lines{"You may not run /bots."}) << "refused before its arguments";
    EXPECT_EQ(Answers("/bots many"), Lines{"Usage: /bots N"});
    EXPECT_EQ(last, CommandRegistry::Outcome::BadArguments);
    EXPECT_EQ(Answers("/help me"), Lines{"Usage: /help"});
    EXPECT_TRUE(ran.empty());

    // Garbage is named back printable and cut short.
    const std::string garbage = std::string("\x01\xff", 2) + std::string(100, 'x');
    const Lines answer = Answers(garbage);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0], "Unknown command \"/??" + std::string(CommandRegistry::kShownName - 2, 'x') +
                             "...\"; /help lists the commands.");
}

TEST_F(Registry, HelpListsWhatTheAskerMayRunInNameOrderWithTheUsagesInOneColumn)
{
    EXPECT_EQ(Answers("/help"), (Lines{"/bots N   robots wanted", "/halt     stop",
                                       "/help     the commands you may run", "/status   how it goes"}));
    EXPECT_EQ(Answers("/help", Asker::Admin),
              (Lines{"/halt", "    stop", "/help", "    the commands you may run"}));
    EXPECT_EQ(Answers("/help", Asker::Player), (Lines{"/help", "    the commands you may run"}));
}

} // namespace
