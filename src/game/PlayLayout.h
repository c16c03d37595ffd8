#pragma once
// Where things are on the play screen, in one place: the board's place in
// the world, the window areas of the hand and of the pass and draw buttons
// (laid out for an 800-pixel-wide window and scaled with the width), and the
// board points where hand tiles are shown. Picking, the rules' pointer test,
// the controls and the drawing all read them from here.

namespace game {

// World x = board x - kBoardHalf, world z = board z - kBoardHalf.
constexpr float kBoardHalf = 16.0f;
// A point picked on the table lands half a cell short of the board point
// the rules use for a drop.
constexpr float kPickToBoard = kBoardHalf + 0.5f;

namespace layout {

// The hand row: slot i starts at HandLeft + i * HandPitch.
inline int HandLeft(int width) {
    return width * 9 / 800;
}
inline int HandPitch(int width) {
    return width * 58 / 800;
}
// Right of this x lie the pass and draw buttons, not the hand.
inline int ButtonsLeft(int width) {
    return width - width * 130 / 800;
}
// The pass button's and the draw button's top edges; both are this high.
inline int PassTop(int height) {
    return height - 104;
}
inline int DrawTop(int height) {
    return height - 64;
}
constexpr int kButtonHeight = 32;
// The buttons' drawn rectangles and their labels.
inline int ButtonX(int width) {
    return width - width * 128 / 800;
}
inline int ButtonWidth(int width) {
    return width * 120 / 800;
}
inline int ButtonLabelWidth(int width) {
    return width * 128 / 800;
}

}  // namespace layout

// Board points of the hand tiles: the play screen's hand row, and the two
// rows of a blocked game's final hands (seat 1 above seat 0), centred.
inline void HandPoint(int i, float *x, float *z) {
    *x = 7.0f + 1.5f * i;
    *z = 21.5f;
}

inline void FinalHandPoint(int seat, int i, int count, float *x, float *z) {
    *x = 7.0f + 1.5f * i + (12 - count) * 0.75f;
    *z = seat == 1 ? 13.0f : 17.0f;
}

}  // namespace game
