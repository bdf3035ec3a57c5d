// The GXT document: the one open file, its tables and entries, and every
// operation on it (loading and indexing, entry access, key hashes, saving).
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Layout codes: '0', '1', '2' or '@'; 0 while no document is open.
// The high four bits give the family: 3 for '0'..'2', 4 for '@'.
using FormatVariant = char;
// '0' for eight-character key names, '@' for 32-bit key hashes; 0 for none.
using KeyScheme = char;

constexpr uint32_t kMaxTableEntries = 0xFFFF;
constexpr uint32_t kMaxFileSize = 0xFFFFFF;
// The most memory the entries (their records and both orders) and the two
// text buffers of a document may take. Tables may share key records and
// string data in a file, so the file's size does not bound them; a file
// whose tables share nothing takes at most 160 MiB. It also keeps every
// text position within 31 bits.
constexpr uint64_t kMaxDocumentMemory = 256ull << 20;
constexpr uint32_t kMaxReplacementText = 4095;
constexpr uint32_t kNameFieldSize = 32;

// Chunk tags and the header word, as little-endian 32-bit words.
constexpr uint32_t kTagTabl = 0x4C424154;
constexpr uint32_t kTagTkey = 0x59454B54;
constexpr uint32_t kTagTdat = 0x54414454;
constexpr uint32_t kHeaderWord = 0x00080004;

struct GxtEntry {
    uint32_t hash;            // key hash (hashed layouts), 0 otherwise
    int32_t textPos;          // first character in rawText / displayText
    int32_t keyIndex;         // index of the entry's record in its TKEY chunk
    int32_t storedLength;     // characters of the current text + 1
    char* replacementText;    // edited text in display characters, or null
    uint32_t nameKnown;       // name holds the key name, not the printed hash
    // The key name, zero-padded to 32 characters. The extra byte is always 0,
    // so a name of the full 32 characters still reads as a terminated text.
    char name[kNameFieldSize + 1];
};

struct GxtTable {
    char name[9];             // eight bytes, zero-padded, plus a zero byte
    uint32_t entryCount;      // at most 65535
    GxtEntry* entries;        // in key-record order
    GxtEntry** rowOrder;      // by text position: the rows of the entry list
    GxtEntry** keyOrder;      // hashed: by hash; named: record order
};

struct GxtDocument {
    PlatformHeap* heap;
    uint8_t* image;           // the file as read, until indexing is complete
    uint32_t imageSize;
    FormatVariant formatVariant;
    KeyScheme keyScheme;
    uint32_t keyNameLimit;    // 8 or 32
    uint32_t charWidth;       // 2 or 1
    uint32_t headerSize;      // 0 or 4
    uint32_t keyRecordSize;   // 12 or 8
    bool hashedKeys;
    uint32_t tableCount;
    GxtTable* tables;
    int32_t currentTable;     // -1 for none
    bool loaded;
    uint32_t textTotal;
    char* rawText;            // one byte per file character, textTotal (+1) long
    char* displayText;        // rawText decoded through the decode table
    PlatformThread* worker;   // the indexing worker while it may be running
};

// The rows of the entry list while a string list is shown: references to
// entries of any table, in the list's order.
struct StringListView {
    bool on;
    uint32_t count;
    GxtEntry** entries;
};

extern GxtDocument gDocument;
extern StringListView gStringList;

// ---- Loading and indexing --------------------------------------------------
// Reads and recognises a file and builds its tables: 0 or 2000..2007.
int loadDocument(const char* path);
// Recognises the layout of the loaded image and sets the per-layout
// parameters; 1 recognised, 0 not. Also usable on any image for tests.
int detectVariant();
int buildIndex();
// Starts the worker that finishes the index (indexWorker); 1 started, 0 not
// (the indexing then runs on the calling thread before returning 0).
int startIndexWorker();
// Waits until a running worker has finished. Every operation that reads
// entries, saves, imports or closes calls it first.
void waitIndexWorker();
uint32_t indexWorker(void* argument);
int indexDocument();
int indexStrings();
int closeDocument();
void destroyDocumentHeap();
// Loads a file and indexes it completely: the load, the worker and the wait.
int openDocument(const char* path);

using EntryComparison = int (*)(const GxtEntry* x, const GxtEntry* y);
// Stable sort (entries that compare equal keep their order). The scratch
// area must hold 2 * count 64-bit values when count > 1. Sorting by text
// position or by hash uses a radix sort of the keys; any other comparison
// a merge sort.
void sortEntries(GxtEntry** entries, uint32_t count, EntryComparison compare, uint64_t* scratch);
int compareTextPosition(const GxtEntry* x, const GxtEntry* y);
int compareHash(const GxtEntry* x, const GxtEntry* y);

// Family of the open layout: 3 ('0', '1', '2'), 4 ('@'), 0 when none.
inline int documentFamily() { return (unsigned char)gDocument.formatVariant >> 4; }

// ---- Key hashes ------------------------------------------------------------
uint32_t crcKeyHash(const char* name);
uint32_t oneAtATimeKeyHash(const char* name);
// The key hash of the open layout ('2': CRC, '@': one-at-a-time), else 0.
uint32_t keyHash(const char* name);

// ---- Entry access, lookup and editing --------------------------------------
GxtEntry* findEntry(const char* name, uint32_t hash);
// The rows of the entry list: the string list's while it is shown, else the
// current table's in row order; null (and *count 0) when there are none.
GxtEntry* const* shownRows(uint32_t* count);
GxtEntry* entryAtRow(uint32_t row);
const char* entryText(const GxtEntry* entry);
int setEntryName(GxtEntry* entry, const char* name);
// Refuses (0, the entry unchanged) a text longer than kMaxReplacementText.
int setEntryText(GxtEntry* entry, const char* text, uint32_t length);
uint32_t tableCount();
void tableName(uint32_t index, char* destination);
uint32_t rowCount();
const char* rowText(uint32_t row);
const char* rowLoadedText(uint32_t row);
uint32_t rowHash(uint32_t row);
const char* rowHashName(uint32_t row);
const char* rowKeyName(uint32_t row);
int setRowName(uint32_t row, const char* name);
int setRowText(uint32_t row, const char* text, uint32_t length);
int selectTable(uint32_t index);

// ---- Saving ----------------------------------------------------------------
// Builds the file image in the document's heap; the caller frees it.
uint8_t* buildImage(uint32_t* size);
// Writes the document to path: 0 or 3000..3004. The file at path is replaced
// only once the whole image has been written. 3004: the file would have
// kMaxFileSize + 1 bytes or more, more than loadDocument accepts; nothing is
// created or written then.
int saveDocument(const char* path);
// After saveDocument gave 3003: true when the new file was written in full
// and only putting it in place of the target failed (the target is locked,
// say), false when writing it failed.
bool lastSaveNotReplaced();

// ---- Document heap helpers -------------------------------------------------
void* documentAlloc(size_t size);
void documentFree(void* block);
