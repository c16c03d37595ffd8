// Reading effect text: what the shader compiler writes, hand-written effects,
// and the mistakes a reader must report instead of guessing.
#include "fx/EffectText.h"

#include <gtest/gtest.h>

#include <string>

#include "app/LogoScripts.h"
#include "shaderc/ShaderCompiler.h"

namespace {

fx::EffectText Parse(const std::string &text) {
    fx::EffectText e;
    std::string error;
    EXPECT_TRUE(fx::ParseEffect(text, e, error)) << error;
    return e;
}

std::string ParseError(const std::string &text) {
    fx::EffectText e;
    std::string error;
    EXPECT_FALSE(fx::ParseEffect(text, e, error));
    EXPECT_TRUE(e.techniques.empty());
    return error;
}

const fx::StateAssign *FindState(const fx::PassText &pass, int state, int stage = 0) {
    for (const fx::StateAssign &a : pass.states)
        if (a.state == state && a.stage == stage) return &a;
    return nullptr;
}

TEST(EffectText, CompiledLightShaftScriptReadsCompletely) {
    ShaderCompiler c;
    ASSERT_TRUE(c.Compile(kLogoLightShaftScript, kShaderTargetEffect));
    fx::EffectText e = Parse(c.Text());
    ASSERT_EQ(e.params.size(), 6u);
    EXPECT_EQ(e.params[0].name, "tex");
    EXPECT_EQ(e.params[0].kind, fx::kParamTexture);
    EXPECT_EQ(e.params[1].kind, fx::kParamMatrix);
    EXPECT_EQ(e.params[3].kind, fx::kParamVector);
    ASSERT_EQ(e.techniques.size(), 1u);
    EXPECT_EQ(e.techniques[0].name, "T0");
    ASSERT_EQ(e.techniques[0].passes.size(), 2u);
    const fx::PassText &p0 = e.techniques[0].passes[0];
    const fx::PassText &p1 = e.techniques[0].passes[1];
    // Culling differs between the two passes: front faces, then back faces.
    ASSERT_TRUE(FindState(p0, fx::kFxCullMode));
    EXPECT_EQ(FindState(p0, fx::kFxCullMode)->value, 3u);    // Ccw
    EXPECT_EQ(FindState(p1, fx::kFxCullMode)->value, 2u);    // Cw
    EXPECT_EQ(FindState(p0, fx::kFxDestBlend)->value, 2u);   // One
    EXPECT_EQ(FindState(p0, fx::kFxColorOp, 1)->value, 1u);  // Disable
    ASSERT_TRUE(FindState(p0, fx::kFxTexture));
    EXPECT_EQ(FindState(p0, fx::kFxTexture)->param, "tex");
    // Matrices at c0 and c4, literal constants after the parameters.
    ASSERT_GE(p0.vertexConsts.size(), 5u);
    EXPECT_EQ(p0.vertexConsts[0].param, "WORLD");
    EXPECT_EQ(p0.vertexConsts[0].count, 4);
    EXPECT_EQ(p0.vertexConsts[1].first, 4);
    bool sawHalf = false;
    for (const fx::ConstBinding &b : p0.vertexConsts)
        if (b.param.empty() && b.first == 13) sawHalf = b.value[0] == 0.5f && b.value[3] == 0.5f;
    EXPECT_TRUE(sawHalf);
    ASSERT_TRUE(p0.hasVertexShader);
    EXPECT_FALSE(p0.hasPixelShader);
    ASSERT_EQ(p0.decl.size(), 3u);
    EXPECT_EQ(p0.decl[1].reg, 3);
    EXPECT_EQ(p0.decl[1].count, 3);
    EXPECT_EQ(p0.vertexShader.code.front().op, kAsmM4x4);
    EXPECT_EQ(p0.vertexShader.code.back().dest.file, kAsmOTexture);
}

TEST(EffectText, StencilAndRenderTargetBundlesBecomeStates) {
    const char *script = R"([VERTEXFORMAT]
XYZ
[DEFINES]
MATRIX VP;
[TECHNIQUE] any
[PASS0]
[POSITION]
oPos=iPos*4VP;
[RENDER_STATE]
RenderTarget Stencil
Stencil Decrement
Cull Cw
[END]
)";
    ShaderCompiler c;
    ASSERT_TRUE(c.Compile(script, kShaderTargetEffect)) << c.Error();
    fx::EffectText e = Parse(c.Text());
    const fx::PassText &p = e.techniques[0].passes[0];
    ASSERT_TRUE(FindState(p, fx::kFxStencilPass));
    EXPECT_EQ(FindState(p, fx::kFxStencilPass)->value, 8u);  // Decr
    EXPECT_EQ(FindState(p, fx::kFxStencilEnable)->value, 1u);
    EXPECT_EQ(FindState(p, fx::kFxStencilWriteMask)->value, 0xffffffffu);
    EXPECT_EQ(FindState(p, fx::kFxSrcBlend)->value, 1u);   // Zero
    EXPECT_EQ(FindState(p, fx::kFxShadeMode)->value, 1u);  // Flat
    EXPECT_EQ(FindState(p, fx::kFxZWriteEnable)->value, 0u);
}

TEST(EffectText, TechniqueFallsBackWhenPixelShadersAreMissing) {
    const char *text = R"(
TEXTURE t;
DWORD set = 1;
TECHNIQUE Rich {
  PASS P0 {
    Texture[0] = <t>;
    TexCoordIndex[0] = <set>;
    PixelShader = asm { ps.1.4
      texld r0, t0 };
  }
}
TECHNIQUE TwoStages {
  PASS P0 { ColorOp[1] = Add; }
}
TECHNIQUE Dot3 {
  PASS P0 { ColorOp[0] = DotProduct3; }
}
TECHNIQUE Plain {
  PASS P0 { ColorOp[0] = Modulate; ColorOp[1] = Disable; }
})";
    fx::EffectText e = Parse(text);
    ASSERT_EQ(e.techniques.size(), 4u);
    EXPECT_EQ(e.params[1].initial[0], 1.0f);
    fx::FxCaps all;
    all.maxSimultaneousTextures = 8;
    all.dot3 = true;
    all.pixelShaderMajor = 1;
    all.pixelShaderMinor = 4;
    for (const auto &t : e.techniques) EXPECT_TRUE(fx::TechniqueValid(t, all)) << t.name;
    fx::FxCaps weak;  // one texture, no dot3, no pixel shaders
    EXPECT_FALSE(fx::TechniqueValid(e.techniques[0], weak));
    EXPECT_FALSE(fx::TechniqueValid(e.techniques[1], weak));
    EXPECT_FALSE(fx::TechniqueValid(e.techniques[2], weak));
    EXPECT_TRUE(fx::TechniqueValid(e.techniques[3], weak));
    fx::FxCaps ps13 = all;
    ps13.pixelShaderMinor = 3;
    EXPECT_FALSE(fx::TechniqueValid(e.techniques[0], ps13));
}

TEST(EffectText, NamesAndValuesIgnoreCaseButParametersDoNot) {
    fx::EffectText e = Parse(
        "texture T; technique a { pass b { texture[1] = <T>; colorop[1] = MODULATE2X; "
        "srcblend = invdestcolor; zfunc = lessequal; stencilref = 0x10; } }");
    const fx::PassText &p = e.techniques[0].passes[0];
    EXPECT_EQ(FindState(p, fx::kFxColorOp, 1)->value, 5u);
    EXPECT_EQ(FindState(p, fx::kFxSrcBlend)->value, 10u);
    EXPECT_EQ(FindState(p, fx::kFxZFunc)->value, 4u);
    EXPECT_EQ(FindState(p, fx::kFxStencilRef)->value, 16u);
    EXPECT_NE(ParseError("TEXTURE T; TECHNIQUE a { PASS b { Texture[0] = <t>; } }")
                  .find("undeclared parameter 't'"),
              std::string::npos);
}

TEST(EffectText, MistakesAreReportedWithTheirLine) {
    EXPECT_EQ(ParseError("TECHNIQUE a {\n PASS b {\n  Bogus = 1;\n }\n}").rfind("line 3:", 0), 0u);
    EXPECT_NE(ParseError("TECHNIQUE a { PASS b { ZEnable = Maybe; } }").find("bad value"),
              std::string::npos);
    EXPECT_NE(ParseError("TECHNIQUE a { PASS b { ColorOp[8] = Add; } }").find("bad index"),
              std::string::npos);
    EXPECT_NE(ParseError("TECHNIQUE a { PASS b { ColorOp = Add; } }").find("expected '['"),
              std::string::npos);
    // A state must not take a parameter of the wrong kind.
    EXPECT_NE(ParseError("MATRIX m; TECHNIQUE a { PASS b { TexCoordIndex[0] = <m>; } }")
                  .find("does not suit"),
              std::string::npos);
    // Registers beyond the constant file, and a vector spread over four.
    EXPECT_FALSE(ParseError("MATRIX m; TECHNIQUE a { PASS b { VertexShaderConstant4[93] = <m>; "
                            "} }")
                     .empty());
    EXPECT_FALSE(ParseError("VECTOR v; TECHNIQUE a { PASS b { VertexShaderConstant4[0] = <v>; "
                            "} }")
                     .empty());
    EXPECT_FALSE(ParseError("TECHNIQUE a { PASS b { VertexShaderConstant1[0] = { 1, 2, 3, 4, 5 "
                            "}; } }")
                     .empty());
    EXPECT_FALSE(
        ParseError("TECHNIQUE a { PASS b { VertexShaderConstant1[0] = { 1e99 }; } }").empty());
    // Unclosed blocks, missing techniques, shaders of the wrong kind.
    EXPECT_FALSE(ParseError("TECHNIQUE a { PASS b { ZEnable = True;").empty());
    EXPECT_FALSE(ParseError("MATRIX m;").empty());
    EXPECT_FALSE(ParseError("TECHNIQUE a { }").empty());
    EXPECT_FALSE(ParseError("TECHNIQUE a { PASS b { PixelShader = asm { vs.1.1\n mov oPos, v0 }; "
                            "} }")
                     .empty());
    EXPECT_FALSE(ParseError("TECHNIQUE a { PASS b { VertexShader = decl { float v0[3]; float "
                            "v0[2]; } asm { vs.1.1\n mov oPos, v0 }; } }")
                     .empty());
    EXPECT_FALSE(ParseError("TECHNIQUE a { PASS b { VertexShader = decl { float v0[3]; } asm { "
                            "vs.1.1\n mov oPos, v0 ")
                     .empty());
    // Assembly errors keep the assembler's reason.
    EXPECT_NE(ParseError("TECHNIQUE a { PASS b { VertexShader = decl { } asm { vs.1.1\n frob "
                         "r0, v0 }; } }")
                  .find("frob"),
              std::string::npos);
    EXPECT_FALSE(ParseError("DWORD d; DWORD d; TECHNIQUE a { PASS b { } }").empty());
}

TEST(EffectText, EmptyPassAndCommentsAreFine) {
    fx::EffectText e = Parse("// nothing to declare\nTECHNIQUE a { PASS b { } // done\n }");
    ASSERT_EQ(e.techniques.size(), 1u);
    EXPECT_TRUE(e.techniques[0].passes[0].states.empty());
    EXPECT_FALSE(e.techniques[0].passes[0].hasVertexShader);
}

}  // namespace
