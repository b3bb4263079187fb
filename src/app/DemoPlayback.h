#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ShipFollower.h"
#include "world/HeldKeys.h"

class DemoReader;
class NetClient;
class World;

// A recorded game applied to a world of its own through the client's
// message handling, on a clock of its own: paused, faster or slower, and
// moved to any time by applying the records from the start without
// drawing, or on from where it is.
class DemoPlayback {
public:
    static constexpr std::array<double, 6> kSpeeds = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};
    static constexpr std::uint32_t kSeekMs = 10000;

    explicit DemoPlayback(const DemoReader& demo);
    ~DemoPlayback();
    DemoPlayback(const DemoPlayback&) = delete;
    DemoPlayback& operator=(const DemoPlayback&) = delete;

    World& GetWorld() { return *world; }
    NetClient& Client() { return *client; }

    // Moves the clock on by a frame of frameMs at the speed, unless paused,
    // and applies what came in it; the world's own time that passed.
    int Advance(int frameMs);
    void Seek(std::uint32_t ms);
    void SeekBy(std::int64_t ms);
    void TogglePause() { paused = !paused; }
    void Faster();
    void Slower();
    // The camera follows the next ship alive in the list, or the one
    // before; with none alive it stays. A demo recorded without a ship of
    // its own follows the leader until then.
    void Follow(int step);

    std::uint32_t Now() const { return clock; }
    std::uint32_t Length() const;
    double Speed() const { return kSpeeds[speed]; }
    bool IsPaused() const { return paused; }
    bool IsAtEnd() const;
    // The recorder's pilot holds thrust, and the camera is on its ship.
    bool FollowedThrusts() const;
    // "Demo 1:23 / 10:00  x2", with "paused" while it is, then the
    // followed ship's name: "following Vega".
    std::string Caption() const;
    // The standings' title when it is not the game's own: who won, for a
    // recording without a ship of its own, and at an end that is no
    // round's, that the demo ends there. Empty for the game's own.
    std::string Banner() const;

private:
    void Restart();
    void ApplyUntil(std::uint32_t ms);
    void KeepFollowing();

    const DemoReader& demo;
    std::unique_ptr<World> world;
    NetClient* client = nullptr;
    std::size_t next = 0;
    std::uint32_t clock = 0;
    double carried = 0.0; // parts of a millisecond at slow speeds
    std::size_t speed = 2;
    bool paused = false;
    ShipFollower follower;
    HeldKeys recorderKeys; // as the last controls record has them
    std::vector<std::string> missingMaps; // that the demo goes on to
};
