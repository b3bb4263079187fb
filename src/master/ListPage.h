#pragma once

#include <string>
#include <string_view>

#include "master/ShownServer.h"

// GET /: the list for a person in a browser, without scripts. Every text a
// server sent is escaped, so a name is shown as the characters it has.
class ListPage {
public:
    static std::string Render(const ShownServers& servers);
    static std::string Escaped(std::string_view text);
};
