#include <gtest/gtest.h>

#include <tuple>

#include "master/MasterFixture.h"
#include "master/Registration.h"

namespace {

nlohmann::json Without(const char* key)
{
    nlohmann::json body = Description();
    body.erase(key);
    return body;
}

nlohmann::json With(const char* key, nlohmann::json value)
{
    nlohmann::json body = Description();
    body[key] = std::move(value);
    return body;
}

} // namespace

TEST(Registration, ReadsWhatItWrites)
{
    Registration read, again;
    std::string why;
    ASSERT_TRUE(Registration::Read(Description().dump(), read, why)) << why;
    ASSERT_EQ(read.listing.players.size(), 2u);
    const auto& players = read.listing.players;
    EXPECT_EQ(std::tuple(read.listing.name, read.port, players[0].robot, players[1].robot, players[1].score),
              std::tuple("Friday Night", 3001, true, false, 7))
        << "robot defaults to a person";
    ASSERT_TRUE(Registration::Read(read.Json().dump(), again, why)) << why;
    EXPECT_EQ(again.listing, read.listing);
    EXPECT_EQ(again.secret, read.secret);
}

TEST(Registration, RefusesWhatIsNotARegistration)
{
    struct Case {
        std::string body;
        const char* why;
    };
    const Case cases[] = {
        {"{\"name\": ", "not JSON"},
        {"[1, 2]", "not a JSON object"},
        {"", "not JSON"},
        {"{\"name\":\"a\"} trailing", "not JSON"},
        {Without("name").dump(), "\"name\" must be a text"},
        {With("name", "\x01\x02  ").dump(), "\"name\" must be 1 to 64 bytes"},
        {With("name", std::string(65, 'n')).dump(), "\"name\" must be 1 to 64 bytes"},
        {With("port", 0).dump(), "\"port\" must be a whole number from 1 to 65535"},
        {With("port", 70000).dump(), "\"port\" must be a whole number from 1 to 65535"},
        {With("port", "3001").dump(), "\"port\" must be a whole number from 1 to 65535"},
        {With("port", 3001.5).dump(), "\"port\" must be a whole number from 1 to 65535"},
        {With("seats", 18446744073709551615ull).dump(), "\"seats\" must be a whole number from 1 to 255"},
        {With("password", "no").dump(), "\"password\" must be true or false"},
        {With("players", nlohmann::json::object()).dump(), "\"players\" must be a list of at most 64"},
        {With("players", std::vector(65, nlohmann::json {{"name", "p"}, {"score", 0}})).dump(),
         "\"players\" must be a list of at most 64"},
        {With("players", nlohmann::json::array({7})).dump(), "a player must be an object"},
        {With("players", {{{"name", "x"}, {"score", 1e12}}}).dump(),
         "a player's \"score\" must be a whole number from -2147483648 to 2147483647"},
        {With("secret", "short").dump(), "\"secret\" must be 16 to 128 printable characters"},
        {With("secret", "with a space inside it").dump(), "\"secret\" must be 16 to 128 printable characters"},
        {With("token", "ABCDEF").dump(), "\"token\" must be the 32 hexadecimal digits of the challenge"},
        {std::string(Registration::kLargestBody + 1, ' '), "larger than 16384 bytes"},
    };
    for (const Case& each : cases) {
        Registration read;
        std::string why;
        EXPECT_FALSE(Registration::Read(each.body, read, why)) << each.body.substr(0, 80);
        EXPECT_EQ(why, each.why) << each.body.substr(0, 80);
    }
}

TEST(Registration, DropsControlBytesAndKeepsMarkup)
{
    Registration read;
    std::string why;
    nlohmann::json body = Description("  <script>alert(1)</script>\r\n\x1b[31m\x7f \xc2\x85 ");
    body["players"][0]["name"] = "\xe2\x80\xae" "Ace\t";
    ASSERT_TRUE(Registration::Read(body.dump(), read, why)) << why;
    EXPECT_EQ(read.listing.name, "<script>alert(1)</script>[31m");
    EXPECT_EQ(read.listing.players[0].name, "Ace") << "a direction override would turn the list around";
    EXPECT_EQ(CleanText("caf\xc3\xa9 \xe2\x80\x94 ok"), "caf\xc3\xa9 \xe2\x80\x94 ok") << "other text is kept";
    EXPECT_EQ(CleanText("ends in \xe2"), "ends in \xe2") << "a cut sequence is no control";
}

TEST(Registration, UnregistrationNeedsPortAndSecret)
{
    Unregistration read;
    std::string why;
    EXPECT_TRUE(Unregistration::Read(R"({"port": 3001, "secret": "s3cret-of-server-one"})", read, why)) << why;
    EXPECT_EQ(read.port, 3001);
    EXPECT_FALSE(Unregistration::Read(R"({"port": 3001})", read, why));
    EXPECT_FALSE(Unregistration::Read(R"({"secret": "s3cret-of-server-one"})", read, why));
}
