#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "master/ServedBytes.h"
#include "master/ServerList.h"

// GET /: the list for a person in a browser, without scripts. Every text a
// server sent is escaped, so a name is shown as the characters it has.
// People read slower than programs: it is remade at most once a second.
class ListPage {
public:
    static constexpr std::int64_t kRemakeMs = 1000;

    const ServedBytes& Current(const ServerList& list, std::int64_t nowMs);

    static std::string Render(const ServerList& list);
    static std::string Escaped(std::string_view text);

private:
    ServedBytes made;
    std::uint64_t madeVersion = 0;
    bool ever = false;
};
