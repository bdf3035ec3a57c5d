// Fault injection shared by both platform implementations.
#include "platform/platform.h"

#include <atomic>

namespace {
std::atomic<uint32_t> gArmed[FAULT_POINT_COUNT];
std::atomic<uint32_t> gCalls[FAULT_POINT_COUNT];
std::atomic<int32_t> gOpenFiles;
}  // namespace

void faultArm(FaultPoint point, uint32_t nth) {
    gArmed[point].store(nth == 0 ? 0 : gCalls[point].load() + nth);
}

void faultReset() {
    for (int i = 0; i < FAULT_POINT_COUNT; ++i) {
        gArmed[i].store(0);
        gCalls[i].store(0);
    }
}

uint32_t faultCalls(FaultPoint point) { return gCalls[point].load(); }

bool faultHit(FaultPoint point) {
    uint32_t call = gCalls[point].fetch_add(1) + 1;
    uint32_t armed = gArmed[point].load();
    if (armed != 0 && call == armed) {
        gArmed[point].store(0);
        return true;
    }
    return false;
}

uint32_t openFileCount() { return (uint32_t)gOpenFiles.load(); }

void countOpenFile(int change) { gOpenFiles.fetch_add(change); }
