// Builds GXT file images of every layout from a plain description. Used by
// the tests, the fuzz seeds, the benchmarks and the samples: every GXT file
// the project works with comes from here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GenEntry {
    std::string name;    // key name (named layouts), or the name to hash
    uint32_t hash = 0;   // key hash (hashed layouts); 0 = hash `name`
    std::string text;    // file characters, one byte each (no terminator)
    bool hashGiven = false;  // `hash` is the key even when it is 0
};

struct GenTable {
    std::string name;    // up to 8 characters
    std::vector<GenEntry> entries;
};

enum class GenStringOrder {
    RecordOrder,   // strings packed in the order of the key records
    Reverse,       // strings packed in the reverse order of the key records
};

struct GenOptions {
    GenStringOrder order = GenStringOrder::RecordOrder;
    bool shareEqualTexts = false;  // records with equal texts point at one copy
    uint8_t highByte = 0;          // high byte of each 2-byte character
};

struct GenDocument {
    char variant = '@';            // '0', '1', '2' or '@'
    std::vector<GenTable> tables;  // padded with empty tables to the layout's count
};

// Number of tables a layout has: 1, 79, 127 or 524.
uint32_t genTableCount(char variant);
// The key hash a layout gives a name (0 for the named layouts).
uint32_t genKeyHash(char variant, const std::string& name);
// The name given to padding table i (i counted from 0 over the whole file).
std::string genPaddingTableName(uint32_t index);

// One table's string data as generateGxt lays it out: each entry's byte
// offset into it, and the bytes themselves.
struct GenPackedStrings {
    std::vector<uint32_t> offsets;
    std::vector<uint8_t> data;
};
GenPackedStrings genPackStrings(const GenTable& table, uint32_t charWidth, const GenOptions& options);

// The entries of a generated table in the order the document lists them:
// by position of their string, equal positions in key-record order.
std::vector<size_t> genRowOrder(const GenTable& table, const GenOptions& options);

std::vector<uint8_t> generateGxt(const GenDocument& doc, const GenOptions& options = {});

// A random document: tables, keys (unique per table) and texts drawn from a
// seed; texts use bytes 1..255 unless printable is set (then 32..126).
GenDocument randomDocument(char variant, uint32_t seed, uint32_t maxEntriesPerTable,
                           bool printable = false);

// The document at its worst for loading and saving: an '@' file just under
// 16 MiB whose tables hold 65535 entries each (7-character strings), to be
// generated with GenStringOrder::Reverse so that every table's rows must be
// sorted. The key hashes are appended to hashes when it is given.
GenDocument worstCaseDocument(std::vector<uint32_t>* hashes = nullptr);
GenOptions worstCaseOptions();
// The key hash of worstCaseDocument's serial-th key (from 1); spread over all
// 32 bits, so that its tables must be sorted by hash.
uint32_t worstCaseHash(uint32_t serial);

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFileBytes(const std::string& path);
