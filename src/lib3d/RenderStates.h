#pragma once
// Names for the numeric render-state interface. Scripts (the menu script,
// the shader scripts) send `Engine::SetState(category, value)` with the
// numbers themselves; C++ callers use these names, through the typed
// `Engine::SetState` overloads, so a call says what it does. Each enum's
// values are the numbers of its category.

namespace lib3d {

enum StateCategory {
    CategoryDepth = 1,
    CategoryCulling = 4,
    CategoryStage0 = 5,
    CategoryBlending = 6,
    CategoryTextureCreation = 7,
    CategoryRenderTargets = 8,
    CategoryTarget = 9,
    CategoryLighting = 10,
    CategoryDepthBias = 11,
    CategoryStencilTest = 12,
    CategoryDither = 13,
    CategoryStage1 = 14,
    CategorySpecular = 15,
    CategorySpareSwitch = 16,
    CategorySpareSwitch2 = 17,
    CategoryTransparencyPasses = 18,
    CategorySpareSwitch3 = 19,
    CategorySpareNumber = 20,
    CategoryAlphaTest = 21,
    CategoryVertexShader = 22,
    CategorySpareSwitchPair = 23,
};

// Comparison functions, shared by the depth and alpha-test categories.
enum class StateCompare {
    Less = 256,
    Greater = 257,
    Always = 258,
    LessEqual = 259,
    GreaterEqual = 260,
    Equal = 261,
    NotEqual = 262,
    Never = 263,
};

enum class Depth {
    Off = 0,          // test and write off
    On = 1,           // test and write on
    WriteOff = 17,    // test stays as it was
    TestOn = 264,     // the same as On
    TestOff = 265,    // the same as Off
    LessEqual = 266,  // depth function
};

enum class Culling { None = 0, Clockwise = 4, CounterClockwise = 5 };

enum class Stage0 {
    NoTexture = 0,           // stages 0 and 1 untextured, colour modulated
    TextureTimesColour = 1,  // colour and alpha: texture x vertex colour
    ColourModulate = 6,      // colour only: texture x vertex colour
    ColourAdd = 46,          // colour only: texture + vertex colour
    WrapCoordinates = 47,    // cylindrical wrapping of coordinate sets 0 and 1
    NoWrapCoordinates = 48,
};

enum class Blending {
    Off = 0,
    Alpha = 1,          // SrcAlpha, InvSrcAlpha
    Additive = 18,      // SrcAlpha, One
    Multiply = 49,      // DestColour, Zero
    InverseAlpha = 58,  // InvSrcAlpha, SrcAlpha
};

// Flags copied into each texture when it is created.
enum class TextureCreation {
    Clamp = 8,  // new textures clamp their coordinates
    Wrap = 9,   // new textures repeat
    ToggleSpare = 10,
    DitherOn = 11,
    DitherOff = 12,
    MipmapOn = 15,
    MipmapOff = 16,
};

enum class RenderTargets {
    Off = 0,
    On = 1,             // one target
    ScreenAspect = 36,  // render targets keep the screen's aspect
    SquareAspect = 37,
    // 38..45: on with 1..8 targets (see RenderTargetCount)
};
inline constexpr int RenderTargetCount(int count) {
    return 37 + count;
}

// Category 9: which surface is drawn into, or which buffers a pass writes.
enum class Target {
    BackBuffer = 13,
    Texture0 = 14,
    StencilOnly = 19,           // no colour or depth writes
    ColourAndDepth = 20,        // stencil off
    StencilTested = 21,         // colour with the stencil test, no depth write
    StencilOnlyDepthFail = 34,  // as StencilOnly, depth failures write the reference
    DepthOnly = 35,
    StencilTestedDepth = 57,  // as StencilTested with depth writes
};
inline constexpr int RenderTargetTexture(int index) {
    return 38 + index;
}

enum class Lighting { Off = 0, On = 1 };

enum class StencilTest {
    Increment = 22,
    Decrement = 23,
    SetOne = 24,
    EqualZero = 25,
    EqualOne = 26,
    NotEqualOne = 28,
    NotEqualZero = 29,
    LessEqualOne = 30,
    GreaterEqualOne = 31,
    IncrementClamped = 32,
    DecrementClamped = 33,
    Always = 258,
};

enum class Dither { Off = 0, On = 1 };

enum class Stage1 {
    Off = 0,                // untextured, disabled
    TextureAndCurrent = 1,  // arguments: texture, result of stage 0
    ColourModulate = 6,
    ColourAdd = 46,
};

enum class Specular { Off = 0, On = 1 };

enum class TransparencyPasses {
    Both = 52,  // opaque groups, then blended ones
    Opaque = 53,
    Blended = 54,
};

enum class AlphaTest { On = 264, Off = 265 };

// The category each named state belongs to.
constexpr int CategoryOf(Depth) {
    return CategoryDepth;
}
constexpr int CategoryOf(Culling) {
    return CategoryCulling;
}
constexpr int CategoryOf(Stage0) {
    return CategoryStage0;
}
constexpr int CategoryOf(Blending) {
    return CategoryBlending;
}
constexpr int CategoryOf(TextureCreation) {
    return CategoryTextureCreation;
}
constexpr int CategoryOf(RenderTargets) {
    return CategoryRenderTargets;
}
constexpr int CategoryOf(Target) {
    return CategoryTarget;
}
constexpr int CategoryOf(Lighting) {
    return CategoryLighting;
}
constexpr int CategoryOf(StencilTest) {
    return CategoryStencilTest;
}
constexpr int CategoryOf(Dither) {
    return CategoryDither;
}
constexpr int CategoryOf(Stage1) {
    return CategoryStage1;
}
constexpr int CategoryOf(Specular) {
    return CategorySpecular;
}
constexpr int CategoryOf(TransparencyPasses) {
    return CategoryTransparencyPasses;
}
constexpr int CategoryOf(AlphaTest) {
    return CategoryAlphaTest;
}

}  // namespace lib3d
