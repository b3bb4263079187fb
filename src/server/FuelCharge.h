#pragma once

// Which of the ship's fuel charges (Ship::UseFuel) each action pays. The
// rules charge 6, 7 and 8 themselves (shielded bounces and hits); these are
// the server's. What is paid while a key is held is charged per
// kChargePeriodMs, scaled by the time of the tick.
enum FuelCharge : int {
    kChargeCloak = 0,       // 0.1 a period cloaked: 1 a second
    kChargeThrust = 1,      // 0.5 a period thrusting: 5 a second
    kChargeShield = 2,      // 1.0 a period shielded: 10 a second
    kChargeLaunch = 3,      // 5 for a missile or a mine
    kChargeBullet = 4,      // 0.05 for one bullet
    kChargeTripleShot = 5,  // 0.15 for three at once
    kChargeRepulsor = 9,    // 30 for a push of the repulsor
    kChargePlasmaMine = 10, // 75 for a plasma mine
};

constexpr float kChargePeriodMs = 100.0f;
