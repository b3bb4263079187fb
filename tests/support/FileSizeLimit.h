#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstddef>

// Files may grow to at most bytes for the length of a scope: a write past
// that fails with EFBIG, as one to a full disk fails, without a disk to
// fill.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved {};
    void (*savedSignal)(int) = SIG_DFL;
};
