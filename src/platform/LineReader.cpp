#include "platform/LineReader.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

LineReader::LineReader(int fd) : fd(-1)
{
    struct stat about {};
    if (fd < 0 || ::fstat(fd, &about) != 0)
        return;
    terminal = ::isatty(fd) == 1;
    if (terminal || S_ISFIFO(about.st_mode))
        this->fd = fd;
}

LineReader::Got LineReader::Next(std::string& line)
{
    std::size_t reads = 0;
    for (;;) {
        const std::size_t newline = pending.find('\n');
        if (newline != std::string::npos) {
            const bool refused = std::exchange(discarding, false);
            const bool tooLong = newline > kLongestLine;
            if (!refused && !tooLong) {
                line.assign(pending, 0, newline);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                pending.erase(0, newline + 1);
                return Got::Line;
            }
            pending.erase(0, newline + 1);
            if (!refused)
                return Got::TooLong;
            continue;
        }
        if (pending.size() > kLongestLine) {
            pending.clear();
            if (!std::exchange(discarding, true))
                return Got::TooLong;
        }
        if (reads < kReadPerCall / kChunk && ReadSome()) {
            ++reads;
            continue;
        }
        // The input ended inside a line: that line is whole too.
        if (Ended() && !pending.empty() && !discarding) {
            line = std::move(pending);
            pending.clear();
            return Got::Line;
        }
        return Got::Nothing;
    }
}

bool LineReader::ReadSome()
{
    if (fd < 0)
        return false;
    pollfd ready {fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0 || !(ready.revents & (POLLIN | POLLHUP | POLLERR)))
        return false;
    // A background process that reads its terminal is stopped by the
    // terminal (SIGTTIN): the line is left for the foreground.
    if (terminal && ::tcgetpgrp(fd) != ::getpgrp())
        return false;
    char chunk[kChunk];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
        pending.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
    if (got == 0 || (errno != EINTR && errno != EAGAIN))
        fd = -1;
    return false;
}

} // namespace platform
