#include "lib3d/SphereGrid.h"

#include <cmath>

namespace lib3d {

std::vector<uint16_t> SphereGridIndices(const std::vector<float> &xyz, int rings, int segments) {
    const size_t count = xyz.size() / 3;
    std::vector<uint16_t> weld(count);
    for (size_t i = 0; i < count; i++) {
        weld[i] = static_cast<uint16_t>(i);
        for (size_t j = 0; j < i; j++) {
            const float d = std::fabs(xyz[3 * i] - xyz[3 * j]) +
                            std::fabs(xyz[3 * i + 1] - xyz[3 * j + 1]) +
                            std::fabs(xyz[3 * i + 2] - xyz[3 * j + 2]);
            if (d < 1e-5f) {
                weld[i] = weld[j];
                break;
            }
        }
    }
    std::vector<uint16_t> index;
    for (int r = 0; r < rings; r++) {
        for (int s = 0; s < segments; s++) {
            const int a = r * (segments + 1) + s, b = a + segments + 1;
            const uint16_t q[6] = {weld[a],     weld[b], weld[a + 1],
                                   weld[a + 1], weld[b], weld[b + 1]};
            for (int k = 0; k < 6; k += 3) {
                if (q[k] == q[k + 1] || q[k + 1] == q[k + 2] || q[k] == q[k + 2]) continue;
                index.insert(index.end(), q + k, q + k + 3);
            }
        }
    }
    return index;
}

}  // namespace lib3d
