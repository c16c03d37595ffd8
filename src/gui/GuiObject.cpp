#include "gui/GuiObject.h"

#include <cmath>
#include <cstring>

#include "gui/GuiFont.h"
#include "gui/GuiManager.h"
#include "gui/GuiMesh.h"
#include "lib3d/Matrix.h"

namespace gui {

using lib3d::Matrix;

// ---- fixed buffers

void GuiCopyName(char dst[kNameSize], const char *src) {
    int i = 0;
    if (src) {
        for (; i < kNameSize && src[i]; i++) dst[i] = src[i];
    }
    for (; i < kNameSize; i++) dst[i] = 0;
}

int GuiNameLength(const char name[kNameSize]) {
    int n = 0;
    while (n < kNameSize && name[n]) n++;
    return n;
}

bool GuiNameEquals(const char name[kNameSize], const char *s) {
    if (!s) return false;
    int i = 0;
    for (; i < kNameSize; i++) {
        if (name[i] != s[i]) return false;
        if (!s[i]) return true;
    }
    // All 64 bytes matched: equal only when the string ends there too.
    return s[kNameSize] == 0;
}

void GuiCopyText(uint16_t dst[kTextSize], const uint16_t *src) {
    int i = 0;
    if (src) {
        for (; i < kTextSize && src[i]; i++) dst[i] = src[i];
    }
    for (; i < kTextSize; i++) dst[i] = 0;
}

int GuiTextLength(const uint16_t text[kTextSize]) {
    int n = 0;
    while (n < kTextSize && text[n]) n++;
    return n;
}

void GuiTerminatedText(const uint16_t text[kTextSize], uint16_t out[kTextSize + 1]) {
    std::memcpy(out, text, kTextSize * sizeof(uint16_t));
    out[kTextSize] = 0;
}

namespace {

bool TextEquals(const uint16_t a[kTextSize], const uint16_t b[kTextSize]) {
    for (int i = 0; i < kTextSize; i++) {
        if (a[i] != b[i]) return false;
        if (!a[i]) return true;
    }
    return true;
}

void Normalise(float v[3]) {
    float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0) {
        v[0] /= len;
        v[1] /= len;
        v[2] /= len;
    }
}

void Cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float Dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

}  // namespace

// ---- base

GuiObject::GuiObject() {
    std::memset(name, 0, sizeof(name));
    std::memset(text, 0, sizeof(text));
    static const float kDefaults[kChannelCount] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1};
    std::memcpy(channels, kDefaults, sizeof(channels));
    for (int i = 0; i < 4; i++) finalColour[i] = 1.0f;
}

GuiObject::~GuiObject() {
    firstChild = nullptr;
    nextSibling = nullptr;
    father = nullptr;
}

void GuiObject::setState(uint8_t newState) {
    state = newState;
}

void GuiObject::setText(const uint16_t *newText, int32_t newValue) {
    GuiCopyText(text, newText);
    value = newValue;
}

void GuiObject::update() {}

void GuiObject::onMouseMove(int x, int y) {
    forwardMouseMove(x, y);
}
void GuiObject::onMouseUp(int x, int y, uint32_t button) {
    forwardMouseUp(x, y, button);
}
void GuiObject::onMouseDown(int x, int y, uint32_t button) {
    forwardMouseDown(x, y, button);
}
void GuiObject::onKeyUp(uint32_t key) {
    forwardKeyUp(key);
}
void GuiObject::onKeyDown(uint32_t key) {
    forwardKeyDown(key);
}
bool GuiObject::hitTest(int, int) {
    return false;
}
void GuiObject::draw() {}
float *GuiObject::worldMatrix() {
    return nullptr;
}
uint32_t GuiObject::maxChars() {
    return 0;
}

bool GuiObject::isActive() const {
    for (const GuiObject *o = this; o; o = o->father) {
        if (!(o->flags & GUI_ACTIVE)) return false;
    }
    return true;
}

bool GuiObject::isVisible() const {
    for (const GuiObject *o = this; o; o = o->father) {
        if (!(o->flags & GUI_VISIBLE)) return false;
    }
    return true;
}

void GuiObject::forwardMouseMove(int x, int y) {
    if (nextSibling) nextSibling->onMouseMove(x, y);
    if (firstChild && isVisible() && isActive()) firstChild->onMouseMove(x, y);
}

void GuiObject::forwardMouseUp(int x, int y, uint32_t button) {
    if (nextSibling) nextSibling->onMouseUp(x, y, button);
    if (firstChild && isVisible() && isActive()) firstChild->onMouseUp(x, y, button);
}

void GuiObject::forwardMouseDown(int x, int y, uint32_t button) {
    if (nextSibling) nextSibling->onMouseDown(x, y, button);
    if (firstChild && isVisible() && isActive()) firstChild->onMouseDown(x, y, button);
}

void GuiObject::forwardKeyUp(uint32_t key) {
    if (nextSibling) nextSibling->onKeyUp(key);
    if (firstChild && isVisible() && isActive()) firstChild->onKeyUp(key);
}

void GuiObject::forwardKeyDown(uint32_t key) {
    if (nextSibling) nextSibling->onKeyDown(key);
    if (firstChild && isVisible() && isActive()) firstChild->onKeyDown(key);
}

void GuiObject::composeTransform(float world[16]) {
    float local[16];
    Matrix::Identity(local);
    Matrix::Scale(local, channels[SCALE_X], channels[SCALE_Y], channels[SCALE_Z]);
    Matrix::Rotate(local, channels[ROTATION_X], channels[ROTATION_Y], channels[ROTATION_Z]);
    Matrix::Translate(local, channels[TRANSLATION_X], channels[TRANSLATION_Y],
                      channels[TRANSLATION_Z]);
    for (int i = 0; i < 4; i++) finalColour[i] = channels[COLOR_R + i];
    const float *fatherWorld = father ? father->worldMatrix() : nullptr;
    if (fatherWorld) {
        Matrix::Multiply(local, fatherWorld, world);
        for (int i = 0; i < 4; i++) finalColour[i] *= father->finalColour[i];
    } else {
        std::memcpy(world, local, sizeof(local));
    }
}

void GuiObject::updateChildren() {
    if (nextSibling) nextSibling->update();
    if (firstChild) firstChild->update();
}

void GuiObject::raise(uint32_t eventKind, uint32_t param) {
    if (manager) manager->raiseEvent(id, eventKind, param);
}

// ---- camera

GuiCamera::GuiCamera() {
    kind = KIND_CAMERA;
    Matrix::Identity(world);
}

void GuiCamera::update() {
    composeTransform(world);
    updateChildren();
}

void GuiCamera::projectionMatrix(float m[16]) const {
    std::memset(m, 0, 16 * sizeof(float));
    float depth = farPlane - nearPlane;
    if (depth == 0) depth = 1;  // a degenerate range keeps the matrix finite
    if (projectionMode == 0) {
        const float half = fov * 0.01745328f * 0.5f;
        const float t = std::tan(half);
        const float cot = t != 0 ? 1.0f / t : 1.0f;
        // The aspect is an integer ratio (800 x 600 gives 1); one that comes
        // out as 0 would divide by zero, so it counts as 1.
        int aspect = orthoHeight != 0 ? orthoWidth / orthoHeight : 1;
        if (aspect == 0) aspect = 1;
        m[0] = cot / (float)aspect;
        m[5] = cot;
        m[10] = farPlane / depth;
        m[11] = 1;
        m[14] = -nearPlane * farPlane / depth;
    } else {
        m[0] = 2.0f / (float)(orthoWidth != 0 ? orthoWidth : 1);
        m[5] = 2.0f / (float)(orthoHeight != 0 ? orthoHeight : 1);
        m[10] = 1.0f / depth;
        m[14] = -nearPlane / depth;
        m[15] = 1;
    }
}

void GuiLookAt(const float eye[3], const float forward[3], const float up[3], float m[16]) {
    // Right-handed picture: world +x to the right and +y up when looking
    // along -z, as the menus are modelled.
    float z[3] = {forward[0], forward[1], forward[2]};
    Normalise(z);
    float x[3], y[3];
    Cross(z, up, x);
    Normalise(x);
    Cross(x, z, y);
    Matrix::Identity(m);
    for (int i = 0; i < 3; i++) {
        m[i * 4 + 0] = x[i];
        m[i * 4 + 1] = y[i];
        m[i * 4 + 2] = z[i];
    }
    m[12] = -Dot(x, eye);
    m[13] = -Dot(y, eye);
    m[14] = -Dot(z, eye);
}

void GuiCamera::viewMatrix(float m[16]) {
    float r[16];
    Matrix::Identity(r);
    Matrix::Rotate(r, channels[ROTATION_X], channels[ROTATION_Y], channels[ROTATION_Z]);
    forward[0] = -r[2];
    forward[1] = -r[6];
    forward[2] = -r[10];
    Normalise(forward);
    const float up[3] = {r[1], r[5], r[9]};
    GuiLookAt(channels, forward, up, m);
}

void GuiCamera::draw() {
    GuiRenderer *r = manager ? manager->engine() : nullptr;
    float projection[16], view[16];
    projectionMatrix(projection);
    viewMatrix(view);
    if (!r) return;
    r->SetProjectionMatrix(projection);
    r->SetViewMatrix(view);
}

// ---- light

GuiLight::GuiLight() {
    kind = KIND_LIGHT;
    Matrix::Identity(world);
}

void GuiLight::update() {
    composeTransform(world);
    for (int i = 0; i < 3; i++) colour[i] = finalColour[i];
    updateChildren();
}

void GuiLight::draw() {
    GuiRenderer *r = manager ? manager->engine() : nullptr;
    if (!r) return;
    const float c[3] = {channels[COLOR_R], channels[COLOR_G], channels[COLOR_B]};
    r->SetLighting(true);
    r->SetPointLight((int)slot, channels, c, linearAttenuation, range);
}

// ---- null

GuiNull::GuiNull() {
    kind = KIND_WIDGET;
    Matrix::Identity(world);
}

void GuiNull::update() {
    composeTransform(world);
    updateChildren();
}

// ---- drawable widgets

GuiWidget::GuiWidget(int states, bool onFront) : stateCount(states), captionOnFront(onFront) {
    kind = KIND_WIDGET;
    Matrix::Identity(world);
}

void GuiWidget::update() {
    composeTransform(world);
    updateChildren();
}

void GuiWidget::setStateTexture(int32_t textureId, uint32_t forState) {
    if (forState < (uint32_t)stateCount) stateTextures[forState] = textureId;
}

bool GuiWidget::loadMesh(const char *file) {
    mesh = GuiMesh::load(file);
    return mesh != nullptr;
}

bool GuiWidget::hitTest(int x, int y) {
    if (!mesh || !manager) return false;
    float origin[3], dir[3];
    if (!manager->pickRay(x, y, origin, dir)) return false;
    float inverse[16];
    if (!Matrix::Inverse(world, inverse)) return false;  // a flattened widget cannot be hit
    float localOrigin[3], localDir[3];
    Matrix::TransformPoint(inverse, origin, localOrigin);
    for (int i = 0; i < 3; i++)
        localDir[i] = dir[0] * inverse[i] + dir[1] * inverse[4 + i] + dir[2] * inverse[8 + i];
    return mesh->Intersects(localOrigin, localDir);
}

void GuiWidget::draw() {
    GuiRenderer *r = manager ? manager->engine() : nullptr;
    if (!r) return;
    int32_t t = stateTextures[textureState()];
    if (t != -1) texture = t;
    if (mesh) r->DrawMesh(*mesh, world, finalColour, texture);
    drawCaption();
}

void GuiWidget::drawCaption() {
    GuiFont *f = manager ? manager->font(font) : nullptr;
    if (!f || value == -1) return;
    const float z = captionOnFront ? (mesh ? mesh->frontDepth : 0.5f) : 0.0f;
    f->drawCaptionOnWidget(value, finalColour[3], world, z);
    manager->restoreLighting();
}

// ---- button

bool GuiWidget::trackHover(bool hit) {
    if (hit && state == STATE_NORMAL) {
        state = STATE_OVER;
        raise(EVENT_STATE_OVER);
        return true;
    }
    if (!hit && state == STATE_OVER) {
        state = STATE_NORMAL;
        raise(EVENT_STATE_NORMAL);
        return true;
    }
    return false;
}

void GuiWidget::followPointer(int x, int y) {
    if (isActive()) {
        const bool hit = hitTest(x, y);
        if (!trackHover(hit) && !hit && state != STATE_NORMAL) {
            state = STATE_NORMAL;  // a press dragged outside
            raise(EVENT_STATE_NORMAL);
        }
    }
    forwardMouseMove(x, y);
}

void GuiWidget::armOnPress(int x, int y, uint32_t button) {
    if (button == 0 && isActive() && hitTest(x, y)) state = STATE_PRESS;
    forwardMouseDown(x, y, button);
}

void GuiButton::onMouseMove(int x, int y) {
    followPointer(x, y);
}

void GuiButton::onMouseDown(int x, int y, uint32_t button) {
    armOnPress(x, y, button);
}

void GuiButton::onMouseUp(int x, int y, uint32_t button) {
    if (button == 0 && isActive() && state == STATE_PRESS) {
        raise(EVENT_STATE_PRESS);
        if (hitTest(x, y)) {
            state = STATE_OVER;
            raise(EVENT_STATE_OVER);
        } else {
            state = STATE_NORMAL;
            raise(EVENT_STATE_NORMAL);
        }
    }
    forwardMouseUp(x, y, button);
}

// ---- switch

void GuiSwitch::onMouseMove(int x, int y) {
    if (isActive()) {
        const bool hit = hitTest(x, y);
        if (!trackHover(hit) && !hit && state == STATE_PRESS) {
            state = STATE_PRESSED;  // a press dragged outside latches
            raise(EVENT_STATE_PRESSED);
        }
    }
    forwardMouseMove(x, y);
}

void GuiSwitch::onMouseDown(int x, int y, uint32_t button) {
    armOnPress(x, y, button);
}

void GuiSwitch::onMouseUp(int x, int y, uint32_t button) {
    if (button == 0 && isActive() && state == STATE_PRESS) {
        raise(EVENT_STATE_PRESS);
        raise(EVENT_STATE_PRESSED);
        state = STATE_PRESSED;
    }
    forwardMouseUp(x, y, button);
}

// ---- option

void GuiOption::onMouseMove(int x, int y) {
    followPointer(x, y);
}

void GuiOption::onMouseDown(int x, int y, uint32_t button) {
    armOnPress(x, y, button);
}

void GuiOption::onMouseUp(int x, int y, uint32_t button) {
    if (button == 0 && isActive() && state == STATE_PRESS) {
        raise(EVENT_STATE_PRESS);
        for (size_t i = 0; i < entries.size(); i++) {
            if (entries[i].value != value) continue;
            const size_t next = i + 1 < entries.size() ? i + 1 : 0;
            GuiCopyText(text, entries[next].label);
            value = entries[next].value;
            raise(EVENT_CHANGOPT, (uint32_t)next);
            break;
        }
        if (hitTest(x, y)) {
            state = STATE_OVER;
            raise(EVENT_STATE_OVER);
        } else {
            state = STATE_NORMAL;
            raise(EVENT_STATE_NORMAL);
        }
    }
    forwardMouseUp(x, y, button);
}

void GuiOption::addEntry(const uint16_t *label, int32_t entryValue) {
    GuiOptionEntry entry;
    GuiCopyText(entry.label, label);
    entry.value = entryValue;
    if (value == -1) {
        GuiCopyText(text, label);
        value = entryValue;
    }
    entries.push_back(entry);
}

void GuiOption::selectEntry(uint32_t n) {
    if (n >= entries.size()) return;
    GuiCopyText(text, entries[n].label);
    value = entries[n].value;
}

int32_t GuiOption::selectedIndex() const {
    for (size_t i = 0; i < entries.size(); i++) {
        if (TextEquals(entries[i].label, text)) return (int32_t)i;
    }
    return -1;
}

// ---- text field

GuiText::GuiText() : GuiWidget(4, true) {
    kind = KIND_TEXT;
    value = -2;
}

void GuiText::onMouseMove(int x, int y) {
    if (isActive()) trackHover(hitTest(x, y));
    forwardMouseMove(x, y);
}

void GuiText::onMouseDown(int x, int y, uint32_t button) {
    if (button == 0 && isActive() && manager) {
        const bool hit = hitTest(x, y);
        if (hit && state == STATE_OVER) {
            state = STATE_PRESS;
        } else if (!hit && state != STATE_NORMAL) {
            // A click elsewhere ends the edit without keeping it.
            const bool editing = state == STATE_FOCUS || manager->focused == this;
            GuiObject *owner = manager->focused;
            if (owner) {
                manager->raiseEvent(owner->id, EVENT_STATE_NORMAL, 0);
                owner->flags &= (uint8_t)~GUI_FOCUS;
                manager->focused = nullptr;
            }
            state = STATE_NORMAL;
            flags &= (uint8_t)~GUI_FOCUS;
            // The backup holds the text of the field being edited; a field
            // that was only pressed keeps its own text.
            if (editing) {
                GuiCopyText(text, manager->editBackup);
                if (manager->editBackup[0]) rerender();
            }
        }
    }
    forwardMouseDown(x, y, button);
}

void GuiText::onMouseUp(int x, int y, uint32_t button) {
    if (button == 0 && isActive() && state == STATE_PRESS) {
        raise(EVENT_STATE_PRESS);
        takeFocus();
    }
    forwardMouseUp(x, y, button);
}

void GuiText::setState(uint8_t newState) {
    if (newState == STATE_FOCUS)
        takeFocus();
    else
        state = newState;
}

void GuiText::takeFocus() {
    if (!manager) {
        state = STATE_FOCUS;
        flags |= GUI_FOCUS;
        return;
    }
    GuiObject *owner = manager->focused;
    if (owner && owner != this) {
        manager->raiseEvent(owner->id, EVENT_STATE_NORMAL, 0);
        // Only one field takes the keys: the one losing the focus keeps its
        // text as it stands and goes back to normal.
        owner->flags &= (uint8_t)~GUI_FOCUS;
        owner->state = STATE_NORMAL;
    }
    raise(EVENT_STATE_FOCUS);
    manager->focused = this;
    flags |= GUI_FOCUS;
    state = STATE_FOCUS;
    GuiCopyText(manager->editBackup, text);
}

void GuiText::rerender() {
    if (!manager) return;
    uint16_t terminated[kTextSize + 1];
    GuiTerminatedText(text, terminated);
    manager->renderText(terminated, value, font, charLimit);
}

void GuiText::onKeyDown(uint32_t key) {
    if (flags & GUI_FOCUS) {
        int length = GuiTextLength(text);
        if (key == 8) {
            if (length > 0) text[length - 1] = 0;
        } else if (key == 13) {
            state = STATE_NORMAL;
            if (manager && manager->focused == this) manager->focused = nullptr;
            flags &= (uint8_t)~GUI_FOCUS;
            raise(EVENT_STATE_NORMAL);
            if (manager) GuiCopyText(manager->editBackup, text);
        } else if (key == 27) {
            if (manager) GuiCopyText(text, manager->editBackup);
            state = STATE_NORMAL;
            flags &= (uint8_t)~GUI_FOCUS;
            if (manager && manager->focused == this) manager->focused = nullptr;
            raise(EVENT_STATE_NORMAL);
        } else if (key != 0 && key <= 0xFFFF && charLimit > 0 && (uint32_t)length + 1 < charLimit &&
                   length < kTextSize) {
            // Key 0 (a key that types nothing) would cut the text short.
            text[length] = (uint16_t)key;
        }
        rerender();
    }
    forwardKeyDown(key);
}

void GuiText::draw() {
    GuiRenderer *r = manager ? manager->engine() : nullptr;
    if (!r) return;
    int32_t t = stateTextures[textureState()];
    if (t != -1) texture = t;
    if (mesh) r->DrawMesh(*mesh, world, finalColour, texture);
    if (text[0]) drawCaption();
}

}  // namespace gui
