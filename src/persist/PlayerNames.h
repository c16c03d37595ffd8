#pragma once
// The two player names: fixed buffers of 64 UTF-16 units at the start of
// each player record, holding at most 10 units, kept in "playersname.txt" of
// the user folder (a UTF-16 line file with one name per line).

#include <cstdint>

namespace persist {

const int kNameBufferUnits = 64;
const int kNameMaxUnits = 10;
typedef uint16_t NameBuffer[kNameBufferUnits];

// Copies text into name, cut to its first 10 units. A null text changes nothing.
void SetPlayerName(NameBuffer &name, const uint16_t *text);
// The default name of a seat (1 or 2): the word for player (text line 1)
// followed directly by the seat digit.
void SetDefaultName(NameBuffer &name, int seat);

// Reads the names file: line 1 into name1, line 2 into name2. Returns 1 when
// both lines were read. When the file cannot be opened (missing, or not
// UTF-16) both names take their defaults; a file with a single line keeps it
// for player 1 and gives player 2 the default. Returns 0 in those cases, when
// the file should be written again.
int LoadNames(NameBuffer &name1, NameBuffer &name2);
// Writes the names file. Returns 0 when it could not be written (the caller
// may ignore it; the names stay in force).
int SaveNames(const NameBuffer &name1, const NameBuffer &name2);

}  // namespace persist
