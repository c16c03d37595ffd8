#include "lib3d/DisplayMode.h"

namespace lib3d {

bool ValidScreenSize(int width, int height) {
    const int kLargest = 16384;
    return width > 0 && height > 0 && width <= kLargest && height <= kLargest;
}

device::Mode ChooseMode(const std::vector<device::Mode> &listed, int width, int height) {
    const device::Mode *best = nullptr;
    for (const device::Mode &mode : listed) {
        if (mode.width == width && mode.height == height) return mode;
        if (mode.width > width) continue;
        if (!best || mode.width > best->width ||
            (mode.width == best->width && mode.height > best->height)) {
            best = &mode;
        }
    }
    return best ? *best : device::Mode{width, height};
}

}  // namespace lib3d
