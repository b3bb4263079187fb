#pragma once

#include <cstdint>
#include <string>

// What the player is told beside the game's own screens: what killed the
// own ship and how long until it is back, and the round's clock. Times are
// the program's millisecond ticks, given by the caller.
class RoundNews {
public:
    void OwnShipKilled(std::uint32_t now, int respawnMs);
    void OwnShipSpawned() { dead = false; }
    // What the server says killed the own ship: a DeathCause's number, and
    // the killer's name, empty for none.
    void KilledBy(std::uint8_t cause, const std::string& killer);
    // msLeft -1: the round has no time limit.
    void Clock(int msLeft, int scoreLimit, std::uint32_t now);
    // A new map: nothing of the last round holds.
    void NewRound();

    bool IsDead() const { return dead; }
    // "Killed by Ace - back in 3"; empty while the own ship lives.
    std::string DeathLine(std::uint32_t now) const;
    // "4:31 left, first to 10", "First to 10" without a time limit; empty
    // before the server told it.
    std::string ClockLine(std::uint32_t now) const;

private:
    bool dead = false;
    std::string how; // "Killed by Ace", "Changed sides"; empty when not heard
    std::uint32_t diedAt = 0;
    int respawnMs = 0;
    bool clockKnown = false;
    int msLeft = -1;
    int scoreLimit = 0;
    std::uint32_t clockAt = 0;
};
