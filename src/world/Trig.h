#pragma once

// Sines and cosines of every whole degree, as the game's rules take them:
// the angle is truncated to a whole degree (and folded into 0..359) first.
float SinDegrees(int degrees);
float CosDegrees(int degrees);

// Rotates (x, y) by a whole-degree angle: growing angles turn from +x to +y.
void RotatePoint(float& x, float& y, int degrees);

// The whole degree of a heading: truncated toward zero, folded into 0..359.
int WholeDegrees(float heading);
// The heading brought into [0, 360) by whole turns first, then truncated.
int NormalisedDegrees(float heading);
