#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"

// The servers a search found, with their player counts; Enter on one
// starts the game there.
class ServerBrowser : public Singleton<ServerBrowser>, public Screen {
public:

    bool LoadTextures() override;

    void ClearHosts();
    void AddHost(const char* name, int maxPlayers, int currentPlayers);
    void SetSearching(bool flag) { searching = flag; }
    // The line naming the key that watches; off for the classic screens.
    void ShowWatchKey(bool show) { watchKey = show; }
    // Why a search could not be made at all (a name that does not resolve,
    // a port out of range): shown under "No Servers Found...".
    void SetProblem(std::string text) { problem = std::move(text); }
    void SelectPrevious();
    void SelectNext();
    bool HasHosts() const { return !hosts.empty(); }
    int HostCount() const { return static_cast<int>(hosts.size()); }
    int Selected() const { return selected; }
    void SelectedName(char* buffer, int size) const;

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<ServerBrowser>;
    struct HostEntry {
        std::string name;
        int maxPlayers;
        int currentPlayers;
    };

    ServerBrowser() = default;

    int selected = 1;
    bool searching = false;
    bool watchKey = true;
    std::vector<HostEntry> hosts;
    std::string problem;
};
