#include "gfx/Drawable.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#include "base/TextCopy.h"
#include "gfx/Renderer.h"

void Drawable::AddTexture(CTexture* texture)
{
    if (texture && std::find(textures.begin(), textures.end(), texture) == textures.end())
        textures.push_back(texture);
}

void Drawable::Acquire(const char* name)
{
    AddTexture(Renderer::Instance()->GetTexture(name));
}

bool Drawable::NoteError()
{
    lastError = glGetError();
    return lastError == GL_NO_ERROR;
}

void Drawable::ErrorText(char* buffer, std::size_t size) const
{
    CopyText(buffer, static_cast<int>(size), reinterpret_cast<const char*>(gluErrorString(lastError)));
}
