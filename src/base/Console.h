#pragma once

#include <deque>

#include "base/Singleton.h"
#include "base/TextCopy.h"
#include "base/TrackedBuffer.h"

// The in-game text log: the newest few lines (server notices, chat,
// command answers) and, while the player types, one input line. Anything
// may print to it; the heads-up display draws it. Older lines are kept for
// a while, so the player can page back to them.
class Console : public Singleton<Console> {
public:
    static constexpr int kLineSize = kTextBufferSize;
    static constexpr int kDefaultLimit = 5;
    static constexpr int kHistoryLines = 200;


    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetLineLimit(int limit);
    void Clear();
    void Rewind();
    // The line under the read cursor (newest first), moving on; false at the end.
    bool ReadNextLine(char* buffer, int size);
    // A page (the line limit) back into older lines or forward to newer
    // ones; the reads start that far back. New lines keep the page still.
    void PageBack();
    void PageForward();
    int PagedBack() const { return pagedBack; }
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

    std::deque<TrackedBuffer> lines; // newest first, the history included
    std::size_t readCursor = 0;
    int pagedBack = 0;
    bool inputActive = false;
    TrackedBuffer input;
    int lineLimit = kDefaultLimit;
};
