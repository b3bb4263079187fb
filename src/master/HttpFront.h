#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "master/HttpExchange.h"

struct MHD_Daemon;
struct MHD_Connection;

// HTTP/1.1 on libmicrohttpd, without threads of its own: the owner's loop
// polls it. It keeps the limits of a service open to anyone: so many clients
// at once and per address, an idle time after which a client is dropped, a
// time it is given in all however it trickles its bytes, room for its
// headers, and bodies cut at the largest the rules take.
class HttpFront {
public:
    struct Limits {
        unsigned clients = 512;
        unsigned perAddress = 16;
        unsigned idleSeconds = 10;
        unsigned wholeSeconds = 30;
        std::size_t headerRoom = 16 * 1024;
        std::size_t largestBody = 16 * 1024;
    };
    using Admit = std::function<bool(std::uint32_t address)>;
    using Handler = std::function<HttpAnswer(const HttpAsk& ask)>;
    // What the HTTP layer itself refuses or fails at, a line each.
    using Complain = std::function<void(const std::string& line)>;
    // A client dropped for being slow: idle, or not done in its time.
    using Dropped = std::function<void()>;

    HttpFront(Admit admit, Handler handler, Complain complain = {}, Dropped dropped = {})
        : admit(std::move(admit)), handler(std::move(handler)), complain(std::move(complain)),
          dropped(std::move(dropped))
    {
    }
    ~HttpFront();
    HttpFront(const HttpFront&) = delete;
    HttpFront& operator=(const HttpFront&) = delete;

    // False with why when the address cannot be listened on.
    bool Start(const sockaddr_in& where, const Limits& limits, std::string& why);
    std::uint16_t Port() const;
    // Waits at most timeoutMs for the clients or for extraFd (none when
    // negative), then serves what is ready; true when extraFd is readable.
    bool Poll(int timeoutMs, int extraFd = -1);

    // Whether an Accept-Encoding header takes gzip.
    static bool AcceptsGzip(const char* header);

private:
    struct Pending;
    friend struct HttpFrontCalls;
    using Clock = std::chrono::steady_clock;
    struct Open {
        Clock::time_point since;
        bool asked = false; // a request began on it
    };
    bool Answer(MHD_Connection* connection, Pending& pending);
    // Shuts the clients past their time; libmicrohttpd then ends them. The
    // time until the next one's, in ms, at most most.
    int DropLate(int most);
    void Drop();

    Admit admit;
    Handler handler;
    Complain complain;
    Dropped dropped;
    Limits limits;
    MHD_Daemon* daemon = nullptr;
    std::unordered_map<MHD_Connection*, Open> clients;
};
