// Building blocks for the game's .3ds scenes. Shapes are described in the
// game's world axes (y up, the table top at y = 0) and written in the file's
// axes (z up), the inverse of the importer's conversion: file (x, y, z) =
// world (x, -z, y). Every triangle is stored counter-clockwise seen from
// outside, as 3D modelling tools do.
#pragma once

#include <string>
#include <vector>

struct Vec3 {
    float x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float k);
Vec3 Cross(Vec3 a, Vec3 b);
float Dot(Vec3 a, Vec3 b);

struct Vertex {
    Vec3 p;
    float u, v;  // v as in the image: 0 at the top row
};

struct Part {
    std::string name;      // node and mesh name (the importer's lists follow name order)
    std::string material;  // every face of a part uses one material
    std::vector<Vertex> vertices;
    std::vector<unsigned> indices;  // three per triangle

    unsigned Add(Vec3 p, float u, float v);
    // Adds a triangle whose front faces `outward` (its winding is chosen so).
    void Triangle(unsigned a, unsigned b, unsigned c, Vec3 outward);
    void Quad(unsigned a, unsigned b, unsigned c, unsigned d, Vec3 outward);
    // A grid of (na x nb) quads from `origin` along edges ea and eb, facing
    // `outward`, textured with uv(origin) = (u0, v0) and `repeatA`/`repeatB`
    // repetitions along the edges.
    void Grid(Vec3 origin, Vec3 ea, Vec3 eb, int na, int nb, Vec3 outward, float u0, float v0,
              float repeatA, float repeatB);
    // A closed box between two opposite corners (axis aligned), texture
    // repeated every `texel` world units, top and bottom included.
    void Box(Vec3 lo, Vec3 hi, float texel);
    // A surface of revolution about the vertical axis through `centre`:
    // profile points are (radius, height) pairs, `sides` segments around.
    // Normals face away from the axis when `outwardFromAxis`, else toward it.
    void Lathe(Vec3 centre, const std::vector<std::pair<float, float>> &profile, int sides,
               bool outwardFromAxis);
    // A tapered leg: a box whose bottom face is smaller than its top face.
    void TaperedLeg(Vec3 top, float topHalf, float bottomY, float bottomHalf);
};

struct MaterialDef {
    std::string name;
    std::string texture;  // file name beside the scene, empty for none
    float ambient[3], diffuse[3], specular[3];
    float shininess;
    bool selfIllum, twoSided;
};

struct LightDef {
    std::string name;
    Vec3 position;  // world axes
    float colour[3];
};

struct CameraDef {
    std::string name;
    Vec3 position, target;  // world axes
    float roll, fov;
};

struct Model {
    float ambient[3] = {0.2f, 0.2f, 0.2f};
    std::vector<MaterialDef> materials;
    std::vector<Part> parts;
    std::vector<LightDef> lights;
    std::vector<CameraDef> cameras;

    // Writes the file through lib3ds; false (with a message) on failure.
    bool Save(const std::string &path) const;
};

// A rounded rectangle outline in the x-z plane, in order of increasing angle
// about its centre, `perCorner` segments for each corner arc.
std::vector<Vec3> RoundedRect(float cx, float cz, float halfX, float halfZ, float radius,
                              int perCorner, float y);
