#pragma once

#include "world/Vector3.h"

// Sines and cosines of every whole degree, as the game's rules take them:
// the angle is truncated to a whole degree (and folded into 0..359) first.
float SinDegrees(int degrees);
float CosDegrees(int degrees);

// Rotates (x, y) by a whole-degree angle: growing angles turn from +x to +y.
void RotatePoint(float& x, float& y, int degrees);

// The unit direction a heading points along, (-sin, cos) of its whole
// degree from the tables: heading 0 down the screen, growing clockwise.
Vector3 HeadingDirection(float heading);
// The heading in [0, 360) that points along (dx, dy).
float HeadingAlong(double dx, double dy);
// The signed turn from one heading to another, in (-180, 180].
float TurnBetween(float from, float to);

// The whole degree of a heading: truncated toward zero, folded into 0..359.
int WholeDegrees(float heading);
// The heading brought into [0, 360) by whole turns first, then truncated.
int NormalisedDegrees(float heading);
