#include "frontend/ScriptedMenu.h"

#include <cstring>

namespace frontend {

namespace {

// What the GUI takes for a key: the character typed, else the key number
// when it is an ASCII control (backspace, return, escape), else nothing.
uint32_t GuiKey(int key, uint16_t unicode) {
    if (unicode) return unicode;
    return key > 0 && key < 128 ? uint32_t(key) : 0;
}

}  // namespace

ScriptedMenu::ScriptedMenu() : manager_(new gui::GuiManager) {}

ScriptedMenu::~ScriptedMenu() {}

bool ScriptedMenu::Load(gui::GuiRenderer *renderer, const char *scriptPath, const char *textPath) {
    manager_->setEngine(renderer);
    manager_->load(scriptPath, textPath);
    return manager_->findObject("MENUMAIN") != nullptr;
}

bool ScriptedMenu::PopStoredAction(char *name, size_t size) {
    if (size == 0) return false;
    name[0] = 0;
    const gui::GuiStoredEvent e = manager_->popStoredEvent();
    if (e.kind < 0) return false;
    size_t n = 0;
    while (n < sizeof e.name && n + 1 < size && e.name[n]) {
        name[n] = e.name[n];
        ++n;
    }
    name[n] = 0;
    return true;
}

bool ScriptedMenu::Exists(const char *object) {
    return manager_->findObject(object) != nullptr;
}

void ScriptedMenu::SetVisible(const char *object, bool visible) {
    gui::GuiObject *o = manager_->findObject(object);
    if (!o) return;
    if (visible)
        o->flags |= gui::GUI_VISIBLE | gui::GUI_ACTIVE;  // a shown menu takes input
    else
        o->flags &= uint8_t(~gui::GUI_VISIBLE);
}

bool ScriptedMenu::GetState(const char *object, int *state) {
    gui::GuiObject *o = manager_->findObject(object);
    if (!o) return false;
    switch (o->type()) {
        case gui::GuiType::Option:
            *state = static_cast<gui::GuiOption *>(o)->selectedIndex();
            break;
        case gui::GuiType::Switch:
            *state = o->state == gui::STATE_PRESSED ? 1 : 0;
            break;
        default:
            *state = o->state;
            break;
    }
    return true;
}

void ScriptedMenu::SetState(const char *object, int state) {
    gui::GuiObject *o = manager_->findObject(object);
    if (!o || state < 0) return;
    switch (o->type()) {
        case gui::GuiType::Option:
            static_cast<gui::GuiOption *>(o)->selectEntry(uint32_t(state));
            break;
        case gui::GuiType::Switch:
            o->state = state ? gui::STATE_PRESSED : gui::STATE_NORMAL;
            break;
        default:
            break;
    }
}

bool ScriptedMenu::GetText(const char *object, uint16_t *text, size_t units) {
    gui::GuiObject *o = manager_->findObject(object);
    if (!o || units == 0) return false;
    uint16_t whole[gui::kTextSize + 1];
    gui::GuiTerminatedText(o->text, whole);
    size_t n = 0;
    while (n + 1 < units && whole[n]) {
        text[n] = whole[n];
        ++n;
    }
    text[n] = 0;
    return true;
}

void ScriptedMenu::SetText(const char *object, const uint16_t *text) {
    gui::GuiObject *o = manager_->findObject(object);
    // Only text fields: an option takes a caption as a new entry.
    if (!o || o->type() != gui::GuiType::Text) return;
    gui::GuiCopyText(o->text, text);
    uint16_t whole[gui::kTextSize + 1];
    gui::GuiTerminatedText(o->text, whole);
    manager_->renderText(whole, o->value, o->font, o->maxChars());
}

bool ScriptedMenu::HasFocus(const char *object) {
    gui::GuiObject *o = manager_->findObject(object);
    return o && (o->flags & gui::GUI_FOCUS);
}

void ScriptedMenu::KeyDown(int key, uint16_t unicode) {
    const uint32_t k = GuiKey(key, unicode);
    if (k) manager_->keyDown(k);
}

void ScriptedMenu::KeyUp(int key, uint16_t unicode) {
    const uint32_t k = GuiKey(key, unicode);
    if (k) manager_->keyUp(k);
}

void ScriptedMenu::MouseMove(int x, int y) {
    manager_->mouseMove(x, y);
}

void ScriptedMenu::ButtonDown(int x, int y, int button) {
    manager_->mouseDown(x, y, uint32_t(button));
}

void ScriptedMenu::ButtonUp(int x, int y, int button) {
    manager_->mouseUp(x, y, uint32_t(button));
}

void ScriptedMenu::Update(float dt) {
    manager_->update(dt);
}

void ScriptedMenu::Render() {
    manager_->render();
}

}  // namespace frontend
