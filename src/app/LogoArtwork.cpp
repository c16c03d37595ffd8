#include "app/LogoArtwork.h"

#include <cmath>

namespace {

const float kPi = 3.14159265358979f;

// Letters are 0.46 high, drawn from their left edge with y = 0 in the middle
// of the line; the tube's radius (0.05) adds to every side.
const float kTop = 0.23f, kBottom = -0.23f;

// Writes outlines into the table, offset to where the current letter goes.
// Letters are drawn left to right as they read; the table holds them with x
// turned round, because the camera looks along +z and the engine's views
// show +x on the left.
class Pen {
public:
    explicit Pen(LogoArtwork *art) : art_(art) {}

    void MoveTo(float x, float y) { ox_ = x, oy_ = y; }
    int Outlines() const { return outlines_; }

    void Point(float x, float y) {
        art_->table.push_back(-(ox_ + x));
        art_->table.push_back(oy_ + y);
        art_->table.push_back(0.0f);
    }
    // Points on the circle (cx, cy, r) from angle a0 to a1 (degrees, either
    // way round), both ends included.
    void Arc(float cx, float cy, float r, float a0, float a1, int steps) {
        Arc(cx, cy, r, r, a0, a1, steps);
    }
    // The same on an ellipse of half-axes rx, ry.
    void Arc(float cx, float cy, float rx, float ry, float a0, float a1, int steps) {
        for (int i = 0; i <= steps; i++) {
            const float a = (a0 + (a1 - a0) * i / steps) * kPi / 180.0f;
            Point(cx + rx * std::cos(a), cy + ry * std::sin(a));
        }
    }
    void Line(float x0, float y0, float x1, float y1) {
        Point(x0, y0);
        Point(x1, y1);
        End();
    }
    void End() {
        art_->table.insert(art_->table.end(), {0.0f, 0.0f, -1.0f});
        ++outlines_;
    }
    // A short tube along z: seen from the front, a round pip of the
    // tube's own size.
    void Pip(float cx, float cy) {
        art_->table.insert(art_->table.end(), {-(ox_ + cx), oy_ + cy, -0.03f});
        art_->table.insert(art_->table.end(), {-(ox_ + cx), oy_ + cy, 0.03f});
        End();
    }

private:
    LogoArtwork *art_;
    float ox_ = 0, oy_ = 0;
    int outlines_ = 0;
};

void LetterM(Pen &pen) {
    // Its corners are too sharp to mitre; the tube is cut at each.
    pen.Point(0, kBottom);
    pen.Point(0, kTop);
    pen.Point(0.17f, -0.05f);
    pen.Point(0.34f, kTop);
    pen.Point(0.34f, kBottom);
    pen.End();
}

void LetterA(Pen &pen) {
    pen.Point(0, kBottom);
    pen.Point(0.15f, kTop);
    pen.Point(0.30f, kBottom);
    pen.End();
    pen.Line(0.052f, -0.07f, 0.248f, -0.07f);
}

// An upright stroke and a bowl from the top to the middle; R adds a leg.
void Bowl(Pen &pen, float x, float cy, float r) {
    pen.Point(0, cy + r);
    pen.Arc(x, cy, r, 90, -90, 10);
    pen.Point(0, cy - r);
    pen.End();
}

void LetterR(Pen &pen) {
    pen.Line(0, kBottom, 0, kTop);
    Bowl(pen, 0.13f, 0.115f, 0.115f);
    pen.Line(0.11f, 0, 0.26f, kBottom);
}

void LetterB(Pen &pen) {
    pen.Line(0, kBottom, 0, kTop);
    Bowl(pen, 0.135f, 0.115f, 0.115f);
    Bowl(pen, 0.145f, -0.115f, 0.115f);
}

void LetterI(Pen &pen) {
    pen.Line(0.08f, kBottom, 0.08f, kTop);
    pen.Line(0, kTop, 0.16f, kTop);
    pen.Line(0, kBottom, 0.16f, kBottom);
}

void LetterX(Pen &pen) {
    pen.Line(0, kTop, 0.28f, kBottom);
    pen.Line(0, kBottom, 0.28f, kTop);
}

void Digit3(Pen &pen) {
    // Two bowls open to the left, meeting in a short bar; the bar's turn
    // back is too sharp to mitre, so the tube is cut there.
    pen.Arc(0.125f, 0.115f, 0.115f, 155, -90, 12);
    pen.Point(0.07f, 0);
    pen.Arc(0.125f, -0.115f, 0.115f, 90, -155, 12);
    pen.End();
}

void LetterD(Pen &pen) {
    // A closed loop: the tube runs round without caps. The straight runs
    // from the corners are longer than the tube is thick, or the mitres of
    // the corners and the curve would fold into each other.
    pen.Point(0, kBottom);
    pen.Point(0, kTop);
    pen.Arc(0.1f, 0, 0.18f, 0.23f, 90, -90, 12);
    pen.Point(0, kBottom);
    pen.End();
}

// A tile 1.2 x 0.56 with rounded corners, its halves showing three and five.
void Domino(Pen &pen) {
    const float w = 0.6f, h = 0.28f, r = 0.1f;
    pen.Point(-(w - r), h);
    pen.Arc(w - r, h - r, r, 90, 0, 4);
    pen.Arc(w - r, -(h - r), r, 0, -90, 4);
    pen.Arc(-(w - r), -(h - r), r, -90, -180, 4);
    pen.Arc(-(w - r), h - r, r, 180, 90, 4);
    pen.End();
    // The bar between the halves reaches into the rim's tube.
    pen.Line(0, -(h - 0.02f), 0, h - 0.02f);
    const float d = 0.13f, half = 0.3f;
    pen.Pip(-half - d, d);
    pen.Pip(-half, 0);
    pen.Pip(-half + d, -d);
    for (float sx : {-1.0f, 1.0f})
        for (float sy : {-1.0f, 1.0f}) pen.Pip(half + sx * d, sy * d);
    pen.Pip(half, 0);
}

struct Glyph {
    void (*draw)(Pen &);
    float width;
};

// Lays glyphs out left to right, the line centred on x = 0.
void Line(Pen &pen, const Glyph *glyphs, int count, float gap, float y) {
    float total = gap * (count - 1);
    for (int i = 0; i < count; i++) total += glyphs[i].width;
    float x = -total / 2;
    for (int i = 0; i < count; i++) {
        pen.MoveTo(x, y);
        glyphs[i].draw(pen);
        x += glyphs[i].width + gap;
    }
}

}  // namespace

LogoArtwork MakeLogoArtwork() {
    LogoArtwork art;
    Pen pen(&art);

    art.firstOfPart[0] = pen.Outlines();
    const Glyph name[] = {{LetterM, 0.34f}, {LetterA, 0.30f}, {LetterR, 0.26f}, {LetterB, 0.26f},
                          {LetterR, 0.26f}, {LetterI, 0.16f}, {LetterX, 0.28f}};
    Line(pen, name, 7, 0.14f, -0.04f);

    art.firstOfPart[1] = pen.Outlines();
    const Glyph threeD[] = {{Digit3, 0.25f}, {LetterD, 0.28f}};
    Line(pen, threeD, 2, 0.16f, -0.70f);

    art.firstOfPart[2] = pen.Outlines();
    pen.MoveTo(0, 0.66f);
    Domino(pen);

    art.table.insert(art.table.end(), {0.0f, 0.0f, -1.0f});  // with the last outline's: the end
    return art;
}
