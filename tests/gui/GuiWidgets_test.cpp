// Input state machines of the widget kinds, driven by the manager's input
// entry points with an orthographic picking camera.
#include <gtest/gtest.h>

#include "GuiTestScene.h"
#include "platform/Input.h"

using namespace gui;
using namespace guitest;

namespace {

struct Widgets : ::testing::Test {
    SceneRecorder recorder;
    GuiManager m;
    void SetUp() override {
        AddCamera(m);
        m.setEngine(&recorder);
        Drain(m);
    }
    // Inside and outside a widget at (x, y).
    void MoveTo(float x, float y) { m.mouseMove(PixelX(x), PixelY(y)); }
    void Down(float x, float y) { m.mouseDown(PixelX(x), PixelY(y), 0); }
    void Up(float x, float y) { m.mouseUp(PixelX(x), PixelY(y), 0); }
};

}  // namespace

TEST_F(Widgets, ButtonHoverPressAndRelease) {
    auto *b = AddWidget<GuiButton>(m, "B", 0, 0);
    m.update(0);
    MoveTo(10, 5);
    EXPECT_EQ(b->state, STATE_OVER);
    MoveTo(20, 5);  // still over: no second event
    Down(20, 5);
    EXPECT_EQ(b->state, STATE_PRESS);
    Up(20, 5);
    EXPECT_EQ(b->state, STATE_OVER);
    const std::vector<Ev> expected = {
        {b->id, EVENT_STATE_OVER, 0}, {b->id, EVENT_STATE_PRESS, 0}, {b->id, EVENT_STATE_OVER, 0}};
    EXPECT_EQ(Drain(m), expected);
    // Edges of the panel: 50 units from the centre is on it, 51 is not.
    MoveTo(51, 0);
    EXPECT_EQ(b->state, STATE_NORMAL);
    MoveTo(49, 24);
    EXPECT_EQ(b->state, STATE_OVER);
    MoveTo(0, 26);
    EXPECT_EQ(b->state, STATE_NORMAL);
}

TEST_F(Widgets, ButtonReleasedOutsideOrLeftBeforeRelease) {
    auto *b = AddWidget<GuiButton>(m, "B", 0, 0);
    m.update(0);
    // Pressed inside, released outside (no move in between): PRESS then NORMAL.
    MoveTo(0, 0);
    Down(0, 0);
    Drain(m);
    Up(200, 200);
    std::vector<Ev> pressThenNormal = {{b->id, EVENT_STATE_PRESS, 0},
                                       {b->id, EVENT_STATE_NORMAL, 0}};
    EXPECT_EQ(Drain(m), pressThenNormal);
    EXPECT_EQ(b->state, STATE_NORMAL);
    // Moving out while pressed cancels: only NORMAL, and the release says nothing.
    MoveTo(0, 0);
    Down(0, 0);
    Drain(m);
    MoveTo(200, 200);
    Up(200, 200);
    std::vector<Ev> onlyNormal = {{b->id, EVENT_STATE_NORMAL, 0}};
    EXPECT_EQ(Drain(m), onlyNormal);
    // Other buttons and inactive buttons do nothing.
    MoveTo(0, 0);
    Drain(m);
    m.mouseDown(PixelX(0), PixelY(0), 3);
    EXPECT_EQ(b->state, STATE_OVER);
    b->flags &= (uint8_t)~GUI_ACTIVE;
    MoveTo(300, 0);
    Down(0, 0);
    EXPECT_EQ(b->state, STATE_OVER);
    EXPECT_TRUE(Drain(m).empty());
}

TEST_F(Widgets, SwitchLatchesAndDragOutLatchesWithoutPress) {
    auto *s = AddWidget<GuiSwitch>(m, "S", 0, 0);
    m.update(0);
    MoveTo(0, 0);
    Down(0, 0);
    Up(0, 0);
    std::vector<Ev> click = {{s->id, EVENT_STATE_OVER, 0},
                             {s->id, EVENT_STATE_PRESS, 0},
                             {s->id, EVENT_STATE_PRESSED, 0}};
    EXPECT_EQ(Drain(m), click);
    EXPECT_EQ(s->state, STATE_PRESSED);
    // It stays latched when the pointer leaves and comes back.
    MoveTo(300, 0);
    MoveTo(0, 0);
    EXPECT_EQ(s->state, STATE_PRESSED);
    EXPECT_TRUE(Drain(m).empty());
    // Released by a script, then pressed and dragged out.
    s->setState(STATE_NORMAL);
    MoveTo(0, 0);
    Down(0, 0);
    Drain(m);
    MoveTo(300, 0);
    Up(300, 0);
    std::vector<Ev> dragged = {{s->id, EVENT_STATE_PRESSED, 0}};
    EXPECT_EQ(Drain(m), dragged);
    EXPECT_EQ(s->state, STATE_PRESSED);
    // A press on a latched switch presses it again.
    Down(0, 0);
    EXPECT_EQ(s->state, STATE_PRESS);
}

TEST_F(Widgets, HiddenOrInactiveFatherStopsTheSubtree) {
    auto *menu = new GuiNull();
    menu->setName("MENU");
    m.addObject(menu, "");
    auto *b = AddWidget<GuiButton>(m, "B", 0, 0, "MENU");
    auto *t = AddWidget<GuiText>(m, "T", 0, 100, "MENU");
    m.update(0);
    menu->flags &= (uint8_t)~GUI_VISIBLE;
    MoveTo(0, 0);
    Down(0, 0);
    EXPECT_EQ(b->state, STATE_NORMAL);
    EXPECT_TRUE(Drain(m).empty());
    EXPECT_TRUE(b->flags & GUI_VISIBLE);
    EXPECT_FALSE(b->isVisible());
    // Nothing of it is drawn either.
    m.render();
    EXPECT_TRUE(recorder.meshes.empty());
    // Shown again but inactive: still no input.
    menu->flags |= GUI_VISIBLE;
    menu->flags &= (uint8_t)~GUI_ACTIVE;
    MoveTo(1, 1);
    EXPECT_EQ(b->state, STATE_NORMAL);
    menu->flags |= GUI_ACTIVE;
    MoveTo(2, 2);
    EXPECT_EQ(b->state, STATE_OVER);
    // Siblings always hear the input, whatever the flags of the one before.
    b->flags &= (uint8_t)~(GUI_VISIBLE | GUI_ACTIVE);
    MoveTo(0, 100);
    EXPECT_EQ(t->state, STATE_OVER);
    m.render();
    ASSERT_EQ(recorder.meshes.size(), 1u);
    EXPECT_FLOAT_EQ(recorder.meshes[0].y, 100);
}

TEST_F(Widgets, OptionWrapsAroundAndReportsThePosition) {
    auto *o = AddWidget<GuiOption>(m, "O", 0, 0);
    o->setText(Wide("A").data(), 10);  // a caption given to an option adds an entry
    o->addEntry(Wide("B").data(), 11);
    o->addEntry(Wide("C").data(), 12);
    ASSERT_EQ(o->entryCount(), 3u);
    EXPECT_EQ(Narrow(o->text), "A");
    EXPECT_EQ(o->value, 10);
    EXPECT_EQ(o->selectedIndex(), 0);
    o->selectEntry(2);
    EXPECT_EQ(Narrow(o->text), "C");
    o->selectEntry(3);  // past the end: unchanged
    EXPECT_EQ(o->value, 12);
    EXPECT_EQ(o->selectedIndex(), 2);
    m.update(0);
    MoveTo(0, 0);
    Down(0, 0);
    Drain(m);
    Up(0, 0);
    std::vector<Ev> wrapped = {{o->id, EVENT_STATE_PRESS, 0},
                               {o->id, EVENT_CHANGOPT, 0},
                               {o->id, EVENT_STATE_OVER, 0}};
    EXPECT_EQ(Drain(m), wrapped);
    EXPECT_EQ(Narrow(o->text), "A");
    EXPECT_EQ(o->value, 10);
    Down(0, 0);
    Up(300, 0);
    std::vector<Ev> next = {{o->id, EVENT_STATE_PRESS, 0},
                            {o->id, EVENT_CHANGOPT, 1},
                            {o->id, EVENT_STATE_NORMAL, 0}};
    EXPECT_EQ(Drain(m), next);
    EXPECT_EQ(Narrow(o->text), "B");
    // A value no entry has: the press changes nothing.
    o->value = 99;
    MoveTo(0, 0);
    Down(0, 0);
    Up(0, 0);
    EXPECT_EQ(o->value, 99);
    EXPECT_EQ(Narrow(o->text), "B");
}

TEST_F(Widgets, TextFieldFocusTypingAndEndings) {
    auto *t = AddWidget<GuiText>(m, "T", 0, 0);
    EXPECT_EQ(t->maxChars(), 10u);
    EXPECT_EQ(t->value, -2);
    t->setText(Wide("Bob").data(), t->value);
    m.update(0);
    MoveTo(0, 0);
    Down(0, 0);
    Up(0, 0);
    std::vector<Ev> focus = {{t->id, EVENT_STATE_OVER, 0},
                             {t->id, EVENT_STATE_PRESS, 0},
                             {t->id, EVENT_STATE_FOCUS, 0}};
    EXPECT_EQ(Drain(m), focus);
    EXPECT_EQ(m.focused, t);
    EXPECT_TRUE(t->flags & GUI_FOCUS);
    EXPECT_EQ(t->state, STATE_FOCUS);
    // Moving away does not end the edit.
    MoveTo(300, 0);
    EXPECT_EQ(t->state, STATE_FOCUS);
    // A 10-character field takes 9 characters.
    for (const char *p = "abcdefghij"; *p; ++p) m.keyDown((uint32_t)*p);
    EXPECT_EQ(Narrow(t->text), "Bobabcdef");
    m.keyDown(8);
    EXPECT_EQ(Narrow(t->text), "Bobabcde");
    // Escape restores the text the field had when it got the focus.
    m.keyDown(27);
    EXPECT_EQ(Narrow(t->text), "Bob");
    EXPECT_EQ(t->state, STATE_NORMAL);
    EXPECT_EQ(m.focused, nullptr);
    EXPECT_FALSE(t->flags & GUI_FOCUS);
    // Without the focus, keys do nothing.
    m.keyDown('x');
    EXPECT_EQ(Narrow(t->text), "Bob");
    // Return keeps the edit.
    Drain(m);
    t->setState(STATE_FOCUS);
    std::vector<Ev> scripted = {{t->id, EVENT_STATE_FOCUS, 0}};
    EXPECT_EQ(Drain(m), scripted);
    m.keyDown('!');
    m.keyDown(13);
    EXPECT_EQ(Narrow(t->text), "Bob!");
    EXPECT_EQ(m.focused, nullptr);
    std::vector<Ev> kept = {{t->id, EVENT_STATE_NORMAL, 0}};
    EXPECT_EQ(Drain(m), kept);
    // A click elsewhere behaves like escape.
    t->setState(STATE_FOCUS);
    m.keyDown('?');
    Drain(m);
    Down(300, 0);
    EXPECT_EQ(Narrow(t->text), "Bob!");
    EXPECT_EQ(t->state, STATE_NORMAL);
    EXPECT_EQ(m.focused, nullptr);
    std::vector<Ev> cancelled = {{t->id, EVENT_STATE_NORMAL, 0}};
    EXPECT_EQ(Drain(m), cancelled);
    // Backspace on an empty text and keys that type nothing are harmless.
    t->setText(Wide("").data(), t->value);
    t->setState(STATE_FOCUS);
    m.keyDown(8);
    m.keyDown(0);
    EXPECT_EQ(Narrow(t->text), "");
}

TEST_F(Widgets, TextFieldHandOverAndPressedFieldKeepsItsText) {
    auto *a = AddWidget<GuiText>(m, "A", 0, 0);
    auto *b = AddWidget<GuiText>(m, "B", 0, 100);
    a->setText(Wide("one").data(), a->value);
    b->setText(Wide("two").data(), b->value);
    m.update(0);
    a->setState(STATE_FOCUS);
    m.keyDown('x');
    Drain(m);
    // Clicking field B ends A's edit without keeping it and gives B the keys.
    MoveTo(0, 100);
    Down(0, 100);
    Up(0, 100);
    EXPECT_EQ(Narrow(a->text), "one");
    EXPECT_EQ(Narrow(b->text), "two");
    EXPECT_EQ(m.focused, b);
    EXPECT_FALSE(a->flags & GUI_FOCUS);
    m.keyDown('y');
    EXPECT_EQ(Narrow(a->text), "one");
    EXPECT_EQ(Narrow(b->text), "twoy");
    // A script focusing A takes the keys from B.
    Drain(m);
    a->setState(STATE_FOCUS);
    std::vector<Ev> handOver = {{b->id, EVENT_STATE_NORMAL, 0}, {a->id, EVENT_STATE_FOCUS, 0}};
    EXPECT_EQ(Drain(m), handOver);
    m.keyDown('z');
    EXPECT_EQ(Narrow(a->text), "onez");
    EXPECT_EQ(Narrow(b->text), "twoy");
}

TEST_F(Widgets, NoPickingCameraMeansNothingIsHit) {
    GuiManager other;
    SceneRecorder r;
    other.setEngine(&r);
    auto *b = AddWidget<GuiButton>(other, "B", 0, 0);  // id 1 is a button, not a camera
    other.update(0);
    other.mouseMove(PixelX(0), PixelY(0));
    EXPECT_EQ(b->state, STATE_NORMAL);
    // A widget without a mesh is never hit either.
    auto *g = new GuiButton();
    m.addObject(g, "");
    m.update(0);
    MoveTo(0, 0);
    EXPECT_EQ(g->state, STATE_NORMAL);
}

TEST_F(Widgets, PerspectiveCameraPicksThroughTheCentre) {
    GuiManager p;
    SceneRecorder r;
    p.setEngine(&r);
    auto *c = new GuiCamera();
    c->fov = 80;
    c->nearPlane = 1;
    c->channels[TRANSLATION_Z] = 200;
    p.addObject(c, "");
    // A widget turned and scaled is hit where it shows.
    auto *b = AddWidget<GuiButton>(p, "B", 0, 0);
    b->channels[ROTATION_Y] = 45;
    b->channels[SCALE_X] = 2;
    p.update(0);
    p.mouseMove(400, 300);
    EXPECT_EQ(b->state, STATE_OVER);
    // At depth 200 the half-height of the view is 200 tan 40 = 168 units,
    // so the panel (25 units high) covers about 45 pixels above the centre.
    p.mouseMove(400, 300 - 40);
    EXPECT_EQ(b->state, STATE_OVER);
    p.mouseMove(400, 300 - 50);
    EXPECT_EQ(b->state, STATE_NORMAL);
}

TEST_F(Widgets, InputRecordsMapButtonsAndKeys) {
    auto *b = AddWidget<GuiButton>(m, "B", 0, 0);
    auto *t = AddWidget<GuiText>(m, "T", 0, 100);
    m.update(0);
    platform::InputEvent e;
    e.type = platform::EventMouseMotion;
    e.x = PixelX(0);
    e.y = PixelY(0);
    m.feed(e);
    EXPECT_EQ(b->state, STATE_OVER);
    e.type = platform::EventButtonDown;
    e.button = platform::ButtonRight;  // not the left button: ignored
    m.feed(e);
    EXPECT_EQ(b->state, STATE_OVER);
    e.button = platform::ButtonLeft;
    m.feed(e);
    EXPECT_EQ(b->state, STATE_PRESS);
    t->setState(STATE_FOCUS);
    platform::InputEvent k;
    k.type = platform::EventKeyDown;
    k.key = 'a';
    k.unicode = 0xE9;  // the typed character wins over the key number
    m.feed(k);
    k.unicode = 0;
    k.key = platform::KeyBackspace;
    m.feed(k);
    k.key = 'q';
    m.feed(k);
    k.key = platform::KeyLShift;  // types nothing
    m.feed(k);
    EXPECT_EQ(GuiTextLength(t->text), 1);
    EXPECT_EQ(t->text[0], 'q');
}
