// The manager: adding and linking objects, names, draw order, events and
// actions, stored records, and what a render asks of the engine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "GuiTestScene.h"

using namespace gui;
using namespace guitest;

TEST(GuiManagerObjects, IdsFathersAndOrder) {
    GuiManager m;
    EXPECT_EQ(GuiManager::instance(), &m);
    auto *menu = new GuiNull();
    menu->setName("MENU");
    EXPECT_TRUE(m.addObject(menu, ""));
    auto *text = AddWidget<GuiText>(m, "T", 0, 0, "MENU");
    auto *b1 = AddWidget<GuiButton>(m, "B1", 0, 0, "MENU");
    auto *orphan = new GuiButton();
    EXPECT_TRUE(m.addObject(orphan, "NOBODY"));  // unknown father: top-level
    EXPECT_FALSE(m.addObject(nullptr, ""));
    auto *light = new GuiLight();
    m.addObject(light, "");
    auto *camera = AddCamera(m);
    EXPECT_EQ(menu->id, 1u);
    EXPECT_EQ(text->id, 2u);
    EXPECT_EQ(camera->id, 6u);
    EXPECT_EQ(menu->firstChild, text);
    EXPECT_EQ(text->nextSibling, b1);
    EXPECT_EQ(b1->father, menu);
    EXPECT_EQ(orphan->father, nullptr);
    // Cameras, lights, widgets (shorter texts first), text fields.
    b1->setText(Wide("Longer").data(), -1);
    orphan->setText(Wide("A").data(), -1);
    m.sortObjects();
    std::vector<GuiObject *> order;
    for (auto &o : m.objects) order.push_back(o.get());
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order[0], camera);
    EXPECT_EQ(order[1], light);
    EXPECT_EQ(order[2], menu);
    EXPECT_EQ(order[3], orphan);
    EXPECT_EQ(order[4], b1);
    EXPECT_EQ(order[5], text);
    EXPECT_EQ(m.findObjectById(5), light);
    EXPECT_EQ(m.findObjectById(99), nullptr);
    // Clearing restarts the ids.
    m.clear();
    EXPECT_TRUE(m.objects.empty());
    auto *again = new GuiNull();
    m.addObject(again, "");
    EXPECT_EQ(again->id, 1u);
}

TEST(GuiManagerObjects, NamesAreBoundedAtSixtyFourBytes) {
    GuiManager m;
    const std::string full(64, 'N');
    auto *o = new GuiNull();
    o->setName((full + "TAIL").c_str());
    m.addObject(o, "");
    EXPECT_EQ(GuiNameLength(o->name), 64);  // stored without terminator
    EXPECT_EQ(m.findObject(full.c_str()), o);
    EXPECT_EQ(m.findObject((full + "X").c_str()), nullptr);
    EXPECT_EQ(m.findObject(full.substr(0, 63).c_str()), nullptr);
    EXPECT_EQ(m.findObject(nullptr), nullptr);
    // Stored records copy the name whole, terminator or not.
    m.addBinding({o->id, EVENT_RESTART, 0}, ACTION_STORE, o->id, 0);
    m.raiseEvent(o->id, EVENT_RESTART, 0);
    m.processEvents();
    GuiStoredEvent e = m.popStoredEvent();
    EXPECT_EQ(std::string(e.name, 64), full);
    // Texts: 64 units at most, and a full text still reads back bounded.
    uint16_t long_text[100];
    for (int i = 0; i < 99; i++) long_text[i] = 'x';
    long_text[99] = 0;
    o->setText(long_text, 3);
    EXPECT_EQ(GuiTextLength(o->text), 64);
    EXPECT_EQ(o->value, 3);
}

TEST(GuiManagerObjects, LinkRefusesLoopsAndSecondFathers) {
    GuiManager m;
    auto *a = new GuiNull();
    auto *b = new GuiNull();
    auto *c = new GuiNull();
    m.addObject(a, "");
    m.addObject(b, "");
    m.addObject(c, "");
    m.link(b->id, a->id);
    m.link(c->id, a->id);
    EXPECT_EQ(a->firstChild, b);
    EXPECT_EQ(b->nextSibling, c);
    m.link(a->id, c->id);  // would make a loop
    EXPECT_EQ(a->father, nullptr);
    m.link(c->id, b->id);  // c already has a father
    EXPECT_EQ(c->father, a);
    m.link(a->id, a->id);
    m.link(a->id, 77);
    EXPECT_EQ(a->father, nullptr);
    m.update(0.02f);  // walks the tree once, and ends
}

TEST(GuiManagerObjects, TransformsAndColoursFollowTheFather) {
    GuiManager m;
    auto *menu = new GuiNull();
    menu->setName("MENU");
    menu->channels[TRANSLATION_X] = 10;
    menu->channels[SCALE_Y] = 2;
    menu->channels[COLOR_G] = 0.5f;
    m.addObject(menu, "");
    auto *b = AddWidget<GuiButton>(m, "B", 1, 3, "MENU");
    b->channels[COLOR_A] = 0.25f;
    auto *cam = AddCamera(m);
    auto *fromCamera = AddWidget<GuiGraphic>(m, "G", 5, 0);
    m.link(fromCamera->id, cam->id);
    m.update(0);
    EXPECT_FLOAT_EQ(b->world[12], 11);
    EXPECT_FLOAT_EQ(b->world[13], 6);  // the father's scale applies to the child's offset
    EXPECT_FLOAT_EQ(b->finalColour[1], 0.5f);
    EXPECT_FLOAT_EQ(b->finalColour[3], 0.25f);
    // A camera gives no world matrix: its children stay where they are.
    EXPECT_FLOAT_EQ(fromCamera->world[12], 5);
    EXPECT_EQ(cam->worldMatrix(), nullptr);
}

TEST(GuiEvents, BindingsRunInOrderWithEventsRaisedDuringThePass) {
    SceneRecorder r;
    GuiManager m;
    auto *b = new GuiButton();
    b->setName("B");
    m.addObject(b, "");
    auto *other = new GuiButton();
    other->setName("OTHER");
    m.addObject(other, "");
    // Bindings of higher event ids first, so the sort has something to do.
    m.addBinding({other->id, EVENT_STATE_OVER, 0}, ACTION_STORE, other->id, 0);
    m.addBinding({b->id, EVENT_STATE_PRESS, 0}, ACTION_STORE, b->id, 0);
    m.addBinding({b->id, EVENT_STATE_PRESS, 0}, ACTION_CHGSTATE, other->id, STATE_OVER);
    m.addBinding({b->id, EVENT_STATE_OVER, 0}, ACTION_INVISIBLE, other->id, 0);
    m.addBinding({0, EVENT_BEGIN, 0}, ACTION_STORE, b->id, 7);
    for (size_t i = 1; i < m.bindings.size(); i++)
        EXPECT_LE(m.bindings[i - 1].key.id, m.bindings[i].key.id);
    m.setEngine(&r);
    m.raiseEvent(b->id, EVENT_STATE_PRESS, 0);
    m.raiseEvent(b->id, EVENT_STATE_OVER, 0);
    m.update(0);
    EXPECT_TRUE(m.pendingEvents.empty());
    // BEGIN, then PRESS (store, then OVER raised on OTHER), then B's OVER,
    // then OTHER's OVER from the same pass.
    GuiStoredEvent s1 = m.popStoredEvent();
    EXPECT_STREQ(s1.name, "B");
    EXPECT_EQ(s1.kind, (int32_t)EVENT_BEGIN);
    EXPECT_EQ(s1.param, 7u);
    GuiStoredEvent s2 = m.popStoredEvent();
    EXPECT_STREQ(s2.name, "B");
    EXPECT_EQ(s2.kind, (int32_t)EVENT_STATE_PRESS);
    GuiStoredEvent s3 = m.popStoredEvent();
    EXPECT_STREQ(s3.name, "OTHER");
    EXPECT_EQ(s3.kind, (int32_t)EVENT_STATE_OVER);
    EXPECT_EQ(other->state, STATE_OVER);
    EXPECT_FALSE(other->flags & GUI_VISIBLE);
    GuiStoredEvent empty = m.popStoredEvent();
    EXPECT_EQ(empty.kind, -1);
    EXPECT_EQ(empty.param, 0u);
    EXPECT_EQ(empty.name[0], 0);
}

TEST(GuiEvents, ActionsOnFlagsStatesAndMissingTargets) {
    GuiManager m;
    auto *t = new GuiText();
    m.addObject(t, "");
    auto *s = new GuiSwitch();
    m.addObject(s, "");
    const GuiEvent key{0, EVENT_RESTART, 0};
    m.addBinding(key, ACTION_INACTIVE, t->id, 0);
    m.addBinding(key, ACTION_MOVEABLE, t->id, 0);
    m.addBinding(key, ACTION_FOCUS, s->id, 0);
    m.addBinding(key, ACTION_CHGSTATE, s->id, STATE_PRESSED);
    m.addBinding(key, ACTION_CHGSTATE, t->id, STATE_FOCUS);
    m.addBinding(key, ACTION_VISIBLE, 999, 0);  // no such object
    m.addBinding(key, ACTION_STORE, 999, 0);    // nothing stored
    m.raiseEvent(0, EVENT_RESTART, 0);
    m.processEvents();
    // Processing is over; what was raised is still pending.
    EXPECT_TRUE(m.pendingEvents.empty());
    EXPECT_FALSE(t->flags & GUI_ACTIVE);
    EXPECT_TRUE(t->flags & GUI_MOVEABLE);
    EXPECT_TRUE(s->flags & GUI_FOCUS);
    EXPECT_EQ(s->state, STATE_PRESSED);
    EXPECT_EQ(m.focused, t);  // the text field's own state change took the focus
    EXPECT_TRUE(m.storedEvents.empty());
    // The switch's PRESSED and the field's FOCUS were raised and handled in
    // the same pass (no bindings): check by binding them and raising again.
    m.addBinding({s->id, EVENT_STATE_PRESSED, 0}, ACTION_STORE, s->id, 0);
    m.addBinding({t->id, EVENT_STATE_FOCUS, 0}, ACTION_STORE, t->id, 0);
    m.addBinding({t->id, EVENT_STATE_PRESSED, 0}, ACTION_STORE, t->id, 0);
    m.raiseEvent(0, EVENT_RESTART, 0);
    m.processEvents();
    EXPECT_EQ(m.storedEvents.size(), 2u);  // a text field's state 3 raises FOCUS only
}

TEST(GuiEvents, ChangeOptionBindingsAnswerOnlyTheirPosition) {
    GuiManager m;
    auto *o = new GuiOption();
    o->setName("OPT");
    m.addObject(o, "");
    m.addBinding({o->id, EVENT_CHANGOPT, 1}, ACTION_STORE, o->id, 0);
    m.raiseEvent(o->id, EVENT_CHANGOPT, 0);
    m.raiseEvent(o->id, EVENT_CHANGOPT, 2);
    m.processEvents();
    EXPECT_TRUE(m.storedEvents.empty());
    m.raiseEvent(o->id, EVENT_CHANGOPT, 1);
    m.processEvents();
    EXPECT_EQ(m.storedEvents.size(), 1u);
}

TEST(GuiEvents, ABindingCycleIsBoundedPerUpdate) {
    GuiManager m;
    auto *a = new GuiButton();
    auto *b = new GuiButton();
    m.addObject(a, "");
    m.addObject(b, "");
    // A's OVER sets B to OVER, whose OVER sets A to OVER: for ever.
    m.addBinding({a->id, EVENT_STATE_OVER, 0}, ACTION_CHGSTATE, b->id, STATE_OVER);
    m.addBinding({b->id, EVENT_STATE_OVER, 0}, ACTION_CHGSTATE, a->id, STATE_OVER);
    m.addBinding({a->id, EVENT_STATE_OVER, 0}, ACTION_STORE, a->id, 0);
    m.raiseEvent(a->id, EVENT_STATE_OVER, 0);
    m.update(0);
    // The pass ends; the cycle goes on next frame, one event carried over.
    EXPECT_EQ(m.pendingEvents.size(), 1u);
    EXPECT_EQ(m.storedEvents.size(), (size_t)kMaxEventsPerUpdate / 2);
    m.update(0);
    EXPECT_EQ(m.storedEvents.size(), (size_t)kMaxEventsPerUpdate);
}

TEST(GuiEvents, AnimationActionRaisesBeginEvenWhenQueued) {
    GuiManager m;
    auto *n = new GuiNull();
    m.addObject(n, "");
    GuiAnimation a;
    std::strcpy(a.name, "SLIDE");
    a.duration = 1;
    a.loopMode = 2;
    const uint32_t first = m.addAnimation(a);
    std::strcpy(a.name, "NEXT");
    const uint32_t second = m.addAnimation(a);
    EXPECT_EQ(first, 2u);  // ids come from the objects' counter
    EXPECT_EQ(m.findAnimation("NEXT")->id, second);
    m.addBinding({0, EVENT_RESTART, 0}, ACTION_ANIM, first, 3);
    m.addBinding({0, EVENT_RESTART, 0}, ACTION_ANIM, second, 3);
    m.addBinding({second, EVENT_ANIM_BEGIN, 0}, ACTION_STORE, second, 0);
    m.raiseEvent(0, EVENT_RESTART, 0);
    m.processEvents();
    ASSERT_EQ(m.playbacks.size(), 1u);
    EXPECT_EQ(m.playbacks[0].queue.size(), 2u);
    GuiStoredEvent e = m.popStoredEvent();
    EXPECT_STREQ(e.name, "NEXT");
    EXPECT_EQ(e.kind, (int32_t)EVENT_ANIM_BEGIN);
}

namespace {

struct Render : ::testing::Test {
    SceneRecorder r;
    GuiManager m;
    void SetUp() override { m.setEngine(&r); }
    GuiLight *AddLight() {
        auto *l = new GuiLight();
        m.addObject(l, "");
        return l;
    }
    void Frame() {
        r.Reset();
        m.update(0);
        m.render();
    }
};

}  // namespace

TEST_F(Render, NoLightsMeansUnlitWithFullAmbient) {
    AddCamera(m);
    AddWidget<GuiButton>(m, "B", 0, 0);
    Frame();
    EXPECT_FALSE(r.lighting);
    EXPECT_FLOAT_EQ(r.ambient[0], 1);
    EXPECT_FLOAT_EQ(r.ambient[2], 1);
    EXPECT_EQ(r.meshes.size(), 1u);
    EXPECT_EQ(r.projections, 1);
    // One light: lit, in slot 0; hidden again: its slot is switched off.
    GuiLight *l = AddLight();
    Frame();
    EXPECT_TRUE(r.lighting);
    EXPECT_EQ(r.lightSlots, std::vector<int>{0});
    l->flags &= (uint8_t)~GUI_VISIBLE;
    Frame();
    EXPECT_FALSE(r.lighting);
    EXPECT_EQ(r.disabled, std::vector<int>{0});
}

TEST_F(Render, HiddenFirstCameraDrawsOnlyTextFields) {
    GuiCamera *c = AddCamera(m);
    AddLight();
    AddWidget<GuiButton>(m, "B", 0, 0);
    AddWidget<GuiText>(m, "T", 0, 10);
    c->flags &= (uint8_t)~GUI_VISIBLE;
    Frame();
    EXPECT_EQ(r.projections, 0);  // the projection is left alone
    EXPECT_EQ(r.views, 1);        // the default camera's view
    EXPECT_FLOAT_EQ(r.view[14], 200);  // the origin lies 200 units ahead
    EXPECT_TRUE(r.lightSlots.empty());
    EXPECT_FALSE(r.lighting);
    ASSERT_EQ(r.meshes.size(), 1u);
    EXPECT_FLOAT_EQ(r.meshes[0].y, 10);
    // Without any camera the default camera is used and the lights follow at once.
    GuiManager bare;
    SceneRecorder br;
    bare.setEngine(&br);
    auto *l = new GuiLight();
    bare.addObject(l, "");
    AddWidget<GuiButton>(bare, "B", 0, 0);
    bare.update(0);
    bare.render();
    EXPECT_EQ(br.lightSlots, std::vector<int>{0});
    EXPECT_EQ(br.meshes.size(), 1u);
}

TEST_F(Render, EightLightsAtMostAndANinthEndsTheWalk) {
    AddCamera(m);
    GuiLight *hidden = AddLight();
    hidden->flags &= (uint8_t)~GUI_VISIBLE;
    for (int i = 0; i < 8; i++) AddLight();
    AddWidget<GuiButton>(m, "B", 0, 0);
    AddWidget<GuiText>(m, "T", 0, 10);
    Frame();
    EXPECT_EQ(r.lightSlots, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    ASSERT_EQ(r.meshes.size(), 2u);  // the hidden light was passed over
    AddLight();                      // a ninth visible light
    Frame();
    EXPECT_EQ(r.lightSlots.size(), 8u);
    // The widget run starts at the ninth light, so it is empty; text fields still show.
    ASSERT_EQ(r.meshes.size(), 1u);
    EXPECT_FLOAT_EQ(r.meshes[0].y, 10);
}

TEST_F(Render, BackToFrontAndNothingBehindTheEye) {
    AddCamera(m);  // eye at z = 200 looking along -z
    auto *far = AddWidget<GuiButton>(m, "FAR", 1, 0);
    far->channels[TRANSLATION_Z] = -100;
    auto *nearer = AddWidget<GuiButton>(m, "NEAR", 2, 0);
    nearer->channels[TRANSLATION_Z] = 50;
    auto *tie = AddWidget<GuiGraphic>(m, "TIE", 3, 0);
    tie->channels[TRANSLATION_Z] = 50;
    auto *behind = AddWidget<GuiButton>(m, "BEHIND", 4, 0);
    behind->channels[TRANSLATION_Z] = 202;  // depth -2
    auto *justBehind = AddWidget<GuiButton>(m, "HALF", 5, 0);
    justBehind->channels[TRANSLATION_Z] = 200.5f;  // depth -0.5
    auto *group = new GuiNull();
    m.addObject(group, "");
    Frame();
    std::vector<float> xs;
    for (const DrawnMesh &d : r.meshes) xs.push_back(d.x);
    EXPECT_EQ(xs, (std::vector<float>{1, 2, 3, 5}));
}

TEST_F(Render, StateTexturesAndColours) {
    AddCamera(m);
    auto *b = AddWidget<GuiButton>(m, "B", 0, 0);
    b->setStateTexture(10, STATE_NORMAL);
    b->setStateTexture(12, STATE_PRESS);
    b->setStateTexture(13, STATE_PRESSED);  // a button has no PRESSED texture
    b->channels[COLOR_R] = 0.5f;
    auto *g = AddWidget<GuiGraphic>(m, "G", 0, 100);
    g->setStateTexture(20, STATE_OVER);  // a graphic's one texture, whatever the state
    Frame();
    ASSERT_EQ(r.meshes.size(), 2u);
    EXPECT_EQ(r.meshes[0].texture, 10);
    EXPECT_FLOAT_EQ(r.meshes[0].colour[0], 0.5f);
    EXPECT_EQ(r.meshes[1].texture, 20);
    b->state = STATE_OVER;  // no OVER texture: the last one stays
    Frame();
    EXPECT_EQ(r.meshes[0].texture, 10);
    b->state = STATE_PRESS;
    Frame();
    EXPECT_EQ(r.meshes[0].texture, 12);
}

TEST(GuiCameraMatrices, PerspectiveAndOrthographic) {
    GuiCamera c;
    c.fov = 90;
    c.nearPlane = 1;
    c.farPlane = 101;
    float p[16];
    c.projectionMatrix(p);
    EXPECT_NEAR(p[0], 1.0f, 1e-4);  // 800 / 600 is 1 in integers
    EXPECT_NEAR(p[5], 1.0f, 1e-4);
    EXPECT_NEAR(p[10], 101.0f / 100, 1e-5);
    EXPECT_FLOAT_EQ(p[11], 1);
    EXPECT_NEAR(p[14], -101.0f / 100, 1e-5);
    c.orthoWidth = 1600;
    c.orthoHeight = 600;
    c.projectionMatrix(p);
    EXPECT_NEAR(p[0], 0.5f, 1e-4);  // aspect 2
    c.orthoWidth = 300;             // aspect 0 would divide by zero: 1
    c.projectionMatrix(p);
    EXPECT_NEAR(p[0], 1.0f, 1e-4);
    c.projectionMode = 1;
    c.orthoWidth = 800;
    c.projectionMatrix(p);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 800);
    EXPECT_FLOAT_EQ(p[5], 2.0f / 600);
    EXPECT_FLOAT_EQ(p[10], 1.0f / 100);
    EXPECT_FLOAT_EQ(p[14], -1.0f / 100);
    EXPECT_FLOAT_EQ(p[15], 1);
    // Turned a quarter about y, the camera looks along -x or +x.
    c.channels[ROTATION_Y] = 90;
    float v[16];
    c.viewMatrix(v);
    EXPECT_NEAR(std::fabs(c.forward[0]), 1.0f, 1e-5);
    EXPECT_NEAR(c.forward[2], 0.0f, 1e-5);
}
