#include "frontend/Layout.h"

#include <cstdio>
#include <string>

namespace frontend {

int PickSlot(int y) {
    if (y > kSlotTop && y < kSlotTop + kSlotCount * kSlotRow) return (y - kSlotTop) / kSlotRow;
    return -1;
}

int HighlightRow(int y) {
    if (y > kSlotTop && y < 448) return (y - kSlotTop) / kSlotRow;
    return -1;
}

persist::WideString SlotLabel(const game::SlotHeader &h, const persist::WideString &emptyText,
                              const persist::WideString &playerWord) {
    if (h.kind == -1) return emptyText;
    char numbers[96];
    snprintf(numbers, sizeof numbers, "%d\\%d\\%d - %d : %d - %d ", int(h.day), int(h.month),
             int(h.year), int(h.hours), int(h.minutes), h.kind == 4 ? 1 : 2);
    persist::WideString start = persist::WideString::FromUtf8(numbers);
    std::vector<uint16_t> units(start.CStr(), start.CStr() + start.Length());
    units.insert(units.end(), playerWord.CStr(), playerWord.CStr() + playerWord.Length());
    persist::WideString label;
    label.Assign(units.data(), static_cast<uint32_t>(units.size()));
    return label;
}

int HelpLineY(int k, int screenHeight, int lineHeight) {
    const int y0 = (screenHeight - 18 * lineHeight) / 2;
    return y0 + 2 * k * lineHeight;
}

CreditLine ParseCreditLine(const persist::WideString &line) {
    CreditLine c;
    if (line.Length() == 0) {
        c.kind = CreditBlank;
    } else if (line.CStr()[0] == '*') {
        c.kind = CreditTitle;
        c.text.Assign(line.CStr() + 1, line.Length() - 1);
    } else {
        c.kind = CreditNormal;
        c.text = line;
    }
    return c;
}

float CreditsStart(int screenHeight) {
    return static_cast<float>(screenHeight - 96);
}

void CreditsFrame(const std::vector<CreditLine> &lines, int screenHeight, int normalHeight,
                  int titleHeight, float step, float *scroll, std::vector<CreditDraw> *draws) {
    draws->clear();
    float y = *scroll;
    for (size_t i = 0; i < lines.size(); ++i) {
        const CreditLine &line = lines[i];
        if (y > normalHeight && y < screenHeight - 5 * normalHeight && line.kind != CreditBlank)
            draws->push_back(CreditDraw{static_cast<int>(i), static_cast<int>(y)});
        y += line.kind == CreditTitle ? titleHeight : normalHeight;
    }
    *scroll -= step * 0.5f;
    if (y < 0.0f) *scroll = static_cast<float>(screenHeight + 24);
}

int ResolutionState(int width) {
    switch (width) {
        case 640:
            return 0;
        case 800:
            return 1;
        case 1024:
            return 2;
        default:
            return -1;
    }
}

bool ResolutionOfState(int state, int *width, int *height) {
    static const int sizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
    if (state < 0 || state > 2) return false;
    *width = sizes[state][0];
    *height = sizes[state][1];
    return true;
}

}  // namespace frontend
