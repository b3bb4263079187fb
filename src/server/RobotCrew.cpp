#include "server/RobotCrew.h"

#include <algorithm>
#include <iterator>

#include "server/Player.h"
#include "world/Ship.h"

namespace {

constexpr const char* kCallSigns[] = {
    "Ace",   "Blaze", "Comet", "Dash",  "Ember", "Flint",  "Ghost", "Hawk",  "Ion",
    "Jinx",  "Kite",  "Lynx",  "Mako",  "Nova",  "Onyx",   "Pike",  "Quasar", "Rook",
    "Sable", "Talon", "Umbra", "Viper", "Wisp",  "Xenon",  "Yeti",  "Zephyr",
};

} // namespace

RobotCrew::RobotCrew(int wanted, int skillLevel, unsigned seed)
    : wanted(std::max(0, wanted)), skillLevel(skillLevel), random(seed)
{
}

int RobotCrew::Fitting(int people, int seats) const
{
    return std::clamp(seats - people, 0, wanted);
}

std::string RobotCrew::NextName(const std::function<bool(const std::string&)>& taken) const
{
    for (int round = 1;; ++round) {
        for (const char* sign : kCallSigns) {
            std::string name = std::string("Robot ") + sign;
            if (round > 1)
                name += " " + std::to_string(round);
            if (!taken(name))
                return name;
        }
    }
}

int RobotCrew::NextShipType()
{
    return std::uniform_int_distribution<int>(0, Ship::kDesigns - 1)(random);
}

void RobotCrew::Enlist(Player* player)
{
    if (player)
        members.push_back({player, std::make_unique<Robot>(RobotSkill::Of(skillLevel), random())});
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

std::vector<Player*> RobotCrew::Players() const
{
    std::vector<Player*> flying;
    std::transform(members.begin(), members.end(), std::back_inserter(flying),
                   [](const Member& member) { return member.player; });
    return flying;
}

void RobotCrew::Think(Simulation& game, int ms)
{
    for (Member& member : members)
        member.player->Hold(member.robot->Think(game, *member.player, ms));
}
