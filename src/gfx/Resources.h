#pragma once

#include <cstddef>

// Pictures built into the program (the window icons), found by type and
// number as a Windows program finds its module resources.
struct Resource {
    const char* type;
    int id;
    const unsigned char* data;
    std::size_t size;
};

const Resource* FindResource(const char* type, int id);
