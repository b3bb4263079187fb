#pragma once

#include <GL/gl.h>

#include <string>

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

private:
    bool Finish(Image& image, bool loaded, const std::string& path);

    std::string name;
    GLuint id = 0;
    int width = 0;
    int height = 0;
};
