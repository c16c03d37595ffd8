#include "ThreeDsFiles.h"

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static void Name(char *dst, size_t size, const std::string &s) {
    snprintf(dst, size, "%s", s.c_str());
}

std::vector<uint8_t> WriteTestScene(const TestScene &scene) {
    Lib3dsFile *file = lib3ds_file_new();
    Lib3dsWord id = 0;
    auto addNode = [&](Lib3dsNode *node, const std::string &name) {
        Name(node->name, sizeof node->name, name);
        node->node_id = id++;
        node->parent_id = LIB3DS_NO_PARENT;
        if (scene.nodes)
            lib3ds_file_insert_node(file, node);
        else
            lib3ds_node_free(node);
    };
    for (const TestMaterial &t : scene.materials) {
        Lib3dsMaterial *m = lib3ds_material_new();
        Name(m->name, sizeof m->name, t.name);
        Name(m->texture1_map.name, sizeof m->texture1_map.name, t.texture);
        for (int k = 0; k < 3; k++) {
            m->ambient[k] = t.ambient;
            m->diffuse[k] = t.diffuse;
        }
        m->transparency = t.transparency;
        m->self_illum = t.selfIllum;
        m->two_sided = t.twoSided;
        lib3ds_file_insert_material(file, m);
    }
    for (const TestMesh &t : scene.meshes) {
        Lib3dsMesh *m = lib3ds_mesh_new(t.name.c_str());
        unsigned points = (unsigned)t.points.size() / 3, faces = (unsigned)t.faces.size() / 3;
        lib3ds_mesh_new_point_list(m, points);
        for (unsigned i = 0; i < points; i++)
            for (int k = 0; k < 3; k++) m->pointL[i].pos[k] = t.points[i * 3 + k];
        if (!t.texels.empty()) {
            lib3ds_mesh_new_texel_list(m, (unsigned)t.texels.size() / 2);
            for (unsigned i = 0; i < t.texels.size() / 2; i++) {
                m->texelL[i][0] = t.texels[i * 2];
                m->texelL[i][1] = t.texels[i * 2 + 1];
            }
        }
        lib3ds_mesh_new_face_list(m, faces);
        for (unsigned i = 0; i < faces; i++) {
            for (int k = 0; k < 3; k++) m->faceL[i].points[k] = (Lib3dsWord)t.faces[i * 3 + k];
            Name(m->faceL[i].material, sizeof m->faceL[i].material, t.material);
        }
        for (int r = 0; r < 4; r++)
            for (int c = 0; c < 4; c++) m->matrix[r][c] = r == c;
        lib3ds_file_insert_mesh(file, m);
        addNode(lib3ds_node_new_object(), t.name);
    }
    for (const TestScene::Light &t : scene.lights) {
        Lib3dsLight *l = lib3ds_light_new(t.name.c_str());
        memcpy(l->position, t.position, sizeof l->position);
        memcpy(l->color, t.colour, sizeof l->color);
        lib3ds_file_insert_light(file, l);
        addNode(lib3ds_node_new_light(), t.name);
    }
    for (const TestScene::Camera &t : scene.cameras) {
        Lib3dsCamera *c = lib3ds_camera_new(t.name.c_str());
        memcpy(c->position, t.position, sizeof c->position);
        memcpy(c->target, t.target, sizeof c->target);
        c->roll = t.roll;
        c->fov = t.fov;
        lib3ds_file_insert_camera(file, c);
        addNode(lib3ds_node_new_camera(), t.name);
    }
    char path[] = "/tmp/marbrix-3ds-XXXXXX";
    int fd = mkstemp(path);
    std::vector<uint8_t> bytes;
    if (fd >= 0) {
        close(fd);
        if (lib3ds_file_save(file, path)) {
            FILE *f = fopen(path, "rb");
            int c;
            while (f && (c = fgetc(f)) != EOF) bytes.push_back((uint8_t)c);
            if (f) fclose(f);
        }
        unlink(path);
    }
    lib3ds_file_free(file);
    return bytes;
}

TestScene SmallScene() {
    TestScene s;
    s.materials.push_back({"skin", "skin.png"});
    TestMesh m;
    m.name = "tri";
    m.points = {1, 2, 3, 4, 2, 3, 1, 6, 3};
    m.texels = {0.25f, 0.75f, 1, 0.75f, 0.25f, 0.5f};
    m.faces = {0, 1, 2};
    m.material = "skin";
    s.meshes.push_back(m);
    s.lights.push_back({"lamp", {1, 2, 3}, {1, 0.5f, 0.25f}});
    s.cameras.push_back({"cam", {0, -10, 5}, {0, 0, 1}, 15, 45});
    return s;
}

bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

uint32_t GetDword(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

void PutWord(std::vector<uint8_t> &b, size_t at, uint16_t v) {
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}

void PutDword(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; k++) b[at + k] = (uint8_t)(v >> (8 * k));
}

static long Find(const std::vector<uint8_t> &b, size_t begin, size_t end, uint16_t id) {
    size_t at = begin;
    while (at + 6 <= end) {
        uint16_t cid = (uint16_t)(b[at] | b[at + 1] << 8);
        uint32_t len = GetDword(b, at + 2);
        if (len < 6 || len > end - at) return -1;
        if (cid == id) return (long)at;
        size_t body = at + 6;
        bool container = cid == 0x4D4D || cid == 0x3D3D || cid == 0x4100 || cid == 0xAFFF ||
                         cid == 0xB000 || (cid >= 0xB001 && cid <= 0xB007) ||
                         (cid >= 0xA010 && cid <= 0xA0FF) || cid == 0xA200;
        if (cid == 0x4000) {  // object name, then chunks
            while (body < at + len && b[body]) body++;
            body++;
            container = true;
        }
        if (cid == 0x4120) {  // face records, then chunks
            body += 2 + (size_t)(b[body] | b[body + 1] << 8) * 8;
            container = true;
        }
        if (container) {
            long found = Find(b, body, at + len, id);
            if (found >= 0) return found;
        }
        at += len;
    }
    return -1;
}

long FindChunk(const std::vector<uint8_t> &file, uint16_t id) {
    return Find(file, 0, file.size(), id);
}
