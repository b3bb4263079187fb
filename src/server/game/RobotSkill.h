#pragma once

// How well a robot flies, from 1 (a beginner's match) to 3 (a veteran's).
struct RobotSkill {
    int reactionMs;         // how often it looks again and changes its mind
    float aimErrorDegrees;  // the spread of its aim around the perfect lead
    float fireTolerance;    // it fires when its nose is this near its aim
    float deviceChance;     // the odds of using a device when one would help
    double cruiseSpeed;     // its speed in the open
    double engageRange;     // it starts shooting from this far

    static const RobotSkill& Of(int level);
};

constexpr int kDefaultRobotSkill = 2;
