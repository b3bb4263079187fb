#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One request as the master's rules see it, whatever carried it.
struct HttpAsk {
    std::string method;
    std::string path;
    std::uint32_t address = 0; // host order
    std::string body;
    bool bodyTooLarge = false; // the body was cut at the largest allowed
    bool acceptsGzip = false;
};

// Its answer; bodies are shared, since the list is served many times over.
struct HttpAnswer {
    int status = 200;
    std::string type;
    std::shared_ptr<const std::string> body;
    std::vector<std::pair<std::string, std::string>> headers;
};
