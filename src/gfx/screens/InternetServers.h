#pragma once

#include <string>
#include <utility>

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"
#include "net/ServerTable.h"

// The servers the masters list, with the player's favourites: columns to
// sort by, a typed filter, what to hide, and each server's ping.
class InternetServers : public Singleton<InternetServers>, public Screen {
public:
    ServerTable& Table() { return table; }
    const ServerTable& Table() const { return table; }
    // What the screen says about the fetch: which master listed, or why none did.
    void SetNotice(std::string text) { notice = std::move(text); }
    const std::string& Notice() const { return notice; }
    // What the keys asked of the screen's loop, taken once.
    void AskRefresh() { refreshAsked = true; }
    void AskJoin() { joinAsked = true; }
    bool TakeRefresh() { return std::exchange(refreshAsked, false); }
    bool TakeJoin() { return std::exchange(joinAsked, false); }
    // How many rows fit between the header and the help lines.
    int VisibleRows() const;
    // The first row drawn, so that the selected one is in view.
    std::size_t FirstShown() const;
    // One row's text, as drawn.
    static std::string RowText(const ServerTable& table, const ServerTable::Row& row);
    static std::string HeaderText(const ServerTable& table);

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<InternetServers>;
    InternetServers() = default;

    void DrawRows(float hh) const;

    ServerTable table;
    std::string notice;
    bool refreshAsked = false;
    bool joinAsked = false;
};
