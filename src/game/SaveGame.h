#pragma once
// A game in progress as the bytes of a slot file, and back. The file starts
// with the 36-byte header that the slot list reads (game kind, the date and
// the time of the save); a versioned body follows with everything needed to
// carry on exactly where the game was left: both seats, the boneyard, the
// laid tiles and their links, the open spots, the turn, the computer's
// counters and level, and the camera.
//
// All integers are 32-bit little-endian, floats IEEE 754 single precision
// little-endian. Tiles are referred to by their index 0..27 in the tile
// vector, -1 for none.
//
//   0  kind          4 one human against the computer, 5 two humans
//   4  magic         "MBXS"
//   8  version       kSlotVersion
//  12  body size     bytes after the header
//  16  day, month, year, hours, minutes (local time of the save)
//  36  body (see SaveGame.cpp, WriteBody)
//
// Reading checks every value before anything is changed: a file that is
// cut short, of another version, or describes a position that cannot occur
// is refused with a reason, and the game in memory stays as it was.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/Camera.h"
#include "game/Rules.h"

namespace game {

const int kSlotHeaderSize = 36;
const int32_t kSlotVersion = 1;
const char kSlotMagic[4] = {'M', 'B', 'X', 'S'};
// Longest body the reader accepts; a real one is a few kilobytes.
const int32_t kSlotMaxBody = 64 * 1024;

struct SlotHeader {
    int32_t kind = -1;  // -1: no file
    int32_t day = 0, month = 0, year = 0, hours = 0, minutes = 0;
};

// What the program keeps of a game beyond the rules: its kind, the
// computer's level and the camera.
struct SavedExtras {
    int32_t kind = KindAgainstComputer;
    int32_t level = 0;
    float azimuth = 0.0f, elevation = 45.0f, distance = 30.0f;
    float target[3] = {0, 0, 0};
    int32_t preset = 1;
};

// The header fields, as the slot list reads them, from the first bytes of a
// file. Fields past the end of a short file are left as they were; the kind
// is -1 for a file shorter than 4 bytes.
void ParseSlotHeader(const uint8_t *data, size_t size, SlotHeader *out);

// The whole file for the game in `rules`, saved at the given date and time.
void WriteSlot(const Rules &rules, const SavedExtras &extras, const SlotHeader &when,
               std::string *out);

// A checked copy of a saved game, ready to be put in place.
struct SlotGame;

class SlotReader {
public:
    SlotReader();
    ~SlotReader();
    SlotReader(const SlotReader &) = delete;
    SlotReader &operator=(const SlotReader &) = delete;

    // Reads and checks the file's bytes. On failure returns false with the
    // reason in Error(); nothing else is touched.
    bool Read(const uint8_t *data, size_t size);
    const char *Error() const { return error_.c_str(); }
    const SlotHeader &Header() const { return header_; }
    const SavedExtras &Extras() const;

    // Puts the game read last into `rules` (whose 28 tiles must exist, as
    // after Rules::Setup). Names, seats, hands, boneyard, board and turn are
    // all replaced. False when nothing was read successfully.
    bool Apply(Rules *rules) const;
    // Sets the camera's orbit, target and preset, and places its eye.
    void ApplyCamera(Camera *camera) const;

private:
    std::string error_;
    SlotHeader header_;
    SlotGame *game_;
    bool ok_ = false;
};

}  // namespace game
