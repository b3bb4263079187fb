#include "server/engine/ServerLog.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace {
void Stamped(std::FILE* out, const char* text)
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local {};
    localtime_r(&seconds, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(out, "%s.%03d %s\n", stamp, static_cast<int>(ms), text);
}
} // namespace

bool ServerLog::Allowed()
{
    const Clock::time_point at = now();
    const double seconds = std::max(0.0, std::chrono::duration<double>(at - lastAt).count());
    allowance = std::min(kBurstLines, allowance + seconds * kLinesPerSecond);
    lastAt = at;
    // The count of the left out goes out with the line and costs one too.
    const double cost = leftOut > 0 ? 2.0 : 1.0;
    if (allowance < cost) {
        ++leftOut;
        return false;
    }
    allowance -= cost;
    return true;
}

void ServerLog::Put(const char* text)
{
    if (leftOut > 0) {
        char note[96] = {};
        std::snprintf(note, sizeof note, "(%lld lines left out: they came too fast)", leftOut);
        Stamped(out, note);
        leftOut = 0;
    }
    Stamped(out, text);
    // A pipe whose reader has ended (| head, a tee that stopped) takes no
    // more lines; the game plays on and the operator is told once.
    if (std::fflush(out) != 0 && errno == EPIPE) {
        std::fputs("quillrock-server: the log's reader has gone; logging stops\n", stderr);
        out = nullptr;
    }
}
