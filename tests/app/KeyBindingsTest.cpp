#include <gtest/gtest.h>

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
#include "platform/Gamepads.h"
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

// Names as the console takes them, in any case, and as a player reads them;
// the /bind cases below name most keys.
TEST(KeyNames, ConsoleNamesFindKeysAndKeysReadAsThePageWritesThem)
{
    const struct {
        const char* name;
        std::uint8_t code;
    } named[] = {{"space", 0x39}, {"f5", 0x3F}, {"up", 0xC8}, {"left shift", kLeftShift}, {"", 0}, {"keypad 7", 0x47}, {"no such key", 0},
                 {"Pad Stick Left", platform::PadCode(platform::kPadStickLeft)}};
    for (const auto& [name, code] : named)
        EXPECT_EQ(platform::KeyNamed(name), code) << name;

    EXPECT_EQ(std::tuple(KeyBindings::KeyText(platform::PadCode(platform::kPadRightTrigger)), KeyBindings::KeyText(0)),
              std::tuple("PAD RIGHT TRIGGER", ""));
    EXPECT_EQ(std::tuple(platform::TypedChar(kA), platform::TypedChar(0x28), platform::TypedChar(0x3F)),
              std::tuple('a', '\'', 0)) << "F5 types nothing";
}

// Bindings, a controller's among them, are kept beside the other settings;
// a damaged entry gives that action its first keys and a key claimed twice
// stays with the first.
TEST(KeyBindings, RoundTripThroughTheSettingsAndSurviveDamagedEntries)
{
    ScopedConfigHome home;
    Settings written;
    int holder = -1;
    written.Keys.Bind(Action("left"), kA, holder);
    written.Keys.Clear(Action("cloak"));
    written.Keys.Bind(Action("cloak"), platform::PadCode(platform::kPadGuide), holder);
    written.Keys.Bind(Action("cloak"), platform::PadCode(platform::kPadRightStick), holder);
    ASSERT_TRUE(WriteSettings(written));
    Settings read;
    LoadSettings(read);
    EXPECT_EQ(std::tuple(read.Keys.KeysText(Action("left")), read.Keys.KeysText(Action("cloak")),
                         read.Keys.PadsText(Action("cloak")), read.ResWidth),
              std::tuple(std::string("A/J"), std::string("-"), std::string("RIGHT STICK/GUIDE"), 1024));

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

// The console's /bind and /unbind change, keep and explain the bindings,
// and the game keys follow at once: F9 quits and F8 mutes whatever is
// bound, and a rebound chat key's character no longer counts as the
// apostrophe's.
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

TEST_F(BindCommands, BindListsEveryActionAndBindAndUnbindAnswerEveryCase)
{
    EXPECT_TRUE(CommandInterpreter().Execute("/bind"));
    EXPECT_EQ(ConsoleLines(), (std::vector<std::string>{"left=J right=L thrust=K shield=D fire=SPACE ",
                                                        "missile=V mine=C plasma=E repulsor=R refuel=F ",
                                                        "cloak=S chat=' names=F11 outlines=F12 back=ESC "}));
    EXPECT_EQ(InstructionsScreen::Instance()->LineText(kKeyTurnLeft, "Turn Left"), "J        Turn Left")
        << "the instructions' key column keeps its width of nine";
    ASSERT_TRUE(WriteSettings(g_settings));
    g_settings.SetPlayerName("Unsaved"); // typed on the options, then ESC
    const struct {
        const char* line;
        std::string answer;
    } cases[] = {
        {"/bind left a", "left: A/J"},
        {"/bind left a", "A is already bound to left"},
        {"/BIND Left  LEFT SHIFT ", "left: LEFT SHIFT/A"},
        {"/bind thrust j", "thrust: J/K"},
        {"/bind left k", "K is already used by thrust"},
        {"/bind fire f9", "F9 always quits"},
        {"/bind fire f8", "F8 always mutes"},
        {"/bind fire nosuchkey", "Unknown key \"nosuchkey\""},
        {"/bind warp a", "Unknown action \"warp\", /bind lists the actions"},
        {"/bind cloak", "cloak: S, pad -"},
        {"/bind cloak pad guide", "cloak: pad GUIDE"},
        {"/bind fire PAD A", "PAD A is already used by thrust"},
        {"/unbind thrust pad a", "thrust: pad RIGHT TRIGGER"},
        {"/unbind left a", "left: LEFT SHIFT"},
        {"/unbind left a", "a is not bound to left"},
        {"/unbind chat '", "chat: -"},
        {"/bind chat t", "chat: T"},
        {"/unbind", "Unbind needs an action and a key"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Answer(c.line), c.answer) << c.line;

    Settings stored;
    LoadSettings(stored);
    EXPECT_EQ(stored.Keys.KeysText(Action("thrust")), "J/K") << "each change is saved";
    EXPECT_STREQ(stored.PlayerName, "") << "and nothing else";
    const struct {
        std::uint8_t code;
        int key;
    } flown[] = {{kLeftShift, kKeyTurnLeft}, {kA, kKeyNone}, {kJ, kKeyThrust}, {kK, kKeyThrust},
                 {kT, kKeyChat},             {0x28, kKeyNone}, {kF9, kKeyQuit}, {kF8, kKeyMute}};
    for (const auto& [code, key] : flown) {
        std::uint8_t state[256] = {}, keys[256];
        state[code] = 0x80;
        Input::Instance()->Translate(state, keys);
        EXPECT_EQ(keys[key], 1) << int(code);
    }
    EXPECT_TRUE(Input::Instance()->TypesChat('t') && Input::Instance()->TypesChat('T'));
    EXPECT_FALSE(Input::Instance()->TypesChat('\''));
    EXPECT_EQ(InstructionsScreen::Instance()->LineText(kKeyTurnLeft, "Turn Left"), "LEFT SHIFT Turn Left");
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
    EXPECT_EQ(controls->RowAt(0).label + " " + controls->RowAt(0).keys, "Turn Left J");

    Press(platform::kVkReturn, 0x1C);
    EXPECT_TRUE(controls->Waiting());
    EXPECT_EQ(controls->Notice(), "Press a key or button for Turn Left, Escape cancels");
    WindowProc(nullptr, platform::kMsgKeyDown, platform::kVkReturn, 0x1C << 16 | 1 << 30);
    EXPECT_TRUE(controls->Waiting()) << "a held Enter's repeat binds nothing";
    Press(platform::kVkEscape, 0x01);
    EXPECT_EQ(std::tuple(controls->Waiting(), controls->Notice(), g_appState),
              std::tuple(false, std::string(), AppState::Controls));

    Press(platform::kVkReturn, 0x1C);
    Press(0, 0x54);
    EXPECT_EQ(controls->Notice(), "That key cannot be bound");
    Press(platform::kVkReturn, 0x1C);
    Press(0, kA);
    Type("a\r");
    EXPECT_EQ(std::tuple(controls->Notice(), controls->RowAt(0).keys, controls->Waiting()),
              std::tuple(std::string("left: A/J"), std::string("A/J"), false))
        << "typed characters do nothing here";

    Press(platform::kVkBack, 0x0E);
    EXPECT_EQ(controls->RowAt(0).keys, "-");
    Press(platform::kVkUp, 0xC8);
    Press(platform::kVkReturn, 0x1C);
    EXPECT_EQ(std::tuple(controls->Selected(), controls->RowAt(0).keys), std::tuple(KeyBindings::kActions, std::string("J")));
    Press(platform::kVkEscape, 0x01);
    EXPECT_EQ(g_appState, AppState::Options);
}

// In the game ESC leaves only while it is the back key. A controller's B
// moves as ESC in the menus but fires in the game, and on the Controls
// screen it is bound like any button rather than cancelling.
TEST_F(ControlsKeys, EscapeLeavesTheGameOnlyAsTheBackKeyAndBOnlyInTheMenus)
{
    const std::uint8_t b = platform::PadCode(platform::kPadB);
    Press(platform::kVkReturn, platform::PadCode(platform::kPadA));
    Press(platform::kVkEscape, b);
    EXPECT_EQ(std::tuple(g_appState, controls->Waiting()), std::tuple(AppState::Controls, false));
    Press(platform::kVkEscape, b);
    EXPECT_EQ(g_appState, AppState::Options);
    g_appState = AppState::InGame;
    Press(platform::kVkEscape, b);
    EXPECT_EQ(g_appState, AppState::InGame);
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::MainMenu);
    EXPECT_EQ(Answer("/bind back q"), "back: Q/ESC");
    EXPECT_EQ(Answer("/unbind back escape"), "back: Q");
    g_appState = AppState::InGame;
    Key(platform::kVkEscape);
    EXPECT_EQ(g_appState, AppState::InGame);
}

// PageUp and PageDown page the console in the game, typing too.
TEST_F(ControlsKeys, PageKeysPageTheConsoleInTheGame)
{
    Console* console = Console::Instance();
    console->SetLineLimit(Console::kDefaultLimit);
    for (int i = 0; i < 12; ++i)
        console->Print("line %d", i);
    g_appState = AppState::InGame;
    Input::Instance()->SetKeyboardMode(Input::kTyping);
    for (std::uint32_t key : {platform::kVkPageUp, platform::kVkPageUp, platform::kVkPageDown})
        Key(key);
    EXPECT_EQ(console->PagedBack(), 2);
    Input::Instance()->SetKeyboardMode(Input::kGameKeys);
    g_appState = AppState::MainMenu;
    Key(platform::kVkPageDown);
    EXPECT_EQ(console->PagedBack(), 2) << "only in the game";
}

} // namespace
