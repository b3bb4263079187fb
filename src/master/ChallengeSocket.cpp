#include "master/ChallengeSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/random.h>
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
    std::string datagram = "QRMC";
    datagram += char(1);
    for (std::size_t at = 0; at < token.size(); at += 2)
        datagram += static_cast<char>(std::stoi(token.substr(at, 2), nullptr, 16));
    return datagram;
}

std::string ChallengeSocket::NewToken()
{
    unsigned char bytes[16] = {};
    for (std::size_t got = 0; got < sizeof bytes;) {
        const ssize_t more = ::getrandom(bytes + got, sizeof bytes - got, 0);
        got += more > 0 ? std::size_t(more) : 0;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (const unsigned char byte : bytes) {
        token += kDigits[byte >> 4];
        token += kDigits[byte & 15];
    }
    return token;
}
