#pragma once

class CTexture;

// Which screen edge a picture's first row (texture t = 0) is drawn at.
enum class FirstRow { Top, Bottom };

// A 32 x 32 picture centred at (x, y) in the current colour; without a
// texture the quad is plain.
void DrawIconQuad(CTexture* texture, float x, float y, FirstRow firstRow);
