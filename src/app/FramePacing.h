#pragma once

#include <cstdint>

// Frames a second at most. A display that holds swaps to its refresh never
// gets near it; without that (Xvfb, some drivers, vertical sync off) the
// loops would draw as fast as the processor goes, for nobody. Motion stays
// smooth: every frame moves the world by its own measured time.
constexpr std::uint32_t kMostFramesPerSecond = 125;

// Called once a frame by every loop: waits until the frame has lasted its
// share of a second since the last call.
void PaceFrame();
