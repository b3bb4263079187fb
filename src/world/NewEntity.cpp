#include "world/NewEntity.h"

#include "world/Bullet.h"
#include "world/Mine.h"
#include "world/Missile.h"
#include "world/PlasmaMine.h"
#include "world/Powerup.h"
#include "world/Shrapnel.h"

std::unique_ptr<GameObject> NewEntity(int entityKind, int extra)
{
    switch (entityKind) {
    case kTypeBullet: return std::make_unique<Bullet>();
    case kTypeMissile: return std::make_unique<Missile>();
    case kTypeMine: return std::make_unique<Mine>();
    case kTypePlasmaMine: return std::make_unique<PlasmaMine>();
    case kTypePowerup: {
        auto powerup = std::make_unique<Powerup>();
        powerup->SetKind(extra);
        return powerup;
    }
    case kTypeShrapnel: {
        auto shrapnel = std::make_unique<Shrapnel>();
        shrapnel->SetVariant(extra);
        return shrapnel;
    }
    default: return nullptr;
    }
}
