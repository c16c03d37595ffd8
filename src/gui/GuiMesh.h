#pragma once
// The mesh of a drawable widget: triangles in main memory with positions,
// normals and texture coordinates, the bounding box used to reject picking
// rays early, and the front depth captions of some widgets sit at. Meshes
// read from .3ds files are cached by file name for the life of the program
// and shared between widgets.

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

struct GuiVertex {
    float position[3];
    float normal[3];
    float uv[2];
};

class GuiMesh {
public:
    std::string name;
    std::vector<GuiVertex> vertices;
    std::vector<uint16_t> indices;  // three per triangle
    float boxMin[3] = {0, 0, 0}, boxMax[3] = {0, 0, 0};
    float frontDepth = 0.5f;  // largest z plus 0.5
    // For the renderer: any cached device copy of this mesh, and a number it
    // can bump to know the copy is stale.
    uint32_t revision = 0;

    int TriangleCount() const { return (int)(indices.size() / 3); }
    // Recomputes the box, the front depth and smooth normals; bumps revision.
    void Finish();

    // Whether the ray origin + t * dir (t >= 0) meets the mesh: the box
    // first, then every triangle (either side). Local coordinates.
    bool Intersects(const float origin[3], const float dir[3]) const;

    // The first keyframer node of a .3ds file (which must be an object node)
    // as a GUI mesh: file (x, y, z) becomes (x, z, -y) and (u, v) becomes
    // (u, 1 - v). Null with "Can't open 3DS file <name> " on standard error
    // when the file cannot be read; null without a message when its first
    // node is not a mesh. Results, failures included, are cached by name.
    static GuiMesh *load(const char *file);
    // The same from file contents held in memory (not cached).
    static bool fromThreeDs(const uint8_t *data, size_t size, GuiMesh *out);

    // Generated shapes, for tools and tests: a w x h panel at z = 0 facing +z (towards the default
    // camera) (texture over the front), and a box of the given size centred on the origin with the
    // texture on its front face.
    static void makePanel(GuiMesh *out, float w, float h);
    static void makeBox(GuiMesh *out, float w, float h, float d);
};

}  // namespace gui
