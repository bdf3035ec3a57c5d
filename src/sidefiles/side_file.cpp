#include "sidefiles/side_file.h"

#include "gxt/gxt.h"

int readSideFile(const char* path, int base, SideFileContent& content, uint32_t limit) {
    content = SideFileContent{};
    if (!gDocument.heap) return base;
    PlatformFile* file = fileOpenRead(path);
    if (!file) return base + 1;
    uint32_t size = 0;
    if (!fileSize(file, &size)) {
        fileClose(file);
        return base + 2;
    }
    if (size >= limit) {
        fileClose(file);
        return base + 3;
    }
    // Zero-filled, one byte longer: the content is always followed by a 0.
    uint8_t* bytes = static_cast<uint8_t*>(documentAlloc((size_t)size + 1));
    if (!bytes) {
        fileClose(file);
        return base + 4;
    }
    uint32_t got = 0;
    if (!fileRead(file, bytes, size + 1, &got)) {
        documentFree(bytes);
        fileClose(file);
        return base + 5;
    }
    fileClose(file);
    // A file that grew since its size was taken is read as far as the size.
    content.bytes = bytes;
    content.size = got < size ? got : size;
    content.bytes[content.size] = 0;
    return 0;
}

void releaseSideFile(SideFileContent& content) {
    documentFree(content.bytes);
    content = SideFileContent{};
}

uint32_t nextNameToken(const SideFileContent& content, uint32_t* pos, char* out, uint32_t limit) {
    uint32_t p = *pos;
    while (p < content.size && !isTokenByte(content.bytes[p])) ++p;
    uint32_t n = 0;
    while (n < limit && p < content.size && isTokenByte(content.bytes[p])) out[n++] = (char)content.bytes[p++];
    out[n] = 0;
    *pos = p;
    return n;
}
