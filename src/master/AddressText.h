#pragma once

#include <arpa/inet.h>

#include <cstdint>
#include <string>

// "a.b.c.d" of a host-order address, with ":port" when one is given.
inline std::string AddressText(std::uint32_t address, int port = 0)
{
    const in_addr network {htonl(address)};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &network, text, sizeof text);
    return port > 0 ? std::string(text) + ":" + std::to_string(port) : std::string(text);
}
