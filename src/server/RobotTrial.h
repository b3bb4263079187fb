#pragma once

#include <string>
#include <vector>

#include "server/MapRotation.h"
#include "server/RobotCrew.h"
#include "server/Simulation.h"
#include "server/SimulationListener.h"

// Robots alone on one map, without a network, as fast as the machine goes:
// how a maintainer sees how well they fly. The tick is simulated, so the
// entities' lifetimes run on simulated time too.
class RobotTrial : public SimulationListener {
public:
    struct Figures {
        std::string name;
        int kills = 0;
        int deaths = 0;
        int wallDeaths = 0;
        int fuelUps = 0;
    };

    RobotTrial(const std::string& dataDir, const std::string& mapName, int robots, int skillLevel, unsigned seed);

    // Plays minutes of simulated time; false with the reason when the map
    // cannot be played.
    bool Run(double minutes, std::string& error);
    const std::vector<Figures>& Results() const { return figures; }

    void OnRoundStarted(const std::string&, const Map&) override {}
    void OnRoundOver(const Player*) override {}
    void OnMapSkipped(const std::string&, const std::string&) override {}
    void OnShipSpawned(const Player&) override {}
    void OnShipChanged(const Player&) override {}
    void OnShipKilled(const Player& victim, const Player* killer, DeathCause cause) override;
    void OnEntityAppeared(const GameObject&) override {}
    void OnEntityMoved(const GameObject&) override {}
    void OnEntityKilled(const GameObject&) override {}
    void OnTurretChanged(const Turret&) override {}
    void OnTileChanged(int, int, std::uint8_t) override {}

private:
    Figures& Of(const Player& player);

    static constexpr int kTickMs = 16;

    MapRotation rotation;
    Simulation simulation;
    RobotCrew crew;
    std::vector<Figures> figures; // by player slot
    std::vector<bool> refuelling;
};
