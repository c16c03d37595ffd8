#pragma once
// A flat, convex, opaque surface lying in a horizontal plane (a table top)
// hides from an eye above that plane everything below it that it covers on
// screen. Knowing this on the processor spares the rasteriser: the triangles
// of a room that lie wholly behind the top need not be drawn at all, where
// drawn they would cost every pixel they cover only to fail the depth test.

#include <cstdint>
#include <vector>

namespace lib3d {

class Mesh;

class PlanarOccluder {
public:
    // The smallest height of the eye above the plane at which anything is
    // hidden: lower, the surface could reach in front of the near plane and
    // be cut away there, and what lies behind would show.
    static constexpr float kMinEyeHeight = 1.0f;

    // Takes the surface's points (x, y, z triples, world space); the outline
    // is their convex hull in x and z, drawn in by `margin` so that what
    // lies just inside the rim, where rounding decides, stays drawn. False
    // (and nothing hidden afterwards) when the points are not all at one
    // height or enclose no area.
    bool Set(const float *points, int count, float margin);
    bool Valid() const { return valid_; }
    float Height() const { return height_; }
    const std::vector<float> &Outline() const { return outline_; }  // x, z pairs, anticlockwise

    // Whether world point p is hidden from the eye: the eye high enough above
    // the plane, p below it, and the line between them crossing the plane
    // inside the outline.
    bool Hides(const float eye[3], const float p[3]) const;

    // The triangles of `mesh` (its geometry, placed by `world`) that are not
    // wholly hidden from the eye, as three indices each, in the mesh's order.
    // A triangle whose corners are all hidden is hidden whole: the outline
    // is convex, and seen from the eye the triangle's shadow on the plane is
    // the triangle its corners' shadows make. False, with no indices, when
    // the mesh has no buffers to match: it is then drawn whole.
    bool VisibleTriangles(const Mesh &mesh, const float world[16], const float eye[3],
                          std::vector<uint16_t> *indices) const;

private:
    bool valid_ = false;
    float height_ = 0.0f;
    float margin_ = 0.0f;
    std::vector<float> outline_;
};

}  // namespace lib3d
