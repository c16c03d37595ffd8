// A scene of every widget kind drawn through the engine and clicked through
// input records, checked on the back buffer. The camera is orthographic with
// one unit per pixel, and there are no lights, so widgets show their state
// textures' colours exactly.
#include <gtest/gtest.h>

#include <vector>

#include "../lib3d/EngineTestSupport.h"
#include "GuiTestScene.h"
#include "gui/EngineRenderer.h"
#include "gui/GuiFont.h"
#include "platform/Input.h"

using namespace gui;
using namespace guitest;
using enginetest::Rgb;

namespace {

struct Scene : ::testing::Test {
    lib3d::Engine engine;
    std::unique_ptr<EngineRenderer> renderer;
    GuiManager m;
    platform::ScriptedInput input;
    int colours[5];  // red, green, blue, yellow, white
    GuiButton *button = nullptr;
    GuiSwitch *toggle = nullptr;
    GuiOption *option = nullptr;
    GuiText *field = nullptr;
    GuiGraphic *graphic = nullptr;
    GuiNull *hidden = nullptr;
    GuiButton *hiddenChild = nullptr;

    int Solid(uint8_t r, uint8_t g, uint8_t b) {
        std::vector<uint8_t> px(16 * 16 * 4);
        for (size_t i = 0; i < px.size(); i += 4) {
            px[i] = r;
            px[i + 1] = g;
            px[i + 2] = b;
            px[i + 3] = 255;
        }
        return engine.CreateTexture(16, px.data(), 16, true);
    }

    void SetUp() override {
        ASSERT_TRUE(enginetest::OpenEngine(&engine, 800, 600, 0));
        renderer.reset(new EngineRenderer(&engine));
        m.setEngine(renderer.get());
        colours[0] = Solid(255, 0, 0);
        colours[1] = Solid(0, 255, 0);
        colours[2] = Solid(0, 0, 255);
        colours[3] = Solid(255, 255, 0);
        colours[4] = Solid(255, 255, 255);
        AddCamera(m);
        button = AddWidget<GuiButton>(m, "BUTTON", -200, 100);
        toggle = AddWidget<GuiSwitch>(m, "SWITCH", 0, 100);
        option = AddWidget<GuiOption>(m, "OPTION", 200, 100);
        field = AddWidget<GuiText>(m, "FIELD", -200, -100);
        graphic = AddWidget<GuiGraphic>(m, "GRAPHIC", 0, -100);
        hidden = new GuiNull();
        hidden->setName("HIDDEN");
        m.addObject(hidden, "");
        hiddenChild = AddWidget<GuiButton>(m, "CHILD", 200, -100, "HIDDEN");
        for (GuiWidget *w : {(GuiWidget *)button, (GuiWidget *)toggle, (GuiWidget *)option,
                             (GuiWidget *)field, (GuiWidget *)hiddenChild}) {
            for (int s = 0; s < 4; s++) w->setStateTexture(colours[s], (uint32_t)s);
        }
        graphic->setStateTexture(colours[4], 0);
        option->addEntry(Wide("A").data(), 0);
        option->addEntry(Wide("B").data(), 1);
        hidden->flags &= (uint8_t)~GUI_VISIBLE;
    }
    void TearDown() override { m.clear(); }

    void Frame() {
        platform::InputEvent e;
        while (input.PollEvent(&e)) m.feed(e);
        m.update(0.02f);
        ASSERT_TRUE(engine.BeginFrame());
        engine.ClearFrame();
        m.render();
        engine.EndFrame();
    }
    Rgb At(float x, float y) { return enginetest::PixelAt(&engine, PixelX(x), PixelY(y)); }
    void ExpectColour(float x, float y, int r, int g, int b) {
        Rgb c = At(x, y);
        EXPECT_LE(enginetest::Distance(c, Rgb{r, g, b}), 8)
            << "at (" << x << ", " << y << "): " << c.r << " " << c.g << " " << c.b;
    }
};

}  // namespace

TEST_F(Scene, EveryKindDrawsItsStateAndAnswersClicks) {
    Frame();
    ExpectColour(-200, 100, 255, 0, 0);  // normal
    ExpectColour(0, 100, 255, 0, 0);
    ExpectColour(200, 100, 255, 0, 0);
    ExpectColour(-200, -100, 255, 0, 0);
    ExpectColour(0, -100, 255, 255, 255);
    ExpectColour(200, -100, 0, 0, 0);  // under a hidden father: not drawn
    ExpectColour(-200, 140, 0, 0, 0);  // just above the button
    // Hover over the button, click the switch, then press the option and hold.
    input.PushMotion(PixelX(-200), PixelY(100));
    Frame();
    ExpectColour(-200, 100, 0, 255, 0);
    input.PushClick(PixelX(0), PixelY(100));
    Frame();
    ExpectColour(-200, 100, 255, 0, 0);  // left behind
    ExpectColour(0, 100, 255, 255, 0);   // latched
    input.PushMotion(PixelX(200), PixelY(100));
    platform::InputEvent down;
    down.type = platform::EventButtonDown;
    down.button = platform::ButtonLeft;
    down.x = PixelX(200);
    down.y = PixelY(100);
    input.Push(down);
    Frame();
    ExpectColour(200, 100, 0, 0, 255);
    platform::InputEvent up = down;
    up.type = platform::EventButtonUp;
    input.Push(up);
    Frame();
    ExpectColour(200, 100, 0, 255, 0);
    EXPECT_EQ(option->value, 1);
    // The text field takes the focus and shows it; a click elsewhere drops it.
    input.PushClick(PixelX(-200), PixelY(-100));
    Frame();
    EXPECT_EQ(m.focused, field);
    ExpectColour(-200, -100, 255, 255, 0);
    input.PushClick(PixelX(390), PixelY(-290));
    Frame();
    EXPECT_EQ(m.focused, nullptr);
    ExpectColour(-200, -100, 255, 0, 0);
    // Showing the hidden node shows its child, which then answers input.
    hidden->flags |= GUI_VISIBLE;
    input.PushMotion(PixelX(200), PixelY(-100));
    Frame();
    ExpectColour(200, -100, 0, 255, 0);
}

TEST_F(Scene, CaptionsShowOnWidgets) {
    const float numbers[12] = {1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1};
    m.loadFont("data/gfx/font/vagron.ttf", 40, numbers, 0);
    ASSERT_TRUE(m.font(0)->isOpen());
    int32_t h = -1;
    m.renderText(Wide("MMMM").data(), h, 0, 0);
    ASSERT_GE(h, 0);
    graphic->setStateTexture(colours[2], 0);  // blue plate, white text
    graphic->value = h;
    Frame();
    // Somewhere across the middle line of the plate, text pixels are white.
    int white = 0, blue = 0;
    for (int x = -45; x <= 45; x++) {
        Rgb c = At((float)x, -100);
        if (c.r > 200 && c.g > 200 && c.b > 200) white++;
        if (c.r < 40 && c.g < 40 && c.b > 200) blue++;
    }
    EXPECT_GT(white, 10);
    EXPECT_GT(blue, 5);
}
