#include "world/Bullet.h"

Bullet::Bullet() : Projectile(kBulletLifetime)
{
    type = kTypeBullet;
    hull.push_back({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
    SetRadius(2.0f);
}

void Bullet::Update(int, std::uint64_t now)
{
    ExpireAt(now);
}
