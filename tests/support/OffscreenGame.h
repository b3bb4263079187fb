#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

class Screen;

// The game window opened offscreen on a real Mesa context, 1024 x 768, with
// data/ as the working folder. Once per process; false where there is no
// GL driver at all.
bool OpenOffscreenGame();

// A test in the offscreen game, skipped only where there is no GL driver.
class OffscreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OpenOffscreenGame())
            GTEST_SKIP() << "no GL driver";
    }
};

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
    // Whether some pixel of the w x h block from (x, y) passes the test,
    // by default whether it is lit.
    bool Any(int x, int y, int w, int h, const std::function<bool(Pixel)>& test = nullptr) const;
    // What text in the rows [y, y + 16) between x0 and x1 shows: 'g' green,
    // 'w' white, 0 nothing.
    char Band(int y, int x0 = -320, int x1 = 320) const;

private:
    int width, height;
    std::vector<unsigned char> rgba;
};

// The frame last presented, read back from the front buffer.
Frame PresentedFrame();

// The inks of a side's tint, of a name without a side, and white.
inline bool RedTint(Pixel p) { return p.r > 200 && p.g > 60 && p.g < 120 && p.b < 110; }
inline bool BlueTint(Pixel p) { return p.b > 200 && p.r > 60 && p.r < 120 && p.g > 140; }
inline bool PlainRed(Pixel p) { return p.r > 200 && p.g < 30 && p.b < 30; }
inline bool White(Pixel p) { return p.r > 200 && p.g > 200 && p.b > 200; }

// Draws a screen's content as its Draw does, without presenting it, and
// reads it back.
Frame DrawScreenContent(Screen* screen);

// Runs one of the game's loops on this thread while another queues a Left
// key press every 50 ms for up to thirty seconds. Each press the loop pumps
// goes to look instead of the game, on the loop's thread, with whether the
// time is up; look returns true once it has made the loop end.
void RunProbed(const std::function<void()>& loop, const std::function<bool(bool timeUp)>& look);
