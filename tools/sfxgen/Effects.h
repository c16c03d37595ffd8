#pragma once
// The seven short sound effects of the game, as mono sounds.

#include "Synth.h"

namespace sfx {

Voice MakeWin();     // bright rising jingle
Voice MakeSkip();    // short whoosh
Voice MakePlace();   // a tile clacking on wood
Voice MakeChoose();  // soft click
Voice MakeError();   // low buzz
Voice MakeLoose();   // falling jingle
Voice MakePioche();  // tiles sliding as one is drawn

}  // namespace sfx
