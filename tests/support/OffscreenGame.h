#pragma once

// The game window opened offscreen on a real Mesa context, 1024 x 768, with
// data/ as the working folder. Once per process; false where there is no
// GL driver at all.
bool OpenOffscreenGame();

// The RGBA of the pixel at screen coordinates (origin at the centre, y up)
// in the frame being drawn.
struct Pixel {
    unsigned char r, g, b, a;
};
Pixel ReadScreenPixel(int x, int y);

// With QR_SHOT_DIR set, writes the frame being drawn there as name.ppm, for
// a person to look at; otherwise does nothing.
void SaveScreenForReview(const char* name);
