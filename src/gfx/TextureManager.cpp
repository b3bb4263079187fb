#include "gfx/TextureManager.h"

#include <GL/gl.h>

#include <cstring>

CTexture* TextureManager::GetTexture(const char* name)
{
    if (!name)
        return nullptr;
    for (const auto& texture : textures) {
        if (texture->Matches(name))
            return texture.get();
    }

    // A downloaded map's picture comes by its own full path.
    const std::string path = name[0] == '/' ? std::string(name) : directory + "\\" + name;
    auto texture = std::make_unique<CTexture>();
    const std::size_t length = std::strlen(name);
    if (length >= 3 && std::strcmp(name + length - 3, "tga") == 0)
        texture->LoadTga(path);
    else
        texture->LoadBmp(path);
    while (glGetError() != GL_NO_ERROR) {
    }
    textures.push_back(std::move(texture));
    return textures.back().get();
}
