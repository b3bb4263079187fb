#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

class Image;

// One OpenGL texture made from a picture file, known by the file's name.
class CTexture {
public:
    CTexture() = default;
    virtual ~CTexture();
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    bool LoadTga(const std::string& path);
    bool LoadBmp(const std::string& path);
    // Uploads an RGBA image; an empty or short image gives an empty texture.
    void CreateFromImage(const Image& image);

    bool Matches(const char* other) const { return other && name == other; }
    void Bind() const { glBindTexture(GL_TEXTURE_2D, id); }
    void Unbind() const { glBindTexture(GL_TEXTURE_2D, 0); }

    const std::string& Name() const { return name; }
    GLuint Id() const { return id; }
    int Width() const { return width; }
    int Height() const { return height; }
    // Whether every texel of columns [x0, x1) and rows [y0, y1), taken
    // round the edges as GL_REPEAT does, has alpha 0: blending such a
    // region changes no pixel. False for an empty texture, which draws plain.
    bool Transparent(int x0, int y0, int x1, int y1) const;

private:
    bool Finish(Image& image, bool loaded, const std::string& path);

    std::string name;
    GLuint id = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> alpha;
};
