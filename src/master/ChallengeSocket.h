#pragma once

#include <string>

#include "master/ChallengeSender.h"

// Sends challenges from a UDP socket of its own. The datagram is 21 bytes:
// "QRMC", version 1, then the token's 16 bytes; a game server takes it on
// its game port beside the discovery datagrams.
class ChallengeSocket : public ChallengeSender {
public:
    static constexpr std::size_t kDatagramSize = 21;

    ChallengeSocket();
    ~ChallengeSocket() override;
    ChallengeSocket(const ChallengeSocket&) = delete;
    ChallengeSocket& operator=(const ChallengeSocket&) = delete;

    bool Open() const { return fd >= 0; }
    void Send(std::uint32_t address, int port, const std::string& token) override;

    // The datagram that carries a token; empty for a token of another form.
    static std::string Datagram(const std::string& token);
    // 32 hexadecimal digits of 16 random bytes.
    static std::string NewToken();

private:
    int fd;
};
