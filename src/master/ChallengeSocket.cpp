#include "master/ChallengeSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sodium.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

ChallengeSocket::ChallengeSocket() : fd(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {}

ChallengeSocket::~ChallengeSocket()
{
    if (fd >= 0)
        ::close(fd);
}

void ChallengeSocket::Send(std::uint32_t address, int port, const std::string& token)
{
    const std::string datagram = Datagram(token);
    const sockaddr_in to {AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(address)}, {}};
    if (fd >= 0 && !datagram.empty())
        ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::string ChallengeSocket::Datagram(const std::string& token)
{
    if (token.size() != 32 || token.find_first_not_of("0123456789abcdef") != std::string::npos)
        return {};
    unsigned char bytes[16] = {};
    std::size_t length = 0;
    if (sodium_hex2bin(bytes, sizeof bytes, token.data(), token.size(), nullptr, &length, nullptr) != 0 ||
        length != sizeof bytes)
        return {};
    std::string datagram = "QRMC";
    datagram += char(1);
    datagram.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
    return datagram;
}

std::string ChallengeSocket::NewToken()
{
    unsigned char bytes[16] = {};
    randombytes_buf(bytes, sizeof bytes);
    char text[2 * sizeof bytes + 1] = {};
    sodium_bin2hex(text, sizeof text, bytes, sizeof bytes);
    return text;
}
