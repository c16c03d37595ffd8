#include "lib3d/Scene.h"

#include <cstdio>
#include <cstring>

#include "lib3d/Engine.h"
#include "lib3d/Matrix.h"

namespace lib3d {

Scene::Scene(Engine *owner) : engine(owner) {
    Matrix::Identity(matrix);
}

Scene::~Scene() {
    Clear();
}

int Scene::Load(const char *folder, const char *fileName, int what) {
    std::string full = std::string(folder ? folder : "") + (fileName ? fileName : "");
    ThreeDsData data;
    char error[256] = "";
    if (!ThreeDsReadFile(full.c_str(), what, data, error, sizeof error)) {
        fprintf(stderr, "Scene not loaded : %s (%s)\n", full.c_str(), error);
        return 0;
    }
    path = full;
    memcpy(ambient, data.ambient, sizeof ambient);
    for (const ThreeDsItem &item : data.order) {
        if (item.kind == ThreeDsItem::kLight) {
            const ThreeDsLight &src = data.lights[item.index];
            Light l;
            l.name = src.name;
            memcpy(l.position, src.position, sizeof l.position);
            memcpy(l.colour, src.colour, sizeof l.colour);
            lights.push_back(l);
            continue;
        }
        if (item.kind == ThreeDsItem::kCamera) {
            const ThreeDsCamera &src = data.cameras[item.index];
            SceneCamera c;
            c.name = src.name;
            memcpy(c.position, src.position, sizeof c.position);
            memcpy(c.target, src.target, sizeof c.target);
            c.roll = src.roll;
            c.fov = src.fov;
            cameras.push_back(c);
            continue;
        }
        ThreeDsMesh &src = data.meshes[item.index];
        auto mesh = std::make_unique<class Mesh>(engine);
        mesh->name = src.name;
        mesh->geometry = std::move(*src.geometry);
        mesh->geometry.Finish();  // corners point into the geometry's new home
        if (src.material >= 0) {
            const ThreeDsMaterial &def = data.materials[src.material];
            struct Material *shared = FindMaterial(def.name.c_str());
            if (!shared) {
                auto m = std::make_unique<struct Material>();
                m->name = def.name;
                memcpy(m->ambient, def.ambient, sizeof m->ambient);
                memcpy(m->diffuse, def.diffuse, sizeof m->diffuse);
                m->lit = def.lit;
                m->twoSided = def.twoSided;
                if (!def.texture.empty()) {
                    std::string texture = std::string(folder ? folder : "") + def.texture;
                    m->texture = engine ? LoadMaterialTexture(*engine, texture.c_str()) : -1;
                    if (m->texture < 0) {
                        if (!engine) fprintf(stderr, "Texture not found : %s\n", texture.c_str());
                        return 0;
                    }
                }
                shared = m.get();
                materials.push_back(std::move(m));
            }
            mesh->material = shared;
        }
        meshCount++;
        meshes.push_back(std::move(mesh));
    }
    return 1;
}

void Scene::BuildBuffers() {
    for (auto &mesh : meshes) {
        struct Material *m = mesh->material;
        uint32_t layout = (m && m->texture >= 0) ? (kLayoutPosition | kLayoutCornerUV | kLayoutUV)
                                                 : kLayoutPosition;
        if (!m || m->lit) layout |= kLayoutNormal;
        mesh->BuildBuffers(layout);
    }
}

void Scene::Draw() {
    engine->SetWorld(matrix);
    for (auto &mesh : meshes) mesh->Draw();
}

void Scene::DrawWith(const float m[16]) {
    float world[16];
    Matrix::Multiply(m, matrix, world);
    engine->SetWorld(world);
    for (auto &mesh : meshes) {
        engine->SetState(Depth::Off);
        mesh->DrawDirect();
        engine->SetState(Depth::On);
    }
}

void Scene::Transform(const float m[16]) {
    for (auto &mesh : meshes) mesh->geometry.Transform(m);
}

void Scene::SetMatrix(const float m[16]) {
    memcpy(matrix, m, sizeof matrix);
}

class Mesh *Scene::Mesh(int i) {
    return i >= 0 && i < (int)meshes.size() ? meshes[i].get() : nullptr;
}

struct Material *Scene::Material(int i) {
    return i >= 0 && i < (int)materials.size() ? materials[i].get() : nullptr;
}

struct Material *Scene::FindMaterial(const char *name) {
    if (!name) return nullptr;
    for (auto &m : materials)
        if (m->name == name) return m.get();
    return nullptr;
}

void Scene::SetVector1(float x, float y, float z) {
    for (auto &mesh : meshes) {
        float *v = mesh->geometry.vector1;
        v[0] = x;
        v[1] = y;
        v[2] = z;
    }
}

void Scene::SetVector2(float x, float y, float z) {
    for (auto &mesh : meshes) {
        float *v = mesh->geometry.vector2;
        v[0] = x;
        v[1] = y;
        v[2] = z;
    }
}

void Scene::Clear() {
    meshes.clear();
    meshCount = 0;
    lights.clear();
    cameras.clear();
    for (auto &m : materials)
        if (engine && m->texture >= 0) engine->ReleaseTexture(m->texture);
    materials.clear();
}

}  // namespace lib3d
