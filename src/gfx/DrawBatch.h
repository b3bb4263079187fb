#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class CTexture;

// How a queued shape is drawn: what a glBegin block would have seen.
struct BatchState {
    GLenum primitive = GL_QUADS; // GL_QUADS or GL_TRIANGLES
    bool textured = false;       // GL_TEXTURE_2D enabled
    GLuint texture = 0;          // the bound picture; 0 when untextured
    GLenum front = GL_FILL;
    GLenum back = GL_LINE;

    bool operator==(const BatchState&) const = default;
};

struct BatchVertex {
    float x, y, z;
    float s, t;
    float r, g, b, a;
};

// Queues shapes and draws them with vertex arrays, one draw call per run of
// shapes in the same state. With blending on, only the order of shapes that
// cover the same pixels matters: a shape joins an earlier group of its state
// only if nothing queued after that group overlaps it, so the picture is the
// one that drawing each shape at once gives. Outside a Begin/End scope every
// shape is drawn at once.
class DrawBatch {
public:
    void Begin() { ++depth; }
    // Draws what is queued once the outermost scope ends.
    void End();
    // Queues the shape. Like the glBegin block it replaces, it leaves the
    // current texture coordinate at its last vertex's when withTexCoords.
    void Add(const BatchState& state, const BatchVertex* vertices, std::size_t count, bool withTexCoords);
    // Draws everything queued, then gives back the GL state that was current.
    void Flush();
    // The state a glBegin(primitive) block would draw with now.
    static BatchState Current(GLenum primitive);
    // The same once the picture, when there is one, is bound.
    static BatchState Current(GLenum primitive, const CTexture* picture);
    std::uint32_t DrawCalls() const { return drawCalls; }

private:
    struct Box {
        float left, bottom, right, top;
        bool Meets(const Box& other) const
        {
            return left <= other.right && other.left <= right && bottom <= other.top && other.bottom <= top;
        }
    };
    struct Group {
        BatchState state;
        // Untextured and of alpha 1 throughout: blending would give back
        // the source colour exactly, so the group draws without it.
        bool opaque = false;
        // Every face turns its front to the viewer by a clear margin, so
        // the mode for back faces never applies.
        bool frontOnly = false;
        Box bounds;
        std::vector<Box> boxes;
        std::vector<BatchVertex> vertices;
    };

    bool Overlaps(const Group& group, const Box& box) const;
    static bool FrontOnly(GLenum primitive, const BatchVertex* vertices, std::size_t count);
    static bool KeepsWinding();
    Group& NewGroup(const BatchState& state, const Box& box);

    std::vector<Group> groups; // the first `used` are queued; the rest keep their storage
    std::size_t used = 0;
    int depth = 0;
    std::uint32_t drawCalls = 0;
};
