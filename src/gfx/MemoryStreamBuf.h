#pragma once

#include <cstddef>
#include <streambuf>

// A read-only stream over a block of memory it does not own, so a picture
// built into the program reads like a file.
class MemoryStreamBuf : public std::streambuf {
public:
    MemoryStreamBuf(const void* data, std::size_t length)
    {
        char* start = const_cast<char*>(static_cast<const char*>(data));
        setg(start, start, start + length);
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode which) override
    {
        if (!(which & std::ios_base::in))
            return pos_type(off_type(-1));
        const off_type base = dir == std::ios_base::beg ? 0 : dir == std::ios_base::cur ? gptr() - eback() : egptr() - eback();
        return seekpos(pos_type(base + offset), which);
    }

    pos_type seekpos(pos_type position, std::ios_base::openmode which) override
    {
        const off_type at = off_type(position);
        if (!(which & std::ios_base::in) || at < 0 || at > egptr() - eback())
            return pos_type(off_type(-1));
        setg(eback(), eback() + at, egptr());
        return position;
    }
};
