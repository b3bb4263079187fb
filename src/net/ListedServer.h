#pragma once

#include <string>

// One game server as a master lists it, counted as the list shows it.
struct ListedServer {
    std::string name;
    std::string address; // "a.b.c.d:port", where players reach it
    std::string map;
    std::string mode;
    int people = 0;
    int robots = 0;
    int seats = 0;
};
