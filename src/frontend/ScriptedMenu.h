#pragma once
// The menu scene of the program: the GUI manager running the menu script,
// seen through the few operations the front-end uses. Settings are
// options in the script (their entries in text-file order, so entry n is
// state n); plain switches read 1 when latched.

#include <memory>

#include "frontend/MenuGui.h"
#include "gui/GuiManager.h"

namespace frontend {

class ScriptedMenu : public MenuGui {
public:
    ScriptedMenu();
    ~ScriptedMenu() override;

    // Runs the menu script with the menu texts of the language, drawing
    // through `renderer`. False (nothing usable) when the script built no
    // main menu.
    bool Load(gui::GuiRenderer *renderer, const char *scriptPath, const char *textPath);
    gui::GuiManager &Manager() { return *manager_; }

    bool PopStoredAction(char *name, size_t size) override;
    bool Exists(const char *object) override;
    void SetVisible(const char *object, bool visible) override;
    bool GetState(const char *object, int *state) override;
    void SetState(const char *object, int state) override;
    bool GetText(const char *object, uint16_t *text, size_t units) override;
    void SetText(const char *object, const uint16_t *text) override;
    bool HasFocus(const char *object) override;
    void KeyDown(int key, uint16_t unicode) override;
    void KeyUp(int key, uint16_t unicode) override;
    void MouseMove(int x, int y) override;
    void ButtonDown(int x, int y, int button) override;
    void ButtonUp(int x, int y, int button) override;
    void Update(float dt) override;
    void Render() override;

private:
    std::unique_ptr<gui::GuiManager> manager_;
};

}  // namespace frontend
