#include "master/Master.h"

#include <sys/wait.h>
#include <unistd.h>

#include <ctime>

#include <nlohmann/json.hpp>

#include "base/Printable.h"
#include "master/AddressText.h"
#include "master/ChallengeSocket.h"

namespace {

// A method or path quoted in the log, at most.
constexpr std::size_t kLongestQuoted = 200;

std::shared_ptr<const std::string> Shared(std::string text)
{
    return std::make_shared<const std::string>(std::move(text));
}

HttpAnswer JsonAnswer(int status, const nlohmann::json& body)
{
    return {status, "application/json", Shared(body.dump() + "\n"), {}};
}

std::string HttpDate(std::int64_t ms)
{
    const std::time_t seconds = ms / 1000;
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    char text[40];
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[utc.tm_wday], utc.tm_mday,
                  kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

} // namespace

const Master::RouteRow Master::kRoutes[] = {
    {"POST", "/register", &Master::Register},   {"POST", "/unregister", &Master::Unregister},
    {"GET", "/servers.json", &Master::ServersJson}, {"GET", "/", &Master::Page},
    {"GET", "/metrics", &Master::MetricsText},
};

Master::Master(const MasterClock& clock, ChallengeSender& challenges, MasterLog& log, Settings settings)
    : clock(clock), challenges(challenges), log(log), settings(std::move(settings)),
      list(ChallengeSocket::NewToken), flood(this->settings.registrationsPerMinute),
      addressFlood(this->settings.registrationsPerMinute * kAddressAllowance)
{
    if (!this->settings.statePath.empty())
        state.emplace(this->settings.statePath);
    savedMs = clock.NowMs();
}

HttpAnswer Master::Handle(const HttpAsk& ask)
{
    bool pathKnown = false;
    for (const RouteRow& row : kRoutes) {
        if (ask.path != row.path)
            continue;
        pathKnown = true;
        // HEAD is GET without the body, which the HTTP layer leaves out.
        const bool head = ask.method == "HEAD" && std::string(row.method) == "GET";
        if (ask.method != row.method && !head)
            continue;
        HttpAnswer answer = (this->*row.route)(ask);
        // Each change is written and compressed as it comes, so that
        // joining the list never waits on many of them.
        documents.Absorb(list);
        return answer;
    }
    return pathKnown ? Refuse(ask, Refusal::Method, ask.method + " " + ask.path)
                     : Refuse(ask, Refusal::NotFound, ask.method + " " + ask.path);
}

bool Master::Admits(std::uint32_t address)
{
    if (!bans.Bans(address))
        return true;
    metrics.Refused(Refusal::Banned);
    log.Tell("refused a connection from %s: banned", AddressText(address).c_str());
    return false;
}

HttpAnswer Master::Refuse(const HttpAsk& ask, Refusal refusal, const std::string& why)
{
    metrics.Refused(refusal);
    // The method and path are the peer's, decoded: never raw into the log.
    log.Tell("refused %s %s from %s (%s): %s", Printable(ask.method, kLongestQuoted).c_str(),
             Printable(ask.path, kLongestQuoted).c_str(), AddressText(ask.address).c_str(),
             MasterMetrics::NameOf(refusal), Printable(why, 2 * kLongestQuoted).c_str());
    return JsonAnswer(MasterMetrics::StatusOf(refusal), {{"error", why}});
}

std::optional<HttpAnswer> Master::Gate(const HttpAsk& ask)
{
    if (ask.bodyTooLarge)
        return Refuse(ask, Refusal::TooLarge, "larger than " + std::to_string(Registration::kLargestBody) + " bytes");
    // Unregistering draws on the same allowances: both cost a parse.
    if (!addressFlood.Admits(ask.address, clock.NowMs()))
        return Refuse(ask, Refusal::Flood,
                      "more than " + std::to_string(settings.registrationsPerMinute * kAddressAllowance) +
                          " registrations a minute from " + AddressText(ask.address));
    return std::nullopt;
}

std::optional<HttpAnswer> Master::GatePort(const HttpAsk& ask, int port)
{
    // One host may run many servers: each has an allowance of its own.
    if (!flood.Admits(ServerList::KeyOf(ask.address, port), clock.NowMs()))
        return Refuse(ask, Refusal::Flood,
                      "more than " + std::to_string(settings.registrationsPerMinute) + " registrations a minute for " +
                          AddressText(ask.address, port));
    return std::nullopt;
}

HttpAnswer Master::Register(const HttpAsk& ask)
{
    if (auto refused = Gate(ask))
        return *refused;
    Registration registration;
    std::string why;
    if (!Registration::Read(ask.body, registration, why))
        return Refuse(ask, Refusal::Malformed, why);
    if (auto refused = GatePort(ask, registration.port))
        return *refused;
    const ServerList::Outcome outcome = list.Register(ask.address, registration, clock.NowMs());
    const std::string where = AddressText(ask.address, registration.port);
    if (outcome.verdict == ServerList::Verdict::TooMany)
        return Refuse(ask, Refusal::TooManyPorts,
                      "more than " + std::to_string(ServerList::kMostPerAddress) + " servers from one address");
    metrics.Registered();
    if (outcome.verdict == ServerList::Verdict::Proven)
        log.Tell("listed %s \"%s\"", where.c_str(), registration.listing.name.c_str());
    if (outcome.verdict != ServerList::Verdict::Challenge)
        return JsonAnswer(200, {{"status", "listed"}});
    // Never more bytes to an address than it sent: no amplifier for a forger.
    if (ask.body.size() >= ChallengeSocket::kDatagramSize) {
        challenges.Send(ask.address, registration.port, outcome.token);
        metrics.Challenged();
        log.Tell("challenged %s \"%s\"", where.c_str(), registration.listing.name.c_str());
    }
    return JsonAnswer(202, {{"status", "challenged"}});
}

HttpAnswer Master::Unregister(const HttpAsk& ask)
{
    if (auto refused = Gate(ask))
        return *refused;
    Unregistration ending;
    std::string why;
    if (!Unregistration::Read(ask.body, ending, why))
        return Refuse(ask, Refusal::Malformed, why);
    if (auto refused = GatePort(ask, ending.port))
        return *refused;
    const std::string where = AddressText(ask.address, ending.port);
    switch (list.Unregister(ask.address, ending.port, ending.secret)) {
    case ServerList::Ending::Ended:
        log.Tell("unlisted %s: it unregistered", where.c_str());
        return JsonAnswer(200, {{"status", "unlisted"}});
    case ServerList::Ending::Withdrawn:
        log.Tell("%s withdrew its claim", where.c_str());
        return JsonAnswer(200, {{"status", "withdrawn"}});
    case ServerList::Ending::Unknown:
        return JsonAnswer(200, {{"status", "unknown"}});
    case ServerList::Ending::WrongSecret:
        break;
    }
    return Refuse(ask, Refusal::Secret, "not the secret " + where + " registered with");
}

HttpAnswer Master::Served(const HttpAsk& ask, const ServedBytes& made, const char* type)
{
    const std::int64_t now = clock.NowMs();
    HttpAnswer answer {200, type, ask.acceptsGzip ? made.gzip : made.plain, {}};
    answer.headers = {{"Last-Modified", HttpDate(clock.WallOf(made.madeMs))},
                      {"Age", std::to_string((now - made.madeMs) / 1000)},
                      {"Vary", "Accept-Encoding"},
                      {"Cache-Control", "public, max-age=1"}};
    if (ask.acceptsGzip)
        answer.headers.emplace_back("Content-Encoding", "gzip");
    return answer;
}

HttpAnswer Master::ServersJson(const HttpAsk& ask)
{
    HttpAnswer answer = Served(ask, documents.Current(list, clock.NowMs()), "application/json");
    answer.headers.emplace_back("Access-Control-Allow-Origin", "*");
    return answer;
}

HttpAnswer Master::Page(const HttpAsk& ask)
{
    HttpAnswer answer = Served(ask, documents.Page(list, clock.NowMs()), "text/html; charset=utf-8");
    // Nothing runs, nothing loads: a name that slipped through stays text.
    answer.headers.emplace_back("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    answer.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return answer;
}

HttpAnswer Master::MetricsText(const HttpAsk&)
{
    return {200, "text/plain; version=0.0.4", Shared(metrics.Text(list.ListedCount())), {}};
}

void Master::Tick()
{
    const std::int64_t now = clock.NowMs();
    const int before = list.ListedCount();
    list.Expire(now);
    // Each second's changes are remade without waiting for a request, so
    // the first player to ask after them is not served the list before.
    documents.Current(list, now);
    if (list.ListedCount() < before)
        log.Tell("unlisted %d server(s) silent for %lld s", before - list.ListedCount(),
                 static_cast<long long>(ServerList::kLifetimeMs / 1000));
    flood.Prune(now);
    addressFlood.Prune(now);
    Reap(false);
    if (state && now - savedMs >= kSaveEveryMs)
        SaveStateAside();
}

void Master::LoadState()
{
    int skipped = 0;
    std::string why;
    if (!state)
        return;
    if (!state->Load(list, clock, skipped, why))
        log.Say("cannot read the state: %s", why.c_str());
    else if (list.ListedCount() > 0 || skipped > 0)
        log.Say("read %d server(s) from the state, skipped %d", list.ListedCount(), skipped);
    list.Expire(clock.NowMs());
    documents.Absorb(list);
}

void Master::SaveState()
{
    std::string why;
    Reap(true);
    savedMs = clock.NowMs();
    if (state && !state->Save(list, clock, why))
        log.Say("cannot write the state: %s", why.c_str());
}

bool Master::SaveStateAside()
{
    if (!state || saver > 0)
        return false;
    savedMs = clock.NowMs();
    // Writing 10,000 servers takes longer than a registration may wait;
    // the child has the list as it was at the fork, at no copying cost.
    const pid_t child = ::fork();
    if (child == 0) {
        std::string why;
        ::_exit(state->Save(list, clock, why) ? 0 : 1);
    }
    if (child < 0) {
        SaveState();
        return true;
    }
    saver = child;
    return true;
}

void Master::Reap(bool hang)
{
    int status = 0;
    if (saver <= 0 || ::waitpid(saver, &status, hang ? 0 : WNOHANG) == 0)
        return;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        log.Say("cannot write the state to %s", settings.statePath.c_str());
    saver = -1;
}

Master::~Master()
{
    Reap(true);
}
