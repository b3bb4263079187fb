#pragma once

// How well a robot flies, from 0 (a newcomer's match) through 1 (a
// beginner's) to 3 (a veteran's); levels between blend their neighbours.
struct RobotSkill {
    int reactionMs;         // how often it looks again and changes its mind
    float aimErrorDegrees;  // the spread of its aim around the perfect lead
    float fireTolerance;    // it fires when its nose is this near its aim
    float deviceChance;     // the odds of using a device when one would help
    double cruiseSpeed;     // its speed in the open
    double engageRange;     // it starts shooting from this far

    static RobotSkill At(double level);
};

// The level robots fly at among themselves, and against a person whose
// record is even.
constexpr int kDefaultRobotSkill = 2;
// Asked for as a skill: each robot matches the person it fights.
constexpr int kMatchedRobotSkill = -1;
