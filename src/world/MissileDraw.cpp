#include "world/Missile.h"

bool Missile::LoadTextures()
{
    Acquire("missile.tga");
    return NoteError();
}
