#include "gfx/Standings.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "world/Ship.h"
#include "world/ShownName.h"
#include "world/World.h"

std::string ScoreboardName(const Ship& ship)
{
    char name[kShownNameLength + 1] = {};
    ship.GetName(name, sizeof name);
    return name;
}

std::vector<Standing> BuildStandings(World* world)
{
    std::vector<Standing> standings;
    if (!world)
        return standings;
    for (Ship* ship = world->ShipsBegin(); ship; ship = world->ShipsNext()) {
        char name[15] = {};
        ship->GetName(name, sizeof name);
        const Standing entry{name, ship->GetScore(), ship->GetTeam(), false};
        auto at = standings.begin();
        while (at != standings.end() &&
               !(at->score < entry.score || (at->score == entry.score && at->name > entry.name)))
            ++at;
        standings.insert(at, entry);
    }
    return standings;
}

const char* ResultsBanner(World* world)
{
    const std::vector<Standing> standings = BuildStandings(world);
    Ship* local = world ? world->FirstShip() : nullptr;
    return local && !standings.empty() && local->GetScore() == standings.front().score ? "You Won!" : "You Lost";
}

std::string OnlookersBanner(World* world)
{
    const std::vector<Standing> standings = BuildStandings(world);
    if (standings.empty())
        return "";
    if (standings.size() > 1 && standings[1].score == standings[0].score)
        return "A draw";
    return standings[0].name + " wins";
}

std::vector<Standing> BuildTeamStandings(World* world, int redScore, int blueScore)
{
    const std::vector<Standing> everyone = BuildStandings(world);
    std::vector<Standing> grouped;
    for (const auto& side : {std::pair{Team::Red, redScore}, {Team::Blue, blueScore}, {Team::None, 0}}) {
        const Team team = side.first;
        if (team != Team::None)
            grouped.push_back({std::string(TeamName(team)) + " team", side.second, team, true});
        std::ranges::copy_if(everyone, std::back_inserter(grouped),
                             [team](const Standing& standing) { return standing.team == team; });
    }
    return grouped;
}
