#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Discovery.h"

// A bare UDP socket on every loopback address: a host that is not one,
// hearing the player's searches and answering them as it likes, or a
// searcher that is no player's program.
class SearchSocket {
public:
    // On the port given, or on one of its own.
    explicit SearchSocket(std::uint16_t wanted = 0) : fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in at = Loopback(wanted);
        at.sin_addr.s_addr = htonl(INADDR_ANY);
        ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
        socklen_t size = sizeof at;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);
        port = ntohs(at.sin_port);
    }
    ~SearchSocket() { ::close(fd); }
    SearchSocket(const SearchSocket&) = delete;
    SearchSocket& operator=(const SearchSocket&) = delete;

    static sockaddr_in Loopback(std::uint16_t port)
    {
        return {.sin_family = AF_INET, .sin_port = htons(port), .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    }
    // This socket at 127.0.0.last.
    std::string Address(int last) const { return "127.0.0." + std::to_string(last) + ":" + std::to_string(port); }

    void SendTo(const std::vector<std::uint8_t>& bytes, const sockaddr_in& to)
    {
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    // The next datagram and its sender; empty when none came within a
    // fifth of a second.
    std::vector<std::uint8_t> Receive(sockaddr_in* from = nullptr)
    {
        std::vector<std::uint8_t> bytes(2048);
        sockaddr_in sender{};
        socklen_t size = sizeof sender;
        pollfd ready{fd, POLLIN, 0};
        const ssize_t got = ::poll(&ready, 1, 200) == 1
                                ? ::recvfrom(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&sender), &size)
                                : 0;
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        if (from)
            *from = sender;
        return bytes;
    }

    struct Heard {
        platform::discovery::Search search;
        sockaddr_in from;
    };
    // Every search that came until none came for a fifth of a second.
    std::vector<Heard> Hear()
    {
        std::vector<Heard> heard;
        for (;;) {
            Heard one{};
            const auto bytes = Receive(&one.from);
            if (bytes.empty())
                return heard;
            if (const auto search = platform::discovery::DecodeSearch(bytes.data(), bytes.size())) {
                one.search = *search;
                heard.push_back(one);
            }
        }
    }
    // Answers as a host of the application would, the instance numbered.
    void Answer(const Heard& to, const platform::Guid& application, const std::string& name = "", int instance = 0)
    {
        platform::discovery::Answer answer{application, {}, to.search.nonce, 2, 9, name};
        answer.instance.bytes[0] = static_cast<std::uint8_t>(instance);
        answer.instance.bytes[1] = static_cast<std::uint8_t>(instance >> 8);
        SendTo(platform::discovery::EncodeAnswer(answer), to.from);
    }

private:
    int fd;
    std::uint16_t port = 0;
};
