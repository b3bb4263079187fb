#include "platform/ChunkedBody.h"

#include <algorithm>

namespace platform {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

ChunkedBody::State ChunkedBody::Take(std::string_view bytes)
{
    std::size_t at = 0;
    while (state == State::Partial && at < bytes.size()) {
        if (part == Part::Data) {
            const std::size_t taken = std::min(left, bytes.size() - at);
            body.append(bytes.substr(at, taken));
            at += taken;
            left -= taken;
            if (left == 0)
                part = Part::DataEnd;
            continue;
        }
        const char c = bytes[at++];
        if (c != '\n') {
            line += c;
            if (line.size() > kLongestLine)
                state = State::Damaged;
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Line();
        line.clear();
    }
    return state;
}

void ChunkedBody::Line()
{
    switch (part) {
    case Part::Size:
        SizeLine();
        break;
    case Part::DataEnd:
        if (!line.empty())
            state = State::Damaged;
        part = Part::Size;
        break;
    case Part::Trailer:
        if (line.empty())
            state = State::Whole;
        break;
    case Part::Data:
        break;
    }
}

void ChunkedBody::SizeLine()
{
    std::size_t size = 0;
    std::size_t digits = 0;
    for (; digits < line.size() && HexDigit(line[digits]) >= 0; ++digits) {
        if (size > mostBytes) {
            state = State::TooLarge;
            return;
        }
        size = size * 16 + static_cast<std::size_t>(HexDigit(line[digits]));
    }
    const std::size_t rest = line.find_first_not_of(" \t", digits);
    if (digits == 0 || (rest != std::string::npos && line[rest] != ';')) {
        state = State::Damaged;
        return;
    }
    if (size > mostBytes - body.size()) {
        state = State::TooLarge;
        return;
    }
    left = size;
    part = size == 0 ? Part::Trailer : Part::Data;
}

} // namespace platform
