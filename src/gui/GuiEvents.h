#pragma once
// Events, bindings and stored records. Widgets and animations only raise
// events; once per frame the manager matches them against the bindings the
// menu script declared and runs the bound actions, which may raise further
// events. ACTION_STORE is the one way back to the application: it queues a
// record the front-end drains with popStoredEvent.

#include <cstdint>

namespace gui {

enum GuiEventKind : uint32_t {
    EVENT_BEGIN = 0,
    EVENT_ANIM_BEGIN = 1,
    EVENT_ANIM_END = 2,
    EVENT_STATE_NORMAL = 3,
    EVENT_STATE_OVER = 4,
    EVENT_STATE_PRESS = 5,
    EVENT_STATE_PRESSED = 6,
    EVENT_STATE_FOCUS = 7,
    EVENT_RESTART = 8,
    EVENT_CHANGOPT = 9,
};

enum GuiActionKind : uint32_t {
    ACTION_ANIM = 0,
    ACTION_VISIBLE = 1,
    ACTION_INVISIBLE = 2,
    ACTION_ACTIVE = 3,
    ACTION_INACTIVE = 4,
    ACTION_MOVEABLE = 5,
    ACTION_UNMOVEABLE = 6,
    ACTION_FOCUS = 7,
    ACTION_UNFOCUS = 8,
    ACTION_CHGSTATE = 9,
    ACTION_STORE = 10,
};

// A queued event and the key a binding answers to.
struct GuiEvent {
    uint32_t id = 0;  // object id, animation id, or 0
    uint32_t kind = 0;
    uint32_t param = 0;  // 0 except for EVENT_CHANGOPT (the new entry position)
};

struct GuiBinding {
    uint32_t target = 0;  // object or animation id
    uint32_t action = 0;  // GuiActionKind
    uint32_t param = 0;   // ACTION_ANIM: playback channel; ACTION_CHGSTATE: state
    GuiEvent key;
};

// What ACTION_STORE hands to the front-end.
struct GuiStoredEvent {
    int32_t kind = -1;  // kind of the event that triggered the store; -1 for the empty record
    uint32_t param = 0;
    char name[64] = {};  // the target's name; not terminated at 64 characters
};

// Events one update handles at most. A binding that re-raises its own event
// (directly or through a cycle) would otherwise never let the pass end; the
// events past the bound wait for the next update, in order.
constexpr int kMaxEventsPerUpdate = 4096;

}  // namespace gui
