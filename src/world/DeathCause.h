#pragma once

#include <cstdint>

// How a ship came to die, which decides the score: a kill counts for the
// killer, a death of one's own making against the victim. Its numbers go to
// the players with each death.
enum class DeathCause : std::uint8_t {
    Weapon,      // another player's bullet, missile, mine or shrapnel: +1 to the killer
    OwnWeapon,   // the victim's own: -1
    Crashed,     // flown into a wall or a gun: -1
    Rammed,      // by a ship that lived through it: +1 to that ship
    Collision,   // two ships that both died: nobody scores
    Turret,      // a gun emplacement: nobody scores
    Switched,    // changed sides in a team game: nobody scores
};
