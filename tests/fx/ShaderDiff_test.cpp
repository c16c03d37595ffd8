// The GLSL translation against the CPU executor: compiled shader scripts are
// drawn as points through OpenGL, and the colour each point leaves must match
// what the executor computes for the same inputs and constants.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/LogoScripts.h"
#include "device/Gl.h"
#include "device/ShaderProgram.h"
#include "fx/EffectText.h"
#include "fx/Glsl.h"
#include "fx/ShaderExec.h"
#include "shaderc/ShaderCompiler.h"

namespace {

const int kW = 256, kH = 256;

bool g_video = false;

class ShaderDiff : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return;
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        g_video = SDL_SetVideoMode(kW, kH, 24, SDL_OPENGL) != nullptr;
    }
    // SDL is left open until the program ends: closing the display while the
    // driver keeps its own caches makes it report them as leaks.
    void SetUp() override { ASSERT_TRUE(g_video) << SDL_GetError(); }
};

// The first pass of the technique a script compiles to on a device that has
// everything.
fx::PassText CompilePass(const char *script) {
    ShaderCompiler compiler;
    EXPECT_TRUE(compiler.Compile(script, kShaderTargetEffect | kShaderCapMultitexture |
                                             kShaderCapDot3 | kShaderCapPixelShader14))
        << compiler.Error();
    fx::EffectText effect;
    std::string error;
    EXPECT_TRUE(fx::ParseEffect(compiler.Text(), effect, error)) << error;
    if (effect.techniques.empty()) return fx::PassText();
    return effect.techniques[0].passes[0];
}

// Makes `output` (a vertex output register) observable as the point's colour:
// whatever the program wrote there goes to r11 instead, and r11 is mapped
// from [-1, 1] to [0, 1] into oD0 by constants c94 (scale) and c95 (offset).
AsmProgram Observe(const AsmProgram &program, uint8_t file, int index) {
    AsmProgram p = program;
    std::vector<AsmInstr> code;
    for (AsmInstr in : p.code) {
        if (in.dest.file == kAsmOColor && in.dest.index == 0 && !(file == kAsmOColor && index == 0))
            continue;  // the colour is the observation channel now
        if (in.dest.file == file && in.dest.index == index) {
            in.dest.file = kAsmTemp;
            in.dest.index = 11;
        }
        code.push_back(in);
    }
    AsmInstr mad;
    mad.op = kAsmMad;
    mad.sources = 3;
    mad.dest.file = kAsmOColor;
    mad.src[0].file = kAsmTemp;
    mad.src[0].index = 11;
    mad.src[1].file = kAsmConst;
    mad.src[1].index = 94;
    mad.src[2].file = kAsmConst;
    mad.src[2].index = 95;
    code.push_back(mad);
    p.code = code;
    return p;
}

struct Texel {
    float rgba[4];
};

// 2x2 textures sampled with nearest filtering and wrap; the executor reads
// them the same way. A coordinate too near a texel border is ambiguous.
struct Textures {
    Texel texels[4][4];  // stage, texel (row * 2 + column)
    bool ambiguous = false;
};

void Sample(void *user, int stage, const float coord[4], float rgba[4]) {
    Textures *t = static_cast<Textures *>(user);
    if (stage < 0 || stage >= 4) {
        rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
        return;
    }
    int cell[2];
    for (int k = 0; k < 2; k++) {
        float u = coord[k] * 2.0f;
        float frac = u - std::floor(u);
        if (frac < 0.05f || frac > 0.95f || !std::isfinite(u)) t->ambiguous = true;
        int i = (int)std::floor(u);
        cell[k] = ((i % 2) + 2) % 2;
    }
    std::memcpy(rgba, t->texels[stage][cell[1] * 2 + cell[0]].rgba, sizeof(float) * 4);
}

struct Case {
    const char *script;
    // Vertex inputs: register, then 4 floats per vertex.
    std::vector<std::vector<float>> vertices;  // each: v0 v3 v5 v7 v8 (4 floats each)
    std::vector<std::pair<int, std::vector<float>>> constants;  // first register, values
    uint8_t observeFile = kAsmOColor;
    int observeIndex = 0;
    bool pixel = false;  // compare the pixel shader's colour
};

const int kInputs[5] = {0, 3, 5, 7, 8};

float Clamp01(float v) {
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

// Draws the case and compares every vertex whose point lands clear of the
// others; returns the number of vertices compared.
int RunCase(const Case &c) {
    fx::PassText pass = CompilePass(c.script);
    if (!pass.hasVertexShader) {
        ADD_FAILURE() << "no vertex shader";
        return 0;
    }
    AsmProgram vertex = pass.vertexShader;
    if (!c.pixel) vertex = Observe(vertex, c.observeFile, c.observeIndex);

    // Constants: the literal ones of the effect, then the case's own.
    AsmMachine base;
    for (const fx::ConstBinding &b : pass.vertexConsts)
        if (b.param.empty()) std::memcpy(base.c[b.first], b.value, sizeof(b.value));
    for (const auto &k : c.constants)
        for (size_t i = 0; i < k.second.size() / 4; i++)
            std::memcpy(base.c[k.first + i], &k.second[i * 4], 4 * sizeof(float));
    for (int k = 0; k < 4; k++) {
        base.c[94][k] = c.pixel ? 1.0f : 0.5f;
        base.c[95][k] = c.pixel ? 0.0f : 0.5f;
    }

    Textures textures;
    for (int s = 0; s < 4; s++)
        for (int t = 0; t < 4; t++)
            for (int k = 0; k < 4; k++)
                textures.texels[s][t].rgba[k] = (float)((s * 53 + t * 97 + k * 31) % 255) / 255;

    std::string log;
    auto program = device::ShaderProgram::Create(
        fx::GlslVertexShader(vertex), c.pixel ? fx::GlslPixelShader(pass.pixelShader) : "", &log);
    if (!program) {
        ADD_FAILURE() << "GLSL rejected: " << log << "\n" << fx::GlslVertexShader(vertex);
        return 0;
    }
    program->SetVertexConstants(0, &base.c[0][0], 96);
    program->SetFlipY(false);

    GLuint names[4];
    glGenTextures(4, names);
    for (int s = 0; s < 4; s++) {
        unsigned char bytes[16];
        for (int t = 0; t < 4; t++)
            for (int k = 0; k < 4; k++)
                bytes[t * 4 + k] =
                    (unsigned char)std::lround(textures.texels[s][t].rgba[k] * 255.0f);
        // Texel values as the texture stores them, so that both sides agree.
        for (int t = 0; t < 4; t++)
            for (int k = 0; k < 4; k++) textures.texels[s][t].rgba[k] = bytes[t * 4 + k] / 255.0f;
        glActiveTexture(GL_TEXTURE0 + s);
        glBindTexture(GL_TEXTURE_2D, names[s]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    glActiveTexture(GL_TEXTURE0);

    // The executor's view of every vertex.
    struct Expected {
        float x, y;
        float rgba[4];
        bool usable;
    };
    std::vector<Expected> expected;
    for (const auto &vtx : c.vertices) {
        AsmMachine m = base;
        for (int i = 0; i < 5; i++) std::memcpy(m.v[kInputs[i]], &vtx[i * 4], 4 * sizeof(float));
        EXPECT_TRUE(AsmExecute(vertex, m));
        Expected e;
        e.usable = m.oPos[3] > 0.01f;
        e.x = (m.oPos[0] / m.oPos[3] + 1) * 0.5f * kW;
        e.y = (m.oPos[1] / m.oPos[3] + 1) * 0.5f * kH;
        const float z = m.oPos[2] / m.oPos[3];
        e.usable = e.usable && e.x > 2 && e.x < kW - 2 && e.y > 2 && e.y < kH - 2 && z > 0 && z < 1;
        if (c.pixel) {
            AsmMachine p;
            for (int k = 0; k < 4; k++) {
                p.v[0][k] = Clamp01(m.oD[0][k]);
                p.v[1][k] = Clamp01(m.oD[1][k]);
            }
            std::memcpy(p.t, m.oT, sizeof(p.t));
            textures.ambiguous = false;
            p.sampler = Sample;
            p.samplerUser = &textures;
            EXPECT_TRUE(AsmExecute(pass.pixelShader, p));
            std::memcpy(e.rgba, p.r[0], sizeof(e.rgba));
            e.usable = e.usable && !textures.ambiguous;
        } else {
            std::memcpy(e.rgba, m.oD[0], sizeof(e.rgba));
        }
        for (float &v : e.rgba) v = Clamp01(v);
        expected.push_back(e);
    }
    for (size_t i = 0; i < expected.size(); i++)
        for (size_t j = 0; j < expected.size(); j++)
            if (i != j && std::fabs(expected[i].x - expected[j].x) < 5 &&
                std::fabs(expected[i].y - expected[j].y) < 5)
                expected[i].usable = false;

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glViewport(0, 0, kW, kH);
    glClearColor(1.0f, 0.0f, 1.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPointSize(3.0f);
    EXPECT_TRUE(program->Use());
    glBegin(GL_POINTS);
    for (const auto &vtx : c.vertices) {
        for (int i = 4; i >= 0; i--)  // v0 last: it emits the vertex
            glVertexAttrib4fv(kInputs[i], &vtx[i * 4]);
    }
    glEnd();
    device::ShaderProgram::UseNone();
    glFinish();

    int compared = 0;
    for (size_t i = 0; i < expected.size(); i++) {
        const Expected &e = expected[i];
        if (!e.usable) continue;
        unsigned char px[4];
        glReadPixels((int)e.x, (int)e.y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        for (int k = 0; k < 3; k++)
            EXPECT_NEAR(px[k] / 255.0f, e.rgba[k], 3.0f / 255)
                << "vertex " << i << " channel " << k;
        compared++;
    }
    glDeleteTextures(4, names);
    return compared;
}

// Vertices spread over the screen with varied normals, colours and texture
// coordinates; positions are in [-0.8, 0.8] so that an identity-like
// projection keeps them visible.
std::vector<std::vector<float>> Grid(int n) {
    std::vector<std::vector<float>> out;
    for (int i = 0; i < n; i++) {
        const float a = (float)(i % 7) / 6.0f, b = (float)(i / 7) / 6.0f;
        const float nx = std::sin(i * 1.3f), ny = std::cos(i * 0.7f), nz = std::sin(i * 0.31f);
        const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
        out.push_back({-0.8f + 1.6f * a,
                       -0.8f + 1.6f * b,
                       0.3f + 0.2f * a,
                       1,  // v0
                       nx / len,
                       ny / len,
                       nz / len,
                       0,  // v3
                       a,
                       b,
                       1 - a,
                       0.5f,  // v5
                       0.13f + 0.5f * a,
                       0.62f - 0.37f * b,
                       0,
                       1,  // v7
                       0.38f + 0.2f * b,
                       0.1f + 0.33f * a,
                       0,
                       1});  // v8
    }
    return out;
}

const std::vector<float> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A world matrix (rotation about y, transposed for the registers) and an
// identity view-projection.
std::vector<float> Transposed(const std::vector<float> &m) {
    std::vector<float> t(16);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) t[c * 4 + r] = m[r * 4 + c];
    return t;
}

std::vector<float> RotationY(float a) {
    return {std::cos(a), 0, -std::sin(a), 0, 0, 1, 0, 0,
            std::sin(a), 0, std::cos(a),  0, 0, 0, 0, 1};
}

TEST_F(ShaderDiff, SphereMappingScriptGivesTheExecutorsCoordinates) {
    Case c;
    c.script = kLogoEnvironmentScript;
    c.vertices = Grid(35);
    // Small rotation keeps the points on screen; mapping follows the normal.
    std::vector<float> world = Transposed(RotationY(0.1f));
    c.constants = {{0, world}, {4, kIdentity}};
    c.observeFile = kAsmOTexture;
    EXPECT_GE(RunCase(c), 25);
    c.observeFile = kAsmOColor;  // the constant white colour
    EXPECT_GE(RunCase(c), 25);
}

TEST_F(ShaderDiff, LightShaftScriptPushesAwayFacingVertices) {
    Case c;
    c.script = kLogoLightShaftScript;
    c.vertices = Grid(35);
    // c8 longueur (a short push, so points stay visible), c9 Light.
    c.constants = {{0, kIdentity},
                   {4, kIdentity},
                   {8, {0.05f, 0.05f, 0.05f, 0}},
                   {9, {0.2f, -0.1f, -1.0f, 1}}};
    EXPECT_GE(RunCase(c), 25);
}

const char kTrigScript[] = R"([VERTEXFORMAT]
XYZ NORMAL DIFFUSE TEX0
[DEFINES]
MATRIX VIEWPROJ;
VECTOR k;
CONST half=0.5,0.5,0.5,0.5;
[TECHNIQUE] any
[PASS0]
[POSITION]
oPos=iPos*4VIEWPROJ;
[DIFFUSE]
s=sin(iNorm.x*k.x);
t=cos(iNorm.y*k.y);
u=atan(iNorm.z*half.x);
oDiffuse.x=s.x;
oDiffuse.y=t.x;
oDiffuse.z=u.x;
oDiffuse.w=half.x;
[MAPPING0]
oTexture0=normalise(iNorm+k);
[END]
)";

TEST_F(ShaderDiff, SineCosineArctangentAndNormalise) {
    Case c;
    c.script = kTrigScript;
    c.vertices = Grid(35);
    c.constants = {{0, kIdentity}, {4, {2.5f, 3.0f, 0.3f, 0.0f}}};
    EXPECT_GE(RunCase(c), 25);
    c.observeFile = kAsmOTexture;
    EXPECT_GE(RunCase(c), 25);
}

const char kAddressScript[] = R"([VERTEXFORMAT]
XYZ NORMAL DIFFUSE TEX0
[DEFINES]
MATRIX VIEWPROJ;
VECTOR pal[4];
CONST three=3.0,3.0,3.0,3.0;
[TECHNIQUE] any
[PASS0]
[POSITION]
oPos=iPos*4VIEWPROJ;
[DIFFUSE]
Address=iTexture0.x*three;
a=pal[Address+0];
b=iDiffuse;
if(a>b){c=a;d=b;}else{c=b;}
oDiffuse=c-d;
[END]
)";

TEST_F(ShaderDiff, RelativeAddressingAndConditionals) {
    Case c;
    c.script = kAddressScript;
    c.vertices = Grid(35);
    c.constants = {{0, kIdentity},
                   {4,
                    {0.9f, 0.1f, 0.5f, 0.3f, 0.2f, 0.8f, 0.4f, 0.6f, 0.5f, 0.5f, 0.9f, 0.1f, 0.0f,
                     1.0f, 0.2f, 0.7f}}};
    EXPECT_GE(RunCase(c), 25);
}

const char kPixelScript[] = R"([VERTEXFORMAT]
XYZ NORMAL DIFFUSE TEX0 TEX1
[DEFINES]
MATRIX VIEWPROJ;
TEXTURE a;
TEXTURE b;
[TECHNIQUE] shaders SHADERS
[PASS0]
[POSITION]
oPos=iPos*4VIEWPROJ;
[DIFFUSE]
oDiffuse=iDiffuse;
[MAPPING0]
oTexture0=iTexture0;
[MAPPING1]
oTexture1=iTexture1;
[SHADER]
t0=sample(Tex0);
t1=coord(Tex1);
phase;
t2=sample(Tex1);
t3=dotbx2(t2,Diffuse);
Out=lerp(t1,t0,t3);
[END]
)";

TEST_F(ShaderDiff, PixelShaderWithPhaseLerpAndDotbx2) {
    Case c;
    c.script = kPixelScript;
    c.vertices = Grid(35);
    c.constants = {{0, kIdentity}};
    c.pixel = true;
    EXPECT_GE(RunCase(c), 12);
}

const char kPixelScript2[] = R"([VERTEXFORMAT]
XYZ NORMAL DIFFUSE TEX0 TEX1
[DEFINES]
MATRIX VIEWPROJ;
TEXTURE a;
TEXTURE b;
[TECHNIQUE] shaders SHADERS
[PASS0]
[POSITION]
oPos=iPos*4VIEWPROJ;
[DIFFUSE]
oDiffuse=iDiffuse;
[MAPPING0]
oTexture0=iTexture0;
[MAPPING1]
oTexture1=iTexture1;
[SHADER]
t0=sample(Tex0);
t1=sample(Tex1);
t2=mul_x2(t0,t1);
t3=dot_sat(t2,Diffuse);
Out=lerp_sat(Diffuse,t2,t3);
[END]
)";

TEST_F(ShaderDiff, PixelShaderSaturationAndScaling) {
    Case c;
    c.script = kPixelScript2;
    c.vertices = Grid(35);
    c.constants = {{0, kIdentity}};
    c.pixel = true;
    EXPECT_GE(RunCase(c), 12);
}

}  // namespace
