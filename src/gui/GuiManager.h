#pragma once
// The scripted GUI: one manager owns every object, animation, binding and
// font of the menus. Once per frame the front-end calls `update` (events,
// then animations, then transforms) and `render`; between frames it feeds
// input through the mouse and key entry points (or `feed` with the
// program's input records) and drains the records the script asked to store.
// The manager draws only through its renderer, never the display directly,
// and knows nothing of the game or the front-end.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "gui/GuiAnimation.h"
#include "gui/GuiEvents.h"
#include "gui/GuiObject.h"
#include "gui/GuiRenderer.h"

namespace platform {
struct InputEvent;
}

namespace gui {

class GuiFont;

// The part of the manager every object kind relies on: the object list and
// its order, the event, binding and animation containers, and the id counter.
class GuiCore {
public:
    GuiCore() = default;
    virtual ~GuiCore();
    GuiCore(const GuiCore &) = delete;
    GuiCore &operator=(const GuiCore &) = delete;

    // Deletes every object and animation, empties the bindings and both
    // queues, stops the playbacks and restarts the ids.
    virtual void clear();
    virtual void render() = 0;
    // Takes ownership of `obj` and gives it the next id. With a father name
    // that names an object, appends it to that father's children and reports
    // false; otherwise it is top-level and the report is true. Null: false.
    virtual bool addObject(GuiObject *obj, const char *fatherName);
    virtual void renderText(const uint16_t *text, int32_t &handle, uint32_t fontIndex,
                            uint32_t maxChars) = 0;
    virtual GuiRenderer *engine() = 0;
    virtual GuiFont *font(uint32_t index) = 0;

    // Objects sorted by kind, then by text length (shorter first).
    std::vector<std::unique_ptr<GuiObject>> objects;
    std::vector<std::unique_ptr<GuiAnimation>> animations;  // creation order
    std::vector<GuiBinding> bindings;                       // sorted by event id
    std::deque<GuiEvent> pendingEvents;
    std::deque<GuiStoredEvent> storedEvents;
    std::vector<GuiPlayback> playbacks;
    uint32_t lastId = 0;  // the last id handed out

    void sortObjects();
    // The next id (objects and animations share the counter).
    uint32_t nextId() { return ++lastId; }
};

class GuiManager : public GuiCore {
public:
    GuiManager();
    ~GuiManager() override;

    // The manager of the program, set by the constructor, cleared by the destructor.
    static GuiManager *instance();

    // ---- core slots
    void clear() override;
    // Draws the scene: camera, up to 8 lights, widgets then text fields back to front.
    void render() override;
    bool addObject(GuiObject *obj, const char *fatherName) override;
    // Renders a caption in a font: handle -1 makes a new caption, -2 reserves
    // a text field's slot first, any other handle is re-rendered in place
    // (at most maxChars characters). Nothing when the font index is past the end.
    void renderText(const uint16_t *text, int32_t &handle, uint32_t fontIndex,
                    uint32_t maxChars) override;
    GuiRenderer *engine() override { return engine_; }
    GuiFont *font(uint32_t index) override;

    // Stores the renderer and raises (0, EVENT_BEGIN, 0).
    void setEngine(GuiRenderer *renderer);
    // Runs the menu script and applies the localized text file (defined with
    // the script binding).
    void load(const char *scriptPath, const char *textPath);

    GuiObject *findObject(const char *name) const;
    GuiObject *findObjectById(uint32_t id) const;
    // Appends the child to the father's children if both exist (a child
    // already in a tree, or a link that would make a loop, is refused).
    void link(uint32_t childId, uint32_t fatherId);

    // Once per frame: events, then playbacks, then every top-level object's update.
    void update(float dt);

    // ---- input, in window pixels; button 0 is the left button
    void mouseMove(int x, int y);
    void mouseUp(int x, int y, uint32_t button);
    void mouseDown(int x, int y, uint32_t button);
    void keyUp(uint32_t key);
    void keyDown(uint32_t key);
    // One input record: buttons left/middle/other become 0/1/3, keys their
    // UTF-16 character (or the key number below 128 when none was typed).
    void feed(const platform::InputEvent &event);

    // ---- events and actions
    void raiseEvent(uint32_t id, uint32_t kind, uint32_t param);
    void addBinding(const GuiEvent &key, uint32_t action, uint32_t target, uint32_t param);
    // Runs the bindings of the pending events, those raised meanwhile
    // included, up to kMaxEventsPerUpdate events.
    void processEvents();
    // The oldest stored record, or the empty one (kind -1, empty name).
    GuiStoredEvent popStoredEvent();

    // ---- animation
    // Copies the animation in with a fresh id; returns the id.
    uint32_t addAnimation(const GuiAnimation &animation);
    GuiAnimation *findAnimation(const char *name) const;
    GuiAnimation *findAnimationById(uint32_t id) const;
    void startAnimation(uint32_t animationId, uint32_t channel);
    void advancePlaybacks(float dt);

    // ---- fonts
    // Opens a font and appends it, even when the file cannot be opened (so
    // later indices stay put). numbers: screen colour r, g, b; scene colour
    // r, g, b; shadow colour r, g, b; shadow offset x, y; scene alpha.
    // style: 0 normal, 1 bold, 2 italic, 4 underline. Returns its index.
    int loadFont(const char *file, int pointSize, const float numbers[12], int style);
    std::vector<std::unique_ptr<GuiFont>> fonts;

    // ---- text editing
    GuiObject *focused = nullptr;         // the text field that owns the keyboard
    uint16_t editBackup[kTextSize] = {};  // the text a field had when it got the focus
    bool fontsPrepared = false;

    // The camera used for picking (object id 1), null when it is not a camera.
    GuiCamera *pickingCamera() const;
    // The world-space picking ray through a window pixel; false without a
    // picking camera.
    bool pickRay(int x, int y, float origin[3], float dir[3]) const;

    // Where render put the eye and which way it looked.
    float eye[3] = {0, 0, 200};
    float eyeForward[3] = {0, 0, -1};
    // Lights set by the last render.
    int lightsSet = 0;
    // Lighting back as the render's light walk left it (captions switch it off).
    void restoreLighting();

private:
    void runAction(const GuiBinding &binding, const GuiEvent &event);
    // Draws the run of objects of `kind` from `start` back to front; returns
    // where the run ended.
    size_t drawRun(size_t start, uint32_t kind);
    GuiRenderer *engine_ = nullptr;
    struct DepthEntry {
        float depth;
        size_t index;
    };
    std::vector<DepthEntry> drawOrder_;  // reused from frame to frame
};

}  // namespace gui
