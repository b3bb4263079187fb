#include "app/InternetBrowsing.h"

#include "app/AppState.h"
#include "app/Settings.h"
#include "app/SettingsHandover.h"
#include "gfx/screens/AddressEntry.h"
#include "gfx/screens/InternetServers.h"
#include "net/ApplicationGuid.h"
#include "net/NetClient.h"

InternetBrowsing::InternetBrowsing()
    : screen(InternetServers::Instance()), fetcher(g_settings.Masters), pinger(ApplicationGuid())
{
    ServerTable& table = screen->Table();
    table.SetFavourites(g_settings.Favourites);
    for (const std::string& address : table.Favourites())
        pinger.Ask(address);
    screen->SetNotice("Fetching the list of servers...");
    fetcher.Start();
}

void InternetBrowsing::Frame()
{
    ServerTable& table = screen->Table();
    if (auto outcome = fetcher.Take()) {
        // Every server the list shows gets its ping, not only the selected one.
        if (outcome->listed) {
            table.SetListed(std::move(outcome->servers));
            PingShown();
        }
        screen->SetNotice(outcome->notice);
    }
    if (const ServerTable::Row* row = table.SelectedRow(); row && row->server->address != pingedSelection) {
        pingedSelection = row->server->address;
        pinger.Ask(pingedSelection);
    }
    for (const auto& [address, ms] : pinger.Poll())
        table.SetPing(address, ms);
    KeepFavourites();
}

void InternetBrowsing::Refresh()
{
    screen->SetNotice("Fetching the list of servers...");
    fetcher.Start();
    PingShown();
}

void InternetBrowsing::PingShown()
{
    for (const ServerTable::Row& row : screen->Table().Rows())
        pinger.Ask(row.server->address);
}

void InternetBrowsing::KeepFavourites()
{
    const auto& favourites = screen->Table().Favourites();
    if (favourites == g_settings.Favourites)
        return;
    g_settings.Favourites = favourites;
    WriteControlSettings(g_settings);
    for (const std::string& address : favourites)
        pinger.Ask(address);
}

void InternetBrowsing::Join()
{
    const ServerTable::Row* row = screen->Table().SelectedRow();
    if (!row)
        return;
    const std::string address = row->server->address;
    AddressEntry::Instance()->SetText(address.c_str());
    // A fresh client knows only the hosts this search finds.
    if (NetClient::Exists())
        NetClient::Destroy();
    NetClient* client = NetClient::Instance();
    client->SetPort(NetClient::kGamePort);
    client->Initialize();
    int maxPlayers = 0;
    int currentPlayers = 0;
    client->HostsBegin();
    if (!client->EnumHostsAt(address.c_str()) ||
        !client->HostsNext(g_serverName, sizeof g_serverName, maxPlayers, currentPlayers)) {
        screen->SetNotice("No server answered at " + address);
        return;
    }
    TakeOptionsForGame();
    g_appState = AppState::InGame;
}
