#include "server/game/RobotMatch.h"

#include <algorithm>
#include <cmath>

#include "server/game/Player.h"
#include "server/game/RobotSkill.h"
#include "world/Ship.h"

namespace {

// What an older kill or death still weighs at each new one.
constexpr double kFade = 0.85;

void Count(double& tally, double& other, int times)
{
    for (int i = 0; i < times; ++i) {
        tally = tally * kFade + 1.0;
        other *= kFade;
    }
}

} // namespace

void RobotMatch::Watch(const std::vector<const Player*>& people)
{
    std::erase_if(records, [&](const auto& known) {
        return std::none_of(people.begin(), people.end(), [&](const Player* p) { return p->ShipId() == known.first; });
    });
    for (const Player* person : people) {
        const Ship& ship = person->GetShip();
        const Record first {0.0, 0.0, ship.GetScore(), ship.IsAlive()};
        Record& record = records.try_emplace(person->ShipId(), first).first->second;
        Count(record.kills, record.deaths, std::max(0, ship.GetScore() - record.score));
        Count(record.deaths, record.kills, record.alive && !ship.IsAlive() ? 1 : 0);
        record.score = ship.GetScore();
        record.alive = ship.IsAlive();
    }
}

double RobotMatch::LevelAgainst(int shipId) const
{
    const auto known = records.find(shipId);
    if (known == records.end())
        return kDefaultRobotSkill;
    const Record& record = known->second;
    return std::clamp(kDefaultRobotSkill + std::log2((record.kills + 1.0) / (record.deaths + 1.0)), 0.0, 3.0);
}
