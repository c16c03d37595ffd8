#pragma once
// The convex hull of points in a plane.

#include <vector>

namespace lib3d {

struct Point2 {
    float x, y;
};

// Twice the signed area of o, a, b: positive when they turn anticlockwise.
float Turn(const Point2 &o, const Point2 &a, const Point2 &b);

// The hull anticlockwise, without repeated or collinear points; empty when
// the points enclose no area.
std::vector<Point2> ConvexHull(std::vector<Point2> points);

}  // namespace lib3d
