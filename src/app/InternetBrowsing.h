#pragma once

#include <string>

#include "net/MasterFetcher.h"
#include "platform/ServerPinger.h"

class InternetServers;

// The work behind the Internet Servers screen while it is open: the
// masters' list fetched in the background, pings for favourites, the
// selected server and, when asked, every server shown, and the join.
class InternetBrowsing {
public:
    InternetBrowsing();

    // One frame's share: takes a fetched list, measures pings, keeps the
    // favourites in the settings, and joins when Enter asked for it.
    void Frame();
    // F5: the list again, and a ping for every server shown.
    void Refresh();
    // Enter: the selected server is searched for at its address, as a
    // typed address is, and the game starts there when it answers.
    void Join();

private:
    void PingShown();
    void KeepFavourites();

    InternetServers* screen;
    MasterFetcher fetcher;
    platform::ServerPinger pinger;
    std::string pingedSelection;
};
