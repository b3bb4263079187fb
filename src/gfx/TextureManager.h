#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/Singleton.h"
#include "gfx/CTexture.h"

// Loads each picture once and finds it again by name, for the whole run.
// A picture that cannot be read is cached as an empty texture and never
// read again.
class TextureManager : public Singleton<TextureManager> {
public:

    void SetDirectory(const char* path) { directory = path ? path : ""; }
    // A hit is a scan with no allocation; only a miss builds a path.
    CTexture* GetTexture(const char* name);
    int Count() const { return static_cast<int>(textures.size()); }

private:
    friend class Singleton<TextureManager>;
    TextureManager() = default;

    std::vector<std::unique_ptr<CTexture>> textures;
    std::string directory;
};
