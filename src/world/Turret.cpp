#include "world/Turret.h"

namespace {

struct Facing {
    const char* alive;
    const char* dead;
    Polygon outline;
    Vector3 muzzle;
};

const Facing* FacingOf(int d)
{
    static const Facing facings[] = {
        {"turret_ok_up.tga", "turret_dead_up.tga", {{0, 0}, {16, 16}, {-16, 16}}, {0, -5, 0}},
        {"turret_ok_right.tga", "turret_dead_right.tga", {{0, 0}, {-16, 16}, {-16, -16}}, {5, 0, 0}},
        {"turret_ok_down.tga", "turret_dead_down.tga", {{0, 0}, {-16, -16}, {16, -16}}, {0, 5, 0}},
        {"turret_ok_left.tga", "turret_dead_left.tga", {{0, 0}, {16, -16}, {16, 16}}, {-5, 0, 0}},
    };
    return d >= 0 && d < 4 ? &facings[d] : nullptr;
}

} // namespace

Turret::Turret()
{
    type = kTypeTurret;
    respawnDelay = kRespawnDelay;
    deadTime = kRespawnDelay + 10;
}

void Turret::SetDirection(int d)
{
    direction = d;
    hull.clear();
    // Outside 0-3 the hull stays empty: such a turret never collides.
    if (const Facing* facing = FacingOf(d)) {
        hull.push_back(facing->outline);
        muzzleOffset = facing->muzzle;
    }
    SetRadius(32.0f);
}

const char* Turret::AlivePicture(int d)
{
    const Facing* facing = FacingOf(d);
    return facing ? facing->alive : nullptr;
}

const char* Turret::DeadPicture(int d)
{
    const Facing* facing = FacingOf(d);
    return facing ? facing->dead : nullptr;
}

void Turret::Respawn(float, float)
{
    if (deadTime >= respawnDelay)
        alive = true;
}
