#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "master/Registration.h"

// A listed server as the list's documents show it. Never changed once made,
// so a remake on its way shares it with the list.
struct ShownServer {
    std::uint32_t address;
    int port;
    Listing listing;
};

using ShownServers = std::vector<std::shared_ptr<const ShownServer>>;
