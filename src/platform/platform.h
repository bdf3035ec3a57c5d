// The platform layer: every operating-system service the portable core needs.
// One interface, two implementations (platform_win32.cpp, platform_posix.cpp),
// plus fault injection shared by both so that tests can make any step fail.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Private heaps ---------------------------------------------------------
// Options and flags follow HeapCreate/HeapAlloc: 1 = no serialisation,
// 8 = zero-filled blocks. The core always passes 9.
constexpr uint32_t kHeapNoSerialize = 0x1;
constexpr uint32_t kHeapZeroMemory = 0x8;
constexpr uint32_t kHeapFlags = kHeapNoSerialize | kHeapZeroMemory;

struct PlatformHeap;

// maximumSize 0 means the heap may grow without limit.
PlatformHeap* heapCreate(uint32_t options, size_t initialSize, size_t maximumSize);
void* heapAlloc(PlatformHeap* heap, uint32_t flags, size_t size);
// Grows or shrinks a block; with kHeapZeroMemory the added bytes are zero.
// On failure the old block stays valid and null is returned.
void* heapReAlloc(PlatformHeap* heap, uint32_t flags, void* block, size_t size);
bool heapFree(PlatformHeap* heap, uint32_t flags, void* block);
// Releases the heap and every block still allocated from it.
void heapDestroy(PlatformHeap* heap);
// The most bytes the heap has held at once (blocks and their headers), for
// memory measurements; 0 where the platform does not track it (Windows).
size_t heapPeakBytes(PlatformHeap* heap);

// The process heap, for short-lived buffers outside any owner's heap.
PlatformHeap* processHeap();

// ---- Whole files, step by step ---------------------------------------------
struct PlatformFile;

// Opens an existing file for reading, shared for reading. Null on failure.
PlatformFile* fileOpenRead(const char* path);
// Size of an open file; false when it cannot be read or does not fit in 32
// bits (0xFFFFFFFF bytes or more).
bool fileSize(PlatformFile* file, uint32_t* size);
// Reads up to count bytes; *got receives the number read. False on error.
bool fileRead(PlatformFile* file, void* buffer, uint32_t count, uint32_t* got);

// Creates (or truncates) a file for writing. Null on failure.
PlatformFile* fileCreate(const char* path);
// Creates a file beside `path` that replaces it only when fileFinish succeeds:
// an interrupted write never leaves a half-written file in place of a good one.
// Null, as for a file that cannot be created, when the target is a directory
// or read-only (Windows: its read-only attribute; POSIX: no write permission
// for this process, and for every process, root included, when its mode has
// no write bit). Through a symbolic link (POSIX) the file the link points at
// is replaced and the link stays.
PlatformFile* fileCreateReplacing(const char* path);
// Writes all count bytes; a short write is a failure.
bool fileWrite(PlatformFile* file, const void* data, uint32_t count);
// Closes a written file; for a replacing file, moves it over the target.
// False when the close or the replacement failed (the target is untouched);
// *notReplaced, if given, then tells whether the new file was written in
// full and only putting it in the target's place failed (a locked target).
bool fileFinish(PlatformFile* file, bool* notReplaced = nullptr);
// Closes a file; a replacing file that was not finished is removed.
void fileClose(PlatformFile* file);

bool fileRemove(const char* path);

// ---- ANSI text -------------------------------------------------------------
// Lower-cases one byte of the user's ANSI code page (CharLowerA on Windows,
// the Windows-1252 letters elsewhere).
uint8_t ansiLower(uint8_t c);
// Lower-cases a zero-terminated text in place.
void ansiLowerText(char* text);

// ---- Code pages --------------------------------------------------------------
// The code page of the texts the program shows: the user's ANSI code page on
// Windows (GetACP), Windows-1252 elsewhere.
uint32_t displayCodePage();

enum CodePageResult : int {
    CODE_PAGE_OK,
    // A character the target cannot hold, or input that is not valid in its
    // own encoding. Nothing is ever replaced by a default or look-alike.
    CODE_PAGE_UNREPRESENTABLE,
    CODE_PAGE_TOO_LONG,   // the result does not fit in the capacity given
    CODE_PAGE_NO_MEMORY,
};

// Convert length bytes between UTF-8 and a code page (1250, 1251, 1252,
// 1254, 932, ...; 0 is the display code page). At most capacity bytes go to
// out, without a terminator; *written receives their count (0 on failure).
CodePageResult utf8ToCodePage(uint32_t codePage, const char* in, uint32_t length, char* out, uint32_t capacity,
                              uint32_t* written);
CodePageResult codePageToUtf8(uint32_t codePage, const char* in, uint32_t length, char* out, uint32_t capacity,
                              uint32_t* written);

// ---- A worker thread -------------------------------------------------------
struct PlatformThread;

using ThreadRoutine = uint32_t (*)(void* argument);
// Starts a thread; null on failure.
PlatformThread* threadStart(ThreadRoutine routine, void* argument);
// Waits until the thread has returned and releases its handle.
void threadJoin(PlatformThread* thread);

// ---- Fault injection (tests only) -------------------------------------------
enum FaultPoint : int {
    FAULT_HEAP_CREATE,
    FAULT_ALLOC,      // heapAlloc and heapReAlloc
    FAULT_OPEN,
    FAULT_SIZE,
    FAULT_READ,
    FAULT_CREATE,
    FAULT_WRITE,
    FAULT_FINISH,     // flushing or closing a written file
    FAULT_REPLACE,    // moving a replacing file over its target
    FAULT_THREAD,
    FAULT_POINT_COUNT
};

// Makes the nth call (1 = the next one) at the given point fail. 0 disarms.
void faultArm(FaultPoint point, uint32_t nth);
// Disarms every point and clears the counters.
void faultReset();
// Number of calls made at a point since the last faultReset.
uint32_t faultCalls(FaultPoint point);
// Used by the implementations: counts a call and tells whether it must fail.
bool faultHit(FaultPoint point);
// Files opened or created and not yet closed or finished. A path that forgets
// to close one keeps the user's file locked on Windows until Vorn exits.
uint32_t openFileCount();
// Used by the implementations: one more (+1) or one fewer (-1) open file.
void countOpenFile(int change);
