#include "lib3d/ScreenRects.h"

#include <algorithm>

namespace lib3d {

long RectArea(const device::Rect &r) {
    if (r.right <= r.left || r.bottom <= r.top) return 0;
    return static_cast<long>(r.right - r.left) * (r.bottom - r.top);
}

device::Rect RectUnion(const device::Rect &a, const device::Rect &b) {
    device::Rect u;
    u.left = std::min(a.left, b.left);
    u.top = std::min(a.top, b.top);
    u.right = std::max(a.right, b.right);
    u.bottom = std::max(a.bottom, b.bottom);
    return u;
}

namespace {

// What merging a and b adds: the union's area beyond the two areas. Two
// overlapping rectangles count their overlap twice, so this can be negative.
long MergeCost(const device::Rect &a, const device::Rect &b) {
    return RectArea(RectUnion(a, b)) - RectArea(a) - RectArea(b);
}

void MergePair(std::vector<device::Rect> *rects, size_t i, size_t j) {
    (*rects)[i] = RectUnion((*rects)[i], (*rects)[j]);
    rects->erase(rects->begin() + static_cast<long>(j));
}

}  // namespace

void MergeRects(std::vector<device::Rect> *rects, long slack, size_t most) {
    rects->erase(std::remove_if(rects->begin(), rects->end(),
                                [](const device::Rect &r) { return RectArea(r) == 0; }),
                 rects->end());
    // A merge makes a larger rectangle that may now pay to merge with one
    // looked at before: go round until a whole sweep merges nothing.
    bool merged = true;
    while (merged) {
        merged = false;
        for (size_t i = 0; i < rects->size() && !merged; i++) {
            for (size_t j = i + 1; j < rects->size(); j++) {
                if (MergeCost((*rects)[i], (*rects)[j]) <= slack) {
                    MergePair(rects, i, j);
                    merged = true;
                    break;
                }
            }
        }
    }
    while (rects->size() > most && rects->size() > 1) {
        size_t bi = 0, bj = 1;
        long best = MergeCost((*rects)[0], (*rects)[1]);
        for (size_t i = 0; i < rects->size(); i++) {
            for (size_t j = i + 1; j < rects->size(); j++) {
                const long cost = MergeCost((*rects)[i], (*rects)[j]);
                if (cost < best) {
                    best = cost;
                    bi = i;
                    bj = j;
                }
            }
        }
        MergePair(rects, bi, bj);
    }
}

}  // namespace lib3d
