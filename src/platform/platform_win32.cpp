// Win32 implementation of the platform layer: the real HeapCreate family,
// CreateFileA/ReadFile/WriteFile, MoveFileExA, CharLowerA and CreateThread.
#include "platform/platform.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

// ---- Heaps -----------------------------------------------------------------
PlatformHeap* heapCreate(uint32_t options, size_t initialSize, size_t maximumSize) {
    if (faultHit(FAULT_HEAP_CREATE)) return nullptr;
    return reinterpret_cast<PlatformHeap*>(HeapCreate(options, initialSize, maximumSize));
}

void* heapAlloc(PlatformHeap* heap, uint32_t flags, size_t size) {
    if (!heap || faultHit(FAULT_ALLOC)) return nullptr;
    return HeapAlloc(reinterpret_cast<HANDLE>(heap), flags, size);
}

void* heapReAlloc(PlatformHeap* heap, uint32_t flags, void* block, size_t size) {
    if (!heap || !block || faultHit(FAULT_ALLOC)) return nullptr;
    return HeapReAlloc(reinterpret_cast<HANDLE>(heap), flags, block, size);
}

bool heapFree(PlatformHeap* heap, uint32_t flags, void* block) {
    if (!heap || !block) return false;
    return HeapFree(reinterpret_cast<HANDLE>(heap), flags, block) != 0;
}

void heapDestroy(PlatformHeap* heap) {
    if (!heap || heap == processHeap()) return;
    HeapDestroy(reinterpret_cast<HANDLE>(heap));
}

size_t heapPeakBytes(PlatformHeap*) { return 0; }

PlatformHeap* processHeap() { return reinterpret_cast<PlatformHeap*>(GetProcessHeap()); }

// ---- Files -----------------------------------------------------------------
struct PlatformFile {
    HANDLE handle;
    char* target;
    char* temporary;
};

namespace {

PlatformFile* wrap(HANDLE h, char* target, char* temporary) {
    PlatformFile* f = static_cast<PlatformFile*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PlatformFile)));
    if (!f) {
        CloseHandle(h);
        if (temporary) DeleteFileA(temporary);
        if (target) HeapFree(GetProcessHeap(), 0, target);
        if (temporary) HeapFree(GetProcessHeap(), 0, temporary);
        return nullptr;
    }
    f->handle = h;
    f->target = target;
    f->temporary = temporary;
    countOpenFile(+1);
    return f;
}

void release(PlatformFile* f) {
    countOpenFile(-1);
    if (f->target) HeapFree(GetProcessHeap(), 0, f->target);
    if (f->temporary) HeapFree(GetProcessHeap(), 0, f->temporary);
    HeapFree(GetProcessHeap(), 0, f);
}

}  // namespace

PlatformFile* fileOpenRead(const char* path) {
    if (!path || faultHit(FAULT_OPEN)) return nullptr;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return wrap(h, nullptr, nullptr);
}

bool fileSize(PlatformFile* file, uint32_t* size) {
    if (!file || !size || faultHit(FAULT_SIZE)) return false;
    DWORD high = 0;
    DWORD s = GetFileSize(file->handle, &high);
    // 4 GiB and more has a high part; 0xFFFFFFFF is also the failure value.
    if (s == INVALID_FILE_SIZE || high != 0) return false;
    *size = s;
    return true;
}

bool fileRead(PlatformFile* file, void* buffer, uint32_t count, uint32_t* got) {
    if (got) *got = 0;
    if (!file || faultHit(FAULT_READ)) return false;
    DWORD n = 0;
    if (!ReadFile(file->handle, buffer, count, &n, nullptr)) return false;
    if (got) *got = n;
    return true;
}

PlatformFile* fileCreate(const char* path) {
    if (!path || faultHit(FAULT_CREATE)) return nullptr;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return wrap(h, nullptr, nullptr);
}

PlatformFile* fileCreateReplacing(const char* path) {
    if (!path || faultHit(FAULT_CREATE)) return nullptr;
    // CREATE_ALWAYS refuses a read-only file; the move would replace it
    // and drop the attribute.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return nullptr;
    size_t n = strlen(path);
    char* target = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, n + 1));
    char* temporary = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, n + 16));
    if (!target || !temporary) {
        if (target) HeapFree(GetProcessHeap(), 0, target);
        if (temporary) HeapFree(GetProcessHeap(), 0, temporary);
        return nullptr;
    }
    memcpy(target, path, n + 1);
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        snprintf(temporary, n + 16, "%s.%02d.tmp~", path, attempt);
        h = CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        HeapFree(GetProcessHeap(), 0, target);
        HeapFree(GetProcessHeap(), 0, temporary);
        return nullptr;
    }
    return wrap(h, target, temporary);
}

bool fileWrite(PlatformFile* file, const void* data, uint32_t count) {
    if (!file || faultHit(FAULT_WRITE)) return false;
    DWORD n = 0;
    if (!WriteFile(file->handle, data, count, &n, nullptr)) return false;
    return n == count;
}

bool fileFinish(PlatformFile* file, bool* notReplaced) {
    if (notReplaced) *notReplaced = false;
    if (!file) return false;
    bool ok = !faultHit(FAULT_FINISH);
    if (ok && file->temporary) ok = FlushFileBuffers(file->handle) != 0;
    if (!CloseHandle(file->handle)) ok = false;
    if (file->temporary) {
        if (ok) {
            ok = !faultHit(FAULT_REPLACE) &&
                 MoveFileExA(file->temporary, file->target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            if (!ok && notReplaced) *notReplaced = true;
        }
        if (!ok) DeleteFileA(file->temporary);
    }
    release(file);
    return ok;
}

void fileClose(PlatformFile* file) {
    if (!file) return;
    CloseHandle(file->handle);
    if (file->temporary) DeleteFileA(file->temporary);
    release(file);
}

bool fileRemove(const char* path) { return path && DeleteFileA(path) != 0; }

// ---- ANSI text -------------------------------------------------------------
uint8_t ansiLower(uint8_t c) {
    char text[2] = {(char)c, 0};
    CharLowerA(text);
    return (uint8_t)text[0];
}

void ansiLowerText(char* text) {
    if (text) CharLowerA(text);
}

// ---- Code pages --------------------------------------------------------------
uint32_t displayCodePage() { return GetACP(); }

namespace {

// Converts through UTF-16: from the source code page (invalid input fails
// instead of being replaced) to the target. Into a single- or double-byte
// code page, no best-fit look-alike is taken and the default character
// counts as a failure, so a character the target lacks is reported.
CodePageResult convertThroughWide(UINT from, UINT to, const char* in, uint32_t length, char* out,
                                  uint32_t capacity, uint32_t* written) {
    *written = 0;
    if (length == 0) return CODE_PAGE_OK;
    if (length > 0x7FFFFFFFu) return CODE_PAGE_TOO_LONG;
    const int wideCount = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in, (int)length, nullptr, 0);
    if (wideCount <= 0) return CODE_PAGE_UNREPRESENTABLE;
    WCHAR* wide = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, (SIZE_T)wideCount * sizeof(WCHAR)));
    if (!wide) return CODE_PAGE_NO_MEMORY;
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in, (int)length, wide, wideCount);
    const bool toUtf8 = to == CP_UTF8;
    const DWORD flags = toUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int needed =
        WideCharToMultiByte(to, flags, wide, wideCount, nullptr, 0, nullptr, toUtf8 ? nullptr : &usedDefault);
    CodePageResult result = CODE_PAGE_OK;
    if (needed <= 0 || usedDefault) {
        result = CODE_PAGE_UNREPRESENTABLE;
    } else if ((uint32_t)needed > capacity) {
        result = CODE_PAGE_TOO_LONG;
    } else {
        *written = (uint32_t)WideCharToMultiByte(to, flags, wide, wideCount, out, needed, nullptr, nullptr);
    }
    HeapFree(GetProcessHeap(), 0, wide);
    return result;
}

UINT windowsCodePage(uint32_t codePage) { return codePage ? codePage : CP_ACP; }

}  // namespace

CodePageResult utf8ToCodePage(uint32_t codePage, const char* in, uint32_t length, char* out, uint32_t capacity,
                              uint32_t* written) {
    return convertThroughWide(CP_UTF8, windowsCodePage(codePage), in, length, out, capacity, written);
}

CodePageResult codePageToUtf8(uint32_t codePage, const char* in, uint32_t length, char* out, uint32_t capacity,
                              uint32_t* written) {
    return convertThroughWide(windowsCodePage(codePage), CP_UTF8, in, length, out, capacity, written);
}

// ---- Threads ---------------------------------------------------------------
struct PlatformThread {
    HANDLE handle;
    ThreadRoutine routine;
    void* argument;
};

namespace {
DWORD WINAPI threadTrampoline(LPVOID p) {
    PlatformThread* t = static_cast<PlatformThread*>(p);
    return t->routine(t->argument);
}
}  // namespace

PlatformThread* threadStart(ThreadRoutine routine, void* argument) {
    if (!routine || faultHit(FAULT_THREAD)) return nullptr;
    PlatformThread* t = static_cast<PlatformThread*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PlatformThread)));
    if (!t) return nullptr;
    t->routine = routine;
    t->argument = argument;
    t->handle = CreateThread(nullptr, 0, threadTrampoline, t, 0, nullptr);
    if (!t->handle) {
        HeapFree(GetProcessHeap(), 0, t);
        return nullptr;
    }
    return t;
}

void threadJoin(PlatformThread* thread) {
    if (!thread) return;
    WaitForSingleObject(thread->handle, INFINITE);
    CloseHandle(thread->handle);
    HeapFree(GetProcessHeap(), 0, thread);
}
