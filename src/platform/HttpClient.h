#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The most of an answer that is read; more is left unread.
constexpr std::size_t kMostHttpAnswer = 65536;

// What a server said to one request: its status, or 0 and why not.
struct HttpReply {
    int status = 0;    // 0: no answer
    std::string error; // why there was none, for a log line
    std::string body;  // as much of it as was read
};

// One blocking HTTP/1.1 request over IPv4 TCP to a dotted address, with a
// JSON body, on a connection of its own. Connecting, sending and reading
// together take at most timeoutMs, and end at once when cancelFd (if not
// -1) becomes readable. The answer is read up to kMostHttpAnswer bytes in
// all, its body by its length or its chunks; of its head only the status
// line is kept. The Host header names
// hostHeader, or the address and port when it is empty.
HttpReply HttpCall(const std::string& host, std::uint16_t port, const char* method, const std::string& path,
                   const std::string& jsonBody, int timeoutMs, int cancelFd = -1, const std::string& hostHeader = {});

// A document fetched with GET: its status and body, or status 0 and why not.
struct HttpDocument {
    int status = 0;
    std::string body;
    std::string error;
    std::string lastModified; // its Last-Modified header, lower case; empty without
    long ageSeconds = -1;     // its Age header; -1 without
    bool cut = false;         // the body went on past what was read
};

// One blocking GET over IPv4 TCP, bounded as HttpCall is. Of a body longer
// than mostBytes only the first mostBytes are kept and the rest is left
// unread, whatever its length says or however its chunks are cut. With
// acceptGzip a gzip body is asked for and unpacked, to mostBytes at most.
HttpDocument HttpGet(const std::string& host, std::uint16_t port, const std::string& path, std::size_t mostBytes,
                     bool acceptGzip, int timeoutMs, int cancelFd = -1, const std::string& hostHeader = {});

} // namespace platform
