#include "game/ScreenTexts.h"

#include "game/PlayLayout.h"

namespace game {

namespace {

TextItem Item(int kind, int id, int x, int y, int width, int centred) {
    TextItem t;
    t.kind = kind;
    t.id = id;
    t.x = x;
    t.y = y;
    t.width = width;
    t.centred = centred;
    return t;
}

// A line centred across the whole screen.
TextItem Across(int line, int y, int width) {
    return Item(TextLine, line, 0, y, width, 1);
}

// Two pictures side by side, 16 pixels apart, the pair centred across the
// screen; each keeps its own y.
void Pair(TextItem first, TextItem second, int width, const TextMeasure &measure,
          std::vector<TextItem> *out) {
    int w1 = measure.Width(first), w2 = measure.Width(second);
    int left = (width - (w1 + 16 + w2)) / 2;
    first.x = left;
    second.x = left + w1 + 16;
    first.centred = second.centred = 0;
    first.width = w1;
    second.width = w2;
    out->push_back(first);
    out->push_back(second);
}

void AddButton(int x, int y, int w, int line, int labelWidth, int mouseX, int mouseY, int width,
               PlayOverlay *out) {
    ButtonItem b;
    b.x = x;
    b.y = y;
    b.width = w;
    b.height = 32;
    b.hover =
        mouseX > layout::ButtonsLeft(width) && mouseY > y && mouseY < y + layout::kButtonHeight;
    b.label = Item(TextLine, line, x, y, labelWidth, 1);
    out->buttons.push_back(b);
}

}  // namespace

void LayoutPlayOverlay(const Rules &rules, int width, int height, int mouseX, int mouseY,
                       float labelCountdown, int preset, PlayOverlay *out) {
    *out = PlayOverlay();
    const int seat = rules.current;
    if (seat == 0 || seat == 1) {
        out->panelSeat = seat;
        out->panelX = seat == 0 ? 0 : width - 200;
        out->panelY = 8;
        out->panelWidth = 200;
        out->panelHeight = 48;
    }
    auto &texts = out->texts;
    texts.push_back(Item(TextName, 0, 8, 8, 200, 1));
    texts.push_back(Item(TextName, 1, width - 200, 8, 200, 1));
    texts.push_back(Item(TextDigits, rules.players[0].HandSize(), 64, 40, 0, 0));
    texts.push_back(Item(TextDigits, rules.players[1].HandSize(), width - 136, 40, 0, 0));
    texts.push_back(Item(TextDigits, static_cast<int>(rules.boneyard.size()),
                         static_cast<int>(width * 0.5f - 16), 40, 0, 0));
    texts.push_back(Across(31, 8, width));

    if (rules.HumanToMove()) {
        if (rules.MayPassOrDraw()) {
            texts.push_back(Across(2, 64, width));
            bool passOnly =
                rules.boneyard.empty() || rules.players[seat].HandSize() >= Rules::kMaxHand;
            texts.push_back(Across(passOnly ? 4 : 3, 96, width));
            int x = layout::ButtonX(width);
            int w = layout::ButtonWidth(width);
            int labelWidth = layout::ButtonLabelWidth(width);
            AddButton(x, layout::PassTop(height), w, 11, labelWidth, mouseX, mouseY, width, out);
            if (!passOnly)
                AddButton(x, layout::DrawTop(height), w, 12, labelWidth, mouseX, mouseY, width,
                          out);
        }
    } else if (seat == 0 || seat == 1) {
        if (!rules.cpuPending) {
            texts.push_back(Across(5, 64, width));
        } else if (rules.lastAction == ActionLay) {
            texts.push_back(Across(5, 64, width));
        } else if (rules.lastAction == ActionPass) {
            texts.push_back(Across(6, 64, width));
            texts.push_back(Across(7, 96, width));
        } else if (rules.lastAction == ActionDraw) {
            texts.push_back(Across(6, 64, width));
            texts.push_back(Across(8, 96, width));
        }
    }
    if (labelCountdown > 0.0f)
        texts.push_back(Item(TextLine, preset == 3 ? 29 : 30, width - 160, 128, 160, 1));
}

void LayoutOpeningTexts(const Rules &rules, int gameKind, int width, std::vector<TextItem> *out) {
    out->clear();
    int starter = rules.current == 1 ? 1 : 0;
    if (gameKind == KindTwoHumans) {
        out->push_back(Item(TextName, starter, 0, 224, width, 1));
        out->push_back(Across(20, 256, width));
    } else {
        out->push_back(Across(rules.players[starter].isComputer ? 18 : 19, 256, width));
    }
    out->push_back(Across(13, 320, width));
}

void LayoutGameOverTexts(const Rules &rules, int gameKind, int width, int height,
                         const TextMeasure &measure, std::vector<TextItem> *out) {
    out->clear();
    const int winner = rules.current;
    const bool twoHumans = gameKind == KindTwoHumans;
    if (winner != 0 && winner != 1) {
        out->push_back(Across(14, 32, width));
        out->push_back(Across(17, 96, width));
    } else if (rules.endCause != EndBlocked) {
        if (twoHumans) {
            Pair(Item(TextName, winner, 0, 64, 0, 0), Item(TextLine, 21, 0, 64, 0, 0), width,
                 measure, out);
            out->push_back(Across(28, 96, width));
        } else {
            out->push_back(Across(winner == 0 ? 10 : 9, 32, width));
            out->push_back(Across(winner == 0 ? 26 : 27, 64, width));
        }
    } else {
        out->push_back(Across(14, 32, width));
        const int upper = height * 96 / 600, lower = height * 256 / 600;
        if (!twoHumans) {
            out->push_back(Across(15, upper, width));
            out->push_back(Across(16, lower, width));
            out->push_back(Across(winner == 0 ? 23 : 24, height - 160, width));
        } else if (winner == 0) {
            Pair(Item(TextName, 1, 0, 96, 0, 0), Item(TextLine, 22, 0, upper, 0, 0), width, measure,
                 out);
            Pair(Item(TextName, 0, 0, 288, 0, 0), Item(TextLine, 22, 0, lower, 0, 0), width,
                 measure, out);
            Pair(Item(TextName, 0, 0, height - 160, 0, 0),
                 Item(TextLine, 25, 0, height - 160, 0, 0), width, measure, out);
        } else {
            Pair(Item(TextName, 1, 0, upper, 0, 0), Item(TextLine, 22, 0, 96, 0, 0), width, measure,
                 out);
            Pair(Item(TextName, 0, 0, height * 288 / 600, 0, 0), Item(TextLine, 22, 0, 256, 0, 0),
                 width, measure, out);
            Pair(Item(TextName, 1, 0, height - 160, 0, 0),
                 Item(TextLine, 25, 0, height - 160, 0, 0), width, measure, out);
        }
    }
    out->push_back(Across(13, height - 96, width));
}

}  // namespace game
