#include "app/LogoTubes.h"

#include <cmath>

namespace {

struct V3 {
    float x, y, z;
};

V3 Add(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 Sub(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 Mul(V3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
float Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(V3 a) {
    return std::sqrt(Dot(a, a));
}
V3 Normalise(V3 a) {
    const float l = Length(a);
    return l > 0 ? Mul(a, 1.0f / l) : V3{0, 0, 1};
}
V3 ToV3(const LogoPoint &p) {
    return {p.x, p.y, p.z};
}

const float kPi = 3.14159265358979f;
// Points closer than this are one point.
const float kSamePoint = 1e-5f;

// Rotates x by the smallest rotation taking unit vector a to unit vector b
// (a and b not opposite).
V3 RotateMinimal(V3 x, V3 a, V3 b) {
    const V3 v = Cross(a, b);
    const float c = Dot(a, b);
    return Add(Add(Mul(x, c), Cross(v, x)), Mul(v, Dot(v, x) / (1.0f + c)));
}

// A unit vector at right angles to d.
V3 AnyPerpendicular(V3 d) {
    const V3 axis = std::fabs(d.z) < 0.9f ? V3{0, 0, 1} : V3{1, 0, 0};
    return Normalise(Sub(axis, Mul(d, Dot(axis, d))));
}

void Emit(LogoMesh *mesh, V3 p, V3 n, float u, float v) {
    LogoVertex out;
    out.position[0] = p.x;
    out.position[1] = p.y;
    out.position[2] = p.z;
    out.normal[0] = n.x;
    out.normal[1] = n.y;
    out.normal[2] = n.z;
    out.uv[0] = u;
    out.uv[1] = v;
    mesh->vertices.push_back(out);
}

void Triangle(LogoMesh *mesh, int a, int b, int c) {
    mesh->indices.push_back(static_cast<uint16_t>(a));
    mesh->indices.push_back(static_cast<uint16_t>(b));
    mesh->indices.push_back(static_cast<uint16_t>(c));
}

// Texture coordinates of side k: a small circle around the middle of the
// light picture, so the shafts drawn from the tubes are evenly lit all round.
float SideU(int k) {
    return 0.5f + 0.3f * std::cos(2 * kPi * k / TubeShape::kSides);
}
float SideV(int k) {
    return 0.5f + 0.3f * std::sin(2 * kPi * k / TubeShape::kSides);
}

// One tube along distinct points p (closed: p[n-1] joins p[0]), corners all
// gentle enough to mitre.
void Sweep(const std::vector<V3> &p, bool closed, float radius, LogoMesh *mesh) {
    const int n = static_cast<int>(p.size());
    const int segments = closed ? n : n - 1;
    const int sides = TubeShape::kSides;
    std::vector<V3> d(segments), normal(segments), binormal(segments);
    for (int j = 0; j < segments; j++) d[j] = Normalise(Sub(p[(j + 1) % n], p[j]));
    // Frames carried along the tube by the smallest rotation from one
    // segment to the next, so the tube does not twist.
    normal[0] = AnyPerpendicular(d[0]);
    for (int j = 1; j < segments; j++)
        normal[j] = Normalise(RotateMinimal(normal[j - 1], d[j - 1], d[j]));
    if (closed) {
        // Around a loop that is not flat the frame comes back turned; the
        // turn is spread evenly over the segments so the seam does not show.
        const V3 back = RotateMinimal(normal[segments - 1], d[segments - 1], d[0]);
        const float turn = std::atan2(Dot(Cross(normal[0], back), d[0]), Dot(normal[0], back));
        for (int j = 1; j < segments; j++) {
            const float a = -turn * j / segments;
            const V3 b = Cross(d[j], normal[j]);
            normal[j] = Normalise(Add(Mul(normal[j], std::cos(a)), Mul(b, std::sin(a))));
        }
    }
    for (int j = 0; j < segments; j++) binormal[j] = Cross(d[j], normal[j]);

    const int first = static_cast<int>(mesh->vertices.size());
    for (int i = 0; i < n; i++) {
        // The segments meeting at point i: `in` arrives, `out` leaves.
        const bool hasIn = closed || i > 0, hasOut = closed || i < n - 1;
        const int in = hasIn ? (i + segments - 1) % segments : 0;
        const int out = hasOut ? i % segments : segments - 1;
        const int frame = hasIn ? in : out;
        // The ring lies in the plane halving the corner (the mitre plane).
        const V3 bisector = Normalise(Add(d[hasIn ? in : out], d[out]));
        for (int k = 0; k < sides; k++) {
            const float a = 2 * kPi * k / sides;
            const V3 offset = Mul(
                Add(Mul(normal[frame], std::cos(a)), Mul(binormal[frame], std::sin(a))), radius);
            // Slide the offset along the arriving segment onto the mitre plane.
            const V3 mitred =
                Sub(offset, Mul(d[frame], Dot(offset, bisector) / Dot(d[frame], bisector)));
            const V3 around =
                Add(Add(Mul(normal[in], std::cos(a)), Mul(binormal[in], std::sin(a))),
                    Add(Mul(normal[out], std::cos(a)), Mul(binormal[out], std::sin(a))));
            Emit(mesh, Add(p[i], mitred), Normalise(around), SideU(k), SideV(k));
        }
    }
    // Side faces, outward: corners a, c, b and b, c, d of each quad between
    // ring i (a, b) and ring i + 1 (c, d).
    for (int j = 0; j < segments; j++) {
        const int r0 = first + j * sides, r1 = first + ((j + 1) % n) * sides;
        for (int k = 0; k < sides; k++) {
            const int k1 = (k + 1) % sides;
            Triangle(mesh, r0 + k, r1 + k, r0 + k1);
            Triangle(mesh, r0 + k1, r1 + k, r1 + k1);
        }
    }
    if (closed) return;
    // Flat caps facing back along the first segment and on along the last.
    for (int end = 0; end < 2; end++) {
        const int ring = first + (end ? (n - 1) * sides : 0);
        const V3 facing = end ? d[segments - 1] : Mul(d[0], -1.0f);
        const int centre = static_cast<int>(mesh->vertices.size());
        Emit(mesh, p[end ? n - 1 : 0], facing, 0.5f, 0.5f);
        for (int k = 0; k < sides; k++) {
            const LogoVertex &v = mesh->vertices[ring + k];
            Emit(mesh, {v.position[0], v.position[1], v.position[2]}, facing, SideU(k), SideV(k));
        }
        for (int k = 0; k < sides; k++) {
            const int k1 = (k + 1) % sides;
            if (end)
                Triangle(mesh, centre, centre + 1 + k1, centre + 1 + k);
            else
                Triangle(mesh, centre, centre + 1 + k, centre + 1 + k1);
        }
    }
}

int VerticesFor(int points, bool closed) {
    return points * TubeShape::kSides + (closed ? 0 : 2 * (TubeShape::kSides + 1));
}

}  // namespace

std::vector<std::vector<LogoPoint>> ReadLogoOutlines(const float *table, size_t count) {
    std::vector<std::vector<LogoPoint>> outlines;
    std::vector<LogoPoint> current;
    bool lastWasEnd = false;
    auto finish = [&] {
        if (current.size() >= 2) outlines.push_back(current);
        current.clear();
    };
    for (size_t i = 0; table && i + 3 <= count; i += 3) {
        const LogoPoint p = {table[i], table[i + 1], table[i + 2]};
        if (p.z < -0.5f) {
            if (lastWasEnd) break;
            finish();
            lastWasEnd = true;
            continue;
        }
        lastWasEnd = false;
        if (!current.empty()) {
            const LogoPoint &q = current.back();
            const V3 step = {p.x - q.x, p.y - q.y, p.z - q.z};
            if (Length(step) < kSamePoint) continue;  // a repeated point adds nothing
        }
        current.push_back(p);
    }
    finish();
    return outlines;
}

bool AddLogoTube(const std::vector<LogoPoint> &outline, const TubeShape &shape, LogoMesh *mesh) {
    std::vector<V3> p;
    for (const LogoPoint &q : outline)
        if (p.empty() || Length(Sub(ToV3(q), p.back())) >= kSamePoint) p.push_back(ToV3(q));
    if (p.size() < 2) return true;  // nothing to sweep
    bool closed = p.size() >= 4 && Length(Sub(p.front(), p.back())) < kSamePoint;
    if (closed) p.pop_back();

    const float limit = std::cos(shape.maxMitreTurn * kPi / 180.0f);
    auto sharp = [&](int i) {
        const int n = static_cast<int>(p.size());
        const V3 in = Normalise(Sub(p[i], p[(i + n - 1) % n]));
        const V3 out = Normalise(Sub(p[(i + 1) % n], p[i]));
        return Dot(in, out) < limit;
    };
    if (closed) {
        // A loop with a sharp corner is opened there: it becomes an open
        // outline from that corner round to itself, cut below like any other.
        for (int i = 0; i < static_cast<int>(p.size()); i++) {
            if (!sharp(i)) continue;
            std::vector<V3> open(p.begin() + i, p.end());
            open.insert(open.end(), p.begin(), p.begin() + i + 1);
            p = open;
            closed = false;
            break;
        }
    }
    std::vector<std::vector<V3>> pieces;
    if (closed) {
        pieces.push_back(p);
    } else {
        std::vector<V3> piece = {p[0]};
        for (size_t i = 1; i < p.size(); i++) {
            piece.push_back(p[i]);
            if (i + 1 < p.size() && sharp(static_cast<int>(i))) {
                pieces.push_back(piece);
                piece = {p[i]};
            }
        }
        pieces.push_back(piece);
    }
    size_t needed = mesh->vertices.size();
    for (const std::vector<V3> &piece : pieces)
        needed += VerticesFor(static_cast<int>(piece.size()), closed);
    if (needed > 65536) return false;
    for (const std::vector<V3> &piece : pieces) Sweep(piece, closed, shape.radius, mesh);
    return true;
}

bool BuildLogoMesh(const float *table, size_t count, const int firstOfPart[LogoMesh::kParts],
                   LogoMesh *mesh) {
    *mesh = LogoMesh();
    const std::vector<std::vector<LogoPoint>> outlines = ReadLogoOutlines(table, count);
    const TubeShape shape;
    int part = 0;
    for (int i = 0; i < static_cast<int>(outlines.size()); i++) {
        while (part + 1 < LogoMesh::kParts && i >= firstOfPart[part + 1]) {
            ++part;
            mesh->partFirst[part] = mesh->TriangleCount();
        }
        if (!AddLogoTube(outlines[i], shape, mesh)) return false;
    }
    while (part + 1 < LogoMesh::kParts) mesh->partFirst[++part] = mesh->TriangleCount();
    mesh->partFirst[LogoMesh::kParts] = mesh->TriangleCount();
    return true;
}
