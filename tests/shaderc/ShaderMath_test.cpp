// Numbers, not text: each script is compiled to effect text whose vs.1.1 code
// runs through the assembly executor, and to software records that run
// through their evaluator; both must give the mathematically expected values.
#include <gtest/gtest.h>

#include <cmath>

#include "ShaderRun.h"

namespace {

const double kPi = 3.14159265358979323846;

std::string Script(const std::string &code, const std::string &defines = "") {
    return "[VERTEXFORMAT]\nXYZ NORMAL\n[DEFINES]\nVECTOR a;\nVECTOR b;\nVECTOR n;\n"
           "CONST one=1,1,1,1;\nCONST zero;\n" +
           defines + "[TECHNIQUE]\n[PASS0]\n[POSITION]\n" + code + "\n[END]\n";
}

// Runs `code` through both paths after `setup`, and returns oTexture0 of the
// vs.1.1 path in vs and of the software path in sw.
struct Both {
    VertexRun vr;
    SoftRun sr;
    float vs[4] = {}, sw[4] = {};

    template <typename F>
    void Run(const std::string &script, F setup, bool software = true) {
        ASSERT_TRUE(vr.Build(script)) << vr.error << "\n" << script;
        setup(vr);
        ASSERT_TRUE(vr.Run());
        memcpy(vs, vr.m.oT[0], sizeof vs);
        if (!software) {
            memcpy(sw, vs, sizeof sw);
            return;
        }
        ASSERT_TRUE(sr.Build(script)) << sr.error;
        setup(sr);
        ASSERT_TRUE(sr.Run());
        memcpy(sw, sr.m.o[3], sizeof sw);
    }
};

// Evaluates f(a.x) through both paths for one argument.
template <typename R>
void Scalar(R &both, const char *fn, float x) {
    both.Run(Script(std::string("oTexture0=") + fn + "(a.x);"),
             [&](auto &r) { r.Vector("a", x, 123.0f, -7.0f, 55.0f); });
}

// The vs.1.1 code must also be legal: one constant and one input register per
// instruction, and no output register read back.
void ExpectLegal(const AsmProgram &p) {
    for (const AsmInstr &in : p.code) {
        int c = -1, v = -1;
        for (int i = 0; i < in.sources; i++) {
            const AsmSource &s = in.src[i];
            EXPECT_LT(s.file, kAsmOPos) << AsmFormat(in, false);
            if (s.file == kAsmConst) {
                int key = s.relative ? 1000 + i : s.index;
                EXPECT_TRUE(c < 0 || c == key) << "two constants in " << AsmFormat(in, false);
                c = key;
            }
            if (s.file == kAsmInput) {
                EXPECT_TRUE(v < 0 || v == s.index) << "two inputs in " << AsmFormat(in, false);
                v = s.index;
            }
        }
    }
}

}  // namespace

// sin, cos: any argument the range reduction can hold (|x| up to about 1e4),
// absolute error below 2.5e-4 (the x^7 series at the folded edge pi/2).
TEST(ShaderMath, SineAndCosineOverManyPeriods) {
    for (float x = -20.0f; x <= 20.0f; x += 0.173f) {
        Both s, c;
        Scalar(s, "sin", x);
        Scalar(c, "cos", x);
        for (int k = 0; k < 4; k++) {
            ASSERT_NEAR(s.vs[k], std::sin((double)x), 2.5e-4) << "sin " << x;
            ASSERT_NEAR(c.vs[k], std::cos((double)x), 2.5e-4) << "cos " << x;
            ASSERT_NEAR(s.sw[k], std::sin((double)x), 1e-6);
            ASSERT_NEAR(c.sw[k], std::cos((double)x), 1e-6);
        }
    }
    // The fold points themselves.
    for (double x : {-kPi, -kPi / 2, 0.0, kPi / 2, kPi, 1e3}) {
        Both s;
        Scalar(s, "sin", (float)x);
        EXPECT_NEAR(s.vs[0], std::sin((double)(float)x), 2.5e-4) << x;
    }
    // ExpectLegal on one of them.
    Both s;
    Scalar(s, "sin", 1.0f);
    ExpectLegal(s.vr.program);
}

// tan: wherever cos(x) is not near zero; error below 4e-4 (1 + tan^2).
TEST(ShaderMath, TangentAwayFromPoles) {
    for (double x = -4.5; x <= 4.5; x += 0.05) {
        if (std::fabs(std::cos(x)) < 0.1) continue;
        Both t;
        Scalar(t, "tan", (float)x);
        double want = std::tan((double)(float)x);
        ASSERT_NEAR(t.vs[0], want, 4e-4 * (1 + want * want)) << x;
        ASSERT_NEAR(t.vs[3], t.vs[0], 0) << x;
        ASSERT_NEAR(t.sw[0], want, 1e-5 * (1 + want * want));
    }
}

// asin, acos on [-1, 1] and atan on |x| < 1e18: error below 2e-5.
TEST(ShaderMath, InverseFunctionsOverTheirDomains) {
    for (double x = -1.0; x <= 1.0001; x += 0.025) {
        float xf = (float)std::max(-1.0, std::min(1.0, x));
        Both s, c;
        Scalar(s, "asin", xf);
        Scalar(c, "acos", xf);
        ASSERT_NEAR(s.vs[0], std::asin((double)xf), 2e-5) << xf;
        ASSERT_NEAR(c.vs[2], std::acos((double)xf), 2e-5) << xf;
        ASSERT_NEAR(s.sw[1], std::asin((double)xf), 1e-6);
        ASSERT_NEAR(c.sw[0], std::acos((double)xf), 1e-6);
    }
    for (double x :
         {-1e6, -300.0, -20.0, -3.0, -1.0, -0.4, 0.0, 0.1, 0.7, 1.0, 2.5, 40.0, 1e4, 1e17}) {
        Both t;
        Scalar(t, "atan", (float)x);
        ASSERT_NEAR(t.vs[0], std::atan(x), 2e-5) << x;
        ASSERT_NEAR(t.sw[3], std::atan(x), 1e-6) << x;
    }
}

TEST(ShaderMath, FloorPerComponentAndScalar) {
    Both f;
    f.Run(Script("oTexture0=floor(a);"),
          [](auto &r) { r.Vector("a", -3.5f, -0.25f, 0.75f, 1000000.5f); });
    const float want[4] = {-4, -1, 0, 1000000};
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(f.vs[k], want[k]) << k;
        EXPECT_EQ(f.sw[k], want[k]) << k;
    }
    // A scalar argument is floored once and fills every component; writing
    // straight into an output needs a temporary for the copy.
    Both s;
    s.Run(Script("oTexture0=floor(a.y);"), [](auto &r) { r.Vector("a", 9, -2.0f, 9, 9); });
    for (int k = 0; k < 4; k++) EXPECT_EQ(s.vs[k], -2.0f);
    ExpectLegal(s.vr.program);
    // Aliasing: the argument is the destination, read with a permutation.
    Both p;
    p.Run(Script("t=a;t=floor(t.yxwz);oTexture0=t;"),
          [](auto &r) { r.Vector("a", 1.5f, 2.5f, 3.5f, 4.5f); });
    const float perm[4] = {2, 1, 4, 3};
    for (int k = 0; k < 4; k++) EXPECT_EQ(p.vs[k], perm[k]) << k;
}

TEST(ShaderMath, NormaliseDivideCrossAndDot) {
    Both n;
    n.Run(Script("oTexture0=normalise(a);"), [](auto &r) { r.Vector("a", 3, 4, 12, 0); });
    EXPECT_NEAR(n.vs[0], 3.0 / 13, 1e-6);
    EXPECT_NEAR(n.vs[1], 4.0 / 13, 1e-6);
    EXPECT_NEAR(n.vs[2], 12.0 / 13, 1e-6);
    EXPECT_NEAR(n.sw[2], 12.0 / 13, 1e-6);

    // a/b divides every component of a by b.w, or by the component b selects.
    Both d;
    d.Run(Script("oTexture0=a/b;"), [](auto &r) {
        r.Vector("a", 1, 2, 3, 4);
        r.Vector("b", 10, 100, 1000, 2);
    });
    for (int k = 0; k < 4; k++) {
        EXPECT_FLOAT_EQ(d.vs[k], (k + 1) / 2.0f);
        EXPECT_FLOAT_EQ(d.sw[k], (k + 1) / 2.0f);
    }
    Both dy;
    dy.Run(Script("oTexture0=a/b.y;"), [](auto &r) {
        r.Vector("a", 1, 2, 3, 4);
        r.Vector("b", 10, 4, 1000, 2);
    });
    EXPECT_FLOAT_EQ(dy.vs[3], 1.0f);

    // Cross product into an output, into its own operand, and of a swizzle.
    const char *crosses[] = {"oTexture0=a^b;", "t=a;t=t^b;oTexture0=t;", "t=b;t=a^t;oTexture0=t;",
                             "oTexture0=a.xyzw^(b+zero);"};
    for (const char *code : crosses) {
        Both c;
        c.Run(Script(code), [](auto &r) {
            r.Vector("a", 1, 2, 3, 0);
            r.Vector("b", 4, 5, 6, 0);
        });
        EXPECT_FLOAT_EQ(c.vs[0], -3) << code;
        EXPECT_FLOAT_EQ(c.vs[1], 6) << code;
        EXPECT_FLOAT_EQ(c.vs[2], -3) << code;
        EXPECT_FLOAT_EQ(c.sw[1], 6) << code;
        ExpectLegal(c.vr.program);
    }
    Both dot;
    dot.Run(Script("oTexture0=a|b;"), [](auto &r) {
        r.Vector("a", 1, 2, 3, 100);
        r.Vector("b", 4, 5, 6, 100);
    });
    EXPECT_FLOAT_EQ(dot.vs[3], 32);
    EXPECT_FLOAT_EQ(dot.sw[0], 32);
}

TEST(ShaderMath, OperatorSplitAndLiterals) {
    // a-b+c is a-(b+c).
    Both s;
    s.Run(Script("oTexture0=a-b+n;"), [](auto &r) {
        r.Vector("a", 10, 10, 10, 10);
        r.Vector("b", 1, 2, 3, 4);
        r.Vector("n", 1, 1, 1, 1);
    });
    EXPECT_FLOAT_EQ(s.vs[0], 8);
    EXPECT_FLOAT_EQ(s.sw[3], 5);
    // a*b|c is a*(b|c); a leading minus belongs to the first operand.
    Both m;
    m.Run(Script("oTexture0=-a*b|n+9;"), [](auto &r) {
        r.Vector("a", 1, 2, 3, 4);
        r.Vector("b", 1, 1, 1, 0);
        r.Vector("n", 1, 2, 3, 0);
    });
    // -(a*(b|n)) + 9 with b|n = 6.
    EXPECT_FLOAT_EQ(m.vs[0], 3);
    EXPECT_FLOAT_EQ(m.vs[3], -15);
    EXPECT_FLOAT_EQ(m.sw[1], -3);
    // The literals 2..9.
    Both l;
    l.Run(Script("oTexture0=a*2+a*9-a*5;"), [](auto &r) { r.Vector("a", 1, 2, 3, 4); });
    // a*2 + (a*9 - a*5) ... split leftmost: a*2 + (a*9 - (a*5))
    EXPECT_FLOAT_EQ(l.vs[1], 2 * 2 + 9 * 2 - 5 * 2);
    // A write mask with whole-vector operands keeps every component right.
    Both w;
    w.Run(Script("oTexture0=zero;oTexture0.y=a+b*n;oTexture0.zw=a-b*n;"), [](auto &r) {
        r.Vector("a", 1, 2, 3, 4);
        r.Vector("b", 5, 6, 7, 8);
        r.Vector("n", 2, 3, 4, 5);
    });
    EXPECT_FLOAT_EQ(w.vs[0], 0);
    EXPECT_FLOAT_EQ(w.vs[1], 2 + 6 * 3);
    EXPECT_FLOAT_EQ(w.vs[2], 3 - 7 * 4);
    EXPECT_FLOAT_EQ(w.vs[3], 4 - 8 * 5);
    EXPECT_FLOAT_EQ(w.sw[3], 4 - 8 * 5);
    // Two constants in one expression are legalised for vs.1.1.
    Both two;
    two.Run(Script("oTexture0=a+b;"), [](auto &r) {
        r.Vector("a", 1, 2, 3, 4);
        r.Vector("b", 1, 1, 1, 1);
    });
    EXPECT_FLOAT_EQ(two.vs[2], 4);
    ExpectLegal(two.vr.program);
}

TEST(ShaderMath, MatricesAreRowVectorTransforms) {
    // Scale by 2, then translate by (10, 20, 30): p' = p * M.
    const float m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 10, 20, 30, 1};
    // A rotation of 90 degrees about z: x -> y.
    const float rot[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 7, 7, 7, 1};
    Both f;
    f.Run(Script("oTexture0=iPos*4M;oPos=iNorm*3R;", "MATRIX M;\nMATRIX R;\n"), [&](auto &r) {
        r.Matrix("M", m);
        r.Matrix("R", rot);
        r.Input(0, 1, 2, 3);
        r.Input(3, 1, 0, 0, 0);
    });
    EXPECT_FLOAT_EQ(f.vs[0], 12);
    EXPECT_FLOAT_EQ(f.vs[1], 24);
    EXPECT_FLOAT_EQ(f.vs[2], 36);
    EXPECT_FLOAT_EQ(f.vs[3], 1);
    EXPECT_FLOAT_EQ(f.sw[2], 36);
    EXPECT_FLOAT_EQ(f.vr.m.oPos[0], 0);
    EXPECT_FLOAT_EQ(f.vr.m.oPos[1], 1);  // the 3x3 part ignores the translation
    EXPECT_FLOAT_EQ(f.sr.m.o[0][1], 1);
    // A matrix product that writes its own operand goes through a temporary.
    Both a;
    a.Run(Script("t=iPos;t=t*4M;oTexture0=t;", "MATRIX M;\n"), [&](auto &r) {
        r.Matrix("M", m);
        r.Input(0, 1, 1, 1);
    });
    EXPECT_FLOAT_EQ(a.vs[0], 12);
    EXPECT_FLOAT_EQ(a.vs[2], 32);
}

TEST(ShaderMath, ArraysAndRelativeAddressing) {
    const float m0[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 100, 0, 0, 1};
    const float m1[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 200, 0, 1};
    const char *defs = "MATRIX bones[2];\nVECTOR tab[3];\n";
    // Indices count registers: bones[4] is the second matrix.
    for (int which = 0; which < 2; which++) {
        Both b;
        b.Run(
            Script(
                "Address=a.x;oTexture0=iPos*4bones[Address+0];oPos=tab[Address+1];oDiffuse=tab[2];",
                defs),
            [&](auto &r) {
                r.Matrix("bones", m0, 0);
                r.Matrix("bones", m1, 1);
                r.Vector("tab", 5, 5, 5, 5, 0);
                r.Vector("tab", 6, 6, 6, 6, 1);
                r.Vector("tab", 7, 7, 7, 7, 2);
                r.Vector("a", which * 4.0f + 0.75f, 0, 0, 0);  // the address is rounded down
                r.Input(0, 1, 2, 3);
            });
        EXPECT_FLOAT_EQ(b.vs[0], which ? 1 : 101) << which;
        EXPECT_FLOAT_EQ(b.vs[1], which ? 202 : 2) << which;
        EXPECT_FLOAT_EQ(b.sw[1], which ? 202 : 2) << which;
        // which=1 reads past the end of tab into the next declared constant:
        // a relative read is unchecked, as on the hardware.
        float tabWant = which ? b.vr.m.c[b.vr.Reg("tab") + 5][0] : 6;
        EXPECT_FLOAT_EQ(b.vr.m.c[b.vr.Reg("trigo_cst2")][0], 1.0f / 6);
        EXPECT_FLOAT_EQ(b.vr.m.oPos[0], tabWant) << which;
        EXPECT_FLOAT_EQ(b.vr.m.oD[0][0], 7);
        EXPECT_FLOAT_EQ(b.sr.m.o[1][3], 7);
    }
}

TEST(ShaderMath, IfElseSelectsWithGreaterOrEqual) {
    const std::string code =
        "t=zero;u=one;"
        "if(a.x>b.x){t=a+one;v=t*2;}else{u=b;v=zero;}"
        "oTexture0=t;oPos=u;oDiffuse=v;";
    struct Case {
        float ax, bx;
        bool taken;
    } cases[] = {{2, 1, true}, {1, 1, true}, {0.5f, 1, false}, {-3, -2, false}};
    for (const Case &c : cases) {
        Both r;
        r.Run(Script(code), [&](auto &x) {
            x.Vector("a", c.ax, 1, 2, 3);
            x.Vector("b", c.bx, 5, 6, 7);
        });
        float t0 = c.taken ? c.ax + 1 : 0;
        EXPECT_FLOAT_EQ(r.vs[0], t0) << c.ax << ">" << c.bx;
        EXPECT_FLOAT_EQ(r.sw[0], t0);
        EXPECT_FLOAT_EQ(r.vr.m.oPos[1], c.taken ? 1 : 5);
        // v=t*2 sees the branch's own t.
        EXPECT_FLOAT_EQ(r.vr.m.oD[0][3], c.taken ? 8 : 0);
    }
}

TEST(ShaderMath, OtherVertexFunctions) {
    Both f;
    f.Run(Script("oTexture0=rsq(a);oPos=max(a,b);oDiffuse=min(a,b);oSpecular=sge(a,b);"),
          [](auto &r) {
              r.Vector("a", 1, 5, -2, 16);
              r.Vector("b", 2, 5, -3, 1);
          });
    EXPECT_FLOAT_EQ(f.vs[0], 0.25f);
    EXPECT_FLOAT_EQ(f.sw[1], 0.25f);
    EXPECT_FLOAT_EQ(f.vr.m.oPos[0], 2);
    EXPECT_FLOAT_EQ(f.vr.m.oPos[2], -2);
    EXPECT_FLOAT_EQ(f.vr.m.oD[0][0], 1);
    EXPECT_FLOAT_EQ(f.vr.m.oD[1][0], 0);
    EXPECT_FLOAT_EQ(f.vr.m.oD[1][1], 1);
    EXPECT_FLOAT_EQ(f.vr.m.oD[1][2], 1);
    Both e;
    e.Run(Script("oTexture0=exp2(a.y);oPos=log2(a);"),
          [](auto &r) { r.Vector("a", 0, 3, 0, 0.125f); });
    EXPECT_FLOAT_EQ(e.vs[2], 8);
    EXPECT_FLOAT_EQ(e.sw[0], 8);
    EXPECT_FLOAT_EQ(e.vr.m.oPos[0], -3);
    // tgt(a, n, b) = b - (a.n) n
    Both t;
    t.Run(Script("oTexture0=tgt(a,n,b);"), [](auto &r) {
        r.Vector("a", 1, 2, 3, 0);
        r.Vector("n", 0, 0, 1, 0);
        r.Vector("b", 1, 2, 3, 0);
    });
    EXPECT_FLOAT_EQ(t.vs[0], 1);
    EXPECT_FLOAT_EQ(t.vs[1], 2);
    EXPECT_FLOAT_EQ(t.vs[2], 0);
    EXPECT_FLOAT_EQ(t.sw[2], 0);
    // lit has no software form, but runs in vs.1.1.
    Both li;
    li.Run(
        Script("oTexture0=lit(a);"), [](auto &r) { r.Vector("a", 0.5f, 0.25f, 0, 2); }, false);
    EXPECT_FLOAT_EQ(li.vs[1], 0.5f);
    EXPECT_FLOAT_EQ(li.vs[2], 0.0625f);
}

TEST(ShaderMath, MacrosExpandIntoStatements) {
    const std::string script =
        "[VERTEXFORMAT]\nXYZ\n[DEFINES]\nVECTOR a;\nVECTOR b;\n[MACROS]\n"
        "scaled(d,x,k){t=x*k;d=t+x;}\n"
        "[TECHNIQUE]\n[PASS0]\n[POSITION]\nscaled(oTexture0,a+b,3);\noPos=a;\n[END]\n";
    Both m;
    m.Run(script, [](auto &r) {
        r.Vector("a", 1, 2, 3, 4);
        r.Vector("b", 1, 1, 1, 1);
    });
    // (a+b)*3 + (a+b): the argument keeps its brackets.
    EXPECT_FLOAT_EQ(m.vs[0], 8);
    EXPECT_FLOAT_EQ(m.sw[3], 20);
}

namespace {

void Sampler(void *, int stage, const float coord[4], float rgba[4]) {
    rgba[0] = coord[0];
    rgba[1] = coord[1];
    rgba[2] = 0.25f * (float)stage;
    rgba[3] = 1;
}

}  // namespace

TEST(ShaderMath, PixelCodeRunsThroughTheExecutor) {
    const std::string script =
        "[VERTEXFORMAT]\nXYZ TEX0 TEX1\n[DEFINES]\nPSCONST k=0.5,0.5,0.5,0.5;\nPSCONST w=1,0,0,1;\n"
        "[TECHNIQUE] SHADERS\n[PASS0]\n[POSITION]\noPos=iPos;\n[SHADER]\n"
        "base=sample(Tex0);\nsecond=sample(Tex1);\nphase\n"
        "x=lerp(k,base,second);\nd=dotbx2(Diffuse,w);\nOut=mul_sat(x,Diffuse)+d;\n[END]\n";
    ShaderCompiler sc;
    ASSERT_TRUE(sc.Compile(script.c_str(), 0x3802)) << sc.Error();
    AsmProgram p;
    std::string err;
    ASSERT_TRUE(AsmParse(AsmBlock(sc.Text(), "ps.1.4"), p, err)) << err << sc.Text();
    EXPECT_TRUE(p.pixel);
    EXPECT_GE(p.phaseAt, 0);
    ASSERT_EQ(p.defs.size(), 2u);
    AsmMachine m;
    m.sampler = Sampler;
    float t0[4] = {0.2f, 0.4f, 0, 1}, t1[4] = {0.6f, 0.8f, 0, 1}, dif[4] = {1, 0.5f, 0.25f, 1};
    memcpy(m.t[0], t0, sizeof t0);
    memcpy(m.t[1], t1, sizeof t1);
    memcpy(m.v[0], dif, sizeof dif);
    ASSERT_TRUE(AsmExecute(p, m));
    // base = (0.2, 0.4, 0, 1) from stage 0, second = (0.6, 0.8, 0.25, 1) from
    // stage 1; x = 0.5 base + 0.5 second; d = (2*1-1)*1 + (2*0.5-1)*0 + ...
    double bx2 = (2 * 1 - 1) * 1 + (2 * 0.5 - 1) * (2 * 0 - 1) + (2 * 0.25 - 1) * (2 * 0 - 1);
    float x[4] = {0.4f, 0.6f, 0.125f, 1};
    for (int k = 0; k < 4; k++) {
        double want = std::min(1.0, std::max(0.0, (double)x[k] * dif[k])) + bx2;
        EXPECT_NEAR(m.r[0][k], want, 1e-6) << k << "\n" << sc.Text();
    }
    // coord() hands over the coordinates themselves; Out may be read back.
    const std::string coords =
        "[VERTEXFORMAT]\nXYZ\n[TECHNIQUE]\n[PASS0]\n[POSITION]\noPos=iPos;\n[SHADER]\n"
        "c=coord(Tex2);\nOut=mul_x2(c,Specular);\nOut=mul(Out,Out);\n[END]\n";
    ASSERT_TRUE(sc.Compile(coords.c_str(), 0x3802)) << sc.Error();
    ASSERT_TRUE(AsmParse(AsmBlock(sc.Text(), "ps.1.4"), p, err)) << err;
    AsmMachine m2;
    float t2[4] = {0.1f, 0.2f, 0.3f, 0.4f}, specular[4] = {1, 1, 0.5f, 1};
    memcpy(m2.t[2], t2, sizeof t2);
    memcpy(m2.v[1], specular, sizeof specular);
    ASSERT_TRUE(AsmExecute(p, m2));
    for (int k = 0; k < 4; k++) {
        double v = 2.0 * t2[k] * specular[k];
        EXPECT_NEAR(m2.r[0][k], v * v, 1e-6) << k;
    }
}
