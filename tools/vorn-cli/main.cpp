// vorn-cli: the command-line companion of Vorn, over the same core.
// `vorn-cli --help` lists the commands (kCommands below).
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli_common.h"
#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "sidefiles/id_list.h"
#include "sidefiles/string_list.h"
#include "sidefiles/text_io.h"
#include "support/text.h"

namespace {

int usage();

int commandInfo(CliArgs& args) {
    if (args.positional.size() != 1) return usage();
    const char* path = args.positional[0];
    int code = openDocument(path);
    if (code) return cliFail(path, CliOperation::LoadGxt, code);
    uint32_t entries = 0;
    for (uint32_t i = 0; i < gDocument.tableCount; ++i) entries += gDocument.tables[i].entryCount;
    printf("layout=%c tables=%u entries=%u\n", gDocument.formatVariant, gDocument.tableCount, entries);
    closeDocument();
    return 0;
}

int commandDump(CliArgs& args) {
    if (args.positional.empty() || args.list.size() > 1) return usage();
    if (int code = cliApplyTables(args)) return code;
    for (const char* path : args.positional) {
        if (int code = cliOpenWithNames(path, args)) return code;
        if (!args.list.empty()) {
            int code = loadStringList(args.list[0]);
            if (code) {
                closeDocument();
                return cliFail(args.list[0], CliOperation::LoadStringList, code);
            }
        }
        // A list that names no entry shows no rows.
        if (args.list.empty() || gStringList.on) cliDumpDocument(stdout);
        closeDocument();
    }
    return 0;
}

int commandResave(CliArgs& args) {
    if (args.positional.size() != 2) return usage();
    if (int code = cliApplyTables(args)) return code;
    const char* in = args.positional[0];
    const char* out = args.positional[1];
    int code = openDocument(in);
    if (code) return cliFail(in, CliOperation::LoadGxt, code);
    code = saveDocument(out);
    closeDocument();
    if (code) return cliFail(out, CliOperation::SaveGxt, code);
    return 0;
}

// The first table whose name is the given one, regardless of case.
bool selectTableNamed(const char* name) {
    uint32_t n = textLength(name) + 1;
    if (n > 9) return false;
    for (uint32_t i = 0; i < tableCount(); ++i) {
        char table[9] = {};
        tableName(i, table);
        if (compareText(name, table, n, 0) == 0) return selectTable(i) == 1;
    }
    return false;
}

int commandExportText(CliArgs& args) {
    TextEncoding encoding;
    if (args.positional.size() != 2 || args.table.size() + args.list.size() + (args.all ? 1 : 0) != 1 ||
        !cliEncoding(args, encoding))
        return usage();
    if (int code = cliApplyTables(args)) return code;
    const char* gxt = args.positional[0];
    const char* out = args.positional[1];
    if (int code = cliOpenWithNames(gxt, args)) return code;
    if (!args.table.empty() && !selectTableNamed(args.table[0])) {
        closeDocument();
        fprintf(stderr, "vorn-cli: %s: no table named %s\n", gxt, args.table[0]);
        return 1;
    }
    if (!args.list.empty()) {
        int code = loadStringList(args.list[0]);
        if (code) {
            closeDocument();
            return cliFail(args.list[0], CliOperation::LoadStringList, code);
        }
    }
    TextConversionFailure failure{};
    int code = args.all ? exportAllText(out, &encoding, &failure) : exportText(out, &encoding, &failure);
    closeDocument();
    if (code == 7005) {
        fprintf(stderr, "vorn-cli: %s: line %u: the byte 0x%02x has no character in code page %u (7005)\n", out,
                failure.line, failure.character, encoding.codePage);
        return 1;
    }
    if (code) return cliFail(out, CliOperation::ExportText, code);
    return 0;
}

const char* passedOverReason(TextLineSkip reason) {
    switch (reason) {
    case TEXT_LINE_UNKNOWN_KEY: return "no entry has this key";
    case TEXT_LINE_NO_EQUALS: return "no \"=\" after the key";
    case TEXT_LINE_TOO_LONG: return "the text has 4096 characters or more";
    case TEXT_LINE_UNREPRESENTABLE: return "a character the code page cannot hold: ";
    case TEXT_LINE_NO_MEMORY: return "not enough memory for the text";
    case TEXT_LINE_UNKNOWN_TABLE: return "no table has this name";
    case TEXT_LINE_IN_UNKNOWN_TABLE: return "in a table that does not exist";
    }
    return "unexpected reason";
}

void reportPassedOver(void* path, uint32_t line, TextLineSkip reason, uint32_t character) {
    fprintf(stderr, "vorn-cli: %s: line %u passed over: %s", static_cast<const char*>(path), line,
            passedOverReason(reason));
    if (reason == TEXT_LINE_UNREPRESENTABLE) cliPutCharacter(stderr, character);
    fputc('\n', stderr);
}

// Whole-document and UTF-8 files may be larger than the 16 MiB of a GXT
// file: with --encoding utf-8, or for a file that begins with "[" (a
// "[NAME]" line) or the UTF-8 mark, the import takes files up to 256 MiB.
// Any other file keeps the limit of Vorn's import.
bool takesWholeDocumentLimit(const char* path, const TextEncoding& encoding) {
    if (encoding.utf8) return true;
    uint8_t head[3] = {};
    uint32_t got = 0;
    if (PlatformFile* file = fileOpenRead(path)) {
        if (!fileRead(file, head, sizeof head, &got)) got = 0;
        fileClose(file);
    }
    return (got > 0 && head[0] == '[') || startsWithUtf8Mark(head, got);
}

int commandImportText(CliArgs& args) {
    TextEncoding encoding;
    if (args.positional.size() != 3 || args.table.size() > 1 || !cliEncoding(args, encoding)) return usage();
    if (int code = cliApplyTables(args)) return code;
    const char* gxt = args.positional[0];
    const char* in = args.positional[1];
    const char* out = args.positional[2];
    if (int code = cliOpenWithNames(gxt, args)) return code;
    // The chosen table's rows come first when a key is in several tables.
    if (!args.table.empty() && !selectTableNamed(args.table[0])) {
        closeDocument();
        fprintf(stderr, "vorn-cli: %s: no table named %s\n", gxt, args.table[0]);
        return 2;
    }
    TextImportSummary summary{};
    summary.onPassedOver = reportPassedOver;
    summary.context = const_cast<char*>(in);
    const bool whole = takesWholeDocumentLimit(in, encoding);
    int code = importText(in, &summary, &encoding, whole ? kWholeTextImportLimit : kTextImportLimit);
    if (code) {
        closeDocument();
        return cliFail(in, whole ? CliOperation::ImportWholeText : CliOperation::ImportText, code);
    }
    fprintf(stderr, "vorn-cli: %s: %u changed, %u equal, %u passed over\n", in, summary.changed, summary.equal,
            summary.passedOver);
    code = saveDocument(out);
    closeDocument();
    if (code) return cliFail(out, CliOperation::SaveGxt, code);
    return 0;
}

int commandExportIds(CliArgs& args) {
    if (args.positional.size() != 2 || args.ids.empty()) return usage();
    const char* gxt = args.positional[0];
    const char* out = args.positional[1];
    if (int code = cliOpenWithNames(gxt, args)) return code;
    int code = exportIds(out);
    closeDocument();
    if (code) return cliFail(out, CliOperation::ExportIds, code);
    return 0;
}

int commandDiff(CliArgs& args) {
    if (args.positional.size() != 2) return usage();
    if (cliApplyTables(args)) return 2;
    return cliDiff(args, stdout);
}

int commandBuild(CliArgs& args) {
    TextEncoding encoding;
    if (args.positional.size() != 2 || args.layout.size() != 1 || !cliEncoding(args, encoding)) return usage();
    const char* layout = args.layout[0];
    if (!layout[0] || layout[1] || !strchr("012@", layout[0])) return usage();
    if (int code = cliApplyTables(args)) return code;
    return cliBuild(args, encoding);
}

struct Command {
    const char* name;
    int (*run)(CliArgs& args);
    unsigned options;      // the CliOption bits the command takes
    const char* synopsis;  // its arguments, for the usage
    const char* purpose;   // one line: what it does
};

const Command kCommands[] = {
    {"info", commandInfo, 0, "FILE", "prints the layout and the numbers of tables and entries"},
    {"dump", commandDump, OPT_TBL | OPT_IDS | OPT_LIST, "FILE... [--tbl T.tbl] [--ids N.ids]... [--list L.lst]",
     "prints every entry: table, key, text"},
    {"resave", commandResave, OPT_TBL, "IN.gxt OUT.gxt [--tbl T.tbl]", "loads a file and saves it in its layout"},
    {"export-text", commandExportText, OPT_TBL | OPT_IDS | OPT_LIST | OPT_TABLE | OPT_ALL | OPT_ENCODING | OPT_CODEPAGE,
     "GXT OUT.txt (--all | --table NAME | --list L.lst) [--encoding utf-8 [--codepage N]] [--ids N.ids]... "
     "[--tbl T.tbl]",
     "writes KEY=TEXT lines: every table under [NAME] lines, one table, or a list's rows"},
    {"import-text", commandImportText, OPT_TBL | OPT_IDS | OPT_TABLE | OPT_ENCODING | OPT_CODEPAGE,
     "GXT IN.txt OUT.gxt [--table NAME] [--encoding utf-8 [--codepage N]] [--ids N.ids]... [--tbl T.tbl]",
     "gives the entries the texts of KEY=TEXT lines and saves the result"},
    {"export-ids", commandExportIds, OPT_IDS, "GXT OUT.ids --ids N.ids...",
     "writes the key names the lists give to the file's hashes"},
    {"build", commandBuild, OPT_LAYOUT | OPT_TBL | OPT_ENCODING | OPT_CODEPAGE,
     "SRC.txt OUT.gxt --layout 0|1|2|@ [--encoding utf-8 [--codepage N]] [--tbl T.tbl]",
     "makes a GXT file from [NAME] and KEY=TEXT lines, tables and entries in their order"},
    {"diff", commandDiff, OPT_TBL | OPT_IDS | OPT_SUMMARY, "A.gxt B.gxt [--summary] [--ids N.ids]... [--tbl T.tbl]",
     "lists tables and keys only in A (-) or B (+) and changed texts (!); exit 0 same, 1 different, 2 error"},
};

void putUsage(FILE* out) {
    fputs("usage: vorn-cli COMMAND ARGUMENTS...\n", out);
    for (const Command& c : kCommands) fprintf(out, "  vorn-cli %s %s: %s\n", c.name, c.synopsis, c.purpose);
    fputs("  vorn-cli --help: prints this list\n", out);
}

int usage() {
    putUsage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The output is bytes: the same on every platform, no CR added to LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        putUsage(stdout);
        return 0;
    }
    if (argc < 2) return usage();
    for (const Command& c : kCommands) {
        if (strcmp(argv[1], c.name) != 0) continue;
        CliArgs args;
        if (!cliParseArgs(argc - 2, argv + 2, c.options, args)) return usage();
        return c.run(args);
    }
    return usage();
}
