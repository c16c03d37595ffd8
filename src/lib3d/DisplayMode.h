#pragma once
// Choosing the display size from what the display lists.

#include <vector>

#include "device/Types.h"

namespace lib3d {

// False for sizes no display can take (zero, negative, or beyond any screen).
bool ValidScreenSize(int width, int height);

// The size asked for when listed; otherwise the largest listed mode not wider
// than asked; when none is that narrow (a desktop that lists only its own,
// larger mode), the size asked for, which SDL centres on the nearest mode.
device::Mode ChooseMode(const std::vector<device::Mode> &listed, int width, int height);

}  // namespace lib3d
