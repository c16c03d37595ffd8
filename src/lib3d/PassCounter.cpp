#include "lib3d/PassCounter.h"

#include "device/Device.h"

namespace lib3d {

void PassCounter::Begin(const char *name) {
    End();
    if (!name) name = "";
    int index = -1;
    for (size_t i = 0; i < passes_.size(); ++i) {
        if (passes_[i].name == name) index = static_cast<int>(i);
    }
    if (index < 0) {
        passes_.push_back(Pass{name, 0});
        index = static_cast<int>(passes_.size()) - 1;
    }
    if (!device_ || !device_->BeginSampleCount()) {
        ok_ = false;
        return;
    }
    running_ = index;
    started_ = std::chrono::steady_clock::now();
}

void PassCounter::End() {
    if (running_ < 0) return;
    uint64_t samples = 0;
    if (device_->EndSampleCount(&samples)) {
        passes_[running_].samples += samples;
        passes_[running_].ms +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_)
                .count();
    } else {
        ok_ = false;
    }
    running_ = -1;
}

void PassCounter::Clear() {
    End();
    passes_.clear();
    ok_ = true;
}

uint64_t PassCounter::Samples(const char *name) const {
    for (const Pass &p : passes_) {
        if (name && p.name == name) return p.samples;
    }
    return 0;
}

uint64_t PassCounter::Total() const {
    uint64_t total = 0;
    for (const Pass &p : passes_) total += p.samples;
    return total;
}

}  // namespace lib3d
