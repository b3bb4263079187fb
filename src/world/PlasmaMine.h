#pragma once

#include "world/Mine.h"

// A mine of its own type and picture, with the same rules.
class PlasmaMine : public Mine {
public:
    PlasmaMine() { type = kTypePlasmaMine; }

    bool LoadTextures() override;
};
