#include "lib3d/Occluder.h"

#include <cmath>

#include "lib3d/Hull.h"
#include "lib3d/Matrix.h"
#include "lib3d/Mesh.h"

namespace lib3d {

namespace {}  // namespace

bool PlanarOccluder::Set(const float *points, int count, float margin) {
    valid_ = false;
    outline_.clear();
    if (!points || count < 3 || !(margin >= 0.0f)) return false;
    height_ = points[1];
    std::vector<Point2> flat;
    for (int i = 0; i < count; i++) {
        const float *p = points + 3 * i;
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return false;
        if (std::fabs(p[1] - height_) > 1e-4f) return false;
        flat.push_back({p[0], p[2]});  // x and z as the plane's x and y
    }
    const std::vector<Point2> hull = ConvexHull(flat);
    if (hull.size() < 3) return false;
    for (const Point2 &p : hull) {
        outline_.push_back(p.x);
        outline_.push_back(p.y);
    }
    margin_ = margin;
    valid_ = true;
    return true;
}

bool PlanarOccluder::Hides(const float eye[3], const float p[3]) const {
    if (!valid_) return false;
    const float above = eye[1] - height_, below = height_ - p[1];
    if (!(above >= kMinEyeHeight) || !(below > 0.0f)) return false;
    // Where the line from the eye to p meets the plane.
    const float t = above / (above + below);
    const Point2 q = {eye[0] + t * (p[0] - eye[0]), eye[2] + t * (p[2] - eye[2])};  // x, z
    const size_t n = outline_.size() / 2;
    for (size_t i = 0; i < n; i++) {
        const size_t j = (i + 1) % n;
        const Point2 a = {outline_[2 * i], outline_[2 * i + 1]};
        const Point2 b = {outline_[2 * j], outline_[2 * j + 1]};
        const float length = std::hypot(b.x - a.x, b.y - a.y);
        // Inside an anticlockwise outline is to the left of every edge, and
        // at least the margin away from it.
        if (!(Turn(a, b, q) >= margin_ * length)) return false;
    }
    return true;
}

bool PlanarOccluder::VisibleTriangles(const Mesh &mesh, const float world[16], const float eye[3],
                                      std::vector<uint16_t> *indices) const {
    indices->clear();
    const Geometry &g = mesh.geometry;
    // The indices come from the mesh's own buffer, which numbers the
    // vertices as its layout wrote them (one per corner, for some).
    if (!mesh.indexBuffer || mesh.triangleCount != g.TriangleCount() ||
        mesh.indexBuffer->Count() < 3 * mesh.triangleCount)
        return false;
    const uint16_t *source = mesh.indexBuffer->Data();
    std::vector<char> hidden(static_cast<size_t>(g.VertexCount()));
    for (int i = 0; i < g.VertexCount(); i++) {
        float p[3];
        Matrix::TransformPoint(world, g.vertices[i].position, p);
        hidden[i] = Hides(eye, p);
    }
    for (int t = 0; t < g.TriangleCount(); t++) {
        const uint32_t *v = g.triangles[t].v;
        if (hidden[v[0]] && hidden[v[1]] && hidden[v[2]]) continue;
        indices->insert(indices->end(), source + 3 * t, source + 3 * t + 3);
    }
    return true;
}

}  // namespace lib3d
