#include "world/Mine.h"

#include "world/PlasmaMine.h"

bool Mine::LoadTextures()
{
    Acquire("mine.tga");
    return NoteError();
}

bool PlasmaMine::LoadTextures()
{
    Acquire("plasmamine.tga");
    return NoteError();
}
