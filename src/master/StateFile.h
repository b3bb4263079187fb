#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "master/ServerList.h"

// The listed servers kept on disk, so that a restarted master lists them
// again at once:
//   {"servers": [{"address": "a.b.c.d", "last": ms since 1970,
//                 "registration": {the last accepted POST /register}}]}
// Written whole to FILE.new and renamed over FILE, so a reader or a crash
// sees the old state or the new, never half of one.
class StateFile {
public:
    explicit StateFile(std::string path) : path(std::move(path)) {}

    // False with why when the file cannot be written.
    bool Save(const ServerList& list, std::string& why) const;
    // A missing file is an empty state; entries that do not read are
    // skipped and counted in skipped.
    bool Load(ServerList& list, int& skipped, std::string& why) const;

    static std::string Text(const ServerList& list);
    // The same a piece at a time, so that no tree of every server is ever
    // held at once.
    static void Write(const ServerList& list, const std::function<void(std::string_view)>& put);
    static void Restore(const std::string& text, ServerList& list, int& skipped);

private:
    std::string path;
};
