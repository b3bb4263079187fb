#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "net/ServerListing.h"

namespace {

std::vector<ListedServer> Read(const std::string& document, bool expected = true)
{
    std::vector<ListedServer> servers;
    std::string error;
    EXPECT_EQ(ServerListing::Read(document, servers, error), expected) << error;
    EXPECT_EQ(error.empty(), expected);
    return servers;
}

// Whether reading the document needs less than budget bytes of heap more
// than the process holds now, tried in a child held to that.
bool ReadsWithin(const std::string& document, bool cut, long budget)
{
    long pages = 0;
    long data = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return false;
    const bool read = std::fscanf(statm, "%ld %*d %*d %*d %*d %ld", &pages, &data) == 2;
    std::fclose(statm);
    if (!read)
        return false;
    const rlim_t limit = static_cast<rlim_t>(data * ::sysconf(_SC_PAGESIZE) + budget);
    const rlimit held {limit, limit};
    ::setrlimit(RLIMIT_DATA, &held);
    std::vector<ListedServer> servers;
    std::string error;
    ServerListing::Read(document, servers, error, cut);
    return true;
}

} // namespace

TEST(ServerListing, ReadsTheMastersListCountingPeopleAndRobotsApart)
{
    const auto servers = Read(R"({"servers": [{"name": "Friday Night", "address": "203.0.113.7:3001",
        "map": "Arena", "mode": "dm", "players": [{"name": "Ace", "score": 4, "robot": true},
        {"name": "Kim", "score": 7}, {"name": "Bo", "score": 1, "robot": false}],
        "seats": 8, "version": "0.9.0", "extra": [1, 2]}]})");
    ASSERT_EQ(servers.size(), 1u);
    const ListedServer& s = servers[0];
    EXPECT_EQ(std::tie(s.name, s.address, s.map, s.mode, s.people, s.robots, s.seats),
              std::tuple("Friday Night", "203.0.113.7:3001", "Arena", "dm", 2, 1, 8));
}

TEST(ServerListing, DropsEntriesThatAreNoServerAndKeepsTheRest)
{
    const std::string good = R"({"name": "Good", "address": "10.0.0.1:3001", "players": [], "seats": 4})";
    const char* bad[] = {
        R"("just text")",
        R"({"name": "", "address": "10.0.0.1:3001", "players": [], "seats": 4})",
        R"({"name": "No port", "address": "10.0.0.1", "players": [], "seats": 4})",
        R"({"name": "Port 0", "address": "10.0.0.1:0", "players": [], "seats": 4})",
        R"({"name": "Big octet", "address": "10.0.0.256:3001", "players": [], "seats": 4})",
        R"({"name": "A name", "address": "example.org:3001", "players": [], "seats": 4})",
        R"({"name": "Seats", "address": "10.0.0.1:3001", "players": [], "seats": -1})",
        R"({"name": "Seats", "address": "10.0.0.1:3001", "players": [], "seats": 256})",
        R"({"name": "Seats", "address": "10.0.0.1:3001", "players": [], "seats": "8"})",
        R"({"name": "Players", "address": "10.0.0.1:3001", "players": {}, "seats": 4})",
        R"({"name": "Players", "address": "10.0.0.1:3001", "players": [3], "seats": 4})",
        R"({"name": "Players", "address": "10.0.0.1:3001", "seats": 4})",
    };
    for (const char* entry : bad) {
        const auto servers = Read(std::string(R"({"servers": [)") + entry + "," + good + "]}");
        ASSERT_EQ(servers.size(), 1u) << entry;
        EXPECT_EQ(servers[0].name, "Good");
    }
}

TEST(ServerListing, CleansAndCutsTextsFromAnUntrustedMaster)
{
    const std::string longName(300, 'n');
    const auto servers = Read(R"({"servers": [{"name": "A\u0007B\u001b[31mC\u007f", "address": "10.0.0.1:3001",
        "map": ")" + longName + R"(", "mode": 5, "players": [], "seats": 1},
        {"name": ")" + longName + R"(", "address": "10.0.0.2:3001", "players": [], "seats": 1}]})");
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[0].name, "AB[31mC");
    EXPECT_EQ(servers[0].map.size(), ServerListing::kLongestMap);
    EXPECT_EQ(servers[0].mode, "");
    EXPECT_EQ(servers[1].name.size(), ServerListing::kLongestName);

    // A cut never splits a character.
    const auto accented = Read(R"({"servers": [{"name": ")" + std::string(ServerListing::kLongestName - 1, 'n') +
                               "\u00e9\u00e9" + R"(", "address": "10.0.0.1:3001", "players": [], "seats": 1}]})");
    ASSERT_EQ(accented.size(), 1u);
    EXPECT_EQ(accented[0].name, std::string(ServerListing::kLongestName - 1, 'n'));
}

TEST(ServerListing, RefusesWhatIsNoListAndBoundsWhatIs)
{
    for (const char* document : {"", "<html>oops</html>", "[]", R"({"servers": {}})", R"({"other": []})",
                                 R"({"servers": [)", "\xff\xfe"})
        EXPECT_TRUE(Read(document, false).empty()) << document;
    EXPECT_TRUE(Read(std::string(ServerListing::kLargestDocument + 1, ' '), false).empty());

    std::string many = R"({"servers": [)";
    for (std::size_t i = 0; i < ServerListing::kMostServers + 5; ++i)
        many += R"({"name": "S", "address": "10.0.0.1:3001", "players": [], "seats": 2},)";
    many.back() = ']';
    many += "}";
    EXPECT_EQ(Read(many).size(), ServerListing::kMostServers);
}

TEST(ServerListing, KeepsTheServersWholeBeforeTheCutOfALongList)
{
    const std::string entry = R"({"name": "S", "address": "10.0.0.1:3001", "players": [{"name": "A"}], "seats": 2},)";
    const std::string list = R"({"servers": [)" + entry + entry + entry;
    std::vector<ListedServer> servers;
    std::string error;
    EXPECT_TRUE(ServerListing::Read(list.substr(0, list.size() - 20), servers, error, true)) << error;
    EXPECT_EQ(servers.size(), 2u);
    EXPECT_FALSE(ServerListing::Read(list, servers, error)) << "only a cut document may end early";
    EXPECT_TRUE(servers.empty());
    EXPECT_FALSE(ServerListing::Read(R"({"other": [)" + entry, servers, error, true)) << "no list began";
    EXPECT_FALSE(ServerListing::Read(R"([)" + entry, servers, error, true));
}

// A hostile master's nesting is refused where no list needs it, before it
// costs memory: at the top, and inside an entry.
TEST(ServerListing, RefusesNestingDeeperThanAListNeeds)
{
    const std::string entry = R"({"name": "S", "address": "10.0.0.1:3001", "players": [], "seats": 2})";
    const std::string brackets(ServerListing::kLargestDocument, '[');
    const std::string deepEntry = R"({"servers": [)" + entry + R"(, {"name": "D", "x": )" + brackets;
    EXPECT_TRUE(Read(brackets, false).empty());
    EXPECT_TRUE(Read(deepEntry.substr(0, ServerListing::kLargestDocument), false).empty());
    std::vector<ListedServer> servers;
    std::string error;
    EXPECT_TRUE(ServerListing::Read(deepEntry.substr(0, ServerListing::kLargestDocument), servers, error, true));
    EXPECT_EQ(servers.size(), 1u) << "a cut list keeps what was whole before";
    EXPECT_EQ(Read(R"({"servers": [{"name": "P", "address": "10.0.0.1:3001", "seats": 2,
        "players": [{"name": "A", "robot": true}, {"name": "B"}], "extra": [[1], {"a": 2}]}]})")
                  .size(),
              1u)
        << "an entry's own nesting is read";

    constexpr long kBudget = 24L << 20;
    for (const std::string* document : {&brackets, &deepEntry}) {
        EXPECT_EXIT(std::_Exit(ReadsWithin(*document, false, kBudget) ? 0 : 1), ::testing::ExitedWithCode(0), "");
        EXPECT_EXIT(std::_Exit(ReadsWithin(*document, true, kBudget) ? 0 : 1), ::testing::ExitedWithCode(0), "");
    }

    // Players are counted as read, never held: a list of far too many
    // refuses its entry and costs nothing.
    std::string crowd = R"({"servers": [{"name": "C", "address": "10.0.0.1:3001", "seats": 2, "players": [)";
    while (crowd.size() < ServerListing::kLargestDocument - 8)
        crowd += "{},";
    crowd.back() = ']';
    crowd += "}]}";
    EXPECT_TRUE(Read(crowd).empty());
    EXPECT_EXIT(std::_Exit(ReadsWithin(crowd, false, kBudget) ? 0 : 1), ::testing::ExitedWithCode(0), "");
}
