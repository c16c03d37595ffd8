#include "lib3d/Hull.h"

#include <algorithm>

namespace lib3d {

float Turn(const Point2 &o, const Point2 &a, const Point2 &b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Andrew's monotone chain: the lower hull left to right, then the upper
// hull back, each point dropped as soon as it makes a turn the wrong way.
std::vector<Point2> ConvexHull(std::vector<Point2> p) {
    std::sort(p.begin(), p.end(), [](const Point2 &a, const Point2 &b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    });
    if (p.size() < 3) return {};
    std::vector<Point2> hull(2 * p.size());
    size_t k = 0;
    for (size_t i = 0; i < p.size(); i++) {
        while (k >= 2 && Turn(hull[k - 2], hull[k - 1], p[i]) <= 0) k--;
        hull[k++] = p[i];
    }
    for (size_t i = p.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Turn(hull[k - 2], hull[k - 1], p[i]) <= 0) k--;
        hull[k++] = p[i];
    }
    hull.resize(k - 1);  // the last point repeats the first
    if (hull.size() < 3) return {};
    return hull;
}

}  // namespace lib3d
