#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <tuple>

#include "master/ChallengeSocket.h"
#include "master/ListPage.h"
#include "master/MasterFixture.h"
#include "master/StateFile.h"
#include "support/TempDir.h"

using nlohmann::json;

namespace {

std::string Gunzip(const std::string& packed)
{
    z_stream stream {};
    EXPECT_EQ(inflateInit2(&stream, 15 + 16), Z_OK);
    std::string plain(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(plain.data());
    stream.avail_out = static_cast<uInt>(plain.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    plain.resize(stream.total_out);
    inflateEnd(&stream);
    return plain;
}

std::string Header(const HttpAnswer& answer, const std::string& name)
{
    for (const auto& [key, value] : answer.headers)
        if (key == name)
            return value;
    return {};
}

} // namespace

// The list's own shape, and nothing beside it, plain or packed as asked,
// dated by its making and aged since.
TEST(ServerListDocument, HasTheListsShapeGzippedWhenAskedWithDatesAndAge)
{
    MasterRig rig;
    ASSERT_EQ(rig.List(Description()).status, 200);
    const json expected = json::parse(R"({"servers": [{"name": "Friday Night", "address": "203.0.113.7:3001",
        "map": "Arena", "mode": "dm", "players": [{"name": "Ace", "score": 4, "robot": true},
        {"name": "Kim", "score": 7, "robot": false}], "seats": 8, "version": "0.9.0"}]})");
    const HttpAnswer plain = rig.Get("/servers.json");
    EXPECT_EQ(std::tuple(plain.status, plain.type), std::tuple(200, "application/json"));
    EXPECT_EQ(json::parse(*plain.body), expected) << "neither the secret nor anything else beside";
    const HttpAnswer packed = rig.Get("/servers.json", true);
    EXPECT_EQ(Header(plain, "Content-Encoding"), "");
    EXPECT_EQ(Header(packed, "Content-Encoding"), "gzip");
    EXPECT_EQ(Header(packed, "Vary"), "Accept-Encoding");
    EXPECT_EQ(Gunzip(*packed.body), *plain.body);
    EXPECT_EQ(Header(plain, "Last-Modified"), "Mon, 30 Nov 2026 00:53:20 GMT");
    EXPECT_EQ(Header(plain, "Age"), "0");
    rig.clock.Advance(3500);
    EXPECT_EQ(Header(rig.Get("/servers.json"), "Age"), "3") << "unchanged, the same document ages";
}

TEST(ServerListDocument, RemadeAtMostFourTimesASecond)
{
    MasterRig rig;
    ASSERT_EQ(rig.List(Description()).status, 200);
    const auto before = rig.Get("/servers.json").body;
    ASSERT_EQ(rig.List(Description("Second", 3002)).status, 200);
    rig.master.SettleList();
    EXPECT_EQ(rig.Get("/servers.json").body, before) << "shared bytes until the next remake";
    rig.clock.Advance(ListDocument::kRemakeMs);
    EXPECT_EQ(rig.Servers().size(), 2u);
    rig.clock.Advance(ListDocument::kRemakeMs);
    const auto settled = rig.Get("/servers.json").body;
    json refresh = Description("Second", 3002);
    rig.Post("/register", refresh.dump());
    rig.clock.Advance(ListDocument::kRemakeMs);
    EXPECT_EQ(rig.Get("/servers.json").body, settled) << "a refresh that changes nothing remakes nothing";

    rig.Post("/unregister", json {{"port", 3002}, {"secret", refresh["secret"]}}.dump());
    rig.clock.Advance(ListDocument::kRemakeMs);
    rig.master.Tick();
    rig.master.SettleList();
    EXPECT_EQ(json::parse(*rig.Get("/servers.json").body)["servers"].size(), 1u)
        << "the tick remade the list: the first request after a change is served it";
}

TEST(ServerListPage, ShowsEveryTextAsText)
{
    MasterRig rig;
    json hostile = Description("<script>alert(1)</script>");
    hostile["map"] = "\"><img src=x onerror=alert(2)>";
    hostile["players"][1]["name"] = "Bo & 'Jo'";
    ASSERT_EQ(rig.List(hostile).status, 200);
    const HttpAnswer page = rig.Get("/");
    EXPECT_EQ(page.type, "text/html; charset=utf-8");
    EXPECT_NE(Header(page, "Content-Security-Policy").find("default-src 'none'"), std::string::npos);
    const std::string& html = *page.body;
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(html.find("&quot;&gt;&lt;img src=x onerror=alert(2)&gt;"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"n\">1</td><td class=\"n\">1</td><td class=\"n\">8</td>"), std::string::npos)
        << "people and robots apart, then seats";
    EXPECT_EQ(ListPage::Escaped("a<&>\"'b"), "a&lt;&amp;&gt;&quot;&#39;b");
}

// The loop's tick remakes the page with the list: the first person to ask
// after a change sees it, and an ask in between gets the page before.
TEST(ServerListPage, FollowsTheListWithoutBeingAsked)
{
    MasterRig rig;
    ASSERT_EQ(rig.List(Description()).status, 200);
    ASSERT_NE(rig.Get("/").body->find("1 server listed"), std::string::npos);
    ASSERT_EQ(rig.List(Description("Second", 3002)).status, 200);
    EXPECT_NE(rig.Get("/").body->find("1 server listed"), std::string::npos) << "too soon to remake";
    rig.clock.Advance(ListDocument::kRemakeMs);
    rig.master.Tick();
    rig.master.SettleList();
    const std::string page = *rig.Get("/").body;
    EXPECT_NE(page.find("2 servers listed"), std::string::npos);
    EXPECT_NE(page.find("<td>Second</td>"), std::string::npos);
}

TEST(MasterState, SurvivesARestart)
{
    TempDir dir;
    const std::string path = dir.Path() + "/state.json";
    {
        MasterRig rig({30, path});
        ASSERT_EQ(rig.List(Description()).status, 200);
        ASSERT_EQ(rig.List(Description("Other", 3002), 0x0a000001).status, 200);
        rig.Post("/register", Description("Unproven", 3003).dump());
        EXPECT_TRUE(rig.master.SaveStateAside());
        EXPECT_FALSE(rig.master.SaveStateAside()) << "one writer at a time";
    }
    std::ifstream saved(path);
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_EQ(text.str().find("Unproven"), std::string::npos);
    EXPECT_EQ(text.str().find("token"), std::string::npos);

    // Restarted after a reboot: the steady clock starts again, the wall goes on.
    MasterRig again({30, path});
    again.clock = ManualClock(1000);
    again.clock.SetWall(1796000000000 + 10000);
    again.master.LoadState();
    ASSERT_EQ(again.master.List().ListedCount(), 2);
    EXPECT_EQ(again.Post("/register", Description().dump()).status, 200) << "its secret came back with it";
    again.clock.Advance(ServerList::kLifetimeMs - 9999);
    again.master.Tick();
    EXPECT_EQ(again.master.List().ListedCount(), 1) << "times came back too";
}

// A server whose saved time lies ahead, by hand or by a clock set back,
// lives no longer than one heard from now.
TEST(MasterState, ATimeToComeIsNowAtTheLatest)
{
    TempDir dir;
    const nlohmann::json entry = {
        {"address", "10.0.0.9"}, {"last", std::numeric_limits<std::int64_t>::max()}, {"registration", Description()}};
    dir.WriteFile("state.json", nlohmann::json {{"servers", {entry}}}.dump());
    MasterRig rig({30, dir.Path() + "/state.json"});
    rig.master.LoadState();
    ASSERT_EQ(rig.master.List().ListedCount(), 1);
    rig.clock.Advance(ServerList::kLifetimeMs + 1);
    rig.master.Tick();
    EXPECT_EQ(rig.master.List().ListedCount(), 0);
}

TEST(MasterState, DamagedStateIsSkipped)
{
    TempDir dir;
    int skipped = 0;
    ServerList list(ChallengeSocket::NewToken);
    StateFile::Restore("{\"servers\": [1, {\"address\": \"1.2.3.4\"}, {\"address\": \"x\", \"last\": 1, "
                       "\"registration\": {}}]}",
                       ManualClock(), list, skipped);
    EXPECT_EQ(skipped, 3);
    StateFile::Restore("not json", ManualClock(), list, skipped);
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(list.ListedCount(), 0);
    std::string why;
    EXPECT_TRUE(StateFile(dir.Path() + "/none.json").Load(list, ManualClock(), skipped, why)) << "no file yet is no state";
    EXPECT_FALSE(StateFile(dir.Path() + "/no/such/folder/state.json").Save(list, ManualClock(), why));
    EXPECT_NE(why.find("state.json.new"), std::string::npos) << why;
}

TEST(ServerListDocument, ManyChangesLeaveExactlyTheListedServers)
{
    MasterRig rig({100000, {}});
    const auto from = [](int i) { return 0x0a000000u + std::uint32_t(i); };
    const auto check = [&](std::size_t listed) {
        const HttpAnswer packed = rig.Remade(true);
        const std::string plain = Gunzip(*packed.body);
        EXPECT_EQ(plain, *rig.Get("/servers.json").body);
        const json servers = json::parse(plain, nullptr, false)["servers"];
        EXPECT_EQ(servers.size(), listed) << plain.substr(0, 200);
        return servers;
    };
    check(0);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(rig.List(Description("S" + std::to_string(i)), from(i)).status, 200);
    check(3000);
    for (int i = 0; i < 3000; i += 7) {
        json changed = Description("Changed " + std::to_string(i));
        EXPECT_EQ(rig.Post("/register", changed.dump(), from(i)).status, 200);
    }
    for (int i = 1; i < 3000; i += 5)
        rig.Post("/unregister", json {{"port", 3001}, {"secret", Description()["secret"]}}.dump(), from(i));
    const json servers = check(2400);
    int changed = 0;
    for (const json& server : servers)
        changed += server["name"].get<std::string>().rfind("Changed ", 0) == 0;
    EXPECT_EQ(changed, 343);
    for (int i = 0; i < 3000; ++i)
        rig.Post("/unregister", json {{"port", 3001}, {"secret", Description()["secret"]}}.dump(), from(i));
    check(0);
}
