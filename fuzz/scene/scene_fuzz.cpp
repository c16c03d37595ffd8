// Any bytes given to the scene reader are either refused with a reason or
// read into records whose triangles name existing vertices.
#include <cstdint>
#include <cstdlib>

#include "lib3d/ThreeDsImport.h"

using namespace lib3d;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ThreeDsData scene;
    char error[256] = "";
    if (!ThreeDsRead(data, size, kThreeDsMeshes | kThreeDsLights | kThreeDsCameras, scene, error,
                     sizeof error)) {
        if (!error[0]) abort();  // a refusal always says why
        return 0;
    }
    for (const ThreeDsMesh &mesh : scene.meshes) {
        const Geometry &g = *mesh.geometry;
        for (const GeometryTriangle &t : g.triangles)
            for (uint32_t v : t.v)
                if (v >= (uint32_t)g.VertexCount()) abort();
        if (mesh.material >= (int)scene.materials.size()) abort();
    }
    return 0;
}
