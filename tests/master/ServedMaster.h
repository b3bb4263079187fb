#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "master/HttpFront.h"
#include "master/MasterFixture.h"

// A master behind its HTTP front on a loopback port, polled by a thread of
// the test's, as the program's loop polls it.
class ServedMaster {
public:
    using Prepare = std::function<void(MasterRig& rig)>;

    // prepare runs before the thread starts, so the master is never shared.
    explicit ServedMaster(HttpFront::Limits limits = {}, BanFile bans = {}, const Prepare& prepare = {})
    {
        rig.master.SetBans(std::move(bans));
        if (prepare)
            prepare(rig);
        const sockaddr_in where {AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        std::string why;
        started = front.Start(where, limits, why);
        if (started)
            poller = std::thread([this] {
                while (!stop)
                    front.Poll(20);
            });
    }
    ~ServedMaster()
    {
        stop = true;
        if (poller.joinable())
            poller.join();
    }
    std::uint16_t Port() const { return front.Port(); }

    MasterRig rig;
    bool started = false;

private:
    HttpFront front {[this](std::uint32_t address) { return rig.master.Admits(address); },
                     [this](const HttpAsk& ask) { return rig.master.Handle(ask); },
                     {},
                     [this] { rig.master.DroppedSlow(); }};
    std::atomic<bool> stop {false};
    std::thread poller;
};
