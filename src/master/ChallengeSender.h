#pragma once

#include <cstdint>
#include <string>

// Where the master's UDP challenges go: the network, or a test's record.
class ChallengeSender {
public:
    virtual ~ChallengeSender() = default;
    // token: the 32 hexadecimal digits a registration must bring back.
    virtual void Send(std::uint32_t address, int port, const std::string& token) = 0;
};
