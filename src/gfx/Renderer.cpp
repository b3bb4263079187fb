#include "gfx/Renderer.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <memory>

#include "base/Console.h"
#include "gfx/CTexture.h"
#include "gfx/Glyphs.h"
#include "gfx/TextureManager.h"
#include "world/Map.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {
constexpr float kCellWidth = 0.01953125f; // 5/256 of the font picture
constexpr float kCellHeight = 0.125f;
} // namespace

Renderer::Renderer() : display(GLDisplay::Instance()), textures(TextureManager::Instance())
{
    textures->SetDirectory("Graphics");
}

void Renderer::Init(platform::Window* window)
{
    display->Attach(window);
    display->CreateContext();
    display->MakeCurrent();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    display->ReleaseCurrent();
}

void Renderer::Resize(int width, int height)
{
    display->MakeCurrent();
    glViewport(0, 0, width, height);
    display->SetProjection(static_cast<float>(width), static_cast<float>(height));
    display->ReleaseCurrent();
}

void Renderer::BeginFrame()
{
    display->MakeCurrent();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Renderer::EndFrame()
{
    display->Swap();
    display->ReleaseCurrent();
}

CTexture* Renderer::GetTexture(const char* name)
{
    return textures->GetTexture(name);
}

void Renderer::SetWorld(World* newWorld)
{
    if (newWorld)
        world = newWorld;
}

void Renderer::UpdateCamera()
{
    Ship* local = world ? world->FirstShip() : nullptr;
    if (!local)
        return;
    cameraX = static_cast<int>(local->Position().x);
    cameraY = static_cast<int>(local->Position().y);
}

bool Renderer::PickCamera(int camera, double position, int size, int half, bool upwards, int& chosen)
{
    for (int candidate : {camera, camera + size, camera - size}) {
        const double offset = upwards ? -(position - candidate) : position - candidate;
        if (offset >= -half && offset <= half) {
            chosen = candidate;
            return true;
        }
    }
    return false;
}

void Renderer::DrawObject(GameObject* object)
{
    if (!object)
        return;
    Map* map = world ? world->GetMap() : nullptr;
    const int worldWidth = map ? map->WorldWidth() : 0;
    const int worldHeight = map ? map->WorldHeight() : 0;
    int chosenX = 0;
    int chosenY = 0;
    if (!PickCamera(cameraX, object->Position().x, worldWidth, display->Width() / 2, false, chosenX) ||
        !PickCamera(cameraY, object->Position().y, worldHeight, display->Height() / 2, true, chosenY))
        return;
    object->LoadTextures();
    object->Draw(chosenX, chosenY);
}

Renderer::~Renderer()
{
    display->RestoreDefaultMode();
    GLDisplay::Destroy();
}

void Renderer::DrawText(float x, float y, const char* format, ...)
{
    char text[kTextSize] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    CTexture* font = GetTexture("Font2.tga");
    if (!font)
        return;
    font->Bind();
    float penX = x;
    glBegin(GL_QUADS);
    for (const char* c = text; *c; ++c, penX += kGlyphWidth) {
        const GlyphCell cell = GlyphOf(*c);
        const float s0 = static_cast<float>(cell.column) * kCellWidth;
        const float s1 = s0 + kCellWidth;
        const float t0 = static_cast<float>(cell.row) * kCellHeight;
        const float t1 = t0 + kCellHeight;
        glTexCoord2f(s0, t0);
        glVertex3f(penX, y, 5.0f);
        glTexCoord2f(s1, t0);
        glVertex3f(penX + kGlyphWidth, y, 5.0f);
        glTexCoord2f(s1, t1);
        glVertex3f(penX + kGlyphWidth, y + kGlyphHeight, 5.0f);
        glTexCoord2f(s0, t1);
        glVertex3f(penX, y + kGlyphHeight, 5.0f);
    }
    glEnd();
    font->Unbind();
}

void Renderer::DrawConsole(float x, float y)
{
    constexpr float kRowHeight = 16.0f;
    Console* console = Console::Instance();
    console->Rewind();
    float row = 0.0f;
    char line[Console::kLineSize];
    if (console->GetInputLine(line, sizeof line))
        DrawText(x, y + row * kRowHeight, ":%s", line);
    row += 2.0f;
    while (console->ReadNextLine(line, sizeof line)) {
        DrawText(x, y + row * kRowHeight, "%s", line);
        row += 1.0f;
    }
}
