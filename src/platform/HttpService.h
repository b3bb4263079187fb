#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HttpRequest.h"

namespace platform {

// Where a service listens: an IPv4 address in host order and a port, 0 for
// any free one.
struct ListenAddress {
    std::uint32_t ipv4 = 0;
    std::uint16_t port = 0;
};

// "ADDRESS:PORT", ADDRESS dotted IPv4 or "localhost"; false with a reason an
// operator can act on.
bool ParseListenAddress(std::string_view text, ListenAddress& out, std::string& error);

// A small HTTP/1.1 server polled from a single-threaded loop: each Serve
// accepts, reads and writes only what is ready, and does a bounded amount of
// it, so a flood of clients cannot hold the caller. Every client gets one
// answer and the connection is closed; only GET and HEAD are served.
class HttpService {
public:
    struct Answer {
        int status = 200;
        std::string contentType = "text/plain; version=0.0.4; charset=utf-8";
        std::string body;
    };
    using Handler = std::function<Answer(const HttpRequest& request)>;

    // Connections held at once. A newcomer beyond them takes the place of
    // the client waiting longest on its request, which is answered 503 and
    // closed, so that slow clients cannot keep a quick one out; when every
    // client is being answered, the newcomer is.
    static constexpr int kMostClients = 16;
    // From connect until the answer is written; then the client is dropped.
    static constexpr std::uint32_t kClientMs = 2000;
    static constexpr int kAcceptsPerServe = 8;
    static constexpr int kReadsPerServe = 2;
    static constexpr int kWritesPerServe = 4;

    HttpService();
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // Starts listening on "ADDRESS:PORT"; false with the reason when the
    // text is no address, the port is taken or the service already listens.
    bool Listen(const std::string& addressAndPort, std::string& error);
    // The bound port, 0 before Listen.
    std::uint16_t Port() const { return port; }
    // Does whatever is ready without waiting; nowMs is the caller's clock.
    void Serve(std::uint64_t nowMs, const Handler& handler);
    int ClientCount() const { return static_cast<int>(clients.size()); }

private:
    struct Client;

    void AcceptSome(std::uint64_t nowMs);
    // The oldest client goes; false without one.
    bool DropLongestWaiting();
    static void TellBusy(int fd);
    // False once the client is done with and may be closed.
    bool Advance(Client& client, const Handler& handler);
    bool ReadHead(Client& client, const Handler& handler);
    bool WriteAnswer(Client& client);
    bool Drain(Client& client);

    int listener = -1;
    std::uint16_t port = 0;
    std::vector<std::unique_ptr<Client>> clients;
};

} // namespace platform
