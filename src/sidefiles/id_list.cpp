#include "sidefiles/id_list.h"

#include "gxt/gxt.h"
#include "sidefiles/side_file.h"
#include "support/text.h"

int importIds(const char* path) {
    waitIndexWorker();
    SideFileContent content;
    int code = readSideFile(path, 4000, content);
    if (code) return code;
    // A document whose load failed has a heap but no keys to name.
    const uint32_t limit = gDocument.loaded ? gDocument.keyNameLimit : 0;
    if (limit > 0) {
        char token[kNameFieldSize + 1];
        uint32_t pos = 0;
        while (nextNameToken(content, &pos, token, limit) > 0)
            if (GxtEntry* e = findEntry(token, 0)) setEntryName(e, token);
    }
    releaseSideFile(content);
    return 0;
}

namespace {

// One table's share of the exported file.
struct TableNames {
    uint32_t size;
    char* bytes;
};

void releaseNames(TableNames* list, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) documentFree(list[i].bytes);
    documentFree(list);
}

}  // namespace

int exportIds(const char* path) {
    if (!path) return 5000;
    waitIndexWorker();
    const GxtDocument& d = gDocument;
    if (!d.loaded) return 5001;
    // One record more than tables, so that a document of no tables still
    // gets a block of its own.
    TableNames* list = static_cast<TableNames*>(documentAlloc(sizeof(TableNames) * ((size_t)d.tableCount + 1)));
    if (!list) return 5001;
    for (uint32_t i = 0; i < d.tableCount; ++i) {
        const GxtTable& t = d.tables[i];
        uint64_t size = 0;
        for (uint32_t r = 0; r < t.entryCount; ++r)
            if (const char* name = entryName(tableRow(t, r))) size += textLength(name) + 2;
        if (size == 0) continue;
        char* bytes = static_cast<char*>(documentAlloc((size_t)size));
        if (!bytes) {
            releaseNames(list, i);
            return 5002;
        }
        uint32_t at = 0;
        for (uint32_t r = 0; r < t.entryCount; ++r) {
            const char* name = entryName(tableRow(t, r));
            if (!name) continue;
            at += copyText(bytes + at, name);
            bytes[at++] = '\r';
            bytes[at++] = '\n';
        }
        list[i] = TableNames{at, bytes};
    }
    int result = 0;
    PlatformFile* file = fileCreateReplacing(path);
    if (!file) {
        result = 5003;
    } else {
        for (uint32_t i = 0; i < d.tableCount && result == 0; ++i)
            if (list[i].size && !fileWrite(file, list[i].bytes, list[i].size)) result = 5004;
        if (result) fileClose(file);
        else if (!fileFinish(file)) result = 5004;
    }
    releaseNames(list, d.tableCount);
    return result;
}
