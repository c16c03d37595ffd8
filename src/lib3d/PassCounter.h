#pragma once
// Counts, pass by pass, the fragments a frame writes: the samples that pass
// the depth and stencil tests while each named pass is drawn. The counts do
// not depend on how busy the machine is, so they show what a change to the
// drawing costs or saves without timing noise. Counting waits for the
// drawing after every pass: for measurements only. Since it waits, it also
// times each pass from its first call to the end of its drawing (submission
// and rasterising, one after the other, where a normal frame overlaps some).

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace device {
class Device;
}

namespace lib3d {

class PassCounter {
public:
    struct Pass {
        std::string name;
        uint64_t samples = 0;
        double ms = 0.0;  // wall time, drawn to the end
    };

    explicit PassCounter(device::Device *device) : device_(device) {}
    ~PassCounter() { End(); }
    PassCounter(const PassCounter &) = delete;
    PassCounter &operator=(const PassCounter &) = delete;

    // Ends the pass being counted and starts counting `name`; a name seen
    // before adds to its earlier count, keeping the order of first use.
    void Begin(const char *name);
    // Ends the pass being counted, if any.
    void End();
    // Forgets every count (ending the running pass first).
    void Clear();

    const std::vector<Pass> &Passes() const { return passes_; }
    // Samples of the named pass; 0 for a name never counted.
    uint64_t Samples(const char *name) const;
    uint64_t Total() const;
    // False once a count could not be made (no device, or the context cannot
    // count); the counts are then incomplete.
    bool Ok() const { return ok_; }

private:
    device::Device *device_;
    std::vector<Pass> passes_;
    int running_ = -1;  // index in passes_ of the pass being counted
    std::chrono::steady_clock::time_point started_;
    bool ok_ = true;
};

}  // namespace lib3d
