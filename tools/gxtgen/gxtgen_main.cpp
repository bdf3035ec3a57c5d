// vorn-gxtgen: writes the project's sample GXT files and the fuzz seeds.
//
//   vorn-gxtgen samples DIR   sample files of every layout, and under
//                             DIR/expected what `vorn-cli info` and
//                             `vorn-cli dump` must print for each
//   vorn-gxtgen seeds DIR     a seed corpus for the GXT fuzz targets
//   vorn-gxtgen worst FILE    the slowest file to load and save (16 MiB, '@')
//
// Every text here is our own; the mark-up (~r~, ~n~, ~k~~...~, ~1~) is the
// kind the games use, so that the samples exercise the preview as well.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gxt_generator.h"

namespace {

struct Sample {
    GenDocument doc;
    GenOptions options;
};

// '@' is the layout's code; file names spell it "at".
std::string layoutWord(char variant) { return variant == '@' ? "at" : std::string(1, variant); }

bool makeDirectory(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return !error;
}

bool writeText(const std::string& path, const std::string& text) {
    return writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

GenTable table(const char* name, std::vector<GenEntry> entries) {
    GenTable t;
    t.name = name;
    t.entries = std::move(entries);
    return t;
}

// ---- Samples -----------------------------------------------------------------

// The entries of the main table, shared by every layout. Names stay within
// eight characters so that the named layouts can hold them.
std::vector<GenEntry> mainEntries() {
    return {
        {"INTRO_1", 0, "Welcome to ~y~Vorn Bay~w~, stranger."},
        {"INTRO_2", 0, "Find a car and drive to the ~b~harbour~w~.~n~Do not be late."},
        {"HELP_FIR", 0, "Press ~k~~PED_FIREWEAPON~ to fire."},
        {"HELP_CAR", 0, "Use ~k~~VEHICLE_ENTER_EXIT~ to get in or out of a vehicle."},
        {"WARN_01", 0, "~r~You are running out of time!"},
        {"SCORE", 0, "Crates delivered: ~1~ of ~1~"},
        {"CASH", 0, "~g~Bonus: $~1~"},
        {"PAUSE", 0, "Paused"},
        {"BLANK", 0, ""},
        {"LIGHTHSE", 0, "The lighthouse keeper waits by the ~p~old pier~w~."},
    };
}

std::vector<GenEntry> harbourEntries() {
    return {
        {"HAR_01", 0, "Pick up the ~y~crates~w~ at the north dock."},
        {"HAR_02", 0, "~r~The guards have spotted you!~n~~w~Lose them."},
        {"HAR_03", 0, "Load the crates onto the ~b~boat~w~."},
        {"HAR_PASS", 0, "~g~MISSION PASSED!~n~~w~$~1~"},
        {"HAR_FAIL", 0, "~r~MISSION FAILED!"},
    };
}

std::vector<GenEntry> raceEntries() {
    return {
        {"RACE_GO", 0, "3... 2... 1... ~g~GO!"},
        {"RACE_CP", 0, "Checkpoint ~1~ of ~1~"},
        {"RACE_HRN", 0, "Hold ~k~~VEHICLE_HORN~ to sound the horn."},
        {"RACE_WIN", 0, "You won the race in ~1~ seconds!"},
        {"RACE_LOS", 0, "You came ~1~th. Try again."},
    };
}

// Texts said by several keys, for the files whose keys share strings.
std::vector<GenEntry> sharedEntries() {
    return {
        {"M1_PASS", 0, "~g~MISSION PASSED!"},
        {"M1_FAIL", 0, "~r~MISSION FAILED!"},
        {"M2_PASS", 0, "~g~MISSION PASSED!"},
        {"M2_HINT", 0, "Follow the ~y~van~w~ but keep your distance."},
        {"M2_FAIL", 0, "~r~MISSION FAILED!"},
        {"M3_PASS", 0, "~g~MISSION PASSED!"},
        {"M3_HINT", 0, "Press ~k~~PED_SPRINT~ to run.~n~Hold it to sprint."},
    };
}

std::vector<Sample> samples() {
    std::vector<Sample> out;
    for (char v : {'0', '1', '2', '@'}) {
        Sample plain;
        plain.doc.variant = v;
        plain.doc.tables.push_back(table("MAIN", mainEntries()));
        if (v != '0') {
            plain.doc.tables.push_back(table("HARBOUR", harbourEntries()));
            plain.doc.tables.push_back(table("RACE", raceEntries()));
        }
        if (v == '@') {
            // The extended layout's names may be long; only their hashes are
            // stored. One text carries a backslash, which dump escapes.
            plain.doc.tables.push_back(table(
                "NIGHTRUN", {{"NIGHTRUN_INTRO_FERRY_HINT", 0, "Catch the last ~b~ferry~w~ before midnight."},
                             {"NIGHTRUN_PHOTO_SAVED", 0, "Photo saved to PICS\\VORN01."},
                             {"NIGHTRUN_TIMER", 0, "Time left: ~1~:~1~"}}));
        }
        out.push_back(plain);

        // Strings in reverse record order, equal strings stored once, and
        // in the two-byte layouts a non-zero high byte: rows then come out
        // in another order than the key records, and the high bytes are
        // dropped on reading.
        Sample shared;
        shared.doc.variant = v;
        shared.doc.tables.push_back(table("MAIN", sharedEntries()));
        if (v != '0') shared.doc.tables.push_back(table("HARBOUR", harbourEntries()));
        shared.options.order = GenStringOrder::Reverse;
        shared.options.shareEqualTexts = true;
        if (v == '0' || v == '1') shared.options.highByte = 0x04;
        out.push_back(shared);
    }
    return out;
}

std::string sampleName(const Sample& s, bool sharedKind) {
    return "example-" + layoutWord(s.doc.variant) + (sharedKind ? "-shared" : "");
}

// What `vorn-cli dump` prints for a byte string: bytes below 0x20, 0x7F and
// the backslash as \xHH, every other byte as it is.
void appendEscaped(std::string& out, const std::string& field) {
    for (unsigned char c : field) {
        if (c < 0x20 || c == 0x7F || c == '\\') {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += (char)c;
        }
    }
}

// The expected output of `vorn-cli info` and `vorn-cli dump`, worked out from
// the description the file was generated from, not from reading it back.
std::string expectedInfo(const Sample& s) {
    size_t entries = 0;
    for (const GenTable& t : s.doc.tables) entries += t.entries.size();
    char buf[96];
    snprintf(buf, sizeof buf, "layout=%c tables=%u entries=%zu\n", s.doc.variant,
             genTableCount(s.doc.variant), entries);
    return buf;
}

std::string expectedDump(const Sample& s) {
    const bool hashed = s.doc.variant == '2' || s.doc.variant == '@';
    std::string out;
    for (const GenTable& t : s.doc.tables) {
        std::string tableName = s.doc.variant == '0' ? "MAIN" : t.name.substr(0, 8);
        for (size_t row : genRowOrder(t, s.options)) {
            const GenEntry& e = t.entries[row];
            appendEscaped(out, tableName);
            out += '\t';
            if (hashed) {
                char buf[16];
                snprintf(buf, sizeof buf, "%08x", e.hash ? e.hash : genKeyHash(s.doc.variant, e.name));
                out += buf;
            } else {
                appendEscaped(out, e.name.substr(0, 8));
            }
            out += '\t';
            appendEscaped(out, e.text);
            out += '\n';
        }
    }
    return out;
}

int writeSamples(const std::string& dir) {
    if (!makeDirectory(dir + "/expected")) {
        fprintf(stderr, "vorn-gxtgen: cannot make %s/expected\n", dir.c_str());
        return 1;
    }
    std::vector<Sample> all = samples();
    for (size_t i = 0; i < all.size(); ++i) {
        const Sample& s = all[i];
        std::string name = sampleName(s, i % 2 == 1);
        if (!writeFileBytes(dir + "/" + name + ".gxt", generateGxt(s.doc, s.options)) ||
            !writeText(dir + "/expected/" + name + ".info", expectedInfo(s)) ||
            !writeText(dir + "/expected/" + name + ".dump", expectedDump(s))) {
            fprintf(stderr, "vorn-gxtgen: cannot write %s/%s\n", dir.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}

// ---- Fuzz seeds ----------------------------------------------------------------

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    if (at + 4 > bytes.size()) return;
    for (int i = 0; i < 4; ++i) bytes[at + i] = (uint8_t)(value >> (8 * i));
}

uint32_t get32(const std::vector<uint8_t>& bytes, size_t at) {
    if (at + 4 > bytes.size()) return 0;
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | (uint32_t)bytes[at + 3] << 24;
}

size_t headerSize(char variant) { return variant == '2' || variant == '@' ? 4 : 0; }

// Offset of table i's TKEY tag in a generated image.
size_t tkeyOffset(const std::vector<uint8_t>& bytes, char variant, uint32_t i) {
    if (variant == '0') return 0;
    size_t at = get32(bytes, headerSize(variant) + 8 + 12 * i + 8);
    return i == 0 ? at : at + 8;
}

struct SeedWriter {
    std::string dir;
    int written = 0;
    bool ok = true;
    void add(const std::string& name, const std::vector<uint8_t>& bytes) {
        ok = writeFileBytes(dir + "/" + name + ".gxt", bytes) && ok;
        ++written;
    }
};

GenDocument smallDocument(char variant) {
    GenDocument doc;
    doc.variant = variant;
    doc.tables.push_back(table("MAIN", mainEntries()));
    if (variant != '0') doc.tables.push_back(table("HARBOUR", harbourEntries()));
    return doc;
}

void addEdgeCases(SeedWriter& w, char v) {
    const std::string lw = layoutWord(v);
    const size_t recordSize = v == '2' || v == '@' ? 8 : 12;
    const std::vector<uint8_t> base = generateGxt(smallDocument(v));

    // Cut short: in the middle, and by one byte (the last string loses its
    // terminator).
    w.add("cut-half-" + lw, std::vector<uint8_t>(base.begin(), base.begin() + base.size() / 2));
    w.add("cut-last-" + lw, std::vector<uint8_t>(base.begin(), base.end() - 1));

    // Every table empty.
    GenDocument empty;
    empty.variant = v;
    w.add("empty-tables-" + lw, generateGxt(empty));

    // The first table's sizes and first string offset pointing far away.
    size_t tkey = tkeyOffset(base, v, 0);
    size_t keySize = get32(base, tkey + 4);
    std::vector<uint8_t> bytes = base;
    put32(bytes, tkey + 4, 0xFFFFFFF0u);
    w.add("tkey-huge-" + lw, bytes);
    bytes = base;
    put32(bytes, tkey + 4, (uint32_t)keySize + 5);  // a remainder after the records
    w.add("tkey-remainder-" + lw, bytes);
    bytes = base;
    put32(bytes, tkey + 8 + keySize + 4, 0x7FFFFFFFu);
    w.add("tdat-huge-" + lw, bytes);
    bytes = base;
    put32(bytes, tkey + 8 + keySize + 4, 1);
    w.add("tdat-tiny-" + lw, bytes);
    bytes = base;
    put32(bytes, tkey + 8, 0xFFFFFF00u);
    w.add("string-offset-huge-" + lw, bytes);
    bytes = base;
    put32(bytes, tkey + 8 + recordSize, (uint32_t)get32(base, tkey + 8 + keySize + 4) - 1);
    w.add("string-offset-last-byte-" + lw, bytes);

    if (v != '0') {
        // A later table's block outside the file, and the TABL size with the
        // largest remainder its layout still accepts.
        size_t tabl = headerSize(v);
        bytes = base;
        put32(bytes, tabl + 8 + 12 + 8, 0xFFFFFFF8u);
        w.add("table-offset-huge-" + lw, bytes);
        bytes = base;
        put32(bytes, tabl + 8 + 12 + 8, (uint32_t)base.size() - 4);
        w.add("table-offset-end-" + lw, bytes);
        bytes = base;
        put32(bytes, tabl + 4, get32(base, tabl + 4) + 11);
        w.add("tabl-remainder-" + lw, bytes);
    }

    // Every key record pointing at one string.
    GenDocument same = smallDocument(v);
    for (GenEntry& e : same.tables[0].entries) e.text = "~r~Same text for every key";
    GenOptions sharing;
    sharing.shareEqualTexts = true;
    w.add("all-shared-" + lw, generateGxt(same, sharing));

    if (v == '2' || v == '@') {
        // Two keys with one hash.
        GenDocument twins = smallDocument(v);
        twins.tables[0].entries[1].hash = genKeyHash(v, twins.tables[0].entries[0].name);
        w.add("duplicate-hash-" + lw, generateGxt(twins));
    } else {
        // A unit whose low byte is 0 but whose high byte is not ends a string.
        GenOptions high;
        high.highByte = 0x01;
        GenDocument nul = smallDocument(v);
        nul.tables[0].entries[0].text = std::string("AB") + '\0' + "CD";
        w.add("high-byte-" + lw, generateGxt(nul, high));
    }
}

int writeSeeds(const std::string& dir) {
    if (!makeDirectory(dir)) {
        fprintf(stderr, "vorn-gxtgen: cannot make %s\n", dir.c_str());
        return 1;
    }
    SeedWriter w;
    w.dir = dir;

    // Random documents of every layout, with and without the options.
    for (char v : {'0', '1', '2', '@'}) {
        for (uint32_t seed = 1; seed <= 6; ++seed) {
            GenOptions options;
            options.order = seed % 2 ? GenStringOrder::Reverse : GenStringOrder::RecordOrder;
            options.shareEqualTexts = seed % 3 == 0;
            if (v == '0' || v == '1') options.highByte = seed % 4 == 0 ? 0x04 : 0;
            GenDocument doc = randomDocument(v, seed * 7919u + (uint8_t)v, 12, seed % 2 == 0);
            w.add("random-" + layoutWord(v) + "-" + std::to_string(seed), generateGxt(doc, options));
        }
        addEdgeCases(w, v);
    }

    // Files that match no layout, or only nearly.
    w.add("empty", {});
    w.add("three-bytes", {'T', 'K', 'E'});
    w.add("tkey-only", {'T', 'K', 'E', 'Y'});
    std::vector<uint8_t> header(12, 0);
    put32(header, 0, 0x00080004u);
    put32(header, 4, 0x4C424154u);
    put32(header, 8, 1536);  // 128 tables: no layout
    w.add("header-128-tables", header);
    put32(header, 8, 6288);  // 524 tables announced, none present
    w.add("header-524-tables-missing", header);
    std::vector<uint8_t> tabl(8, 0);
    put32(tabl, 0, 0x4C424154u);
    put32(tabl, 4, 948);  // 79 tables announced, none present
    w.add("tabl-79-tables-missing", tabl);

    if (!w.ok) {
        fprintf(stderr, "vorn-gxtgen: cannot write the seeds into %s\n", dir.c_str());
        return 1;
    }
    printf("vorn-gxtgen: %d seeds in %s\n", w.written, dir.c_str());
    return 0;
}

int usage() {
    fputs("usage:\n"
          "  vorn-gxtgen samples DIR   write the sample GXT files (and DIR/expected)\n"
          "  vorn-gxtgen seeds DIR     write a fuzz seed corpus\n"
          "  vorn-gxtgen worst FILE    write the worst-case file for loading and saving\n",
          stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    if (strcmp(argv[1], "samples") == 0) return writeSamples(argv[2]);
    if (strcmp(argv[1], "seeds") == 0) return writeSeeds(argv[2]);
    if (strcmp(argv[1], "worst") == 0)
        return writeFileBytes(argv[2], generateGxt(worstCaseDocument(), worstCaseOptions())) ? 0 : 1;
    return usage();
}
