#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/ServerPinger.h"

namespace {

const platform::Guid kGame = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};

// A game port on every loopback address: it hears the searches and
// answers those it is told to.
class Answerer {
public:
    Answerer() : fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        socklen_t size = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~Answerer() { ::close(fd); }

    struct Heard {
        platform::discovery::Search search;
        sockaddr_in from;
    };
    // Every search that came within a moment.
    std::vector<Heard> Hear()
    {
        std::vector<Heard> heard;
        pollfd ready{fd, POLLIN, 0};
        while (::poll(&ready, 1, 300) == 1) {
            std::uint8_t bytes[512];
            Heard one{};
            socklen_t size = sizeof one.from;
            const ssize_t got = ::recvfrom(fd, bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&one.from), &size);
            if (const auto search = platform::discovery::DecodeSearch(bytes, static_cast<std::size_t>(got))) {
                one.search = *search;
                heard.push_back(one);
            }
        }
        return heard;
    }
    void Answer(const Heard& heard, const platform::Guid& application)
    {
        platform::discovery::Answer answer;
        answer.application = application;
        answer.nonce = heard.search.nonce;
        answer.name = "Pinged";
        const auto bytes = platform::discovery::EncodeAnswer(answer);
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&heard.from), sizeof heard.from);
    }
    std::string Address(int last) const { return "127.0.0." + std::to_string(last) + ":" + std::to_string(port); }

private:
    int fd;
    std::uint16_t port = 0;
};

std::map<std::string, int> PollFor(platform::ServerPinger& pinger, std::size_t wanted, int seconds)
{
    std::map<std::string, int> done;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (done.size() < wanted && std::chrono::steady_clock::now() < until) {
        for (const auto& [address, ms] : pinger.Poll())
            done[address] = ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done;
}

} // namespace

// Twenty servers asked for at once: sixteen searches go, the answered
// ones are measured, then the last four go and, unanswered, end silent.
// An answer of another game or to another search is not a ping.
TEST(ServerPinger, PingsAtMostSixteenAtOnceAndCountsTheSilent)
{
    Answerer game;
    platform::ServerPinger pinger(kGame);
    for (int i = 1; i <= 20; ++i)
        pinger.Ask(game.Address(i));
    pinger.Ask(game.Address(1)); // already queued
    pinger.Ask("not an address");
    EXPECT_TRUE(pinger.Poll().empty());
    auto heard = game.Hear();
    ASSERT_EQ(heard.size(), platform::ServerPinger::kMostAtOnce);

    game.Answer(heard[0], platform::Guid{}); // another application
    auto stranger = heard[1];
    stranger.search.nonce ^= 1;
    game.Answer(stranger, kGame);
    for (const auto& one : heard)
        game.Answer(one, kGame);
    const auto answered = PollFor(pinger, 16, 5);
    ASSERT_EQ(answered.size(), 16u);
    for (const auto& [address, ms] : answered)
        EXPECT_GE(ms, 0) << address;

    EXPECT_EQ(game.Hear().size(), 4u) << "the rest go once room is made";
    EXPECT_FALSE(pinger.Idle());
    const auto silent = PollFor(pinger, 4, 5);
    ASSERT_EQ(silent.size(), 4u);
    for (const auto& [address, ms] : silent)
        EXPECT_EQ(ms, platform::ServerPinger::kSilent) << address;
    EXPECT_TRUE(pinger.Idle());
}
