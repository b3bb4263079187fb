#include <gtest/gtest.h>

#include <SDL2/SDL_scancode.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "app/AppState.h"
#include "app/BindingCommands.h"
#include "app/CommandInterpreter.h"
#include "app/Input.h"
#include "app/KeyBindings.h"
#include "app/Settings.h"
#include "app/WindowProc.h"
#include "base/Console.h"
#include "gfx/screens/ControlsScreen.h"
#include "gfx/screens/InstructionsScreen.h"
#include "platform/Keyboard.h"
#include "platform/SettingsStore.h"
#include "platform/Window.h"
#include "support/Keys.h"
#include "support/TempDir.h"
#include "world/GameKey.h"

namespace {

constexpr std::uint8_t kA = 0x1E, kJ = 0x24, kK = 0x25, kT = 0x14, kF9 = 0x43, kF8 = 0x42, kLeftShift = 0x2A;

int Action(const char* name)
{
    return KeyBindings::ActionNamed(name);
}

// Names as the console takes them, in any case, and as a player reads them.
TEST(KeyNames, ConsoleNamesFindKeysAndKeysReadAsThePageWritesThem)
{
    const struct {
        const char* name;
        std::uint8_t code;
    } named[] = {{"a", kA},           {"A", kA},          {"space", 0x39}, {"f5", 0x3F},      {"left shift", kLeftShift},
                 {"LEFT SHIFT", kLeftShift}, {"escape", 0x01}, {"'", 0x28},    {"up", 0xC8},      {"nonsense", 0},
                 {"", 0},             {"keypad 7", 0}};
    for (const auto& [name, code] : named)
        EXPECT_EQ(platform::KeyNamed(name), code) << name;

    const struct {
        std::uint8_t code;
        const char* text;
    } shown[] = {{kJ, "J"}, {0x39, "SPACE"}, {0x28, "'"}, {0x57, "F11"}, {0x01, "ESC"}, {kLeftShift, "LEFT SHIFT"}, {0, ""}};
    for (const auto& [code, text] : shown)
        EXPECT_EQ(KeyBindings::KeyText(code), text) << int(code);
    EXPECT_EQ(platform::TypedChar(kA), 'a');
    EXPECT_EQ(platform::TypedChar(0x28), '\'');
    EXPECT_EQ(platform::TypedChar(0x3F), 0) << "F5 types nothing";
}

// The first keys by action, then each kind of choice and what it leaves.
TEST(KeyBindings, BindsAtMostTwoKeysAndRefusesTakenAndReservedOnes)
{
    const KeyBindings first;
    const char* keys[] = {"J", "L", "K", "D", "SPACE", "V", "C", "E", "R", "F", "S", "'", "F11", "F12", "ESC"};
    for (int action = 0; action < KeyBindings::kActions; ++action)
        EXPECT_EQ(first.KeysText(action), keys[action]) << KeyBindings::Action(action).name;

    KeyBindings bindings;
    const int left = Action("LEFT");
    const struct {
        std::uint8_t code;
        KeyBindings::Outcome outcome;
        std::string after;
        int holder;
    } steps[] = {
        {kA, KeyBindings::Outcome::Bound, "A/J", -1},
        {kA, KeyBindings::Outcome::AlreadyBound, "A/J", left},
        {kK, KeyBindings::Outcome::InUse, "A/J", Action("thrust")},
        {kF9, KeyBindings::Outcome::Reserved, "A/J", -1},
        {kF8, KeyBindings::Outcome::Reserved, "A/J", -1},
        {0x54, KeyBindings::Outcome::NoKey, "A/J", -1},
        {kLeftShift, KeyBindings::Outcome::Bound, "LEFT SHIFT/A", -1},
    };
    for (const auto& step : steps) {
        int holder = -1;
        EXPECT_EQ(bindings.Bind(left, step.code, holder), step.outcome) << int(step.code);
        EXPECT_EQ(bindings.KeysText(left), step.after);
        EXPECT_EQ(holder, step.holder) << int(step.code);
    }
    EXPECT_EQ(bindings.ActionOf(kJ), -1) << "the oldest key went free";
    EXPECT_FALSE(bindings.Unbind(left, kJ));
    EXPECT_TRUE(bindings.Unbind(left, kLeftShift));
    EXPECT_EQ(bindings.KeysText(left), "A");
    bindings.Clear(left);
    EXPECT_EQ(bindings.KeysText(left), "-");
    bindings.Reset();
    EXPECT_EQ(bindings.KeysText(left), "J");
    EXPECT_EQ(Action("quit"), -1);
}

// The game key table follows the bindings; F9 quits and F8 mutes whatever
// is bound, and
// a rebound chat key's character no longer counts as the apostrophe's.
TEST(KeyBindings, InputReadsTheBoundKeys)
{
    Input* input = Input::Instance();
    input->Initialize(nullptr);
    KeyBindings bindings;
    int holder = -1;
    bindings.Bind(Action("left"), kA, holder);
    bindings.Unbind(Action("chat"), 0x28);
    bindings.Bind(Action("chat"), kT, holder);
    input->UseBindings(bindings);
    const struct {
        std::uint8_t code;
        int key;
    } table[] = {{kA, kKeyTurnLeft}, {kJ, kKeyTurnLeft}, {kK, kKeyThrust}, {kT, kKeyChat}, {0x28, kKeyNone},
                 {kF9, kKeyQuit}, {kF8, kKeyMute}};
    for (const auto& [code, key] : table) {
        std::uint8_t state[256] = {};
        std::uint8_t keys[256];
        state[code] = 0x80;
        input->Translate(state, keys);
        EXPECT_EQ(keys[key], 1) << int(code);
    }
    EXPECT_TRUE(input->TypesChat('t'));
    EXPECT_TRUE(input->TypesChat('T'));
    EXPECT_FALSE(input->TypesChat('\''));
    Input::Destroy();
}

// Bindings are kept beside the other settings; a damaged entry gives that
// action its first keys and a key claimed twice stays with the first.
TEST(KeyBindings, RoundTripThroughTheSettingsAndSurviveDamagedEntries)
{
    ScopedConfigHome home;
    Settings written;
    int holder = -1;
    written.Keys.Bind(Action("left"), kA, holder);
    written.Keys.Clear(Action("cloak"));
    ASSERT_TRUE(WriteSettings(written));
    Settings read;
    LoadSettings(read);
    EXPECT_EQ(std::tuple(read.Keys.KeysText(Action("left")), read.Keys.KeysText(Action("cloak")), read.ResWidth),
              std::tuple(std::string("A/J"), std::string("-"), 1024));

    const struct {
        const char* value;
        std::vector<std::uint8_t> bytes;
        const char* action;
        std::string keys;
    } damaged[] = {
        {"KeysTurnLeft", {kA}, "left", "J"},              // too short
        {"KeysTurnLeft", {kA, kJ, 0}, "left", "J"},       // too long
        {"KeysTurnLeft", {kF9, 0}, "left", "J"},          // F9 is never bound
        {"KeysTurnLeft", {0x54, 0}, "left", "J"},         // no such key
        {"KeysTurnLeft", {kA, kA}, "left", "J"},          // one key twice
        {"KeysTurnLeft", {0, kA}, "left", "J"},           // a gap first
        {"KeysThrust", {kJ, kA}, "thrust", "A"},          // J belongs to left
        {"KeysTurnLeft", {kK, 0}, "thrust", "-"},         // K taken by the earlier left
    };
    for (const auto& entry : damaged) {
        platform::SettingsStore key;
        ASSERT_TRUE(key.OpenForWrite());
        key.Set("KeysTurnLeft", std::vector<std::uint8_t>{kJ, 0}.data(), 2);
        key.Set("KeysThrust", std::vector<std::uint8_t>{kK, 0}.data(), 2);
        key.Set(entry.value, entry.bytes.data(), entry.bytes.size());
        ASSERT_TRUE(key.Commit());
        Settings loaded;
        LoadSettings(loaded);
        EXPECT_EQ(loaded.Keys.KeysText(Action(entry.action)), entry.keys) << entry.value << " " << entry.bytes.size();
    }
}

// The console's /bind and /unbind change, keep and explain the bindings.
class BindCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_settings = Settings();
        Console::Instance()->Clear();
        Console::Instance()->SetLineLimit(50);
    }
    void TearDown() override
    {
        Console::Instance()->SetLineLimit(Console::kDefaultLimit);
        Input::Destroy();
        g_settings = Settings();
        ApplyBindings(false);
    }
    static std::string Answer(const char* line)
    {
        Console::Instance()->Clear();
        EXPECT_TRUE(CommandInterpreter().Execute(line));
        const auto lines = ConsoleLines();
        return lines.empty() ? "" : lines.back();
    }
    ScopedConfigHome home;
};

TEST_F(BindCommands, BindAndUnbindAnswerEveryCase)
{
    ASSERT_TRUE(WriteSettings(g_settings));
    g_settings.SetPlayerName("Unsaved"); // typed on the options, then ESC
    const struct {
        const char* line;
        std::string answer;
    } cases[] = {
        {"/bind left a", "left: A/J"},
        {"/BIND Left  LEFT SHIFT ", "left: LEFT SHIFT/A"},
        {"/bind thrust j", "thrust: J/K"},
        {"/bind left k", "K is already used by thrust"},
        {"/bind fire f9", "F9 always quits"},
        {"/bind fire nosuchkey", "Unknown key \"nosuchkey\""},
        {"/bind warp a", "Unknown action \"warp\", /bind lists the actions"},
        {"/bind cloak", "cloak: S, pad -"},
        {"/bind cloak pad guide", "cloak: pad GUIDE"},
        {"/bind fire PAD A", "PAD A is already used by thrust"},
        {"/unbind thrust pad a", "thrust: pad RIGHT TRIGGER"},
        {"/unbind left a", "left: LEFT SHIFT"},
        {"/unbind left a", "a is not bound to left"},
        {"/unbind", "Unbind needs an action and a key"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Answer(c.line), c.answer) << c.line;

    Settings stored;
    LoadSettings(stored);
    EXPECT_EQ(stored.Keys.KeysText(Action("thrust")), "J/K") << "each change is saved";
    EXPECT_STREQ(stored.PlayerName, "") << "and nothing else";
    std::uint8_t state[256] = {}, keys[256];
    state[kLeftShift] = 0x80;
    Input::Instance()->Translate(state, keys);
    EXPECT_EQ(keys[kKeyTurnLeft], 1) << "and flies at once";
    EXPECT_EQ(InstructionsScreen::Instance()->LineText(kKeyTurnLeft, "Turn Left"), "LEFT SHIFT Turn Left");
}

TEST_F(BindCommands, BindAloneListsEveryActionInThreeLines)
{
    EXPECT_TRUE(CommandInterpreter().Execute("/bind"));
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"left=J right=L thrust=K shield=D fire=SPACE ",
                                                        "missile=V mine=C plasma=E repulsor=R refuel=F ",
                                                        "cloak=S chat=' names=F11 outlines=F12 back=ESC "}));
}

// The instructions' key column keeps its width of nine.
TEST(InstructionsKeys, LinesShowTheBoundKeysInTheirColumn)
{
    InstructionsScreen* screen = InstructionsScreen::Instance();
    EXPECT_EQ(screen->LineText(kKeyTurnLeft, "Turn Left"), "J        Turn Left");
    EXPECT_EQ(screen->LineText(kKeyFire, "Fire Bullets"), "SPACE    Fire Bullets");
    EXPECT_EQ(screen->LineText(kKeyLeave, "(in-game) Return to Main Menu"), "ESC      (in-game) Return to Main Menu");
    screen->SetKeysText(kKeyQuit, "Q");
    EXPECT_EQ(screen->LineText(kKeyQuit, "Quick Exit"), "F9       Quick Exit");
    screen->SetKeysText(kKeyTurnLeft, "A/J");
    EXPECT_EQ(screen->LineText(kKeyTurnLeft, "Turn Left"), "A/J      Turn Left");
    screen->SetKeysText(kKeyTurnLeft, "J");
}

// The Controls screen, key by key as the window delivers them.
class ControlsKeys : public BindCommands {
protected:
    void SetUp() override
    {
        BindCommands::SetUp();
        Input::Instance()->Initialize(nullptr);
        ApplyBindings(false);
        g_appState = AppState::Options;
        Key(platform::kVkTab);
        while (controls->Selected() != 0)
            controls->SelectNext();
    }
    static void Press(std::uint32_t virtualKey, std::uint8_t code)
    {
        WindowProc(nullptr, platform::kMsgKeyDown, virtualKey, static_cast<std::intptr_t>(code) << 16);
    }
    ControlsScreen* controls = ControlsScreen::Instance();
};

TEST_F(ControlsKeys, EnterWaitsForAKeyEscapeCancelsTakenKeysAreRefused)
{
    ASSERT_EQ(g_appState, AppState::Controls);
    EXPECT_EQ(controls->RowCount(), KeyBindings::kActions + 1);
    EXPECT_EQ(controls->RowAt(0).label + " " + controls->RowAt(0).keys, "Turn Left J");
    EXPECT_EQ(controls->RowAt(KeyBindings::kActions).label, "Reset to defaults");

    Press(platform::kVkReturn, 0x1C);
    EXPECT_TRUE(controls->Waiting());
    EXPECT_EQ(controls->Notice(), "Press a key or button for Turn Left, Escape cancels");
    WindowProc(nullptr, platform::kMsgKeyDown, platform::kVkReturn, 0x1C << 16 | 1 << 30);
    EXPECT_TRUE(controls->Waiting()) << "a held Enter's repeat binds nothing";
    Press(platform::kVkEscape, 0x01);
    EXPECT_EQ(std::tuple(controls->Waiting(), controls->Notice(), g_appState),
              std::tuple(false, std::string(), AppState::Controls));

    Press(platform::kVkReturn, 0x1C);
    Press(0, kK);
    EXPECT_EQ(controls->Notice(), "K is already used by thrust");
    Press(platform::kVkReturn, 0x1C);
    Press(0, kA);
    Type("a\r");
    EXPECT_EQ(std::tuple(controls->Notice(), controls->RowAt(0).keys, controls->Waiting()),
              std::tuple(std::string("left: A/J"), std::string("A/J"), false))
        << "typed characters do nothing here";
    Settings stored;
    LoadSettings(stored);
    EXPECT_EQ(stored.Keys.KeysText(Action("left")), "A/J");

    Press(platform::kVkBack, 0x0E);
    EXPECT_EQ(controls->RowAt(0).keys, "-");
    Press(platform::kVkUp, 0xC8);
    EXPECT_EQ(controls->Selected(), KeyBindings::kActions);
    Press(platform::kVkReturn, 0x1C);
    EXPECT_EQ(controls->RowAt(0).keys, "J");
    Press(platform::kVkEscape, 0x01);
    EXPECT_EQ(g_appState, AppState::Options);
}

// In the game ESC leaves only while it is the back key.
TEST_F(ControlsKeys, EscapeLeavesTheGameOnlyAsTheBackKey)
{
    g_appState = AppState::InGame;
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu);
    EXPECT_EQ(Answer("/bind back q"), "back: Q/ESC");
    EXPECT_EQ(Answer("/unbind back escape"), "back: Q");
    g_appState = AppState::InGame;
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::InGame);
}

// PageUp and PageDown page the console in the game, typing or not.
TEST_F(ControlsKeys, PageKeysPageTheConsoleInTheGame)
{
    Console* console = Console::Instance();
    console->SetLineLimit(Console::kDefaultLimit);
    for (int i = 0; i < 12; ++i)
        console->Print("line %d", i);
    g_appState = AppState::InGame;
    Key(platform::kVkPageUp);
    EXPECT_EQ(console->PagedBack(), 5);
    Input::Instance()->SetKeyboardMode(Input::kTyping);
    Key(platform::kVkPageUp);
    Key(platform::kVkPageDown);
    EXPECT_EQ(console->PagedBack(), 2);
    Input::Instance()->SetKeyboardMode(Input::kGameKeys);
    g_appState = AppState::MainMenu;
    Key(platform::kVkPageDown);
    EXPECT_EQ(console->PagedBack(), 2) << "only in the game";
}

} // namespace
