#include "gui/GuiManager.h"

#include <algorithm>
#include <cstring>

#include "gui/GuiFont.h"
#include "lib3d/Matrix.h"
#include "platform/Input.h"

namespace gui {

using lib3d::Matrix;

namespace {

GuiManager *g_manager = nullptr;

// Draw order: by kind (unsigned), then by text length, shorter first.
bool DrawsBefore(const std::unique_ptr<GuiObject> &a, const std::unique_ptr<GuiObject> &b) {
    if (a->kind != b->kind) return a->kind < b->kind;
    return GuiTextLength(a->text) < GuiTextLength(b->text);
}

}  // namespace

// ---- core

GuiCore::~GuiCore() {}

void GuiCore::clear() {
    objects.clear();
    animations.clear();
    bindings.clear();
    storedEvents.clear();
    pendingEvents.clear();
    playbacks.clear();
    lastId = 0;
}

void GuiCore::sortObjects() {
    std::stable_sort(objects.begin(), objects.end(), DrawsBefore);
}

bool GuiCore::addObject(GuiObject *obj, const char *fatherName) {
    if (!obj) return false;
    obj->id = nextId();
    GuiObject *father = nullptr;
    if (fatherName && fatherName[0]) {
        for (auto &o : objects) {
            if (GuiNameEquals(o->name, fatherName)) {
                father = o.get();
                break;
            }
        }
    }
    objects.emplace_back(obj);
    if (father) {
        if (!father->firstChild) {
            father->firstChild = obj;
        } else {
            GuiObject *last = father->firstChild;
            while (last->nextSibling) last = last->nextSibling;
            last->nextSibling = obj;
        }
        obj->father = father;
    }
    sortObjects();
    return father == nullptr;
}

// ---- manager

GuiManager::GuiManager() {
    g_manager = this;
}

GuiManager::~GuiManager() {
    clear();
    if (g_manager == this) g_manager = nullptr;
}

GuiManager *GuiManager::instance() {
    return g_manager;
}

void GuiManager::clear() {
    focused = nullptr;
    GuiCore::clear();
    fonts.clear();
    fontsPrepared = false;
    std::memset(editBackup, 0, sizeof(editBackup));
    // SDL_ttf stays up: the program's own fonts use it too and may still be
    // open, and a later load starts using it again.
}

bool GuiManager::addObject(GuiObject *obj, const char *fatherName) {
    if (!obj) return false;
    obj->manager = this;
    const bool topLevel = GuiCore::addObject(obj, fatherName);
    if (obj->kind == KIND_WIDGET && obj->text[0]) {
        uint16_t caption[kTextSize + 1];
        GuiTerminatedText(obj->text, caption);
        int32_t handle = obj->value;
        renderText(caption, handle, obj->font, obj->maxChars());
        obj->setText(caption, handle);
    }
    return topLevel;
}

GuiFont *GuiManager::font(uint32_t index) {
    return index < fonts.size() ? fonts[index].get() : nullptr;
}

void GuiManager::renderText(const uint16_t *text, int32_t &handle, uint32_t fontIndex,
                            uint32_t maxChars) {
    GuiFont *f = font(fontIndex);
    if (!f || !text) return;
    if (handle == -1) {
        handle = f->renderCaption(text, -1);
        return;
    }
    if (handle == -2) handle = f->reserveCaption((int)maxChars);
    if (handle < 0) return;  // no room for the field's slot
    f->releasePage(handle);
    uint16_t shortened[kTextSize + 1];
    uint32_t n = 0;
    while (n < maxChars && n < (uint32_t)kTextSize && text[n]) {
        shortened[n] = text[n];
        n++;
    }
    shortened[n] = 0;
    f->renderCaption(shortened, handle);
    f->uploadPages(handle);
}

void GuiManager::setEngine(GuiRenderer *renderer) {
    engine_ = renderer;
    raiseEvent(0, EVENT_BEGIN, 0);
}

GuiObject *GuiManager::findObject(const char *name) const {
    if (!name) return nullptr;
    for (auto &o : objects) {
        if (GuiNameEquals(o->name, name)) return o.get();
    }
    return nullptr;
}

GuiObject *GuiManager::findObjectById(uint32_t id) const {
    for (auto &o : objects) {
        if (o->id == id) return o.get();
    }
    return nullptr;
}

void GuiManager::link(uint32_t childId, uint32_t fatherId) {
    GuiObject *child = findObjectById(childId);
    GuiObject *father = findObjectById(fatherId);
    if (!child || !father || child == father) return;
    // A child already placed, or a father inside the child's own subtree,
    // would tie the tree into a loop that update and input never leave.
    if (child->father) return;
    for (GuiObject *a = father; a; a = a->father) {
        if (a == child) return;
    }
    if (!father->firstChild) {
        father->firstChild = child;
    } else {
        GuiObject *last = father->firstChild;
        while (last->nextSibling) last = last->nextSibling;
        last->nextSibling = child;
    }
    child->father = father;
}

void GuiManager::update(float dt) {
    processEvents();
    advancePlaybacks(dt);
    for (auto &o : objects) {
        if (!o->father) o->update();
    }
}

// ---- input

void GuiManager::mouseMove(int x, int y) {
    for (size_t i = 0; i < objects.size(); i++) {
        if (!objects[i]->father) objects[i]->onMouseMove(x, y);
    }
}

void GuiManager::mouseUp(int x, int y, uint32_t button) {
    for (size_t i = 0; i < objects.size(); i++) {
        if (!objects[i]->father) objects[i]->onMouseUp(x, y, button);
    }
}

void GuiManager::mouseDown(int x, int y, uint32_t button) {
    for (size_t i = 0; i < objects.size(); i++) {
        if (!objects[i]->father) objects[i]->onMouseDown(x, y, button);
    }
}

void GuiManager::keyUp(uint32_t key) {
    for (size_t i = 0; i < objects.size(); i++) {
        if (!objects[i]->father) objects[i]->onKeyUp(key);
    }
}

void GuiManager::keyDown(uint32_t key) {
    for (size_t i = 0; i < objects.size(); i++) {
        if (!objects[i]->father) objects[i]->onKeyDown(key);
    }
}

void GuiManager::feed(const platform::InputEvent &event) {
    auto button = [](int b) -> uint32_t {
        if (b == platform::ButtonLeft) return 0;
        if (b == platform::ButtonMiddle) return 1;
        return 3;
    };
    auto character = [](const platform::InputEvent &e) -> uint32_t {
        if (e.unicode) return e.unicode;
        return e.key > 0 && e.key < 128 ? (uint32_t)e.key : 0;
    };
    switch (event.type) {
        case platform::EventMouseMotion:
            mouseMove(event.x, event.y);
            break;
        case platform::EventButtonDown:
            mouseDown(event.x, event.y, button(event.button));
            break;
        case platform::EventButtonUp:
            mouseUp(event.x, event.y, button(event.button));
            break;
        case platform::EventKeyDown:
            keyDown(character(event));
            break;
        case platform::EventKeyUp:
            keyUp(character(event));
            break;
        default:
            break;
    }
}

// ---- events and actions

void GuiManager::raiseEvent(uint32_t id, uint32_t kind, uint32_t param) {
    GuiEvent e;
    e.id = id;
    e.kind = kind;
    e.param = param;
    pendingEvents.push_back(e);
}

void GuiManager::addBinding(const GuiEvent &key, uint32_t action, uint32_t target, uint32_t param) {
    GuiBinding b;
    b.key = key;
    b.action = action;
    b.target = target;
    b.param = param;
    bindings.push_back(b);
    // Stable, so bindings of one event run in the order they were made.
    std::stable_sort(bindings.begin(), bindings.end(),
                     [](const GuiBinding &x, const GuiBinding &y) { return x.key.id < y.key.id; });
}

void GuiManager::processEvents() {
    int handled = 0;
    while (!pendingEvents.empty() && handled < kMaxEventsPerUpdate) {
        const GuiEvent e = pendingEvents.front();
        pendingEvents.pop_front();
        handled++;
        auto it = std::lower_bound(bindings.begin(), bindings.end(), e.id,
                                   [](const GuiBinding &b, uint32_t id) { return b.key.id < id; });
        for (; it != bindings.end() && it->key.id == e.id; ++it) {
            if (it->key.kind == e.kind && it->key.param == e.param) runAction(*it, e);
        }
    }
}

void GuiManager::runAction(const GuiBinding &binding, const GuiEvent &event) {
    if (binding.action == ACTION_ANIM) {
        if (!findAnimationById(binding.target)) return;
        startAnimation(binding.target, binding.param);
        raiseEvent(binding.target, EVENT_ANIM_BEGIN, 0);
        return;
    }
    if (binding.action == ACTION_STORE) {
        GuiStoredEvent record;
        record.kind = (int32_t)event.kind;
        record.param = binding.param;
        if (GuiObject *o = findObjectById(binding.target)) {
            std::memcpy(record.name, o->name, kNameSize);
        } else if (GuiAnimation *a = findAnimationById(binding.target)) {
            std::memcpy(record.name, a->name, kNameSize);
        } else {
            return;
        }
        storedEvents.push_back(record);
        return;
    }
    GuiObject *o = findObjectById(binding.target);
    if (!o) return;
    switch (binding.action) {
        case ACTION_VISIBLE:
            o->flags |= GUI_VISIBLE;
            break;
        case ACTION_INVISIBLE:
            o->flags &= (uint8_t)~GUI_VISIBLE;
            break;
        case ACTION_ACTIVE:
            o->flags |= GUI_ACTIVE;
            break;
        case ACTION_INACTIVE:
            o->flags &= (uint8_t)~GUI_ACTIVE;
            break;
        case ACTION_MOVEABLE:
            o->flags |= GUI_MOVEABLE;
            break;
        case ACTION_UNMOVEABLE:
            o->flags &= (uint8_t)~GUI_MOVEABLE;
            break;
        case ACTION_FOCUS:
            o->flags |= GUI_FOCUS;
            break;
        case ACTION_UNFOCUS:
            o->flags &= (uint8_t)~GUI_FOCUS;
            break;
        case ACTION_CHGSTATE:
            o->setState((uint8_t)binding.param);
            if (binding.param <= 2)
                raiseEvent(o->id, EVENT_STATE_NORMAL + binding.param, 0);
            else if (binding.param == 3 && o->kind == KIND_WIDGET)
                raiseEvent(o->id, EVENT_STATE_PRESSED, 0);
            break;
        default:
            break;
    }
}

GuiStoredEvent GuiManager::popStoredEvent() {
    if (storedEvents.empty()) return GuiStoredEvent();
    GuiStoredEvent e = storedEvents.front();
    storedEvents.pop_front();
    return e;
}

// ---- fonts

int GuiManager::loadFont(const char *file, int pointSize, const float numbers[12], int style) {
    std::unique_ptr<GuiFont> f(new GuiFont());
    f->attach(engine_);
    if (f->open(file, pointSize)) {
        f->style = style;
        f->face.SetStyle(style);
    }
    if (numbers) {
        for (int i = 0; i < 3; i++) {
            f->screenColour[i] = numbers[i];
            f->sceneColour[i] = numbers[3 + i];
            f->shadowColour[i] = numbers[6 + i];
        }
        f->shadowOffset[0] = (int)numbers[9];
        f->shadowOffset[1] = (int)numbers[10];
        f->sceneAlpha = numbers[11];
    }
    fonts.push_back(std::move(f));
    return (int)fonts.size() - 1;
}

// ---- picking

GuiCamera *GuiManager::pickingCamera() const {
    GuiObject *o = findObjectById(1);
    if (!o || o->type() != GuiType::Camera) return nullptr;
    return static_cast<GuiCamera *>(o);
}

bool GuiManager::pickRay(int x, int y, float origin[3], float dir[3]) const {
    GuiCamera *camera = pickingCamera();
    if (!camera) return false;
    int w = 800, h = 600;
    if (engine_) engine_->ScreenSize(&w, &h);
    if (w <= 0 || h <= 0) return false;
    float projection[16], view[16], inverse[16];
    camera->projectionMatrix(projection);
    camera->viewMatrix(view);
    if (!Matrix::Inverse(view, inverse)) return false;
    if (projection[0] == 0 || projection[5] == 0) return false;
    // The ray in view space: from the eye through the pixel for a
    // perspective camera (whatever its near plane), straight ahead from the
    // pixel for an orthographic one.
    const float nx = 2.0f * ((float)x + 0.5f) / (float)w - 1.0f;
    const float ny = 1.0f - 2.0f * ((float)y + 0.5f) / (float)h;
    const float px = nx / projection[0], py = ny / projection[5];
    float o[3], d[3];
    if (camera->projectionMode == 0) {
        o[0] = o[1] = o[2] = 0;
        d[0] = px;
        d[1] = py;
        d[2] = 1;
    } else {
        o[0] = px;
        o[1] = py;
        o[2] = 0;
        d[0] = d[1] = 0;
        d[2] = 1;
    }
    Matrix::TransformPoint(inverse, o, origin);
    for (int c = 0; c < 3; c++) dir[c] = d[0] * inverse[c] + d[1] * inverse[4 + c] + d[2] * inverse[8 + c];
    return true;
}

// ---- rendering

void GuiManager::restoreLighting() {
    if (engine_) engine_->SetLighting(lightsSet > 0);
}

void GuiManager::render() {
    if (!engine_) return;
    if (!fontsPrepared) {
        for (auto &f : fonts) f->uploadPages(-1);
        fontsPrepared = true;
    }
    size_t pos = 0;
    GuiObject *first = objects.empty() ? nullptr : objects[0].get();
    if (first && first->type() == GuiType::Camera && first->isVisible()) {
        GuiCamera *camera = static_cast<GuiCamera *>(first);
        camera->draw();
        for (int i = 0; i < 3; i++) {
            eye[i] = camera->channels[TRANSLATION_X + i];
            eyeForward[i] = camera->forward[i];
        }
        pos = 1;
    } else {
        eye[0] = 0;
        eye[1] = 0;
        eye[2] = 200;
        eyeForward[0] = 0;
        eyeForward[1] = 0;
        eyeForward[2] = -1;
        const float up[3] = {0, 1, 0};
        float view[16];
        GuiLookAt(eye, eyeForward, up, view);
        engine_->SetViewMatrix(view);
    }

    const int previousLights = lightsSet;
    int set = 0;
    while (pos < objects.size() && objects[pos]->kind == KIND_LIGHT && set < 8) {
        GuiObject *o = objects[pos].get();
        if (o->isVisible() && o->type() == GuiType::Light) {
            static_cast<GuiLight *>(o)->slot = (uint32_t)set;
            o->draw();
            set++;
        }
        pos++;
    }
    lightsSet = set;
    // Lights from an earlier frame that are no longer set must not shine on.
    for (int i = set; i < previousLights; i++) engine_->DisableLight(i);
    if (set == 0) {
        engine_->SetLighting(false);
        engine_->SetAmbient(1, 1, 1);
    }

    const size_t widgetStart = pos;
    drawRun(widgetStart, KIND_WIDGET);
    size_t textStart = widgetStart;
    while (textStart < objects.size() && objects[textStart]->kind != KIND_TEXT) textStart++;
    drawRun(textStart, KIND_TEXT);
}

size_t GuiManager::drawRun(size_t start, uint32_t kind) {
    size_t end = start;
    while (end < objects.size() && objects[end]->kind == kind) end++;
    drawOrder_.clear();
    for (size_t i = start; i < end; i++) {
        const float *w = objects[i]->worldMatrix();
        if (!w) continue;
        const float d = (w[12] - eye[0]) * eyeForward[0] + (w[13] - eye[1]) * eyeForward[1] +
                        (w[14] - eye[2]) * eyeForward[2];
        // Objects at or behind one unit behind the eye are not drawn.
        if (d > -1.0f) drawOrder_.push_back({d, i});
    }
    // Back to front; equal depths in list order.
    std::stable_sort(drawOrder_.begin(), drawOrder_.end(),
                     [](const DepthEntry &a, const DepthEntry &b) { return a.depth > b.depth; });
    for (const DepthEntry &e : drawOrder_) {
        GuiObject *o = objects[e.index].get();
        if (o->isVisible()) o->draw();
    }
    return end;
}

}  // namespace gui
