#include "Model.h"

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <cmath>
#include <cstdio>

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

static const float kPi = 3.14159265f;

unsigned Part::Add(Vec3 p, float u, float v) {
    vertices.push_back({p, u, v});
    return (unsigned)vertices.size() - 1;
}

void Part::Triangle(unsigned a, unsigned b, unsigned c, Vec3 outward) {
    Vec3 n = Cross(vertices[b].p - vertices[a].p, vertices[c].p - vertices[a].p);
    if (Dot(n, n) < 1e-14f) return;  // degenerate: nothing to draw
    if (Dot(n, outward) < 0) std::swap(b, c);
    indices.insert(indices.end(), {a, b, c});
}

void Part::Quad(unsigned a, unsigned b, unsigned c, unsigned d, Vec3 outward) {
    Triangle(a, b, c, outward);
    Triangle(a, c, d, outward);
}

void Part::Grid(Vec3 origin, Vec3 ea, Vec3 eb, int na, int nb, Vec3 outward, float u0, float v0,
                float repeatA, float repeatB) {
    unsigned base = (unsigned)vertices.size();
    for (int j = 0; j <= nb; j++)
        for (int i = 0; i <= na; i++) {
            float s = (float)i / na, t = (float)j / nb;
            Add(origin + ea * s + eb * t, u0 + s * repeatA, v0 + t * repeatB);
        }
    for (int j = 0; j < nb; j++)
        for (int i = 0; i < na; i++) {
            unsigned a = base + j * (na + 1) + i;
            Quad(a, a + 1, a + na + 2, a + na + 1, outward);
        }
}

void Part::Box(Vec3 lo, Vec3 hi, float texel) {
    Vec3 d = hi - lo;
    float k = 1.0f / texel;
    // Each face on its own vertices so the edges stay sharp.
    Grid(lo, {d.x, 0, 0}, {0, d.y, 0}, 1, 1, {0, 0, -1}, lo.x * k, lo.y * k, d.x * k, d.y * k);
    Grid({lo.x, lo.y, hi.z}, {d.x, 0, 0}, {0, d.y, 0}, 1, 1, {0, 0, 1}, lo.x * k, lo.y * k, d.x * k,
         d.y * k);
    Grid(lo, {0, 0, d.z}, {0, d.y, 0}, 1, 1, {-1, 0, 0}, lo.z * k, lo.y * k, d.z * k, d.y * k);
    Grid({hi.x, lo.y, lo.z}, {0, 0, d.z}, {0, d.y, 0}, 1, 1, {1, 0, 0}, lo.z * k, lo.y * k, d.z * k,
         d.y * k);
    Grid(lo, {d.x, 0, 0}, {0, 0, d.z}, 1, 1, {0, -1, 0}, lo.x * k, lo.z * k, d.x * k, d.z * k);
    Grid({lo.x, hi.y, lo.z}, {d.x, 0, 0}, {0, 0, d.z}, 1, 1, {0, 1, 0}, lo.x * k, lo.z * k, d.x * k,
         d.z * k);
}

void Part::Lathe(Vec3 centre, const std::vector<std::pair<float, float>> &profile, int sides,
                 bool outwardFromAxis) {
    unsigned base = (unsigned)vertices.size();
    const int rows = (int)profile.size();
    for (int j = 0; j < rows; j++)
        for (int i = 0; i <= sides; i++) {
            float a = 2 * kPi * i / sides;
            float r = profile[j].first;
            Add(centre + Vec3{r * std::cos(a), profile[j].second, r * std::sin(a)},
                (float)i / sides, (float)j / (rows - 1));
        }
    for (int j = 0; j + 1 < rows; j++)
        for (int i = 0; i < sides; i++) {
            float a = 2 * kPi * (i + 0.5f) / sides;
            Vec3 out = {std::cos(a), 0, std::sin(a)};
            // Near the poles the radial direction says little: use the
            // profile's own slope (its normal in the r-y plane).
            float dr = profile[j + 1].first - profile[j].first;
            float dy = profile[j + 1].second - profile[j].second;
            Vec3 n = out * dy + Vec3{0, -dr, 0};
            if (!outwardFromAxis) n = n * -1;
            unsigned a0 = base + j * (sides + 1) + i, b0 = a0 + sides + 1;
            Quad(a0, a0 + 1, b0 + 1, b0, n);
        }
}

void Part::TaperedLeg(Vec3 top, float topHalf, float bottomY, float bottomHalf) {
    const float sx[4] = {-1, 1, 1, -1}, sz[4] = {-1, -1, 1, 1};
    float height = top.y - bottomY;
    for (int s = 0; s < 4; s++) {
        int n = (s + 1) % 4;
        Vec3 t0 = top + Vec3{sx[s] * topHalf, 0, sz[s] * topHalf};
        Vec3 t1 = top + Vec3{sx[n] * topHalf, 0, sz[n] * topHalf};
        Vec3 b0 = {top.x + sx[s] * bottomHalf, bottomY, top.z + sz[s] * bottomHalf};
        Vec3 b1 = {top.x + sx[n] * bottomHalf, bottomY, top.z + sz[n] * bottomHalf};
        Vec3 mid = (t0 + t1 + b0 + b1) * 0.25f;
        Vec3 out = {mid.x - top.x, 0, mid.z - top.z};
        // Grain runs along the leg: v follows the height.
        unsigned a = Add(t0, 0.1f + 0.2f * s, 0), b = Add(t1, 0.3f + 0.2f * s, 0);
        unsigned c = Add(b1, 0.3f + 0.2f * s, height / 8), d = Add(b0, 0.1f + 0.2f * s, height / 8);
        Quad(a, b, c, d, out);
    }
    unsigned f[4];
    for (int s = 0; s < 4; s++)
        f[s] = Add({top.x + sx[s] * bottomHalf, bottomY, top.z + sz[s] * bottomHalf}, 0.5f, 0.5f);
    Quad(f[0], f[1], f[2], f[3], {0, -1, 0});
}

std::vector<Vec3> RoundedRect(float cx, float cz, float halfX, float halfZ, float radius,
                              int perCorner, float y) {
    std::vector<Vec3> out;
    const float qx[4] = {1, -1, -1, 1}, qz[4] = {1, 1, -1, -1};
    for (int q = 0; q < 4; q++) {
        float ox = cx + qx[q] * (halfX - radius), oz = cz + qz[q] * (halfZ - radius);
        for (int k = 0; k <= perCorner; k++) {
            float a = (q + (float)k / perCorner) * kPi * 0.5f;
            out.push_back({ox + radius * std::cos(a), y, oz + radius * std::sin(a)});
        }
    }
    return out;
}

// ------------------------------------------------------------------ writing

static void CopyName(char *dst, size_t size, const std::string &src) {
    snprintf(dst, size, "%s", src.c_str());
}

static void ToFile(Vec3 p, float out[3]) {
    out[0] = p.x;
    out[1] = -p.z;
    out[2] = p.y;
}

static Lib3dsMesh *MakeMesh(const Part &part) {
    Lib3dsMesh *mesh = lib3ds_mesh_new(part.name.c_str());
    if (!mesh) return nullptr;
    unsigned n = (unsigned)part.vertices.size(), faces = (unsigned)part.indices.size() / 3;
    if (!lib3ds_mesh_new_point_list(mesh, n) || !lib3ds_mesh_new_texel_list(mesh, n) ||
        !lib3ds_mesh_new_face_list(mesh, faces)) {
        lib3ds_mesh_free(mesh);
        return nullptr;
    }
    for (unsigned i = 0; i < n; i++) {
        ToFile(part.vertices[i].p, mesh->pointL[i].pos);
        mesh->texelL[i][0] = part.vertices[i].u;
        mesh->texelL[i][1] = 1.0f - part.vertices[i].v;  // the file's v grows upward
    }
    for (unsigned f = 0; f < faces; f++) {
        Lib3dsFace &face = mesh->faceL[f];
        for (int k = 0; k < 3; k++) face.points[k] = (Lib3dsWord)part.indices[f * 3 + k];
        CopyName(face.material, sizeof face.material, part.material);
        face.flags = LIB3DS_FACE_FLAG_VIS_AB | LIB3DS_FACE_FLAG_VIS_BC | LIB3DS_FACE_FLAG_VIS_AC;
        face.smoothing = 1;
    }
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) mesh->matrix[i][j] = i == j ? 1.0f : 0.0f;
    return mesh;
}

static Lib3dsMaterial *MakeMaterial(const MaterialDef &def) {
    Lib3dsMaterial *m = lib3ds_material_new();
    if (!m) return nullptr;
    CopyName(m->name, sizeof m->name, def.name);
    for (int i = 0; i < 3; i++) {
        m->ambient[i] = def.ambient[i];
        m->diffuse[i] = def.diffuse[i];
        m->specular[i] = def.specular[i];
    }
    m->ambient[3] = m->diffuse[3] = m->specular[3] = 1.0f;
    m->shininess = def.shininess;
    m->transparency = 0.0f;
    m->self_illum = def.selfIllum;
    m->self_ilpct = def.selfIllum ? 100.0f : 0.0f;
    m->two_sided = def.twoSided;
    m->shading = LIB3DS_PHONG;
    if (!def.texture.empty()) {
        CopyName(m->texture1_map.name, sizeof m->texture1_map.name, def.texture);
        m->texture1_map.percent = 1.0f;
        m->texture1_map.scale[0] = m->texture1_map.scale[1] = 1.0f;
    }
    return m;
}

bool Model::Save(const std::string &path) const {
    Lib3dsFile *file = lib3ds_file_new();
    if (!file) return false;
    for (int i = 0; i < 3; i++) file->ambient[i] = ambient[i];
    Lib3dsWord nodeId = 0;
    bool ok = true;
    for (const MaterialDef &def : materials) {
        Lib3dsMaterial *m = MakeMaterial(def);
        if (!m)
            ok = false;
        else
            lib3ds_file_insert_material(file, m);
    }
    for (const Part &part : parts) {
        if (part.vertices.size() > 65535) {
            fprintf(stderr, "modelgen: %s has too many vertices\n", part.name.c_str());
            ok = false;
            continue;
        }
        Lib3dsMesh *mesh = MakeMesh(part);
        Lib3dsNode *node = lib3ds_node_new_object();
        if (!mesh || !node) {
            ok = false;
            continue;
        }
        lib3ds_file_insert_mesh(file, mesh);
        CopyName(node->name, sizeof node->name, part.name);
        node->node_id = nodeId++;
        node->parent_id = LIB3DS_NO_PARENT;
        lib3ds_file_insert_node(file, node);
    }
    for (const LightDef &def : lights) {
        Lib3dsLight *light = lib3ds_light_new(def.name.c_str());
        Lib3dsNode *node = lib3ds_node_new_light();
        if (!light || !node) {
            ok = false;
            continue;
        }
        ToFile(def.position, light->position);
        for (int i = 0; i < 3; i++) light->color[i] = def.colour[i];
        light->multiplier = 1.0f;
        lib3ds_file_insert_light(file, light);
        CopyName(node->name, sizeof node->name, def.name);
        node->node_id = nodeId++;
        node->parent_id = LIB3DS_NO_PARENT;
        for (int i = 0; i < 3; i++) node->data.light.col[i] = def.colour[i];
        ToFile(def.position, node->data.light.pos);
        lib3ds_file_insert_node(file, node);
    }
    for (const CameraDef &def : cameras) {
        Lib3dsCamera *camera = lib3ds_camera_new(def.name.c_str());
        Lib3dsNode *node = lib3ds_node_new_camera();
        if (!camera || !node) {
            ok = false;
            continue;
        }
        ToFile(def.position, camera->position);
        ToFile(def.target, camera->target);
        camera->roll = def.roll;
        camera->fov = def.fov;
        camera->near_range = 0.1f;
        camera->far_range = 1000.0f;
        lib3ds_file_insert_camera(file, camera);
        CopyName(node->name, sizeof node->name, def.name);
        node->node_id = nodeId++;
        node->parent_id = LIB3DS_NO_PARENT;
        lib3ds_file_insert_node(file, node);
    }
    if (ok && !lib3ds_file_save(file, path.c_str())) {
        fprintf(stderr, "modelgen: cannot write %s\n", path.c_str());
        ok = false;
    }
    lib3ds_file_free(file);
    return ok;
}
