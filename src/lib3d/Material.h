// A material of a scene: colours, texture slot and the depth, culling and
// lighting choices a mesh's draw applies. Meshes of one scene that name the
// same material share one Material and so one texture slot.
#pragma once

#include <string>

namespace lib3d {

class Engine;

// Depth modes of a material.
enum DepthMode { kDepthNone = 0, kDepthTestWrite = 1, kDepthTestOnly = 3 };

struct Material {
    std::string name;
    int texture = -1;  // texture slot, -1 for none
    int cullMode = 5;  // culling value of the engine's category 4; 5 counter-clockwise
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {0, 0, 0, 1};
    int depthMode = kDepthTestWrite;
    bool lit = true;
    bool twoSided = false;  // drawn without culling
    // How the engine's effects draw meshes of this material. blendKind: 0
    // opaque, 1 blended SrcAlpha/InvSrcAlpha, 2 blended SrcAlpha/One, 4 and 6
    // the two-texture blend of the textures bound on stages 0 and 1.
    int blendKind = 0;
    // Environment map: its texture slot (-1: none); flag 0x800 lights it with
    // two lights instead of one.
    int environment = -1;
    uint32_t flags = 0;
    // Light map: its texture slot (-1: none), on coordinate set 1.
    int lightMap = -1;
};

enum { kMaterialTwoLights = 0x800 };

// Reads a picture file into a new texture slot of `engine`, as wide as the
// picture: 24-bit pictures without alpha, 32-bit ones with it, other depths
// converted to 32-bit first. New textures wrap. Returns the slot, or -1 with
// "Texture not found : <path>" on standard error when the file cannot be read.
int LoadMaterialTexture(Engine &engine, const char *path);

}  // namespace lib3d
