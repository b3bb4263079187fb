#pragma once

#include <cstddef>
#include <cstring>
#include <utility>

#include "base/TrackingAllocator.h"

// A block from the TrackingAllocator that is handed back when its owner
// goes: names, map cells, texts and wire buffers.
class TrackedBuffer {
public:
    TrackedBuffer() = default;
    // size bytes, zeroed; empty (Data() null) when the heap refuses.
    explicit TrackedBuffer(std::size_t size)
    {
        data = static_cast<unsigned char*>(TrackingAllocator::Instance()->Allocate(size ? size : 1));
        if (data) {
            std::memset(data, 0, size ? size : 1);
            length = size;
        }
    }
    ~TrackedBuffer() { Release(); }
    TrackedBuffer(TrackedBuffer&& other) noexcept
        : data(std::exchange(other.data, nullptr)), length(std::exchange(other.length, 0))
    {
    }
    TrackedBuffer& operator=(TrackedBuffer&& other) noexcept
    {
        if (this != &other) {
            Release();
            data = std::exchange(other.data, nullptr);
            length = std::exchange(other.length, 0);
        }
        return *this;
    }
    TrackedBuffer(const TrackedBuffer&) = delete;
    TrackedBuffer& operator=(const TrackedBuffer&) = delete;

    unsigned char* Data() { return data; }
    const unsigned char* Data() const { return data; }
    char* Text() { return reinterpret_cast<char*>(data); }
    const char* Text() const { return reinterpret_cast<const char*>(data); }
    std::size_t Size() const { return length; }
    bool Empty() const { return data == nullptr; }

private:
    // An empty buffer, the common case of a message without text, never
    // reaches the allocator's lock.
    void Release()
    {
        if (data)
            TrackingAllocator::Instance()->Free(data);
    }

    unsigned char* data = nullptr;
    std::size_t length = 0;
};
