#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "master/ServerList.h"

// The list as served, plain and gzip, remade from the servers only when
// they have changed and at most kRemakeMs apart, however often it is asked
// for: between remakes every request shares the same bytes.
class ListDocument {
public:
    static constexpr std::int64_t kRemakeMs = 250;

    struct Made {
        std::shared_ptr<const std::string> plain;
        std::shared_ptr<const std::string> gzip;
        std::int64_t madeMs = 0;
    };
    using Render = std::string (*)(const ServerList& list);

    explicit ListDocument(Render render) : render(render) {}

    const Made& Current(const ServerList& list, std::int64_t nowMs);

    // GET /servers.json: {"servers": [{"name", "address", "map", "mode",
    // "players": [{"name", "score", "robot"}], "seats", "version"}, ...]}.
    static std::string Json(const ServerList& list);

private:
    Render render;
    Made made;
    std::uint64_t madeVersion = 0;
    bool ever = false;
};
