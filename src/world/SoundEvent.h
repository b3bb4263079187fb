#pragma once

#include <cstddef>
#include <cstdint>

// Everything the game makes a sound for. Each has its file under Sounds/.
enum class SoundEvent : std::uint8_t {
    Shot,           // the own ship's bullet
    ShotOther,      // another ship's bullet
    TripleShot,
    MissileLaunch,
    MineDrop,
    PlasmaMineDrop,
    PlasmaBurst,
    Blast,          // a missile or mine hitting
    ShipExplode,
    OwnShipExplode,
    ShieldHit,
    ShieldRebound,
    Powerup,
    Refuel,         // a loop while the own ship refuels
    Thrust,         // a loop while the own ship thrusts
    CloakOn,
    CloakOff,
    Repulsor,
    TurretShot,
    TurretWrecked,
    Respawn,
    Chat,
    RoundOver,
    FlagTaken,      // an enemy took a flag
    FlagReturned,   // a flag went home, brought or by itself
    FlagCaptured,
    MenuMove,
    MenuSelect,
    MenuBack,
    Count
};

constexpr std::size_t kSoundEvents = static_cast<std::size_t>(SoundEvent::Count);
