#pragma once
// Mode 0 of the main loop: the menus. The menu script owns the look, the
// animations and the moves between menus; this side feeds it the input,
// takes the actions its buttons store and carries out what each button
// means: options, player names, the saved-game slot lists, help, credits,
// going into play, quitting. Its own state (the slot list, help, credits,
// the screen size chosen but not yet applied) lives here; the rest of the
// program is reached through FrontEndHost.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frontend/FrontEndHost.h"
#include "frontend/Layout.h"
#include "frontend/MenuGui.h"
#include "gui/GuiFont.h"

namespace frontend {

// The menu groups the program shows and hides.
extern const char *const kMenuGroups[6];

class FrontEnd {
public:
    static const char *const kFontFile;

    explicit FrontEnd(FrontEndHost *host);
    ~FrontEnd();
    FrontEnd(const FrontEnd &) = delete;
    FrontEnd &operator=(const FrontEnd &) = delete;

    // The menu scene, after each load of the menu script (null: none). The
    // entries get the players' names and the switches the settings; a
    // widget the script does not define is skipped.
    void SetGui(MenuGui *gui);
    MenuGui *Gui() const { return gui_; }

    // One frame: input to the GUI, the stored actions, the GUI advanced.
    // Nonzero when the menu is to be drawn; zero when an action went into play.
    int Update();
    void Render();

    // Carries out one stored action (the click sound first).
    void HandleAction(const char *name);
    // Shows one menu group and hides the five others.
    void ShowOnly(const char *group);
    // The mouse position passed to the GUI as a motion, so hover states
    // follow menus that appeared or vanished.
    void RefreshPointer();

    // Saved games.
    void OpenSlotList(int mode);
    void CloseSlotList();
    // Loads or saves slot index 0..4 (file 1..5); nonzero on success. A
    // file that cannot be written or read changes nothing and says why.
    int SlotAction(int index);
    int SlotMode() const { return slotMode_; }
    const game::SlotHeader &SlotSummary(int index) const { return slots_[index]; }

    // Help and credits.
    void ShowHelp();
    void HideHelp();
    bool HelpShown() const { return helpShown_; }
    void ShowCredits();
    void HideCredits();
    bool CreditsShown() const { return creditsShown_; }
    const std::vector<CreditLine> &Credits() const { return credits_; }
    float CreditsScroll() const { return creditsScroll_; }

    // A message drawn under the menu for a few seconds (also logged).
    void Notify(const std::string &text);
    const std::string &Notice() const { return notice_; }

    // Drops every texture and font (before the display goes away).
    void ReleaseGraphics();

    int32_t pendingWidth = 800;
    int32_t pendingHeight = 600;

private:
    void HandleEvents();
    void ApplyResolution();
    void ApplySwitches();
    void CopyNamesFromEntries();
    void PutNamesInEntries();
    bool OpenFont(std::unique_ptr<gui::GuiFont> *font, int size);
    void DrawSlotList(int mouseY);
    void DrawHelp();
    void DrawCredits();
    void DrawNotice();
    int SaveSlot(int index);
    int LoadSlot(int index);

    FrontEndHost *host_;
    MenuGui *gui_ = nullptr;
    float step_ = 1.0f;
    bool leftMenu_ = false;

    int slotMode_ = SlotListClosed;
    game::SlotHeader slots_[kSlotCount];
    std::unique_ptr<gui::GuiFont> slotFont_;
    int32_t slotLabels_[kSlotCount] = {-1, -1, -1, -1, -1};

    bool helpShown_ = false;
    std::unique_ptr<gui::GuiFont> helpFont_;
    int32_t helpLines_[kHelpLines] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};

    bool creditsShown_ = false;
    std::unique_ptr<gui::GuiFont> creditsFont_, titleFont_;
    std::vector<CreditLine> credits_;
    float creditsScroll_ = 0.0f;
    std::vector<CreditDraw> creditDraws_;

    std::string notice_;
    float noticeTime_ = 0.0f;
    std::unique_ptr<gui::GuiFont> noticeFont_;
    int32_t noticeHandle_ = -1;
};

}  // namespace frontend
