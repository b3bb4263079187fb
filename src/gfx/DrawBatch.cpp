#include "gfx/DrawBatch.h"

#include <algorithm>

#include "gfx/CTexture.h"

namespace {
// Lines of outlined faces reach half a pixel past their corners.
constexpr float kMargin = 1.0f;
// Twice the least area, in square units, of a face taken as surely front
// facing: far beyond any rounding of the driver's own transform.
constexpr float kLeastCross = 1.0f;

bool Turns(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) > kLeastCross;
}
} // namespace

// Counter-clockwise faces are front faces. A quad counts only if it is
// convex, so that any split into two triangles turns the same way.
bool DrawBatch::FrontOnly(GLenum primitive, const BatchVertex* v, std::size_t count)
{
    const std::size_t corners = primitive == GL_QUADS ? 4 : 3;
    for (std::size_t i = 0; i + corners <= count; i += corners) {
        if (!Turns(v[i], v[i + 1], v[i + 2]))
            return false;
        if (corners == 4 && !(Turns(v[i], v[i + 2], v[i + 3]) && Turns(v[i], v[i + 1], v[i + 3]) &&
                              Turns(v[i + 1], v[i + 2], v[i + 3])))
            return false;
    }
    return true;
}

// Whether counter-clockwise in the batch's coordinates is front facing on
// the screen: the front face is the default and the transform no mirror.
bool DrawBatch::KeepsWinding()
{
    GLint frontFace = GL_CCW;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    GLfloat p[16] = {}, m[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // The upper-left 2 x 2 of projection times modelview, column-major.
    const float a = p[0] * m[0] + p[4] * m[1], b = p[0] * m[4] + p[4] * m[5];
    const float c = p[1] * m[0] + p[5] * m[1], d = p[1] * m[4] + p[5] * m[5];
    const bool flat = p[3] == 0.0f && p[7] == 0.0f && m[3] == 0.0f && m[7] == 0.0f;
    return frontFace == GL_CCW && flat && a * d - b * c > 0.0f;
}

void DrawBatch::End()
{
    if (depth > 0 && --depth == 0)
        Flush();
}

BatchState DrawBatch::Current(GLenum primitive)
{
    BatchState state;
    state.primitive = primitive;
    state.textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    if (state.textured) {
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        state.texture = static_cast<GLuint>(bound);
    }
    GLint modes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    state.front = static_cast<GLenum>(modes[0]);
    state.back = static_cast<GLenum>(modes[1]);
    return state;
}

BatchState DrawBatch::Current(GLenum primitive, const CTexture* picture)
{
    BatchState state = Current(primitive);
    if (picture && state.textured)
        state.texture = picture->Id();
    return state;
}

bool DrawBatch::Overlaps(const Group& group, const Box& box) const
{
    if (!group.bounds.Meets(box))
        return false;
    return std::any_of(group.boxes.begin(), group.boxes.end(), [&](const Box& b) { return b.Meets(box); });
}

DrawBatch::Group& DrawBatch::NewGroup(const BatchState& state, const Box& box)
{
    if (used == groups.size())
        groups.emplace_back();
    Group& group = groups[used++];
    group.state = state;
    group.opaque = true;
    group.frontOnly = true;
    group.bounds = box;
    group.boxes.clear();
    group.vertices.clear();
    return group;
}

void DrawBatch::Add(const BatchState& given, const BatchVertex* vertices, std::size_t count, bool withTexCoords)
{
    if (count == 0)
        return;
    BatchState state = given;
    if (!state.textured)
        state.texture = 0;
    Box box{vertices[0].x, vertices[0].y, vertices[0].x, vertices[0].y};
    for (std::size_t i = 1; i < count; ++i) {
        box.left = std::min(box.left, vertices[i].x);
        box.right = std::max(box.right, vertices[i].x);
        box.bottom = std::min(box.bottom, vertices[i].y);
        box.top = std::max(box.top, vertices[i].y);
    }
    box = {box.left - kMargin, box.bottom - kMargin, box.right + kMargin, box.top + kMargin};

    Group* target = nullptr;
    for (std::size_t i = used; i-- > 0;) {
        if (groups[i].state == state) {
            target = &groups[i];
            break;
        }
        if (Overlaps(groups[i], box))
            break;
    }
    if (target) {
        target->bounds = {std::min(target->bounds.left, box.left), std::min(target->bounds.bottom, box.bottom),
                          std::max(target->bounds.right, box.right), std::max(target->bounds.top, box.top)};
    } else {
        target = &NewGroup(state, box);
    }
    target->frontOnly = target->frontOnly && FrontOnly(state.primitive, vertices, count);
    target->opaque = target->opaque && !state.textured &&
                     std::all_of(vertices, vertices + count, [](const BatchVertex& v) { return v.a == 1.0f; });
    target->boxes.push_back(box);
    target->vertices.insert(target->vertices.end(), vertices, vertices + count);

    if (withTexCoords)
        glTexCoord2f(vertices[count - 1].s, vertices[count - 1].t);
    if (depth == 0)
        Flush();
}

void DrawBatch::Flush()
{
    if (used == 0)
        return;
    const bool wasTextured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLint modes[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    GLfloat texCoord[4] = {};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    const bool blending = glIsEnabled(GL_BLEND) == GL_TRUE;
    // With no back faces both modes may match, which spares the driver its
    // slower path for polygons drawn in two modes.
    const bool keepsWinding = KeepsWinding();

    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    for (std::size_t i = 0; i < used; ++i) {
        const Group& group = groups[i];
        const BatchState& state = group.state;
        if (state.textured)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, state.texture);
        glPolygonMode(GL_FRONT, state.front);
        glPolygonMode(GL_BACK, keepsWinding && group.frontOnly ? state.front : state.back);
        const BatchVertex* first = group.vertices.data();
        glVertexPointer(3, GL_FLOAT, sizeof(BatchVertex), &first->x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(BatchVertex), &first->s);
        glColorPointer(4, GL_FLOAT, sizeof(BatchVertex), &first->r);
        if (blending && group.opaque)
            glDisable(GL_BLEND);
        glDrawArrays(state.primitive, 0, static_cast<GLsizei>(group.vertices.size()));
        if (blending && group.opaque)
            glEnable(GL_BLEND);
        ++drawCalls;
    }
    glPopClientAttrib();
    used = 0;

    if (wasTextured)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glPolygonMode(GL_FRONT, static_cast<GLenum>(modes[0]));
    glPolygonMode(GL_BACK, static_cast<GLenum>(modes[1]));
    glColor4fv(colour);
    glTexCoord4fv(texCoord);
}
