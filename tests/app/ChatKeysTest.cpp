#include <gtest/gtest.h>

#include <string>

#include "app/AppState.h"
#include "app/Input.h"
#include "app/WindowProc.h"
#include "base/Console.h"
#include "platform/Window.h"
#include "support/Keys.h"

namespace {

std::string InputLine()
{
    char line[Console::kLineSize] = {};
    Console::Instance()->GetInputLine(line, sizeof line);
    return line;
}

class ChatKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_appState = AppState::InGame;
        Input::Instance()->Initialize(nullptr);
        Console::Instance()->Clear();
        Console::Instance()->ClearInputLine();
        Console::Instance()->SetLineLimit(20);
    }
    void TearDown() override
    {
        Input::Destroy();
        Console::Instance()->SetLineLimit(Console::kDefaultLimit);
    }
    void StartTyping()
    {
        Console::Instance()->SetInputLine("");
        Input::Instance()->SetKeyboardMode(Input::kTyping);
        g_chatKeyPending = true;
    }
};

TEST_F(ChatKeys, LettersWithoutTheApostropheChangeNothing)
{
    Type("hello");
    EXPECT_EQ(InputLine(), "");
    EXPECT_FALSE(Console::Instance()->IsInputActive());
}

TEST_F(ChatKeys, TheOpeningApostropheIsNotTyped)
{
    StartTyping();
    Type("'it's");
    EXPECT_EQ(InputLine(), "it's");
    Type("\b\b");
    EXPECT_EQ(InputLine(), "it");
    Type(std::string(1100, 'z'));
    EXPECT_EQ(InputLine().size(), 1023u);
}

TEST_F(ChatKeys, EnterRunsCommandsAndEndsTyping)
{
    Console::Instance()->Print("before");
    StartTyping();
    Type("'/clear\r");
    EXPECT_EQ(Console::Instance()->LineCount(), 0) << "the command ran";
    EXPECT_FALSE(Input::Instance()->IsTyping());
    EXPECT_FALSE(Console::Instance()->IsInputActive());
    StartTyping();
    Type("'\r");
    EXPECT_FALSE(Input::Instance()->IsTyping()) << "an empty line is sent as chat and ends typing";
}

} // namespace
