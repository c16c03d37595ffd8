// Scripts are text a user can edit: every malformed one must fail with a
// message, without crashing, overflowing or looping.
#include <gtest/gtest.h>

#include "ShaderRun.h"

namespace {

std::string Code(const std::string &code, const std::string &defines = "VECTOR a;\nMATRIX M;",
                 const std::string &shader = "") {
    return "[VERTEXFORMAT] XYZ NORMAL\n[DEFINES]\n" + defines +
           "\n[TECHNIQUE]\n[PASS0]\n[POSITION]\n" + code + "\n" +
           (shader.empty() ? "" : "[SHADER]\n" + shader + "\n") + "[END]\n";
}

std::string Repeat(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

struct Bad {
    std::string script;
    const char *message;       // expected part of the error text
    bool textTargets = false;  // only the effect and ARB targets: the software
                               // target has no pixel code and native sin/cos
};

void ExpectFails(const Bad &b) {
    for (int target : {kShaderTargetEffect, kShaderTargetArb, kShaderTargetSoftware}) {
        if (b.textTargets && target == kShaderTargetSoftware) continue;
        ShaderCompiler sc;
        EXPECT_EQ(sc.Compile(b.script.c_str(), b.script.size(), target | 0x3800), 0)
            << b.script.substr(0, 300);
        EXPECT_NE(std::string(sc.Error()).find(b.message), std::string::npos)
            << "target " << sc.target << " got: " << sc.Error() << "\nwanted: " << b.message << "\n"
            << b.script.substr(0, 300);
        EXPECT_LT(strlen(sc.Error()), (size_t)kShaderMaxLine);
    }
}

}  // namespace

TEST(ShaderErrors, Structure) {
    const Bad cases[] = {
        {"", "no [TECHNIQUE]"},
        {"   \n\t", "no [TECHNIQUE]"},
        {"[VERTEXFORMAT] XYZ\n[END]", "no [TECHNIQUE]"},
        {"[FOO]\n", "unknown section '[FOO]'"},
        {"[TECHNIQUE]\n[PASS4]\n", "unknown section '[PASS4]'"},
        {"[TECHNIQUE]\n[PASS0]\n[PASS2]\n", "[PASS2] out of order"},
        {"[PASS0]\n", "[PASS0] before [TECHNIQUE]"},
        {"[POSITION]\noPos=iPos;\n", "[POSITION] outside a pass"},
        {"[TECHNIQUE]\n[RENDER_STATE]\nCull Cw\n", "outside a pass"},
        {"[TECHNIQUE]\n", "has no pass"},
        {Repeat("[TECHNIQUE]\n[PASS0]\n", 5), "more than 4 techniques"},
        {Code("oPos=iPos"), "missing ';' after 'oPos=iPos'"},
        {"[TECHNIQUE]\n[PASS0]\n[POSITION]\noPos=iPos\n[DIFFUSE]\noDiffuse=iPos;\n",
         "missing ';' after 'oPos=iPos'"},
        {"[MACROS]\nm(x){x=a;", "missing ';'"},
        {Code("}oPos=iPos;"), "unbalanced '}'"},
        {Code("oPos=" + Repeat("a+", 600) + "a;"), "statement too long"},
        {"[DEFINES]\nVECTOR " + std::string(70, 'v') + ";\n", "bad name"},
        {"[DEFINES]\nVECTOR a;\nVECTOR a;\n", "declared twice"},
        {"[DEFINES]\nVECTOR iPos;\n", "predefined name"},
        {"[DEFINES]\nCONST trigo_mod=1;\n[TECHNIQUE]\n[PASS0]\n", "predefined name"},
        {"[DEFINES]\nFLOAT x;\n", "unknown declaration"},
        {"[DEFINES]\nCONST x=1,abc;\n", "bad number 'abc'"},
        {"[DEFINES]\nCONST x=1,2,3,4,5;\n", "more than four components"},
        {"[DEFINES]\nCONST x=1,;\n", "missing number"},
        {"[DEFINES]\nCONST x=nan;\n", "bad number"},
        {"[DEFINES]\nCONST x=1e39;\n", "bad number"},
        {"[DEFINES]\nVECTOR v[0];\n", "bad array size"},
        {"[DEFINES]\nVECTOR v[2;\n", "bad array size"},
        {"[DEFINES]\n" + Repeat("TEXTURE t;\n", 1) +
             "TEXTURE t0;TEXTURE t1;TEXTURE t2;TEXTURE t3;"
             "TEXTURE t4;TEXTURE t5;TEXTURE t6;TEXTURE t7;TEXTURE t8;TEXTURE t9;TEXTURE "
             "t10;TEXTURE t11;TEXTURE t12;TEXTURE t13;TEXTURE t14;TEXTURE t15;\n",
         "more than 16 textures"},
        {"[DEFINES]\nVECTOR big[90];\n[TECHNIQUE]\n[PASS0]\n", "more than 96 constant registers"},
        {"[DEFINES]\nMATRIX m[24];\nVECTOR x;\n", "more than 96 constant registers"},
        {"[DEFINES]\nPSCONST p0;PSCONST p1;PSCONST p2;PSCONST p3;PSCONST p4;PSCONST p5;PSCONST "
         "p6;PSCONST p7;PSCONST p8;\n",
         "more than 8 pixel constants"},
        {"[MACROS]\nm(x)\n", "missing ';' after 'm(x)'"},
        {"[MACROS]\nm(x);\n", "bad macro definition"},
        {"[MACROS]\nm(1x){}\n", "bad macro parameter"},
        {"[MACROS]\nm(x){}\nm(y){}\n", "defined twice"},
    };
    for (const Bad &b : cases) ExpectFails(b);
}

TEST(ShaderErrors, Statements) {
    const Bad cases[] = {
        {Code("oPos=(iPos*4M;"), "unbalanced '('"},
        {Code("oPos=iPos*4M);"), "cannot read"},
        {Code("oPos=M[1;"), "cannot read"},
        {Code("oPos=((iPos);"), "unbalanced"},
        {Code("oPos=iPos+;"), "missing operand"},
        {Code("oPos=;"), "bad assignment"},
        {Code("oPos==iPos;"), "bad assignment"},
        {Code("oPos iPos;"), "missing '='"},
        {Code("oPos=nothere;"), "unknown name 'nothere'"},
        {Code("oPos=iTexture0;"), "not in [VERTEXFORMAT]"},
        {Code("oPos=oDiffuse;"), "cannot be read"},
        {Code("a=iPos;"), "cannot assign to 'a'"},
        {Code("iPos=a;"), "cannot assign to 'iPos'"},
        {Code("oPos.yx=a;"), "bad write mask"},
        {Code("oPos.q=a;"), "bad write mask"},
        {Code("oPos=a.xq;"), "bad swizzle"},
        {Code("oPos=a.xyzwx;"), "bad swizzle"},
        {Code("oPos=M[4];"), "index out of range"},
        {Code("oPos=M[-1];"), "index out of range"},
        {Code("oPos=M[x];"), "bad index"},
        {Code("oPos=M[Address+1];"), "read before it is set"},
        {Code("Address=a.x;oPos=M[Address+200];"), "index out of range"},
        {Code("oPos=iPos*4a;"), "is not a matrix"},
        {Code("oPos=iPos*4M[1];"), "runs past its array"},
        {Code("oPos=Address;"), "can only be used"},
        {Code("oPos=frobnicate(a);"), "unknown function 'frobnicate'"},
        {Code("oPos=sin(a,a);"), "sin takes 1 argument"},
        {Code("oPos=tgt(a,a);"), "tgt takes 3 argument"},
        {Code("oPos=1;"), "cannot read"},
        {Code("oPos=0.5;"), "cannot read"},
        {Code("if(a.x<a.y){oPos=a;}"), "only 'a>b'"},
        {Code("if(a.x==a.y){oPos=a;}"), "only 'a>b'"},
        {Code("if(a.x>a.y){if(a.x>a.z){oPos=a;}}"), "an if inside an if"},
        {Code("if(a.x>a.y){oPos=a;}elsewhere{oPos=a;}"), "expected '{'"},
        {Code("if(a.x>a.y)oPos=a;"), "expected '{'"},
        {Code("t=a;u=a;if(a.x>a.y){t=a;u=t;}else{u=t;}"), "reads 't' after assigning it"},
        {Code("phase;"), "only allowed in [SHADER]"},
        {Code(Repeat("oPos=a;\n", 129)), "more than 128 instructions"},
        {Code(Repeat("oPos=sin(a.x);\n", 7)), "more than 128 instructions", true},
        {Code("t0=a;t1=a;t2=a;t3=a;t4=a;t5=a;t6=a;t7=a;t8=a;t9=a;t10=a;t11=a;t12=a;"),
         "out of temporary registers"},
        {Code("oPos=" + Repeat("a+(", 16) + "a" + std::string(16, ')') + ";"),
         "out of temporary registers"},
        {Code("oPos=iPos;", "VECTOR a;", "Out=a;"), "cannot be used in pixel code", true},
        {Code("oPos=iPos;", "PSCONST k;", "oPos=k;"), "cannot assign to 'oPos'", true},
        {Code("oPos=k;", "PSCONST k;"), "cannot be used in vertex code"},
        {Code("oPos=iPos;", "", "Out=Diffuse/Specular;"), "not available in pixel code", true},
        {Code("oPos=iPos;", "", "Out=Diffuse*2;"), "not available in pixel code", true},
        {Code("oPos=iPos;", "", "Out=Tex0;"), "coord(TexN)", true},
        {Code("oPos=iPos;", "", "if(Diffuse>Specular){Out=Diffuse;}"), "if is not available", true},
        {Code("oPos=iPos;", "", "Out=sample(Diffuse);"), "sample() reads TexN", true},
        {Code("oPos=iPos;", "", "Out=coord(Out);"), "coord() reads TexN", true},
        {Code("oPos=iPos;", "", "Out=blend(Diffuse);"), "unknown pixel function", true},
        {Code("oPos=iPos;", "",
              "a=Diffuse;b=Diffuse;c=Diffuse;d=Diffuse;e=Diffuse;Out=sample(Tex1);"),
         "sample(Tex1) needs r1", true},
    };
    for (const Bad &b : cases) ExpectFails(b);
}

TEST(ShaderErrors, Macros) {
    const Bad cases[] = {
        {"[MACROS]\nloop(x){loop(x);}\n" + Code("loop(oPos);"), "calls itself"},
        {"[MACROS]\nping(x){pong(x);}\npong(x){ping(x);}\n" + Code("ping(oPos);"), "calls itself"},
        // Doubling at every level would expand to 2^20 statements.
        {"[MACROS]\nm0(x){x=a;x=a;}\nm1(x){m0(x);m0(x);}\nm2(x){m1(x);m1(x);}\nm3(x){m2(x);m2(x);}"
         "\n"
         "m4(x){m3(x);m3(x);}\nm5(x){m4(x);m4(x);}\nm6(x){m5(x);m5(x);}\nm7(x){m6(x);m6(x);}\n"
         "m8(x){m7(x);m7(x);}\nm9(x){m8(x);m8(x);}\nm10(x){m9(x);m9(x);}\n" +
             Code("m10(oPos);"),
         "more than"},
        {"[MACROS]\nloop(x){if(a.x>a.y){loop(x);}}\n" + Code("loop(oPos);"), "an if inside an if"},
        {"[MACROS]\nloop(x){x=a;loop(x);}\n" + Code("if(a.x>a.y){loop(oPos);}"), "calls itself"},
        {"[MACROS]\nm(x,y){x=y;}\n" + Code("m(oPos);"), "takes 2 argument"},
        {"[MACROS]\nm(x){x=a;}\n" + Code("oPos=m(a);"), "whole statement"},
        {Code("nomacro(oPos);"), "unknown macro 'nomacro'"},
    };
    for (const Bad &b : cases) ExpectFails(b);
}

TEST(ShaderErrors, SoftwareTargetLimits) {
    ShaderCompiler sc;
    std::string s = Code("oPos=lit(a);");
    EXPECT_FALSE(sc.Compile(s.c_str(), kShaderTargetSoftware));
    EXPECT_NE(std::string(sc.Error()).find("not available in the software target"),
              std::string::npos);
    EXPECT_TRUE(sc.programs.empty());
    // The same script is fine for the effect target, and a failure leaves no
    // state behind for the next compile.
    EXPECT_TRUE(sc.Compile(s.c_str(), kShaderTargetEffect)) << sc.Error();
    EXPECT_STREQ(sc.Error(), "");
    EXPECT_FALSE(sc.Compile(nullptr, kShaderTargetEffect));
    EXPECT_STREQ(sc.Error(), "Error: no script");
}

TEST(ShaderErrors, TextEndsAtLengthOrNul) {
    // A script followed by garbage the length excludes; and one with a NUL.
    std::string good = Code("oPos=iPos;");
    std::string padded = good + "[BROKEN";
    ShaderCompiler sc;
    EXPECT_TRUE(sc.Compile(padded.c_str(), good.size(), kShaderTargetEffect)) << sc.Error();
    std::string nul = good;
    nul.insert(nul.find("[END]"), std::string("\0[FOO]", 6));
    EXPECT_TRUE(sc.Compile(nul.c_str(), nul.size(), kShaderTargetEffect)) << sc.Error();
    // Cut in the middle of a statement.
    EXPECT_FALSE(sc.Compile(good.c_str(), good.find(';'), kShaderTargetEffect));
    EXPECT_NE(std::string(sc.Error()).find("missing ';'"), std::string::npos);
}

// Large texts are read in one pass: these would take hours if a blank run or
// a long list of words were rescanned for every character.
TEST(ShaderErrors, LargeInputsAreReadInOnePass) {
    ShaderCompiler sc;
    std::string blanks =
        "[VERTEXFORMAT] XYZ\n[TECHNIQUE]\n[PASS0]\n[POSITION]\noPos=" + std::string(4 << 20, ' ') +
        std::string(1 << 20, '\n') + "iPos;\n[END]";
    EXPECT_TRUE(sc.Compile(blanks.c_str(), kShaderTargetEffect)) << sc.Error();
    std::string words = "[VERTEXFORMAT]" + Repeat(" XYZ", 1 << 18) + "\n[TECHNIQUE]" +
                        Repeat(" words", 1 << 18) +
                        "\n[PASS0]\n[POSITION]\noPos=iPos;\n[RENDER_STATE]\n" +
                        Repeat("Unknown True\n", 1 << 16) + "[END]";
    EXPECT_TRUE(sc.Compile(words.c_str(), kShaderTargetEffect)) << sc.Error();
    std::string statements = Code(Repeat("t=iPos;", 1 << 16));
    EXPECT_FALSE(sc.Compile(statements.c_str(), kShaderTargetEffect));
    EXPECT_NE(std::string(sc.Error()).find("more than 128 instructions"), std::string::npos);
}
