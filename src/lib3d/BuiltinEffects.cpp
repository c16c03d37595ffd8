#include "lib3d/BuiltinEffects.h"

namespace lib3d {
namespace {

// The two-texture blends differ only in the two colour operations, so their
// text is put together from one template. The one-stage technique draws the
// first texture, then lays the second over the same pixels (depth Equal)
// with a blend that does what stage 1 would have done.
#define FX_BLEND_EFFECT(OP0, OP1, SRC, DST) \
    "TEXTURE tex1;\n"                       \
    "TEXTURE tex2;\n"                       \
    "DWORD coord0 = 0;\n"                   \
    "DWORD coord1 = 1;\n"                   \
    "TECHNIQUE T0\n"                        \
    "{\n"                                   \
    "  PASS P0\n"                           \
    "  {\n"                                 \
    "    Texture[0] = <tex1>;\n"            \
    "    Texture[1] = <tex2>;\n"            \
    "    TexCoordIndex[0] = <coord0>;\n"    \
    "    TexCoordIndex[1] = <coord1>;\n"    \
    "    ColorOp[0] = " OP0                 \
    ";\n"                                   \
    "    ColorArg1[0] = Texture;\n"         \
    "    ColorArg2[0] = Diffuse;\n"         \
    "    AlphaOp[0] = Modulate;\n"          \
    "    AlphaArg1[0] = Texture;\n"         \
    "    AlphaArg2[0] = Diffuse;\n"         \
    "    ColorOp[1] = " OP1                 \
    ";\n"                                   \
    "    ColorArg1[1] = Texture;\n"         \
    "    ColorArg2[1] = Current;\n"         \
    "    AlphaOp[1] = SelectArg2;\n"        \
    "    AlphaArg2[1] = Current;\n"         \
    "    ColorOp[2] = Disable;\n"           \
    "    AlphaOp[2] = Disable;\n"           \
    "  }\n"                                 \
    "}\n"                                   \
    "TECHNIQUE T1\n"                        \
    "{\n"                                   \
    "  PASS P0\n"                           \
    "  {\n"                                 \
    "    Texture[0] = <tex1>;\n"            \
    "    TexCoordIndex[0] = <coord0>;\n"    \
    "    ColorOp[0] = " OP0                 \
    ";\n"                                   \
    "    ColorArg1[0] = Texture;\n"         \
    "    ColorArg2[0] = Diffuse;\n"         \
    "    AlphaOp[0] = Modulate;\n"          \
    "    AlphaArg1[0] = Texture;\n"         \
    "    AlphaArg2[0] = Diffuse;\n"         \
    "    ColorOp[1] = Disable;\n"           \
    "    AlphaOp[1] = Disable;\n"           \
    "  }\n"                                 \
    "  PASS P1\n"                           \
    "  {\n"                                 \
    "    Texture[0] = <tex2>;\n"            \
    "    TexCoordIndex[0] = <coord1>;\n"    \
    "    ColorOp[0] = SelectArg1;\n"        \
    "    ColorArg1[0] = Texture;\n"         \
    "    AlphaOp[0] = SelectArg1;\n"        \
    "    AlphaArg1[0] = Texture;\n"         \
    "    ColorOp[1] = Disable;\n"           \
    "    AlphaOp[1] = Disable;\n"           \
    "    AlphaBlendEnable = True;\n"        \
    "    SrcBlend = " SRC                   \
    ";\n"                                   \
    "    DestBlend = " DST                  \
    ";\n"                                   \
    "    ZFunc = Equal;\n"                  \
    "    ZWriteEnable = False;\n"           \
    "  }\n"                                 \
    "}\n"

const char kBlendMM[] = FX_BLEND_EFFECT("Modulate", "Modulate", "DestColor", "Zero");
const char kBlendMA[] = FX_BLEND_EFFECT("Modulate", "Add", "One", "One");
const char kBlendAM[] = FX_BLEND_EFFECT("Add", "Modulate", "DestColor", "Zero");
const char kBlendAA[] = FX_BLEND_EFFECT("Add", "Add", "One", "One");

#undef FX_BLEND_EFFECT

// Registers of the environment-map programs: c0 matWorld, c4 matViewProj,
// c8 matLight, c12 vecLight, c13 posCamera, c14 (0.5, 0.5, 0, 1), c15 zero,
// c16 the one-light ambient, c17 vecLight2, c18 ambient.
#define FX_ENVIRONMENT_DECLARATIONS        \
    "TEXTURE texMap;\n"                    \
    "TEXTURE texEnvMap;\n"                 \
    "MATRIX matWorld;\n"                   \
    "MATRIX matViewProj;\n"                \
    "MATRIX matLight;\n"                   \
    "VECTOR vecLight = { 0, -1, 0, 0 };\n" \
    "VECTOR posCamera;\n"

#define FX_ENVIRONMENT_CONSTANTS                            \
    "    VertexShaderConstant4[0] = <matWorld>;\n"          \
    "    VertexShaderConstant4[4] = <matViewProj>;\n"       \
    "    VertexShaderConstant4[8] = <matLight>;\n"          \
    "    VertexShaderConstant1[12] = <vecLight>;\n"         \
    "    VertexShaderConstant1[13] = <posCamera>;\n"        \
    "    VertexShaderConstant1[14] = { 0.5, 0.5, 0, 1 };\n" \
    "    VertexShaderConstant1[15] = { 0, 0, 0, 0 };\n"     \
    "    VertexShaderConstant1[16] = { 0.25, 0.25, 0.25, 1 };\n"

// Reflected eye vector into oT0, the texture's coordinates into oT1; r1 is
// left holding the unit world normal for the lighting that follows.
#define FX_ENVIRONMENT_CODE           \
    "    vs.1.1\n"                    \
    "    m4x4 r0, v0, c0\n"           \
    "    m3x3 r1.xyz, v3, c0\n"       \
    "    dp3 r1.w, r1, r1\n"          \
    "    rsq r1.w, r1.w\n"            \
    "    mul r1.xyz, r1, r1.w\n"      \
    "    m4x4 oPos, r0, c4\n"         \
    "    sub r2, r0, c13\n"           \
    "    dp3 r2.w, r2, r2\n"          \
    "    rsq r2.w, r2.w\n"            \
    "    mul r2.xyz, r2, r2.w\n"      \
    "    dp3 r3.x, r1, r2\n"          \
    "    add r3.x, r3.x, r3.x\n"      \
    "    mad r4.xyz, r1, -r3.x, r2\n" \
    "    m3x3 r5.xyz, r4, c8\n"       \
    "    mad oT0.xy, r5, c14, c14\n"  \
    "    mov oT1, v7\n"

#define FX_ENVIRONMENT_STAGES         \
    "    Texture[0] = <texEnvMap>;\n" \
    "    Texture[1] = <texMap>;\n"    \
    "    ColorOp[0] = Modulate;\n"    \
    "    ColorArg1[0] = Texture;\n"   \
    "    ColorArg2[0] = Diffuse;\n"   \
    "    AlphaOp[0] = SelectArg2;\n"  \
    "    AlphaArg2[0] = Diffuse;\n"   \
    "    ColorOp[1] = Add;\n"         \
    "    ColorArg1[1] = Texture;\n"   \
    "    ColorArg2[1] = Current;\n"   \
    "    AlphaOp[1] = SelectArg2;\n"  \
    "    AlphaArg2[1] = Current;\n"   \
    "    ColorOp[2] = Disable;\n"     \
    "    AlphaOp[2] = Disable;\n"     \
    "    AddressU[0] = Clamp;\n"      \
    "    AddressV[0] = Clamp;\n"

// The single-stage fallback: the lit environment first, then the texture
// added over the same pixels.
#define FX_ENVIRONMENT_FALLBACK(LIGHTING)                                  \
    "TECHNIQUE T1\n"                                                       \
    "{\n"                                                                  \
    "  PASS P0\n"                                                          \
    "  {\n"                                                                \
    "    Texture[0] = <texEnvMap>;\n"                                      \
    "    ColorOp[0] = Modulate;\n"                                         \
    "    ColorArg1[0] = Texture;\n"                                        \
    "    ColorArg2[0] = Diffuse;\n"                                        \
    "    AlphaOp[0] = SelectArg2;\n"                                       \
    "    AlphaArg2[0] = Diffuse;\n"                                        \
    "    ColorOp[1] = Disable;\n"                                          \
    "    AlphaOp[1] = Disable;\n"                                          \
    "    AddressU[0] = Clamp;\n"                                           \
    "    AddressV[0] = Clamp;\n" FX_ENVIRONMENT_CONSTANTS                  \
    "    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }\n" \
    "    asm {\n" FX_ENVIRONMENT_CODE LIGHTING                             \
    "    };\n"                                                             \
    "  }\n"                                                                \
    "  PASS P1\n"                                                          \
    "  {\n"                                                                \
    "    Texture[0] = <texMap>;\n"                                         \
    "    TexCoordIndex[0] = 1;\n"                                          \
    "    ColorOp[0] = SelectArg1;\n"                                       \
    "    ColorArg1[0] = Texture;\n"                                        \
    "    AlphaOp[0] = SelectArg1;\n"                                       \
    "    AlphaArg1[0] = Texture;\n"                                        \
    "    ColorOp[1] = Disable;\n"                                          \
    "    AlphaOp[1] = Disable;\n"                                          \
    "    AlphaBlendEnable = True;\n"                                       \
    "    SrcBlend = One;\n"                                                \
    "    DestBlend = One;\n"                                               \
    "    ZFunc = Equal;\n"                                                 \
    "    ZWriteEnable = False;\n" FX_ENVIRONMENT_CONSTANTS                 \
    "    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }\n" \
    "    asm {\n" FX_ENVIRONMENT_CODE                                      \
    "    mov oD0, c14.w\n    };\n"                                         \
    "  }\n"                                                                \
    "}\n"

#define FX_ONE_LIGHT              \
    "    dp3 r6.x, r1, -c12\n"    \
    "    max r6.x, r6.x, c15.x\n" \
    "    add oD0, r6.x, c16\n"

#define FX_TWO_LIGHTS            \
    "    dp3 r6.x, r1, -c12\n"   \
    "    dp3 r6.y, r1, -c17\n"   \
    "    max r6.xy, r6, c15\n"   \
    "    add r6.x, r6.x, r6.y\n" \
    "    add oD0, r6.x, c18\n"

const char kEnvironmentOne[] = FX_ENVIRONMENT_DECLARATIONS
    "TECHNIQUE T0\n"
    "{\n"
    "  PASS P0\n"
    "  {\n" FX_ENVIRONMENT_STAGES FX_ENVIRONMENT_CONSTANTS
    "    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }\n"
    "    asm {\n" FX_ENVIRONMENT_CODE FX_ONE_LIGHT
    "    };\n"
    "  }\n"
    "}\n" FX_ENVIRONMENT_FALLBACK(FX_ONE_LIGHT);

#define FX_TWO_LIGHT_CONSTANTS                       \
    "    VertexShaderConstant1[17] = <vecLight2>;\n" \
    "    VertexShaderConstant1[18] = <ambient>;\n"

const char kEnvironmentTwo[] = FX_ENVIRONMENT_DECLARATIONS
    "VECTOR vecLight2 = { 0, 0, 1, 0 };\n"
    "VECTOR ambient = { 0.2, 0.2, 0.2, 1 };\n"
    "TECHNIQUE T0\n"
    "{\n"
    "  PASS P0\n"
    "  {\n" FX_ENVIRONMENT_STAGES FX_ENVIRONMENT_CONSTANTS FX_TWO_LIGHT_CONSTANTS
    "    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }\n"
    "    asm {\n" FX_ENVIRONMENT_CODE FX_TWO_LIGHTS
    "    };\n"
    "  }\n"
    "}\n"
    // The fallback's first pass needs the second light's registers too.
    "TECHNIQUE T1\n"
    "{\n"
    "  PASS P0\n"
    "  {\n"
    "    Texture[0] = <texEnvMap>;\n"
    "    ColorOp[0] = Modulate;\n"
    "    ColorArg1[0] = Texture;\n"
    "    ColorArg2[0] = Diffuse;\n"
    "    AlphaOp[0] = SelectArg2;\n"
    "    AlphaArg2[0] = Diffuse;\n"
    "    ColorOp[1] = Disable;\n"
    "    AlphaOp[1] = Disable;\n"
    "    AddressU[0] = Clamp;\n"
    "    AddressV[0] = Clamp;\n" FX_ENVIRONMENT_CONSTANTS FX_TWO_LIGHT_CONSTANTS
    "    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }\n"
    "    asm {\n" FX_ENVIRONMENT_CODE FX_TWO_LIGHTS
    "    };\n"
    "  }\n"
    "  PASS P1\n"
    "  {\n"
    "    Texture[0] = <texMap>;\n"
    "    TexCoordIndex[0] = 1;\n"
    "    ColorOp[0] = SelectArg1;\n"
    "    ColorArg1[0] = Texture;\n"
    "    AlphaOp[0] = SelectArg1;\n"
    "    AlphaArg1[0] = Texture;\n"
    "    ColorOp[1] = Disable;\n"
    "    AlphaOp[1] = Disable;\n"
    "    AlphaBlendEnable = True;\n"
    "    SrcBlend = One;\n"
    "    DestBlend = One;\n"
    "    ZFunc = Equal;\n"
    "    ZWriteEnable = False;\n" FX_ENVIRONMENT_CONSTANTS
    "    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }\n"
    "    asm {\n" FX_ENVIRONMENT_CODE
    "    mov oD0, c14.w\n    };\n"
    "  }\n"
    "}\n";

// Light map: positions through matWorld and matViewProj, the base texture's
// coordinates (set 0) on stages 0 and 2, the light map's (set 1) on stage 1.
#define FX_LIGHTMAP_PROGRAM                                                \
    "    VertexShaderConstant4[0] = <matWorld>;\n"                         \
    "    VertexShaderConstant4[4] = <matViewProj>;\n"                      \
    "    VertexShaderConstant1[8] = { 1, 1, 1, 1 };\n"                     \
    "    VertexShader = decl { float v0[3]; float v7[2]; float v8[2]; }\n" \
    "    asm {\n"                                                          \
    "    vs.1.1\n"                                                         \
    "    m4x4 r0, v0, c0\n"                                                \
    "    m4x4 oPos, r0, c4\n"                                              \
    "    mov oD0, c8\n"                                                    \
    "    mov oT0, v7\n"                                                    \
    "    mov oT1, v8\n"                                                    \
    "    mov oT2, v7\n"                                                    \
    "    };\n"

const char kLightMap[] =
    "TEXTURE tex;\n"
    "TEXTURE lightmap;\n"
    "TEXTURE vectors;\n"
    "DWORD bump = 1;\n"
    "DWORD transparent = 0;\n"
    "MATRIX matWorld;\n"
    "MATRIX matViewProj;\n"
    "TECHNIQUE T0\n"
    "{\n"
    "  PASS P0\n"
    "  {\n"
    "    Texture[0] = <tex>;\n"
    "    Texture[1] = <lightmap>;\n"
    "    Texture[2] = <vectors>;\n"
    "    ColorOp[0] = Modulate;\n"
    "    ColorArg1[0] = Texture;\n"
    "    ColorArg2[0] = Diffuse;\n"
    "    AlphaOp[0] = SelectArg1;\n"
    "    AlphaArg1[0] = Texture;\n"
    "    ColorOp[1] = Modulate;\n"
    "    ColorArg1[1] = Texture;\n"
    "    ColorArg2[1] = Current;\n"
    "    AlphaOp[1] = SelectArg2;\n"
    "    AlphaArg2[1] = Current;\n"
    "    ColorOp[2] = <bump>;\n"
    "    ColorArg1[2] = Texture;\n"
    "    ColorArg2[2] = Current;\n"
    "    AlphaOp[2] = Disable;\n"
    "    ColorOp[3] = Disable;\n"
    "    AlphaBlendEnable = <transparent>;\n"
    "    SrcBlend = SrcAlpha;\n"
    "    DestBlend = InvSrcAlpha;\n" FX_LIGHTMAP_PROGRAM
    "  }\n"
    "}\n"
    "TECHNIQUE T1\n"
    "{\n"
    "  PASS P0\n"
    "  {\n"
    "    Texture[0] = <tex>;\n"
    "    ColorOp[0] = Modulate;\n"
    "    ColorArg1[0] = Texture;\n"
    "    ColorArg2[0] = Diffuse;\n"
    "    AlphaOp[0] = SelectArg1;\n"
    "    AlphaArg1[0] = Texture;\n"
    "    ColorOp[1] = Disable;\n"
    "    AlphaOp[1] = Disable;\n"
    "    AlphaBlendEnable = <transparent>;\n"
    "    SrcBlend = SrcAlpha;\n"
    "    DestBlend = InvSrcAlpha;\n" FX_LIGHTMAP_PROGRAM
    "  }\n"
    "  PASS P1\n"
    "  {\n"
    "    Texture[0] = <lightmap>;\n"
    "    TexCoordIndex[0] = 1;\n"
    "    ColorOp[0] = SelectArg1;\n"
    "    ColorArg1[0] = Texture;\n"
    "    AlphaOp[0] = SelectArg1;\n"
    "    AlphaArg1[0] = Texture;\n"
    "    ColorOp[1] = Disable;\n"
    "    AlphaOp[1] = Disable;\n"
    "    AlphaBlendEnable = True;\n"
    "    SrcBlend = DestColor;\n"
    "    DestBlend = Zero;\n"
    "    ZFunc = Equal;\n"
    "    ZWriteEnable = False;\n" FX_LIGHTMAP_PROGRAM
    "  }\n"
    "}\n";

// Three point lights: each adds colour x strength / distance (c11..c13 hold
// colour and strength, c8..c10 the positions); the pixel shader adds the sum
// to the light map and multiplies the base texture by it.
const char kThreeLights[] =
    "TEXTURE tex;\n"
    "TEXTURE lightmap;\n"
    "MATRIX matWorld;\n"
    "MATRIX matViewProj;\n"
    "VECTOR vecLight1;\n"
    "VECTOR vecLight2;\n"
    "VECTOR vecLight3;\n"
    "VECTOR vecVar1;\n"
    "VECTOR vecVar2;\n"
    "VECTOR vecVar3;\n"
    "TECHNIQUE T0\n"
    "{\n"
    "  PASS P0\n"
    "  {\n"
    "    Texture[0] = <tex>;\n"
    "    Texture[1] = <lightmap>;\n"
    "    AlphaBlendEnable = False;\n"
    "    VertexShaderConstant4[0] = <matWorld>;\n"
    "    VertexShaderConstant4[4] = <matViewProj>;\n"
    "    VertexShaderConstant1[8] = <vecLight1>;\n"
    "    VertexShaderConstant1[9] = <vecLight2>;\n"
    "    VertexShaderConstant1[10] = <vecLight3>;\n"
    "    VertexShaderConstant1[11] = <vecVar1>;\n"
    "    VertexShaderConstant1[12] = <vecVar2>;\n"
    "    VertexShaderConstant1[13] = <vecVar3>;\n"
    "    VertexShaderConstant1[15] = { 1, 1, 1, 1 };\n"
    "    VertexShader = decl { float v0[3]; float v7[2]; float v8[2]; }\n"
    "    asm {\n"
    "    vs.1.1\n"
    "    m4x4 r0, v0, c0\n"
    "    m4x4 oPos, r0, c4\n"
    "    sub r1, r0, c8\n"
    "    dp3 r1.w, r1, r1\n"
    "    rsq r1.w, r1.w\n"
    "    mul r1.w, r1.w, c11.w\n"
    "    mul r2, c11, r1.w\n"
    "    sub r1, r0, c9\n"
    "    dp3 r1.w, r1, r1\n"
    "    rsq r1.w, r1.w\n"
    "    mul r1.w, r1.w, c12.w\n"
    "    mad r2, c12, r1.w, r2\n"
    "    sub r1, r0, c10\n"
    "    dp3 r1.w, r1, r1\n"
    "    rsq r1.w, r1.w\n"
    "    mul r1.w, r1.w, c13.w\n"
    "    mad r2, c13, r1.w, r2\n"
    "    min oD0, r2, c15\n"
    "    mov oD0.w, c15.w\n"
    "    mov oT0, v7\n"
    "    mov oT1, v8\n"
    "    };\n"
    "    PixelShader = asm {\n"
    "    ps.1.4\n"
    "    texld r0, t0\n"
    "    texld r1, t1\n"
    "    add_sat r1, r1, v0\n"
    "    mul r0, r0, r1\n"
    "    };\n"
    "  }\n"
    "}\n";

// Shadow volume: c0 matWorld, c4 matViewProj, c8 Light, c9 Len, c10 zero,
// c11 a small step. The two passes run the same program and differ in the
// faces they keep and in what they do to the stencil. Every vertex also moves
// a small step away from the light, so that the faces turned to it lie just
// inside the object instead of on its surface, where rounding would count
// some of its own lit pixels as shadowed.
#define FX_SHADOW_PASS(NAME, CULL, OP)                        \
    "  PASS " NAME                                            \
    "\n"                                                      \
    "  {\n"                                                   \
    "    CullMode = " CULL                                    \
    ";\n"                                                     \
    "    AlphaBlendEnable = True;\n"                          \
    "    SrcBlend = Zero;\n"                                  \
    "    DestBlend = One;\n"                                  \
    "    ZWriteEnable = False;\n"                             \
    "    ShadeMode = Flat;\n"                                 \
    "    StencilEnable = True;\n"                             \
    "    StencilFunc = Always;\n"                             \
    "    StencilRef = 1;\n"                                   \
    "    StencilMask = 0xffffffff;\n"                         \
    "    StencilWriteMask = 0xffffffff;\n"                    \
    "    StencilFail = Keep;\n"                               \
    "    StencilZFail = Keep;\n"                              \
    "    StencilPass = " OP                                   \
    ";\n"                                                     \
    "    VertexShaderConstant4[0] = <matWorld>;\n"            \
    "    VertexShaderConstant4[4] = <matViewProj>;\n"         \
    "    VertexShaderConstant1[8] = <Light>;\n"               \
    "    VertexShaderConstant1[9] = <Len>;\n"                 \
    "    VertexShaderConstant1[10] = { 0, 0, 0, 0 };\n"       \
    "    VertexShader = decl { float v0[3]; float v3[3]; }\n" \
    "    asm {\n"                                             \
    "    vs.1.0\n"                                            \
    "    m4x4 r0, v0, c0\n"                                   \
    "    m3x3 r1.xyz, v3, c0\n"                               \
    "    sub r2, r0, c8\n"                                    \
    "    dp3 r3.w, r2, r2\n"                                  \
    "    rsq r3.w, r3.w\n"                                    \
    "    mul r2.xyz, r2, r3.w\n"                              \
    "    dp3 r4, r2, r1\n"                                    \
    "    sge r4, r4, c10\n"                                   \
    "    mul r5.xyz, r2, c9\n"                                \
    "    mad r0.xyz, r5, r4, r0\n"                            \
    "    m4x4 oPos, r0, c4\n"                                 \
    "    };\n"                                                \
    "  }\n"

const char kShadowVolume[] =
    "MATRIX matWorld;\n"
    "MATRIX matViewProj;\n"
    "VECTOR Light;\n"
    "VECTOR Len;\n"
    "TECHNIQUE T0\n"
    "{\n" FX_SHADOW_PASS("P0", "Cw", "Incr") FX_SHADOW_PASS("P1", "Ccw", "Decr") "}\n";

const char *const kTexts[kBuiltinEffectCount] = {
    kBlendMM,        kBlendMA,  kBlendAM,     kBlendAA,      kEnvironmentOne,
    kEnvironmentTwo, kLightMap, kThreeLights, kShadowVolume,
};

const char *const kNames[kBuiltinEffectCount] = {
    "blend modulate/modulate", "blend modulate/add",          "blend add/modulate", "blend add/add",
    "environment map",         "environment map, two lights", "light map",          "three lights",
    "shadow volume",
};

}  // namespace

const char *BuiltinEffectText(int effect) {
    return effect >= 0 && effect < kBuiltinEffectCount ? kTexts[effect] : nullptr;
}

const char *BuiltinEffectName(int effect) {
    return effect >= 0 && effect < kBuiltinEffectCount ? kNames[effect] : "";
}

}  // namespace lib3d
