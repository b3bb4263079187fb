#pragma once

#include <deque>

#include "base/Singleton.h"
#include "base/TextCopy.h"
#include "base/TrackedBuffer.h"

// The in-game text log: the newest few lines (server notices, chat,
// command answers) and, while the player types, one input line. Anything
// may print to it; the heads-up display draws it.
class Console : public Singleton<Console> {
public:
    static constexpr int kLineSize = kTextBufferSize;
    static constexpr int kDefaultLimit = 5;


    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetLineLimit(int limit);
    void Clear();
    void Rewind();
    // The line under the read cursor (newest first), moving on; false at the end.
    bool ReadNextLine(char* buffer, int size);
    bool GetInputLine(char* buffer, int size);
    void SetInputLine(const char* text);
    void ClearInputLine();
    void SetInputActive(bool active);
    bool IsInputActive() const { return inputActive; }
    int LineCount();
    int LineLimit() const { return lineLimit; }

private:
    friend class Singleton<Console>;
    Console() = default;
    void Trim();

    std::deque<TrackedBuffer> lines; // newest first
    std::size_t readCursor = 0;
    bool inputActive = false;
    TrackedBuffer input;
    int lineLimit = kDefaultLimit;
};
