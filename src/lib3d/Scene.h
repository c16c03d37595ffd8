// A scene: the meshes, lights, cameras and materials read from one .3ds
// file, drawn under one matrix.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lib3d/SceneCamera.h"
#include "lib3d/Light.h"
#include "lib3d/Material.h"
#include "lib3d/Mesh.h"
#include "lib3d/ThreeDsImport.h"

namespace lib3d {

class Engine;

class Scene {
public:
    explicit Scene(Engine *engine);
    ~Scene();
    Scene(const Scene &) = delete;
    Scene &operator=(const Scene &) = delete;

    // Reads folder + fileName; `what` selects meshes (1), lights (2) and
    // cameras (4). Objects are appended to the scene in the file's node
    // order. Returns 1; 0 when the file cannot be read (the scene is then
    // unchanged, and the reason is on standard error) or a texture cannot be
    // loaded ("Texture not found : <path>"; what was made before stays).
    int Load(const char *folder, const char *fileName, int what);

    // Fills every mesh's buffers: position and texture coordinates for a
    // textured material, position alone otherwise, plus normals when lit.
    void BuildBuffers();

    // World transform = the scene matrix, then every mesh in order.
    void Draw();
    // World transform = m x the scene matrix; every mesh's bare triangles
    // drawn without depth test, with the caller's other states.
    void DrawWith(const float m[16]);
    // Applies a matrix to every mesh's geometry (buffers are not rebuilt).
    void Transform(const float m[16]);

    void SetMatrix(const float m[16]);
    int MeshCount() const { return meshCount; }
    class Mesh *Mesh(int i);
    struct Material *Material(int i);
    int MaterialCount() const { return (int)materials.size(); }
    // Exact, case-sensitive; null when absent.
    struct Material *FindMaterial(const char *name);
    // Write (x, y, z) into the first or second free vector of every mesh's
    // geometry.
    void SetVector1(float x, float y, float z);
    void SetVector2(float x, float y, float z);

    // Destroys meshes, lights and cameras, releases each material's texture
    // slot and destroys the materials.
    void Clear();

    Engine *engine;
    std::string path;  // folder + file name of the last load
    int meshCount = 0;
    std::vector<std::unique_ptr<class Mesh>> meshes;
    std::vector<Light> lights;
    std::vector<SceneCamera> cameras;
    std::vector<std::unique_ptr<struct Material>> materials;
    float ambient[3] = {0, 0, 0};
    float matrix[16];
};

}  // namespace lib3d
