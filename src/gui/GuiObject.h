#pragma once
// The objects of the scripted menus: a base with the animatable channels,
// the tree links, flags and state, and one class per kind (camera, light,
// grouping node, and the drawable widgets: button, switch, option, text
// field, graphic). Input reaches an object through its handlers, which end by
// forwarding the same call to the next sibling (always) and to the first
// child (only while this object is effectively visible and active), so a
// hidden or inactive subtree receives nothing.

#include <cstdint>
#include <vector>

#include "gui/GuiAnimation.h"

namespace gui {

class GuiManager;
class GuiMesh;

constexpr int kNameSize = 64;  // bytes of a name; a 64-byte name has no terminator
constexpr int kTextSize = 64;  // UTF-16 units of a text; 64 units have no terminator

enum GuiFlag : uint8_t {
    GUI_ACTIVE = 1,
    GUI_VISIBLE = 2,
    GUI_MOVEABLE = 4,
    GUI_FOCUS = 8,
};

enum GuiState : uint8_t {
    STATE_NORMAL = 0,
    STATE_OVER = 1,
    STATE_PRESS = 2,
    STATE_PRESSED = 3,  // switches
    STATE_FOCUS = 3,    // text fields
};

// Draw classes; objects are sorted by them.
enum GuiKind : uint32_t {
    KIND_CAMERA = 0,
    KIND_LIGHT = 1,
    KIND_WIDGET = 2,  // buttons, switches, options, graphics, null nodes
    KIND_TEXT = 3,
    KIND_NONE = 0xFFFFFFFFu,
};

// Which class an object is, for callers that must tell them apart.
enum class GuiType { Base, Camera, Light, Null, Button, Switch, Option, Text, Graphic };

// Bounded helpers for the fixed buffers.
void GuiCopyName(char dst[kNameSize], const char *src);
int GuiNameLength(const char name[kNameSize]);
// Whether a stored name equals a terminated string (byte comparison).
bool GuiNameEquals(const char name[kNameSize], const char *s);
// Copies at most kTextSize units of a terminated UTF-16 string (null reads as
// empty); the rest of dst is zeroed.
void GuiCopyText(uint16_t dst[kTextSize], const uint16_t *src);
int GuiTextLength(const uint16_t text[kTextSize]);
// A terminated copy of a text buffer, into kTextSize + 1 units.
void GuiTerminatedText(const uint16_t text[kTextSize], uint16_t out[kTextSize + 1]);

// A view matrix looking from `eye` along `forward` with `up` as the upward
// direction, showing world +x to the right of +y (as the menus are modelled).
void GuiLookAt(const float eye[3], const float forward[3], const float up[3], float m[16]);

class GuiObject {
public:
    GuiObject();
    virtual ~GuiObject();
    GuiObject(const GuiObject &) = delete;
    GuiObject &operator=(const GuiObject &) = delete;

    virtual void setState(uint8_t newState);
    virtual void setText(const uint16_t *newText, int32_t newValue);
    virtual void update();
    virtual void onMouseMove(int x, int y);
    virtual void onMouseUp(int x, int y, uint32_t button);
    virtual void onMouseDown(int x, int y, uint32_t button);
    virtual void onKeyUp(uint32_t key);
    virtual void onKeyDown(uint32_t key);
    virtual bool hitTest(int x, int y);
    virtual void draw();
    virtual float *worldMatrix();
    virtual uint32_t maxChars();

    virtual GuiType type() const { return GuiType::Base; }

    // The object's flag and all its fathers'; evaluated on every call.
    bool isActive() const;
    bool isVisible() const;
    void setName(const char *newName) { GuiCopyName(name, newName); }

    char name[kNameSize];
    uint16_t text[kTextSize];
    float channels[kChannelCount];
    float finalColour[4];
    uint32_t id = 0;
    uint32_t font = 0;
    uint8_t flags = GUI_ACTIVE | GUI_VISIBLE;
    uint8_t state = STATE_NORMAL;
    int32_t value = -1;
    GuiObject *firstChild = nullptr;
    GuiObject *nextSibling = nullptr;
    GuiObject *father = nullptr;
    uint32_t kind = KIND_NONE;
    // The manager the object was added to; set by addObject.
    GuiManager *manager = nullptr;

protected:
    // The forwarding step every handler ends with.
    void forwardMouseMove(int x, int y);
    void forwardMouseUp(int x, int y, uint32_t button);
    void forwardMouseDown(int x, int y, uint32_t button);
    void forwardKeyUp(uint32_t key);
    void forwardKeyDown(uint32_t key);
    // local = scale, then rotation, then translation; world = local x the
    // father's world when it has one; colour multiplied likewise.
    void composeTransform(float world[16]);
    void updateChildren();
    void raise(uint32_t kind, uint32_t param = 0);
};

class GuiCamera : public GuiObject {
public:
    GuiCamera();
    GuiType type() const override { return GuiType::Camera; }
    void update() override;
    void draw() override;

    // The camera's projection and view as its draw sets them; also used for
    // picking, so they never depend on a draw having happened.
    void projectionMatrix(float out[16]) const;
    void viewMatrix(float out[16]);  // stores `forward`

    uint32_t projectionMode = 0;  // 0 perspective, otherwise orthographic
    float fov = 80.0f;            // degrees
    int32_t orthoWidth = 800, orthoHeight = 600;
    float nearPlane = 0.0f, farPlane = 1000.0f;
    float forward[3] = {0, 0, -1};
    float world[16];  // composed like a null node; the view ignores it
};

class GuiLight : public GuiObject {
public:
    GuiLight();
    GuiType type() const override { return GuiType::Light; }
    void update() override;
    void draw() override;
    float *worldMatrix() override { return world; }

    float colour[3] = {0.8f, 0.8f, 0.8f};
    float linearAttenuation = 0.0f;
    float range = 10000.0f;
    uint32_t slot = 0;  // engine light index, rewritten by every render
    float world[16];
};

class GuiNull : public GuiObject {
public:
    GuiNull();
    GuiType type() const override { return GuiType::Null; }
    void update() override;
    float *worldMatrix() override { return world; }

    float world[16];
};

// The drawable widgets: a mesh, one texture per visual state, the texture
// drawn last, and the caption on the widget.
class GuiWidget : public GuiObject {
public:
    GuiWidget(int stateCount, bool captionOnFront);
    void update() override;
    bool hitTest(int x, int y) override;
    void draw() override;
    float *worldMatrix() override { return world; }
    virtual void setStateTexture(int32_t textureId, uint32_t forState);

    // Takes the mesh of a .3ds file (cached, shared); false when the widget
    // keeps no mesh.
    bool loadMesh(const char *file);

    GuiMesh *mesh = nullptr;  // shared, not owned
    int32_t stateTextures[4] = {-1, -1, -1, -1};
    int stateCount;
    int32_t texture = -1;  // the texture drawn last
    bool captionOnFront;   // caption at the mesh's front depth instead of z = 0
    float world[16];

protected:
    // The state whose texture is drawn.
    virtual int textureState() const { return state < stateCount ? state : 0; }
    void drawCaption();
    // Every clickable kind: the pointer entering a NORMAL widget makes it
    // OVER, leaving an OVER one makes it NORMAL, each with its event. True
    // when it did either.
    bool trackHover(bool hit);
    // Buttons and options: the pointer entering and leaving moves the state
    // between NORMAL and OVER (a press dragged outside drops to NORMAL).
    void followPointer(int x, int y);
    // Buttons, switches and options: a left press over the widget arms it.
    void armOnPress(int x, int y, uint32_t button);
};

class GuiButton : public GuiWidget {
public:
    GuiButton() : GuiWidget(3, false) {}
    GuiType type() const override { return GuiType::Button; }
    void onMouseMove(int x, int y) override;
    void onMouseUp(int x, int y, uint32_t button) override;
    void onMouseDown(int x, int y, uint32_t button) override;
};

class GuiSwitch : public GuiWidget {
public:
    GuiSwitch() : GuiWidget(4, true) {}
    GuiType type() const override { return GuiType::Switch; }
    void onMouseMove(int x, int y) override;
    void onMouseUp(int x, int y, uint32_t button) override;
    void onMouseDown(int x, int y, uint32_t button) override;
};

struct GuiOptionEntry {
    uint16_t label[kTextSize];
    int32_t value;  // the caption handle of the label
};

class GuiOption : public GuiWidget {
public:
    GuiOption() : GuiWidget(3, true) {}
    GuiType type() const override { return GuiType::Option; }
    // A caption given to an option appends an entry.
    void setText(const uint16_t *newText, int32_t newValue) override {
        addEntry(newText, newValue);
    }
    void onMouseMove(int x, int y) override;
    void onMouseUp(int x, int y, uint32_t button) override;
    void onMouseDown(int x, int y, uint32_t button) override;

    // The first entry also becomes the selection while nothing is selected.
    void addEntry(const uint16_t *label, int32_t entryValue);
    // Selects entry n (0-based); nothing when n is past the end.
    void selectEntry(uint32_t n);
    // Position of the first entry whose label equals `text`; -1 when none.
    int32_t selectedIndex() const;
    uint32_t entryCount() const { return (uint32_t)entries.size(); }

    std::vector<GuiOptionEntry> entries;
};

class GuiText : public GuiWidget {
public:
    GuiText();
    GuiType type() const override { return GuiType::Text; }
    void setState(uint8_t newState) override;
    void onMouseMove(int x, int y) override;
    void onMouseUp(int x, int y, uint32_t button) override;
    void onMouseDown(int x, int y, uint32_t button) override;
    void onKeyDown(uint32_t key) override;
    void draw() override;
    uint32_t maxChars() override { return charLimit; }
    void setMaxChars(uint32_t n) { charLimit = n; }

    uint32_t charLimit = 10;  // typing keeps at most charLimit - 1 characters

private:
    // Takes the keyboard, handing it over from the field that had it.
    void takeFocus();
    void rerender();
};

class GuiGraphic : public GuiWidget {
public:
    GuiGraphic() : GuiWidget(1, true) {}
    GuiType type() const override { return GuiType::Graphic; }
    // A graphic has a single texture, whatever state is named.
    void setStateTexture(int32_t textureId, uint32_t) override {
        GuiWidget::setStateTexture(textureId, 0);
    }

protected:
    int textureState() const override { return 0; }
};

}  // namespace gui
