// What every fuzz target shares: a check that says what failed, and scratch
// files. Header only: each fuzz_*.cpp is an executable of its own.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gxt/gxt.h"

inline void check(bool condition, const char* what = "an invariant does not hold") {
    if (condition) return;
    fprintf(stderr, "fuzz target: %s\n", what);
    abort();
}

// A scratch file, in memory where possible (saving syncs the file to disk,
// which would otherwise make every input wait for the disk); the files are
// removed when the fuzzer exits.
inline std::string scratchPath(const std::string& name) {
    static std::vector<std::string> files;
    static const std::string base = [] {
        atexit([] { for (const std::string& f : files) unlink(f.c_str()); });
        return std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/vorn-fuzz-" +
               std::to_string(getpid()) + "-";
    }();
    files.push_back(base + name);
    return files.back();
}

// Whether the open document builds into exactly these bytes.
inline bool buildsInto(const std::vector<uint8_t>& bytes) {
    uint32_t size = 0;
    uint8_t* image = buildImage(&size);
    const bool same = image && size == bytes.size() && memcmp(image, bytes.data(), size) == 0;
    documentFree(image);
    return same;
}
