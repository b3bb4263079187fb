#include "world/Mine.h"

Mine::Mine() : Projectile(kMineLifetime)
{
    type = kTypeMine;
    hull.push_back({{-6, -3}, {6, -3}, {6, 3}, {-6, 3}});
    SetRadius(8.0f);
}

void Mine::Update(int, std::uint64_t now)
{
    ExpireAt(now);
}

void Mine::OnHit(GameObject* other)
{
    if (other && other->GetType() == kTypeShip)
        Kill();
    else
        Bounce(other);
}
