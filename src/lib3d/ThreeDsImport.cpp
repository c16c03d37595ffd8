#include "lib3d/ThreeDsImport.h"

#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <cstdio>
#include <cstring>

#include "lib3d/ThreeDsCheck.h"

namespace lib3d {

const float kThreeDsToEngine[16] = {
    1, 0, 0,  0,  //
    0, 0, -1, 0,  //
    0, 1, 0,  0,  //
    0, 0, 0,  1,
};

namespace {

// lib3ds reads through these callbacks from the very bytes that were
// checked, so the file cannot change between the check and the read.
struct MemoryStream {
    const uint8_t *data;
    long size;
    long at;
};

Lib3dsBool StreamError(void *) {
    return LIB3DS_FALSE;
}

long StreamSeek(void *self, long offset, Lib3dsIoSeek origin) {
    MemoryStream *s = static_cast<MemoryStream *>(self);
    long base = origin == LIB3DS_SEEK_SET ? 0 : origin == LIB3DS_SEEK_CUR ? s->at : s->size;
    long to = base + offset;
    if (to < 0 || to > s->size) return -1;
    s->at = to;
    return 0;
}

long StreamTell(void *self) {
    return static_cast<MemoryStream *>(self)->at;
}

size_t StreamRead(void *self, void *buffer, size_t size) {
    MemoryStream *s = static_cast<MemoryStream *>(self);
    size_t left = (size_t)(s->size - s->at);
    size_t n = size < left ? size : left;
    memcpy(buffer, s->data + s->at, n);
    // lib3ds does not look at short reads: give it zeros, never stale bytes.
    memset(static_cast<uint8_t *>(buffer) + n, 0, size - n);
    s->at += (long)n;
    return n;
}

size_t StreamWrite(void *, const void *, size_t) {
    return 0;
}

void Convert(const float in[3], float out[3]) {
    const float *m = kThreeDsToEngine;
    float x = in[0], y = in[1], z = in[2];
    for (int k = 0; k < 3; k++) out[k] = x * m[k] + y * m[4 + k] + z * m[8 + k] + m[12 + k];
}

class Reader {
public:
    Reader(Lib3dsFile *file, int what, ThreeDsData &out, char *error, size_t errorSize)
        : file_(file), what_(what), out_(out), error_(error), errorSize_(errorSize) {}

    bool Run();

private:
    bool Node(Lib3dsNode *node, int depth);
    bool Mesh(Lib3dsMesh *mesh, const char *name);
    void Light(Lib3dsLight *light, const char *name);
    void Camera(Lib3dsCamera *camera, const char *name);
    int MaterialIndex(const char *name);

    Lib3dsFile *file_;
    int what_;
    ThreeDsData &out_;
    char *error_;
    size_t errorSize_;
    int visited_ = 0;
};

bool Reader::Run() {
    for (int k = 0; k < 3; k++) out_.ambient[k] = file_->ambient[k];
    if (file_->nodes) {
        for (Lib3dsNode *n = file_->nodes; n; n = n->next)
            if (!Node(n, 0)) return false;
        return true;
    }
    // A file without a keyframer section (some exporters write none) still
    // has its objects: take them in the file's order.
    if (what_ & kThreeDsLights)
        for (Lib3dsLight *l = file_->lights; l; l = l->next) Light(l, l->name);
    if (what_ & kThreeDsCameras)
        for (Lib3dsCamera *c = file_->cameras; c; c = c->next) Camera(c, c->name);
    if (what_ & kThreeDsMeshes)
        for (Lib3dsMesh *m = file_->meshes; m; m = m->next)
            if (!Mesh(m, m->name)) return false;
    return true;
}

// Nodes are taken depth first: a node, then its children, then the next.
bool Reader::Node(Lib3dsNode *node, int depth) {
    // The checked file cannot loop, but a bound costs nothing.
    if (depth > 64 || ++visited_ > 65536) {
        snprintf(error_, errorSize_, "node tree too deep or too large");
        return false;
    }
    if (node->type == LIB3DS_LIGHT_NODE && (what_ & kThreeDsLights)) {
        if (Lib3dsLight *l = lib3ds_file_light_by_name(file_, node->name)) Light(l, node->name);
    } else if (node->type == LIB3DS_CAMERA_NODE && (what_ & kThreeDsCameras)) {
        if (Lib3dsCamera *c = lib3ds_file_camera_by_name(file_, node->name)) Camera(c, node->name);
    } else if (node->type == LIB3DS_OBJECT_NODE && (what_ & kThreeDsMeshes)) {
        if (Lib3dsMesh *m = lib3ds_file_mesh_by_name(file_, node->name))
            if (!Mesh(m, node->name)) return false;
    }
    for (Lib3dsNode *c = node->childs; c; c = c->next)
        if (!Node(c, depth + 1)) return false;
    return true;
}

bool Reader::Mesh(Lib3dsMesh *mesh, const char *name) {
    ThreeDsMesh result;
    result.name = name;
    result.geometry = std::make_unique<Geometry>();
    Geometry &g = *result.geometry;
    if (!g.Allocate((int)mesh->points, (int)mesh->faces)) {
        snprintf(error_, errorSize_, "mesh %s: %u points are too many", name, mesh->points);
        return false;
    }
    for (Lib3dsDword i = 0; i < mesh->points; i++) {
        const float *p = mesh->pointL[i].pos;
        g.SetVertex((int)i, p[0], p[1], p[2]);
        if (i < mesh->texels) g.SetTexCoord((int)i, mesh->texelL[i][0], -mesh->texelL[i][1]);
    }
    for (Lib3dsDword i = 0; i < mesh->faces; i++) {
        const Lib3dsWord *p = mesh->faceL[i].points;
        if (!g.SetTriangle((int)i, p[0], p[2], p[1])) {
            snprintf(error_, errorSize_, "mesh %s: face %u uses a point past the %u points", name,
                     i, mesh->points);
            return false;
        }
    }
    g.Finish();
    g.Transform(kThreeDsToEngine);
    if (mesh->faces > 0) {
        char material[sizeof mesh->faceL[0].material];
        snprintf(material, sizeof material, "%s", mesh->faceL[0].material);
        result.material = MaterialIndex(material);
    }
    out_.order.push_back({ThreeDsItem::kMesh, (int)out_.meshes.size()});
    out_.meshes.push_back(std::move(result));
    return true;
}

int Reader::MaterialIndex(const char *name) {
    for (size_t i = 0; i < out_.materials.size(); i++)
        if (out_.materials[i].name == name) return (int)i;
    ThreeDsMaterial m;
    m.name = name;
    if (Lib3dsMaterial *src = lib3ds_file_material_by_name(file_, name)) {
        char texture[sizeof src->texture1_map.name];
        snprintf(texture, sizeof texture, "%s", src->texture1_map.name);
        m.texture = texture;
        // Alpha is the opacity: a file's transparency of 0 is a solid colour.
        float opacity = 1.0f - src->transparency;
        for (int k = 0; k < 3; k++) {
            m.ambient[k] = src->ambient[k];
            m.diffuse[k] = src->diffuse[k];
        }
        m.ambient[3] = m.diffuse[3] = opacity;
        m.lit = !src->self_illum;
        m.twoSided = src->two_sided != 0;
    }
    out_.materials.push_back(m);
    return (int)out_.materials.size() - 1;
}

void Reader::Light(Lib3dsLight *light, const char *name) {
    ThreeDsLight l;
    l.name = name;
    Convert(light->position, l.position);
    for (int k = 0; k < 3; k++) l.colour[k] = light->color[k];
    out_.order.push_back({ThreeDsItem::kLight, (int)out_.lights.size()});
    out_.lights.push_back(l);
}

void Reader::Camera(Lib3dsCamera *camera, const char *name) {
    ThreeDsCamera c;
    c.name = name;
    Convert(camera->position, c.position);
    Convert(camera->target, c.target);
    c.roll = camera->roll;
    c.fov = camera->fov;
    out_.order.push_back({ThreeDsItem::kCamera, (int)out_.cameras.size()});
    out_.cameras.push_back(c);
}

}  // namespace

// lib3ds records the nesting of the chunks it is reading as two characters
// per level in one static 128-byte buffer, and a read that fails part way
// never takes its levels off again. Each failed read may leave as many levels
// behind as a checked file can nest, and enough of them would overflow that
// buffer inside lib3ds. So the levels possibly left behind are counted here,
// and once another deep read could overflow the buffer, no more files are
// handed to lib3ds in this run.
namespace {
constexpr int kLib3dsLevelRoom = 63;                  // 127 characters and the end
constexpr int kLevelsPerRead = kThreeDsMaxDepth + 4;  // the file's nesting and lib3ds's own
int g_lib3dsLevelsLeft = 0;
}  // namespace

bool ThreeDsRead(const uint8_t *data, size_t size, int what, ThreeDsData &out, char *error,
                 size_t errorSize) {
    if (!ThreeDsCheck(data, size, error, errorSize)) return false;
    if (g_lib3dsLevelsLeft + kLevelsPerRead > kLib3dsLevelRoom) {
        snprintf(error, errorSize, "3DS reading disabled after earlier unreadable files");
        return false;
    }
    MemoryStream stream = {data, (long)size, 0};
    Lib3dsIo *io =
        lib3ds_io_new(&stream, StreamError, StreamSeek, StreamTell, StreamRead, StreamWrite);
    Lib3dsFile *file = io ? lib3ds_file_new() : nullptr;
    if (!file) {
        if (io) lib3ds_io_free(io);
        snprintf(error, errorSize, "out of memory");
        return false;
    }
    bool ok = lib3ds_file_read(file, io) != 0;
    lib3ds_io_free(io);
    if (!ok) {
        g_lib3dsLevelsLeft += kLevelsPerRead;
        snprintf(error, errorSize, "not a readable 3DS file");
        lib3ds_file_free(file);
        return false;
    }
    ThreeDsData result;
    ok = Reader(file, what, result, error, errorSize).Run();
    lib3ds_file_free(file);
    if (ok) out = std::move(result);
    return ok;
}

bool ThreeDsReadFile(const char *path, int what, ThreeDsData &out, char *error, size_t errorSize) {
    std::vector<uint8_t> bytes;
    return ThreeDsReadBytes(path, bytes, error, errorSize) &&
           ThreeDsRead(bytes.data(), bytes.size(), what, out, error, errorSize);
}

}  // namespace lib3d
