#include "base/Console.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "base/ScopedLock.h"
#include "base/TextCopy.h"

namespace {

// Serialises the console's creation and every operation; made before main.
CriticalSection& ConsoleLock()
{
    static CriticalSection* section = new CriticalSection;
    return *section;
}

[[maybe_unused]] const bool lockReadyBeforeMain = (ConsoleLock(), true);

} // namespace

void Console::Print(const char* format, ...)
{
    if (!format)
        return;
    ScopedLock lock(&ConsoleLock());
    TrackedBuffer line(kLineSize);
    if (line.Empty())
        return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(line.Text(), kLineSize, format, args);
    va_end(args);
    lines.push_front(std::move(line));
    if (pagedBack > 0)
        ++pagedBack;
    Trim();
}

void Console::Trim()
{
    while (static_cast<int>(lines.size()) > kHistoryLines)
        lines.pop_back();
    pagedBack = std::clamp(pagedBack, 0, std::max(0, static_cast<int>(lines.size()) - lineLimit));
}

void Console::PageBack()
{
    ScopedLock lock(&ConsoleLock());
    pagedBack += lineLimit;
    Trim();
}

void Console::PageForward()
{
    ScopedLock lock(&ConsoleLock());
    pagedBack -= lineLimit;
    Trim();
}

void Console::SetLineLimit(int limit)
{
    ScopedLock lock(&ConsoleLock());
    if (limit > 0)
        lineLimit = limit;
    Trim();
}

void Console::Clear()
{
    ScopedLock lock(&ConsoleLock());
    lines.clear();
    readCursor = 0;
    pagedBack = 0;
}

void Console::Rewind()
{
    ScopedLock lock(&ConsoleLock());
    readCursor = 0;
}

bool Console::ReadNextLine(char* buffer, int size)
{
    ScopedLock lock(&ConsoleLock());
    const std::size_t index = static_cast<std::size_t>(pagedBack) + readCursor;
    if (!buffer || size <= 0 || readCursor >= static_cast<std::size_t>(lineLimit) || index >= lines.size())
        return false;
    CopyText(buffer, size, lines[index].Text());
    ++readCursor;
    return true;
}

bool Console::GetInputLine(char* buffer, int size)
{
    ScopedLock lock(&ConsoleLock());
    if (!buffer || size <= 0 || input.Empty())
        return false;
    CopyText(buffer, size, input.Text());
    return true;
}

void Console::SetInputLine(const char* text)
{
    ScopedLock lock(&ConsoleLock());
    ClearInputLine();
    if (!text)
        return;
    inputActive = true;
    input = TrackedBuffer(kLineSize);
    if (!input.Empty())
        std::snprintf(input.Text(), kLineSize, "%s", text);
}

void Console::ClearInputLine()
{
    ScopedLock lock(&ConsoleLock());
    if (!input.Empty()) {
        input = TrackedBuffer();
        inputActive = false;
    }
}

void Console::SetInputActive(bool active)
{
    inputActive = active;
    if (!active)
        input = TrackedBuffer();
}

int Console::LineCount()
{
    ScopedLock lock(&ConsoleLock());
    return std::min(static_cast<int>(lines.size()), lineLimit);
}
