#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The body of an HTTP answer sent in chunks ("SIZE[;ext]\r\nDATA\r\n" ...
// "0\r\n", trailers, "\r\n"), unpacked as its bytes come, never to more
// than a bound: a peer cannot make it hold more than that, however it cuts
// its chunks.
class ChunkedBody {
public:
    enum class State { Partial, Whole, Damaged, TooLarge };

    explicit ChunkedBody(std::size_t mostBytes) : mostBytes(mostBytes) {}

    // Takes the next bytes of the wire; bytes after the end are left.
    State Take(std::string_view bytes);
    State Now() const { return state; }
    const std::string& Body() const { return body; }

private:
    enum class Part { Size, Data, DataEnd, Trailer };
    // A size or trailer line longer than this is not one.
    static constexpr std::size_t kLongestLine = 1024;

    // A whole line in, without its CRLF.
    void Line();
    void SizeLine();

    std::size_t mostBytes;
    State state = State::Partial;
    Part part = Part::Size;
    std::string line;
    std::size_t left = 0; // of the chunk's data
    std::string body;
};

} // namespace platform
