#include "server/game/RobotTrial.h"

#include <limits>

#include "world/Ship.h"

GameOptions RobotTrial::TrialOptions(const std::string& mapName, int robots, int skillLevel, unsigned seed,
                                     const std::string& mode)
{
    GameOptions options;
    options.maps = {mapName};
    options.maxPlayers = robots;
    options.bots = robots;
    options.botSkill = skillLevel;
    options.scoreLimit = std::numeric_limits<int>::max(); // rounds never end on score
    options.roundMinutes = 0.0;
    options.seed = seed;
    options.mode = mode;
    return options;
}

RobotTrial::RobotTrial(const std::string& dataDir, const std::string& mapName, int robots, int skillLevel,
                       unsigned seed, const std::string& mode)
    : game(TrialOptions(mapName, robots, skillLevel, seed, mode), dataDir, quiet), figures(Player::kMaxSlots),
      refuelling(Player::kMaxSlots, false)
{
    game.WatchKills([this](const Player& victim, const Player* killer, DeathCause cause) {
        Killed(victim, killer, cause);
    });
}

void RobotTrial::SeatPerson(const std::string& name, double level)
{
    personName = name;
    person = std::make_unique<Robot>(RobotSkill::At(level), game.Seed() + 1);
}

void RobotTrial::FlyPerson()
{
    if (const Player* pilot = personSlot >= 0 ? game.Pilot(personSlot) : nullptr)
        game.Hold(personSlot, person->Think(game.GetSimulation(), *pilot, kTickMs));
}

RobotTrial::Figures& RobotTrial::Of(const Player& player)
{
    return figures[static_cast<std::size_t>(player.Slot())];
}

void RobotTrial::Killed(const Player& victim, const Player* killer, DeathCause cause)
{
    Figures& dead = Of(victim);
    if (dead.deaths++ == 0)
        dead.firstDeathSeconds = static_cast<double>(ticksPlayed * kTickMs) / 1000.0;
    if (cause == DeathCause::Crashed)
        ++dead.wallDeaths;
    if (killer && killer != &victim && (cause == DeathCause::Weapon || cause == DeathCause::Rammed))
        ++Of(*killer).kills;
}

bool RobotTrial::Run(double minutes, std::string& error)
{
    if (!game.Start(error))
        return false;
    game.FillSeats();
    if (person)
        personSlot = game.Join(personName.c_str(), 0);
    for (const auto& robot : game.GetSimulation().Players())
        Of(*robot).name = robot->Name();
    const long long ticks = static_cast<long long>(minutes * 60000.0 / kTickMs);
    const Game::Send unwatched = [](int, const std::vector<std::uint8_t>&, bool) {};
    for (ticksPlayed = 0; ticksPlayed < ticks; ++ticksPlayed) {
        FlyPerson();
        game.Tick(kTickMs, unwatched);
        for (const auto& robot : game.GetSimulation().Players()) {
            const std::size_t slot = static_cast<std::size_t>(robot->Slot());
            const bool now = robot->GetShip().HasFlags(kFlagRefuelling);
            if (now && !refuelling[slot])
                ++Of(*robot).fuelUps;
            refuelling[slot] = now;
        }
    }
    for (const auto& pilot : game.GetSimulation().Players())
        Of(*pilot).team = pilot->GetTeam();
    std::erase_if(figures, [](const Figures& f) { return f.name.empty(); });
    return true;
}
