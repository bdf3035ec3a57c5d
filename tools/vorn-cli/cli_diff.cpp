// vorn-cli diff: what changed between two GXT files, table by table and key
// by key. Only one document can be open at a time, so each file is read
// into a snapshot of its tables, keys and texts first.
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cli_common.h"
#include "gxt/gxt.h"

namespace {

struct SnapshotTable {
    std::string name;
    uint32_t firstRow;  // index of the table's first row in the snapshot
    uint32_t rows;
};

// Every key and text of a document, in table and row order, in one pool.
struct Snapshot {
    std::vector<SnapshotTable> tables;
    std::string pool;
    std::vector<uint32_t> keyAt;   // per row: key start in pool
    std::vector<uint32_t> textAt;  // per row: text start in pool
    std::string_view key(uint32_t row) const { return view(keyAt[row]); }
    std::string_view text(uint32_t row) const { return view(textAt[row]); }
    std::string_view view(uint32_t at) const { return std::string_view(pool.data() + at); }
};

void poolAdd(std::string& pool, std::vector<uint32_t>& at, const char* text) {
    at.push_back((uint32_t)pool.size());
    pool.append(text ? text : "");
    pool.push_back('\0');
}

int takeSnapshot(const char* path, const CliArgs& args, Snapshot& s) {
    if (int code = cliOpenWithNames(path, args)) return code;
    cliForEachTable([&s](const char* name, uint32_t rows) {
        s.tables.push_back({name, (uint32_t)s.keyAt.size(), rows});
        for (uint32_t r = 0; r < rows; ++r) {
            const char* key = rowKeyName(r);
            poolAdd(s.pool, s.keyAt, key ? key : rowHashName(r));
            poolAdd(s.pool, s.textAt, rowText(r));
        }
    });
    closeDocument();
    return 0;
}

struct DiffCounts {
    uint32_t tablesOnlyA = 0, tablesOnlyB = 0, keysOnlyA = 0, keysOnlyB = 0, textsDiffer = 0;
    bool equal() const { return !(tablesOnlyA | tablesOnlyB | keysOnlyA | keysOnlyB | textsDiffer); }
};

struct DiffOutput {
    FILE* out;  // null: count only
    DiffCounts counts;
};

void putTableLine(DiffOutput& out, char sign, const std::string& table) {
    if (!out.out) return;
    fprintf(out.out, "%c ", sign);
    cliPutEscaped(out.out, table.c_str());
    fputc('\n', out.out);
}

// "SIGN TABLE<tab>KEY<tab>TEXT", and for a changed text "<tab>NEW".
void putRowLine(DiffOutput& out, char sign, const std::string& table, std::string_view key, std::string_view text,
                const char* newText) {
    if (!out.out) return;
    FILE* f = out.out;
    fprintf(f, "%c ", sign);
    cliPutEscaped(f, table.c_str());
    fputc('\t', f);
    cliPutEscaped(f, key.data());
    fputc('\t', f);
    cliPutEscaped(f, text.data());
    if (newText) {
        fputc('\t', f);
        cliPutEscaped(f, newText);
    }
    fputc('\n', f);
}

// Rows of the same table in both files: matched by key, the n-th row of a
// key in A with the n-th row of that key in B.
void diffRows(DiffOutput& out, const Snapshot& a, const SnapshotTable& ta, const Snapshot& b,
              const SnapshotTable& tb) {
    // For each key of B its next unmatched row, and for each row the next row
    // with the same key (or none).
    constexpr uint32_t kNone = 0xFFFFFFFF;
    std::unordered_map<std::string_view, uint32_t> next;
    next.reserve(tb.rows);
    std::vector<uint32_t> chain(tb.rows, kNone);
    std::vector<bool> matched(tb.rows, false);
    for (uint32_t r = tb.rows; r-- > 0;) {
        auto [it, added] = next.try_emplace(b.key(tb.firstRow + r), r);
        if (!added) {
            chain[r] = it->second;
            it->second = r;
        }
    }
    for (uint32_t r = 0; r < ta.rows; ++r) {
        std::string_view key = a.key(ta.firstRow + r);
        std::string_view text = a.text(ta.firstRow + r);
        auto it = next.find(key);
        if (it == next.end() || it->second == kNone) {
            ++out.counts.keysOnlyA;
            putRowLine(out, '-', ta.name, key, text, nullptr);
            continue;
        }
        uint32_t rb = it->second;
        it->second = chain[rb];
        matched[rb] = true;
        std::string_view other = b.text(tb.firstRow + rb);
        if (other != text) {
            ++out.counts.textsDiffer;
            putRowLine(out, '!', ta.name, key, text, other.data());
        }
    }
    for (uint32_t r = 0; r < tb.rows; ++r) {
        if (matched[r]) continue;
        ++out.counts.keysOnlyB;
        putRowLine(out, '+', tb.name, b.key(tb.firstRow + r), b.text(tb.firstRow + r), nullptr);
    }
}

// Tables are matched by name, the n-th table of a name in A with the n-th
// of that name in B. A's tables come first, in A's order; then the tables
// only B has, in B's order.
DiffCounts diffSnapshots(const Snapshot& a, const Snapshot& b, FILE* lines) {
    DiffOutput out{lines, {}};
    std::vector<bool> matched(b.tables.size(), false);
    for (const SnapshotTable& ta : a.tables) {
        const SnapshotTable* tb = nullptr;
        for (size_t j = 0; j < b.tables.size() && !tb; ++j) {
            if (matched[j] || b.tables[j].name != ta.name) continue;
            matched[j] = true;
            tb = &b.tables[j];
        }
        if (!tb) {
            ++out.counts.tablesOnlyA;
            putTableLine(out, '-', ta.name);
            continue;
        }
        diffRows(out, a, ta, b, *tb);
    }
    for (size_t j = 0; j < b.tables.size(); ++j) {
        if (matched[j]) continue;
        ++out.counts.tablesOnlyB;
        putTableLine(out, '+', b.tables[j].name);
    }
    return out.counts;
}

}  // namespace

int cliDiff(const CliArgs& args, FILE* out) {
    Snapshot a, b;
    if (takeSnapshot(args.positional[0], args, a) || takeSnapshot(args.positional[1], args, b)) return 2;
    DiffCounts c = diffSnapshots(a, b, args.summary ? nullptr : out);
    if (args.summary)
        fprintf(out, "tables only in A: %u\ntables only in B: %u\nkeys only in A: %u\nkeys only in B: %u\n"
               "texts that differ: %u\n",
               c.tablesOnlyA, c.tablesOnlyB, c.keysOnlyA, c.keysOnlyB, c.textsDiffer);
    return c.equal() ? 0 : 1;
}
