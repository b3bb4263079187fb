#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A document as served, plain and gzip, and when it was made: requests
// between remakes share the same bytes.
struct ServedBytes {
    std::shared_ptr<const std::string> plain;
    std::shared_ptr<const std::string> gzip;
    std::int64_t madeMs = 0;
};
