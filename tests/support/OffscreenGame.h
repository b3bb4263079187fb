#pragma once

#include <functional>
#include <vector>

class Screen;

// The game window opened offscreen on a real Mesa context, 1024 x 768, with
// data/ as the working folder. Once per process; false where there is no
// GL driver at all.
bool OpenOffscreenGame();

struct Pixel {
    unsigned char r, g, b, a;
};

// The frame being drawn, read back once; its pixels are found by screen
// coordinates, origin at the centre and y up.
class Frame {
public:
    Frame();
    Pixel At(int x, int y) const;
    bool Lit(int x, int y) const;
    // What text in the rows [y, y + 16) between x0 and x1 shows: 'g' green,
    // 'w' white, 0 nothing.
    char Band(int y, int x0 = -320, int x1 = 320) const;
    // The leftmost and rightmost lit x of those rows between x0 and x1;
    // false when none is lit.
    bool Extent(int y, int x0, int x1, int& left, int& right) const;

private:
    int width, height;
    std::vector<unsigned char> rgba;
};

// Draws a screen's content, as its Draw does, into a frame that stays open
// for reading; the caller ends it.
void DrawScreenContent(Screen* screen);

// Runs one of the game's loops on this thread while another queues a Left
// key press every 50 ms for up to ten seconds. Each press the loop pumps
// goes to look instead of the game, on the loop's thread, with whether the
// time is up; look returns true once it has made the loop end.
void RunProbed(const std::function<void()>& loop, const std::function<bool(bool timeUp)>& look);
