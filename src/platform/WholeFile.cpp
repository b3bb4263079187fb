#include "platform/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || bytes.size() + static_cast<std::size_t>(got) > largest) {
            ::close(fd);
            if (got == 0)
                return bytes;
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

} // namespace platform
