#include <gtest/gtest.h>

#include <tuple>

#include "master/ChallengeSocket.h"
#include "master/MasterFixture.h"

using nlohmann::json;

TEST(MasterRegistration, ListsOnlyWhatProvedItsPort)
{
    MasterRig rig;
    json description = Description();
    const HttpAnswer first = rig.Post("/register", description.dump());
    EXPECT_EQ(first.status, 202);
    ASSERT_EQ(rig.challenges.sent.size(), 1u);
    EXPECT_EQ(rig.challenges.sent[0].address, kServerAddress) << "only the address the request came from";
    EXPECT_EQ(rig.challenges.sent[0].port, 3001) << "only the port it claimed";
    EXPECT_TRUE(rig.Servers().empty()) << "unproven is never listed";

    description["token"] = "0123456789abcdef0123456789abcdef";
    EXPECT_EQ(rig.Post("/register", description.dump()).status, 202) << "a wrong token proves nothing";
    ASSERT_EQ(rig.challenges.sent.size(), 2u) << "one challenge per registration";
    EXPECT_EQ(rig.challenges.sent[1].token, rig.challenges.sent[0].token) << "the token on its way stays good";
    EXPECT_TRUE(rig.Servers().empty());

    description["token"] = rig.challenges.sent[0].token;
    description["secret"] = "another-servers-secret";
    EXPECT_EQ(rig.Post("/register", description.dump()).status, 202) << "a token is good only with its secret";
    EXPECT_NE(rig.challenges.sent.back().token, rig.challenges.sent[0].token);

    description["secret"] = Description()["secret"];
    description["token"] = rig.challenges.sent.back().token;
    EXPECT_EQ(rig.Post("/register", description.dump()).status, 202) << "the claim went to the other secret";
    description["token"] = rig.challenges.sent.back().token;
    EXPECT_EQ(rig.Post("/register", description.dump()).status, 200);
    ASSERT_EQ(rig.Servers().size(), 1u);
    EXPECT_EQ(rig.master.Metrics().Challenges(), rig.challenges.sent.size());

    description.erase("token");
    EXPECT_EQ(rig.Post("/register", description.dump()).status, 200) << "a listed server refreshes with its secret";
}

TEST(MasterRegistration, AnotherSecretCannotTakeOrEndAListing)
{
    MasterRig rig;
    ASSERT_EQ(rig.List(Description()).status, 200);
    json stranger = Description("Not Friday");
    stranger["secret"] = "a-stranger-on-the-same-nat";
    EXPECT_EQ(rig.Post("/register", stranger.dump()).status, 202);
    EXPECT_EQ(rig.Servers()[0]["name"], "Friday Night") << "the listing stays until the port is proven";
    const json ending = {{"port", 3001}, {"secret", "a-stranger-on-the-same-nat"}};
    const HttpAnswer withdrawn = rig.Post("/unregister", ending.dump());
    EXPECT_EQ(withdrawn.status, 200) << "it may withdraw its own claim";
    EXPECT_EQ(json::parse(*withdrawn.body)["status"], "withdrawn") << "and nothing was unlisted";
    EXPECT_EQ(rig.Post("/unregister", ending.dump()).status, 403);
    EXPECT_EQ(rig.master.Metrics().Refusals(Refusal::Secret), 1u);
    EXPECT_EQ(rig.Servers().size(), 1u);

    // A server restarted with a fresh secret takes its place back by proof.
    json restarted = Description("Friday Night II");
    restarted["secret"] = "the-restarted-servers-secret";
    EXPECT_EQ(rig.List(restarted).status, 200);
    EXPECT_EQ(rig.Servers()[0]["name"], "Friday Night II");
    EXPECT_EQ(rig.Post("/unregister", json {{"port", 3001}, {"secret", restarted["secret"]}}.dump()).status, 200);
    EXPECT_TRUE(rig.Servers().empty());
}

TEST(MasterRegistration, EntriesLiveThirtySecondsAfterTheirLastRegistration)
{
    MasterRig rig;
    ASSERT_EQ(rig.List(Description()).status, 200);
    ASSERT_EQ(rig.List(Description("Other", 3002)).status, 200);
    rig.clock.Advance(20000);
    json refresh = Description();
    EXPECT_EQ(rig.Post("/register", refresh.dump()).status, 200);
    rig.clock.Advance(10001);
    rig.master.Tick();
    ASSERT_EQ(rig.master.List().ListedCount(), 1) << "the silent one goes after 30 s";
    EXPECT_EQ(rig.Servers()[0]["address"], "203.0.113.7:3001");
    rig.clock.Advance(20000);
    rig.master.Tick();
    EXPECT_EQ(rig.master.List().ListedCount(), 0);

    // A claim that never proves itself is forgotten too: its token is no good after.
    rig.Post("/register", Description("Late", 3003).dump());
    json late = Description("Late", 3003);
    late["token"] = rig.challenges.sent.back().token;
    rig.clock.Advance(ServerList::kLifetimeMs + 1);
    rig.master.Tick();
    EXPECT_EQ(rig.Post("/register", late.dump()).status, 202);
}

TEST(MasterRegistration, SettingTheMachinesTimeNeitherUnlistsNorKeepsServers)
{
    MasterRig rig;
    ASSERT_EQ(rig.List(Description()).status, 200);
    rig.clock.SetWall(rig.clock.WallMs() + 24 * 3600 * 1000);
    rig.master.Tick();
    EXPECT_EQ(rig.master.List().ListedCount(), 1) << "a day forward on the wall is no silence";
    rig.clock.SetWall(rig.clock.WallMs() - 48 * 3600 * 1000);
    rig.clock.Advance(ServerList::kLifetimeMs + 1);
    rig.master.Tick();
    EXPECT_EQ(rig.master.List().ListedCount(), 0) << "the wall set back keeps no silent server";
}

TEST(MasterRegistration, RefusesFloodsAndTooManyPorts)
{
    Master::Settings settings;
    settings.registrationsPerMinute = 5;
    MasterRig rig(settings);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rig.Post("/register", Description().dump()).status, 202);
    const HttpAnswer flooded = rig.Post("/register", Description().dump());
    EXPECT_EQ(flooded.status, 429);
    EXPECT_EQ(json::parse(*flooded.body)["error"], "more than 5 registrations a minute for 203.0.113.7:3001");
    EXPECT_EQ(rig.challenges.sent.size(), 5u) << "a refused registration sends nothing";
    EXPECT_EQ(rig.Post("/register", Description().dump(), kServerAddress + 1).status, 202) << "others go on";
    EXPECT_EQ(rig.Post("/register", Description("n", 3002).dump()).status, 202) << "so do its other servers";
    rig.clock.Advance(12000);
    EXPECT_EQ(rig.Post("/register", Description().dump()).status, 202) << "the allowance refills steadily";

    // A host with as many servers as it may list, each at its most, is never
    // stopped; a host past twice that is.
    MasterRig host(settings);
    for (int round = 0; round < 5; ++round)
        for (int port = 1; port <= ServerList::kMostPerAddress; ++port)
            ASSERT_EQ(host.Post("/register", Description("n", port).dump()).status, 202);
    for (int port = 1; port <= ServerList::kMostPerAddress * 5; ++port)
        host.Post("/register", Description("n", 1).dump());
    const HttpAnswer ceiling = host.Post("/register", Description("n", 2).dump());
    EXPECT_EQ(json::parse(*ceiling.body)["error"], "more than 640 registrations a minute from 203.0.113.7");

    MasterRig many({6000, {}});
    for (int port = 1; port <= ServerList::kMostPerAddress; ++port)
        ASSERT_EQ(many.Post("/register", Description("n", port).dump()).status, 202);
    EXPECT_EQ(many.Post("/register", Description("n", 4000).dump()).status, 429);
    EXPECT_EQ(many.master.Metrics().Refusals(Refusal::TooManyPorts), 1u);
}

TEST(MasterRegistration, AnswersEveryBadRequestClearly)
{
    MasterRig rig;
    HttpAsk large {"POST", "/register", kServerAddress, "", true, false};
    EXPECT_EQ(rig.master.Handle(large).status, 413);
    EXPECT_EQ(rig.Post("/register", "{oops").status, 400);
    EXPECT_EQ(rig.Get("/register").status, 405);
    EXPECT_EQ(rig.Get("/../etc/passwd").status, 404);
    EXPECT_EQ(rig.challenges.sent.size(), 0u);
    const std::string metrics = *rig.Get("/metrics").body;
    for (const char* line : {"quillrock_master_refusals_total{reason=\"too_large\"} 1",
                             "quillrock_master_refusals_total{reason=\"malformed\"} 1",
                             "quillrock_master_refusals_total{reason=\"method\"} 1",
                             "quillrock_master_refusals_total{reason=\"not_found\"} 1",
                             "quillrock_master_servers_listed 0"})
        EXPECT_NE(metrics.find(line), std::string::npos) << line << "\n" << metrics;

    rig.master.SetBans(BanFile::Read("203.0.113.0/24 # the whole block\n", [](int, const std::string&) {}));
    EXPECT_FALSE(rig.master.Admits(kServerAddress));
    EXPECT_TRUE(rig.master.Admits(0xcb007207));
    EXPECT_EQ(rig.master.Metrics().Refusals(Refusal::Banned), 1u);
}

TEST(MasterRegistration, ChallengeIsSmallerThanAnyRegistration)
{
    const std::string token = ChallengeSocket::NewToken();
    const std::string datagram = ChallengeSocket::Datagram(token);
    ASSERT_EQ(datagram.size(), ChallengeSocket::kDatagramSize);
    EXPECT_EQ(datagram.substr(0, 5), std::string("QRMC\x01"));
    EXPECT_EQ(static_cast<unsigned char>(datagram[5]), std::stoul(token.substr(0, 2), nullptr, 16));
    EXPECT_NE(ChallengeSocket::NewToken(), token);
    EXPECT_TRUE(ChallengeSocket::Datagram("not a token").empty());
    // The smallest body the reader takes is still larger than the datagram.
    const std::string smallest =
        R"({"name":"a","port":1,"map":"a","mode":"a","players":[],"seats":1,"version":"a","secret":"0123456789abcdef"})";
    Registration read;
    std::string why;
    ASSERT_TRUE(Registration::Read(smallest, read, why)) << why;
    EXPECT_GT(smallest.size(), ChallengeSocket::kDatagramSize);
}

TEST(BanFile, ReadsAddressesAndNetworks)
{
    std::vector<int> skipped;
    const BanFile bans = BanFile::Read("# banned\n198.51.100.2\n\n10.0.0.0/8 # a network\n"
                                       "203.0.113.7 forever\n300.1.1.1\n10.1.1.1/33\n0.0.0.0/0x\n",
                                       [&](int line, const std::string&) { skipped.push_back(line); });
    EXPECT_EQ(skipped, (std::vector<int> {5, 6, 7, 8}));
    EXPECT_EQ(std::tuple(bans.Size(), bans.Bans(0xc6336402), bans.Bans(0xc6336403), bans.Bans(0x0a123456),
                         bans.Bans(0x0b000000)),
              std::tuple(2u, true, false, true, false));
}
