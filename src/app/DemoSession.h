#pragma once

class DemoReader;

// Plays a recorded game with the game's own frames until ESC or F9 (or
// the window closes): SPACE pauses, + and - change the speed, Left and
// Right go 10 s back and on, Home to the start, Tab and Shift+Tab follow
// the next ship and the one before.
void RunDemoLoop(const DemoReader& demo);
