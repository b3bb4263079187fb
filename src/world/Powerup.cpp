#include "world/Powerup.h"

#include "world/Ship.h"

Powerup::Powerup()
{
    type = kTypePowerup;
    SetKind(kPowerupTriple);
}

void Powerup::SetKind(int k)
{
    kind = (k >= 1 && k < kKinds) ? k : kPowerupTriple;
    hull.clear();
    hull.push_back(Polygon::Octagon16());
}

const char* Powerup::PictureOf(int k)
{
    return kPowerups[(k >= 1 && k < kKinds) ? k : 0].picture;
}

void Powerup::Update(int, std::uint64_t now)
{
    if (life.Over(now))
        Kill();
}

void Powerup::OnHit(GameObject* other)
{
    if (other && other->GetType() == kTypeShip && !static_cast<Ship*>(other)->IsShielded())
        Kill();
    else
        Bounce(other);
}
