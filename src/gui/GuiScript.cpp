// The menu script's host API. The script runs once, top to bottom, when the
// GUI is loaded: its 26 host functions create objects, give them meshes,
// textures and fonts, link them into a tree, define animations and bind
// events to actions. When it returns, the Lua state is closed and what it
// built lives on in the manager; the localized menu text file then gives the
// widgets their captions.
//
// Every host function reads its arguments from the front of its argument
// list, removing each one as it is read; a missing number reads 0 and a
// missing string reads empty. Set-up functions act on the object created
// last, or on the current object of a kind; names that match nothing set,
// bind or assign nothing.

#include <lauxlib.h>
#include <lua.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gui/GuiFont.h"
#include "gui/GuiManager.h"
#include "gui/GuiMenuText.h"
#include "gui/GuiMesh.h"
#include "image/Image.h"
#include "image/Png.h"

namespace gui {

namespace {

// A script is data, not a program to trust: it gets bounded memory and a
// bounded number of instructions, so a runaway loop or allocation ends the
// script with a message instead of hanging or exhausting the machine.
constexpr size_t kScriptMemory = 64u << 20;
constexpr int kScriptHookEvery = 100000;  // instructions between checks
constexpr long kScriptMaxChecks = 2000;   // 200 million instructions
constexpr uint32_t kMaxTracks = 1024;     // per animation
constexpr uint32_t kMaxKeys = 4096;       // per channel
constexpr int kFileNameSize = 256;        // texture file names, as cached

struct CachedTexture {
    char file[kFileNameSize];
    int id;
};

// Everything the host functions share while one script runs.
struct ScriptState {
    GuiManager *manager = nullptr;
    GuiRenderer *engine = nullptr;

    GuiObject *lastCreated = nullptr;
    // The current object of each kind; a create function sets its own and
    // clears the others, so at most one is set.
    GuiButton *button = nullptr;
    GuiSwitch *switcher = nullptr;
    GuiText *field = nullptr;
    GuiOption *option = nullptr;
    GuiGraphic *graphic = nullptr;
    GuiCamera *camera = nullptr;
    GuiLight *light = nullptr;
    GuiNull *null = nullptr;

    // The animation under construction.
    bool animOpen = false;
    GuiAnimation anim;
    bool trackOpen = false;
    uint32_t trackIndex = 0;
    GuiTrack track;
    uint32_t counters[kChannelCount] = {};

    // The event key bindings answer to, and the last target named by catchEvent.
    GuiEvent key;
    uint32_t lastTarget = 0;

    std::vector<CachedTexture> textures;
    size_t memory = 0;
    long hookChecks = 0;

    void clearCurrent() {
        button = nullptr;
        switcher = nullptr;
        field = nullptr;
        option = nullptr;
        graphic = nullptr;
        camera = nullptr;
        light = nullptr;
        null = nullptr;
    }
};

ScriptState *State(lua_State *L) {
    return static_cast<ScriptState *>(lua_touserdata(L, lua_upvalueindex(1)));
}

// ---------------------------------------------------------------- arguments

bool HasArgument(lua_State *L) {
    return lua_gettop(L) > 0;
}

double PopNumber(lua_State *L) {
    if (!HasArgument(L)) return 0;
    int ok = 0;
    double v = lua_tonumberx(L, 1, &ok);
    lua_remove(L, 1);
    return ok && std::isfinite(v) ? v : 0;
}

// Truncated toward zero and kept within 32 bits.
int32_t PopInt(lua_State *L) {
    double v = std::trunc(PopNumber(L));
    if (v > 2147483647.0) return 2147483647;
    if (v < -2147483648.0) return -2147483647 - 1;
    return int32_t(v);
}

uint32_t PopCount(lua_State *L, uint32_t limit) {
    int32_t v = PopInt(L);
    if (v < 0) return 0;
    return uint32_t(v) > limit ? limit : uint32_t(v);
}

// Copies the front argument (a string, or a number in its string form) into
// `out` with a terminator, truncated to the buffer; anything else reads empty.
void PopString(lua_State *L, char *out, size_t size) {
    out[0] = 0;
    if (!HasArgument(L)) return;
    if (lua_type(L, 1) == LUA_TSTRING || lua_type(L, 1) == LUA_TNUMBER) {
        size_t len = 0;
        const char *s = lua_tolstring(L, 1, &len);
        if (s) {
            if (len >= size) len = size - 1;
            memcpy(out, s, len);
            out[len] = 0;
        }
    }
    lua_remove(L, 1);
}

// ---------------------------------------------------------------- names

struct Named {
    const char *name;
    int value;
};

int Lookup(const Named *table, size_t count, const char *name) {
    for (size_t i = 0; i < count; i++)
        if (strcmp(table[i].name, name) == 0) return table[i].value;
    return -1;
}
template <size_t N>
int Lookup(const Named (&table)[N], const char *name) {
    return Lookup(table, N, name);
}

const Named kChannels[] = {
    {"TRANSLATION_X", 0}, {"TRANSLATION_Y", 1}, {"TRANSLATION_Z", 2}, {"ROTATION_X", 3},
    {"ROTATION_Y", 4},    {"ROTATION_Z", 5},    {"SCALE_X", 6},       {"SCALE_Y", 7},
    {"SCALE_Z", 8},       {"COLOR_R", 9},       {"COLOR_G", 10},      {"COLOR_B", 11},
    {"COLOR_A", 12},
};
const Named kInterpolations[] = {{"CONSTANT", 0}, {"LINEAR", 1}, {"SMOOTH", 2}};
const Named kButtonStates[] = {
    {"ID_BUTTON_NORMAL", 0}, {"ID_BUTTON_OVER", 1}, {"ID_BUTTON_PRESS", 2}};
const Named kTextStates[] = {
    {"ID_TEXT_NORMAL", 0}, {"ID_TEXT_OVER", 1}, {"ID_TEXT_PRESS", 2}, {"ID_TEXT_FOCUS", 3}};
const Named kSwitchStates[] = {{"ID_SWITCH_NORMAL", 0},
                               {"ID_SWITCH_OVER", 1},
                               {"ID_SWITCH_PRESS", 2},
                               {"ID_SWITCH_PRESSED", 3}};
const Named kOptionStates[] = {
    {"ID_OPTION_NORMAL", 0}, {"ID_OPTION_OVER", 1}, {"ID_OPTION_PRESS", 2}};
// The events that name an object, and their kinds.
const Named kStateEvents[] = {{"EVENT_STATE_NORMAL", EVENT_STATE_NORMAL},
                              {"EVENT_STATE_OVER", EVENT_STATE_OVER},
                              {"EVENT_STATE_PRESS", EVENT_STATE_PRESS},
                              {"EVENT_STATE_PRESSED", EVENT_STATE_PRESSED},
                              {"EVENT_STATE_FOCUS", EVENT_STATE_FOCUS}};
const Named kActions[] = {
    {"ACTION_ANIM", ACTION_ANIM},
    {"ACTION_VISIBLE", ACTION_VISIBLE},
    {"ACTION_INVISIBLE", ACTION_INVISIBLE},
    {"ACTION_ACTIVE", ACTION_ACTIVE},
    {"ACTION_INACTIVE", ACTION_INACTIVE},
    {"ACTION_MOVEABLE", ACTION_MOVEABLE},
    {"ACTION_UNMOVEABLE", ACTION_UNMOVEABLE},
    {"ACTION_FOCUS", ACTION_FOCUS},
    {"ACTION_UNFOCUS", ACTION_UNFOCUS},
    {"ACTION_CHGSTATE", ACTION_CHGSTATE},
    {"ACTION_STORE", ACTION_STORE},
};
const Named kStateNames[] = {
    {"NORMAL", 0}, {"OVER", 1}, {"PRESS", 2}, {"PRESSED", 3}, {"FOCUS", 3}};
const Named kFontStyles[] = {{"NORMAL", 0}, {"ITALIC", 2}, {"BOLD", 1}, {"UNDERLINE", 4}};

// ---------------------------------------------------------------- creation

// Adds a new object as top level and makes it the one set-up calls act on.
template <typename T>
T *Create(ScriptState *s, T *obj, const char *name, T *ScriptState::*current) {
    obj->setName(name);
    s->manager->addObject(obj, "");
    s->lastCreated = obj;
    s->clearCurrent();
    s->*current = obj;
    return obj;
}

template <typename T, T *ScriptState::*current>
int CreateSimple(lua_State *L) {
    ScriptState *s = State(L);
    char name[kNameSize + 1];
    PopString(L, name, sizeof name);
    Create(s, new T, name, current);
    return 0;
}

int CreateCamera(lua_State *L) {
    ScriptState *s = State(L);
    char name[kNameSize + 1];
    PopString(L, name, sizeof name);
    float nearPlane = float(PopNumber(L)), farPlane = float(PopNumber(L));
    int32_t mode = PopInt(L);
    GuiCamera *camera = new GuiCamera;
    camera->nearPlane = nearPlane;
    camera->farPlane = farPlane;
    camera->projectionMode = uint32_t(mode);
    if (mode == 0) {
        camera->fov = float(PopNumber(L));
    } else {
        camera->orthoWidth = PopInt(L);
        camera->orthoHeight = PopInt(L);
    }
    Create(s, camera, name, &ScriptState::camera);
    return 0;
}

int CreateLight(lua_State *L) {
    ScriptState *s = State(L);
    char name[kNameSize + 1];
    PopString(L, name, sizeof name);
    GuiLight *light = new GuiLight;
    light->slot = uint32_t(PopInt(L));
    light->linearAttenuation = float(PopNumber(L));
    light->range = float(PopNumber(L));
    Create(s, light, name, &ScriptState::light);
    return 0;
}

// ---------------------------------------------------------------- set-up

int SetFather(lua_State *L) {
    ScriptState *s = State(L);
    char name[kNameSize + 1];
    PopString(L, name, sizeof name);
    GuiObject *father = s->manager->findObject(name);
    if (s->lastCreated && father) s->manager->link(s->lastCreated->id, father->id);
    return 0;
}

int SetTransformation(lua_State *L) {
    ScriptState *s = State(L);
    char channel[32];
    PopString(L, channel, sizeof channel);
    float value = float(PopNumber(L));
    int c = Lookup(kChannels, channel);
    if (s->lastCreated && c >= 0) s->lastCreated->channels[c] = value;
    return 0;
}

// setPosition, setRotation, setScale, setColor: `count` channels from `first`.
template <int first, int count>
int SetChannels(lua_State *L) {
    ScriptState *s = State(L);
    float v[count];
    for (int i = 0; i < count; i++) v[i] = float(PopNumber(L));
    if (s->lastCreated)
        for (int i = 0; i < count; i++) s->lastCreated->channels[first + i] = v[i];
    return 0;
}

int SetFont(lua_State *L) {
    ScriptState *s = State(L);
    int32_t index = PopInt(L);
    if (s->lastCreated) s->lastCreated->font = uint32_t(index);
    return 0;
}

int SetNbChar(lua_State *L) {
    ScriptState *s = State(L);
    int32_t count = PopInt(L);
    // A field's text holds kTextSize units; a limit beyond that, or below
    // one character, could not be honoured.
    if (count < 1) count = 1;
    if (count > kTextSize) count = kTextSize;
    if (s->field) s->field->setMaxChars(uint32_t(count));
    return 0;
}

GuiWidget *MeshTarget(ScriptState *s) {
    if (s->button) return s->button;
    if (s->field) return s->field;
    if (s->switcher) return s->switcher;
    if (s->graphic) return s->graphic;
    return s->option;
}

int LoadMesh(lua_State *L) {
    ScriptState *s = State(L);
    char file[kFileNameSize];
    PopString(L, file, sizeof file);
    if (GuiWidget *w = MeshTarget(s)) w->loadMesh(file);
    return 0;
}

// Reads a picture with alpha keying (near-black becomes transparent) into a
// new texture. Engine textures are square, as wide as the picture: a picture
// less tall than wide is padded with transparent rows, a taller one cropped.
int LoadTexture(GuiRenderer *engine, const char *file) {
    Image image;
    if (!ReadPng(file, &image, 1)) return -1;
    const int side = image.width;
    if (side <= 0) return -1;
    if (image.height != side) {
        std::vector<uint8_t> square(size_t(side) * side * 4, 0);
        int rows = image.height < side ? image.height : side;
        memcpy(square.data(), image.pixels.data(), size_t(rows) * side * 4);
        image.pixels.swap(square);
        image.height = side;
    }
    return engine->CreateTexture(side, image.pixels.data(), side, true);
}

int SetTexture(lua_State *L) {
    ScriptState *s = State(L);
    char file[kFileNameSize], stateName[32] = "";
    PopString(L, file, sizeof file);
    if (!s->graphic) PopString(L, stateName, sizeof stateName);
    bool clamp = HasArgument(L) && PopNumber(L) == 1;
    if (!s->engine) return 0;
    // Flag A (clamped addressing) is set on every call, cached image or not.
    s->engine->SetState(7, clamp ? 8 : 9);

    int id = -1;
    for (const CachedTexture &t : s->textures)
        if (strcmp(t.file, file) == 0) id = t.id;
    if (id < 0) {
        id = LoadTexture(s->engine, file);
        if (id < 0) return 0;
        CachedTexture entry;
        snprintf(entry.file, sizeof entry.file, "%s", file);
        entry.id = id;
        s->textures.push_back(entry);
    }

    GuiWidget *w = nullptr;
    int state = -1;
    if (s->button) {
        w = s->button;
        state = Lookup(kButtonStates, stateName);
    } else if (s->field) {
        w = s->field;
        state = Lookup(kTextStates, stateName);
    } else if (s->switcher) {
        w = s->switcher;
        state = Lookup(kSwitchStates, stateName);
    } else if (s->option) {
        w = s->option;
        state = Lookup(kOptionStates, stateName);
    } else if (s->graphic) {
        w = s->graphic;
        state = 0;
    }
    if (w && state >= 0) w->setStateTexture(id, uint32_t(state));
    return 0;
}

int LoadFont(lua_State *L) {
    ScriptState *s = State(L);
    char file[kFileNameSize], style[32];
    PopString(L, file, sizeof file);
    int32_t size = PopInt(L);
    float numbers[12];
    for (float &n : numbers) n = float(PopNumber(L));
    PopString(L, style, sizeof style);
    int styleBits = 0;
    for (const Named &n : kFontStyles)
        if (strcmp(n.name, style) == 0) styleBits = n.value;
    s->manager->loadFont(file, size, numbers, styleBits);
    return 0;
}

// ---------------------------------------------------------------- animation

void FinishTrack(ScriptState *s) {
    if (s->trackOpen && s->trackIndex < s->anim.trackCount) s->anim.tracks.push_back(s->track);
}

int SetAnimation(lua_State *L) {
    ScriptState *s = State(L);
    char name[kNameSize + 1];
    PopString(L, name, sizeof name);
    uint32_t tracks = PopCount(L, kMaxTracks);
    float duration = float(PopNumber(L));
    int32_t loop = PopInt(L);
    s->anim = GuiAnimation();
    GuiCopyName(s->anim.name, name);
    s->anim.trackCount = tracks;
    s->anim.duration = duration;
    s->anim.loopMode = uint32_t(loop);
    s->animOpen = true;
    s->trackOpen = false;
    s->trackIndex = 0;
    return 0;
}

int Animate(lua_State *L) {
    ScriptState *s = State(L);
    char name[kNameSize + 1];
    PopString(L, name, sizeof name);
    if (!s->animOpen) return 0;
    if (s->trackOpen) {
        FinishTrack(s);
        s->trackIndex++;
    }
    GuiObject *obj = s->manager->findObject(name);
    s->track = GuiTrack();
    s->track.objectId = obj ? obj->id : 0;  // no object has id 0: the track drives nothing
    s->trackOpen = true;
    return 0;
}

int SetCurve(lua_State *L) {
    ScriptState *s = State(L);
    char channel[32];
    PopString(L, channel, sizeof channel);
    uint32_t count = PopCount(L, kMaxKeys);
    int c = Lookup(kChannels, channel);
    if (s->trackOpen && c >= 0) s->track.keys[c].assign(count, GuiKey());
    // Every counter restarts, not only this channel's.
    for (uint32_t &k : s->counters) k = 0;
    return 0;
}

int AddKeyFrame(lua_State *L) {
    ScriptState *s = State(L);
    char channel[32], interpolation[32];
    float time = float(PopNumber(L));
    PopString(L, channel, sizeof channel);
    float value = float(PopNumber(L));
    PopString(L, interpolation, sizeof interpolation);
    int c = Lookup(kChannels, channel), mode = Lookup(kInterpolations, interpolation);
    if (!s->trackOpen || c < 0 || mode < 0) return 0;
    std::vector<GuiKey> &keys = s->track.keys[c];
    uint32_t &counter = s->counters[c];
    if (counter < keys.size()) {
        keys[counter].time = time;
        keys[counter].interpolation = uint32_t(mode);
        keys[counter].value = value;
        counter++;
    }
    return 0;
}

int EndAnim(lua_State *L) {
    ScriptState *s = State(L);
    if (!s->animOpen) return 0;
    FinishTrack(s);
    s->manager->addAnimation(s->anim);
    s->anim = GuiAnimation();
    s->animOpen = false;
    s->trackOpen = false;
    s->trackIndex = 0;
    return 0;
}

// ---------------------------------------------------------------- events

uint32_t ObjectId(ScriptState *s, const char *name) {
    GuiObject *obj = s->manager->findObject(name);
    return obj ? obj->id : 0;
}

uint32_t AnimationId(ScriptState *s, const char *name) {
    GuiAnimation *anim = s->manager->findAnimation(name);
    return anim ? anim->id : 0;
}

int CatchEvent(lua_State *L) {
    ScriptState *s = State(L);
    char event[32], target[kNameSize + 1];
    PopString(L, event, sizeof event);
    if (strcmp(event, "EVENT_BEGIN") == 0) {
        s->key = GuiEvent{0, EVENT_BEGIN, 0};
    } else if (strcmp(event, "EVENT_RESTART") == 0) {
        s->key = GuiEvent{0, EVENT_RESTART, 0};
    } else if (strcmp(event, "EVENT_ANIM_BEGIN") == 0 || strcmp(event, "EVENT_ANIM_END") == 0) {
        PopString(L, target, sizeof target);
        uint32_t id = AnimationId(s, target);
        s->key = GuiEvent{id, event[11] == 'B' ? EVENT_ANIM_BEGIN : EVENT_ANIM_END, 0};
        s->lastTarget = id;
    } else if (strcmp(event, "EVENT_CHANGOPT") == 0) {
        PopString(L, target, sizeof target);
        int32_t position = PopInt(L);
        uint32_t id = ObjectId(s, target);
        s->key = GuiEvent{id, EVENT_CHANGOPT, uint32_t(position)};
        s->lastTarget = id;
    } else {
        int kind = Lookup(kStateEvents, event);
        if (kind < 0) return 0;  // unknown: the key stays as it was
        PopString(L, target, sizeof target);
        uint32_t id = ObjectId(s, target);
        s->key = GuiEvent{id, uint32_t(kind), 0};
        s->lastTarget = id;
    }
    return 0;
}

int LoadAction(lua_State *L) {
    ScriptState *s = State(L);
    char action[32], target[kNameSize + 1], stateName[32];
    PopString(L, action, sizeof action);
    PopString(L, target, sizeof target);
    int kind = Lookup(kActions, action);
    uint32_t targetId = 0, param = 0;
    switch (kind) {
        case ACTION_ANIM: {
            int32_t channel = PopInt(L);
            targetId = AnimationId(s, target);
            param = channel < 0 ? 0 : uint32_t(channel);
            break;
        }
        case ACTION_STORE:
            // The record names what the event was about, not the argument.
            targetId = s->lastTarget;
            break;
        case ACTION_CHGSTATE: {
            PopString(L, stateName, sizeof stateName);
            int state = Lookup(kStateNames, stateName);
            if (state < 0) return 0;
            targetId = ObjectId(s, target);
            param = uint32_t(state);
            break;
        }
        case -1:
            return 0;
        default:
            targetId = ObjectId(s, target);
            break;
    }
    if (targetId == 0) return 0;
    s->manager->addBinding(s->key, uint32_t(kind), targetId, param);
    return 0;
}

// ---------------------------------------------------------------- the state

void *Allocate(void *ud, void *ptr, size_t oldSize, size_t newSize) {
    ScriptState *s = static_cast<ScriptState *>(ud);
    size_t held = ptr ? oldSize : 0;
    if (newSize == 0) {
        s->memory -= held;
        free(ptr);
        return nullptr;
    }
    if (newSize > held && s->memory - held + newSize > kScriptMemory) return nullptr;
    void *p = realloc(ptr, newSize);
    if (p) s->memory = s->memory - held + newSize;
    return p;
}

void CountHook(lua_State *L, lua_Debug *) {
    void *ud = nullptr;
    lua_getallocf(L, &ud);
    ScriptState *s = static_cast<ScriptState *>(ud);
    if (++s->hookChecks > kScriptMaxChecks) luaL_error(L, "the script runs too long");
}

const luaL_Reg kHostFunctions[] = {
    {"createButton", CreateSimple<GuiButton, &ScriptState::button>},
    {"createSwitch", CreateSimple<GuiSwitch, &ScriptState::switcher>},
    {"createText", CreateSimple<GuiText, &ScriptState::field>},
    {"createNull", CreateSimple<GuiNull, &ScriptState::null>},
    {"createLight", CreateLight},
    {"createCamera", CreateCamera},
    {"createOption", CreateSimple<GuiOption, &ScriptState::option>},
    {"createGraphic", CreateSimple<GuiGraphic, &ScriptState::graphic>},
    {"loadMesh", LoadMesh},
    {"setTexture", SetTexture},
    {"setFather", SetFather},
    {"setAnimation", SetAnimation},
    {"animate", Animate},
    {"addKeyFrame", AddKeyFrame},
    {"endAnim", EndAnim},
    {"catchEvent", CatchEvent},
    {"loadAction", LoadAction},
    {"setTransformation", SetTransformation},
    {"setPosition", SetChannels<TRANSLATION_X, 3>},
    {"setRotation", SetChannels<ROTATION_X, 3>},
    {"setScale", SetChannels<SCALE_X, 3>},
    {"setColor", SetChannels<COLOR_R, 4>},
    {"loadFont", LoadFont},
    {"setFont", SetFont},
    {"setCurve", SetCurve},
    {"setNbChar", SetNbChar},
};

// Runs the script file (source or compiled chunk) with the host functions
// and nothing else. A script error ends the script; what it built stays, and
// Lua's message goes to standard error so a broken menu is easy to trace.
// False when no Lua state could be made.
bool RunScript(ScriptState *s, const char *path) {
    lua_State *L = lua_newstate(Allocate, s);
    if (!L) {
        fprintf(stderr, "Error Initialisation LUA \n");
        return false;
    }
    for (const luaL_Reg &f : kHostFunctions) {
        lua_pushlightuserdata(L, s);
        lua_pushcclosure(L, f.func, 1);
        lua_setglobal(L, f.name);
    }
    lua_sethook(L, CountHook, LUA_MASKCOUNT, kScriptHookEvery);
    int status = luaL_loadfilex(L, path, nullptr);
    if (status == LUA_OK) status = lua_pcall(L, 0, 0, 0);
    if (status != LUA_OK) {
        const char *message = lua_tostring(L, -1);
        fprintf(stderr, "Menu script %s: %s\n", path, message ? message : "error");
    }
    lua_close(L);
    return true;
}

}  // namespace

void GuiManager::load(const char *scriptPath, const char *textPath) {
    {
        ScriptState state;
        state.manager = this;
        state.engine = engine();
        if (!RunScript(&state, scriptPath ? scriptPath : "")) return;
        // The state, its current pointers, the texture cache and any
        // animation left unfinished go with it.
    }
    ApplyMenuText(this, textPath);
    sortObjects();
}

}  // namespace gui
