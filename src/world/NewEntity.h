#pragma once

#include <memory>

#include "world/GameObject.h"

// A new entity of a reported kind (a powerup's kind or a shrapnel's shape
// as extra); null for kinds that are not entities.
std::unique_ptr<GameObject> NewEntity(int entityKind, int extra);
