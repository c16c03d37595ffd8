// The effect text, ARB text and software listing the compiler writes.
#include <gtest/gtest.h>

#include <algorithm>

#include "ShaderRun.h"
#include "app/LogoScripts.h"

namespace {

const int kAllCaps = kShaderCapMultitexture | kShaderCapDot3 | kShaderCapPixelShader14;

std::string Compiled(const std::string &script, int flags = kShaderTargetEffect | kAllCaps) {
    ShaderCompiler sc;
    EXPECT_TRUE(sc.Compile(script.c_str(), flags)) << sc.Error() << "\n" << script;
    return sc.Text();
}

bool Has(const std::string &text, const std::string &line) {
    std::vector<std::string> l = Lines(text);
    return std::find(l.begin(), l.end(), line) != l.end();
}

// Index of a line, -1 when absent.
int At(const std::string &text, const std::string &line) {
    std::vector<std::string> l = Lines(text);
    auto it = std::find(l.begin(), l.end(), line);
    return it == l.end() ? -1 : (int)(it - l.begin());
}

std::string Vertex(const std::string &defines, const std::string &code,
                   const std::string &states = "", const std::string &format = "XYZ NORMAL TEX0") {
    return "[VERTEXFORMAT]\n" + format + "\n[DEFINES]\n" + defines +
           "\n[TECHNIQUE] test\n[PASS0]\n[POSITION]\n" + code + "\n[RENDER_STATE]\n" + states +
           "\n[END]\n";
}

}  // namespace

TEST(ShaderCompiler, SphereMappingExample) {
    std::string text = Compiled(kLogoEnvironmentScript);
    const char *const expected[] = {
        "TEXTURE tex;",
        "MATRIX WORLD;",
        "MATRIX VIEWPROJ;",
        "TECHNIQUE T0",
        "{",
        "PASS P0",
        "{",
        "Texture[0] = <tex>;",
        "AlphaOp[0] = SelectArg2;",
        "AlphaOp[1] = Disable;",
        "AlphaArg2[0] = Diffuse;",
        "ColorOp[0] = Modulate;",
        "ColorOp[1] = Disable;",
        "ColorArg1[0] = Texture;",
        "ColorArg2[0] = Diffuse;",
        "TexCoordIndex[0] = 0;",
        "AlphaBlendEnable = False;",
        "ZEnable = True;",
        "ZWriteEnable = True;",
        "ShadeMode = Gouraud;",
        "CullMode = Ccw;",
        "VertexShaderConstant4[0] = <WORLD>;",
        "VertexShaderConstant4[4] = <VIEWPROJ>;",
        "VertexShaderConstant1[8] = { 0.0000f,0.0000f,0.0000f,0.0000f };",
        "VertexShaderConstant1[9] = { 1.0000f,1.0000f,1.0000f,1.0000f };",
        "VertexShaderConstant1[10] = { 0.5000f,0.0000f,0.0000f,0.0000f };",
    };
    std::vector<std::string> lines = Lines(text);
    ASSERT_GE(lines.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; i++)
        EXPECT_EQ(lines[i], expected[i]);
    // The seven built-in constants follow, exact enough to read back.
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[16] = { 2.0000f,3.0000f,4.0000f,5.0000f };"));
    EXPECT_TRUE(
        Has(text, "VertexShaderConstant1[12] = { 0.0000f,1.57079637f,1.0000f,3.14159274f };"));
    const char *const tail[] = {"VertexShader =",
                                "decl",
                                "{",
                                "float v0[3];",
                                "float v3[3];",
                                "float v7[2];",
                                "}",
                                "asm",
                                "{",
                                "vs.1.1",
                                "m4x4 r0,v0,c0",
                                "m3x3 r1,v3,c0",
                                "m4x4 oPos,r0,c4",
                                "mov oD0,c9",
                                "mul r2.x,c10.x,r1.x",
                                "add oT0.x,c10.x,r2.x",
                                "mul r2.y,c10.x,r1.y",
                                "add oT0.y,c10.x,r2.y",
                                "};",
                                "}",
                                "}"};
    int start = At(text, "VertexShaderConstant1[17] = { 6.0000f,7.0000f,8.0000f,9.0000f };");
    ASSERT_GE(start, 0);
    ASSERT_EQ(lines.size(), start + 1 + sizeof tail / sizeof tail[0]);
    for (size_t i = 0; i < sizeof tail / sizeof tail[0]; i++)
        EXPECT_EQ(lines[start + 1 + i], tail[i]);
}

TEST(ShaderCompiler, MatrixProductNamesItsFirstRegister) {
    std::string text =
        Compiled(Vertex("MATRIX WORLD;\nMATRIX VIEWPROJ;", "u1=iPos;\noPos=u1*4VIEWPROJ;"));
    EXPECT_TRUE(Has(text, "m4x4 oPos,r0,c4")) << text;
}

TEST(ShaderCompiler, OperatorSplitIsLeftmostFirst) {
    // a-b+c: the sum b+c is computed first, then subtracted.
    std::string text = Compiled(Vertex("VECTOR a;\nVECTOR b;\nVECTOR c;", "t=a-b+c;\noPos=t;"));
    // c goes through a register first: vs.1.1 reads one constant per instruction.
    int mov = At(text, "mov r2,c2");
    ASSERT_GE(mov, 0) << text;
    EXPECT_EQ(At(text, "add r1,c1,r2"), mov + 1) << text;
    EXPECT_EQ(At(text, "sub r0,c0,r1"), mov + 2) << text;
}

TEST(ShaderCompiler, TechniqueChoiceFollowsCapabilities) {
    const std::string script =
        "[VERTEXFORMAT] XYZ\n[TECHNIQUE] best SHADERS\n[PASS0]\n[POSITION]\noPos=iPos;\n"
        "[TECHNIQUE] two textures MULTITEXTURE DOT3\n[PASS0]\n[POSITION]\noPos=iPos;\n"
        "[PASS1]\n[POSITION]\noPos=iPos;\n"
        "[TECHNIQUE] All cards\n[PASS0]\n[POSITION]\noPos=iPos;\n[END]";
    struct Case {
        int caps, technique, passes;
    } cases[] = {{kAllCaps, 0, 1},
                 {kShaderCapMultitexture | kShaderCapDot3, 1, 2},
                 {kShaderCapMultitexture, 2, 1},
                 {kShaderCapDot3 | kShaderCapPixelShader14, 0, 1},
                 {0, 2, 1}};
    for (const Case &c : cases) {
        ShaderCompiler sc;
        ASSERT_TRUE(sc.Compile(script.c_str(), kShaderTargetEffect | c.caps)) << sc.Error();
        EXPECT_EQ(sc.ChosenTechnique(), c.technique) << c.caps;
        EXPECT_EQ(sc.PassCount(), c.passes);
        EXPECT_TRUE(Has(sc.Text(), "TECHNIQUE T0"));
        EXPECT_EQ(Has(sc.Text(), "PASS P1"), c.passes == 2);
    }
    ShaderCompiler sc;
    EXPECT_FALSE(sc.Compile("[TECHNIQUE] SHADERS\n[PASS0]\n", kShaderTargetEffect));
    EXPECT_STREQ(sc.Error(), "Error: no technique suits this device");
}

TEST(ShaderCompiler, ConstantsAndLayout) {
    std::string text = Compiled(Vertex(
        "CONST half=0.5;\nCONST zero;\nCONST z2=;\nCONST q=1,-2.5,3;\nMATRIX bones[2];\nVECTOR "
        "lights[3];\nDWORD flags;\nVECTOR v;\nTEXTURE t1;\nTEXTURE t2;",
        "oPos=half;"));
    const char *const expected[] = {
        "TEXTURE t1;",     "TEXTURE t2;",     "MATRIX bones0;", "MATRIX bones1;", "VECTOR lights0;",
        "VECTOR lights1;", "VECTOR lights2;", "VECTOR v;",      "DWORD flags;",   "TECHNIQUE T0"};
    std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; i++)
        EXPECT_EQ(lines[i], expected[i]);
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[0] = { 0.5000f,0.0000f,0.0000f,0.0000f };"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[1] = { 0.0000f,0.0000f,0.0000f,0.0000f };"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[2] = { 0.0000f,0.0000f,0.0000f,0.0000f };"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[3] = { 1.0000f,-2.5000f,3.0000f,0.0000f };"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant4[4] = <bones0>;"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant4[8] = <bones1>;"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[12] = <lights0>;"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[14] = <lights2>;"));
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[15] = <v>;"));
    // The built-ins come after every declaration of the script.
    EXPECT_TRUE(Has(text, "VertexShaderConstant1[22] = { 6.0000f,7.0000f,8.0000f,9.0000f };"));
    ShaderCompiler sc;
    ASSERT_TRUE(sc.Compile(Vertex("VECTOR a;", "oPos=a;").c_str(), kShaderTargetEffect));
    EXPECT_EQ(sc.FindSymbol("trigo_mod")->first, 1);
    EXPECT_EQ(sc.FindSymbol("multipliers2")->first, 7);
    EXPECT_EQ(sc.registersUsed, 8);
}

TEST(ShaderCompiler, RenderStateValues) {
    // Values and names are case-insensitive; a state given twice keeps the last.
    std::string text = Compiled(Vertex("TEXTURE tex;", "oPos=iPos;",
                                       "colorop[0] modulate\nCOLORARG1[0] Texture   \n"
                                       "ColorArg2[0] texture\nCull CW\nCull none\nzfunc lequal\n"
                                       "texture[3] TEX\nZBias Offset_3\nAlphaRef Offset_7\n"
                                       "shademode flat\nSrcBlend invdstcolor\nNoSuchState True"));
    EXPECT_TRUE(Has(text, "ColorOp[0] = Modulate;"));
    EXPECT_TRUE(Has(text, "ColorArg1[0] = Texture;"));
    EXPECT_TRUE(Has(text, "ColorArg2[0] = Texture;"));
    EXPECT_TRUE(Has(text, "CullMode = None;"));
    EXPECT_FALSE(Has(text, "CullMode = Cw;"));
    EXPECT_TRUE(Has(text, "ZFunc = LessEqual;"));
    EXPECT_TRUE(Has(text, "Texture[3] = <tex>;"));
    EXPECT_TRUE(Has(text, "Zbias = 3;"));
    EXPECT_TRUE(Has(text, "AlphaRef = 7;"));
    EXPECT_TRUE(Has(text, "ShadeMode = Flat;"));
    EXPECT_TRUE(Has(text, "SrcBlend = invDestColor;"));
    // Fixed order: ZBias before ShadeMode before ZFunc before CullMode.
    EXPECT_LT(At(text, "Zbias = 3;"), At(text, "ShadeMode = Flat;"));
    EXPECT_LT(At(text, "ShadeMode = Flat;"), At(text, "ZFunc = LessEqual;"));
    EXPECT_LT(At(text, "AlphaRef = 7;"), At(text, "CullMode = None;"));
    // Blend False alone writes only AlphaBlendEnable among the blend states.
    std::string blend = Compiled(Vertex("", "oPos=iPos;", "Blend False"));
    EXPECT_TRUE(Has(blend, "AlphaBlendEnable = False;"));
    EXPECT_EQ(blend.find("SrcBlend"), std::string::npos);
    EXPECT_EQ(blend.find("DestBlend"), std::string::npos);
    EXPECT_EQ(blend.find("Stencil"), std::string::npos);
}

TEST(ShaderCompiler, ValueIdentities) {
    EXPECT_STREQ(RsValueName(500), "UNDEFINED");
    EXPECT_EQ(RsFindValue("UNDEFINED"), -1);  // "not given" cannot be written in a script
    EXPECT_EQ(RsFindValue("MODULATE"), 501);
    EXPECT_EQ(RsFindValue("TRUE"), 508);
    EXPECT_EQ(RsFindValue("TEXCOO2"), 529);
    EXPECT_EQ(RsFindValue("ALWAYS"), 540);
    EXPECT_EQ(RsFindValue("GEQUAL_ONE"), 544);
    EXPECT_EQ(RsFindValue("SMOOTH"), 547);
    EXPECT_EQ(RsFindValue("OFFSET_7"), 556);
    EXPECT_EQ(RsFindValue("NEVER"), 557);
    EXPECT_EQ(RsFindValue("SELECTARG2"), 565);
    EXPECT_EQ(RsFindValue("Modulate"), -1);  // callers upper-case first
    EXPECT_EQ(RsFindValue(""), -1);
    for (int v = 501; v <= 565; v++) {
        if (v == 545 || v == 546) continue;
        EXPECT_EQ(RsFindValue(RsValueName(v)), v) << v;
    }
}

TEST(ShaderCompiler, StencilAndRenderTargetBundles) {
    std::string text =
        Compiled(Vertex("", "oPos=iPos;", "RenderTarget Stencil_NoZTest\nStencil Decrement"));
    const char *const expected[] = {
        "StencilRef = 0x1;",   "StencilMask = 0xffffffff;", "StencilWriteMask = 0xffffffff;",
        "StencilPass = Decr;", "AlphaBlendEnable = True;",  "SrcBlend = Zero;",
        "DestBlend = One;",    "StencilFunc = Always;",     "StencilZFail = Replace;",
        "StencilFail = Keep;", "ZWriteEnable = False;",     "StencilEnable = True;",
        "ShadeMode = Flat;"};
    int first = At(text, expected[0]);
    ASSERT_GE(first, 0) << text;
    std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; i++)
        EXPECT_EQ(lines[first + i], expected[i]);
    std::vector<std::string> l;
    EXPECT_TRUE(RsStencilLines(RsFindValue("EQUAL_ZERO"), l));
    EXPECT_EQ(l, (std::vector<std::string>{"StencilRef = 0x0;", "StencilFunc = Equal;",
                                           "StencilPass = Replace;"}));
    l.clear();
    EXPECT_TRUE(RsRenderTargetLines(RsFindValue("ZBUFFER"), l));
    EXPECT_EQ(l.back(), "ZWriteEnable = True;");
    EXPECT_FALSE(RsStencilLines(RsFindValue("RENDER"), l));
    EXPECT_FALSE(RsRenderTargetLines(RsFindValue("INCREMENT"), l));
}

TEST(ShaderCompiler, RenderStateErrorKeepsTheText) {
    ShaderCompiler sc;
    std::string script = Vertex("TEXTURE tex;", "oPos=iPos;",
                                "Cull Ccw\nColorOp[0] Sideways\nTexture[0] nothere\nBlend True");
    EXPECT_FALSE(sc.Compile(script.c_str(), kShaderTargetEffect));
    EXPECT_STREQ(sc.Error(), "Error: RS:'nothere'");  // the last failure is kept
    EXPECT_TRUE(Has(sc.Text(), "m4x4 oPos,v0,c0") || Has(sc.Text(), "mov oPos,v0")) << sc.Text();
    EXPECT_FALSE(Has(sc.Text(), "CullMode = Ccw;"));
    EXPECT_FALSE(Has(sc.Text(), "AlphaBlendEnable = True;"));
    // A bundle value that is not a stencil value is an error too.
    EXPECT_FALSE(
        sc.Compile(Vertex("", "oPos=iPos;", "Stencil Render").c_str(), kShaderTargetEffect));
    EXPECT_STREQ(sc.Error(), "Error: RS:'Render'");
    // An unknown state name is skipped with a warning; the compile succeeds.
    EXPECT_TRUE(sc.Compile(Vertex("", "oPos=iPos;", "ColorOp[7] Modulate\nCull Cw").c_str(),
                           kShaderTargetEffect));
    EXPECT_NE(sc.warnings.find("COLOROP[7]"), std::string::npos);
    EXPECT_TRUE(Has(sc.Text(), "CullMode = Cw;"));
}

TEST(ShaderCompiler, AddressingConditionalsAndMacros) {
    std::string text = Compiled(Vertex("VECTOR tab[4];\nVECTOR a;",
                                       "Address=a.x;\noPos=tab[Address+2].y;\noDiffuse=tab[3];\n"
                                       "if(a.y>a.z){t=a;}else{t=tab[1];}\noSpecular=t;"));
    EXPECT_TRUE(Has(text, "mov a0.x,c4.x")) << text;
    EXPECT_TRUE(Has(text, "mov oPos,c[2+a0.x].y")) << text;
    EXPECT_TRUE(Has(text, "mov oD0,c3")) << text;
    EXPECT_NE(text.find("sge r0.x,"), std::string::npos) << text;
    EXPECT_TRUE(Has(text, "sub r0.y,c6.z,r0.x")) << text;  // ifelse.y = 1 - ifelse.x
    // Macros expand where they are called.
    std::string m = Compiled(
        "[VERTEXFORMAT] XYZ\n[MACROS]\ncopy(d,s){d=s;}\ntwice(d,s){copy(d,s);copy(oDiffuse,s);}\n"
        "[TECHNIQUE]\n[PASS0]\n[POSITION]\ntwice(oPos,iPos);\n[END]");
    EXPECT_TRUE(Has(m, "mov oPos,v0"));
    EXPECT_TRUE(Has(m, "mov oD0,v0"));
}

TEST(ShaderCompiler, PixelShaderBlock) {
    std::string text = Compiled(
        "[VERTEXFORMAT] XYZ TEX0\n[DEFINES]\nPSCONST k=0.25,0.5,0.75,1;\n[TECHNIQUE] SHADERS\n"
        "[PASS0]\n[POSITION]\noPos=iPos;\n[SHADER]\nOut=sample(Tex0);\nc.rgb=coord(Tex0);\nphase\n"
        "Out=lerp_sat(k,Out,c);\n[END]");
    const char *const expected[] = {"PixelShader =",
                                    "asm",
                                    "{",
                                    "ps.1.4",
                                    "def  c0, 0.2500, 0.5000, 0.7500, 1.0000",
                                    "texld r0,t0",
                                    "texcrd r1.rgb,t0",
                                    "phase",
                                    "lrp_sat r0,c0,r0,r1",
                                    "};",
                                    "}",
                                    "}"};
    int first = At(text, "PixelShader =");
    ASSERT_GE(first, 0) << text;
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), first + sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; i++)
        EXPECT_EQ(lines[first + i], expected[i]);
}

TEST(ShaderCompiler, TargetsByFlags) {
    const std::string script =
        Vertex("MATRIX WORLD;\nCONST half=0.5;\nVECTOR tab[2];",
               "tPos=iPos*4WORLD;\noPos=tPos;\noTexture0=half.x*tPos;\noDiffuse=exp2(half);");
    ShaderCompiler sc;
    // The software flag wins over ARB, ARB over the effect.
    ASSERT_TRUE(sc.Compile(script.c_str(), kShaderTargetEffect | kShaderTargetArb));
    EXPECT_EQ(sc.target, 1);
    std::string arb = sc.Text();
    EXPECT_TRUE(Has(arb, "!!ARBvp1.0"));
    EXPECT_TRUE(Has(arb, "ATTRIB iPos = vertex.attrib[0];"));
    EXPECT_TRUE(Has(arb, "ATTRIB iNorm = vertex.attrib[2];"));
    EXPECT_TRUE(Has(arb, "ATTRIB iTexture0 = vertex.attrib[8];"));
    EXPECT_TRUE(Has(arb, "OUTPUT oPos = result.position;"));
    EXPECT_TRUE(Has(arb, "OUTPUT oDiffuse = result.color;"));
    EXPECT_TRUE(Has(arb, "OUTPUT oTexture0 = result.texcoord[0];"));
    EXPECT_TRUE(Has(arb, "TEMP r0;"));
    EXPECT_TRUE(Has(arb, "PARAM WORLD[4] = { state.matrix.program[0] };"));
    EXPECT_TRUE(Has(arb, "PARAM half = { 0.5000,0.0000,0.0000,0.0000 };"));
    EXPECT_TRUE(Has(arb, "PARAM tab[2] = { program.env[5..6] };"));
    EXPECT_TRUE(Has(arb, "DP4 r0.x,iPos,WORLD[0];"));
    EXPECT_TRUE(Has(arb, "DP4 r0.w,iPos,WORLD[3];"));
    EXPECT_TRUE(Has(arb, "MUL oTexture0,half.x,r0;"));
    EXPECT_TRUE(Has(arb, "EX2 oDiffuse,half.w;"));
    EXPECT_TRUE(Has(arb, "END"));
    // The pixel code becomes a fragment program that hands r0 over at the end.
    std::string pixel =
        "[VERTEXFORMAT] XYZ\n[DEFINES]\nPSCONST k=0.5;\n[TECHNIQUE]\n[PASS0]\n[POSITION]\n"
        "oPos=iPos;\n[SHADER]\nb=sample(Tex1);\nOut=dotbx2(b,k);\nOut=mul_x2(Out,Diffuse);\n[END]";
    ASSERT_TRUE(sc.Compile(pixel.c_str(), kShaderTargetArb)) << sc.Error();
    std::string fp = sc.Text().substr(sc.Text().find("!!ARBfp1.0"));
    const char *const fragment[] = {"TEX r1,fragment.texcoord[1],texture[1],2D;",
                                    "MAD bx2t0,r1,bx2.x,bx2.y;",
                                    "MAD bx2t1,k,bx2.x,bx2.y;",
                                    "DP3 r0,bx2t0,bx2t1;",
                                    "MUL r0,r0,fragment.color;",
                                    "ADD r0,r0,r0;",
                                    "MOV result.color,r0;",
                                    "END"};
    int at = At(fp, fragment[0]);
    ASSERT_GE(at, 0) << fp;
    for (size_t i = 0; i < sizeof fragment / sizeof fragment[0]; i++)
        EXPECT_EQ(Lines(fp)[at + i], fragment[i]);
    ASSERT_TRUE(sc.Compile(script.c_str(), kShaderTargetSoftware | kShaderTargetArb));
    EXPECT_EQ(sc.target, 2);
    ASSERT_EQ(sc.programs.size(), 1u);
    ASSERT_EQ(sc.programs[0].code.size(), 4u);
    EXPECT_EQ(sc.programs[0].code[0].op, kSwM4x4);
    EXPECT_EQ(sc.programs[0].code[3].op, kSwExp);
    EXPECT_EQ(sc.programs[0].code[3].src[0].broadcast, 3);
    for (const SwInstr &in : sc.programs[0].code) EXPECT_NE(in.eval, nullptr);
    EXPECT_TRUE(Has(sc.Text(), "M4X4 r0,v0,c0"));
}

TEST(ShaderCompiler, LogoScriptsCompileForEveryDevice) {
    for (const char *script : {kLogoEnvironmentScript, kLogoLightShaftScript}) {
        for (int caps = 0; caps < 8; caps++) {
            int flags = (caps & 1 ? kShaderCapMultitexture : 0) | (caps & 2 ? kShaderCapDot3 : 0) |
                        (caps & 4 ? kShaderCapPixelShader14 : 0);
            for (int target : {kShaderTargetEffect, kShaderTargetArb, kShaderTargetSoftware}) {
                ShaderCompiler sc;
                EXPECT_TRUE(sc.Compile(script, flags | target)) << sc.Error();
                EXPECT_TRUE(sc.warnings.empty()) << sc.warnings;
            }
        }
    }
    ShaderCompiler sc;
    ASSERT_TRUE(sc.Compile(kLogoLightShaftScript, kShaderTargetEffect));
    EXPECT_EQ(sc.PassCount(), 2);
    EXPECT_TRUE(Has(sc.Text(), "CullMode = Cw;"));
    EXPECT_TRUE(Has(sc.Text(), "ZEnable = False;"));
    EXPECT_TRUE(Has(sc.Text(), "DestBlend = One;"));
}

// The light-shaft vertex code, run: a vertex facing away from the light moves
// away from it by `longueur`, a vertex facing it stays.
TEST(ShaderCompiler, LightShaftMovesBackFacingVertices) {
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int pass = 0; pass < 2; pass++) {
        for (int facing = 0; facing < 2; facing++) {
            VertexRun r;
            ASSERT_TRUE(r.Build(kLogoLightShaftScript, 0, pass)) << r.error;
            r.Matrix("WORLD", identity);
            r.Matrix("VIEWPROJ", identity);
            r.Vector("Light", 0, 0, -5);
            r.Vector("longueur", 3, 3, 3);
            r.Vector("Decal", 0.2f, 0.2f, 0.2f);
            r.Input(0, 0, 0, -1);                        // 4 units in front of the light
            r.Input(3, 0, 0, facing ? -1.0f : 1.0f, 0);  // normal towards or away from it
            r.Input(7, 0.25f, 0.75f, 0, 1);
            ASSERT_TRUE(r.Run());
            EXPECT_FLOAT_EQ(r.m.oPos[2], facing ? -1 : 2) << pass << facing;
            EXPECT_FLOAT_EQ(r.m.oPos[3], 1);
            EXPECT_FLOAT_EQ(r.m.oD[0][0], facing ? 0.5f : -0.5f);
            EXPECT_FLOAT_EQ(r.m.oT[0][1], 0.75f);
        }
    }
}
