// The entities' pictures and drawing for programs without a screen (the
// game server, the rules' own tests): nothing is acquired or drawn. Linked
// in place of the *Draw.cpp files.
#include "world/Bullet.h"
#include "world/Map.h"
#include "world/Mine.h"
#include "world/Missile.h"
#include "world/PlasmaMine.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Turret.h"

bool GameObject::Draw(int, int) { return true; }
bool Map::LoadTextures() { return true; }
bool Map::Draw(int, int) { return true; }
bool Ship::LoadTextures() { return true; }
bool Ship::Draw(int, int) { return true; }
bool Bullet::Draw(int, int) { return true; }
bool Mine::LoadTextures() { return true; }
bool PlasmaMine::LoadTextures() { return true; }
bool Missile::LoadTextures() { return true; }
bool Powerup::LoadTextures() { return true; }
bool Turret::LoadTextures() { return true; }
bool Turret::Draw(int, int) { return true; }
bool Shrapnel::LoadTextures() { return true; }
