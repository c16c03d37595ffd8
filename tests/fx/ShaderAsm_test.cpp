// Reading vs.1.1 / ps.1.4 assembly into records, and running the records.
#include "fx/ShaderAsm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fx/ShaderExec.h"

namespace {

AsmProgram Parse(const std::string &text) {
    AsmProgram p;
    std::string err;
    EXPECT_TRUE(AsmParse(text, p, err)) << err << "\n" << text;
    return p;
}

std::string ParseError(const std::string &text) {
    AsmProgram p;
    std::string err;
    EXPECT_FALSE(AsmParse(text, p, err)) << text;
    return err;
}

void Set(float *r, float x, float y, float z, float w) {
    r[0] = x, r[1] = y, r[2] = z, r[3] = w;
}

}  // namespace

TEST(ShaderAsm, ReadsOperandsOfEveryKind) {
    AsmProgram p = Parse(
        "vs.1.1\n"
        "// a comment\n"
        "m4x4 oPos, v0, c4   ; another\n"
        "mad r1.xz, -r2.yzxw, c[a0.x+7].x, v3.xy\n"
        "mov a0.x, c2.w\n"
        "mov oT3.y, c[5 + a0.x]\n"
        "MOV oD1, c[a0.x]\n"
        "  \n"
        "expp r11.y, r0.w\n"
        "dp4 r0, v0, c[12]\n");
    EXPECT_FALSE(p.pixel);
    EXPECT_EQ(p.minor, 1);
    ASSERT_EQ(p.code.size(), 7u);
    EXPECT_FALSE(p.code[6].src[1].relative);
    EXPECT_EQ(p.code[6].src[1].index, 12);
    EXPECT_EQ(p.code[4].op, kAsmMov);
    const AsmInstr &m = p.code[0];
    EXPECT_EQ(m.op, kAsmM4x4);
    EXPECT_EQ(m.dest.file, kAsmOPos);
    EXPECT_EQ(m.src[1].file, kAsmConst);
    EXPECT_EQ(m.src[1].index, 4);
    EXPECT_EQ(m.line, 3);
    const AsmInstr &mad = p.code[1];
    EXPECT_EQ(mad.dest.mask, 0x5);
    EXPECT_TRUE(mad.src[0].negate);
    const uint8_t yzxw[4] = {1, 2, 0, 3};
    EXPECT_EQ(memcmp(mad.src[0].swizzle, yzxw, 4), 0);
    EXPECT_TRUE(mad.src[1].relative);
    EXPECT_EQ(mad.src[1].index, 7);
    EXPECT_EQ(mad.src[1].swizzle[3], 0);
    // A short swizzle repeats its last letter: .xy is .xyyy.
    const uint8_t xyyy[4] = {0, 1, 1, 1};
    EXPECT_EQ(memcmp(mad.src[2].swizzle, xyyy, 4), 0);
    EXPECT_EQ(p.code[2].dest.file, kAsmAddress);
    EXPECT_EQ(p.code[3].dest.file, kAsmOTexture);
    EXPECT_EQ(p.code[3].dest.index, 3);
    EXPECT_TRUE(p.code[3].src[0].relative);
    EXPECT_EQ(p.code[3].src[0].index, 5);
    EXPECT_EQ(p.code[4].src[0].index, 0);
    EXPECT_EQ(p.code[5].dest.index, 11);
    EXPECT_EQ(AsmFormat(p.code[1], false), "mad r1.xz,-r2.yzxw,c[a0.x+7].xxxx,v3.xyyy");
}

TEST(ShaderAsm, ReadsPixelModifiersDefAndPhase) {
    AsmProgram p = Parse(
        "ps.1.4\n"
        "def  c0, 0.25, -0.5, 1.0, 0\n"
        "texld r1, t1\n"
        "texcrd r2.rgb, t0_dw.xyw\n"
        "phase\n"
        "dp3_sat r0, r1_bx2, c0_bias\n"
        "mul_x2 r3, 1-r2, -v1.a\n"
        "+mov_d4 r0.a, r3_x2\n"
        "lrp r0.rgb, c0, r1, r3\n");
    EXPECT_TRUE(p.pixel);
    ASSERT_EQ(p.defs.size(), 1u);
    EXPECT_FLOAT_EQ(p.defs[0].value[1], -0.5f);
    EXPECT_EQ(p.phaseAt, 2);
    ASSERT_EQ(p.code.size(), 7u);
    EXPECT_EQ(p.code[1].src[0].mod, kAsmModDw);
    EXPECT_EQ(p.code[1].dest.mask, 0x7);
    EXPECT_TRUE(p.code[3].saturate);
    EXPECT_EQ(p.code[3].src[0].mod, kAsmModBx2);
    EXPECT_EQ(p.code[3].src[1].mod, kAsmModBias);
    EXPECT_EQ(p.code[4].shift, 1);
    EXPECT_EQ(p.code[4].src[0].mod, kAsmModComp);
    EXPECT_TRUE(p.code[4].src[1].negate);
    EXPECT_EQ(p.code[4].src[1].swizzle[0], 3);
    EXPECT_TRUE(p.code[5].coissue);
    EXPECT_EQ(p.code[5].shift, -2);
    EXPECT_EQ(p.code[5].src[0].mod, kAsmModX2);
}

TEST(ShaderAsm, RejectsMalformedText) {
    struct Case {
        const char *text, *message;
    } cases[] = {
        {"", "no version line"},
        {"mov r0, r1\n", "expected vs.1.1 or ps.1.4"},
        {"vs.2.0\n", "expected vs.1.1"},
        {"vs.1.1\nfoo r0, r1\n", "line 2: unknown instruction 'foo'"},
        {"vs.1.1\nmov r0\n", "mov takes 2 operands"},
        {"vs.1.1\nmov r0, r1, r2\n", "mov takes 2 operands"},
        {"vs.1.1\nmov r12, r1\n", "register out of range 'r12'"},
        {"vs.1.1\nmov r0, c96\n", "register out of range"},
        {"vs.1.1\nmov r0, c[a0.x+96]\n", "register out of range"},
        {"vs.1.1\nmov r0, c[a0.y+1]\n", "bad relative address"},
        {"vs.1.1\nmov r0, c[96]\n", "register out of range"},
        {"vs.1.1\nmov r0, c[a0.x+1\n", "bad operand"},
        {"vs.1.1\nmov r0, q3\n", "unknown register"},
        {"vs.1.1\nmov r0, r99999999\n", "unknown register"},
        {"vs.1.1\nmov v0, r1\n", "cannot be written"},
        {"vs.1.1\nmov r0.yx, r1\n", "bad write mask"},
        {"vs.1.1\nmov r0, r1.xyzwx\n", "bad swizzle"},
        {"vs.1.1\nmov r0, r1.q\n", "bad swizzle"},
        {"vs.1.1\nmov r0, oPos\n", "cannot be read"},
        {"vs.1.1\nmov r0, \n", "missing operand"},
        {"vs.1.1\nadd a0.x, r1, r2\n", "a0 is loaded with mov"},
        {"vs.1.1\nm4x4 r0, v0, r1\n", "constant register"},
        {"vs.1.1\nmul_x2 r0, r1, r2\n", "unknown instruction modifier"},
        {"vs.1.1\nmov r0, r1_bx2\n", "unknown source modifier"},
        {"vs.1.1\ntexld r0, t0\n", "unknown instruction"},
        {"vs.1.1\ndef c0, 1, 2, 3, 4\n", "def is only for pixel shaders"},
        {"ps.1.4\nrcp r0, r1\n", "unknown instruction"},
        {"ps.1.4\ndef c0, 1, 2, 3\n", "def needs"},
        {"ps.1.4\ndef c0, 1, 2, x, 4\n", "bad number"},
        {"ps.1.4\nmov r6, r0\n", "register out of range"},
        {"ps.1.4\ntexld r0.xy, t0\n", ""},
        {"ps.1.4\ntexld v0, t0\n", "cannot be written"},
        {"ps.1.4\ntexld r0, v0\n", "texture instructions read"},
        {"ps.1.4\nphase\nphase\n", "a second phase"},
        {"ps.1.4\nphase r0\n", "takes no operands"},
        {"ps.1.4\nmov r0, r1_foo\n", "unknown source modifier"},
        {"ps.1.4\nmov r0, r1_bx2_bias\n", "two source modifiers"},
    };
    for (const Case &c : cases) {
        if (!*c.message) continue;  // accepted forms are listed for completeness
        std::string err = ParseError(c.text);
        EXPECT_NE(err.find(c.message), std::string::npos) << c.text << "\ngot: " << err;
    }
}

TEST(ShaderAsm, VertexArithmetic) {
    AsmProgram p = Parse(
        "vs.1.1\n"
        "mov a0.x, c0.y\n"      // 2.75 rounds down to 2
        "mov r0, c[a0.x+1]\n"   // c3
        "mov r1, c[a0.x+95]\n"  // 97 is past the file: zero
        "rcp r2, c1.x\n"        // 1/0
        "expp r3, c1.w\n"       // -2.5
        "logp r4, c0.w\n"       // 12
        "lit r5, c5\n"
        "dst r6, c6, c7\n"
        "frc r7, c1.w\n"
        "m4x3 r8, c8, c10\n"
        "m3x2 r9, c8, c10\n"
        "mov oFog.x, c0.z\n"
        "mov a0.x, -c0.z\n"  // -0.5 rounds down to -1
        "mov r10, c[a0.x+5]\n");
    AsmMachine m;
    Set(m.c[0], 0, 2.75f, 0.5f, 12);
    Set(m.c[1], 0, 0, 0, -2.5f);
    Set(m.c[3], 3, 3, 3, 3);
    Set(m.c[4], 4, 4, 4, 4);
    Set(m.c[5], 0.5f, 0.25f, 0, 2);
    Set(m.c[6], 9, 2, 3, 9);
    Set(m.c[7], 9, 5, 9, 7);
    Set(m.c[8], 1, 2, 3, 4);
    Set(m.c[10], 1, 0, 0, 1);
    Set(m.c[11], 0, 1, 0, 0);
    Set(m.c[12], 0, 0, 1, 0);
    for (int k = 0; k < 4; k++) m.r[1][k] = m.r[8][k] = m.r[9][k] = 77;
    ASSERT_TRUE(AsmExecute(p, m));
    EXPECT_EQ(m.r[0][0], 3);
    EXPECT_EQ(m.r[1][2], 0);
    EXPECT_TRUE(std::isinf(m.r[2][0]));
    EXPECT_FLOAT_EQ(m.r[3][0], 0.125f);  // 2^floor(-2.5)
    EXPECT_FLOAT_EQ(m.r[3][1], 0.5f);    // -2.5 - floor(-2.5)
    EXPECT_NEAR(m.r[3][2], std::exp2(-2.5), 1e-6);
    EXPECT_FLOAT_EQ(m.r[4][0], 3);  // 12 = 1.5 * 2^3
    EXPECT_FLOAT_EQ(m.r[4][1], 1.5f);
    EXPECT_NEAR(m.r[4][2], std::log2(12.0), 1e-6);
    EXPECT_FLOAT_EQ(m.r[5][1], 0.5f);
    EXPECT_FLOAT_EQ(m.r[5][2], 0.0625f);
    EXPECT_FLOAT_EQ(m.r[6][0], 1);
    EXPECT_FLOAT_EQ(m.r[6][1], 10);
    EXPECT_FLOAT_EQ(m.r[6][2], 3);
    EXPECT_FLOAT_EQ(m.r[6][3], 7);
    EXPECT_FLOAT_EQ(m.r[7][0], 0.5f);
    EXPECT_FLOAT_EQ(m.r[8][0], 5);  // dot4 with (1,0,0,1)
    EXPECT_FLOAT_EQ(m.r[8][2], 3);
    EXPECT_EQ(m.r[8][3], 77);  // m4x3 leaves w
    EXPECT_FLOAT_EQ(m.r[9][1], 2);
    EXPECT_EQ(m.r[9][2], 77);  // m3x2 leaves z and w
    EXPECT_FLOAT_EQ(m.oFog[0], 0.5f);
    EXPECT_EQ(m.a0, -1);
    EXPECT_EQ(m.r[10][0], 4);
}

TEST(ShaderAsm, MatrixConventionIsTransposedRows) {
    // Row-vector convention: translation in the fourth row.
    const float t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    AsmProgram p = Parse("vs.1.1\nm4x4 oPos, v0, c2\nm3x3 oT0, v0, c2\n");
    AsmMachine m;
    AsmLoadMatrix(m, 2, t);
    Set(m.v[0], 1, 2, 3, 1);
    ASSERT_TRUE(AsmExecute(p, m));
    EXPECT_FLOAT_EQ(m.oPos[0], 6);
    EXPECT_FLOAT_EQ(m.oPos[1], 8);
    EXPECT_FLOAT_EQ(m.oPos[2], 10);
    EXPECT_FLOAT_EQ(m.oPos[3], 1);
    EXPECT_FLOAT_EQ(m.oT[0][0], 1);
    EXPECT_FLOAT_EQ(m.oT[0][3], 0);
}

namespace {

struct Recorded {
    int stage = -1;
    float coord[4] = {};
};

void Record(void *user, int stage, const float coord[4], float rgba[4]) {
    Recorded *r = (Recorded *)user;
    r->stage = stage;
    memcpy(r->coord, coord, sizeof r->coord);
    Set(rgba, 0.5f, 0.25f, 1, 1);
}

}  // namespace

TEST(ShaderAsm, PixelArithmetic) {
    AsmProgram p = Parse(
        "ps.1.4\n"
        "def c1, 0.75, 0.25, 0.5, 1\n"
        "texld r3, t2_dw\n"
        "phase\n"
        "cnd r1, c1, v0, v1\n"
        "cmp r2, -c1, v0, v1\n"
        "mul_x4_sat r4, c1, v0\n"
        "add_d2 r5, 1-c1, c1_bx2\n"
        "mov r0, r3\n");
    AsmMachine m;
    Recorded rec;
    m.sampler = Record;
    m.samplerUser = &rec;
    Set(m.t[2], 1, 2, 3, 4);
    Set(m.v[0], 1, 1, 1, 1);
    Set(m.v[1], 0, 0, 0, 0);
    ASSERT_TRUE(AsmExecute(p, m));
    EXPECT_EQ(rec.stage, 3);  // the destination register picks the stage
    EXPECT_FLOAT_EQ(rec.coord[0], 0.25f);
    EXPECT_FLOAT_EQ(rec.coord[1], 0.5f);
    EXPECT_FLOAT_EQ(m.r[0][0], 0.5f);
    EXPECT_FLOAT_EQ(m.r[1][0], 1);  // 0.75 > 0.5
    EXPECT_FLOAT_EQ(m.r[1][1], 0);
    EXPECT_FLOAT_EQ(m.r[1][2], 0);  // 0.5 is not above 0.5
    EXPECT_FLOAT_EQ(m.r[2][0], 0);  // -0.75 < 0
    EXPECT_FLOAT_EQ(m.r[4][0], 1);  // 3 clamped
    EXPECT_FLOAT_EQ(m.r[4][1], 1);
    EXPECT_FLOAT_EQ(m.r[5][0], (0.25f + 0.5f) / 2);
    EXPECT_FLOAT_EQ(m.r[5][1], (0.75f - 0.5f) / 2);
    // No sampler: texld reads black.
    AsmMachine plain;
    ASSERT_TRUE(AsmExecute(p, plain));
    EXPECT_EQ(plain.r[0][0], 0);
}
