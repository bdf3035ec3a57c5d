#include "gxt_source.h"

#include <unordered_map>

#include "gxt/gxt.h"

namespace {

// Images from this size on cannot be read back (the loader's limit).
constexpr uint64_t kImageLimit = 0x1000000;

struct Layout {
    bool hashed;
    uint32_t width, recordSize, nameLimit, tables;
    uint64_t header;  // bytes before the first table block
};

Layout layoutOf(char v) {
    Layout l{};
    l.hashed = v == '2' || v == '@';
    l.width = l.hashed ? 1 : 2;
    l.recordSize = l.hashed ? 8 : 12;
    l.nameLimit = v == '@' ? 32 : 8;
    l.tables = genTableCount(v);
    l.header = v == '0' ? 0 : (l.hashed ? 4 : 0) + 8 + 12ull * l.tables;
    return l;
}

int hexDigit(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0x" and exactly eight hexadecimal digits.
bool hashKey(const std::string& key, uint32_t* hash) {
    if (key.size() != 10 || key[0] != '0' || key[1] != 'x') return false;
    uint32_t h = 0;
    for (size_t i = 2; i < 10; ++i) {
        int d = hexDigit((uint8_t)key[i]);
        if (d < 0) return false;
        h = h << 4 | (uint32_t)d;
    }
    *hash = h;
    return true;
}

std::string asciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
    return s;
}

struct Parser {
    Layout layout;
    char variant;
    GenDocument& doc;
    GenSourceError& error;
    uint32_t line = 0;
    uint64_t imageSize;   // the tables so far, each padded to 4, and the header
    // Keys of the current table: the lowered name or the hash, and its line.
    std::unordered_map<std::string, uint32_t> names;
    std::unordered_map<uint32_t, uint32_t> hashes;

    bool fail(std::string reason) {
        error.line = line;
        error.reason = std::move(reason);
        return false;
    }

    // The image with the current tables and the empty ones still to come.
    bool imageFits() const {
        uint64_t rest = layout.tables > doc.tables.size() ? 24ull * (layout.tables - doc.tables.size()) : 0;
        return imageSize + rest < kImageLimit;
    }

    bool table(const uint8_t* p, size_t n) {
        if (n < 2 || p[n - 1] != ']') return fail("a table line needs a closing \"]\"");
        std::string name(reinterpret_cast<const char*>(p + 1), n - 2);
        if (name.empty() || name.size() > 8) return fail("a table name has 1 to 8 characters");
        if (doc.tables.size() >= layout.tables)
            return fail("layout " + std::string(1, variant) + " has only " + std::to_string(layout.tables) +
                        " tables");
        if (variant == '0' && name != "MAIN") return fail("layout 0 has one table, MAIN");
        imageSize = (imageSize + 3) & ~3ull;
        imageSize += doc.tables.empty() ? 16 : 24;
        doc.tables.push_back(GenTable{name, {}});
        names.clear();
        hashes.clear();
        return imageFits() || fail("the file would be 16 MiB or larger");
    }

    bool entry(const uint8_t* p, size_t n) {
        if (doc.tables.empty()) return fail("a key before the first [NAME] line");
        size_t eq = 0;
        while (eq < n && p[eq] != '=') ++eq;
        if (eq == n) return fail("no \"=\" after the key");
        std::string key(reinterpret_cast<const char*>(p), eq);
        if (key.empty()) return fail("no key before the \"=\"");
        for (char c : key)
            if ((uint8_t)c < 0x21 || (uint8_t)c > 0x7E) return fail("a key holds a blank or a byte outside ASCII");
        GenTable& t = doc.tables.back();
        if (t.entries.size() >= kMaxTableEntries) return fail("table " + t.name + " has more than 65535 entries");
        GenEntry e;
        e.text.assign(reinterpret_cast<const char*>(p + eq + 1), n - eq - 1);
        uint32_t* first = nullptr;
        if (layout.hashed && hashKey(key, &e.hash)) {
            e.hashGiven = true;
        } else {
            if (key.size() > layout.nameLimit)
                return fail("key " + key + " is longer than " + std::to_string(layout.nameLimit) + " characters");
            if (layout.hashed) {
                e.hash = genKeyHash(variant, key);
                e.hashGiven = true;
            }
            e.name = key;
        }
        if (layout.hashed) {
            auto [it, added] = hashes.try_emplace(e.hash, line);
            if (!added) first = &it->second;
        } else {
            auto [it, added] = names.try_emplace(asciiLower(key), line);
            if (!added) first = &it->second;
        }
        if (first) return fail("key " + key + " is already in table " + t.name + " (line " + std::to_string(*first) + ")");
        imageSize += layout.recordSize + (uint64_t)(e.text.size() + 1) * layout.width;
        t.entries.push_back(std::move(e));
        return imageFits() || fail("the file would be 16 MiB or larger");
    }

    bool parseLine(const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (p[i] < 0x20) return fail("a control character");
        if (n == 0) return true;
        return p[0] == '[' ? table(p, n) : entry(p, n);
    }
};

}  // namespace

bool genParseSource(const uint8_t* bytes, size_t size, char variant, GenDocument& doc, GenSourceError& error) {
    Layout layout = layoutOf(variant);
    doc.variant = variant;
    doc.tables.clear();
    Parser parser{layout, variant, doc, error, 0, layout.header, {}, {}};
    size_t p = 0;
    while (p < size) {
        size_t end = p;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        ++parser.line;
        if (!parser.parseLine(bytes + p, end - p)) return false;
        p = end;
        if (p < size && bytes[p] == '\r') ++p;
        if (p < size && bytes[p] == '\n' && (p == end || bytes[end] == '\r')) ++p;
    }
    return true;
}
