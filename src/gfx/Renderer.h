#pragma once

#include "base/Singleton.h"
#include "gfx/GLDisplay.h"

class CTexture;
class GameObject;
class TextureManager;
class World;

namespace platform {
class Window;
}

// The drawing core: brackets every frame, sets the projection, keeps the
// camera on the local ship and draws text.
class Renderer : public Singleton<Renderer> {
public:
    static constexpr float kGlyphWidth = 10.0f;
    static constexpr float kGlyphHeight = 16.0f;
    static constexpr int kTextSize = 1024;

    // Gives the display mode back and ends the drawing context.
    ~Renderer();

    void Init(platform::Window* window);
    void Resize(int width, int height);
    void BeginFrame();
    void EndFrame();

    CTexture* GetTexture(const char* name);
    void SetWorld(World* newWorld);
    // Drops the world when it ends, so nothing draws a destroyed one.
    void ForgetWorld() { world = nullptr; }
    World* GetWorld() const { return world; }
    int CameraX() const { return cameraX; }
    int CameraY() const { return cameraY; }
    // The camera follows the local ship (the world's first).
    void UpdateCamera();
    // Draws one object around the camera, through the map's wrap-around;
    // an object more than half a screen away on every image is skipped.
    void DrawObject(GameObject* object);
    // The camera coordinate from which a world coordinate shows within
    // half a screen: camera, camera + size, camera - size, in that order.
    static bool PickCamera(int camera, double position, int size, int half, bool upwards, int& chosen);

    // One line of at most 1023 characters, the first glyph's lower-left
    // corner at (x, y), in the current colour.
    void DrawText(float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));

    // The console: its input line on the bottom row at (x, y) as ":%s",
    // then a free row, then the log lines upwards, newest first.
    void DrawConsole(float x, float y);


private:
    friend class Singleton<Renderer>;
    Renderer();

    GLDisplay* display;
    TextureManager* textures;
    World* world = nullptr;
    int cameraX = 0;
    int cameraY = 0;
};
