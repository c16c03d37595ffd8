// The drawing paths of a mesh that go through the engine's built-in effects:
// stencil shadow volumes, two-texture blends, environment maps and light
// maps. Each draws the given triangles of an indexed triangle list with the
// current world, view and projection, and returns false when its effect
// cannot be created on this device (the mesh's draw is then abandoned for
// the frame).
#pragma once

#include "device/Device.h"

namespace lib3d {

class Engine;

struct DrawRange {
    const device::VertexBuffer *vertices = nullptr;
    const device::IndexBuffer *indices = nullptr;
    int firstIndex = 0;
    int triangles = 0;
};

// A run of triangles drawn with one material, and how it is blended:
// 0 opaque, 1 SrcAlpha/InvSrcAlpha, 2 SrcAlpha/One.
struct MaterialGroup {
    int firstIndex = 0;
    int triangles = 0;
    int blendKind = 0;
};

// Draws the groups the engine's transparency setting asks for (category 18:
// opaque groups only, blended groups only, or both with the opaque ones
// first), each with `draw`. A blended group is drawn with its blending
// switched on; the blend states the caller had come back afterwards, and
// opaque groups are drawn with them.
template <typename DrawFn>
void DrawMaterialGroups(Engine &engine, const MaterialGroup *groups, int count, DrawFn draw);
bool GroupWanted(const Engine &engine, int blendKind, bool opaquePhase);

// The device's blend states, kept across a blended group.
struct SavedBlend {
    uint32_t enable = 0, src = 0, dest = 0;
};
SavedBlend SetGroupBlend(Engine &engine, int blendKind);
void RestoreBlend(Engine &engine, const SavedBlend &saved);

// The texture of a slot (negative: a render target), null when there is none.
device::Texture *SlotTexture(Engine &engine, int slot);

// Faces turned away from the light at `light` (world space) are pushed away
// from it by `length`; the stencil counts the volume (back faces add one,
// front faces take one away) and neither colour nor depth is written. Needs
// normals in the vertices. Without a stencil buffer nothing is drawn.
bool DrawShadowVolume(Engine &engine, const DrawRange &range, const float light[3], float length);

// Two textures combined by stage operations: op0 for texture 0 with the
// diffuse colour, op1 for texture 1 with that result (each 0 Modulate,
// 1 Add). coord0/coord1 choose their coordinate sets.
bool DrawTwoTextureBlend(Engine &engine, const DrawRange &range, int op0, int op1, int slot0,
                         int slot1, int coord0, int coord1);

struct EnvironmentSetup {
    int textureSlot = -1;         // added on top (coordinate set 0)
    int environmentSlot = -1;     // looked up by the reflected eye vector
    float light[3] = {0, -1, 0};  // direction the light shines
    float light2[3] = {0, 0, 1};  // second light, for the two-light variant
    float ambient[3] = {0.2f, 0.2f, 0.2f};
    float camera[3] = {0, 0, 0};  // eye position, world space
    float orientation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

bool DrawEnvironmentMap(Engine &engine, const DrawRange &range, bool twoLights,
                        const EnvironmentSetup &setup);

struct LightMapSetup {
    int textureSlot = -1;   // coordinate set 0
    int lightMapSlot = -1;  // coordinate set 1
    bool transparent = false;
    // Three point lights: positions and colour (xyz) with strength (w). Used
    // when `threeLights` is set and the device runs pixel shaders.
    bool threeLights = false;
    float lights[3][3] = {};
    float colours[3][4] = {};
};

bool DrawLightMap(Engine &engine, const DrawRange &range, const LightMapSetup &setup);

template <typename DrawFn>
void DrawMaterialGroups(Engine &engine, const MaterialGroup *groups, int count, DrawFn draw) {
    for (int phase = 0; phase < 2; phase++) {
        const bool opaquePhase = phase == 0;
        for (int i = 0; i < count; i++) {
            if (!GroupWanted(engine, groups[i].blendKind, opaquePhase)) continue;
            if (opaquePhase) {
                draw(groups[i]);
                continue;
            }
            const SavedBlend saved = SetGroupBlend(engine, groups[i].blendKind);
            draw(groups[i]);
            RestoreBlend(engine, saved);
        }
    }
}

}  // namespace lib3d
