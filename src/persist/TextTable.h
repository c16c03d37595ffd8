#pragma once
// The game's texts: the 41 lines of "data/text_<language>.txt", loaded once
// at start-up. Line 1 is the word for "player", lines 2 to 31 the in-game
// messages, line 32 the empty save-slot label and 33 to 41 the help screen.

#include "persist/WideString.h"

namespace persist {

const int kTextLines = 41;

// Loads "data/text_<language>.txt". Writes "Cannot read text file" when the
// file cannot be opened; returns 0 without a message when it has fewer than
// 41 lines. Lines past the 41st are ignored. On failure the table keeps what
// it held before.
int LoadTextTable(const char *language);
// The same for a file named directly.
int LoadTextTableFile(const char *path);

// Line number 1 to 41; an empty text for any other number or before loading.
const WideString &TextLine(int number);

}  // namespace persist
