#pragma once

#include <cstdint>

#include "app/SoundQueue.h"
#include "app/WorldSounds.h"

class NetClient;
class SoundBoard;
class World;

// Everything heard in a game, once a frame after the server's messages:
// what changed in the world, a pilot's line, a flag's news, the round's
// end, and the own ship's thrust and refuelling while they last.
class GameSounds {
public:
    void Hear(World& world, const NetClient& client, bool thrustHeld, SoundBoard& board);
    // A new world or map: what is in it now was not just made.
    void Forget() { world.Forget(); }
    // A leap in time (a demo's seek): nothing of what it passed is heard,
    // neither the lines said nor a round's end.
    void Leap(const NetClient& client);
    // What the last frame heard.
    const SoundQueue& Heard() const { return queue; }

private:
    void HearFlags(const NetClient& client);

    WorldSounds world;
    SoundQueue queue;
    std::uint32_t chatLines = 0;
    std::uint32_t flagNews = 0;
    bool roundOver = false;
};
