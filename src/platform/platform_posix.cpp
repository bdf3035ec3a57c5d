// POSIX implementation of the platform layer: used by the native builds
// (tests, sanitizers, fuzzers, benchmarks and vorn-cli on Linux).
#include "platform/platform.h"

#include <fcntl.h>
#include <iconv.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- Heaps -----------------------------------------------------------------
// Every block carries a header that links it into its heap, so that
// heapDestroy can release all of them at once, and that records its size, so
// that growth can zero exactly the added bytes.
struct BlockHeader {
    BlockHeader* prev;
    BlockHeader* next;
    size_t size;
    size_t pad;  // keeps the payload 16-byte aligned
};

struct PlatformHeap {
    BlockHeader* first;
    size_t maximum;  // 0: unlimited
    size_t inUse;    // payload plus header bytes, checked against maximum
    size_t peak;     // the largest inUse so far
    bool serialize;
    pthread_mutex_t lock;
};

namespace {

constexpr size_t kHeaderSize = sizeof(BlockHeader);

struct HeapLock {
    PlatformHeap* heap;
    explicit HeapLock(PlatformHeap* h) : heap(h) {
        if (heap->serialize) pthread_mutex_lock(&heap->lock);
    }
    ~HeapLock() {
        if (heap->serialize) pthread_mutex_unlock(&heap->lock);
    }
};

bool fits(PlatformHeap* heap, size_t oldCost, size_t newCost) {
    if (heap->maximum == 0) return true;
    return heap->inUse - oldCost + newCost <= heap->maximum;
}

void unlinkBlock(PlatformHeap* heap, BlockHeader* b) {
    if (b->prev) b->prev->next = b->next; else heap->first = b->next;
    if (b->next) b->next->prev = b->prev;
}

void linkFirst(PlatformHeap* heap, BlockHeader* b) {
    b->prev = nullptr;
    b->next = heap->first;
    if (heap->first) heap->first->prev = b;
    heap->first = b;
}

PlatformHeap gProcessHeap = {nullptr, 0, 0, 0, true, PTHREAD_MUTEX_INITIALIZER};

}  // namespace

PlatformHeap* heapCreate(uint32_t options, size_t initialSize, size_t maximumSize) {
    (void)initialSize;
    if (faultHit(FAULT_HEAP_CREATE)) return nullptr;
    PlatformHeap* heap = static_cast<PlatformHeap*>(calloc(1, sizeof(PlatformHeap)));
    if (!heap) return nullptr;
    heap->maximum = maximumSize;
    heap->serialize = (options & kHeapNoSerialize) == 0;
    pthread_mutex_init(&heap->lock, nullptr);
    return heap;
}

void* heapAlloc(PlatformHeap* heap, uint32_t flags, size_t size) {
    if (!heap) return nullptr;
    if (faultHit(FAULT_ALLOC)) return nullptr;
    if (size > (size_t)1 << 40) return nullptr;
    HeapLock guard(heap);
    if (!fits(heap, 0, size + kHeaderSize)) return nullptr;
    BlockHeader* b = static_cast<BlockHeader*>(
        (flags & kHeapZeroMemory) ? calloc(1, kHeaderSize + size) : malloc(kHeaderSize + size));
    if (!b) return nullptr;
    b->size = size;
    linkFirst(heap, b);
    heap->inUse += size + kHeaderSize;
    if (heap->inUse > heap->peak) heap->peak = heap->inUse;
    return b + 1;
}

void* heapReAlloc(PlatformHeap* heap, uint32_t flags, void* block, size_t size) {
    if (!heap || !block) return nullptr;
    if (faultHit(FAULT_ALLOC)) return nullptr;
    if (size > (size_t)1 << 40) return nullptr;
    HeapLock guard(heap);
    BlockHeader* old = static_cast<BlockHeader*>(block) - 1;
    size_t oldSize = old->size;
    if (!fits(heap, oldSize + kHeaderSize, size + kHeaderSize)) return nullptr;
    BlockHeader* prev = old->prev;
    BlockHeader* next = old->next;
    unlinkBlock(heap, old);
    BlockHeader* b = static_cast<BlockHeader*>(realloc(old, kHeaderSize + size));
    if (!b) {
        // realloc left the old block in place: put it back where it was.
        old->prev = prev;
        old->next = next;
        linkFirst(heap, old);
        return nullptr;
    }
    if ((flags & kHeapZeroMemory) && size > oldSize)
        memset(reinterpret_cast<char*>(b + 1) + oldSize, 0, size - oldSize);
    b->size = size;
    linkFirst(heap, b);
    heap->inUse = heap->inUse - oldSize + size;
    if (heap->inUse > heap->peak) heap->peak = heap->inUse;
    return b + 1;
}

bool heapFree(PlatformHeap* heap, uint32_t flags, void* block) {
    (void)flags;
    if (!heap || !block) return false;
    HeapLock guard(heap);
    BlockHeader* b = static_cast<BlockHeader*>(block) - 1;
    unlinkBlock(heap, b);
    heap->inUse -= b->size + kHeaderSize;
    free(b);
    return true;
}

void heapDestroy(PlatformHeap* heap) {
    if (!heap || heap == &gProcessHeap) return;
    BlockHeader* b = heap->first;
    while (b) {
        BlockHeader* next = b->next;
        free(b);
        b = next;
    }
    pthread_mutex_destroy(&heap->lock);
    free(heap);
}

PlatformHeap* processHeap() { return &gProcessHeap; }

size_t heapPeakBytes(PlatformHeap* heap) { return heap ? heap->peak : 0; }

// ---- Files -----------------------------------------------------------------
struct PlatformFile {
    int fd;
    char* target;     // replacing files: the file to replace
    char* temporary;  // replacing files: the file being written
};

namespace {

PlatformFile* wrap(int fd, char* target, char* temporary) {
    PlatformFile* f = static_cast<PlatformFile*>(calloc(1, sizeof(PlatformFile)));
    if (!f) {
        close(fd);
        if (temporary) unlink(temporary);
        free(target);
        free(temporary);
        return nullptr;
    }
    f->fd = fd;
    f->target = target;
    f->temporary = temporary;
    countOpenFile(+1);
    return f;
}

void release(PlatformFile* f) {
    countOpenFile(-1);
    free(f->target);
    free(f->temporary);
    free(f);
}

// The path with every symbolic link at its end followed (a relative link
// counts from the link's folder), as a block from malloc; the last path may
// not exist yet. Null for a loop of links or no memory.
char* followLinks(const char* path) {
    char* current = strdup(path);
    for (int hop = 0; current && hop < 40; ++hop) {
        struct stat st;
        if (lstat(current, &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        char link[PATH_MAX];
        ssize_t n = readlink(current, link, sizeof link - 1);
        if (n <= 0) break;
        link[n] = 0;
        const char* slash = strrchr(current, '/');
        size_t folder = link[0] == '/' || !slash ? 0 : (size_t)(slash - current) + 1;
        char* next = static_cast<char*>(malloc(folder + (size_t)n + 1));
        if (next) {
            memcpy(next, current, folder);
            memcpy(next + folder, link, (size_t)n + 1);
        }
        free(current);
        current = next;
    }
    free(current);
    return nullptr;
}

// Whether a file may be written, as opening it for writing would decide,
// except that a mode without any write bit refuses root as well: such a file
// is read-only for the user, whoever runs the program.
bool writable(const char* path, mode_t mode) {
    if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
}

}  // namespace

PlatformFile* fileOpenRead(const char* path) {
    if (!path || faultHit(FAULT_OPEN)) return nullptr;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return wrap(fd, nullptr, nullptr);
}

bool fileSize(PlatformFile* file, uint32_t* size) {
    if (!file || !size || faultHit(FAULT_SIZE)) return false;
    struct stat st;
    if (fstat(file->fd, &st) != 0) return false;
    // GetFileSize reports 0xFFFFFFFF (failure) for what does not fit.
    if (st.st_size < 0 || (unsigned long long)st.st_size >= 0xFFFFFFFFull) return false;
    *size = (uint32_t)st.st_size;
    return true;
}

bool fileRead(PlatformFile* file, void* buffer, uint32_t count, uint32_t* got) {
    if (got) *got = 0;
    if (!file || faultHit(FAULT_READ)) return false;
    uint32_t total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < count) {
        ssize_t n = read(file->fd, out + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        total += (uint32_t)n;
    }
    if (got) *got = total;
    return true;
}

PlatformFile* fileCreate(const char* path) {
    if (!path || faultHit(FAULT_CREATE)) return nullptr;
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return wrap(fd, nullptr, nullptr);
}

PlatformFile* fileCreateReplacing(const char* path) {
    if (!path || faultHit(FAULT_CREATE)) return nullptr;
    // The new file goes beside the file the links lead to, and is renamed
    // over that file: the links stay links.
    char* target = followLinks(path);
    if (!target) return nullptr;
    struct stat st;
    if (stat(target, &st) == 0 && (S_ISDIR(st.st_mode) || !writable(target, st.st_mode))) {
        free(target);
        return nullptr;
    }
    size_t n = strlen(target);
    char* temporary = static_cast<char*>(malloc(n + 16));
    if (!temporary) {
        free(target);
        return nullptr;
    }
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        snprintf(temporary, n + 16, "%s.%02d.tmp~", target, attempt);
        fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        free(target);
        free(temporary);
        return nullptr;
    }
    return wrap(fd, target, temporary);
}

bool fileWrite(PlatformFile* file, const void* data, uint32_t count) {
    if (!file || faultHit(FAULT_WRITE)) return false;
    const char* in = static_cast<const char*>(data);
    uint32_t total = 0;
    while (total < count) {
        ssize_t n = write(file->fd, in + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        total += (uint32_t)n;
    }
    return true;
}

bool fileFinish(PlatformFile* file, bool* notReplaced) {
    if (notReplaced) *notReplaced = false;
    if (!file) return false;
    bool ok = !faultHit(FAULT_FINISH);
    if (ok && file->temporary) ok = fsync(file->fd) == 0;
    if (close(file->fd) != 0) ok = false;
    if (file->temporary) {
        if (ok) {
            ok = !faultHit(FAULT_REPLACE) && rename(file->temporary, file->target) == 0;
            if (!ok && notReplaced) *notReplaced = true;
        }
        if (!ok) unlink(file->temporary);
    }
    release(file);
    return ok;
}

void fileClose(PlatformFile* file) {
    if (!file) return;
    close(file->fd);
    if (file->temporary) unlink(file->temporary);
    release(file);
}

bool fileRemove(const char* path) { return path && unlink(path) == 0; }

// ---- ANSI text -------------------------------------------------------------
uint8_t ansiLower(uint8_t c) {
    // Windows-1252: A-Z, and the accented capitals 0xC0-0xDE except the
    // multiplication sign 0xD7, lower-case by adding 32.
    if (c >= 'A' && c <= 'Z') return (uint8_t)(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return (uint8_t)(c + 32);
    return c;
}

void ansiLowerText(char* text) {
    if (!text) return;
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) *p = ansiLower(*p);
}

// ---- Code pages --------------------------------------------------------------
uint32_t displayCodePage() { return 1252; }

namespace {

// One converter kept open per direction, for the code page last asked for:
// an import converts line after line through the same one.
struct Converter {
    uint32_t codePage;  // 0: none open
    iconv_t handle;
};

Converter gToCodePage{};
Converter gToUtf8{};

iconv_t converterFor(Converter& c, uint32_t codePage, bool toUtf8) {
    if (codePage == 0) codePage = displayCodePage();
    if (c.codePage == codePage) return c.handle;
    if (c.codePage) iconv_close(c.handle);
    c.codePage = 0;
    char name[16];
    snprintf(name, sizeof name, "CP%u", codePage);
    // Without //TRANSLIT or //IGNORE: a character the target lacks is an error.
    iconv_t handle = toUtf8 ? iconv_open("UTF-8", name) : iconv_open(name, "UTF-8");
    if (handle == (iconv_t)-1) return handle;
    c.codePage = codePage;
    c.handle = handle;
    return handle;
}

CodePageResult convert(Converter& c, uint32_t codePage, bool toUtf8, const char* in, uint32_t length, char* out,
                       uint32_t capacity, uint32_t* written) {
    *written = 0;
    iconv_t handle = converterFor(c, codePage, toUtf8);
    if (handle == (iconv_t)-1) return CODE_PAGE_UNREPRESENTABLE;  // a code page iconv does not know
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char* from = const_cast<char*>(in);
    size_t left = length;
    char* to = out;
    size_t room = capacity;
    size_t done = iconv(handle, &from, &left, &to, &room);
    bool tooLong = false;
    // Past the capacity the rest is still converted, into scratch space, so
    // that a character the target lacks is reported wherever it stands.
    while (done == (size_t)-1 && errno == E2BIG) {
        tooLong = true;
        char scratch[256];
        to = scratch;
        room = sizeof scratch;
        done = iconv(handle, &from, &left, &to, &room);
    }
    // A count above 0 means characters were converted irreversibly.
    if (done != 0) return CODE_PAGE_UNREPRESENTABLE;
    if (tooLong) return CODE_PAGE_TOO_LONG;
    *written = (uint32_t)(to - out);
    return CODE_PAGE_OK;
}

}  // namespace

CodePageResult utf8ToCodePage(uint32_t codePage, const char* in, uint32_t length, char* out, uint32_t capacity,
                              uint32_t* written) {
    return convert(gToCodePage, codePage, false, in, length, out, capacity, written);
}

CodePageResult codePageToUtf8(uint32_t codePage, const char* in, uint32_t length, char* out, uint32_t capacity,
                              uint32_t* written) {
    return convert(gToUtf8, codePage, true, in, length, out, capacity, written);
}

// ---- Threads ---------------------------------------------------------------
struct PlatformThread {
    pthread_t id;
    ThreadRoutine routine;
    void* argument;
};

namespace {
void* threadTrampoline(void* p) {
    PlatformThread* t = static_cast<PlatformThread*>(p);
    t->routine(t->argument);
    return nullptr;
}
}  // namespace

PlatformThread* threadStart(ThreadRoutine routine, void* argument) {
    if (!routine || faultHit(FAULT_THREAD)) return nullptr;
    PlatformThread* t = static_cast<PlatformThread*>(calloc(1, sizeof(PlatformThread)));
    if (!t) return nullptr;
    t->routine = routine;
    t->argument = argument;
    if (pthread_create(&t->id, nullptr, threadTrampoline, t) != 0) {
        free(t);
        return nullptr;
    }
    return t;
}

void threadJoin(PlatformThread* thread) {
    if (!thread) return;
    pthread_join(thread->id, nullptr);
    free(thread);
}
