#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// A test's end of a connection to an HTTP service on this machine.
struct HttpPeer {
    explicit HttpPeer(std::uint16_t port, int receiveBuffer = 0) : fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        if (receiveBuffer > 0)
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in where {AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
    }
    ~HttpPeer() { ::close(fd); }
    bool Send(std::string_view bytes) const
    {
        return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // What has arrived so far; ended once the service has closed its side.
    const std::string& Take()
    {
        char chunk[65536];
        ssize_t got = 0;
        while ((got = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT)) > 0)
            received.append(chunk, static_cast<std::size_t>(got));
        ended = ended || got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        return received;
    }
    // Ends its side, then resets: the service's next write is a broken pipe.
    void HangUp()
    {
        ::shutdown(fd, SHUT_WR);
        ::usleep(1000);
        const linger abort {1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(std::exchange(fd, -1));
    }

    int fd;
    bool connected = false;
    bool ended = false;
    std::string received;
};

inline bool Has(const std::string& answer, const std::string& part)
{
    return answer.find(part) != std::string::npos;
}
