// vorn-cli: the command-line companion of Vorn, over the same core.
//   vorn-cli info FILE
//   vorn-cli dump FILE... [--tbl TABLE.tbl] [--ids NAMES.ids]... [--list NAMES.lst]
//   vorn-cli resave IN OUT [--tbl TABLE.tbl]
//   vorn-cli export-text GXT OUT.txt (--table NAME | --list NAMES.lst) [--ids NAMES.ids]... [--tbl TABLE.tbl]
//   vorn-cli import-text GXT IN.txt OUT.gxt [--table NAME] [--ids NAMES.ids]... [--tbl TABLE.tbl]
//   vorn-cli export-ids GXT OUT.ids --ids NAMES.ids...
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

int usage() {
    fputs("usage:\n"
          "  vorn-cli info FILE\n"
          "  vorn-cli dump FILE... [--tbl TABLE.tbl] [--ids NAMES.ids]... [--list NAMES.lst]\n"
          "  vorn-cli resave IN OUT [--tbl TABLE.tbl]\n"
          "  vorn-cli export-text GXT OUT.txt (--table NAME | --list NAMES.lst) [--ids NAMES.ids]... [--tbl TABLE.tbl]\n"
          "  vorn-cli import-text GXT IN.txt OUT.gxt [--table NAME] [--ids NAMES.ids]... [--tbl TABLE.tbl]\n"
          "  vorn-cli export-ids GXT OUT.ids --ids NAMES.ids...\n",
          stderr);
    return 2;
}

int commandInfo(CliArgs& args) {
    if (args.positional.size() != 1 || !args.rest.empty()) return usage();
    const char* path = args.positional[0];
    int code = openDocument(path);
    if (code) return cliFail(path, CliOperation::LoadGxt, code);
    uint32_t entries = 0;
    for (uint32_t i = 0; i < gDocument.tableCount; ++i) entries += gDocument.tables[i].entryCount;
    printf("layout=%c tables=%u entries=%u\n", gDocument.formatVariant, gDocument.tableCount, entries);
    closeDocument();
    return 0;
}

// Opens a GXT file and imports the --ids lists into it; 0 or the exit code
// of the failure (the document is closed again then).
int openWithNames(const char* path, const CliArgs& args) {
    int code = openDocument(path);
    if (code) return cliFail(path, CliOperation::LoadGxt, code);
    code = cliImportIdLists(args);
    if (code) closeDocument();
    return code;
}

int commandDump(CliArgs& args) {
    if (args.positional.empty() || !args.rest.empty() || args.list.size() > 1) return usage();
    if (int code = cliApplyTables(args)) return code;
    for (const char* path : args.positional) {
        if (int code = openWithNames(path, args)) return code;
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
    if (args.positional.size() != 2 || !args.rest.empty()) return usage();
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
    if (args.positional.size() != 2 || !args.rest.empty() || args.table.size() + args.list.size() != 1)
        return usage();
    if (int code = cliApplyTables(args)) return code;
    const char* gxt = args.positional[0];
    const char* out = args.positional[1];
    if (int code = openWithNames(gxt, args)) return code;
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
    int code = exportText(out);
    closeDocument();
    if (code) return cliFail(out, CliOperation::ExportText, code);
    return 0;
}

const char* passedOverReason(TextLineSkip reason) {
    switch (reason) {
    case TEXT_LINE_UNKNOWN_KEY: return "no entry has this key";
    case TEXT_LINE_NO_EQUALS: return "no \"=\" after the key";
    case TEXT_LINE_TOO_LONG: return "the text has 4096 characters or more";
    case TEXT_LINE_UNREPRESENTABLE: return "a character the display code page cannot hold";
    case TEXT_LINE_NO_MEMORY: return "not enough memory for the text";
    }
    return "unexpected reason";
}

void reportPassedOver(void* path, uint32_t line, TextLineSkip reason) {
    fprintf(stderr, "vorn-cli: %s: line %u passed over: %s\n", static_cast<const char*>(path), line,
            passedOverReason(reason));
}

int commandImportText(CliArgs& args) {
    if (args.positional.size() != 3 || !args.rest.empty() || args.table.size() > 1 || !args.list.empty())
        return usage();
    if (int code = cliApplyTables(args)) return code;
    const char* gxt = args.positional[0];
    const char* in = args.positional[1];
    const char* out = args.positional[2];
    if (int code = openWithNames(gxt, args)) return code;
    // The chosen table's rows come first when a key is in several tables.
    if (!args.table.empty() && !selectTableNamed(args.table[0])) {
        closeDocument();
        fprintf(stderr, "vorn-cli: %s: no table named %s\n", gxt, args.table[0]);
        return 2;
    }
    TextImportSummary summary{};
    summary.onPassedOver = reportPassedOver;
    summary.context = const_cast<char*>(in);
    int code = importText(in, &summary);
    if (code) {
        closeDocument();
        return cliFail(in, CliOperation::ImportText, code);
    }
    fprintf(stderr, "vorn-cli: %s: %u changed, %u equal, %u passed over\n", in, summary.changed, summary.equal,
            summary.passedOver);
    code = saveDocument(out);
    closeDocument();
    if (code) return cliFail(out, CliOperation::SaveGxt, code);
    return 0;
}

int commandExportIds(CliArgs& args) {
    if (args.positional.size() != 2 || !args.rest.empty() || args.ids.empty() || !args.table.empty() ||
        !args.list.empty() || !args.tbl.empty())
        return usage();
    const char* gxt = args.positional[0];
    const char* out = args.positional[1];
    if (int code = openWithNames(gxt, args)) return code;
    int code = exportIds(out);
    closeDocument();
    if (code) return cliFail(out, CliOperation::ExportIds, code);
    return 0;
}

struct Command {
    const char* name;
    int (*run)(CliArgs& args);
};

const Command kCommands[] = {
    {"info", commandInfo},
    {"dump", commandDump},
    {"resave", commandResave},
    {"export-text", commandExportText},
    {"import-text", commandImportText},
    {"export-ids", commandExportIds},
};

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The output is bytes: the same on every platform, no CR added to LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (argc < 2) return usage();
    for (const Command& c : kCommands) {
        if (strcmp(argv[1], c.name) != 0) continue;
        CliArgs args;
        if (!cliParseArgs(argc - 2, argv + 2, args)) return usage();
        return c.run(args);
    }
    return usage();
}
