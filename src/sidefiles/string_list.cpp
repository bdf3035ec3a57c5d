#include "sidefiles/string_list.h"

#include "gxt/gxt.h"
#include "sidefiles/side_file.h"

namespace {

// A run longer than this is cut, its rest starting the next name; of what is
// kept, the first kNameKept bytes are looked up.
constexpr uint32_t kNameRun = 33;
constexpr uint32_t kNameKept = 31;

}  // namespace

int loadStringList(const char* path) {
    waitIndexWorker();
    if (gStringList.on) closeStringList();
    SideFileContent content;
    int code = readSideFile(path, 6000, content);
    if (code) return code;
    GxtEntry** rows = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;
    char token[kNameRun + 1];
    uint32_t pos = 0;
    while (nextNameToken(content, &pos, token, kNameRun) > 0) {
        token[kNameKept] = 0;
        GxtEntry* e = findEntry(token, 0);
        if (!e) continue;
        if (count == capacity) {
            uint32_t grown = capacity ? capacity * 2 : 64;
            size_t bytes = sizeof(GxtEntry*) * (size_t)grown;
            void* block = rows ? heapReAlloc(gDocument.heap, kHeapFlags, rows, bytes) : documentAlloc(bytes);
            if (!block) {
                documentFree(rows);
                releaseSideFile(content);
                return 6006;
            }
            rows = static_cast<GxtEntry**>(block);
            capacity = grown;
        }
        rows[count++] = e;
    }
    releaseSideFile(content);
    if (count > 0) {
        gStringList.entries = rows;
        gStringList.count = count;
        gStringList.on = true;
    } else {
        documentFree(rows);
    }
    return 0;
}

int closeStringList() {
    waitIndexWorker();
    if (!gDocument.heap) return 7000;
    if (!gStringList.on) return 7001;
    documentFree(gStringList.entries);
    gStringList = StringListView{};
    return 0;
}
