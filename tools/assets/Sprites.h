#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Every picture the game draws in the world and on its screens, 32 x 32
// RGBA, row 0 on top. Pictures are drawn in the object's own frame: pixel
// (16 + x, 16 + y) is the point (x, y) of the object, whose nose (heading
// 0) points along +y, so on the screen at heading 0 it points down and
// the sprite sits exactly on the collision outline.
struct Sprite {
    std::string file; // below data/Graphics
    std::vector<std::uint8_t> rgba;
};

constexpr int kSpriteSize = 32;

std::vector<Sprite> RenderSprites();
