#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "master/MasterClock.h"
#include "master/ServerList.h"

// The listed servers kept on disk, so that a restarted master lists them
// again at once:
//   {"servers": [{"address": "a.b.c.d", "last": wall ms since 1970,
//                 "registration": {the last accepted POST /register}}]}
// Written whole to FILE.new and renamed over FILE, so a reader or a crash
// sees the old state or the new, never half of one. The clock turns the
// entries' steady times into wall times on the way out and back on the way in.
class StateFile {
public:
    explicit StateFile(std::string path) : path(std::move(path)) {}

    // False with why when the file cannot be written.
    bool Save(const ServerList& list, const MasterClock& clock, std::string& why) const;
    // A missing file is an empty state; entries that do not read are
    // skipped and counted in skipped.
    bool Load(ServerList& list, const MasterClock& clock, int& skipped, std::string& why) const;

    static std::string Text(const ServerList& list, const MasterClock& clock);
    // The same a piece at a time, so that no tree of every server is ever
    // held at once.
    static void Write(const ServerList& list, const MasterClock& clock,
                      const std::function<void(std::string_view)>& put);
    static void Restore(const std::string& text, const MasterClock& clock, ServerList& list, int& skipped);

private:
    std::string path;
};
