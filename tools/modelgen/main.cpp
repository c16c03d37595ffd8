// modelgen: writes the game's .3ds scenes (the domino tile, the table and the
// room around it), or small seed scenes for the importer's fuzz corpus.
//
//   modelgen [ROOT]          data/gfx/3d/{domino,table,background}.3ds under ROOT
//   modelgen --seeds DIR     a few small scenes into DIR
//
// Proportions: one world unit is a board cell (a tile is 2 x 1 x 0.42). The
// table top lies at y = 0; the room floor is 30 units below it.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Model.h"
#include "platform/Path.h"

namespace {

const float kPi = 3.14159265f;

MaterialDef Material(const char *name, const char *texture, float ambient, float diffuse,
                     float specular, float shininess) {
    MaterialDef m;
    m.name = name;
    m.texture = texture;
    for (int i = 0; i < 3; i++) {
        m.ambient[i] = ambient;
        m.diffuse[i] = diffuse;
        m.specular[i] = specular;
    }
    m.shininess = shininess;
    m.selfIllum = false;
    m.twoSided = false;
    return m;
}

// ------------------------------------------------------------------ tile

// A rounded rectangle ring of the tile's plan, shrunk by `inset`.
std::vector<Vec3> TileRing(float inset, float y) {
    const float halfX = 1.0f, halfZ = 0.5f, corner = 0.1f;
    return RoundedRect(0.5f, 0.0f, halfX - inset, halfZ - inset, corner - inset, 4, y);
}

// Texture layout of a face image: the top half holds the face (a half on the
// left), the bottom half the plain body used for the edges and the back.
float FaceU(float x) {
    return (x + 0.5f) * 0.5f;
}
float FaceV(float z) {
    return (z + 0.5f) * 0.5f;
}
float BodyU(float x) {
    return 0.1f + 0.4f * (x + 0.5f);
}
float BodyV(float s) {
    return 0.56f + 0.38f * s;
}

// The tile: origin at the centre of its a half, lying along +x (x -0.5..1.5,
// z -0.5..0.5), bottom at y = 0, 0.42 thick, with rounded edges and corners.
Model Domino() {
    Model model;
    model.materials.push_back(Material("ivory", "0-0.png", 0.75f, 1.0f, 0.6f, 40));
    Part tile;
    tile.name = "domino";
    tile.material = "ivory";
    const float height = 0.42f, round = 0.07f;
    const Vec3 centre = {0.5f, height * 0.5f, 0.0f};
    // Edge rings from the top rim down to the bottom rim along a quarter
    // round, a straight side, and another quarter round.
    std::vector<std::pair<float, float>> profile;  // (inset, y)
    for (int k = 3; k >= 0; k--) {
        float a = k * kPi / 6;
        profile.push_back({round * (1 - std::cos(a)), height - round + round * std::sin(a)});
    }
    for (int k = 0; k <= 3; k++) {
        float a = k * kPi / 6;
        profile.push_back({round * (1 - std::cos(a)), round - round * std::sin(a)});
    }
    std::vector<std::vector<unsigned>> rings;
    for (size_t r = 0; r < profile.size(); r++) {
        std::vector<unsigned> ring;
        for (const Vec3 &p : TileRing(profile[r].first, profile[r].second))
            ring.push_back(tile.Add(p, BodyU(p.x), BodyV(p.y / height)));
        rings.push_back(ring);
    }
    for (size_t r = 0; r + 1 < rings.size(); r++) {
        size_t n = rings[r].size();
        for (size_t i = 0; i < n; i++) {
            size_t j = (i + 1) % n;
            Vec3 mid = (tile.vertices[rings[r][i]].p + tile.vertices[rings[r + 1][j]].p) * 0.5f;
            tile.Quad(rings[r][i], rings[r][j], rings[r + 1][j], rings[r + 1][i], mid - centre);
        }
    }
    // Flat top carrying the face, and flat bottom, each on its own vertices so
    // the rims stay crisp and the face keeps its own texture coordinates.
    for (int side = 0; side < 2; side++) {
        float y = side == 0 ? height : 0.0f;
        Vec3 up = {0, side == 0 ? 1.0f : -1.0f, 0};
        unsigned mid = side == 0 ? tile.Add({0.5f, y, 0}, FaceU(0.5f), FaceV(0))
                                 : tile.Add({0.5f, y, 0}, BodyU(0.5f), BodyV(0.5f));
        std::vector<unsigned> rim;
        for (const Vec3 &p : TileRing(round, y))
            rim.push_back(side == 0 ? tile.Add(p, FaceU(p.x), FaceV(p.z))
                                    : tile.Add(p, BodyU(p.x), BodyV(p.z + 0.5f)));
        for (size_t i = 0; i < rim.size(); i++)
            tile.Triangle(mid, rim[i], rim[(i + 1) % rim.size()], up);
    }
    model.parts.push_back(tile);
    return model;
}

// ------------------------------------------------------------------ table

// The table: a 44 x 44 walnut top with rounded corners (its upper surface is
// the first mesh, at y = 0), a moulded edge, an apron and four tapered legs
// standing on the floor at y = -30.
Model Table() {
    Model model;
    model.materials.push_back(Material("walnut", "wood.png", 0.7f, 0.95f, 0.35f, 30));
    const float half = 22.0f, corner = 3.0f, edge = 0.6f, thick = 1.8f, floorY = -30.0f;
    const float grain = 1.0f / 22.0f;  // the wood image spans 22 units

    // 1. The upper surface: rings of the outline shrinking to the centre, so
    //    per-vertex lighting has points to work with.
    Part top;
    top.name = "01top";
    top.material = "walnut";
    const int rings = 8;
    std::vector<std::vector<unsigned>> ring(rings + 1);
    for (int r = 1; r <= rings; r++) {
        float k = (float)r / rings;
        for (const Vec3 &p :
             RoundedRect(0, 0, (half - edge) * k, (half - edge) * k, (corner - edge) * k, 6, 0.0f))
            ring[r].push_back(top.Add(p, p.x * grain, p.z * grain));
    }
    unsigned centre = top.Add({0, 0, 0}, 0, 0);
    const Vec3 up = {0, 1, 0};
    size_t n = ring[1].size();
    for (size_t i = 0; i < n; i++) top.Triangle(centre, ring[1][i], ring[1][(i + 1) % n], up);
    for (int r = 1; r < rings; r++)
        for (size_t i = 0; i < n; i++) {
            size_t j = (i + 1) % n;
            top.Quad(ring[r][i], ring[r][j], ring[r + 1][j], ring[r + 1][i], up);
        }
    model.parts.push_back(top);

    // 2. The moulded edge: a quarter round from the rim of the surface down
    //    to the side, the side, a small chamfer and the underside.
    Part rim;
    rim.name = "02edge";
    rim.material = "walnut";
    std::vector<std::pair<float, float>> profile;  // (inset, y)
    for (int k = 4; k >= 0; k--) {
        float a = k * kPi / 8;
        profile.push_back({edge * (1 - std::cos(a)), -edge + edge * std::sin(a)});
    }
    profile.push_back({0.0f, -thick + 0.3f});
    profile.push_back({0.3f, -thick});
    profile.push_back({4.0f, -thick});
    std::vector<std::vector<unsigned>> rows;
    for (size_t r = 0; r < profile.size(); r++) {
        float inset = profile[r].first, y = profile[r].second;
        std::vector<Vec3> outline =
            RoundedRect(0, 0, half - inset, half - inset, std::max(corner - inset, 0.5f), 6, y);
        std::vector<unsigned> row;
        float along = 0;
        for (size_t i = 0; i < outline.size(); i++) {
            if (i > 0)
                along +=
                    std::hypot(outline[i].x - outline[i - 1].x, outline[i].z - outline[i - 1].z);
            row.push_back(rim.Add(outline[i], along * grain, 0.5f + y * grain));
        }
        rows.push_back(row);
    }
    for (size_t r = 0; r + 1 < rows.size(); r++) {
        size_t m = rows[r].size();
        for (size_t i = 0; i < m; i++) {
            size_t j = (i + 1) % m;
            Vec3 a = rim.vertices[rows[r][i]].p, b = rim.vertices[rows[r + 1][j]].p;
            Vec3 mid = (a + b) * 0.5f;
            Vec3 out = {mid.x, 0, mid.z};
            if (r + 2 == rows.size())
                out = {0, -1, 0};  // the underside faces down
            else if (r < 4)
                out = out + Vec3{0, 8.0f * (4 - r), 0};
            rim.Quad(rows[r][i], rows[r][j], rows[r + 1][j], rows[r + 1][i], out);
        }
    }
    // Close the underside inside the last ring.
    unsigned under = rim.Add({0, -thick, 0}, 0.5f, 0.5f);
    const std::vector<unsigned> &last = rows.back();
    for (size_t i = 0; i < last.size(); i++)
        rim.Triangle(under, last[i], last[(i + 1) % last.size()], {0, -1, 0});
    model.parts.push_back(rim);

    // 3. Apron boards under the top, set in from the edge.
    Part apron;
    apron.name = "03apron";
    apron.material = "walnut";
    const float a = 17.5f, at = 0.8f, ay0 = -thick - 4.0f, ay1 = -thick;
    apron.Box({-a, ay0, -a}, {a, ay1, -a + at}, 22);
    apron.Box({-a, ay0, a - at}, {a, ay1, a}, 22);
    apron.Box({-a, ay0, -a + at}, {-a + at, ay1, a - at}, 22);
    apron.Box({a - at, ay0, -a + at}, {a, ay1, a - at}, 22);
    model.parts.push_back(apron);

    // 4. Legs.
    Part legs;
    legs.name = "04legs";
    legs.material = "walnut";
    for (int i = 0; i < 4; i++) {
        float x = (i & 1) ? 16.8f : -16.8f, z = (i & 2) ? 16.8f : -16.8f;
        legs.TaperedLeg({x, -thick, z}, 1.4f, floorY, 0.8f);
    }
    model.parts.push_back(legs);
    return model;
}

// ------------------------------------------------------------------ room

// The room: panelled floor with a rug, warm papered walls with a skirting,
// a ceiling, and a pendant lamp above the table. The scene is drawn 0.5
// below its own coordinates, so heights here are 0.5 above the world's.
Model Background() {
    Model model;
    model.ambient[0] = 0.3f;
    model.ambient[1] = 0.27f;
    model.ambient[2] = 0.24f;
    model.materials.push_back(Material("floor", "floor.png", 0.7f, 0.9f, 0.2f, 20));
    model.materials.push_back(Material("rug", "rug.png", 0.75f, 0.95f, 0.0f, 5));
    model.materials.push_back(Material("wall", "wall.png", 0.75f, 0.9f, 0.0f, 5));
    model.materials.push_back(Material("ceiling", "ceiling.png", 0.8f, 0.9f, 0.0f, 5));
    model.materials.push_back(Material("skirting", "wood.png", 0.6f, 0.8f, 0.3f, 20));
    model.materials.push_back(Material("brass", "brass.png", 0.6f, 0.9f, 0.9f, 60));
    MaterialDef shade = Material("shade", "shade.png", 1.0f, 1.0f, 0.0f, 5);
    shade.selfIllum = true;
    shade.twoSided = true;
    model.materials.push_back(shade);
    MaterialDef bulb = Material("bulb", "", 1.0f, 1.0f, 0.0f, 5);
    bulb.diffuse[2] = bulb.ambient[2] = 0.8f;
    bulb.selfIllum = true;
    model.materials.push_back(bulb);

    const float r = 90.0f, floorY = -29.5f, ceilY = 60.5f, h = ceilY - floorY;
    Part floor;
    floor.name = "floor";
    floor.material = "floor";
    floor.Grid({-r, floorY, -r}, {2 * r, 0, 0}, {0, 0, 2 * r}, 16, 16, {0, 1, 0}, 0, 0, 9, 9);
    model.parts.push_back(floor);

    Part rug;
    rug.name = "rug";
    rug.material = "rug";
    const float rh = 42.0f, ry = floorY + 0.3f;
    rug.Grid({-rh, ry, -rh}, {2 * rh, 0, 0}, {0, 0, 2 * rh}, 8, 8, {0, 1, 0}, 0, 0, 1, 1);
    model.parts.push_back(rug);

    Part walls;
    walls.name = "walls";
    walls.material = "wall";
    const float rep = 2 * r / 15.0f, repH = h / 15.0f;
    walls.Grid({-r, floorY, -r}, {2 * r, 0, 0}, {0, h, 0}, 12, 6, {0, 0, 1}, 0, 0, rep, repH);
    walls.Grid({-r, floorY, r}, {2 * r, 0, 0}, {0, h, 0}, 12, 6, {0, 0, -1}, 0, 0, rep, repH);
    walls.Grid({-r, floorY, -r}, {0, 0, 2 * r}, {0, h, 0}, 12, 6, {1, 0, 0}, 0, 0, rep, repH);
    walls.Grid({r, floorY, -r}, {0, 0, 2 * r}, {0, h, 0}, 12, 6, {-1, 0, 0}, 0, 0, rep, repH);
    model.parts.push_back(walls);

    Part skirting;
    skirting.name = "skirting";
    skirting.material = "skirting";
    const float st = 0.8f, sh = 5.0f;
    skirting.Box({-r, floorY, -r}, {r, floorY + sh, -r + st}, 22);
    skirting.Box({-r, floorY, r - st}, {r, floorY + sh, r}, 22);
    skirting.Box({-r, floorY, -r + st}, {-r + st, floorY + sh, r - st}, 22);
    skirting.Box({r - st, floorY, -r + st}, {r, floorY + sh, r - st}, 22);
    model.parts.push_back(skirting);

    // Wood panelling on the lower walls, capped by a rail.
    Part panels;
    panels.name = "wainscot";
    panels.material = "skirting";
    const float pt = 0.5f, ph = 16.0f, rail = 1.2f;
    for (int side = 0; side < 4; side++) {
        const float in = r - st;  // panels stand on the skirting's face
        Vec3 lo, hi;
        switch (side) {
            case 0:
                lo = {-in, floorY + sh, -in};
                hi = {in, floorY + ph, -in + pt};
                break;
            case 1:
                lo = {-in, floorY + sh, in - pt};
                hi = {in, floorY + ph, in};
                break;
            case 2:
                lo = {-in, floorY + sh, -in + pt};
                hi = {-in + pt, floorY + ph, in - pt};
                break;
            default:
                lo = {in - pt, floorY + sh, -in + pt};
                hi = {in, floorY + ph, in - pt};
                break;
        }
        panels.Box(lo, hi, 22);
        Vec3 rlo = lo + Vec3{side == 2 ? 0.0f : 0, ph - sh, 0}, rhi = hi + Vec3{0, rail, 0};
        // The rail stands a little proud of the panels.
        if (side == 0) rhi.z += 0.5f;
        if (side == 1) rlo.z -= 0.5f;
        if (side == 2) rhi.x += 0.5f;
        if (side == 3) rlo.x -= 0.5f;
        panels.Box(rlo, rhi, 22);
    }
    model.parts.push_back(panels);

    Part ceiling;
    ceiling.name = "ceiling";
    ceiling.material = "ceiling";
    ceiling.Grid({-r, ceilY, -r}, {2 * r, 0, 0}, {0, 0, 2 * r}, 12, 12, {0, -1, 0}, 0, 0, 6, 6);
    model.parts.push_back(ceiling);

    // Pendant lamp, a little off the table's centre.
    const Vec3 lamp = {4.0f, 40.5f, -3.0f};
    Part fittings;
    fittings.name = "lampfit";
    fittings.material = "brass";
    fittings.Lathe(lamp, {{0.15f, 1.0f}, {0.15f, ceilY - lamp.y - 2.0f}}, 8, true);  // cord
    fittings.Lathe(lamp, {{0.01f, 1.0f}, {0.9f, 1.2f}, {0.9f, 3.4f}, {0.5f, 4.0f}, {0.2f, 4.1f}},
                   16, true);
    fittings.Lathe({lamp.x, ceilY, lamp.z}, {{3.0f, -0.01f}, {3.0f, -0.6f}, {0.01f, -0.8f}}, 20,
                   true);
    model.parts.push_back(fittings);

    Part shadePart;
    shadePart.name = "lampshad";
    shadePart.material = "shade";
    shadePart.Lathe(lamp, {{8.0f, -2.5f}, {7.4f, -1.0f}, {5.5f, 2.0f}, {3.2f, 4.5f}}, 32, true);
    model.parts.push_back(shadePart);

    Part bulbPart;
    bulbPart.name = "lampbulb";
    bulbPart.material = "bulb";
    std::vector<std::pair<float, float>> sphere;
    for (int k = 0; k <= 8; k++) {
        float a = -kPi / 2 + kPi * k / 8;
        sphere.push_back({1.3f * std::cos(a) + 0.001f, 1.3f * std::sin(a)});
    }
    bulbPart.Lathe(lamp, sphere, 16, true);
    model.parts.push_back(bulbPart);

    // Lights in name order: a cool fill from the far corner, then the lamp,
    // which, being last, is the one the board's shadows come from.
    model.lights.push_back({"light1", {-60.0f, 45.0f, 70.0f}, {0.32f, 0.33f, 0.4f}});
    model.lights.push_back({"light2", {lamp.x, lamp.y - 0.5f, lamp.z}, {1.0f, 0.86f, 0.66f}});
    return model;
}

// ------------------------------------------------------------------ seeds

// Small scenes covering every kind of record the importer reads.
bool WriteSeeds(const std::string &dir) {
    Model tri;
    tri.materials.push_back(Material("m", "t.png", 0.5f, 0.8f, 0.1f, 10));
    Part p;
    p.name = "tri";
    p.material = "m";
    unsigned a = p.Add({0, 0, 0}, 0, 0), b = p.Add({1, 0, 0}, 1, 0), c = p.Add({0, 0, 1}, 0, 1);
    p.Triangle(a, b, c, {0, 1, 0});
    tri.parts.push_back(p);
    tri.lights.push_back({"l", {1, 2, 3}, {1, 1, 1}});
    tri.cameras.push_back({"cam", {0, 5, -5}, {0, 0, 0}, 0, 45});
    Model box;
    box.materials.push_back(Material("plain", "", 0.5f, 0.8f, 0.1f, 10));
    Part q;
    q.name = "box";
    q.material = "plain";
    q.Box({-1, -1, -1}, {1, 1, 1}, 2);
    box.parts.push_back(q);
    return tri.Save(dir + "/triangle.3ds") && box.Save(dir + "/box.3ds") &&
           Domino().Save(dir + "/domino.3ds");
}

}  // namespace

int main(int argc, char **argv) {
    if (argc > 2 && strcmp(argv[1], "--seeds") == 0) {
        if (!platform::MakeDirs(argv[2])) return 1;
        return WriteSeeds(argv[2]) ? 0 : 1;
    }
    std::string root = argc > 1 ? argv[1] : ".";
    std::string dir = root + "/data/gfx/3d";
    if (!platform::MakeDirs(dir)) {
        fprintf(stderr, "modelgen: cannot create %s\n", dir.c_str());
        return 1;
    }
    bool ok = Domino().Save(dir + "/domino.3ds") && Table().Save(dir + "/table.3ds") &&
              Background().Save(dir + "/background.3ds");
    return ok ? 0 : 1;
}
