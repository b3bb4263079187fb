#include "gfx/Renderer.h"

#include <algorithm>

#include <GL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
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

void Renderer::Fit(int windowWidth, int windowHeight, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    const float scale = std::min(static_cast<float>(windowWidth) / static_cast<float>(width),
                                 static_cast<float>(windowHeight) / static_cast<float>(height));
    const int shownWidth = static_cast<int>(static_cast<float>(width) * scale);
    const int shownHeight = static_cast<int>(static_cast<float>(height) * scale);
    display->MakeCurrent();
    glViewport((windowWidth - shownWidth) / 2, (windowHeight - shownHeight) / 2, shownWidth, shownHeight);
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
    batch.Flush();
    display->Swap();
    display->ReleaseCurrent();
}

void Renderer::Submit()
{
    batch.Flush();
    glFlush();
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
    if (cameraHeld) {
        cameraX = heldX;
        cameraY = heldY;
        return;
    }
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
    const BatchState state = DrawBatch::Current(GL_QUADS, font);
    // Drawing the line at once would have bound the font, then unbound it.
    font->Unbind();
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    const auto [r, g, b, a] = colour;
    // Over a blended frame a transparent cell leaves every pixel as it was.
    const bool skipBlank = state.textured && glIsEnabled(GL_BLEND) == GL_TRUE;
    glyphs.clear();
    float penX = x;
    for (const char* c = text; *c; ++c, penX += kGlyphWidth) {
        if (skipBlank && BlankGlyph(font, *c))
            continue;
        const GlyphCell cell = GlyphOf(*c);
        const float s0 = static_cast<float>(cell.column) * kCellWidth;
        const float s1 = s0 + kCellWidth;
        const float t0 = static_cast<float>(cell.row) * kCellHeight;
        const float t1 = t0 + kCellHeight;
        glyphs.push_back({penX, y, 5.0f, s0, t0, r, g, b, a});
        glyphs.push_back({penX + kGlyphWidth, y, 5.0f, s1, t0, r, g, b, a});
        glyphs.push_back({penX + kGlyphWidth, y + kGlyphHeight, 5.0f, s1, t1, r, g, b, a});
        glyphs.push_back({penX, y + kGlyphHeight, 5.0f, s0, t1, r, g, b, a});
    }
    if (holdingText) {
        heldLines.emplace_back(state, glyphs.size());
        heldGlyphs.insert(heldGlyphs.end(), glyphs.begin(), glyphs.end());
    } else {
        batch.Add(state, glyphs.data(), glyphs.size(), false);
    }
    // The current texture coordinate is the last character's, drawn or not.
    if (*text) {
        const GlyphCell last = GlyphOf(text[std::strlen(text) - 1]);
        glTexCoord2f(static_cast<float>(last.column) * kCellWidth,
                     static_cast<float>(last.row) * kCellHeight + kCellHeight);
    }
}

void Renderer::DrawHeldText()
{
    holdingText = false;
    const BatchVertex* corners = heldGlyphs.data();
    for (const auto& [state, count] : heldLines) {
        batch.Add(state, corners, count, false);
        corners += count;
    }
    heldLines.clear();
    heldGlyphs.clear();
}

bool Renderer::BlankGlyph(const CTexture* font, char c)
{
    if (font != blankFont) {
        glyphBlank.fill(0);
        blankFont = font;
    }
    std::uint8_t& known = glyphBlank[static_cast<unsigned char>(c)];
    if (known == 0) {
        // The texels the cell's pixels sample, and one more all round.
        const GlyphCell cell = GlyphOf(c);
        const float w = static_cast<float>(font->Width());
        const float h = static_cast<float>(font->Height());
        const int x0 = static_cast<int>(std::floor(static_cast<float>(cell.column) * kCellWidth * w)) - 1;
        const int x1 = static_cast<int>(std::ceil(static_cast<float>(cell.column + 1) * kCellWidth * w)) + 1;
        const int y0 = static_cast<int>(std::floor(static_cast<float>(cell.row) * kCellHeight * h)) - 1;
        const int y1 = static_cast<int>(std::ceil(static_cast<float>(cell.row + 1) * kCellHeight * h)) + 1;
        known = font->Transparent(x0, y0, x1, y1) ? 1 : 2;
    }
    return known == 1;
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
