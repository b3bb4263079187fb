#include "world/Shrapnel.h"

Shrapnel::Shrapnel()
{
    type = kTypeShrapnel;
    SetVariant(0);
}

void Shrapnel::SetVariant(int v)
{
    variant = v == 1 ? 1 : 0;
    hull.clear();
    if (variant == 0)
        hull.push_back({{3, 0}, {-5, 4}, {0, -5}});
    else
        hull.push_back({{2, 2}, {-3, 2}, {-3, -3}, {3, -5}});
    SetRadius(8.0f);
}

void Shrapnel::Update(int, std::uint64_t now)
{
    if (life.Over(now))
        Kill();
}
