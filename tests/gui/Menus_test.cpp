// The shipped menus: data/scriptdemo.lub (the compiled script) with the
// English and French menu texts. Everything the program looks up exists,
// every button reacts to a click with the record the program acts on, the
// menus move between each other, and every caption fits its widget.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui/GuiFont.h"
#include "gui/GuiManager.h"
#include "gui/GuiMesh.h"
#include "gui/ScriptTestSupport.h"
#include "lib3d/Matrix.h"

using namespace gui;
using scripttest::CountingRenderer;

namespace {

const char *const kGroups[] = {"MENUMAIN", "MENUPLAY",   "MENULOAD",
                               "MENUSAVE", "MENUOPTION", "MENUGAMEOPTION"};
// Our own groups: the ways back from the help page and the credits.
const char *const kExtraGroups[] = {"MENUHELP", "MENUABOUT"};

const char *const kButtons[] = {
    "BUTTON_QUIT",       "BUTTON_PLAY",       "BUTTON_LOAD",       "BUTTON_HELP",
    "BUTTON_OPTION",     "BUTTONOPTION_BACK", "BUTTON_ONE_PLAYER", "BUTTON_TWO_PLAYERS",
    "BUTTONCONFIG_BACK", "BUTTONGAME_PLAY",   "BUTTONGAME_SAVE",   "BUTTON_ABOUT",
    "BUTTON_ABOUT_BACK", "BUTTONLOAD_BACK",   "BUTTON_HELP_BACK",  "BUTTONSAVE_BACK",
};

// The settings, with the number of states the program reads from each.
const std::pair<const char *, uint32_t> kSwitches[] = {
    {"BUTTONOPTION_RES", 3},    {"BUTTONOPTION_SOUND", 2},   {"BUTTONOPTION_MUSIC", 2},
    {"BUTTONOPTION_SHADOW", 2}, {"BUTTONOPTION_REFLECT", 2}, {"BUTTONOPTION_LAYHELP", 2},
    {"BUTTONOPTION_LEVEL", 2},
};

const char *const kNameFields[] = {"TEXTEPLAYER1NAME", "TEXTEPLAYER2NAME"};

constexpr int kWidth = 800, kHeight = 600;  // the counting renderer's screen

class Menus : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override {
        menus.setEngine(&renderer);
        std::string text = std::string("./data/textmenu_") + GetParam() + ".txt";
        ::testing::internal::CaptureStderr();
        menus.load("./data/scriptdemo.lub", text.c_str());
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err, "");
        Run(1.0f);  // the start events and the main menu's entrance
        Drain();
    }

    void Run(float seconds) {
        for (float t = 0; t < seconds; t += 0.02f) menus.update(0.02f);
    }
    void Drain() {
        while (menus.popStoredEvent().kind >= 0) {
        }
    }
    GuiObject *Group(const char *widget) {
        GuiObject *o = menus.findObject(widget);
        while (o && o->father && o->father->father) o = o->father;
        return o;  // the group: the child of MENUROOT
    }
    // Shows only `group`, as the program does when it takes over the menus.
    void ShowOnly(const char *group) {
        for (const char *g : kGroups) SetVisible(g, strcmp(g, group) == 0);
        for (const char *g : kExtraGroups) SetVisible(g, strcmp(g, group) == 0);
    }
    void SetVisible(const char *name, bool on) {
        GuiObject *o = menus.findObject(name);
        ASSERT_NE(o, nullptr) << name;
        if (on)
            o->flags |= GUI_VISIBLE;
        else
            o->flags &= uint8_t(~GUI_VISIBLE);
    }
    bool Visible(const char *name) {
        GuiObject *o = menus.findObject(name);
        return o && (o->flags & GUI_VISIBLE);
    }
    // Clicks a widget; returns the names stored by the next update.
    std::vector<std::string> Click(const char *name) {
        std::vector<std::string> stored;
        int x = 0, y = 0;
        EXPECT_TRUE(scripttest::ScreenPoint(menus, name, kWidth, kHeight, &x, &y)) << name;
        menus.mouseMove(x, y);
        menus.mouseDown(x, y, 0);
        menus.mouseUp(x, y, 0);
        menus.update(0.02f);
        for (GuiStoredEvent e = menus.popStoredEvent(); e.kind >= 0; e = menus.popStoredEvent()) {
            EXPECT_EQ(e.kind, int32_t(EVENT_STATE_PRESS)) << name;
            stored.push_back(std::string(e.name, strnlen(e.name, kNameSize)));
        }
        return stored;
    }

    CountingRenderer renderer;
    GuiManager menus;
};

TEST_P(Menus, EveryNameTheProgramLooksUpExistsWithTheRightKind) {
    for (const char *g : kGroups)
        EXPECT_NE(dynamic_cast<GuiNull *>(menus.findObject(g)), nullptr) << g;
    for (const char *b : kButtons) {
        GuiButton *button = dynamic_cast<GuiButton *>(menus.findObject(b));
        ASSERT_NE(button, nullptr) << b;
        EXPECT_NE(button->mesh, nullptr) << b;
        EXPECT_NE(button->stateTextures[STATE_NORMAL], -1) << b;
        EXPECT_GE(button->value, 0) << b << " has no caption";
    }
    for (const auto &s : kSwitches) {
        GuiOption *option = dynamic_cast<GuiOption *>(menus.findObject(s.first));
        ASSERT_NE(option, nullptr) << s.first;
        EXPECT_EQ(option->entryCount(), s.second) << s.first;
        // The program reads and sets the state as the entry's position.
        EXPECT_EQ(option->selectedIndex(), 0) << s.first;
        option->selectEntry(s.second - 1);
        EXPECT_EQ(option->selectedIndex(), int32_t(s.second - 1)) << s.first;
    }
    for (const char *f : kNameFields) {
        GuiText *field = dynamic_cast<GuiText *>(menus.findObject(f));
        ASSERT_NE(field, nullptr) << f;
        EXPECT_GE(field->value, 0) << f;  // a caption slot for the name
        EXPECT_GE(field->maxChars(), 9u) << f;
    }
    // The picking camera is the first object; only the main menu shows at first.
    ASSERT_NE(menus.pickingCamera(), nullptr);
    for (const char *g : kGroups) EXPECT_EQ(Visible(g), strcmp(g, "MENUMAIN") == 0) << g;
    for (const char *g : kExtraGroups) EXPECT_FALSE(Visible(g)) << g;
}

TEST_P(Menus, EveryButtonAndSettingStoresItsNameWhenClicked) {
    std::vector<const char *> widgets(std::begin(kButtons), std::end(kButtons));
    for (const auto &s : kSwitches) widgets.push_back(s.first);
    for (const char *w : widgets) {
        GuiObject *group = Group(w);
        ASSERT_NE(group, nullptr) << w;
        Run(1.0f);  // the menus the last click moved come to rest
        ShowOnly(group->name);
        Run(0.1f);
        Drain();
        std::vector<std::string> stored = Click(w);
        ASSERT_EQ(stored.size(), 1u) << w;
        EXPECT_EQ(stored[0], w);
    }
}

TEST_P(Menus, SettingsStepThroughTheirEntriesAndWrapAround) {
    ShowOnly("MENUOPTION");
    Run(0.1f);
    GuiOption *res = dynamic_cast<GuiOption *>(menus.findObject("BUTTONOPTION_RES"));
    ASSERT_NE(res, nullptr);
    for (int i = 1; i <= 3; i++) {
        Click("BUTTONOPTION_RES");
        EXPECT_EQ(res->selectedIndex(), i % 3);
    }
}

TEST_P(Menus, ButtonsRiseUnderThePointerAndSettleWhenItLeaves) {
    ShowOnly("MENUMAIN");
    Run(0.5f);
    GuiObject *b = menus.findObject("BUTTON_OPTION");
    int x = 0, y = 0;
    ASSERT_TRUE(scripttest::ScreenPoint(menus, "BUTTON_OPTION", kWidth, kHeight, &x, &y));
    menus.mouseMove(x, y);
    Run(0.5f);
    EXPECT_EQ(b->state, STATE_OVER);
    EXPECT_GT(b->channels[TRANSLATION_Z], 5);
    menus.mouseMove(2, 2);
    Run(0.5f);
    EXPECT_EQ(b->state, STATE_NORMAL);
    EXPECT_FLOAT_EQ(b->channels[TRANSLATION_Z], 0);
}

TEST_P(Menus, NavigationButtonsSwapTheMenus) {
    struct Move {
        const char *button, *from, *to;
    };
    const Move moves[] = {
        {"BUTTON_PLAY", "MENUMAIN", "MENUPLAY"},
        {"BUTTONCONFIG_BACK", "MENUPLAY", "MENUMAIN"},
        {"BUTTON_OPTION", "MENUMAIN", "MENUOPTION"},
        {"BUTTONOPTION_BACK", "MENUOPTION", "MENUMAIN"},
        {"BUTTON_LOAD", "MENUMAIN", "MENULOAD"},
        {"BUTTONLOAD_BACK", "MENULOAD", "MENUMAIN"},
        {"BUTTON_HELP", "MENUMAIN", "MENUHELP"},
        {"BUTTON_HELP_BACK", "MENUHELP", "MENUMAIN"},
        {"BUTTON_ABOUT", "MENUMAIN", "MENUABOUT"},
        {"BUTTON_ABOUT_BACK", "MENUABOUT", "MENUMAIN"},
        {"BUTTONGAME_SAVE", "MENUGAMEOPTION", "MENUSAVE"},
        {"BUTTONSAVE_BACK", "MENUSAVE", "MENUGAMEOPTION"},
    };
    for (const Move &m : moves) {
        Run(1.0f);
        ShowOnly(m.from);
        Run(0.1f);
        Click(m.button);
        // Both show while they swing; neither takes clicks meanwhile.
        EXPECT_TRUE(Visible(m.from)) << m.button;
        EXPECT_TRUE(Visible(m.to)) << m.button;
        EXPECT_FALSE(menus.findObject(m.to)->isActive()) << m.button;
        Run(1.0f);
        EXPECT_FALSE(Visible(m.from)) << m.button;
        EXPECT_TRUE(Visible(m.to)) << m.button;
        GuiObject *from = menus.findObject(m.from), *to = menus.findObject(m.to);
        EXPECT_TRUE(from->isActive() && to->isActive()) << m.button;
        for (int c = int(TRANSLATION_X); c <= int(ROTATION_Z); c++) {
            EXPECT_FLOAT_EQ(from->channels[c], 0) << m.button << " leaves " << m.from << " moved";
            EXPECT_FLOAT_EQ(to->channels[c], 0) << m.button << " leaves " << m.to << " moved";
        }
    }
}

// The camera's projection does not depend on the window's size, so a layout
// that fits at 800 x 600 fits at 640 x 480 and 1024 x 768 alike.
TEST_P(Menus, EveryWidgetOfARestingMenuLiesOnTheScreen) {
    int checked = 0;
    for (auto &o : menus.objects) {
        GuiWidget *w = dynamic_cast<GuiWidget *>(o.get());
        if (!w || !w->mesh || std::string(w->name) == "BACKDROP") continue;
        const float *lo = w->mesh->boxMin, *hi = w->mesh->boxMax, *m = w->worldMatrix();
        for (int corner = 0; corner < 8; corner++) {
            const float local[3] = {corner & 1 ? hi[0] : lo[0], corner & 2 ? hi[1] : lo[1],
                                    corner & 4 ? hi[2] : lo[2]};
            float world[3], x, y;
            lib3d::Matrix::TransformPoint(m, local, world);
            ASSERT_TRUE(scripttest::ProjectPoint(menus, world, kWidth, kHeight, &x, &y));
            EXPECT_TRUE(x >= 0 && x <= kWidth && y >= 0 && y <= kHeight)
                << w->name << " corner " << corner << " at " << x << ", " << y;
        }
        checked++;
    }
    EXPECT_GE(checked, 36);  // 17 buttons, 7 settings, 2 fields, 2 labels, 6 headings, 2 dominoes
}

TEST_P(Menus, EveryCaptionFitsItsWidget) {
    int checked = 0;
    for (auto &o : menus.objects) {
        GuiWidget *w = dynamic_cast<GuiWidget *>(o.get());
        if (!w || !w->mesh) continue;
        GuiFont *font = menus.font(w->font);
        ASSERT_NE(font, nullptr) << w->name;
        std::vector<int32_t> handles;
        if (GuiOption *opt = dynamic_cast<GuiOption *>(w)) {
            for (const GuiOptionEntry &e : opt->entries) handles.push_back(e.value);
        } else if (w->value >= 0 && GuiTextLength(w->text) > 0) {
            handles.push_back(w->value);
        }
        // The slab's face, inside its chamfer and frame.
        const float faceWidth = w->mesh->boxMax[0] - w->mesh->boxMin[0] - 24;
        const float faceHeight = w->mesh->boxMax[1] - w->mesh->boxMin[1] - 6;
        for (int32_t h : handles) {
            ASSERT_GE(h, 0) << w->name;
            EXPECT_LE(font->captionWidth(h), faceWidth) << w->name << " in " << GetParam();
            EXPECT_LE(font->captionHeight(h), faceHeight) << w->name << " in " << GetParam();
            checked++;
        }
    }
    EXPECT_GT(checked, 35);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Menus, ::testing::Values("en", "fr"));

}  // namespace
