#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CTexture;

// The base of everything drawn: world entities, screens and overlays. It
// keeps the set of textures the object uses (owned by the TextureManager)
// and the last OpenGL error of LoadTextures. The class itself needs no GL,
// so the entity rules link without it.
class Drawable {
public:
    virtual ~Drawable() = default;

    virtual bool LoadTextures() { return true; }
    virtual bool Draw(int /*cameraX*/, int /*cameraY*/) { return true; }

    void AddTexture(CTexture* texture);
    bool HasTextures() const { return !textures.empty(); }
    void ClearTextures() { textures.clear(); }
    CTexture* Texture(std::size_t i) const { return i < textures.size() ? textures[i] : nullptr; }
    std::size_t TextureCount() const { return textures.size(); }
    void ErrorText(char* buffer, std::size_t size) const;

protected:
    // Acquires a picture by name into the set.
    void Acquire(const char* name);
    // Stores the pending OpenGL error; true when there was none.
    bool NoteError();

    std::uint32_t lastError = 0;

private:
    std::vector<CTexture*> textures;
};
