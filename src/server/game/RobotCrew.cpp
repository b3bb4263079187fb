#include "server/game/RobotCrew.h"

#include <algorithm>
#include <unordered_map>

#include "server/game/Player.h"
#include "server/game/Simulation.h"
#include "world/Ship.h"

namespace {

constexpr const char* kCallSigns[] = {
    "Ace",   "Blaze", "Comet", "Dash",  "Ember", "Flint",  "Ghost", "Hawk",  "Ion",
    "Jinx",  "Kite",  "Lynx",  "Mako",  "Nova",  "Onyx",   "Pike",  "Quasar", "Rook",
    "Sable", "Talon", "Umbra", "Viper", "Wisp",  "Xenon",  "Yeti",  "Zephyr",
};

} // namespace

RobotCrew::RobotCrew(int wanted, int skillLevel, unsigned seed)
    : wanted(std::max(0, wanted)), matched(skillLevel == kMatchedRobotSkill),
      skillLevel(matched ? kDefaultRobotSkill : skillLevel), random(seed)
{
}

int RobotCrew::Fitting(int people, int seats) const
{
    return std::clamp(seats - people, 0, wanted);
}

Player* RobotCrew::Recruit(Simulation& game, const std::function<bool(const std::string&)>& taken)
{
    std::string name;
    for (int round = 1; name.empty(); ++round) {
        for (const char* sign : kCallSigns) {
            std::string candidate = "Robot ";
            candidate += sign;
            if (round > 1) {
                candidate += ' ';
                candidate += std::to_string(round);
            }
            if (!taken(candidate)) {
                name = candidate;
                break;
            }
        }
    }
    Player* robot = game.AddPlayer(name, std::uniform_int_distribution<int>(0, Ship::kDesigns - 1)(random));
    Enlist(robot);
    return robot;
}

void RobotCrew::Enlist(Player* player)
{
    if (player)
        members.push_back({player, std::make_unique<Robot>(RobotSkill::At(skillLevel), random())});
}

Player* RobotCrew::Newest() const
{
    return members.empty() ? nullptr : members.back().player;
}

void RobotCrew::Dismiss(const Player* player)
{
    std::erase_if(members, [player](const Member& member) { return member.player == player; });
}

bool RobotCrew::Flies(const Player* player) const
{
    return std::any_of(members.begin(), members.end(), [player](const Member& member) { return member.player == player; });
}

void RobotCrew::Think(const Simulation& game, int ms)
{
    // Who hunts whom, kept up to date as each robot changes its mind.
    std::unordered_map<int, int> hunters;
    for (const Member& member : members)
        ++hunters[member.robot->TargetShip()];
    for (Member& member : members) {
        const int was = member.robot->TargetShip();
        if (matched)
            member.robot->LeaveAlone(Crowded(hunters, was));
        member.player->Hold(member.robot->Think(game, *member.player, ms));
        --hunters[was];
        ++hunters[member.robot->TargetShip()];
    }
}

std::vector<int> RobotCrew::Crowded(const std::unordered_map<int, int>& hunters, int own) const
{
    std::vector<int> crowded;
    for (const auto& [ship, count] : hunters) {
        if (ship && count - (ship == own ? 1 : 0) >= match.HuntersAllowed(ship))
            crowded.push_back(ship);
    }
    return crowded;
}

void RobotCrew::Match(const Simulation& game, int ms)
{
    if (!matched)
        return;
    std::vector<const Player*> people;
    for (const auto& pilot : game.Players()) {
        if (!Flies(pilot.get()))
            people.push_back(pilot.get());
    }
    match.Watch(people, ms);
    for (Member& member : members)
        member.robot->Match(RobotSkill::At(match.LevelAgainst(member.robot->TargetShip())));
}
