#include "world/Shrapnel.h"

bool Shrapnel::LoadTextures()
{
    Acquire(variant == 1 ? "shrapnel2.tga" : "shrapnel1.tga");
    return NoteError();
}
