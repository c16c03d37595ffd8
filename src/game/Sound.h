#pragma once
// The game's sound effects, by number. The rules ask for them and the sound
// manager loads and plays them under the same numbers.

namespace game {

enum Sound {
    SoundWin = 0,     // seat 0 wins
    SoundSkip = 1,    // a pass
    SoundPlace = 2,   // a tile is laid; every front-end button
    SoundChoose = 3,  // a hand tile is selected
    SoundError = 4,   // a refused action
    SoundLose = 5,    // seat 1 wins
    SoundDraw = 6,    // a tile is taken from the boneyard
    SoundCount = 7
};

}  // namespace game
