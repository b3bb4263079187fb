#include "platform/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// A regular file open for reading, with its size; -1, naming it, for
// anything else.
int OpenRegular(const std::string& path, off_t& size, std::string& error)
{
    // Without O_NONBLOCK a FIFO put in the file's place would hold the open
    // until someone writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = path + ": not a regular file";
        ::close(fd);
        return -1;
    }
    size = status.st_size;
    return fd;
}

// Reads to the end, or to past most bytes: then false with an empty error.
bool ReadUpTo(int fd, std::size_t most, std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::uint8_t chunk[64 * 1024];
    for (;;) {
        const std::size_t room = std::min(sizeof chunk, most + 1 - bytes.size());
        const ssize_t got = ::read(fd, chunk, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = std::strerror(errno);
        if (got <= 0)
            return got == 0;
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > most)
            return false;
    }
}

} // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t largest, std::string& error)
{
    off_t size = 0;
    const int fd = OpenRegular(path, size, error);
    if (fd < 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::string why;
    const bool whole = static_cast<std::uint64_t>(size) <= largest && ReadUpTo(fd, largest, bytes, why);
    ::close(fd);
    if (whole)
        return bytes;
    error = path + ": " + (why.empty() ? "larger than " + std::to_string(largest) + " bytes" : why);
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::string& path, std::size_t count)
{
    off_t size = 0;
    std::string error;
    const int fd = OpenRegular(path, size, error);
    if (fd < 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    const bool read = ReadUpTo(fd, count, bytes, error) || error.empty();
    ::close(fd);
    if (!read)
        return std::nullopt;
    bytes.resize(std::min(bytes.size(), count));
    return bytes;
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

namespace {

constexpr int kFresh = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

std::string Failure(const std::string& path, int error)
{
    return path + ": " + std::strerror(error);
}

// A file made afresh at path; one left there by a stop half way is
// replaced, anything else is in the way.
int CreateFresh(const std::string& path, std::string& error)
{
    int fd = ::open(path.c_str(), kFresh, 0600);
    struct stat status {};
    if (fd < 0 && errno == EEXIST && ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        ::unlink(path.c_str()) == 0)
        fd = ::open(path.c_str(), kFresh, 0600);
    if (fd >= 0)
        return fd;
    error = errno == EEXIST ? path + ": something other than a plain file is in the way" : Failure(path, errno);
    return -1;
}

bool WriteAll(int fd, const std::string& contents)
{
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t put = ::write(fd, contents.data() + written, contents.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            errno = put == 0 ? ENOSPC : errno;
            return false;
        }
        written += static_cast<std::size_t>(put);
    }
    return true;
}

// Whether the file's last byte ends a line, when it has any.
bool EndsLine(int fd, off_t size)
{
    char last = '\n';
    return size == 0 || (::pread(fd, &last, 1, size - 1) == 1 && last == '\n');
}

} // namespace

bool AppendToFile(const std::string& path, const std::string& text, std::size_t largest, std::string& error)
{
    // Without O_NONBLOCK a FIFO put in the file's place would hold the open;
    // a link is never followed, and a file that appears meanwhile is kept.
    constexpr int kAppend = O_RDWR | O_APPEND | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(path.c_str(), kAppend);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), kAppend | O_CREAT | O_EXCL, 0600);
        if (fd < 0 && errno == EEXIST)
            fd = ::open(path.c_str(), kAppend);
    }
    if (fd < 0) {
        error = errno == ELOOP ? path + ": a link, not a plain file" : Failure(path, errno);
        return false;
    }
    struct stat status {};
    bool done = false;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = path + ": not a regular file";
    } else {
        const std::string added = EndsLine(fd, status.st_size) ? text : "\n" + text;
        if (static_cast<std::size_t>(status.st_size) + added.size() > largest)
            error = path + ": full, at " + std::to_string(largest) + " bytes";
        else if (!(done = WriteAll(fd, added))) {
            error = Failure(path, errno);
            // Half a line could read as another ban: none of it stays.
            if (::ftruncate(fd, status.st_size) != 0)
                error += " (and a part of the line may be left)";
        }
    }
    ::close(fd);
    return done;
}

bool ReplaceFile(const std::string& path, const std::string& contents, std::string& error)
{
    const std::string fresh = path + ".new";
    const int fd = CreateFresh(fresh, error);
    if (fd < 0)
        return false;
    bool whole = WriteAll(fd, contents) && ::fsync(fd) == 0;
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
