#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "master/BanFile.h"
#include "master/ChallengeSender.h"
#include "master/FloodGate.h"
#include "master/HttpExchange.h"
#include "master/ListDocument.h"
#include "master/MasterClock.h"
#include "master/MasterLog.h"
#include "master/MasterMetrics.h"
#include "master/ServerList.h"
#include "master/StateFile.h"

// The master's rules, whatever carries its requests: registration and its
// challenge, the list in its forms, the figures, and the state on disk.
class Master {
public:
    struct Settings {
        int registrationsPerMinute = 30;
        std::string statePath; // none when empty
    };
    static constexpr std::int64_t kSaveEveryMs = 5000;
    // One address's allowance, in servers' allowances: twice what a host
    // running as many servers as it may list ever needs.
    static constexpr int kAddressAllowance = 2 * ServerList::kMostPerAddress;

    Master(const MasterClock& clock, ChallengeSender& challenges, MasterLog& log, Settings settings);
    ~Master();
    Master(const Master&) = delete;
    Master& operator=(const Master&) = delete;

    HttpAnswer Handle(const HttpAsk& ask);
    // Whether a connection from this address is taken at all.
    bool Admits(std::uint32_t address);
    void SetBans(BanFile bans) { this->bans = std::move(bans); }
    // A client the HTTP layer dropped, idle or past its time.
    void DroppedSlow() { metrics.Refused(Refusal::Slow); }
    // Expiry, the list's remake and the state file; called about every second.
    void Tick();
    // Reads the state file, if any, at start.
    void LoadState();
    // Writes the state file now, as at the end.
    void SaveState();
    // Writes it from a child process, so that the loop goes on meanwhile;
    // false when one is still writing.
    bool SaveStateAside();

    // Waits for the list's remake on its way, if any.
    void SettleList() { documents.Settle(); }
    const ServerList& List() const { return list; }
    const MasterMetrics& Metrics() const { return metrics; }

private:
    using Route = HttpAnswer (Master::*)(const HttpAsk&);
    struct RouteRow {
        const char* method;
        const char* path;
        Route route;
    };
    static const RouteRow kRoutes[];

    // The refusal of a body too large or of an address's flood, before any reading.
    std::optional<HttpAnswer> Gate(const HttpAsk& ask);
    // The refusal of one server's flood, once its port is read.
    std::optional<HttpAnswer> GatePort(const HttpAsk& ask, int port);
    HttpAnswer Register(const HttpAsk& ask);
    HttpAnswer Unregister(const HttpAsk& ask);
    HttpAnswer ServersJson(const HttpAsk& ask);
    HttpAnswer Page(const HttpAsk& ask);
    HttpAnswer MetricsText(const HttpAsk& ask);
    // Waits for the child writing the state, or only looks when hang is false.
    void Reap(bool hang);
    HttpAnswer Refuse(const HttpAsk& ask, Refusal refusal, const std::string& why);
    HttpAnswer Served(const HttpAsk& ask, const ServedBytes& made, const char* type);

    const MasterClock& clock;
    ChallengeSender& challenges;
    MasterLog& log;
    Settings settings;
    ServerList list;
    FloodGate flood;        // per address and port
    FloodGate addressFlood; // per address
    BanFile bans;
    MasterMetrics metrics;
    ListDocument documents;
    std::optional<StateFile> state;
    std::int64_t savedMs = 0;
    int saver = -1; // the child writing the state, if any
};
