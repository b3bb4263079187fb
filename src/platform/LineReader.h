#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The process's standard input, where the operator types.
constexpr int kStandardInput = 0;

// Lines typed or piped into a descriptor (the server's standard input),
// read without ever waiting, so a game loop can poll it every turn. Only a
// terminal or a pipe is read: /dev/null, a closed descriptor or anything
// else gives no lines, and neither does a terminal while its process runs
// in the background. The end of the input only ends the lines.
class LineReader {
public:
    // Longer lines are refused whole; the next line is read as usual.
    static constexpr std::size_t kLongestLine = 4096;
    // At most this much is read by one call of Next, so that an endless
    // stream cannot hold the caller: Nothing may then mean "not yet".
    static constexpr std::size_t kReadPerCall = 65536;
    static constexpr std::size_t kChunk = 4096;

    enum class Got { Nothing, Line, TooLong };

    // The descriptor stays the caller's: it is never closed or changed.
    explicit LineReader(int fd);

    // The next whole line (without its "\n" or "\r\n"; the last may have
    // none), TooLong once for a line over the limit, or Nothing until more
    // has arrived.
    Got Next(std::string& line);
    bool Ended() const { return fd < 0; }

private:
    bool ReadSome();

    int fd;
    bool terminal = false;
    bool discarding = false; // inside a refused line, up to its newline
    std::string pending;
};

} // namespace platform
