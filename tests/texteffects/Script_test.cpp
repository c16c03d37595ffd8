// Reading scripts: keywords, odd spellings, limits and bad input; rendering
// them end to end with the game's font; the shipped example scripts.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "image/Png.h"
#include "image/TrueType.h"
#include "persist/WideString.h"
#include "texteffects/TextEffects.h"

using namespace texteffects;

namespace {

const char *kFont = "data/gfx/font/vagron.ttf";

std::string Bytes(const std::string &utf8) {
    std::u16string w;
    EXPECT_TRUE(persist::Utf8ToUtf16(utf8, &w));
    std::string out = "\xFF\xFE";
    for (char16_t c : w) {
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
    return out;
}

ScriptHandle Load(const std::string &utf8) {
    std::string b = Bytes(utf8);
    return ScriptHandle(
        LoadScriptFromMemory(reinterpret_cast<const uint8_t *>(b.data()), b.size(), "test"));
}

// Loads (or renders) with standard error captured into *err.
ScriptHandle LoadQuiet(const std::string &utf8, std::string *err) {
    testing::internal::CaptureStderr();
    ScriptHandle s = Load(utf8);
    *err = testing::internal::GetCapturedStderr();
    return s;
}

std::string Font(const std::string &name, const std::string &lines) {
    return name + "\n{\nFICHIER=\"" + kFont + "\"\n" + lines + "}\n";
}

class ScriptTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SetGeneratorContext(64, 48, "./"), 1); }
    void TearDown() override { SetGeneratorContext(1024, 768, "./"); }
};

}  // namespace

TEST_F(ScriptTest, FontKeywords) {
    ScriptHandle s = Load("FONTES {\n" +
                          Font("titre",
                               "SIZE=40\nGRAS\nITALIQUE\nOUTLINE=3\nOMBRAGE=(4,-5)\n"
                               "DEGRADE=(255,200,0)/(10,20,30)\nSINUS\n") +
                          Font("gras", "SIZE = 20 ITALIQUE GRAS\n") + "}\nEND\n");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->fonts.size(), 2u);
    const ScriptFont &f = s->fonts[0];
    EXPECT_EQ(f.name, u"titre");
    EXPECT_EQ(f.file, kFont);
    EXPECT_EQ(f.size, 40);
    EXPECT_EQ(f.style, 2);  // the later line wins
    EXPECT_EQ(f.outline, 3);
    EXPECT_TRUE(f.shadow);
    EXPECT_EQ(f.dx, 4);
    EXPECT_EQ(f.dy, -5);
    EXPECT_EQ(f.fillMode, 2);
    EXPECT_EQ(f.top[1], 200);
    EXPECT_EQ(f.bottom[2], 30);
    ASSERT_TRUE(f.font && f.font->IsOpen());
    EXPECT_EQ(f.font->Style(), image::StyleItalic);
    // Several keywords on one line all apply; the parameters follow the "=".
    EXPECT_EQ(s->fonts[1].size, 20);
    EXPECT_EQ(s->fonts[1].style, 2);
    EXPECT_FALSE(s->fonts[1].shadow);
    EXPECT_EQ(s->fonts[1].fillMode, 0);
}

TEST_F(ScriptTest, OddSpellings) {
    std::string err;
    ScriptHandle s = LoadQuiet(
        "  junk FONTES\tjunk {\r\n" +
            Font("a", "SIZE=12\r\nOMBRAGE= (2,3)\r\nDEGRADE=(1, 2, 3)/(4,5,6)\r\n") +
            Font("b", "size=12\nOUTLINE=2\n") +  // lower case is not a keyword
            Font("c",
                 "XSIZEX=99999999999\nOMBRAGE=(1 ,2)\n") +  // substring counts; ',' must follow
            Font("d", "SIZE=0\n") +                         // no font at size 0
            Font("e", "SIZE=-4\n") +
            "}\nCOMPOSITION { }",
        &err);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->fonts.size(), 1u);
    EXPECT_EQ(s->fonts[0].name, u"a");
    EXPECT_FALSE(s->fonts[0].shadow);  // "(" must follow "=" directly
    EXPECT_EQ(s->fonts[0].fillMode, 1);
    EXPECT_EQ(s->fonts[0].top[2], 3);  // white space before a number is fine
    // c: the size is kept within the limit, then refused as out of range.
    EXPECT_NE(err.find("font size out of range (1 to 256), skipped: c"), std::string::npos);
    EXPECT_NE(err.find("font size out of range (1 to 256), skipped: e"), std::string::npos);
}

TEST_F(ScriptTest, BitmapKeywordsAndTheLaterSourceWins) {
    Image white;
    white.width = 3;
    white.height = 2;
    white.pixels.assign(24, 255);
    ASSERT_EQ(WritePng("white.png", white, 0), 1);
    std::string err;
    ScriptHandle s = LoadQuiet(
        "BITMAPS\n{\n"
        "nuage\n{\nFICHIER=\"white.png\"\nCLOUDS=(255,0,0,5,4)\nOMBRAGE=(1,2)\nOUTLINE=1\n}\n"
        "fichier\n{\nCLOUDS=(255,0,0,5,4)\nFICHIER=\"white.png\"\n}\n"
        "manque\n{\nFICHIER=\"missing.png\"\n}\n"
        "dehors\n{\nFICHIER=\"../white.png\"\n}\n"
        "vide\n{\nOMBRAGE=(1,1)\n}\n"
        "enorme\n{\nCLOUDS=(1,1,1,5000,10)\n}\n"
        "}\n",
        &err);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->bitmaps.size(), 2u);
    const ScriptBitmap &a = s->bitmaps[0];
    EXPECT_TRUE(a.clouds);
    EXPECT_EQ(a.image.width, 5);
    EXPECT_EQ(a.image.height, 4);
    EXPECT_EQ(a.image.pixels[1], 0);  // tinted red only
    EXPECT_TRUE(a.shadow);
    EXPECT_EQ(a.dy, 2);
    EXPECT_EQ(a.outline, 1);
    const ScriptBitmap &b = s->bitmaps[1];
    EXPECT_FALSE(b.clouds);
    EXPECT_EQ(b.image.width, 3);
    EXPECT_GE(b.image.pixels[5], 240);  // the file keeps 16-bit precision
    EXPECT_NE(err.find("cannot load bitmap missing.png (manque)"), std::string::npos);
    EXPECT_NE(err.find("cannot load bitmap ../white.png (dehors)"), std::string::npos);
    EXPECT_NE(err.find("clouds size out of range (1 to 4096), skipped: enorme"), std::string::npos);
    remove("white.png");
}

TEST_F(ScriptTest, CompositionBeforeFontsIgnoresThem) {
    ScriptHandle s = Load("COMPOSITION { ONDE=(1,2) }\nFONTES {\n" + Font("f", "SIZE=10\n") + "}");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->fonts.empty());
    EXPECT_EQ(s->operations.size(), 1u);
    // END stops everything after it.
    s = Load("END FONTES {\n" + Font("f", "SIZE=10\n") + "}");
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->fonts.empty());
}

TEST_F(ScriptTest, Operations) {
    ScriptHandle s = Load(
        "COMPOSITION\n{\n"
        "MOSAIC=ciel (1,2)\n"
        "ETIRER=bois (-3,4)\n"
        "BITMAP=b (5,6) FBITMAP=fb (7,8)\n"
        "TEXTE=titre (9,10) \"Marbrix   3D\n  dominoes\" junk\n"
        "CARREDEGRADE=COULEUR(1,2,3) (11,12) (13,14)\n"
        "ONDE=(15,16) ONDEOMBREE=(17,18) (19,20)\n"
        "EMBOSS=(21,22,23) (24,25,26)\n"
        "TEXTE=t (0,0) \"one\"two three\n"
        "}\n"
        "MOSAIC=after (0,0)\n");
    ASSERT_TRUE(s);
    const auto &ops = s->operations;
    ASSERT_EQ(ops.size(), 10u);
    EXPECT_EQ(ops[0].kind, OpMosaic);
    EXPECT_EQ(ops[0].name, u"ciel");
    EXPECT_EQ(ops[0].y, 2);
    EXPECT_EQ(ops[1].kind, OpStretch);
    EXPECT_EQ(ops[1].x, -3);
    EXPECT_EQ(ops[2].kind, OpBitmap);
    EXPECT_EQ(ops[3].kind, OpFeatheredBitmap);  // not also a BITMAP
    EXPECT_EQ(ops[3].name, u"fb");
    EXPECT_EQ(ops[4].kind, OpText);
    EXPECT_EQ(ops[4].text, u"Marbrix 3D dominoes");
    EXPECT_EQ(ops[4].x, 9);
    EXPECT_EQ(ops[5].kind, OpGradientBox);
    EXPECT_EQ(ops[5].values[2], 3);
    EXPECT_EQ(ops[5].x, 11);
    EXPECT_EQ(ops[5].values[3], 13);
    EXPECT_EQ(ops[5].values[4], 14);
    EXPECT_EQ(ops[6].kind, OpWave);
    EXPECT_EQ(ops[6].values[1], 16);
    EXPECT_EQ(ops[7].kind, OpShadedWave);  // not also an ONDE
    EXPECT_EQ(ops[7].values[3], 20);
    EXPECT_EQ(ops[8].kind, OpEmboss);
    EXPECT_EQ(ops[8].x, 21);
    EXPECT_EQ(ops[8].values[0], 23);
    EXPECT_EQ(ops[8].values[3], 26);
    EXPECT_EQ(ops[9].text, u"one");
}

TEST_F(ScriptTest, BadOperationsAreSkippedWithAMessage) {
    std::string err;
    ScriptHandle s = LoadQuiet(
        "COMPOSITION {\n"
        "MOSAIC=a (x,1)\n"
        "ONDE=(1)\n"
        "CARREDEGRADE=(1,2,3) (0,0) (5,5)\n"
        "TEXTE=f (0,0) sans guillemets\n"
        "ONDE=(2,3)\n"
        "TEXTE=f (0,0) \"never closed }",
        &err);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->operations.size(), 1u);
    EXPECT_EQ(s->operations[0].values[0], 2);
    EXPECT_NE(err.find("bad parameters for MOSAIC"), std::string::npos);
    EXPECT_NE(err.find("bad parameters for ONDE"), std::string::npos);
    EXPECT_NE(err.find("bad parameters for CARREDEGRADE"), std::string::npos);
    EXPECT_NE(err.find("TEXTE without a quoted text"), std::string::npos);
}

TEST_F(ScriptTest, LimitsOfItemsNamesAndTexts) {
    std::string bitmaps = "BITMAPS {\n";
    for (int i = 0; i < 257; i++)
        bitmaps += "b" + std::to_string(i) + "\n{\nCLOUDS=(9,9,9,1,1)\n}\n";
    const std::string n255(255, 'n'), n256(256, 'n');
    bitmaps += n255 + "\n{\nCLOUDS=(1,1,1,1,1)\n}\n}\n";
    std::string ops = "COMPOSITION {\n";
    ops += "TEXTE=f (0,0) \"" + std::string(255, 't') + "\"\n";
    ops += "TEXTE=f (0,0) \"" + std::string(200, 't') + " " + std::string(55, 't') + "\"\n";
    ops += "MOSAIC=" + n256 + " (0,0)\n";
    for (int i = 0; i < 300; i++) ops += "ONDE=(0,1)\n";
    ops += "}";
    std::string err;
    ScriptHandle s = LoadQuiet(bitmaps + ops, &err);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->bitmaps.size(), 256u);
    EXPECT_EQ(s->bitmaps.back().name, u"b255");
    EXPECT_NE(err.find("more than 256 bitmaps, skipped: b256"), std::string::npos);
    ASSERT_EQ(s->operations.size(), 256u);
    EXPECT_EQ(s->operations[0].text.size(), 255u);
    EXPECT_NE(err.find("text longer than 255 units, skipped"), std::string::npos);
    EXPECT_NE(err.find("name longer than 255 units in MOSAIC"), std::string::npos);
    EXPECT_NE(err.find("more than 256 operations, ONDE skipped"), std::string::npos);

    // A font name of 256 units and a block line of 256 units skip their items.
    s = LoadQuiet("FONTES {\n" + Font(n256, "SIZE=10\n") + Font(n255, "SIZE=10\n") +
                      Font("long", "SIZE=10 " + std::string(250, ' ') + "\n") + "}",
                  &err);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->fonts.size(), 1u);
    EXPECT_EQ(s->fonts[0].name.size(), 255u);
    EXPECT_NE(err.find("name longer than 255 units, item skipped"), std::string::npos);
    EXPECT_NE(err.find("line longer than 255 units, skipped the block of long"), std::string::npos);
}

TEST_F(ScriptTest, FilesAndMarks) {
    std::string err;
    testing::internal::CaptureStderr();
    const uint8_t utf8[] = {0xEF, 0xBB, 0xBF, 'E', 'N', 'D'};
    EXPECT_EQ(LoadScriptFromMemory(utf8, sizeof utf8, "plain.txt"), nullptr);
    EXPECT_EQ(LoadScriptFromMemory(utf8, 1, "short.txt"), nullptr);
    EXPECT_EQ(LoadScript("no-such-script.txt"), nullptr);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("plain.txt : Not a Unicode UTF16 File\n"), std::string::npos);
    EXPECT_NE(err.find("no-such-script.txt : cannot open the script"), std::string::npos);

    // Only the mark: an empty script. A big-endian mark is accepted but the
    // units are read little-endian, so nothing makes sense in it.
    const uint8_t mark[] = {0xFF, 0xFE};
    ScriptHandle empty(LoadScriptFromMemory(mark, 2, "mark"));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->operations.empty());
    const uint8_t big[] = {0xFE, 0xFF, 0, 'E', 0, 'N', 0, 'D'};
    ScriptHandle be(LoadScriptFromMemory(big, sizeof big, "be"));
    ASSERT_TRUE(be);

    // A block cut off by the end of the file adds nothing and says nothing.
    ScriptHandle cut = LoadQuiet("FONTES { f\nSIZE=3 FICHIER=\"x.ttf\"", &err);
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->fonts.empty());
    EXPECT_EQ(err, "");

    // A script file in the context folder.
    std::string b = Bytes("COMPOSITION { ONDE=(3,4) }");
    FILE *f = fopen("script.txt", "wb");
    ASSERT_TRUE(f);
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
    ScriptHandle s(LoadScript("script.txt"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->operations.size(), 1u);
    FreeScript(nullptr);
    remove("script.txt");
}

TEST_F(ScriptTest, ContextAndPaths) {
    EXPECT_EQ(ContextPath("data\\gfx\\a.png"), "./data/gfx/a.png");
    EXPECT_EQ(ContextPath("../secret"), "");
    EXPECT_EQ(ContextPath("data/../../x"), "");
    EXPECT_EQ(ContextPath("a..b/c"), "./a..b/c");
    EXPECT_EQ(ContextPath(""), "");
    ASSERT_EQ(SetGeneratorContext(10, 20, "base"), 1);
    EXPECT_EQ(ContextPath("x.png"), "base/x.png");
    EXPECT_EQ(ContextWidth(), 10);
    testing::internal::CaptureStderr();
    EXPECT_EQ(SetGeneratorContext(0, 20, "./"), 0);
    EXPECT_EQ(SetGeneratorContext(10, 9000, "./"), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ContextWidth(), 10);  // unchanged by a refusal
    EXPECT_EQ(ContextHeight(), 20);
}

TEST_F(ScriptTest, RenderAppliesOperationsInOrderAndSkipsUnknownNames) {
    std::string err;
    ScriptHandle s = LoadQuiet("FONTES {\n" + Font("sanstaille", "OUTLINE=1\n") +
                                   "}\nBITMAPS {\nrouge\n{\nCLOUDS=(255,0,0,1,1)\n}\n}\n"
                                   "COMPOSITION {\nMOSAIC=bleu (0,0)\nMOSAIC=rouge (0,0)\n"
                                   "CARREDEGRADE=COULEUR(0,255,0) (-100,-100) (300,300)\n"
                                   "TEXTE=sanstaille (0,0) \"x\"\n}",
                               &err);
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->fonts.empty());  // no SIZE: no font
    Image canvas;
    testing::internal::CaptureStderr();
    ASSERT_EQ(RenderScript(s.get(), &canvas), 1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("test : unknown bitmap bleu"), std::string::npos);
    EXPECT_NE(err.find("test : unknown font sanstaille"), std::string::npos);
    ASSERT_EQ(canvas.width, 64);
    ASSERT_EQ(canvas.height, 48);
    // The green box covers the red mosaic; alpha stays as created (0).
    EXPECT_EQ(canvas.pixels[0], 0);
    EXPECT_EQ(canvas.pixels[1], 255);
    EXPECT_EQ(canvas.pixels[3], 0);
    EXPECT_EQ(s->operations[2].box[0], -100);
    EXPECT_EQ(s->operations[2].box[3], 200);
    EXPECT_EQ(RenderScript(nullptr, &canvas), 0);
}

TEST_F(ScriptTest, TextWithOutlineShadowAndGradient) {
    ScriptHandle s = Load("FONTES {\n" +
                          Font("f",
                               "SIZE=30\nOUTLINE=2\nOMBRAGE=(3,3)\n"
                               "DEGRADE=(255,0,0)/(255,0,0)\n") +
                          "}\nBITMAPS {\nblanc\n{\nCLOUDS=(255,255,255,1,1)\n}\n}\n"
                          "COMPOSITION { MOSAIC=blanc (0,0) TEXTE=f (4,4) \"Hi\" }");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->fonts.size(), 1u);
    ASSERT_EQ(s->bitmaps.size(), 1u);
    const int white = s->bitmaps[0].image.pixels[0];
    Image canvas;
    ASSERT_EQ(RenderScript(s.get(), &canvas), 1);
    image::Coverage glyphs;
    ASSERT_TRUE(s->fonts[0].font->Render(reinterpret_cast<const uint16_t *>(u"Hi"), &glyphs));
    // The box: the drawn width (half the map, 2 outline pixels each side) and half the size.
    const ScriptOperation &op = s->operations[1];
    EXPECT_EQ(op.box[0], 4);
    EXPECT_EQ(op.box[2], 4 + (glyphs.width + 4) / 2);
    EXPECT_EQ(op.box[3], 4 + 15);
    int red = 0, black = 0, shaded = 0;
    for (size_t at = 0; at < canvas.pixels.size(); at += 4) {
        const uint8_t *p = &canvas.pixels[at];
        if (p[0] == 255 && p[1] == 0) red++;
        if (p[0] == 0 && p[1] == 0 && p[2] == 0) black++;
        if (p[0] == white / 2 && p[1] == white / 2) shaded++;
    }
    EXPECT_GT(red, 10);    // glyph interiors in the fill colour
    EXPECT_GT(black, 10);  // the outline ring
    EXPECT_GT(shaded, 3);  // the shadow peeks out below and right
    // Nothing right of the drawn width plus the shadow offset changed.
    for (int y = 0; y < canvas.height; y++)
        for (int x = op.box[2] + 3; x < canvas.width; x++)
            EXPECT_EQ(canvas.pixels[(size_t(y) * canvas.width + x) * 4], white) << x << "," << y;
}

TEST(ShippedScripts, LoadCleanlyAndTogetherUseEveryOperation) {
    ASSERT_EQ(SetGeneratorContext(1024, 768, "./"), 1);
    std::set<int> kinds;
    for (const char *name : {"data/texteffects/title.txt", "data/texteffects/banner.txt"}) {
        testing::internal::CaptureStderr();
        ScriptHandle s(LoadScript(name));
        Image canvas;
        if (s) RenderScript(s.get(), &canvas);
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(s) << name;
        EXPECT_EQ(err, "") << name;
        for (const ScriptOperation &op : s->operations) kinds.insert(op.kind);
        // A picture, not a flat colour.
        std::set<uint32_t> colours;
        for (size_t at = 0; at < canvas.pixels.size(); at += 4 * 97)
            colours.insert(canvas.pixels[at] | canvas.pixels[at + 1] << 8 |
                           canvas.pixels[at + 2] << 16);
        EXPECT_GT(colours.size(), 500u) << name;
    }
    EXPECT_EQ(kinds.size(), size_t(OpKindCount));
}
