#include "frontend/FrontEnd.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "persist/PlayerNames.h"
#include "persist/TextTable.h"
#include "persist/UserFolder.h"
#include "persist/Utf16File.h"
#include "platform/Ini.h"
#include "platform/SafeFile.h"

namespace frontend {

const char *const kMenuGroups[6] = {"MENUMAIN",       "MENUPLAY", "MENUOPTION",
                                    "MENUGAMEOPTION", "MENULOAD", "MENUSAVE"};
const char *const FrontEnd::kFontFile = "data/gfx/font/vagron.ttf";

namespace {

const char *const kNameEntries[2] = {"TEXTEPLAYER1NAME", "TEXTEPLAYER2NAME"};

// How long a notice stays, in frame-step units (20 ms each): four seconds.
const float kNoticeTime = 200.0f;

struct SwitchSetting {
    const char *object;
    int32_t persist::Settings::*value;
};

// The on/off switches of the options menu and the settings they hold.
const SwitchSetting kSwitches[] = {
    {"BUTTONOPTION_SOUND", &persist::Settings::sound},
    {"BUTTONOPTION_MUSIC", &persist::Settings::music},
    {"BUTTONOPTION_SHADOW", &persist::Settings::shadow},
    {"BUTTONOPTION_REFLECT", &persist::Settings::reflect},
    {"BUTTONOPTION_LAYHELP", &persist::Settings::layHelp},
    {"BUTTONOPTION_LEVEL", &persist::Settings::level},
};

int GuiButton(int button) {
    if (button == platform::ButtonLeft) return 0;
    if (button == platform::ButtonMiddle) return 1;
    return 3;
}

}  // namespace

FrontEnd::FrontEnd(FrontEndHost *host) : host_(host) {}

FrontEnd::~FrontEnd() {
    ReleaseGraphics();
}

void FrontEnd::SetGui(MenuGui *gui) {
    gui_ = gui;
    if (!gui_) return;
    PutNamesInEntries();
    ApplySwitches();
}

void FrontEnd::PutNamesInEntries() {
    if (!gui_) return;
    for (int i = 0; i < 2; ++i)
        if (gui_->Exists(kNameEntries[i]))
            gui_->SetText(kNameEntries[i], host_->GameRules().players[i].name);
}

void FrontEnd::ApplySwitches() {
    const persist::Settings &s = host_->MenuSettings();
    for (const SwitchSetting &sw : kSwitches)
        if (gui_->Exists(sw.object)) gui_->SetState(sw.object, s.*sw.value);
    // Another width leaves the switch as the script made it.
    const int res = ResolutionState(s.width);
    if (res >= 0 && gui_->Exists("BUTTONOPTION_RES")) gui_->SetState("BUTTONOPTION_RES", res);
}

int FrontEnd::Update() {
    step_ = host_->TickMenuFrame();
    leftMenu_ = false;
    HandleEvents();
    char name[64];
    while (gui_ && gui_->PopStoredAction(name, sizeof name)) HandleAction(name);
    if (noticeTime_ > 0.0f) noticeTime_ -= step_;
    if (leftMenu_) return 0;
    if (gui_) gui_->Update(step_ * 0.02f);
    return 1;
}

void FrontEnd::HandleEvents() {
    platform::Input *in = host_->MenuInput();
    if (!in) return;
    in->Pump();
    platform::InputEvent e;
    while (in->PollEvent(&e)) {
        if (host_->HandleWindowEvent(e)) continue;
        switch (e.type) {
            case platform::EventKeyDown:
                if (gui_) gui_->KeyDown(e.key, e.unicode);
                break;
            case platform::EventKeyUp:
                if (e.key == platform::KeyF10) host_->RequestMenuScreenshot();
                if (gui_) gui_->KeyUp(e.key, e.unicode);
                break;
            case platform::EventMouseMotion:
                if (gui_) gui_->MouseMove(e.x, e.y);
                break;
            case platform::EventButtonDown:
                if (gui_) gui_->ButtonDown(e.x, e.y, GuiButton(e.button));
                break;
            case platform::EventButtonUp: {
                if (gui_) gui_->ButtonUp(e.x, e.y, GuiButton(e.button));
                if (slotMode_ == SlotListClosed) break;
                const int index = PickSlot(e.y);
                if (index < 0) break;
                const int mode = slotMode_;
                if (SlotAction(index)) {
                    CloseSlotList();
                    if (mode == SlotListSave) ShowOnly("MENUGAMEOPTION");
                }
                break;
            }
            default:
                break;
        }
    }
}

void FrontEnd::HandleAction(const char *name) {
    host_->PlayClick();
    auto is = [name](const char *id) { return strcmp(name, id) == 0; };
    persist::Settings &s = host_->MenuSettings();
    if (is("BUTTON_QUIT")) host_->Quit();
    if (is("BUTTON_PLAY")) RefreshPointer();
    if (is("BUTTON_LOAD")) {
        RefreshPointer();
        OpenSlotList(SlotListLoad);
    }
    if (is("BUTTON_HELP")) {
        RefreshPointer();
        ShowHelp();
    }
    if (is("BUTTON_OPTION")) {
        RefreshPointer();
        pendingWidth = s.width;
        pendingHeight = s.height;
    }
    if (is("BUTTONOPTION_BACK")) ApplyResolution();
    if (is("BUTTON_ONE_PLAYER") || is("BUTTON_TWO_PLAYERS")) {
        host_->StartNewGame(is("BUTTON_ONE_PLAYER") ? game::KindAgainstComputer
                                                    : game::KindTwoHumans);
        leftMenu_ = true;
    }
    if (is("BUTTONCONFIG_BACK")) {
        RefreshPointer();
        CopyNamesFromEntries();
        host_->RenderNameTextures();
        host_->SaveMenuSettings();
    }
    if (is("BUTTONGAME_PLAY")) {
        RefreshPointer();
        host_->ResumeGame(host_->GameKind());
        leftMenu_ = true;
    }
    if (is("BUTTONGAME_SAVE")) {
        RefreshPointer();
        OpenSlotList(SlotListSave);
    }
    if (is("BUTTON_ABOUT")) ShowCredits();
    if (is("BUTTON_ABOUT_BACK")) HideCredits();
    if (is("BUTTONLOAD_BACK") || is("BUTTONSAVE_BACK")) {
        RefreshPointer();
        CloseSlotList();
    }
    if (is("BUTTON_HELP_BACK")) {
        RefreshPointer();
        HideHelp();
    }
    for (const SwitchSetting &sw : kSwitches) {
        if (!is(sw.object) || !gui_) continue;
        int state = 0;
        if (!gui_->GetState(sw.object, &state)) continue;
        s.*sw.value = state;
        if (sw.value == &persist::Settings::sound || sw.value == &persist::Settings::music)
            host_->ApplyVolumes();
        host_->SaveMenuSettings();
    }
    if (is("BUTTONOPTION_RES") && gui_) {
        int state = -1;
        int w, h;
        if (gui_->GetState("BUTTONOPTION_RES", &state) && ResolutionOfState(state, &w, &h)) {
            pendingWidth = w;
            pendingHeight = h;
        }
    }
}

// A new size is applied when the options are left. If the display cannot be
// made at that size, the previous one comes back, so the player is never
// left without a screen; only a size that worked is saved.
void FrontEnd::ApplyResolution() {
    persist::Settings &s = host_->MenuSettings();
    if (pendingWidth == s.width && pendingHeight == s.height) return;
    const int oldWidth = s.width, oldHeight = s.height;
    s.width = pendingWidth;
    s.height = pendingHeight;
    if (host_->RecreateDisplay()) {
        host_->SaveMenuSettings();
        return;
    }
    char text[160];
    snprintf(text, sizeof text, "The screen cannot be set to %d x %d; it stays at %d x %d.",
             int(pendingWidth), int(pendingHeight), oldWidth, oldHeight);
    s.width = pendingWidth = oldWidth;
    s.height = pendingHeight = oldHeight;
    if (!host_->RecreateDisplay()) {
        host_->LogLine("The screen cannot be set back to its previous size either.");
        host_->Quit();
        return;
    }
    Notify(text);
}

void FrontEnd::CopyNamesFromEntries() {
    if (!gui_) return;
    for (int i = 0; i < 2; ++i) {
        uint16_t text[kMenuTextUnits + 1] = {};
        if (gui_->GetText(kNameEntries[i], text, kMenuTextUnits + 1))
            persist::SetPlayerName(host_->GameRules().players[i].name, text);
    }
    // The entries show the names as kept: cut to 10 units.
    PutNamesInEntries();
}

void FrontEnd::ShowOnly(const char *group) {
    if (!gui_) return;
    for (const char *g : kMenuGroups) gui_->SetVisible(g, strcmp(g, group) == 0);
    RefreshPointer();
}

void FrontEnd::RefreshPointer() {
    platform::Input *in = host_->MenuInput();
    if (!gui_ || !in) return;
    int x = 0, y = 0;
    in->MouseState(&x, &y);
    gui_->MouseMove(x, y);
}

bool FrontEnd::OpenFont(std::unique_ptr<gui::GuiFont> *font, int size) {
    font->reset(new gui::GuiFont);
    (*font)->attach(host_->MenuRenderer());
    if ((*font)->open(kFontFile, size)) return true;
    fprintf(stderr, "Impossible de lire %s\n", kFontFile);
    return false;
}

// ---- saved games

void FrontEnd::OpenSlotList(int mode) {
    CloseSlotList();
    for (int i = 0; i < kSlotCount; ++i) {
        slots_[i] = game::SlotHeader();
        slots_[i].kind = -1;
        // The header is all the list needs; a longer file is read in part.
        // Only a regular file is opened, so a FIFO or a device planted in
        // the save folder cannot stall the menu.
        FILE *f = platform::OpenRegularStream(persist::SlotFilePath(i + 1).c_str(), nullptr);
        if (!f) continue;
        uint8_t header[game::kSlotHeaderSize];
        const size_t n = fread(header, 1, sizeof header, f);
        fclose(f);
        // A file too short to hold a header holds no game either: it shows
        // as empty (loading it says why it cannot be loaded).
        if (n < sizeof header) continue;
        slots_[i] = game::SlotHeader();
        game::ParseSlotHeader(header, n, &slots_[i]);
    }
    slotMode_ = mode;
    const int width = host_->ScreenWidth();
    if (!host_->MenuRenderer() || !OpenFont(&slotFont_, width * 24 / 800)) return;
    for (int i = 0; i < kSlotCount; ++i) {
        const persist::WideString label =
            SlotLabel(slots_[i], persist::TextLine(32), persist::TextLine(1));
        slotLabels_[i] = slotFont_->renderCaption(label.CStr(), -1);
    }
    slotFont_->uploadPages(-1);
}

void FrontEnd::CloseSlotList() {
    slotFont_.reset();
    for (int32_t &h : slotLabels_) h = -1;
    slotMode_ = SlotListClosed;
}

int FrontEnd::SlotAction(int index) {
    if (index < 0 || index >= kSlotCount) return 0;
    if (slotMode_ == SlotListSave) return SaveSlot(index);
    if (slotMode_ == SlotListLoad) return LoadSlot(index);
    return 0;
}

int FrontEnd::SaveSlot(int index) {
    game::Rules &rules = host_->GameRules();
    if (rules.tiles.size() != size_t(game::Rules::kTileCount) ||
        (rules.current != 0 && rules.current != 1)) {
        Notify("There is no game in progress to save.");
        return 0;
    }
    game::SlotHeader when;
    const time_t now = time(nullptr);
    struct tm local;
    if (!localtime_r(&now, &local)) memset(&local, 0, sizeof local);
    when.kind = host_->GameKind();
    when.day = local.tm_mday;
    when.month = local.tm_mon + 1;
    when.year = local.tm_year + 1900;
    when.hours = local.tm_hour;
    when.minutes = local.tm_min;
    game::SavedExtras extras;
    extras.kind = host_->GameKind();
    extras.level = host_->ComputerLevel();
    const game::Camera &camera = host_->GameCamera();
    extras.azimuth = camera.azimuth;
    extras.elevation = camera.elevation;
    extras.distance = camera.distance;
    for (int i = 0; i < 3; ++i) extras.target[i] = camera.target[i];
    extras.preset = camera.preset;
    std::string bytes;
    game::WriteSlot(rules, extras, when, &bytes);

    // A save that could not be loaded again would only look like one.
    game::SlotReader check;
    if (!check.Read(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size())) {
        Notify(std::string("This game cannot be saved: ") + check.Error() + ".");
        return 0;
    }
    const std::string path = persist::SlotFilePath(index + 1);
    if (!platform::WriteFileAtomically(path.c_str(), bytes)) {
        Notify("The game could not be written to " + path + "; the slot is unchanged.");
        return 0;
    }
    return 1;
}

int FrontEnd::LoadSlot(int index) {
    const std::string path = persist::SlotFilePath(index + 1);
    std::string bytes;
    const platform::FileStatus status = platform::ReadRegularFile(
        path.c_str(), size_t(game::kSlotHeaderSize) + size_t(game::kSlotMaxBody), &bytes);
    if (status == platform::FileMissing) {
        Notify("Slot " + std::to_string(index + 1) + " is empty.");
        return 0;
    }
    if (status != platform::FileOk) {
        Notify("Saved game " + std::to_string(index + 1) + " cannot be loaded: " +
               (status == platform::FileTooLarge ? std::string("file too long")
                                                 : platform::FileStatusText(status)) +
               ".");
        return 0;
    }
    game::SlotReader reader;
    if (!reader.Read(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size())) {
        Notify("Saved game " + std::to_string(index + 1) + " cannot be loaded: " + reader.Error() +
               ".");
        return 0;
    }
    if (!reader.Apply(&host_->GameRules())) return 0;
    reader.ApplyCamera(&host_->GameCamera());
    host_->SetComputerLevel(reader.Extras().level);
    host_->RenderNameTextures();
    PutNamesInEntries();
    host_->ResumeGame(reader.Header().kind);
    leftMenu_ = true;
    return 1;
}

// ---- help and credits

void FrontEnd::ShowHelp() {
    HideHelp();
    if (!host_->MenuRenderer() || !OpenFont(&helpFont_, host_->ScreenWidth() * 20 / 800)) return;
    for (int k = 0; k < kHelpLines; ++k)
        helpLines_[k] = helpFont_->renderCaption(persist::TextLine(kHelpFirstLine + k).CStr(), -1);
    helpFont_->uploadPages(-1);
    helpShown_ = true;
}

void FrontEnd::HideHelp() {
    helpShown_ = false;
    helpFont_.reset();
    for (int32_t &h : helpLines_) h = -1;
}

void FrontEnd::ShowCredits() {
    HideCredits();
    const int width = host_->ScreenWidth();
    const bool fonts = host_->MenuRenderer() && OpenFont(&creditsFont_, width * 20 / 800) &&
                       OpenFont(&titleFont_, width * 32 / 800);
    char path[300];
    snprintf(path, sizeof path, "data/credit_%s.txt", persist::Language());
    persist::Utf16File file;
    if (file.Open(path, persist::Utf16File::Read)) {
        persist::WideString line;
        while (file.ReadLine(&line)) {
            CreditLine c = ParseCreditLine(line);
            if (fonts && c.kind != CreditBlank)
                c.handle = (c.kind == CreditTitle ? titleFont_ : creditsFont_)
                               ->renderCaption(c.text.CStr(), -1);
            credits_.push_back(c);
        }
        file.Close();
    }
    if (fonts) {
        creditsFont_->uploadPages(-1);
        titleFont_->uploadPages(-1);
    }
    creditsScroll_ = CreditsStart(host_->ScreenHeight());
    creditsShown_ = true;
}

void FrontEnd::HideCredits() {
    credits_.clear();
    creditsFont_.reset();
    titleFont_.reset();
    creditsShown_ = false;
}

void FrontEnd::Notify(const std::string &text) {
    notice_ = text;
    noticeTime_ = kNoticeTime;
    host_->LogLine(text.c_str());
    if (noticeFont_) noticeFont_->releasePage(-1);
    noticeFont_.reset();
    noticeHandle_ = -1;
}

void FrontEnd::ReleaseGraphics() {
    CloseSlotList();
    HideHelp();
    HideCredits();
    noticeFont_.reset();
    noticeHandle_ = -1;
}

// ---- drawing

void FrontEnd::Render() {
    if (!host_->BeginMenuFrame()) return;
    // A focused name entry shows a caret after its text while it is drawn.
    uint16_t kept[2][kMenuTextUnits + 1] = {};
    bool caret[2] = {false, false};
    if (gui_) {
        for (int i = 0; i < 2; ++i) {
            if (!gui_->HasFocus(kNameEntries[i])) continue;
            if (!gui_->GetText(kNameEntries[i], kept[i], kMenuTextUnits + 1)) continue;
            uint16_t shown[kMenuTextUnits + 2] = {};
            size_t n = persist::WideLength(kept[i]);
            if (n > size_t(kMenuTextUnits) - 1) n = size_t(kMenuTextUnits) - 1;
            memcpy(shown, kept[i], n * sizeof(uint16_t));
            shown[n] = '_';
            shown[n + 1] = 0;
            gui_->SetText(kNameEntries[i], shown);
            caret[i] = true;
        }
        gui_->Render();
        for (int i = 0; i < 2; ++i)
            if (caret[i]) gui_->SetText(kNameEntries[i], kept[i]);
    }
    int mouseY = 0;
    if (host_->MenuInput()) {
        int mouseX = 0;
        host_->MenuInput()->MouseState(&mouseX, &mouseY);
    }
    if (slotMode_ != SlotListClosed) DrawSlotList(mouseY);
    if (helpShown_) DrawHelp();
    if (creditsShown_) DrawCredits();
    DrawNotice();
    host_->FinishMenuFrame();
}

void FrontEnd::DrawSlotList(int mouseY) {
    gui::GuiRenderer *r = host_->MenuRenderer();
    if (!r || !slotFont_) return;
    const int width = host_->ScreenWidth();
    const int row = HighlightRow(mouseY);
    const int highlight = host_->SlotHighlightTexture();
    for (int i = 0; i < kSlotCount; ++i) {
        if (i == row && highlight >= 0) {
            r->SetState(lib3d::Stage0::TextureTimesColour);
            r->BindTexture(highlight);
            r->SetState(lib3d::Blending::Alpha);
            r->DrawQuad2D(width * 0.5f - 256.0f, float(kSlotTop - 12 + kSlotRow * i), 512, 48, 0, 0,
                          1, 1, 1, 1, 1);
            r->SetState(lib3d::Blending::Off);
        }
        slotFont_->drawCaption2D(slotLabels_[i], 0, kSlotTop + kSlotRow * i, width, 0, 1, 0);
    }
}

void FrontEnd::DrawHelp() {
    if (!helpFont_) return;
    const int h = helpFont_->face.Height();
    for (int k = 0; k < kHelpLines; ++k)
        helpFont_->drawCaption2D(helpLines_[k], kHelpX, HelpLineY(k, host_->ScreenHeight(), h), 0,
                                 0, 0, 0);
}

void FrontEnd::DrawCredits() {
    const int hn = creditsFont_ ? creditsFont_->face.Height() : 0;
    const int ht = titleFont_ ? titleFont_->face.Height() : 0;
    CreditsFrame(credits_, host_->ScreenHeight(), hn, ht, step_, &creditsScroll_, &creditDraws_);
    if (!creditsFont_ || !titleFont_) return;
    for (const CreditDraw &d : creditDraws_) {
        const CreditLine &line = credits_[size_t(d.index)];
        gui::GuiFont *font = line.kind == CreditTitle ? titleFont_.get() : creditsFont_.get();
        font->drawCaption2D(line.handle, 0, d.y, host_->ScreenWidth(), 0, 1, 0);
    }
}

void FrontEnd::DrawNotice() {
    if (noticeTime_ <= 0.0f || notice_.empty() || !host_->MenuRenderer()) return;
    if (!noticeFont_) {
        if (!OpenFont(&noticeFont_, host_->ScreenWidth() * 20 / 800)) return;
        noticeFont_->screenColour[1] = noticeFont_->screenColour[2] = 0.6f;
        noticeHandle_ = noticeFont_->renderCaption(notice_.c_str(), -1);
        noticeFont_->uploadPages(-1);
    }
    // Just below the slot rows, clear of the menus' back buttons.
    noticeFont_->drawCaption2D(noticeHandle_, 0, kSlotTop + kSlotCount * kSlotRow + 12,
                               host_->ScreenWidth(), 0, 1, 0);
}

}  // namespace frontend
