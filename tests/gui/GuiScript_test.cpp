// The menu script's host API: scripts written here as Lua source, run
// through GuiManager::load in the test's own working folder.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui/GuiManager.h"
#include "gui/GuiMesh.h"
#include "gui/ScriptTestSupport.h"
#include "image/Image.h"
#include "image/Png.h"

using namespace gui;
using scripttest::CountingRenderer;
using scripttest::Utf16;
using scripttest::WriteFile;

namespace {

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override { menus.setEngine(&renderer); }

    // Runs a script (and a menu text file when given); returns what the
    // binding wrote to standard error.
    std::string Run(const std::string &source, const std::vector<std::string> &text = {}) {
        EXPECT_TRUE(WriteFile("script.lua", source));
        EXPECT_TRUE(WriteFile("menu.txt", Utf16(text)));
        ::testing::internal::CaptureStderr();
        menus.load("script.lua", "menu.txt");
        return ::testing::internal::GetCapturedStderr();
    }

    template <typename T>
    T *Find(const char *name) {
        return dynamic_cast<T *>(menus.findObject(name));
    }

    CountingRenderer renderer;
    GuiManager menus;
};

// A 4 x 4 picture: black in the top-left pixel, grey elsewhere; optionally
// only 2 rows tall.
void WritePicture(const char *path, int height) {
    Image image;
    image.width = 4;
    image.height = height;
    image.pixels.assign(size_t(4 * height * 4), 128);
    for (int i = 0; i < 3; i++) image.pixels[i] = 2;  // r + g + b = 6: keyed out
    ASSERT_EQ(WritePng(path, image, 0), 1);
}

TEST_F(ScriptTest, CreateFunctionsMakeEachKindWithTheirArguments) {
    std::string err = Run(R"(
        createCamera("CAM", 2, 500, 0, 60)
        createCamera("ORTHO", 1, 100, 1, 640, 480)
        createLight("LAMP", 3, 0.5, 250)
        createNull("GROUP")
        createButton("B")
        createSwitch("S")
        createText("T")
        createOption("O")
        createGraphic("G")
    )");
    EXPECT_EQ(err, "");
    GuiCamera *cam = Find<GuiCamera>("CAM");
    ASSERT_NE(cam, nullptr);
    EXPECT_EQ(cam->id, 1u);  // the first object made: the picking camera
    EXPECT_EQ(menus.pickingCamera(), cam);
    EXPECT_FLOAT_EQ(cam->nearPlane, 2);
    EXPECT_FLOAT_EQ(cam->farPlane, 500);
    EXPECT_EQ(cam->projectionMode, 0u);
    EXPECT_FLOAT_EQ(cam->fov, 60);
    GuiCamera *ortho = Find<GuiCamera>("ORTHO");
    ASSERT_NE(ortho, nullptr);
    EXPECT_EQ(ortho->projectionMode, 1u);
    EXPECT_EQ(ortho->orthoWidth, 640);
    EXPECT_EQ(ortho->orthoHeight, 480);
    EXPECT_FLOAT_EQ(ortho->fov, 80);  // not read for an orthographic camera
    GuiLight *lamp = Find<GuiLight>("LAMP");
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->slot, 3u);
    EXPECT_FLOAT_EQ(lamp->linearAttenuation, 0.5f);
    EXPECT_FLOAT_EQ(lamp->range, 250);
    EXPECT_NE(Find<GuiNull>("GROUP"), nullptr);
    EXPECT_NE(Find<GuiButton>("B"), nullptr);
    EXPECT_NE(Find<GuiSwitch>("S"), nullptr);
    ASSERT_NE(Find<GuiText>("T"), nullptr);
    EXPECT_EQ(Find<GuiText>("T")->maxChars(), 10u);
    EXPECT_NE(Find<GuiOption>("O"), nullptr);
    EXPECT_NE(Find<GuiGraphic>("G"), nullptr);
    EXPECT_EQ(menus.objects.size(), 9u);
    for (auto &o : menus.objects) EXPECT_EQ(o->father, nullptr) << o->name;
}

TEST_F(ScriptTest, MissingArgumentsReadAsZeroAndLongNamesAreCut) {
    std::string longName(80, 'N');
    Run("createCamera(\"C\")\n"
        "createLight(\"L\")\n"
        "setPosition(5)\n"
        "setColor()\n"
        "createButton()\n"
        "createGraphic(\"" +
        longName + "\")\n");
    GuiCamera *cam = Find<GuiCamera>("C");
    ASSERT_NE(cam, nullptr);
    EXPECT_FLOAT_EQ(cam->nearPlane, 0);
    EXPECT_FLOAT_EQ(cam->farPlane, 0);
    EXPECT_FLOAT_EQ(cam->fov, 0);
    GuiLight *light = Find<GuiLight>("L");
    ASSERT_NE(light, nullptr);
    EXPECT_FLOAT_EQ(light->range, 0);
    EXPECT_FLOAT_EQ(light->channels[TRANSLATION_X], 5);
    EXPECT_FLOAT_EQ(light->channels[TRANSLATION_Y], 0);
    EXPECT_FLOAT_EQ(light->channels[TRANSLATION_Z], 0);
    for (int c = int(COLOR_R); c <= int(COLOR_A); c++) EXPECT_FLOAT_EQ(light->channels[c], 0);
    EXPECT_NE(Find<GuiButton>(""), nullptr);
    // 64 bytes are kept, without a terminator.
    GuiObject *g = menus.objects.back().get();
    for (auto &o : menus.objects)
        if (dynamic_cast<GuiGraphic *>(o.get())) g = o.get();
    EXPECT_EQ(GuiNameLength(g->name), kNameSize);
    EXPECT_EQ(std::string(g->name, kNameSize), longName.substr(0, kNameSize));
}

TEST_F(ScriptTest, SetUpCallsActOnTheObjectMadeLast) {
    Run(R"(
        setPosition(1, 2, 3)              -- nothing made yet: no effect
        createNull("ROOT")
        createButton("B")
        setFather("ROOT")
        setPosition(1, 2, 3)
        setRotation(10, 20, 30)
        setScale(2, 3, 4)
        setColor(0.1, 0.2, 0.3, 0.4)
        setTransformation("ROTATION_Z", 45)
        setTransformation("NOT_A_CHANNEL", 99)
        setFont(2)
        setNbChar(20)                     -- no text field is current
        createText("T")
        setFather("NOWHERE")
        setNbChar(12)
        createText("T2")
        setNbChar(500)
        createText("T3")
        setNbChar(-4)
    )");
    GuiButton *b = Find<GuiButton>("B");
    GuiNull *root = Find<GuiNull>("ROOT");
    ASSERT_TRUE(b && root);
    EXPECT_EQ(b->father, root);
    EXPECT_EQ(root->firstChild, b);
    const float expected[kChannelCount] = {1, 2, 3, 10, 20, 45, 2, 3, 4, 0.1f, 0.2f, 0.3f, 0.4f};
    for (int c = 0; c < kChannelCount; c++) EXPECT_FLOAT_EQ(b->channels[c], expected[c]) << c;
    for (int c = 0; c < 6; c++) EXPECT_FLOAT_EQ(root->channels[c], 0) << c;
    EXPECT_EQ(b->font, 2u);
    GuiText *t = Find<GuiText>("T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->father, nullptr);  // an unknown father leaves it top level
    EXPECT_EQ(t->maxChars(), 12u);
    // Limits the text buffer can honour.
    EXPECT_EQ(Find<GuiText>("T2")->maxChars(), uint32_t(kTextSize));
    EXPECT_EQ(Find<GuiText>("T3")->maxChars(), 1u);
}

TEST_F(ScriptTest, MeshesGoToTheCurrentWidgetOnly) {
    std::string err = Run(R"(
        createGraphic("G")
        loadMesh("data/gfx/menu/button.3ds")
        createNull("N")
        loadMesh("data/gfx/menu/button.3ds")   -- a null node takes no mesh
        createButton("B")
        loadMesh("data/gfx/menu/button.3ds")
        createOption("O")
        loadMesh("missing.3ds")
    )");
    GuiGraphic *g = Find<GuiGraphic>("G");
    GuiButton *b = Find<GuiButton>("B");
    ASSERT_TRUE(g && b);
    ASSERT_NE(g->mesh, nullptr);
    EXPECT_EQ(b->mesh, g->mesh);  // one file, one shared mesh
    EXPECT_GT(g->mesh->boxMax[0] - g->mesh->boxMin[0], 100);
    EXPECT_EQ(Find<GuiOption>("O")->mesh, nullptr);
    EXPECT_EQ(err, "Can't open 3DS file missing.3ds \n");
}

TEST_F(ScriptTest, TexturesAreLoadedOncePerFileAndFlagAIsSetOnEveryCall) {
    WritePicture("pic.png", 4);
    WritePicture("other.png", 4);
    Run(R"(
        createButton("B1")
        setTexture("pic.png", "ID_BUTTON_NORMAL")
        setTexture("pic.png", "ID_BUTTON_OVER", 1)
        createButton("B2")
        setTexture("pic.png", "ID_BUTTON_PRESS", 0)
        setTexture("other.png", "ID_TEXT_FOCUS", 1)   -- not a button state
        createText("T")
        setTexture("pic.png", "ID_TEXT_FOCUS")
        createSwitch("S")
        setTexture("pic.png", "ID_SWITCH_PRESSED")
        createOption("O")
        setTexture("pic.png", "ID_OPTION_OVER")
        createGraphic("G")
        setTexture("other.png", 1)        -- with a graphic, the number is the flag
        createNull("N")
        setTexture("pic.png", "ID_BUTTON_NORMAL")      -- nothing current: cached, not assigned
    )");
    ASSERT_EQ(renderer.sides.size(), 2u);  // pic.png, other.png
    EXPECT_EQ(renderer.sides[0], 4);
    EXPECT_EQ(renderer.flagA(8), 3);
    EXPECT_EQ(renderer.flagA(9), 6);
    GuiButton *b1 = Find<GuiButton>("B1"), *b2 = Find<GuiButton>("B2");
    EXPECT_EQ(b1->stateTextures[STATE_NORMAL], 100);
    EXPECT_EQ(b1->stateTextures[STATE_OVER], 100);
    EXPECT_EQ(b1->stateTextures[STATE_PRESS], -1);
    EXPECT_EQ(b2->stateTextures[STATE_NORMAL], -1);
    EXPECT_EQ(b2->stateTextures[STATE_PRESS], 100);
    EXPECT_EQ(Find<GuiText>("T")->stateTextures[STATE_FOCUS], 100);
    EXPECT_EQ(Find<GuiSwitch>("S")->stateTextures[STATE_PRESSED], 100);
    EXPECT_EQ(Find<GuiOption>("O")->stateTextures[STATE_OVER], 100);
    EXPECT_EQ(Find<GuiGraphic>("G")->stateTextures[0], 101);
    // The order of the state calls: flag A last set on, for the graphic's
    // texture, then off for the last call.
    ASSERT_GE(renderer.states.size(), 2u);
    EXPECT_EQ(renderer.states.back(), std::make_pair(7, 9));
}

TEST_F(ScriptTest, PicturesAreKeyedAndMadeSquare) {
    struct Keep : CountingRenderer {
        std::vector<uint8_t> last;
        int CreateTexture(int size, const uint8_t *pixels, int width, bool alpha) override {
            EXPECT_TRUE(alpha);
            last.assign(pixels, pixels + size_t(width) * width * 4);
            return CountingRenderer::CreateTexture(size, pixels, width, alpha);
        }
    } keep;
    menus.setEngine(&keep);
    WritePicture("short.png", 2);
    Run("createGraphic(\"G\")\nsetTexture(\"short.png\")\nsetTexture(\"absent.png\")\n");
    ASSERT_EQ(keep.sides.size(), 1u);
    EXPECT_EQ(keep.sides[0], 4);
    ASSERT_EQ(keep.last.size(), 64u);
    EXPECT_EQ(keep.last[3], 0);            // the near-black pixel is transparent
    EXPECT_EQ(keep.last[7], 255);          // grey stays opaque
    EXPECT_EQ(keep.last[4 * 4 + 3], 255);  // second row
    for (int i = 8 * 4; i < 16 * 4; i += 4) EXPECT_EQ(keep.last[i + 3], 0);  // padding rows
    EXPECT_EQ(Find<GuiGraphic>("G")->stateTextures[0], 100);  // the missing file assigned nothing
}

TEST_F(ScriptTest, AnimationsAreBuiltTrackByTrackWithTheirKeyCounters) {
    Run(R"(
        createButton("B1")
        createButton("B2")
        createButton("B3")
        setAnimation("UNFINISHED", 1, 1, 0)
        setAnimation("A", 2, 1.5, 1)
        animate("B1")
        setCurve("TRANSLATION_X", 2)
        addKeyFrame(0, "TRANSLATION_X", 1, "LINEAR")
        addKeyFrame(1, "TRANSLATION_X", 2, "LINEAR")
        addKeyFrame(2, "TRANSLATION_X", 3, "LINEAR")    -- the channel is full
        setCurve("ROTATION_Y", 1)                       -- every counter restarts
        addKeyFrame(0.5, "TRANSLATION_X", 9, "SMOOTH")  -- overwrites the first key
        addKeyFrame(0, "ROTATION_Y", 45, "BOUNCY")      -- unknown interpolation
        addKeyFrame(0.25, "ROTATION_Y", 30, "CONSTANT")
        addKeyFrame(0, "NOT_A_CHANNEL", 1, "LINEAR")
        animate("B2")
        setCurve("SCALE_Z", 3)
        addKeyFrame(0, "SCALE_Z", 2, "LINEAR")
        animate("B3")                                   -- beyond the two tracks declared
        setCurve("COLOR_A", 1)
        endAnim()
        endAnim()                                       -- nothing under construction
        animate("B1")
        setAnimation("MISSING", 1, 1, 0)
        animate("NOBODY")
        endAnim()
    )");
    EXPECT_EQ(menus.findAnimation("UNFINISHED"), nullptr);
    ASSERT_EQ(menus.animations.size(), 2u);
    GuiAnimation *a = menus.findAnimation("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->id, 4u);  // ids follow the three objects
    EXPECT_EQ(a->trackCount, 2u);
    EXPECT_FLOAT_EQ(a->duration, 1.5f);
    EXPECT_EQ(a->loopMode, 1u);
    ASSERT_EQ(a->tracks.size(), 2u);
    const GuiTrack &t1 = a->tracks[0];
    EXPECT_EQ(t1.objectId, Find<GuiButton>("B1")->id);
    ASSERT_EQ(t1.keys[TRANSLATION_X].size(), 2u);
    EXPECT_FLOAT_EQ(t1.keys[TRANSLATION_X][0].time, 0.5f);
    EXPECT_FLOAT_EQ(t1.keys[TRANSLATION_X][0].value, 9);
    EXPECT_EQ(t1.keys[TRANSLATION_X][0].interpolation, uint32_t(SMOOTH));
    EXPECT_FLOAT_EQ(t1.keys[TRANSLATION_X][1].value, 2);
    ASSERT_EQ(t1.keys[ROTATION_Y].size(), 1u);
    EXPECT_FLOAT_EQ(t1.keys[ROTATION_Y][0].value, 30);
    EXPECT_EQ(t1.keys[ROTATION_Y][0].interpolation, uint32_t(CONSTANT));
    const GuiTrack &t2 = a->tracks[1];
    EXPECT_EQ(t2.objectId, Find<GuiButton>("B2")->id);
    ASSERT_EQ(t2.keys[SCALE_Z].size(), 3u);
    EXPECT_FLOAT_EQ(t2.keys[SCALE_Z][0].value, 2);
    EXPECT_FLOAT_EQ(t2.keys[SCALE_Z][2].value, 0);  // room not filled holds zeros
    GuiAnimation *missing = menus.findAnimation("MISSING");
    ASSERT_NE(missing, nullptr);
    ASSERT_EQ(missing->tracks.size(), 1u);
    EXPECT_EQ(missing->tracks[0].objectId, 0u);  // drives nothing
}

TEST_F(ScriptTest, EventsAndActionsBindToTheCurrentKey) {
    Run(R"(
        createButton("B1")
        createButton("B2")
        createOption("OPT")
        setAnimation("SLIDE", 1, 1, 0)
        animate("B1")
        endAnim()
        loadAction("ACTION_VISIBLE", "B1")                -- key (0, EVENT_BEGIN, 0) from the start
        catchEvent("EVENT_STATE_PRESS", "B1")
        loadAction("ACTION_STORE", "ignored")
        loadAction("ACTION_CHGSTATE", "B2", "PRESSED")
        loadAction("ACTION_CHGSTATE", "B2", "FOCUS")
        loadAction("ACTION_CHGSTATE", "B2", "SIDEWAYS")   -- unknown state
        loadAction("ACTION_JUMP", "B2")                   -- unknown action
        loadAction("ACTION_INVISIBLE", "NOBODY")          -- unknown target
        catchEvent("EVENT_NONSENSE", "B2")                -- the key stays
        loadAction("ACTION_ANIM", "SLIDE", 7)
        catchEvent("EVENT_CHANGOPT", "OPT", 2)
        loadAction("ACTION_FOCUS", "B2")
        catchEvent("EVENT_ANIM_END", "SLIDE")
        loadAction("ACTION_UNMOVEABLE", "B1")
        catchEvent("EVENT_BEGIN")
        loadAction("ACTION_STORE", "B2")                  -- stores the last target: SLIDE
        catchEvent("EVENT_RESTART")
        loadAction("ACTION_INACTIVE", "B1")
    )");
    uint32_t b1 = Find<GuiButton>("B1")->id, b2 = Find<GuiButton>("B2")->id;
    uint32_t opt = Find<GuiOption>("OPT")->id, slide = menus.findAnimation("SLIDE")->id;
    struct Want {
        uint32_t keyId, keyKind, keyParam, action, target, param;
    };
    const Want want[] = {
        {0, EVENT_BEGIN, 0, ACTION_VISIBLE, b1, 0},
        {b1, EVENT_STATE_PRESS, 0, ACTION_STORE, b1, 0},
        {b1, EVENT_STATE_PRESS, 0, ACTION_CHGSTATE, b2, 3},
        {b1, EVENT_STATE_PRESS, 0, ACTION_CHGSTATE, b2, 3},
        {b1, EVENT_STATE_PRESS, 0, ACTION_ANIM, slide, 7},
        {opt, EVENT_CHANGOPT, 2, ACTION_FOCUS, b2, 0},
        {slide, EVENT_ANIM_END, 0, ACTION_UNMOVEABLE, b1, 0},
        {0, EVENT_BEGIN, 0, ACTION_STORE, slide, 0},
        {0, EVENT_RESTART, 0, ACTION_INACTIVE, b1, 0},
    };
    ASSERT_EQ(menus.bindings.size(), sizeof want / sizeof want[0]);
    for (const Want &w : want) {
        bool found = false;
        for (const GuiBinding &b : menus.bindings)
            found |= b.key.id == w.keyId && b.key.kind == w.keyKind && b.key.param == w.keyParam &&
                     b.action == w.action && b.target == w.target && b.param == w.param;
        EXPECT_TRUE(found) << "action " << w.action << " on " << w.target;
    }
    // The start event runs the store: the record names the animation.
    menus.update(0);
    GuiStoredEvent e = menus.popStoredEvent();
    EXPECT_EQ(e.kind, int32_t(EVENT_BEGIN));
    EXPECT_STREQ(std::string(e.name, strnlen(e.name, 64)).c_str(), "SLIDE");
}

TEST_F(ScriptTest, AScriptErrorStopsTheScriptAndKeepsWhatItBuilt) {
    std::string err = Run(R"(
        createButton("BEFORE")
        print("no standard library")
        createButton("AFTER")
    )");
    EXPECT_NE(Find<GuiButton>("BEFORE"), nullptr);
    EXPECT_EQ(Find<GuiButton>("AFTER"), nullptr);
    EXPECT_NE(err.find("script.lua"), std::string::npos) << err;
    EXPECT_NE(err.find("print"), std::string::npos) << err;
}

TEST_F(ScriptTest, BrokenMissingAndRunawayScriptsEndWithAMessage) {
    std::string err = Run("createButton(\"B\"\n");
    EXPECT_TRUE(menus.objects.empty());
    EXPECT_NE(err.find("script.lua"), std::string::npos) << err;

    ::testing::internal::CaptureStderr();
    menus.load("no-such-script.lub", "no-such-text.txt");
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no-such-script.lub"), std::string::npos) << err;
    EXPECT_TRUE(menus.objects.empty());

    err = Run("createButton(\"LOOPER\")\nwhile true do end\n");
    EXPECT_NE(Find<GuiButton>("LOOPER"), nullptr);
    EXPECT_NE(err.find("too long"), std::string::npos) << err;

    err = Run("local t = {}\nlocal s = \"x\"\nfor i = 1, 100 do s = s .. s; t[i] = s end\n");
    EXPECT_NE(err.find("memory"), std::string::npos) << err;
}

TEST_F(ScriptTest, CaptionsComeAfterTheScriptAndTheObjectsAreSortedAgain) {
    Run(R"(
        createButton("LONG")
        createButton("SHORT")
        createText("FIELD")
        createLight("LAMP", 0, 0, 100)
    )",
        {"LONG=\"a long caption\"", "GHOST=\"nobody\"", "SHORT=\"ok\""});
    ASSERT_EQ(menus.objects.size(), 4u);
    EXPECT_STREQ(menus.objects[0]->name, "LAMP");
    EXPECT_STREQ(menus.objects[1]->name, "SHORT");
    EXPECT_STREQ(menus.objects[2]->name, "LONG");
    EXPECT_STREQ(menus.objects[3]->name, "FIELD");
    EXPECT_EQ(GuiTextLength(Find<GuiButton>("LONG")->text), 14);
}

}  // namespace
