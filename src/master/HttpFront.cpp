#include "master/HttpFront.h"

#include <microhttpd.h>
#include <sys/select.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "master/AddressText.h"

// What a request has brought so far, from its first call to its answer.
struct HttpFront::Pending {
    HttpAsk ask;
    bool started = false;
    bool answered = false;
};

namespace {

std::uint32_t AddressOf(const sockaddr* address)
{
    if (!address || address->sa_family != AF_INET)
        return 0;
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

void ReleaseBody(void* body)
{
    delete static_cast<std::shared_ptr<const std::string>*>(body);
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

// libmicrohttpd's callbacks, each with the front as its closure.
struct HttpFrontCalls {
    static MHD_Result Accept(void* self, const sockaddr* address, socklen_t)
    {
        return static_cast<HttpFront*>(self)->admit(AddressOf(address)) ? MHD_YES : MHD_NO;
    }
    static MHD_Result Request(void* self, MHD_Connection* connection, const char* url, const char* method,
                              const char* version, const char* upload, std::size_t* uploadSize, void** state);
    static void Log(void* self, const char* format, va_list arguments)
    {
        auto& front = *static_cast<HttpFront*>(self);
        char line[512];
        std::vsnprintf(line, sizeof line, format, arguments);
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '.'))
            text.pop_back();
        if (front.complain)
            front.complain(text);
    }
    static void Connected(void* self, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code)
    {
        auto& front = *static_cast<HttpFront*>(self);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            front.clients[connection] = {HttpFront::Clock::now()};
            return;
        }
        const auto open = front.clients.find(connection);
        if (open == front.clients.end())
            return;
        // One that never began a request and lasted the idle time was
        // dropped for it; a request cut short is told when it completes.
        if (!open->second.asked &&
            HttpFront::Clock::now() - open->second.since >= std::chrono::seconds(front.limits.idleSeconds))
            front.Drop();
        front.clients.erase(open);
    }
    static void Completed(void* self, MHD_Connection*, void** state, MHD_RequestTerminationCode code)
    {
        if (code == MHD_REQUEST_TERMINATED_TIMEOUT_REACHED)
            static_cast<HttpFront*>(self)->Drop();
        delete static_cast<HttpFront::Pending*>(*state);
        *state = nullptr;
    }
};

HttpFront::~HttpFront()
{
    if (daemon)
        MHD_stop_daemon(daemon);
}

bool HttpFront::Start(const sockaddr_in& where, const Limits& chosen, std::string& why)
{
    limits = chosen;
    daemon = MHD_start_daemon(
        MHD_USE_ERROR_LOG, ntohs(where.sin_port), &HttpFrontCalls::Accept, this,
        &HttpFrontCalls::Request, this, MHD_OPTION_EXTERNAL_LOGGER, &HttpFrontCalls::Log, this,
        MHD_OPTION_SOCK_ADDR, &where,
        MHD_OPTION_CONNECTION_LIMIT, limits.clients, MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits.perAddress,
        MHD_OPTION_CONNECTION_TIMEOUT, limits.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits.headerRoom,
        MHD_OPTION_NOTIFY_COMPLETED, &HttpFrontCalls::Completed, this, MHD_OPTION_NOTIFY_CONNECTION,
        &HttpFrontCalls::Connected, this, MHD_OPTION_END);
    if (!daemon)
        why = std::strerror(errno);
    return daemon != nullptr;
}

std::uint16_t HttpFront::Port() const
{
    const MHD_DaemonInfo* info = daemon ? MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT) : nullptr;
    return info ? info->port : 0;
}

int HttpFront::DropLate(int most)
{
    const Clock::time_point now = Clock::now();
    const auto whole = std::chrono::seconds(limits.wholeSeconds);
    Clock::time_point next = now + std::chrono::milliseconds(most);
    for (auto at = clients.begin(); at != clients.end();) {
        if (at->second.since + whole > now) {
            next = std::min(next, at->second.since + whole);
            ++at;
            continue;
        }
        // Shut, not closed: the descriptor stays libmicrohttpd's until it
        // sees the end and lets the connection go.
        const MHD_ConnectionInfo* fd = MHD_get_connection_info(at->first, MHD_CONNECTION_INFO_CONNECTION_FD);
        const MHD_ConnectionInfo* peer = MHD_get_connection_info(at->first, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        if (fd)
            ::shutdown(fd->connect_fd, SHUT_RDWR);
        if (complain)
            complain("dropped a client from " + AddressText(peer ? AddressOf(peer->client_addr) : 0) +
                     ": not done within " + std::to_string(limits.wholeSeconds) + " s");
        Drop();
        at = clients.erase(at);
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(next - now).count());
}

void HttpFront::Drop()
{
    if (dropped)
        dropped();
}

bool HttpFront::Poll(int timeoutMs, int extraFd)
{
    timeoutMs = DropLate(timeoutMs);
    fd_set reads, writes, errors;
    FD_ZERO(&reads);
    FD_ZERO(&writes);
    FD_ZERO(&errors);
    MHD_socket highest = -1;
    MHD_get_fdset(daemon, &reads, &writes, &errors, &highest);
    if (extraFd >= 0) {
        FD_SET(extraFd, &reads);
        highest = std::max(highest, extraFd);
    }
    MHD_UNSIGNED_LONG_LONG due = 0;
    if (MHD_get_timeout(daemon, &due) == MHD_YES)
        timeoutMs = static_cast<int>(std::min<MHD_UNSIGNED_LONG_LONG>(due, timeoutMs));
    timeval wait {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = ::select(highest + 1, &reads, &writes, &errors, &wait);
    if (ready < 0) {
        FD_ZERO(&reads);
        FD_ZERO(&writes);
        FD_ZERO(&errors);
    }
    MHD_run_from_select(daemon, &reads, &writes, &errors);
    return extraFd >= 0 && ready > 0 && FD_ISSET(extraFd, &reads);
}

bool HttpFront::AcceptsGzip(const char* header)
{
    std::istringstream codings(header ? Lowered(header) : std::string());
    std::string coding;
    while (std::getline(codings, coding, ',')) {
        coding.erase(std::remove(coding.begin(), coding.end(), ' '), coding.end());
        const auto semicolon = coding.find(';');
        const std::string name = coding.substr(0, semicolon);
        const std::string weight = semicolon == std::string::npos ? "" : coding.substr(semicolon + 1);
        // "q=0", "q=0.0" and the like refuse it.
        const bool refused = weight.rfind("q=0", 0) == 0 && weight.find_first_of("123456789") == std::string::npos;
        if ((name == "gzip" || name == "x-gzip") && !refused)
            return true;
    }
    return false;
}

MHD_Result HttpFrontCalls::Request(void* self, MHD_Connection* connection, const char* url, const char* method,
                                   const char*, const char* upload, std::size_t* uploadSize, void** state)
{
    auto& front = *static_cast<HttpFront*>(self);
    using Pending = HttpFront::Pending;
    if (!*state) {
        auto pending = std::make_unique<Pending>();
        pending->ask.method = method;
        pending->ask.path = url;
        const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        pending->ask.address = info ? AddressOf(info->client_addr) : 0;
        pending->ask.acceptsGzip =
            HttpFront::AcceptsGzip(MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_ACCEPT_ENCODING));
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
        pending->ask.bodyTooLarge = length && std::strtoull(length, nullptr, 10) > front.limits.largestBody;
        *state = pending.release();
    }
    Pending& pending = *static_cast<Pending*>(*state);
    if (const auto open = front.clients.find(connection); open != front.clients.end())
        open->second.asked = true;
    const bool first = !pending.started;
    pending.started = true;
    if (*uploadSize > 0) {
        // A body too large is refused at once.
        const std::size_t room = front.limits.largestBody - std::min(front.limits.largestBody, pending.ask.body.size());
        if (*uploadSize > room)
            pending.ask.bodyTooLarge = true;
        else if (!pending.answered)
            pending.ask.body.append(upload, *uploadSize);
        *uploadSize = 0;
        if (!pending.ask.bodyTooLarge || pending.answered)
            return MHD_YES;
        // No answer can be queued halfway through a body: the refusal is
        // counted and logged, and the connection closed.
        pending.answered = true;
        pending.ask.body.clear();
        front.handler(pending.ask);
        return MHD_NO;
    }
    if (pending.answered || (first && !pending.ask.bodyTooLarge && pending.ask.method == "POST"))
        return MHD_YES;
    return front.Answer(connection, pending) ? MHD_YES : MHD_NO;
}

bool HttpFront::Answer(MHD_Connection* connection, Pending& pending)
{
    pending.answered = true;
    pending.ask.body = pending.ask.bodyTooLarge ? std::string() : pending.ask.body;
    HttpAnswer answer = handler(pending.ask);
    auto* body = new std::shared_ptr<const std::string>(answer.body ? answer.body
                                                                    : std::make_shared<const std::string>());
    MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
        (*body)->size(), const_cast<char*>((*body)->data()), &ReleaseBody, body);
    if (!response) {
        ReleaseBody(body);
        return false;
    }
    if (!answer.type.empty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.type.c_str());
    for (const auto& [name, value] : answer.headers)
        MHD_add_response_header(response, name.c_str(), value.c_str());
    // A refused body is not read to its end: the connection closes after the answer.
    if (pending.ask.bodyTooLarge)
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    return queued == MHD_YES;
}
