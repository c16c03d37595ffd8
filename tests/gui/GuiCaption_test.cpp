// Captions on widgets: rendering through the manager's fonts, text-field
// slots, re-rendering in place, and the quads drawn on a widget.
#include <gtest/gtest.h>

#include "GuiTestScene.h"
#include "gui/GuiFont.h"

using namespace gui;
using namespace guitest;

namespace {

const char *kFont = "data/gfx/font/vagron.ttf";

struct Captions : ::testing::Test {
    SceneRecorder r;
    GuiManager m;
    void SetUp() override {
        m.setEngine(&r);
        AddCamera(m);
        // Screen white, scene yellow, black shadow at (2, 3), scene alpha 0.5.
        const float numbers[12] = {1, 1, 1, 1, 1, 0, 0, 0, 0, 2, 3, 0.5f};
        ASSERT_EQ(m.loadFont(kFont, 20, numbers, 0), 0);
        const float plain[12] = {1, 1, 1, 0, 1, 1, 0, 0, 0, 2, 0, 1};
        ASSERT_EQ(m.loadFont(kFont, 20, plain, 1), 1);
    }
    void Frame() {
        r.Reset();
        m.update(0);
        m.render();
    }
};

}  // namespace

TEST_F(Captions, FontsKeepTheirPlaceEvenWhenTheFileIsMissing) {
    const float numbers[12] = {};
    EXPECT_EQ(m.loadFont("data/gfx/font/missing.ttf", 20, numbers, 0), 2);
    ASSERT_NE(m.font(2), nullptr);
    EXPECT_FALSE(m.font(2)->isOpen());
    EXPECT_EQ(m.font(3), nullptr);
    EXPECT_EQ(m.font(1)->style, 1);
    EXPECT_EQ(m.font(0)->shadowOffset[1], 3);
    EXPECT_FLOAT_EQ(m.font(0)->sceneAlpha, 0.5f);
    int32_t handle = -1;
    m.renderText(Wide("x").data(), handle, 2, 10);
    EXPECT_EQ(handle, -1);
    m.renderText(Wide("x").data(), handle, 7, 10);  // no such font: nothing
    EXPECT_EQ(handle, -1);
}

TEST_F(Captions, WidgetsWithTextGetACaptionWhenAdded) {
    auto *b = new GuiButton();
    b->setText(Wide("Play").data(), -1);
    b->mesh = Panel();
    m.addObject(b, "");
    EXPECT_GE(b->value, 0);
    EXPECT_GT(m.font(0)->captionWidth(b->value), 0);
    // A text field is not rendered when added: its slot comes with its first edit.
    auto *t = new GuiText();
    t->setText(Wide("Name").data(), t->value);
    m.addObject(t, "");
    EXPECT_EQ(t->value, -2);
}

TEST_F(Captions, TextFieldSlotIsReservedThenRenderedInPlace) {
    auto *t = AddWidget<GuiText>(m, "T", 0, 0);
    t->setMaxChars(12);
    int32_t handle = -2;
    m.renderText(Wide("Bob").data(), handle, 0, 12);
    ASSERT_GE(handle, 0);
    const GuiTextSlot *slot = m.font(0)->atlas.Slot(handle);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->height, m.font(0)->captionHeight(handle));
    // Truncated to maxChars before rendering: the same width as the short text.
    int32_t shortHandle = -1, longHandle = handle;
    m.renderText(Wide("ABC").data(), shortHandle, 0, 3);
    m.renderText(Wide("ABCDEFGH").data(), longHandle, 0, 3);
    EXPECT_EQ(longHandle, handle);  // re-rendered in place
    EXPECT_NEAR(m.font(0)->captionWidth(handle), m.font(0)->captionWidth(shortHandle), 1);
    // Typing re-renders the field's own handle.
    t->value = handle;
    t->setState(STATE_FOCUS);
    const int before = m.font(0)->captionWidth(handle);
    for (const char *p = "WWWW"; *p; ++p) m.keyDown((uint32_t)*p);
    EXPECT_EQ(t->value, handle);
    EXPECT_GT(m.font(0)->captionWidth(handle), before);
    // The first edit of a field without a slot reserves one.
    auto *fresh = AddWidget<GuiText>(m, "F", 0, 100);
    fresh->setState(STATE_FOCUS);
    m.keyDown('a');
    EXPECT_GE(fresh->value, 0);
    EXPECT_NE(fresh->value, handle);
}

TEST_F(Captions, CaptionsLieCentredOnTheWidgetShadowFirst) {
    auto *b = AddWidget<GuiButton>(m, "B", 0, 0);
    b->setText(Wide("Play").data(), -1);
    int32_t h = -1;
    m.renderText(b->text, h, 0, 0);
    b->value = h;
    b->channels[COLOR_A] = 0.8f;
    auto *s = AddWidget<GuiSwitch>(m, "S", 0, 100);
    s->setText(Wide("On").data(), -1);
    s->font = 1;
    int32_t hs = -1;
    m.renderText(s->text, hs, 1, 0);
    s->value = hs;
    Frame();
    // Button: shadow (offset 2, 3) then text, in the z = 0 plane.
    ASSERT_EQ(r.quads.size(), 3u);  // 2 for the button, 1 for the switch (no shadow)
    const DrawnQuad &shadow = r.quads[0], &text = r.quads[1];
    const int w = m.font(0)->captionWidth(h), height = m.font(0)->captionHeight(h);
    EXPECT_FLOAT_EQ(text.corners[0][2], 0);
    EXPECT_NEAR(text.corners[0][0], -w / 2.0f, 1.0f);
    EXPECT_NEAR(text.corners[1][0], w / 2.0f, 1.0f);
    EXPECT_NEAR(text.corners[0][1], height / 2.0f, 1.0f);  // top edge above the origin
    EXPECT_FLOAT_EQ(shadow.corners[0][0], text.corners[0][0] + 2);
    EXPECT_FLOAT_EQ(shadow.corners[0][1], text.corners[0][1] - 3);
    EXPECT_FLOAT_EQ(shadow.colour[0], 0);
    EXPECT_FLOAT_EQ(text.colour[0], 1);
    EXPECT_FLOAT_EQ(text.colour[2], 0);
    EXPECT_FLOAT_EQ(text.colour[3], 0.8f * 0.5f);
    EXPECT_GE(text.texture, 0);
    // Texture coordinates are page pixels over 255.
    const GuiTextSlot *slot = m.font(0)->atlas.Slot(h);
    EXPECT_FLOAT_EQ(text.uv[0][0], slot->x / 255.0f);
    // Switch: at the mesh's front depth (the panel's largest z is 0).
    EXPECT_FLOAT_EQ(r.quads[2].corners[0][2], 0.5f);
    EXPECT_FLOAT_EQ(r.quads[2].colour[3], 1.0f);
    // A caption drawn with lighting on leaves lighting as the lights set it.
    EXPECT_FALSE(r.lighting);
}

TEST_F(Captions, NoCaptionWithoutTextFontOrHandle) {
    auto *t = AddWidget<GuiText>(m, "T", 0, 0);
    int32_t h = -2;
    m.renderText(Wide("x").data(), h, 0, 10);
    t->value = h;  // a slot, but the field's text is empty
    auto *b = AddWidget<GuiButton>(m, "B", 0, 100);
    b->font = 5;  // no such font
    b->value = h;
    auto *g = AddWidget<GuiGraphic>(m, "G", 0, 200);
    g->value = -1;
    Frame();
    EXPECT_TRUE(r.quads.empty());
    EXPECT_EQ(r.meshes.size(), 3u);
    t->setText(Wide("x").data(), h);
    Frame();
    EXPECT_FALSE(r.quads.empty());
}

TEST(GuiMeshes, PanelsBoxesAndFiles) {
    GuiMesh box;
    GuiMesh::makeBox(&box, 10, 4, 2);
    EXPECT_EQ(box.TriangleCount(), 12);
    EXPECT_FLOAT_EQ(box.boxMax[2], 1);
    EXPECT_FLOAT_EQ(box.frontDepth, 1.5f);
    const float o[3] = {4.9f, 1.9f, 100}, toward[3] = {0, 0, -1}, away[3] = {0, 0, 1};
    EXPECT_TRUE(box.Intersects(o, toward));
    EXPECT_FALSE(box.Intersects(o, away));  // behind the ray's start
    const float outside[3] = {5.1f, 0, 100};
    EXPECT_FALSE(box.Intersects(outside, toward));
    // Front faces point at the viewer on +z.
    GuiMesh panel;
    GuiMesh::makePanel(&panel, 2, 2);
    EXPECT_FLOAT_EQ(panel.vertices[0].normal[2], 1);
    // A ray inside the box but missing the triangles of a sparse mesh.
    GuiMesh sparse;
    sparse.vertices = {{{0, 0, 0}, {}, {}}, {{1, 0, 0}, {}, {}}, {{0, 1, 0}, {}, {}},
                       {{1, 1, 5}, {}, {}}};
    sparse.indices = {0, 1, 2};
    sparse.Finish();
    const float corner[3] = {0.9f, 0.9f, 10};
    EXPECT_FALSE(sparse.Intersects(corner, toward));
    const float inside[3] = {0.2f, 0.2f, 10};
    EXPECT_TRUE(sparse.Intersects(inside, toward));

    // Files are read once and shared; a missing file is reported once.
    testing::internal::CaptureStderr();
    EXPECT_EQ(GuiMesh::load("data/gfx/3d/none.3ds"), nullptr);
    EXPECT_EQ(GuiMesh::load("data/gfx/3d/none.3ds"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Can't open 3DS file data/gfx/3d/none.3ds \n");
    GuiMesh *a = GuiMesh::load("data/gfx/3d/domino.3ds");
    EXPECT_EQ(GuiMesh::load("data/gfx/3d/domino.3ds"), a);
    if (a) {
        EXPECT_GT(a->TriangleCount(), 0);
        EXPECT_FLOAT_EQ(a->frontDepth, a->boxMax[2] + 0.5f);
        for (const GuiVertex &v : a->vertices) {
            EXPECT_GE(v.uv[1], -0.01f);  // 1 - v of the file's 0..1
            EXPECT_LE(v.uv[1], 1.01f);
        }
    }
}
