// The effects built into the engine, as effect text. They are created on
// first use and live as long as the engine.
#pragma once

namespace lib3d {

enum BuiltinEffect {
    // Two textures on stages 0 and 1, combined with the stage-0 operation
    // (texture with the diffuse colour) then the stage-1 one (second texture
    // with the result). Parameters tex1, tex2 and their coordinate sets
    // coord0, coord1. T0 uses both stages; T1 draws the second texture in a
    // blended second pass, for single-texture devices.
    kEffectBlendModulateModulate,
    kEffectBlendModulateAdd,
    kEffectBlendAddModulate,
    kEffectBlendAddAdd,
    // Environment map by the reflected eye vector, modulated by a computed
    // diffuse term, plus the object's own texture. Parameters texMap,
    // texEnvMap, matWorld, matViewProj, matLight (orients the environment),
    // vecLight (direction the light shines), posCamera; the two-light one also
    // vecLight2 and ambient.
    kEffectEnvironmentOneLight,
    kEffectEnvironmentTwoLights,
    // Base texture (set 0) times a light map (set 1). Parameters tex,
    // lightmap, vectors (a normal map), bump (the stage-2 operation used with
    // vectors: Disable by default, DotProduct3 for bumps), transparent
    // (1: blended by the texture's alpha), matWorld, matViewProj.
    kEffectLightMap,
    // The light map lit by three point lights as well: vecLight1..3 are
    // their positions, vecVar1..3 their colours (xyz) and strengths (w),
    // each fading with the inverse of the distance. Needs pixel shaders.
    kEffectThreeLights,
    // Stencil shadow volume: faces turned away from Light are pushed away
    // from it by Len; back faces add one to the stencil, front faces take
    // one away, and nothing else is written. Parameters matWorld,
    // matViewProj, Light, Len.
    kEffectShadowVolume,
    kBuiltinEffectCount
};

// The effect text of a built-in effect; null outside the list.
const char *BuiltinEffectText(int effect);
const char *BuiltinEffectName(int effect);

}  // namespace lib3d
