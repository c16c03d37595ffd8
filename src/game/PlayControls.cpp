#include "game/PlayControls.h"

#include "game/PlayLayout.h"

namespace game {

int PlayControls::HandSlotAt(int x, int width) {
    int left = layout::HandLeft(width);
    int pitch = layout::HandPitch(width);
    if (pitch <= 0) return 0;
    int slot = (x - left) / pitch;
    return slot < 0 ? 0 : slot;
}

int PlayControls::LeftRelease(const PlayPointer &p, int width, int height) {
    if (p.overBoard) {
        if (!rules_.selected) return 0;
        rules_.DropSelected(p.boardX, p.boardZ);
        return 1;
    }
    int buttons = layout::ButtonsLeft(width);
    if (!rules_.firstMove && p.x < buttons) {
        rules_.SelectSlot(HandSlotAt(p.x, width));
        return 1;
    }
    if (!rules_.MayPassOrDraw()) return 0;
    const int passTop = layout::PassTop(height), drawTop = layout::DrawTop(height);
    if (p.y > passTop && p.y < passTop + layout::kButtonHeight) {
        rules_.Pass();
        return 1;
    }
    if (p.y > drawTop && p.y < drawTop + layout::kButtonHeight) {
        rules_.TakeFromBoneyard();
        return 1;
    }
    return 0;
}

int PlayControls::HandleEvent(const platform::InputEvent &e, const PlayPointer &p, int width,
                              int height) {
    if (!rules_.HumanToMove()) return 0;
    if (e.type == platform::EventButtonUp) {
        if (p.ctrlHeld) return 0;
        if (e.button == platform::ButtonLeft) return LeftRelease(p, width, height);
        if (e.button == platform::ButtonRight) {
            rules_.RotatePlacement();
            return 1;
        }
        return 0;
    }
    if (e.type == platform::EventKeyUp) {
        switch (e.key) {
            case platform::KeySpace:
                rules_.Pass();
                return 1;
            case platform::KeyReturn:
                rules_.TakeFromBoneyard();
                return 1;
            case platform::KeyEscape:
                rules_.Escape();
                return 1;
            default:
                return 0;
        }
    }
    return 0;
}

void PlayControls::HandleEvents(platform::Input &input, PlayPointer pointer, int width,
                                int height) {
    pointer.ctrlHeld = input.KeyDown(platform::KeyLCtrl) ? 1 : 0;
    platform::InputEvent e;
    while (input.PollEvent(&e)) HandleEvent(e, pointer, width, height);
}

}  // namespace game
