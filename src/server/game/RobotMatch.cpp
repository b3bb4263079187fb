#include "server/game/RobotMatch.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "server/game/Player.h"
#include "server/game/RobotSkill.h"
#include "world/ShipControls.h"

namespace {

// What an older kill or death still weighs at each new one.
constexpr double kFade = 0.85;
// A newcomer's record as it joins: robots meet it at the newcomer's level
// (0) until its kills show otherwise, rather than at an even record's.
constexpr double kNewcomerDeaths = 3.0;
// How long a person robots meet below level 1 is left alone after coming
// back: the free shield's time and as long again to find one's feet, so
// that a newcomer is not shot down the moment the shield drops.
constexpr int kFindFeetMs = 2 * ShipControls::kSpawnShieldMs;

void Count(double& tally, double& other)
{
    tally = tally * kFade + 1.0;
    other *= kFade;
}

} // namespace

void RobotMatch::Watch(const std::vector<const Player*>& people, int ms)
{
    std::erase_if(records, [&](const auto& known) {
        return std::none_of(people.begin(), people.end(), [&](const Player* p) { return p->ShipId() == known.first; });
    });
    for (const Player* person : people) {
        Record& record = records.try_emplace(person->ShipId(), Record {0.0, kNewcomerDeaths}).first->second;
        record.flownMs = person->GetShip().IsAlive() ? record.flownMs + ms : 0;
    }
}

void RobotMatch::Killed(const Player& victim, const Player* killer, DeathCause cause)
{
    if (cause == DeathCause::Switched)
        return;
    if (const auto dead = records.find(victim.ShipId()); dead != records.end())
        Count(dead->second.deaths, dead->second.kills);
    if (!killer || killer == &victim)
        return;
    if (const auto won = records.find(killer->ShipId()); won != records.end())
        Count(won->second.kills, won->second.deaths);
}

double RobotMatch::LevelAgainst(int shipId) const
{
    const auto known = records.find(shipId);
    if (known == records.end())
        return kDefaultRobotSkill;
    const Record& record = known->second;
    return std::clamp(kDefaultRobotSkill + std::log2((record.kills + 1.0) / (record.deaths + 1.0)), 0.0, 3.0);
}

int RobotMatch::HuntersAllowed(int shipId) const
{
    // One more for each level robots fly at against it, below the default.
    const double level = LevelAgainst(shipId);
    const auto known = records.find(shipId);
    if (known != records.end() && level < 1.0 && known->second.flownMs < kFindFeetMs)
        return 0;
    return level < kDefaultRobotSkill ? 1 + static_cast<int>(level) : std::numeric_limits<int>::max();
}
