#include "server/game/RobotSkill.h"

#include <algorithm>

const RobotSkill& RobotSkill::Of(int level)
{
    static const RobotSkill skills[] = {
        {400, 14.0f, 6.0f, 0.1f, 170.0, 320.0},
        {180, 4.5f, 6.0f, 0.4f, 230.0, 450.0},
        {90, 1.5f, 4.0f, 0.8f, 270.0, 520.0},
    };
    return skills[std::clamp(level, 1, 3) - 1];
}
