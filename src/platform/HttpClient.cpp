#include "platform/HttpClient.h"

#include "platform/ChunkedBody.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <utility>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// A status line longer than this is not one.
constexpr std::size_t kLongestStatusLine = 1024;

class Socket {
public:
    Socket() : fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd; }

private:
    int fd;
};

// strerror's text as the middle of a log line.
std::string Reason(int error)
{
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// How long a call may go on.
struct Limit {
    Clock::time_point deadline;
    int cancelFd;
};

enum class Waited { Ready, Late, Cancelled, Failed };

Waited Await(int fd, short events, const Limit& limit)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(limit.deadline - Clock::now()).count();
        if (left <= 0)
            return Waited::Late;
        pollfd ready[2] = {{fd, events, 0}, {limit.cancelFd, POLLIN, 0}};
        const int got = ::poll(ready, limit.cancelFd < 0 ? 1 : 2, static_cast<int>(left));
        if (got > 0)
            return ready[1].revents ? Waited::Cancelled : Waited::Ready;
        if (got < 0 && errno != EINTR)
            return Waited::Failed;
    }
}

// Why a wait that did not end ready ended.
std::string Unready(Waited waited, const char* late)
{
    if (waited == Waited::Late)
        return late;
    return waited == Waited::Cancelled ? "cancelled" : Reason(errno);
}

bool Connect(int fd, const sockaddr_in& address, const Limit& limit, std::string& error)
{
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR) {
        error = Reason(errno);
        return false;
    }
    const Waited waited = Await(fd, POLLOUT, limit);
    if (waited != Waited::Ready) {
        error = Unready(waited, "no connection in time");
        return false;
    }
    int failure = 0;
    socklen_t size = sizeof failure;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size) != 0)
        failure = errno;
    if (failure != 0) {
        error = Reason(failure);
        return false;
    }
    return true;
}

bool SendAll(int fd, const std::string& data, const Limit& limit, std::string& error)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t wrote = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += static_cast<std::size_t>(wrote);
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            error = Reason(errno);
            return false;
        }
        const Waited waited = Await(fd, POLLOUT, limit);
        if (waited != Waited::Ready) {
            error = Unready(waited, "the request was not taken in time");
            return false;
        }
    }
    return true;
}

std::string Request(const std::string& hostHeader, const char* method, const std::string& path, const std::string& body,
                    bool acceptGzip = false)
{
    std::string request = std::string(method) + " " + path + " HTTP/1.1\r\n";
    request += "Host: " + hostHeader + "\r\n";
    if (acceptGzip)
        request += "Accept-Encoding: gzip\r\n";
    request += "Content-Type: application/json\r\nAccept: application/json\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "Connection: close\r\n\r\n";
    return request + body;
}

std::string HostHeaderOr(const std::string& hostHeader, const std::string& host, std::uint16_t port)
{
    return hostHeader.empty() ? host + ":" + std::to_string(port) : hostHeader;
}

// Where the body begins once the head is in; 0 before.
std::size_t HeadEnd(const std::string& answer)
{
    const std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? 0 : end + 4;
}

// "HTTP/1.1 200 OK" to 200; 0 for anything else.
int StatusOf(const std::string& line)
{
    const std::size_t version = 8; // "HTTP/1.x"
    if (line.size() < version + 4 || line.compare(0, 7, "HTTP/1.") != 0 || !std::isdigit(static_cast<unsigned char>(line[7])) ||
        line[version] != ' ')
        return 0;
    int status = 0;
    for (std::size_t at = version + 1; at < version + 4; ++at) {
        if (!std::isdigit(static_cast<unsigned char>(line[at])))
            return 0;
        status = status * 10 + (line[at] - '0');
    }
    const std::size_t after = version + 4;
    if (line.size() > after && line[after] != ' ' && line[after] != '\r')
        return 0;
    return status >= 100 ? status : 0;
}

// The answer's whole length once its head is in, when it says its body's
// length; 0 while that is not known.
std::size_t WholeLength(const std::string& answer)
{
    const std::size_t headEnd = answer.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return 0;
    const char name[] = "\r\ncontent-length:";
    const std::size_t nameLength = sizeof name - 1;
    for (std::size_t line = answer.find("\r\n"); line < headEnd; line = answer.find("\r\n", line + 2)) {
        std::size_t at = 0;
        while (at < nameLength && std::tolower(static_cast<unsigned char>(answer[line + at])) == name[at])
            ++at;
        if (at < nameLength)
            continue;
        std::size_t length = 0;
        for (at = line + nameLength; answer[at] == ' ' || answer[at] == '\t'; ++at) {
        }
        for (; std::isdigit(static_cast<unsigned char>(answer[at])) && length <= kMostHttpAnswer; ++at)
            length = length * 10 + static_cast<std::size_t>(answer[at] - '0');
        return headEnd + 4 + length;
    }
    return 0;
}

// What follows the head, no further than the length it gives.
std::string BodyOf(const std::string& answer)
{
    const std::size_t headEnd = answer.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return {};
    const std::size_t whole = WholeLength(answer);
    const std::size_t end = whole == 0 ? answer.size() : std::min(whole, answer.size());
    return answer.substr(headEnd + 4, end - (headEnd + 4));
}

// The value of a header in a head that ends with its blank line, lower
// case; empty when absent.
std::string HeaderValue(const std::string& head, const char* lowerName)
{
    const std::size_t nameLength = std::strlen(lowerName);
    for (std::size_t line = head.find("\r\n"); line != std::string::npos && line + 2 < head.size();
         line = head.find("\r\n", line + 2)) {
        std::size_t at = 0;
        while (at < nameLength && line + 2 + at < head.size() &&
               std::tolower(static_cast<unsigned char>(head[line + 2 + at])) == lowerName[at])
            ++at;
        if (at < nameLength || head[line + 2 + at] != ':')
            continue;
        std::size_t from = line + 3 + at;
        const std::size_t end = head.find("\r\n", from);
        while (from < end && (head[from] == ' ' || head[from] == '\t'))
            ++from;
        std::string value = head.substr(from, end - from);
        for (char& c : value)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return value;
    }
    return {};
}

// Reads until the status line is in, then drains the rest of the answer
// until it ends, the bound is reached or the time runs out.
HttpReply ReadAnswer(int fd, const Limit& limit)
{
    HttpReply reply;
    std::string answer;
    std::optional<ChunkedBody> chunks;
    std::size_t bodyAt = 0;
    char chunk[4096];
    while (answer.size() < kMostHttpAnswer) {
        if (bodyAt == 0 && (bodyAt = HeadEnd(answer)) != 0 &&
            HeaderValue(answer.substr(0, bodyAt), "transfer-encoding") == "chunked")
            chunks.emplace(kMostHttpAnswer);
        if (chunks && chunks->Take(std::string_view(answer).substr(bodyAt)) != ChunkedBody::State::Partial)
            break;
        if (chunks)
            bodyAt = answer.size();
        const std::size_t whole = WholeLength(answer);
        if (!chunks && reply.status != 0 && whole != 0 && answer.size() >= whole)
            break;
        const Waited waited = Await(fd, POLLIN, limit);
        if (waited != Waited::Ready) {
            if (reply.status == 0)
                reply.error = Unready(waited, "no answer in time");
            break;
        }
        const ssize_t got = ::recv(fd, chunk, std::min(sizeof chunk, kMostHttpAnswer - answer.size()), 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (got <= 0) {
            if (reply.status == 0)
                reply.error = got == 0 ? "the connection closed without an answer" : Reason(errno);
            break;
        }
        answer.append(chunk, static_cast<std::size_t>(got));
        if (reply.status != 0)
            continue;
        const std::size_t end = answer.find('\n');
        if (end == std::string::npos && answer.size() <= kLongestStatusLine)
            continue;
        reply.status = end == std::string::npos ? 0 : StatusOf(answer.substr(0, end));
        if (reply.status == 0) {
            reply.error = "the answer is not HTTP";
            break;
        }
    }
    reply.body = chunks ? chunks->Body() : BodyOf(answer);
    return reply;
}

// How the body after a head comes.
struct BodyForm {
    std::optional<std::size_t> length; // as declared
    bool chunked = false;
    bool gzip = false;
};

// Why a head cannot be followed by a body we read, empty when it can.
std::string BodyProblem(const std::string& head, std::size_t mostBytes, bool acceptGzip, BodyForm& form)
{
    const std::string encoding = HeaderValue(head, "content-encoding");
    const std::string transfer = HeaderValue(head, "transfer-encoding");
    if (!(transfer.empty() || transfer == "chunked") || !(encoding.empty() || (acceptGzip && encoding == "gzip")))
        return "the answer came encoded, which was not asked for";
    form.chunked = !transfer.empty();
    form.gzip = !encoding.empty();
    const std::string declared = HeaderValue(head, "content-length");
    if (declared.empty() || form.chunked)
        return {};
    std::size_t value = 0;
    for (const char c : declared) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return "the answer's length is not a number";
        // Past the bound only its first mostBytes are read: no need to count on.
        value = std::min(value * 10 + static_cast<std::size_t>(c - '0'), mostBytes + 1);
    }
    form.length = value;
    return {};
}

// The seconds an Age header gives; -1 without one.
long AgeOf(const std::string& value)
{
    long age = value.empty() ? -1 : 0;
    for (const char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || age > 1000000000L)
            return -1;
        age = age * 10 + (c - '0');
    }
    return age;
}

// Unpacks a gzip body in place, to its first mostBytes at most: why not, or
// empty when it was unpacked. A body cut on the wire unpacks as far as it goes.
std::string Gunzip(std::string& body, std::size_t mostBytes, bool& cut)
{
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return "the compressed answer cannot be unpacked";
    stream.next_in = reinterpret_cast<Bytef*>(body.data());
    stream.avail_in = static_cast<uInt>(body.size());
    std::string unpacked;
    std::string error;
    char chunk[65536];
    int result = Z_OK;
    while (error.empty() && result != Z_STREAM_END && unpacked.size() < mostBytes) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        unpacked.append(chunk, sizeof chunk - stream.avail_out);
        const bool ranOut = result == Z_BUF_ERROR && stream.avail_in == 0;
        if (ranOut && cut)
            break;
        if (result != Z_OK && result != Z_STREAM_END)
            error = "the compressed answer is damaged or cut short";
    }
    inflateEnd(&stream);
    if (unpacked.size() > mostBytes || (result != Z_STREAM_END && error.empty())) {
        unpacked.resize(std::min(unpacked.size(), mostBytes));
        cut = true;
    }
    if (error.empty())
        body = std::move(unpacked);
    return error;
}

// The head of a document once it is in: its status, form and dates, or why
// it is refused.
bool ReadHead(const std::string& head, std::size_t mostBytes, bool acceptGzip, HttpDocument& document, BodyForm& form)
{
    document.status = StatusOf(head.substr(0, head.find('\n')));
    document.error = document.status == 0 ? "the answer is not HTTP" : BodyProblem(head, mostBytes, acceptGzip, form);
    document.lastModified = HeaderValue(head, "last-modified");
    document.ageSeconds = AgeOf(HeaderValue(head, "age"));
    if (document.error.empty())
        return true;
    document.status = 0;
    return false;
}

// Reads the whole answer: the head, then the body up to its length, its
// last chunk or the connection's end, never more than mostBytes of it: a
// longer one is cut there, the rest left unread.
HttpDocument ReadDocument(int fd, const Limit& limit, std::size_t mostBytes, bool acceptGzip)
{
    HttpDocument document;
    std::string answer;
    std::size_t bodyAt = 0;
    BodyForm form;
    ChunkedBody chunks(mostBytes);
    char chunk[16384];
    const auto failed = [&](std::string why) {
        document.status = 0;
        document.error = std::move(why);
        return document;
    };
    for (;;) {
        if (document.cut || (bodyAt != 0 && ((form.length && answer.size() - bodyAt >= *form.length) ||
                                             chunks.Now() == ChunkedBody::State::Whole)))
            break;
        const Waited waited = Await(fd, POLLIN, limit);
        if (waited != Waited::Ready)
            return failed(Unready(waited, "no whole answer in time"));
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (got < 0)
            return failed(Reason(errno));
        if (got == 0) {
            if (bodyAt != 0 && !form.length && !form.chunked)
                break;
            return failed("the connection closed before the answer was whole");
        }
        answer.append(chunk, static_cast<std::size_t>(got));
        if (bodyAt == 0) {
            bodyAt = HeadEnd(answer);
            if (bodyAt == 0 && answer.size() > kMostHttpAnswer)
                return failed("the answer's head is too long");
            if (bodyAt == 0)
                continue;
            if (!ReadHead(answer.substr(0, bodyAt), mostBytes, acceptGzip, document, form))
                return document;
        }
        if (form.chunked) {
            // Only the unpacked body is kept, so chunks cost no more than it.
            const ChunkedBody::State state = chunks.Take(std::string_view(answer).substr(bodyAt));
            answer.resize(bodyAt);
            if (state == ChunkedBody::State::Damaged)
                return failed("the answer's chunks are damaged");
            document.cut = state == ChunkedBody::State::TooLarge;
        } else if (answer.size() - bodyAt > mostBytes) {
            answer.resize(bodyAt + mostBytes);
            document.cut = true;
        }
    }
    document.body = form.chunked ? chunks.Body() : answer.substr(bodyAt, form.length.value_or(answer.size() - bodyAt));
    if (form.gzip)
        document.error = Gunzip(document.body, mostBytes, document.cut);
    if (!document.error.empty()) {
        document.status = 0;
        document.body.clear();
    }
    return document;
}

} // namespace

HttpReply HttpCall(const std::string& host, std::uint16_t port, const char* method, const std::string& path,
                   const std::string& jsonBody, int timeoutMs, int cancelFd, const std::string& hostHeader)
{
    const Limit limit{Clock::now() + std::chrono::milliseconds(timeoutMs), cancelFd};
    HttpReply reply;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        reply.error = "\"" + host + "\" is not an IPv4 address";
        return reply;
    }
    const Socket socket;
    if (socket.Fd() < 0) {
        reply.error = Reason(errno);
        return reply;
    }
    if (!Connect(socket.Fd(), address, limit, reply.error) ||
        !SendAll(socket.Fd(), Request(HostHeaderOr(hostHeader, host, port), method, path, jsonBody), limit,
                 reply.error))
        return reply;
    return ReadAnswer(socket.Fd(), limit);
}

HttpDocument HttpGet(const std::string& host, std::uint16_t port, const std::string& path, std::size_t mostBytes,
                     bool acceptGzip, int timeoutMs, int cancelFd, const std::string& hostHeader)
{
    const Limit limit{Clock::now() + std::chrono::milliseconds(timeoutMs), cancelFd};
    HttpDocument document;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        document.error = "\"" + host + "\" is not an IPv4 address";
        return document;
    }
    const Socket socket;
    if (socket.Fd() < 0) {
        document.error = Reason(errno);
        return document;
    }
    if (!Connect(socket.Fd(), address, limit, document.error) ||
        !SendAll(socket.Fd(), Request(HostHeaderOr(hostHeader, host, port), "GET", path, {}, acceptGzip), limit,
                 document.error))
        return document;
    return ReadDocument(socket.Fd(), limit, mostBytes, acceptGzip);
}

} // namespace platform
