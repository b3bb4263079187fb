#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Stands in for the Agones SDK sidecar's HTTP gateway, which cannot run
// here (it needs a Kubernetes cluster): a loopback server on a thread of
// its own that writes down each request in order and gives it the answer
// it is told to, 200 "{}" at first; with none it holds the connection.
class SidecarStandIn {
public:
    static std::uint16_t FreePort()
    {
        const int fd = Bound(0);
        const std::uint16_t port = PortOf(fd);
        ::close(fd);
        return port;
    }

    explicit SidecarStandIn(std::uint16_t wanted = 0) : listener(Bound(wanted)), port(PortOf(listener))
    {
        if (::listen(listener, 16) != 0 || ::pipe2(wake, O_CLOEXEC) != 0)
            std::abort();
        server = std::thread([this] { Serve(); });
    }
    ~SidecarStandIn()
    {
        (void)!::write(wake[1], "x", 1);
        server.join();
        for (const int fd : {listener, wake[0], wake[1]})
            ::close(fd);
        for (const int fd : held)
            ::close(fd);
    }
    std::uint16_t Port() const { return port; }
    void Answer(std::string raw)
    {
        const std::lock_guard lock(mutex);
        answer = std::move(raw);
    }
    bool WaitForRequests(std::size_t count)
    {
        std::unique_lock lock(mutex);
        return came.wait_for(lock, std::chrono::seconds(9), [&] { return requests.size() >= count; });
    }
    // Each request's head and body.
    std::vector<std::pair<std::string, std::string>> Requests()
    {
        const std::lock_guard lock(mutex);
        return requests;
    }
    // Each request's method and path, as "POST /ready", and its body.
    std::vector<std::pair<std::string, std::string>> Calls()
    {
        std::vector<std::pair<std::string, std::string>> calls = Requests();
        for (auto& [head, body] : calls)
            head = head.substr(0, head.find(" HTTP/1.1"));
        return calls;
    }

private:
    static int Bound(std::uint16_t port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            std::abort();
        return fd;
    }
    static std::uint16_t PortOf(int fd)
    {
        sockaddr_in address{};
        socklen_t size = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        return ntohs(address.sin_port);
    }
    void Serve()
    {
        for (;;) {
            pollfd ready[2] = {{listener, POLLIN, 0}, {wake[0], POLLIN, 0}};
            if (::poll(ready, 2, -1) < 0 || ready[1].revents)
                return;
            const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0)
                Take(connection);
        }
    }
    void Take(int connection)
    {
        std::string got;
        std::size_t head = std::string::npos, whole = 0;
        while (head == std::string::npos || got.size() < whole) {
            char chunk[4096];
            pollfd ready{connection, POLLIN, 0};
            const ssize_t read = ::poll(&ready, 1, 6000) == 1 ? ::recv(connection, chunk, sizeof chunk, 0) : 0;
            if (read <= 0)
                return (void)::close(connection);
            got.append(chunk, static_cast<std::size_t>(read));
            head = got.find("\r\n\r\n");
            const std::size_t length = got.find("Content-Length: ");
            if (head != std::string::npos && length < head)
                whole = head + 4 + std::strtoul(got.c_str() + length + 16, nullptr, 10);
        }
        std::string raw;
        {
            const std::lock_guard lock(mutex);
            requests.emplace_back(got.substr(0, head), got.substr(head + 4));
            raw = answer;
        }
        came.notify_all();
        if (raw.empty())
            return held.push_back(connection);
        (void)::send(connection, raw.data(), raw.size(), MSG_NOSIGNAL);
        ::close(connection);
    }

    int listener;
    int wake[2] = {-1, -1};
    std::uint16_t port;
    std::mutex mutex;
    std::condition_variable came;
    std::vector<std::pair<std::string, std::string>> requests;
    std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 2\r\n\r\n{}";
    std::vector<int> held; // connections never answered
    std::thread server;
};
