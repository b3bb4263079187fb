#include "gfx/CTexture.h"

#include <GL/glu.h>

#include "gfx/BmpImage.h"
#include "gfx/TgaImage.h"
#include "platform/MessageBox.h"

CTexture::~CTexture()
{
    if (id)
        glDeleteTextures(1, &id);
}

bool CTexture::LoadTga(const std::string& path)
{
    TgaImage image;
    const bool loaded = image.LoadFromFile(path.c_str());
    return Finish(image, loaded, path);
}

bool CTexture::LoadBmp(const std::string& path)
{
    BmpImage image;
    const bool loaded = image.LoadFromFile(path.c_str());
    if (image.IsCompressed())
        image.Decompress();
    return Finish(image, loaded, path);
}

bool CTexture::Finish(Image& image, bool loaded, const std::string& path)
{
    image.ConvertTo(kOrderRGBA);
    CreateFromImage(image);
    const std::size_t slash = path.rfind('\\');
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    return loaded;
}

void CTexture::CreateFromImage(const Image& image)
{
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);

    // Upload reads four bytes a pixel: anything less is uploaded as empty.
    const std::size_t needed = static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()) * 4;
    const bool usable = image.Order() == kOrderRGBA && needed > 0 && image.Pixels().size() >= needed;
    width = usable ? image.Width() : 0;
    height = usable ? image.Height() : 0;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 usable ? image.Pixels().data() : nullptr);
    alpha.clear();
    for (std::size_t i = 0; usable && i < needed; i += 4)
        alpha.push_back(image.Pixels()[i + 3]);
    if (const GLenum error = glGetError(); error != GL_NO_ERROR)
        platform::ShowMessageBox(reinterpret_cast<const char*>(gluErrorString(error)), "OpenGL Error (CTexture)",
                                 platform::MessageIcon::Exclamation);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

bool CTexture::Transparent(int x0, int y0, int x1, int y1) const
{
    if (width <= 0 || height <= 0)
        return false;
    for (int y = y0; y < y1; ++y) {
        const int row = ((y % height) + height) % height;
        for (int x = x0; x < x1; ++x) {
            const int column = ((x % width) + width) % width;
            if (alpha[static_cast<std::size_t>(row * width + column)] != 0)
                return false;
        }
    }
    return true;
}
