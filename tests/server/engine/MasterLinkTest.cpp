#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/engine/MasterLink.h"
#include "server/engine/Registrar.h"
#include "server/engine/ServerListing.h"
#include "support/SidecarStandIn.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kSecret = "0123456789abcdef0123456789abcdef";

RegistrationTiming Quick()
{
    RegistrationTiming timing;
    timing.every = 5s;
    timing.soonest = 50ms;
    timing.callTimeout = 500ms;
    timing.challengeWait = 200ms;
    return timing;
}

std::string Answer(int status, const std::string& body)
{
    return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

ServerListing Arena()
{
    ServerListing listing;
    listing.name = "Friday Night";
    listing.port = 3001;
    listing.map = "Arena";
    listing.mode = "dm";
    listing.players = {{"Robot Ace", 4, true}, {"Kim, whose name runs past what a master takes", 7, false}};
    listing.seats = 8;
    return listing;
}

std::string UrlOf(const SidecarStandIn& master)
{
    return "http://localhost:" + std::to_string(master.Port()) + "/list";
}

platform::HttpUrl Parsed(const std::string& text)
{
    std::string why;
    return *platform::HttpUrl::Parse(text, why);
}

// Gathers the link's lines until one is the line wanted, for a few seconds at most.
bool Says(MasterLink& link, const std::string& wanted, std::vector<std::string>& heard)
{
    const auto end = Clock::now() + 5s;
    while (Clock::now() < end) {
        for (std::string& line : link.TakeLogLines())
            heard.push_back(std::move(line));
        for (const std::string& line : heard) {
            if (line == wanted)
                return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

nlohmann::json BodyOf(SidecarStandIn& master, std::size_t at)
{
    return nlohmann::json::parse(master.Calls().at(at).second);
}

// Challenged until taken, while the master's 202 may still be on its way.
bool TakenWithin(MasterLink& link, std::uint32_t from, const std::string& token, bool anyAddress,
                 std::chrono::milliseconds wait)
{
    const auto end = Clock::now() + wait;
    while (!link.Challenged(from, token, anyAddress)) {
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

constexpr std::uint32_t kLoopback = 0x7f000001;

} // namespace

// The body is the listing with its secret, texts cut to the master's
// limits; a change of who plays goes at once, a score waits for its time.
TEST(MasterLink, RegistersTheListingAndSendsNewsButNotScoresAtOnce)
{
    SidecarStandIn master;
    MasterLink link(Parsed(UrlOf(master)), kSecret, Quick());
    ServerListing listing = Arena();
    link.Describe(listing, false);
    ASSERT_TRUE(master.WaitForRequests(1));
    EXPECT_EQ(master.Calls()[0].first, "POST /list/register");
    EXPECT_NE(master.Requests()[0].first.find("\r\nHost: localhost:" + std::to_string(master.Port()) + "\r\n"),
              std::string::npos)
        << "the URL's host, not the address it was found at";
    const nlohmann::json body = BodyOf(master, 0);
    EXPECT_EQ(body, (nlohmann::json{{"name", "Friday Night"},
                                    {"port", 3001},
                                    {"map", "Arena"},
                                    {"mode", "dm"},
                                    {"players",
                                     {{{"name", "Robot Ace"}, {"score", 4}, {"robot", true}},
                                      {{"name", "Kim, whose name runs past what a"}, {"score", 7}, {"robot", false}}}},
                                    {"seats", 8},
                                    {"version", QR_GAME_VERSION},
                                    {"password", false},
                                    {"secret", kSecret}}));
    std::vector<std::string> heard;
    EXPECT_TRUE(Says(link, "listed by the master at " + UrlOf(master), heard));

    listing.players[0].score = 5;
    link.Describe(listing, Arena().LineUpDiffers(listing));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(master.Calls().size(), 1u);
    const ServerListing before = listing;
    listing.players.pop_back();
    link.Describe(listing, before.LineUpDiffers(listing));
    ASSERT_TRUE(master.WaitForRequests(2));
    EXPECT_EQ(BodyOf(master, 1)["players"].size(), 1u);
    EXPECT_EQ(BodyOf(master, 1)["players"][0]["score"], 5);
}

// At the real pace: news after a quiet spell goes at once, and news in a
// burst waits for the floor that spares a master's allowance, never for
// the next regular registration.
TEST(MasterLink, NewsGoesAtOnceAndABurstOfItWaitsOnlyForTheFloor)
{
    SidecarStandIn master;
    RegistrationTiming timing;
    timing.callTimeout = 500ms;
    MasterLink link(Parsed(UrlOf(master)), kSecret, timing);
    ServerListing listing = Arena();
    link.Describe(listing, false);
    ASSERT_TRUE(master.WaitForRequests(1));
    std::this_thread::sleep_for(timing.soonest + 200ms);
    listing.players.pop_back();
    auto start = Clock::now();
    link.Describe(listing, true);
    ASSERT_TRUE(master.WaitForRequests(2));
    EXPECT_LT(Clock::now() - start, 1s) << "a quiet server's news goes at once";
    listing.map = "Maze";
    start = Clock::now();
    link.Describe(listing, true);
    ASSERT_TRUE(master.WaitForRequests(3));
    EXPECT_GE(Clock::now() - start, timing.soonest - 100ms);
    EXPECT_LE(Clock::now() - start, 3s);
    EXPECT_EQ(BodyOf(master, 2)["map"], "Maze");
}

TEST(MasterLink, RegistersAgainEveryPeriod)
{
    SidecarStandIn master;
    RegistrationTiming timing = Quick();
    timing.every = 100ms;
    MasterLink link(Parsed(UrlOf(master)), kSecret, timing);
    link.Describe(Arena(), false);
    ASSERT_TRUE(master.WaitForRequests(3));
    EXPECT_EQ(BodyOf(master, 2), BodyOf(master, 0));
}

// Every way of not being listed says why, once.
TEST(MasterLink, SaysWhyItIsNotListed)
{
    struct Case {
        std::string answer;
        std::string says; // after "the master at URL "
    };
    const Case cases[] = {
        {Answer(429, R"({"error": "more than 30 registrations a minute"})"),
         "refuses the registration (HTTP 429: more than 30 registrations a minute)"},
        {Answer(400, "<html>\x01</html>"), "refuses the registration (HTTP 400)"},
        {Answer(400, R"({"error": "name: \u0007bad"})"), "refuses the registration (HTTP 400: name: ?bad)"},
        {"HTTP/1.1 429 X\r\nTransfer-Encoding: chunked\r\n\r\n8\r\n{\"error\"\r\n9;x=y\r\n: \"flood\"\r\n1\r\n}\r\n0\r\n\r\n",
         "refuses the registration (HTTP 429: flood)"},
        {"SSH-2.0-OpenSSH\r\n\r\n", "does not answer (the answer is not HTTP)"},
        {Answer(202, R"({"status": "challenged"})"), "cannot reach UDP port 3001: open it in the firewall"},
    };
    for (const Case& c : cases) {
        SidecarStandIn master;
        master.Answer(c.answer);
        RegistrationTiming timing = Quick();
        timing.every = 100ms;
        MasterLink link(Parsed(UrlOf(master)), kSecret, timing);
        link.Describe(Arena(), false);
        std::vector<std::string> heard;
        EXPECT_TRUE(Says(link, "the master at " + UrlOf(master) + " " + c.says, heard)) << c.says;
        ASSERT_TRUE(master.WaitForRequests(3));
        for (std::string& line : link.TakeLogLines())
            heard.push_back(std::move(line));
        EXPECT_EQ(heard.size(), 1u) << c.says;
    }
    const std::string gone = "http://127.0.0.1:" + std::to_string(SidecarStandIn::FreePort());
    MasterLink link(Parsed(gone), kSecret, Quick());
    link.Describe(Arena(), false);
    std::vector<std::string> heard;
    EXPECT_TRUE(Says(link, "the master at " + gone + " does not answer (connection refused)", heard));
}

// A token is taken only while the master owes a challenge, from its own
// address first, and only a few times between regular registrations.
TEST(MasterLink, ATokenIsBroughtBackOnlyWhenOwedAndOnlyAFewTimes)
{
    SidecarStandIn master;
    master.Answer(Answer(202, R"({"status": "challenged"})"));
    MasterLink link(Parsed(UrlOf(master)), kSecret, Quick());
    const std::string token(32, 'a');
    EXPECT_FALSE(link.Challenged(kLoopback, token, true)) << "nothing registered yet";
    link.Describe(Arena(), false);
    ASSERT_TRUE(master.WaitForRequests(1));
    EXPECT_FALSE(TakenWithin(link, 0x0a000001, token, false, 200ms)) << "another address";
    ASSERT_TRUE(TakenWithin(link, 0x0a000001, token, true, 1s));
    ASSERT_TRUE(master.WaitForRequests(2));
    EXPECT_EQ(BodyOf(master, 1)["token"], token);
    EXPECT_FALSE(BodyOf(master, 0).contains("token"));

    EXPECT_TRUE(TakenWithin(link, kLoopback, token, false, 1s));
    EXPECT_TRUE(TakenWithin(link, kLoopback, token, false, 1s));
    EXPECT_FALSE(TakenWithin(link, kLoopback, token, false, 300ms)) << "a fourth token before the regular time";
    EXPECT_EQ(master.Calls().size(), 4u);
}

// The master sends its challenge before it answers: a datagram that
// overtakes the answer is still taken.
TEST(MasterLink, AChallengeThatOvertakesTheAnswerIsTaken)
{
    SidecarStandIn master;
    master.Answer(""); // the answer never comes
    MasterLink link(Parsed(UrlOf(master)), kSecret, Quick());
    link.Describe(Arena(), false);
    ASSERT_TRUE(master.WaitForRequests(1));
    EXPECT_TRUE(link.Challenged(kLoopback, std::string(32, 'b'), false));
}

// The end unregisters with the port and secret; a master that holds the
// call cannot hold the end longer than its deadline.
TEST(MasterLink, TheEndUnregistersAndAHangingMasterCannotHoldIt)
{
    {
        SidecarStandIn master;
        MasterLink link(Parsed(UrlOf(master)), kSecret, Quick());
        link.Describe(Arena(), false);
        ASSERT_TRUE(master.WaitForRequests(1));
        link.End();
        link.EndBy(Clock::now() + 2s);
        ASSERT_EQ(master.Calls().size(), 2u);
        EXPECT_EQ(master.Calls()[1].first, "POST /list/unregister");
        EXPECT_EQ(BodyOf(master, 1), (nlohmann::json{{"port", 3001}, {"secret", kSecret}}));
        std::vector<std::string> heard;
        EXPECT_TRUE(Says(link, "unregistered from the master at " + UrlOf(master), heard));
    }
    SidecarStandIn master;
    master.Answer("");
    RegistrationTiming timing = Quick();
    timing.callTimeout = 60s;
    const auto started = Clock::now();
    {
        MasterLink link(Parsed(UrlOf(master)), kSecret, timing);
        link.Describe(Arena(), false);
        ASSERT_TRUE(master.WaitForRequests(1));
        link.End();
        link.EndBy(Clock::now() + 200ms);
        std::vector<std::string> heard;
        EXPECT_TRUE(Says(link, "the master at " + UrlOf(master) + " was not told that the server ends", heard));
    }
    EXPECT_LT(Clock::now() - started, 10s);
}

TEST(Registrar, ReadsChallengesAndDrawsSecrets)
{
    std::uint8_t datagram[Registrar::kChallengeSize] = {'Q', 'R', 'M', 'C', 1};
    for (int i = 0; i < 16; ++i)
        datagram[5 + i] = static_cast<std::uint8_t>(i * 17);
    EXPECT_EQ(Registrar::TokenOf(datagram, sizeof datagram), "00112233445566778899aabbccddeeff");
    EXPECT_FALSE(Registrar::TokenOf(datagram, sizeof datagram - 1));
    datagram[4] = 2;
    EXPECT_FALSE(Registrar::TokenOf(datagram, sizeof datagram)) << "another version";
    datagram[4] = 1;
    datagram[0] = 'X';
    EXPECT_FALSE(Registrar::TokenOf(datagram, sizeof datagram));

    const std::string secret = Registrar::NewSecret();
    EXPECT_EQ(secret.size(), 32u);
    EXPECT_EQ(secret.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(secret, Registrar::NewSecret());
    EXPECT_FALSE(Registrar({}).Active());
}

TEST(ServerListing, NewsIsWhoPlaysTheMapOrTheModeAndTextsAreCutBetweenCharacters)
{
    const ServerListing base = Arena();
    const std::pair<const char*, void (*)(ServerListing&)> changes[] = {
        {"a score", [](ServerListing& l) { l.players[1].score = 99; }},
        {"a robot", [](ServerListing& l) { l.players[1].robot = true; }},
        {"a name", [](ServerListing& l) { l.players[0].name = "Robot Blaze"; }},
        {"the mode", [](ServerListing& l) { l.mode = "tdm"; }},
        {"the map", [](ServerListing& l) { l.map = "Warren"; }},
    };
    for (const auto& [what, change] : changes) {
        ServerListing other = base;
        change(other);
        EXPECT_EQ(base.LineUpDiffers(other), what != std::string("a score")) << what;
    }

    ServerListing other = base;
    other.name = std::string(63, 'n') + "\xc3\xa9"; // the é would end past byte 64
    other.seats = 64;
    const nlohmann::json body = other.Json(kSecret);
    EXPECT_EQ(body["name"], std::string(63, 'n'));
}

