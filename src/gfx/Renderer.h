#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/Singleton.h"
#include "gfx/DrawBatch.h"
#include "gfx/GLDisplay.h"

class CTexture;
class GameObject;
class TextureManager;
class World;

namespace platform {
class Window;
}

// The drawing core: brackets every frame, sets the projection, keeps the
// camera on the local ship, draws text and owns the batch that sprites,
// text and panels are queued in.
class Renderer : public Singleton<Renderer> {
public:
    static constexpr float kGlyphWidth = 10.0f;
    static constexpr float kGlyphHeight = 16.0f;
    static constexpr int kTextSize = 1024;
    // The world picture's middle lies right of the screen's, past the radar.
    static constexpr float kWorldMiddleX = 100.0f;

    // Gives the display mode back and ends the drawing context.
    ~Renderer();

    void Init(platform::Window* window);
    void Resize(int width, int height);
    // A picture laid out for width x height, scaled to fit a window of
    // another size and centred in it.
    void Fit(int windowWidth, int windowHeight, int width, int height);
    void BeginFrame();
    void EndFrame();

    CTexture* GetTexture(const char* name);
    void SetWorld(World* newWorld);
    // Drops the world when it ends, so nothing draws a destroyed one.
    void ForgetWorld() { world = nullptr; }
    World* GetWorld() const { return world; }
    int CameraX() const { return cameraX; }
    int CameraY() const { return cameraY; }
    // The camera follows the local ship (the world's first), unless held.
    void UpdateCamera();
    // A watcher's free camera stays on a point of its own until let go.
    void HoldCamera(int x, int y)
    {
        cameraHeld = true;
        heldX = x;
        heldY = y;
    }
    void ReleaseCamera() { cameraHeld = false; }
    bool CameraHeld() const { return cameraHeld; }
    // Draws one object around the camera, through the map's wrap-around;
    // an object more than half a screen away on every image is skipped.
    void DrawObject(GameObject* object);
    // The camera coordinate from which a world coordinate shows within
    // half a screen: camera, camera + size, camera - size, in that order.
    static bool PickCamera(int camera, double position, int size, int half, bool upwards, int& chosen);

    // One line of at most 1023 characters, the first glyph's lower-left
    // corner at (x, y), in the current colour.
    void DrawText(float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));

    // Text drawn between HoldText and DrawHeldText waits, then goes into the
    // batch in its order: names drawn with their ships land over every
    // sprite of the world, not under those drawn after them.
    void HoldText() { holdingText = true; }
    void DrawHeldText();

    // Between BeginBatch and EndBatch shapes are queued and drawn together;
    // drawing that still uses glBegin flushes the batch first.
    void BeginBatch() { batch.Begin(); }
    void EndBatch() { batch.End(); }
    DrawBatch& Batch() { return batch; }
    // Draws what is queued and hands the frame so far to the driver, so that
    // a software rasteriser works on it while the frame goes on.
    void Submit();

    // The console: its input line on the bottom row at (x, y) as ":%s",
    // then a free row, then the log lines upwards, newest first.
    void DrawConsole(float x, float y);

private:
    friend class Singleton<Renderer>;
    Renderer();

    // Whether the character's cell in the font is fully transparent, so
    // that its quad may be left out.
    bool BlankGlyph(const CTexture* font, char c);

    GLDisplay* display;
    TextureManager* textures;
    World* world = nullptr;
    DrawBatch batch;
    std::vector<BatchVertex> glyphs;
    bool holdingText = false;
    // Each held line's state and number of corners, its corners in order.
    std::vector<std::pair<BatchState, std::size_t>> heldLines;
    std::vector<BatchVertex> heldGlyphs;
    // Per character of the font last drawn with: 0 not yet known, 1 its
    // cell is fully transparent, 2 it shows something.
    const CTexture* blankFont = nullptr;
    std::array<std::uint8_t, 256> glyphBlank{};
    int cameraX = 0;
    int cameraY = 0;
    bool cameraHeld = false;
    int heldX = 0;
    int heldY = 0;
};
