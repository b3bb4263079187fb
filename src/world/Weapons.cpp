#include "world/Weapons.h"

namespace {

constexpr bool RowsInWeaponOrder()
{
    for (std::size_t i = 0; i < std::size(kWeapons); ++i) {
        if (static_cast<std::size_t>(kWeapons[i].weapon) != i)
            return false;
    }
    return true;
}
static_assert(RowsInWeaponOrder(), "WeaponTable indexes the rows by weapon");

} // namespace

const WeaponRow* WeaponOn(const Ship& ship, GameKey key)
{
    const WeaponRow* chosen = nullptr;
    for (const WeaponRow& row : kWeapons) {
        const bool fitted = row.needs == 0 || ship.HasFlags(static_cast<signed char>(row.needs));
        if (row.key == key && fitted && (!chosen || row.needs != 0))
            chosen = &row;
    }
    return chosen;
}

const WeaponRow* WeaponShooting(int type)
{
    for (const WeaponRow& row : kWeapons) {
        if (row.shot == type && row.PutsInWorld())
            return &row;
    }
    return nullptr;
}
