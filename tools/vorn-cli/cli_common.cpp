#include "cli_common.h"

#include <cstring>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "sidefiles/id_list.h"

namespace {

struct OptionSpec {
    const char* name;
    unsigned bit;
    std::vector<const char*> CliArgs::* values;  // null for a flag
    bool CliArgs::* flag;
};

const OptionSpec kOptions[] = {
    {"--tbl", OPT_TBL, &CliArgs::tbl, nullptr},
    {"--ids", OPT_IDS, &CliArgs::ids, nullptr},
    {"--list", OPT_LIST, &CliArgs::list, nullptr},
    {"--table", OPT_TABLE, &CliArgs::table, nullptr},
    {"--layout", OPT_LAYOUT, &CliArgs::layout, nullptr},
    {"--encoding", OPT_ENCODING, &CliArgs::encoding, nullptr},
    {"--codepage", OPT_CODEPAGE, &CliArgs::codepage, nullptr},
    {"--all", OPT_ALL, nullptr, &CliArgs::all},
    {"--summary", OPT_SUMMARY, nullptr, &CliArgs::summary},
};

}  // namespace

bool cliParseArgs(int argc, char** argv, unsigned allowed, CliArgs& args) {
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (a[0] != '-' || a[1] != '-') {
            args.positional.push_back(a);
            continue;
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& o : kOptions)
            if (strcmp(a, o.name) == 0) spec = &o;
        if (!spec || !(allowed & spec->bit)) return false;
        if (spec->flag) {
            args.*(spec->flag) = true;
        } else {
            if (i + 1 >= argc) return false;
            (args.*(spec->values)).push_back(argv[++i]);
        }
    }
    return true;
}

namespace {

// The steps that every side-file import shares, numbered from its block of
// codes: base + 0 (no document) to base + 5.
const char* sideFileReadReason(int step) {
    switch (step) {
        case 0: return "no document is open";
        case 1: return "cannot open the file";
        case 2: return "cannot read the size of the file";
        case 3: return "the file is 16 MiB or larger";
        case 4: return "not enough memory for the file";
        case 5: return "cannot read the file";
    }
    return nullptr;
}

const char* sideFileImportReason(int base, int code) {
    return code >= base && code <= base + 5 ? sideFileReadReason(code - base) : nullptr;
}

}  // namespace

const char* cliReason(CliOperation operation, int code) {
    const char* reason = nullptr;
    switch (operation) {
        case CliOperation::LoadGxt:
            switch (code) {
                case 2000: return "cannot create the document's memory";
                case 2001: return "cannot open the file";
                case 2002: return "cannot read the size of the file";
                case 2003: return "the file is 16 MiB or larger";
                case 2004: return "not enough memory for the file";
                case 2005: return "cannot read the file";
                case 2006: return "not a GXT file of a known layout";
                case 2007: return "the file's tables are damaged, point outside the file or are too large";
                case 2208: return "not enough memory to index the file";
            }
            break;
        case CliOperation::SaveGxt:
            switch (code) {
                case 3000: return "no file name given";
                case 3001: return "no document, or not enough memory to build the file";
                case 3002: return "cannot create the file";
                case 3003: return lastSaveNotReplaced() ? "cannot replace the file" : "cannot write the file";
                case 3004: return "the saved file would be 16 MiB or larger";
            }
            break;
        case CliOperation::ImportTbl:
            switch (code) {
                case 7000: return "cannot create the decode table's memory";
                case 7001: return "cannot open the file";
                case 7002: return "cannot read the size of the file";
                case 7004: return "not enough memory for the file";
                case 7005: return "cannot read the file";
                case 7006: return "not a decode table: a byte below 32, or fewer than 224 bytes";
                case 7007: return "not a decode table: a byte value occurs twice";
            }
            break;
        case CliOperation::ExportTbl:
            switch (code) {
                case 8001: return "cannot create the file";
                case 8002: return "cannot write the file";
            }
            break;
        case CliOperation::ImportIds:
            reason = sideFileImportReason(4000, code);
            break;
        case CliOperation::ExportIds:
            switch (code) {
                case 5000: return "no file name given";
                case 5001: return "no document, or not enough memory for the list of tables";
                case 5002: return "not enough memory for the names";
                case 5003: return "cannot create the file";
                case 5004: return "cannot write the file";
            }
            break;
        case CliOperation::LoadStringList:
            if (code == 6006) return "not enough memory for the list's rows";
            reason = sideFileImportReason(6000, code);
            break;
        case CliOperation::ExportText:
            switch (code) {
                case 7000: return "no file name given";
                case 7001: return "no string list and no table chosen";
                case 7002: return "not enough memory for the text";
                case 7003: return "cannot create the file";
                case 7004: return "cannot write the file";
            }
            break;
        case CliOperation::ImportWholeText:
            if (code == 8003) return "the file is 256 MiB or larger";
            [[fallthrough]];
        case CliOperation::ImportText:
            reason = sideFileImportReason(8000, code);
            break;
    }
    return reason ? reason : "unexpected failure";
}

int cliFail(const char* path, CliOperation operation, int code) {
    fprintf(stderr, "vorn-cli: %s: %s (%d)\n", path, cliReason(operation, code), code);
    return 1;
}

int cliApplyTables(const CliArgs& args) {
    for (const char* path : args.tbl) {
        int code = importTbl(path);
        if (code) return cliFail(path, CliOperation::ImportTbl, code);
    }
    return 0;
}

int cliImportIdLists(const CliArgs& args) {
    for (const char* path : args.ids) {
        int code = importIds(path);
        if (code) return cliFail(path, CliOperation::ImportIds, code);
    }
    return 0;
}

bool cliEncoding(const CliArgs& args, TextEncoding& encoding) {
    encoding = TextEncoding{false, 1252};
    if (args.encoding.size() > 1 || args.codepage.size() > 1) return false;
    if (!args.encoding.empty()) {
        if (strcmp(args.encoding[0], "utf-8") == 0) encoding.utf8 = true;
        else if (strcmp(args.encoding[0], "bytes") != 0) return false;
    }
    if (args.codepage.empty()) return true;
    const char* n = args.codepage[0];
    uint32_t value = 0;
    for (const char* p = n; *p; ++p) {
        if (*p < '0' || *p > '9' || value > 65535) return false;
        value = value * 10 + (uint32_t)(*p - '0');
    }
    if (!*n || value == 0 || value > 65535 || !encoding.utf8) return false;
    encoding.codePage = value;
    return true;
}

void cliPutCharacter(FILE* out, uint32_t c) {
    if (c > 0x10FFFF) {
        fputs("bytes that are not UTF-8", out);
        return;
    }
    char utf8[5] = {};
    if (c < 0x80) {
        utf8[0] = (char)c;
    } else if (c < 0x800) {
        utf8[0] = (char)(0xC0 | c >> 6);
        utf8[1] = (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        utf8[0] = (char)(0xE0 | c >> 12);
        utf8[1] = (char)(0x80 | (c >> 6 & 0x3F));
        utf8[2] = (char)(0x80 | (c & 0x3F));
    } else {
        utf8[0] = (char)(0xF0 | c >> 18);
        utf8[1] = (char)(0x80 | (c >> 12 & 0x3F));
        utf8[2] = (char)(0x80 | (c >> 6 & 0x3F));
        utf8[3] = (char)(0x80 | (c & 0x3F));
    }
    fprintf(out, "U+%04X (%s)", c, utf8);
}

int cliOpenWithNames(const char* path, const CliArgs& args) {
    int code = openDocument(path);
    if (code) return cliFail(path, CliOperation::LoadGxt, code);
    code = cliImportIdLists(args);
    if (code) closeDocument();
    return code;
}

void cliPutEscaped(FILE* out, const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x20 || *p == 0x7F || *p == '\\') fprintf(out, "\\x%02x", *p);
        else fputc(*p, out);
    }
}

namespace {
void dumpRow(FILE* out, const char* table, uint32_t row) {
    cliPutEscaped(out, table);
    fputc('\t', out);
    const char* key = rowKeyName(row);
    cliPutEscaped(out, key ? key : rowHashName(row));
    fputc('\t', out);
    const char* text = rowText(row);
    cliPutEscaped(out, text ? text : "");
    fputc('\n', out);
}
}  // namespace

void cliDumpDocument(FILE* out) {
    if (gStringList.on) {
        // The rows come from any table: each shows its own table's name.
        for (uint32_t r = 0; r < gStringList.count; ++r) {
            const GxtEntry* e = gStringList.entries[r];
            const char* table = "";
            for (uint32_t i = 0; i < gDocument.tableCount; ++i) {
                const GxtTable& t = gDocument.tables[i];
                if (e >= t.entries && e < t.entries + t.entryCount) table = t.name;
            }
            dumpRow(out, table, r);
        }
        return;
    }
    cliForEachTable([out](const char* name, uint32_t rows) {
        for (uint32_t r = 0; r < rows; ++r) dumpRow(out, name, r);
    });
}
