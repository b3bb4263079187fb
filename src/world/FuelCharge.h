#pragma once

// What the tank pays for what is not a weapon (the weapons' costs are in
// their table, Weapons.h). What is paid while a key is held is charged per
// kChargePeriodMs, scaled by the time of the step.
constexpr float kChargePeriodMs = 100.0f;
constexpr float kCloakCharge = 0.1f;  // 1 a second cloaked
constexpr float kThrustCharge = 0.5f; // 5 a second thrusting
constexpr float kShieldCharge = 1.0f; // 10 a second shielded
// A shielded bounce off a wall or a ship at top speed; slower impacts pay
// by the square of their share of it.
constexpr float kBounceCharge = 10.0f;
constexpr float kRefuelPerSecond = 40.0f;
