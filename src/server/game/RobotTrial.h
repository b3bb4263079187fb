#pragma once

#include <memory>
#include <string>
#include <vector>

#include "server/game/EventLog.h"
#include "server/game/Game.h"
#include "server/game/Robot.h"

// Robots alone in a game on one map, without a network, as fast as the
// machine goes: how a maintainer sees how well they fly. The game runs on
// its own clock, so the same seed plays the same trial.
class RobotTrial {
public:
    struct Figures {
        std::string name;
        int kills = 0;
        int deaths = 0;
        int wallDeaths = 0;
        int fuelUps = 0;
        double firstDeathSeconds = -1.0; // into the trial; -1 when it never died
        Team team = Team::None; // at the end
    };

    RobotTrial(const std::string& dataDir, const std::string& mapName, int robots, int skillLevel, unsigned seed,
               const std::string& mode = "dm");

    // A person plays among them, in the newest robot's seat, flown by a
    // robot's brain at a fixed level (0 to 3) as a scripted player would:
    // how a maintainer sees how robots match people of each strength.
    void SeatPerson(const std::string& name, double level);

    // Plays minutes of simulated time; false with the reason when the map
    // cannot be played.
    bool Run(double minutes, std::string& error);
    const std::vector<Figures>& Results() const { return figures; }
    unsigned Seed() const { return game.Seed(); }
    const GameMode& Mode() const { return game.GetSimulation().Mode(); }

private:
    static GameOptions TrialOptions(const std::string& mapName, int robots, int skillLevel, unsigned seed,
                                    const std::string& mode);
    Figures& Of(const Player& player);
    void FlyPerson();
    void Killed(const Player& victim, const Player* killer, DeathCause cause);

    static constexpr int kTickMs = 16;

    EventLog quiet;
    Game game;
    std::vector<Figures> figures; // by player slot
    std::vector<bool> refuelling;
    std::string personName;
    std::unique_ptr<Robot> person; // its brain
    int personSlot = -1;
    long long ticksPlayed = 0;
};
