#pragma once
// Vocabulary of the device layer: formats, states and records shaped like the
// classic fixed-function device the engine was written against. Values of the
// enums follow that device's numbering so that effect texts and engine code can
// pass them through unchanged. Nothing here includes OpenGL.

#include <cstdint>

namespace device {

enum Format {
    FormatUnknown = 0,
    FormatR5G6B5,
    FormatX1R5G5B5,
    FormatA4R4G4B4,
    FormatX8R8G8B8,
    FormatD16,
    FormatD15S1,
    FormatD24S8,
    FormatD24X8,
    FormatD32,
};

int FormatDepthBits(Format format);
int FormatStencilBits(Format format);
const char *FormatName(Format format);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct Mode {
    int width = 0, height = 0;
};

struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
    float minZ = 0.0f, maxZ = 1.0f;
};

struct Colour {
    float r = 0, g = 0, b = 0, a = 0;
};

struct Material {
    Colour diffuse, ambient, specular, emissive;
    float power = 0;
};

enum LightType { LightPoint = 1, LightSpot = 2, LightDirectional = 3 };

struct Light {
    LightType type = LightPoint;
    Colour diffuse, specular, ambient;
    float position[3] = {0, 0, 0};
    float direction[3] = {0, 0, 1};
    float range = 0;
    float attenuation0 = 1, attenuation1 = 0, attenuation2 = 0;
};

// What the device reports about itself (possibly lowered by the user).
struct Caps {
    int maxTextureWidth = 0;
    int maxSimultaneousTextures = 1;
    bool dot3 = false;  // DOTPRODUCT3 texture operation
    int pixelShaderMajor = 0, pixelShaderMinor = 0;
    int vertexShaderMajor = 0, vertexShaderMinor = 0;
};

enum Compare {
    CmpNever = 1,
    CmpLess,
    CmpEqual,
    CmpLessEqual,
    CmpGreater,
    CmpNotEqual,
    CmpGreaterEqual,
    CmpAlways
};

enum Blend {
    BlendZero = 1,
    BlendOne,
    BlendSrcColour,
    BlendInvSrcColour,
    BlendSrcAlpha,
    BlendInvSrcAlpha,
    BlendDestAlpha,
    BlendInvDestAlpha,
    BlendDestColour,
    BlendInvDestColour
};

// Culling names the screen-space winding (y pointing down) that is removed.
enum Cull { CullNone = 1, CullCW, CullCCW };

enum StencilOp {
    StencilKeep = 1,
    StencilZero,
    StencilReplace,
    StencilIncrSat,
    StencilDecrSat,
    StencilInvert,
    StencilIncr,
    StencilDecr
};

enum Shade { ShadeFlat = 1, ShadeGouraud = 2 };

enum RenderState {
    RsZEnable,
    RsZWriteEnable,
    RsZFunc,
    RsCullMode,
    RsAlphaBlendEnable,
    RsSrcBlend,
    RsDestBlend,
    RsLighting,
    RsAmbient,  // packed 0xAARRGGBB
    RsSpecularEnable,
    RsZBias,
    RsDitherEnable,
    RsAlphaTestEnable,
    RsAlphaRef,
    RsAlphaFunc,
    RsShadeMode,
    RsColourWriteEnable,  // bit 0 red, 1 green, 2 blue, 3 alpha
    RsStencilEnable,
    RsStencilFunc,
    RsStencilRef,
    RsStencilMask,
    RsStencilWriteMask,
    RsStencilFail,
    RsStencilZFail,
    RsStencilPass,
    RsWrap0,  // cylindrical coordinate wrapping; kept, has no effect here
    RsWrap1,
    RsCount
};

enum StageState {
    TssColourOp,
    TssColourArg1,
    TssColourArg2,
    TssAlphaOp,
    TssAlphaArg1,
    TssAlphaArg2,
    TssTexCoordIndex,
    TssAddressU,
    TssAddressV,
    TssMagFilter,
    TssMinFilter,
    TssMipFilter,
    TssCount
};

enum TextureOp {
    TopDisable = 1,
    TopSelectArg1 = 2,
    TopSelectArg2 = 3,
    TopModulate = 4,
    TopModulate2x = 5,
    TopModulate4x = 6,
    TopAdd = 7,
    TopAddSigned = 8,
    TopSubtract = 10,
    TopDotProduct3 = 24
};

enum TextureArg { TaDiffuse = 0, TaCurrent = 1, TaTexture = 2, TaTFactor = 3, TaSpecular = 4 };

enum Address { AddressWrap = 1, AddressMirror = 2, AddressClamp = 3 };

enum Filter { FilterNone = 0, FilterPoint = 1, FilterLinear = 2 };

enum TransformKind { TransformWorld, TransformView, TransformProjection };

enum Primitive {
    PrimPointList = 1,
    PrimLineList,
    PrimLineStrip,
    PrimTriangleList,
    PrimTriangleStrip,
    PrimTriangleFan
};

enum ClearFlags { ClearTarget = 1, ClearZBuffer = 2, ClearStencil = 4 };

enum CooperativeLevel { DeviceOk, DeviceLost, DeviceNotReset };

// Vertex layout bits. Components are stored in this order: position (3 floats,
// or 4 with a reciprocal w for window-pixel vertices), 4 blend weights (floats)
// and 4 blend indices (bytes), normal (3 floats), diffuse colour (0xAARRGGBB),
// specular colour, then the texture coordinate sets (2 floats each).
enum VertexFormatBits : uint32_t {
    FvfXyz = 0x002,
    FvfXyzRhw = 0x004,
    FvfBlend4 = 0x00E,  // position + 4 weights + 4 byte indices (only with FvfXyz set)
    FvfNormal = 0x010,
    FvfDiffuse = 0x040,
    FvfSpecular = 0x080,
    FvfTex1 = 0x100,
    FvfTex2 = 0x200,
    FvfPositionMask = 0x00E,
    FvfTexCountMask = 0xF00,
};

struct VertexLayout {
    int stride = 0;
    int position = 0, positionSize = 0;  // 3 or 4 floats
    int blendWeights = -1, blendIndices = -1;
    int normal = -1, diffuse = -1, specular = -1;
    int texCount = 0;
    int tex[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

// Byte offsets of each component of a vertex format; stride 0 for a format
// without a position.
VertexLayout LayoutOf(uint32_t format);

// 4 x 4 matrices, row-vector convention (translation in the fourth row),
// stored row by row. The engine's Matrix helpers use these too.
void MatrixIdentity(float m[16]);
// out = a * b; out may be a or b.
void MatrixMultiply(const float a[16], const float b[16], float out[16]);

}  // namespace device
