#include "platform/HttpService.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t kChunk = 4096;
constexpr int kBacklog = 32;
constexpr int kSendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;

bool Digits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 0 to top, in decimal without a leading zero, so "010" is not taken for octal.
bool ReadNumber(std::string_view text, unsigned top, unsigned& value)
{
    if (!Digits(text) || text.size() > 5 || (text.size() > 1 && text.front() == '0'))
        return false;
    value = 0;
    for (char c : text)
        value = value * 10 + static_cast<unsigned>(c - '0');
    return value <= top;
}

bool ReadIpv4(std::string_view text, std::uint32_t& ipv4)
{
    if (text == "localhost") {
        ipv4 = INADDR_LOOPBACK;
        return true;
    }
    ipv4 = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.') : text.size();
        unsigned value = 0;
        if (dot == std::string_view::npos || !ReadNumber(text.substr(0, dot), 255, value))
            return false;
        ipv4 = ipv4 << 8 | value;
        text.remove_prefix(std::min(dot + 1, text.size()));
    }
    return true;
}

const char* Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return status < 400 ? "OK" : "Error";
    }
}

// The whole answer as it goes on the wire; a HEAD gets the length alone.
std::string Format(const HttpService::Answer& answer, bool withBody, std::string_view extraHeaders = {})
{
    std::string out = "HTTP/1.1 " + std::to_string(answer.status) + " " + Reason(answer.status) + "\r\n";
    out += "Content-Type: " + answer.contentType + "\r\n";
    out += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
    out += "Connection: close\r\n";
    out += extraHeaders;
    out += "\r\n";
    if (withBody)
        out += answer.body;
    return out;
}

HttpService::Answer Refusal(int status)
{
    return {status, "text/plain; charset=utf-8", std::string(Reason(status)) + "\n"};
}

std::string ListenFailure(const std::string& text, int error)
{
    const std::string start = "cannot listen on " + text + ": ";
    switch (error) {
    case EADDRINUSE: return start + "the port is in use by another program";
    case EACCES: return start + "ports below 1024 need root's rights";
    case EADDRNOTAVAIL: return start + "no network interface of this machine has that address";
    default: return start + std::strerror(error);
    }
}

} // namespace

struct HttpService::Client {
    enum class Stage { Reading, Writing, Draining };

    Client(int fd, std::uint64_t deadline) : fd(fd), deadline(deadline) {}
    ~Client() { ::close(fd); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    int fd;
    std::uint64_t deadline;
    Stage stage = Stage::Reading;
    std::string bytes; // the head so far, then the answer
    std::size_t sent = 0;
};

bool ParseListenAddress(std::string_view text, ListenAddress& out, std::string& error)
{
    const std::size_t colon = text.rfind(':');
    const std::string shown(text.substr(0, 64));
    if (colon == std::string_view::npos) {
        error = "\"" + shown + "\" names no port: give ADDRESS:PORT, as in 127.0.0.1:9100";
        return false;
    }
    const std::string_view address = text.substr(0, colon);
    const std::string_view digits = text.substr(colon + 1);
    unsigned port = 0;
    if (!ReadNumber(digits, 65535, port)) {
        error = "the port \"" + std::string(digits.substr(0, 64)) + "\" is not a number from 0 to 65535";
        return false;
    }
    if (!ReadIpv4(address, out.ipv4)) {
        error = "\"" + std::string(address.substr(0, 64)) + "\" is not an IPv4 address (as 0.0.0.0) or localhost";
        return false;
    }
    out.port = static_cast<std::uint16_t>(port);
    return true;
}

HttpService::HttpService() = default;

HttpService::~HttpService()
{
    clients.clear();
    if (listener >= 0)
        ::close(listener);
}

bool HttpService::Listen(const std::string& addressAndPort, std::string& error)
{
    ListenAddress address;
    if (!ParseListenAddress(addressAndPort, address, error))
        return false;
    if (listener >= 0) {
        error = "cannot listen on " + addressAndPort + ": already listening on port " + std::to_string(port);
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ListenFailure(addressAndPort, errno);
        return false;
    }
    // A restarted server takes its port back while old connections linger.
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(address.ipv4);
    where.sin_port = htons(address.port);
    socklen_t length = sizeof where;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 || ::listen(fd, kBacklog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
        error = ListenFailure(addressAndPort, errno);
        ::close(fd);
        return false;
    }
    listener = fd;
    port = ntohs(where.sin_port);
    return true;
}

void HttpService::Serve(std::uint64_t nowMs, const Handler& handler)
{
    if (listener < 0)
        return;
    // Clients done with leave first, so their places go to new ones; those
    // accepted now are read from the next call on.
    std::erase_if(clients, [&](const std::unique_ptr<Client>& client) {
        return nowMs >= client->deadline || !Advance(*client, handler);
    });
    AcceptSome(nowMs);
}

void HttpService::AcceptSome(std::uint64_t nowMs)
{
    for (int i = 0; i < kAcceptsPerServe; ++i) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        if (clients.size() < static_cast<std::size_t>(kMostClients) || DropLongestWaiting()) {
            clients.push_back(std::make_unique<Client>(fd, nowMs + kClientMs));
            continue;
        }
        TellBusy(fd);
        ::close(fd);
    }
}

bool HttpService::DropLongestWaiting()
{
    // Clients are kept in the order they came: the oldest goes, whatever
    // it waits on, so that one that will not send its request or will not
    // read its answer holds a place no longer than the newcomers leave it.
    if (clients.empty())
        return false;
    TellBusy(clients.front()->fd);
    clients.erase(clients.begin());
    return true;
}

void HttpService::TellBusy(int fd)
{
    // Short enough for any socket buffer: no waiting on it.
    static const std::string busy = Format(Refusal(503), true);
    [[maybe_unused]] const ssize_t sent = ::send(fd, busy.data(), busy.size(), kSendFlags);
}

bool HttpService::Advance(Client& client, const Handler& handler)
{
    switch (client.stage) {
    case Client::Stage::Reading: return ReadHead(client, handler);
    case Client::Stage::Writing: return WriteAnswer(client);
    case Client::Stage::Draining: return Drain(client);
    }
    return false;
}

bool HttpService::ReadHead(Client& client, const Handler& handler)
{
    HttpRequest request;
    HttpParse parsed = HttpParse::Incomplete;
    for (int i = 0; i < kReadsPerServe && parsed == HttpParse::Incomplete; ++i) {
        // One byte past the limit is enough to tell a head too large.
        char chunk[kChunk];
        const std::size_t room = std::min(sizeof chunk, kHttpHeadLimit + 1 - client.bytes.size());
        const ssize_t got = ::recv(client.fd, chunk, room, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        if (got < 0)
            return true;
        client.bytes.append(chunk, static_cast<std::size_t>(got));
        parsed = ParseHttpRequest(client.bytes, request);
    }
    if (parsed == HttpParse::Incomplete)
        return true;
    const bool get = request.method == "GET";
    const bool head = request.method == "HEAD";
    if (parsed == HttpParse::Done && (get || head))
        client.bytes = Format(handler(request), get);
    else if (parsed == HttpParse::Done)
        client.bytes = Format(Refusal(405), true, "Allow: GET, HEAD\r\n");
    else
        client.bytes = Format(Refusal(parsed == HttpParse::TooLarge ? 431 : 400), true);
    client.stage = Client::Stage::Writing;
    return WriteAnswer(client);
}

bool HttpService::WriteAnswer(Client& client)
{
    for (int i = 0; i < kWritesPerServe && client.sent < client.bytes.size(); ++i) {
        const ssize_t sent =
            ::send(client.fd, client.bytes.data() + client.sent, client.bytes.size() - client.sent, kSendFlags);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return true;
        if (sent <= 0)
            return false;
        client.sent += static_cast<std::size_t>(sent);
    }
    if (client.sent < client.bytes.size())
        return true;
    // Closing with the client's bytes unread would reset the connection and
    // lose whatever of the answer is still on its way: the rest is read and
    // thrown away until the client closes too, or has taken every byte.
    client.bytes = std::string();
    ::shutdown(client.fd, SHUT_WR);
    client.stage = Client::Stage::Draining;
    return Drain(client);
}

bool HttpService::Drain(Client& client)
{
    for (int i = 0; i < kReadsPerServe; ++i) {
        char chunk[kChunk];
        const ssize_t got = ::recv(client.fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        if (got < 0) {
            // Done once the client has every byte, the end of the stream too.
            int unacknowledged = 0;
            return ::ioctl(client.fd, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged > 0;
        }
    }
    return true;
}

} // namespace platform
