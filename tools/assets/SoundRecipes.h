#pragma once

#include <vector>

#include "assets/Synth.h"

// Every sound the game plays, as a description to synthesise.
const std::vector<SoundRecipe>& SoundRecipes();
