#include "assets/SoundRecipes.h"

namespace {

using W = Wave;

// Each row: file, seconds, loop, loudness (dB), then the layers. Shots are
// short and bright, blasts are noise falling in pitch over a low thump.
std::vector<SoundRecipe> WeaponRecipes()
{
    return {
        {"Shot.wav", 0.14f, false, 0.0f,
         {{.wave = W::Square, .from = 1400, .to = 500, .length = 0.14f, .decay = 0.04f, .lowpass = 3500},
          {.wave = W::Noise, .from = 6000, .to = 2000, .length = 0.03f, .decay = 0.01f, .level = 0.3f}}},
        {"ShotOther.wav", 0.16f, false, 0.0f,
         {{.wave = W::Square, .from = 950, .to = 360, .length = 0.16f, .decay = 0.05f, .lowpass = 3000},
          {.wave = W::Noise, .from = 4000, .to = 1500, .length = 0.04f, .decay = 0.012f, .level = 0.3f}}},
        {"TripleShot.wav", 0.22f, false, 1.0f,
         {{.wave = W::Saw, .from = 1600, .to = 600, .length = 0.14f, .decay = 0.04f, .lowpass = 3000},
          {.wave = W::Saw, .from = 1250, .to = 470, .at = 0.03f, .length = 0.14f, .decay = 0.04f, .lowpass = 3000},
          {.wave = W::Saw, .from = 950, .to = 350, .at = 0.06f, .length = 0.15f, .decay = 0.04f, .lowpass = 3000}}},
        {"MissileLaunch.wav", 0.6f, false, 0.0f,
         {{.wave = W::Noise, .from = 700, .to = 4000, .length = 0.6f, .attack = 0.04f, .decay = 0.25f},
          {.wave = W::Saw, .from = 160, .to = 520, .length = 0.45f, .attack = 0.02f, .decay = 0.2f, .level = 0.4f,
           .lowpass = 1500}}},
        {"MineDrop.wav", 0.25f, false, -2.0f,
         {{.wave = W::Sine, .from = 320, .to = 110, .length = 0.25f, .decay = 0.08f},
          {.wave = W::Triangle, .from = 1800, .to = 1700, .length = 0.03f, .decay = 0.01f, .level = 0.4f}}},
        {"PlasmaMineDrop.wav", 0.35f, false, -2.0f,
         {{.wave = W::Sine, .from = 620, .to = 200, .length = 0.35f, .decay = 0.12f, .vibrato = 30,
           .vibratoDepth = 0.06f},
          {.wave = W::Triangle, .from = 1250, .to = 400, .length = 0.3f, .decay = 0.08f, .level = 0.3f}}},
        {"PlasmaBurst.wav", 0.7f, false, 1.0f,
         {{.wave = W::Noise, .from = 5000, .to = 600, .length = 0.7f, .decay = 0.2f},
          {.wave = W::Saw, .from = 800, .to = 90, .length = 0.6f, .decay = 0.22f, .level = 0.6f, .lowpass = 2500,
           .vibrato = 40, .vibratoDepth = 0.1f}}},
        {"Blast.wav", 0.8f, false, 1.0f,
         {{.wave = W::Noise, .from = 3000, .to = 300, .length = 0.8f, .decay = 0.22f},
          {.wave = W::Sine, .from = 110, .to = 40, .length = 0.6f, .decay = 0.25f, .level = 0.8f}}},
        {"ShipExplode.wav", 1.2f, false, 2.0f,
         {{.wave = W::Noise, .from = 2500, .to = 200, .length = 1.2f, .decay = 0.35f},
          {.wave = W::Sine, .from = 90, .to = 35, .length = 1.0f, .decay = 0.4f, .level = 0.8f},
          {.wave = W::Noise, .from = 1500, .to = 150, .at = 0.12f, .length = 1.0f, .attack = 0.02f, .decay = 0.3f,
           .level = 0.6f}}},
    };
}

// The ship's own loops are soft and steady.
std::vector<SoundRecipe> ShipRecipes()
{
    return {
        {"OwnShipExplode.wav", 2.0f, false, 3.0f,
         {{.wave = W::Noise, .from = 4000, .to = 120, .length = 2.0f, .decay = 0.6f},
          {.wave = W::Sine, .from = 70, .to = 28, .length = 1.8f, .decay = 0.8f},
          {.wave = W::Saw, .from = 220, .to = 40, .length = 1.5f, .decay = 0.5f, .level = 0.4f, .lowpass = 800},
          {.wave = W::Noise, .from = 1800, .to = 100, .at = 0.25f, .length = 1.7f, .attack = 0.03f, .decay = 0.5f,
           .level = 0.6f}}},
        {"ShieldHit.wav", 0.3f, false, -1.0f,
         {{.wave = W::Sine, .from = 1800, .to = 1500, .length = 0.3f, .decay = 0.1f},
          {.wave = W::Sine, .from = 2700, .to = 2300, .length = 0.25f, .decay = 0.07f, .level = 0.5f},
          {.wave = W::Noise, .from = 8000, .to = 4000, .length = 0.02f, .decay = 0.006f, .level = 0.3f}}},
        {"ShieldRebound.wav", 0.35f, false, -1.0f,
         {{.wave = W::Triangle, .from = 280, .to = 900, .length = 0.35f, .decay = 0.15f, .vibrato = 18,
           .vibratoDepth = 0.05f},
          {.wave = W::Sine, .from = 1400, .to = 1300, .length = 0.12f, .decay = 0.04f, .level = 0.3f}}},
        {"Powerup.wav", 0.45f, false, -2.0f,
         {{.wave = W::Triangle, .from = 660, .to = 660, .length = 0.11f, .decay = 0.08f},
          {.wave = W::Triangle, .from = 880, .to = 880, .at = 0.1f, .length = 0.11f, .decay = 0.08f},
          {.wave = W::Triangle, .from = 1320, .to = 1320, .at = 0.2f, .length = 0.25f, .decay = 0.1f}}},
        {"Refuel.wav", 1.0f, true, -6.0f,
         {{.wave = W::Sine, .from = 220, .to = 220, .tremolo = 8},
          {.wave = W::Sine, .from = 330, .to = 330, .level = 0.3f, .tremolo = 8},
          {.wave = W::Noise, .from = 700, .to = 700, .level = 0.4f}}},
        {"Thrust.wav", 1.0f, true, -6.0f,
         {{.wave = W::Noise, .from = 450, .to = 450},
          {.wave = W::Saw, .from = 55, .to = 55, .level = 0.3f, .lowpass = 300}}},
        {"CloakOn.wav", 0.5f, false, -2.0f,
         {{.wave = W::Sine, .from = 400, .to = 1600, .length = 0.5f, .attack = 0.08f, .decay = 0.25f, .vibrato = 12,
           .vibratoDepth = 0.03f},
          {.wave = W::Noise, .from = 1000, .to = 6000, .length = 0.4f, .attack = 0.1f, .decay = 0.1f, .level = 0.2f}}},
        {"CloakOff.wav", 0.5f, false, -2.0f,
         {{.wave = W::Sine, .from = 1600, .to = 400, .length = 0.5f, .attack = 0.02f, .decay = 0.25f, .vibrato = 12,
           .vibratoDepth = 0.03f},
          {.wave = W::Noise, .from = 6000, .to = 1000, .length = 0.4f, .decay = 0.12f, .level = 0.2f}}},
        {"Repulsor.wav", 0.6f, false, 0.0f,
         {{.wave = W::Sine, .from = 60, .to = 180, .length = 0.6f, .attack = 0.01f, .decay = 0.25f, .tremolo = 20},
          {.wave = W::Noise, .from = 600, .to = 2500, .length = 0.5f, .attack = 0.03f, .decay = 0.15f, .level = 0.4f}}},
        {"TurretShot.wav", 0.18f, false, 0.0f,
         {{.wave = W::Square, .from = 700, .to = 250, .length = 0.18f, .decay = 0.05f, .lowpass = 2500},
          {.wave = W::Noise, .from = 2500, .to = 1000, .length = 0.05f, .decay = 0.015f, .level = 0.4f}}},
        {"TurretWrecked.wav", 0.9f, false, 1.0f,
         {{.wave = W::Noise, .from = 2000, .to = 250, .length = 0.9f, .decay = 0.28f},
          {.wave = W::Square, .from = 300, .to = 60, .length = 0.7f, .decay = 0.25f, .level = 0.4f, .lowpass = 1200}}},
        {"Respawn.wav", 0.6f, false, -2.0f,
         {{.wave = W::Triangle, .from = 300, .to = 1200, .length = 0.6f, .attack = 0.15f, .decay = 0.3f},
          {.wave = W::Sine, .from = 600, .to = 2400, .length = 0.6f, .attack = 0.15f, .decay = 0.3f, .level = 0.3f}}},
    };
}

// The flags' calls are short fanfares; the menus only tick.
std::vector<SoundRecipe> CueRecipes()
{
    return {
        {"Chat.wav", 0.2f, false, -4.0f,
         {{.wave = W::Sine, .from = 1200, .to = 1200, .length = 0.08f, .decay = 0.05f},
          {.wave = W::Sine, .from = 1600, .to = 1600, .at = 0.08f, .length = 0.12f, .decay = 0.06f}}},
        {"RoundOver.wav", 1.4f, false, 0.0f,
         {{.wave = W::Triangle, .from = 523, .to = 523, .length = 1.4f, .decay = 0.6f},
          {.wave = W::Triangle, .from = 659, .to = 659, .at = 0.15f, .length = 1.25f, .decay = 0.6f},
          {.wave = W::Triangle, .from = 784, .to = 784, .at = 0.3f, .length = 1.1f, .decay = 0.6f},
          {.wave = W::Triangle, .from = 1046, .to = 1046, .at = 0.45f, .length = 0.95f, .decay = 0.6f}}},
        {"FlagTaken.wav", 0.5f, false, 0.0f,
         {{.wave = W::Square, .from = 440, .to = 440, .length = 0.12f, .decay = 0.08f, .lowpass = 2500},
          {.wave = W::Square, .from = 587, .to = 587, .at = 0.12f, .length = 0.35f, .decay = 0.15f, .lowpass = 2500,
           .vibrato = 7, .vibratoDepth = 0.02f}}},
        {"FlagReturned.wav", 0.5f, false, -1.0f,
         {{.wave = W::Triangle, .from = 880, .to = 880, .length = 0.12f, .decay = 0.08f},
          {.wave = W::Triangle, .from = 660, .to = 660, .at = 0.11f, .length = 0.12f, .decay = 0.08f},
          {.wave = W::Triangle, .from = 440, .to = 440, .at = 0.22f, .length = 0.28f, .decay = 0.12f}}},
        {"FlagCaptured.wav", 1.6f, false, 1.0f,
         {{.wave = W::Square, .from = 392, .to = 392, .length = 0.2f, .decay = 0.12f, .lowpass = 3000},
          {.wave = W::Square, .from = 523, .to = 523, .at = 0.18f, .length = 0.2f, .decay = 0.12f, .lowpass = 3000},
          {.wave = W::Square, .from = 659, .to = 659, .at = 0.36f, .length = 0.2f, .decay = 0.12f, .lowpass = 3000},
          {.wave = W::Square, .from = 784, .to = 784, .at = 0.54f, .length = 1.0f, .decay = 0.5f, .lowpass = 3000,
           .vibrato = 6, .vibratoDepth = 0.015f},
          {.wave = W::Noise, .from = 6000, .to = 2000, .at = 0.54f, .length = 0.4f, .decay = 0.15f, .level = 0.2f}}},
        {"MenuMove.wav", 0.06f, false, -6.0f,
         {{.wave = W::Sine, .from = 900, .to = 900, .length = 0.06f, .decay = 0.02f}}},
        {"MenuSelect.wav", 0.16f, false, -5.0f,
         {{.wave = W::Sine, .from = 700, .to = 700, .length = 0.07f, .decay = 0.04f},
          {.wave = W::Sine, .from = 1050, .to = 1050, .at = 0.06f, .length = 0.1f, .decay = 0.05f}}},
        {"MenuBack.wav", 0.16f, false, -5.0f,
         {{.wave = W::Sine, .from = 1050, .to = 1050, .length = 0.07f, .decay = 0.04f},
          {.wave = W::Sine, .from = 700, .to = 700, .at = 0.06f, .length = 0.1f, .decay = 0.05f}}},
    };
}

} // namespace

const std::vector<SoundRecipe>& SoundRecipes()
{
    static const std::vector<SoundRecipe> recipes = [] {
        std::vector<SoundRecipe> all = WeaponRecipes();
        for (auto part : {ShipRecipes(), CueRecipes()})
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }();
    return recipes;
}
