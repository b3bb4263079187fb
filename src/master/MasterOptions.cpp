#include "master/MasterOptions.h"

#include <arpa/inet.h>

#include <charconv>
#include <climits>

namespace {

bool ReadNumber(const std::string& text, long least, long most, long& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out >= least && out <= most;
}

bool ReadListen(const std::string& text, sockaddr_in& out)
{
    const auto colon = text.rfind(':');
    long port = 0;
    in_addr address {};
    if (colon == std::string::npos || !ReadNumber(text.substr(colon + 1), 0, 65535, port) ||
        inet_pton(AF_INET, text.substr(0, colon).c_str(), &address) != 1)
        return false;
    out = {AF_INET, htons(static_cast<std::uint16_t>(port)), address, {}};
    return true;
}

// Options that take a number, with their range and where it goes.
struct NumberOption {
    const char* name;
    long least;
    long most;
    void (*store)(MasterOptions& options, long value);
};
const NumberOption kNumbers[] = {
    {"--registrations-per-minute", 1, 6000,
     [](MasterOptions& o, long v) { o.master.registrationsPerMinute = static_cast<int>(v); }},
    {"--clients", 1, 900, [](MasterOptions& o, long v) { o.http.clients = static_cast<unsigned>(v); }},
    {"--clients-per-address", 1, 900, [](MasterOptions& o, long v) { o.http.perAddress = static_cast<unsigned>(v); }},
    {"--idle-seconds", 1, 3600, [](MasterOptions& o, long v) { o.http.idleSeconds = static_cast<unsigned>(v); }},
};

} // namespace

MasterOptions::Parsed MasterOptions::Parse(const std::vector<std::string>& arguments, MasterOptions& out,
                                           std::string& error)
{
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& name = arguments[at];
        if (name == "--help" || name == "-h")
            return Parsed::Help;
        if (at + 1 >= arguments.size()) {
            error = name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown option " + name;
            return Parsed::Wrong;
        }
        const std::string& value = arguments[++at];
        const NumberOption* number = nullptr;
        for (const NumberOption& option : kNumbers)
            number = name == option.name ? &option : number;
        long read = 0;
        if (number && ReadNumber(value, number->least, number->most, read))
            number->store(out, read);
        else if (number)
            error = name + " takes a number from " + std::to_string(number->least) + " to " +
                    std::to_string(number->most);
        else if (name == "--listen" && !ReadListen(value, out.listen))
            error = "--listen takes ADDRESS:PORT, such as 0.0.0.0:8300";
        else if (name == "--state")
            out.master.statePath = value;
        else if (name == "--ban-file")
            out.banFile = value;
        else if (name != "--listen")
            error = "unknown option " + name;
        if (!error.empty())
            return Parsed::Wrong;
    }
    return Parsed::Run;
}

const char* MasterOptions::HelpText()
{
    return "Usage: quillrock-master [OPTION]...\n"
           "Keeps the internet list of Quillrock game servers and serves it over HTTP.\n"
           "\n"
           "  --listen ADDRESS:PORT            where to serve HTTP (default 0.0.0.0:8300)\n"
           "  --state FILE                     keep the list in FILE, written every few seconds\n"
           "                                   and read at start\n"
           "  --ban-file FILE                  addresses or networks (a.b.c.d/n) refused, a line\n"
           "                                   each; read again on SIGHUP\n"
           "  --registrations-per-minute N     per server: address and port (default 30)\n"
           "  --clients N                      HTTP clients at once (default 512)\n"
           "  --clients-per-address N          HTTP clients at once from one address (default 16)\n"
           "  --idle-seconds N                 drop a client silent this long (default 10)\n"
           "  --help                           show this and exit\n"
           "\n"
           "Game servers POST /register and /unregister; players GET /servers.json;\n"
           "people GET / in a browser; Prometheus scrapes GET /metrics.\n";
}
