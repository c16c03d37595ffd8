#pragma once
// What the front-end asks of the program around it: the screen, the input,
// the settings and the game in memory, and the moves into play. The
// application object implements it, as it implements the rules' host.

#include <cstdint>

#include "game/Camera.h"
#include "game/Rules.h"
#include "gui/GuiRenderer.h"
#include "persist/Settings.h"
#include "platform/Input.h"

namespace frontend {

class FrontEndHost {
public:
    virtual ~FrontEndHost() {}

    virtual platform::Input *MenuInput() = 0;
    // Ticks the frame timer; returns the smoothed step (one unit is 20 ms).
    virtual float TickMenuFrame() = 0;
    // Closing the window: true when the event was taken.
    virtual bool HandleWindowEvent(const platform::InputEvent &event) = 0;
    virtual void Quit() = 0;
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;

    virtual persist::Settings &MenuSettings() = 0;
    // Writes the settings and the names file; failures are ignored.
    virtual void SaveMenuSettings() = 0;
    // Volumes from the sound and music switches.
    virtual void ApplyVolumes() = 0;
    virtual void PlayClick() = 0;
    // The next finished frame is saved as a screenshot (shared counter).
    virtual void RequestMenuScreenshot() = 0;
    // Writes a line to the program's log and to standard error.
    virtual void LogLine(const char *text) = 0;

    // Re-creates the display at the size in the settings, with everything
    // that depends on it (the menu script included: the front-end is given
    // its new GUI through SetGui). False when it failed; the display then
    // runs at whatever size the host could bring back.
    virtual bool RecreateDisplay() = 0;

    // The game in memory.
    virtual game::Rules &GameRules() = 0;
    virtual game::Camera &GameCamera() = 0;
    virtual int GameKind() const = 0;
    virtual int ComputerLevel() const = 0;
    virtual void SetComputerLevel(int level) = 0;
    // The name images, after the names changed.
    virtual void RenderNameTextures() = 0;

    // Into play: a new game of a kind (4 against the computer, 5 two
    // humans, through the opening screen), or the game in memory as it is
    // (after Escape, or a loaded game of the given kind).
    virtual void StartNewGame(int kind) = 0;
    virtual void ResumeGame(int kind) = 0;

    // Drawing: a frame begins (false when none can be drawn now), the
    // caption renderer for the front-end's own texts, the slot highlight
    // texture (-1 when none), and the frame ends with the pointer.
    virtual bool BeginMenuFrame() = 0;
    virtual gui::GuiRenderer *MenuRenderer() = 0;
    virtual int SlotHighlightTexture() = 0;
    virtual void FinishMenuFrame() = 0;
};

}  // namespace frontend
