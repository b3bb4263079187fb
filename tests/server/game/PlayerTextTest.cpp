#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

#include "server/game/PlayerText.h"
#include "world/HeldKeys.h"

namespace {

TEST(PlayerText, NamesKeepWhatTheFontDrawsWithinTheNameBuffer)
{
    // Controls go and spaces inside stay; bytes above 127 and unknown marks
    // go; no pilot passes for a watcher in chat.
    for (const auto& [given, kept] : {std::pair<const char*, const char*>("Ace Pilot!", "Ace Pilot!"),
                                      {"  Tab\tand\nnew line\x01  ", "Tabandnew line"},
                                      {"caf\xc3\xa9 #1 [x]", "caf 1 x"}, {"", "Player"}, {"\x7f\x80 ", "Player"},
                                      {nullptr, "Player"}, {"Ann (watching)", "Ann"},
                                      {"Ann (WATCHING) (watching)", "Ann"}, {" (watching) ", "Player"},
                                      {"watching", "watching"}})
        EXPECT_EQ(CleanName(given), kept) << (given ? given : "no name");
    EXPECT_EQ(CleanName(std::string(300, 'n').c_str()).size(), kMaxNameLength);
}

TEST(PlayerText, ANameInUseGetsTheFirstFreeSuffixAndStillFits)
{
    std::set<std::string> taken = {"Ace", "Ace (2)"};
    const auto inUse = [&](const std::string& name) { return taken.count(name) > 0; };
    EXPECT_EQ(UniqueName("Bee", inUse), "Bee");
    EXPECT_EQ(UniqueName("Ace", inUse), "Ace (3)");

    const std::string longest(kMaxNameLength, 'z');
    taken.insert(longest);
    const std::string renamed = UniqueName(longest, inUse);
    EXPECT_EQ(renamed.size(), kMaxNameLength);
    EXPECT_EQ(renamed.substr(renamed.size() - 4), " (2)");
}

TEST(PlayerText, ChatIsSignedWithTheNameAndCutToOneLine)
{
    EXPECT_EQ(ChatLine("Ace", "hello there"), "Ace: hello there");
    EXPECT_EQ(ChatLine("Ace", " \t\n"), "") << "nothing drawable is nothing said";
    const std::string line = ChatLine("Ace", std::string(2000, 'w').c_str());
    EXPECT_EQ(line.size(), kMaxLineLength);
    EXPECT_EQ(line.substr(0, 5), "Ace: ");
}

TEST(HeldKeys, OnlyTheControlKeysCount)
{
    // F9, ESC and the rest never steer, nor do codes out of range.
    const std::int32_t codes[] = {9, 0, 7, 18, 1, 2, 3, 5, 6, 17, -3, 64, 1 << 30};
    const HeldKeys keys = HeldKeys::FromCodes(codes, static_cast<int>(std::size(codes)));
    for (int key = kKeyTurnLeft; key <= kKeyCloak; ++key)
        EXPECT_EQ(keys.Holds(static_cast<GameKey>(key)), key == kKeyThrust || key == kKeyTurnLeft || key == kKeyCloak)
            << key;
}

} // namespace
