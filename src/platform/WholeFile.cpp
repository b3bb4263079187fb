#include "platform/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest, std::string& error)
{
    // Without O_NONBLOCK a FIFO put in the file's place would hold the open
    // until someone writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = path + ": not a regular file";
        ::close(fd);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || bytes.size() + static_cast<std::size_t>(got) > largest) {
            const int why = errno;
            ::close(fd);
            if (got == 0)
                return bytes;
            error = path + ": " + (got < 0 ? std::strerror(why) : "larger than " + std::to_string(largest) + " bytes");
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest)
{
    std::string ignored;
    return ReadWholeFile(path, largest, ignored);
}

bool FileExists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

bool ReplaceFile(const std::string& path, const std::string& contents, std::string& error)
{
    const std::string fresh = path + ".new";
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = fresh + ": " + std::strerror(errno);
        return false;
    }
    // One left by a stop half way keeps its mode, unless told.
    ::fchmod(fd, 0600);
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t put = ::write(fd, contents.data() + written, contents.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            errno = put == 0 ? ENOSPC : errno;
            break;
        }
        written += static_cast<std::size_t>(put);
    }
    bool whole = written == contents.size() && ::fsync(fd) == 0;
    int lastError = errno;
    if (::close(fd) != 0 && whole) {
        whole = false;
        lastError = errno;
    }
    if (!whole || ::rename(fresh.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(whole ? errno : lastError);
        ::unlink(fresh.c_str());
        return false;
    }
    // The rename itself lasts once the folder is on the disk.
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace platform
