// Properties of the GLSL text that matter to the runtime; the arithmetic is
// checked against the executor in ShaderDiff_test on a real context.
#include "fx/Glsl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

AsmProgram Assemble(const char *text) {
    AsmProgram p;
    std::string error;
    EXPECT_TRUE(AsmParse(text, p, error)) << error;
    return p;
}

bool Has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

TEST(Glsl, VertexInputsAndStagesAreFoundFromTheCode) {
    AsmProgram vs = Assemble("vs.1.1\nm4x4 oPos, v0, c0\nmov oT0, v7\nmad oD0, v3, c4, v5\n");
    EXPECT_EQ(fx::GlslInputsRead(vs), (1u << 0) | (1u << 3) | (1u << 5) | (1u << 7));
    const std::string text = fx::GlslVertexShader(vs);
    EXPECT_TRUE(Has(text, "attribute vec4 v7;"));
    EXPECT_FALSE(Has(text, "attribute vec4 v8;"));
    AsmProgram ps = Assemble("ps.1.4\ntexld r0, t0\ntexld r3, t1\nphase\nmov r0, r3\n");
    EXPECT_EQ(fx::GlslStagesSampled(ps), (1u << 0) | (1u << 3));
    EXPECT_TRUE(Has(fx::GlslPixelShader(ps), "uniform sampler2D s3;"));
}

TEST(Glsl, DepthAndTargetFlipAreAppliedOnceAtTheEnd) {
    const std::string text = fx::GlslVertexShader(Assemble("vs.1.1\nmov oPos, v0\n"));
    EXPECT_TRUE(Has(text,
                    "gl_Position = vec4(oPos.x, oPos.y * fx_flipY, 2.0 * oPos.z - oPos.w, "
                    "oPos.w);"));
}

TEST(Glsl, FixedFunctionStagesGetUndividedCoordinates) {
    AsmProgram vs = Assemble("vs.1.1\nmov oPos, v0\nmov oT0.x, v7.y\n");
    EXPECT_TRUE(Has(fx::GlslVertexShader(vs, true), "gl_TexCoord[0] = vec4(oT0.xyz, 1.0);"));
    EXPECT_TRUE(Has(fx::GlslVertexShader(vs, false), "gl_TexCoord[0] = oT0;"));
}

TEST(Glsl, WriteMasksScalesAndSaturation) {
    AsmProgram ps = Assemble("ps.1.4\nmul_x2_sat r1.rb, v0, v1\nadd_d2 r0, r1_bx2, 1-v0\n");
    const std::string text = fx::GlslPixelShader(ps);
    EXPECT_TRUE(Has(text, "r1.xz = (clamp(((v0 * v1) * 2.0), 0.0, 1.0)).xz;")) << text;
    EXPECT_TRUE(Has(text, "r0 = (((2.0 * r1 - 1.0) + (1.0 - v0)) * 0.5);")) << text;
}

TEST(Glsl, DefConstantsAreWrittenAsLiteralsAndOthersAsUniforms) {
    AsmProgram ps = Assemble("ps.1.4\ndef c2, 0.25, 1, -2, 1e30\nadd r0, c2, c3\n");
    const std::string text = fx::GlslPixelShader(ps);
    EXPECT_TRUE(Has(text, "vec4(0.25, 1.0, -2.0, 1.00000002e+30)")) << text;
    EXPECT_TRUE(Has(text, "pc[3]"));
}

TEST(Glsl, RelativeReadsStayInsideTheConstantFile) {
    AsmProgram vs = Assemble("vs.1.1\nmov a0.x, v0.x\nmov oD0, c[a0.x+90]\nmov oPos, v0\n");
    const std::string text = fx::GlslVertexShader(vs);
    EXPECT_TRUE(Has(text, "a0 = int(floor((v0.xxxx).x));")) << text;
    EXPECT_TRUE(Has(text, "oD0 = fx_rel(a0 + 90);"));
    EXPECT_TRUE(Has(text, "(i >= 0 && i < 96) ? c[i] : vec4(0.0)"));
}

}  // namespace
