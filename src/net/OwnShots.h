#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "world/HeldKeys.h"
#include "world/Ship.h"
#include "world/ShipControls.h"

class Map;
class Walls;
class World;

// The shots the own ship fires show the frame their key goes down: the
// ship's own weapons rules fire them from where the server will have it,
// and each flies on its own until the server's report of it arrives and
// takes its place where it has got to. A shot the server never fired goes
// after a round trip and a second more; one that meets a wall does there
// what the server's does (a bullet is spent, a mine bounces), and a spent
// one takes the server's shot down with it when that comes.
class OwnShots {
public:
    // A shot waits this much longer than a round trip for the server's: a
    // lost datagram holds up the reliable news of a launch behind it.
    static constexpr std::uint32_t kGraceMs = 1000;
    // Firings are remembered this long: no report is older.
    static constexpr std::uint32_t kFiringsKeptMs = 2000;

    void Clear();
    // A frame of the own ship, flown by the frame's keys: its weapons fire,
    // spending from it.
    void Step(Ship& ship, const HeldKeys& keys, int ms, std::uint32_t now, int roundTripMs, const Map* onMap,
              Walls& walls);
    // A new entity the server says the own ship fired: it is put where the
    // shot of ours it is has flown, and ours goes. When none of ours left
    // as it did, ours of its kind nearest its heading is taken for it and
    // goes, and the server's stays where it has it. True when one was found.
    bool Claim(GameObject& entity, std::uint32_t now);
    // Whether the entity of that id took the place of one of ours: what is
    // drawn of it is a round trip ahead of the server's reports.
    bool IsOurs(int id) const;
    // The id is another entity's now, or none's.
    void Forget(int id);
    // The claimed shots in the world meet the walls as ours would: drawn a
    // round trip ahead of the server's, they get there first. One spent on
    // a wall stays spent: the reports of it that come before the server's
    // word are not taken, for as long as an unclaimed shot is waited for.
    // Bullets only: a missile homes away from a wall the straight line
    // drawn ahead would meet, a mine bounces where the server says.
    void Guard(World& world, Walls& walls, std::uint32_t now);
    bool IsSpent(int id, std::uint32_t now) const;
    // Pays from a ship for the shots fired here after the moment given, as
    // the server will pay for them: a report from before then does not
    // count them yet.
    void ChargeSince(Ship& ship, std::uint32_t heard) const;

    // The shots to draw, spent ones too: those are dead.
    struct Flying {
        std::unique_ptr<GameObject> shot;
        Vector3 from;     // where it left
        std::uint32_t at; // when
    };
    const std::vector<Flying>& InFlight() const { return flying; }
    // Shots the server's reports took the place of, and those that went
    // without one.
    std::uint32_t Claimed() const { return claimed; }
    std::uint32_t Unclaimed() const { return unclaimed; }
    // Shots the server fired otherwise, whose report took ours down.
    std::uint32_t Replaced() const { return replaced; }

private:
    void Fire(const LaunchRequest& request, std::uint32_t now);
    void Fly(int ms, std::uint32_t now, Walls& walls);
    bool Replace(const GameObject& entity);

    ShipControls controls;
    std::vector<Flying> flying;
    std::vector<int> ours; // ids of the claimed
    struct Spent {
        int id;
        std::uint32_t until;
    };
    std::vector<Spent> spent;
    struct Firing {
        Weapon weapon;
        std::uint32_t at;
    };
    std::vector<Firing> fired; // of the last two seconds, a firing each
    std::uint32_t waitMs = kGraceMs; // for the server's word, by the last step's round trip
    const Map* map = nullptr; // of the last frame
    std::uint32_t claimed = 0;
    std::uint32_t unclaimed = 0;
    std::uint32_t replaced = 0;
};
