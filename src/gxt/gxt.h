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
// The most memory the entries (their records, key names and both orders)
// and the two text buffers of a document may take. Tables may share key records and
// string data in a file, so the file's size does not bound them; a file
// whose tables share nothing takes at most 160 MiB. It also keeps every
// text position within 31 bits.
constexpr uint64_t kMaxDocumentMemory = 256ull << 20;
constexpr uint32_t kMaxReplacementText = 4095;
constexpr uint32_t kNameFieldSize = 32;
// A key name of the named layouts: eight bytes and a terminator.
constexpr uint32_t kShortNameSize = 9;

// Chunk tags and the header word, as little-endian 32-bit words.
constexpr uint32_t kTagTabl = 0x4C424154;
constexpr uint32_t kTagTkey = 0x59454B54;
constexpr uint32_t kTagTdat = 0x54414454;
constexpr uint32_t kHeaderWord = 0x00080004;

// An entry's record: 16 bytes, so that a document of a million entries
// touches as little fresh memory as it can. What only some entries have (a
// name found for a hashed key, an edited text) lives in a side record.
struct GxtEntry {
    uint32_t hash;            // key hash (hashed layouts), 0 otherwise
    int32_t textPos;          // first character in rawText / displayText
    int32_t storedLength;     // characters of the current text + 1
    uint32_t side;            // kEntryNameKnown | side record number + 1 (0: none)
};

// The entry's name is the key name itself (always so for named layouts).
constexpr uint32_t kEntryNameKnown = 0x80000000u;
constexpr uint32_t kEntrySideMask = 0x7FFFFFFFu;

// What an entry has beyond its record. Side records are taken in chunks that
// never move, so the texts handed out from them stay where they are until
// the document is closed.
struct GxtEntrySide {
    char* replacementText;    // edited text in display characters, or null
    // The key name of a hashed entry once known, else its hash printed as
    // eight lower-case hexadecimal digits; zero-padded to 32 characters, and
    // the extra byte is always 0.
    char name[kNameFieldSize + 1];
};
constexpr uint32_t kSideChunkShift = 8;  // 256 side records a chunk

// How a table's order is kept: not at all when it is the record order or
// its reverse, else as an array of record indices.
enum GxtOrderKind : uint8_t { kOrderIdentity, kOrderReverse, kOrderArray };

struct GxtTable {
    char name[9];             // eight bytes, zero-padded, plus a zero byte
    GxtOrderKind rowKind;
    GxtOrderKind keyKind;
    uint32_t entryCount;      // at most 65535
    GxtEntry* entries;        // in key-record order, inside the document's entry block
    uint16_t* rowOrder;       // kOrderArray: record indices by text position (the rows)
    uint16_t* keyOrder;       // kOrderArray: record indices by hash (hashed layouts), sorted by the first lookup
};

inline uint32_t orderedIndex(GxtOrderKind kind, const uint16_t* order, uint32_t count, uint32_t i) {
    return kind == kOrderIdentity ? i : kind == kOrderReverse ? count - 1 - i : order[i];
}
// The entry at a row of the table (rows run by text position).
inline GxtEntry* tableRow(const GxtTable& t, uint32_t row) {
    return t.entries + orderedIndex(t.rowKind, t.rowOrder, t.entryCount, row);
}
// The entry at position i of the table's key order: by hash for hashed
// layouts, the record order for named ones.
inline GxtEntry* tableKey(const GxtTable& t, uint32_t i) {
    return t.entries + orderedIndex(t.keyKind, t.keyOrder, t.entryCount, i);
}

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
    uint32_t entryTotal;      // entries of all tables
    GxtEntry* entries;        // one block for the entries of every table, in table order
    char* keyNames;           // named layouts: 9 bytes a key name, in entry order
    GxtEntrySide** sideChunks;  // chunks of side records, sideChunkRoom of them
    uint32_t sideChunkRoom;
    uint32_t sideCount;       // side records handed out
    uint32_t textTotal;
    // One byte per file character, textTotal (+1) long. In 1-byte layouts
    // this is the file image itself: text positions are then offsets into
    // the file and the bytes between the strings are the file's own.
    char* rawText;
    // rawText decoded through the decode table; the same block as rawText
    // while that table leaves every character as it is.
    char* displayText;
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

// Orders a table's count (at most 65535) records stably by hash or by text
// position. Keys that already rise need no order (kOrderIdentity), keys that
// strictly fall only turning round (kOrderReverse); otherwise order receives
// the record indices (kOrderArray). The scratch area holds
// sortScratchSize(count) bytes, 8-byte aligned; any count below serves too.
size_t sortScratchSize(uint32_t count);
GxtOrderKind sortRecords(const GxtEntry* entries, uint32_t count, bool byHash, uint16_t* order, void* scratch);
// Sorts a table's hash order if it is still to be sorted; indexing leaves
// that to the first lookup in the table, since a document is shown without
// it. False when there is no memory for it (nothing changes then).
bool sortKeyOrder(GxtTable& t);

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
// current table's in row order; count 0 when there are none. Valid until
// the rows change (a table switch, a string list shown or closed).
struct ShownRows {
    GxtEntry* const* list;   // the string list's entries while it is shown
    const GxtTable* table;   // else the current table
    uint32_t count;
};
ShownRows shownRows();
// The entry at a row below rows.count.
inline GxtEntry* shownRow(const ShownRows& rows, uint32_t row) {
    return rows.list ? rows.list[row] : tableRow(*rows.table, row);
}
GxtEntry* entryAtRow(uint32_t row);
const char* entryText(const GxtEntry* entry);
// The edited text of an entry, or null while it has none.
const char* entryReplacementText(const GxtEntry* entry);
inline bool entryNameKnown(const GxtEntry* entry) { return entry && (entry->side & kEntryNameKnown) != 0; }
// The key name while it is known, else null.
const char* entryName(const GxtEntry* entry);
// The printed hash of a hashed entry whose name is not known, else null (or
// null when there is no memory for it). The text stays where it is until
// the document is closed.
const char* entryHashName(GxtEntry* entry);
int setEntryName(GxtEntry* entry, const char* name);
// Refuses (0, the entry unchanged) a text longer than kMaxReplacementText.
int setEntryText(GxtEntry* entry, const char* text, uint32_t length);
uint32_t tableCount();
void tableName(uint32_t index, char* destination);
uint32_t rowCount();
const char* rowText(uint32_t row);
const char* rowLoadedText(uint32_t row);
uint32_t rowHash(uint32_t row);
// The printed hash of the row's entry while its name is not known: a text
// kept for that entry from the first call until the document is closed.
const char* rowHashName(uint32_t row);
const char* rowKeyName(uint32_t row);
int setRowName(uint32_t row, const char* name);
int setRowText(uint32_t row, const char* text, uint32_t length);
int selectTable(uint32_t index);

// ---- Saving ----------------------------------------------------------------
// Builds the file image in the document's heap; the caller frees it. The
// same bytes that saveDocument writes.
uint8_t* buildImage(uint32_t* size);
// Writes the document to path: 0 or 3000..3004. The file is written as a
// stream (key records through a small buffer, strings straight from the
// text where they can be) and replaces the file at path only once the whole
// of it has been written. 3004: the file would have kMaxFileSize + 1 bytes
// or more, more than loadDocument accepts; nothing is created or written
// then.
int saveDocument(const char* path);
// After saveDocument gave 3003: true when the new file was written in full
// and only putting it in place of the target failed (the target is locked,
// say), false when writing it failed.
bool lastSaveNotReplaced();

// The placeholder name of a hashed entry: its hash as eight lower-case
// hexadecimal digits (numberToText with width 8, base 16) and a terminator.
void printHash(char* name, uint32_t hash);

// ---- Document heap helpers -------------------------------------------------
void* documentAlloc(size_t size);
void documentFree(void* block);
