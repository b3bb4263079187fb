#include "world/Powerup.h"

bool Powerup::LoadTextures()
{
    Acquire(PictureOf(kind));
    return NoteError();
}
