#include "server/RobotTrial.h"

#include "platform/Clock.h"
#include "world/Ship.h"

namespace {

SimulationSettings TrialSettings(unsigned seed)
{
    SimulationSettings settings;
    settings.scoreLimit = 126; // the highest score a ship shows: rounds never end on score
    settings.roundMs = 0;
    settings.seed = seed;
    return settings;
}

} // namespace

RobotTrial::RobotTrial(const std::string& dataDir, const std::string& mapName, int robots, int skillLevel,
                       unsigned seed)
    : rotation(dataDir, {mapName}), simulation(*this, rotation, TrialSettings(seed)), crew(robots, skillLevel, seed),
      figures(Player::kMaxSlots), refuelling(Player::kMaxSlots, false)
{
}

RobotTrial::Figures& RobotTrial::Of(const Player& player)
{
    return figures[static_cast<std::size_t>(player.Slot())];
}

void RobotTrial::OnShipKilled(const Player& victim, const Player* killer, DeathCause cause)
{
    Figures& dead = Of(victim);
    ++dead.deaths;
    if (cause == DeathCause::Crashed)
        ++dead.wallDeaths;
    if (killer && killer != &victim && (cause == DeathCause::Weapon || cause == DeathCause::Rammed))
        ++Of(*killer).kills;
}

bool RobotTrial::Run(double minutes, std::string& error)
{
    if (!simulation.Start(error))
        return false;
    while (crew.Count() < crew.Wanted()) {
        const Player* robot = crew.Recruit(simulation);
        if (!robot)
            break;
        Of(*robot).name = robot->Name();
    }
    const long long ticks = static_cast<long long>(minutes * 60000.0 / kTickMs);
    for (long long tick = 0; tick < ticks; ++tick) {
        crew.Think(simulation, kTickMs);
        simulation.Step(kTickMs);
        for (const auto& robot : simulation.Players()) {
            const std::size_t slot = static_cast<std::size_t>(robot->Slot());
            const bool now = robot->GetShip().HasFlags(kFlagRefuelling);
            if (now && !refuelling[slot])
                ++Of(*robot).fuelUps;
            refuelling[slot] = now;
        }
    }
    std::erase_if(figures, [](const Figures& f) { return f.name.empty(); });
    return true;
}
