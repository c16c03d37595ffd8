// Structural check of a .3ds file before it is handed to lib3ds.
//
// lib3ds trusts every size and count it reads: a chunk whose length is
// smaller than its header loops forever, a material group naming a face past
// the end of the face list writes out of bounds, a key count of four billion
// allocates until the machine gives up, faces naming missing points are read
// through at once, and parents named out of order can link the node tree
// into a loop. So a file is walked once here, chunk by chunk, and refused
// unless:
//   - every chunk lies inside the file and inside its parent, and is at
//     least a header long; nesting stays within a small depth;
//   - every record whose size follows from a count (points, faces, texture
//     coordinates, flags, smoothing groups, material groups, track keys)
//     fits its chunk, material groups name existing faces, and faces name
//     points read before them;
//   - fixed records (colours, percentages, matrices, light and camera data)
//     are complete, and names end within their chunk and within 64 bytes;
//   - keyframer nodes have distinct ids and name only earlier nodes as
//     parents, so the node tree cannot loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lib3d {

// Deepest chunk nesting a file may have.
constexpr int kThreeDsMaxDepth = 12;

// Files larger than this are refused (the game's scenes are far smaller).
constexpr size_t kThreeDsMaxFileSize = 64u << 20;

// Returns true when `data` is a sound .3ds file. Otherwise false, with a
// one-line reason (offset and chunk id included) in `error`.
bool ThreeDsCheck(const uint8_t *data, size_t size, char *error, size_t errorSize);

// Reads the file at `path` and checks it. A file that cannot be read is
// refused with its reason.
bool ThreeDsCheckFile(const char *path, char *error, size_t errorSize);

// Reads a whole file (at most kThreeDsMaxFileSize bytes) into `bytes`; false
// with the reason in `error` when it cannot be opened, read, or is too large.
bool ThreeDsReadBytes(const char *path, std::vector<uint8_t> &bytes, char *error, size_t errorSize);

}  // namespace lib3d
