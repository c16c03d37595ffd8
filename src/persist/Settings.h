#pragma once
// The player's settings, kept in section [Game] of "config.ini" in the user
// folder: screen size, the four switches, the lay help and the computer's
// level. Fullscreen (default 1) is read too but only ever changed by hand.

#include <cstdint>

#include "persist/PlayerNames.h"

namespace persist {

struct Settings {
    int32_t width = 800;
    int32_t height = 600;
    int32_t shadow = 1;
    int32_t reflect = 1;
    int32_t music = 1;
    int32_t sound = 1;
    int32_t fullscreen = 1;
    int32_t layHelp = 1;  // the held tile snaps to a legal drop near the pointer
    int32_t level = 0;    // the computer's strength: 0 or 1 (anything else plays as 0)
};

// Start-up: when the settings file does not exist yet, the defaults and the
// default names are written at once (settings, then names). Then the values
// are read from the file; absent keys keep their defaults and text that is
// not a number reads 0. Returns 0 when the file had to be created.
int LoadSettings(Settings *settings, NameBuffer &name1, NameBuffer &name2);
// Reads the values from the settings file as they stand.
void ReadSettings(Settings *settings);
// Writes Width, Height, Shadow, Reflect, Sound, Music, LayHelp and Level (in that order) in
// one replacement of the file, then the names file. Failures are ignored by
// the game: the values in memory stay in force. Returns 0 when either write
// failed.
int SaveSettings(const Settings &settings, const NameBuffer &name1, const NameBuffer &name2);

}  // namespace persist
