#pragma once

#include <cstdint>
#include <vector>

// A 32-bit picture in memory: 4 bytes per pixel in the order red, green,
// blue, alpha; rows from top to bottom with no padding between them.
struct Image {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
};
