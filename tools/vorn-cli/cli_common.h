// Pieces shared by the vorn-cli commands: argument parsing, failure
// messages in words, and the dump format.
#pragma once

#include <cstdio>
#include <vector>

#include "gxt/gxt.h"
#include "sidefiles/text_encoding.h"

enum class CliOperation {
    LoadGxt,
    SaveGxt,
    ImportTbl,
    ExportTbl,
    ImportIds,
    ExportIds,
    LoadStringList,
    ExportText,
    ImportText,
    ImportWholeText,  // an import with the whole-document limit
};

// The options, one bit each, so that every command can name the ones it takes.
enum CliOption : unsigned {
    OPT_TBL = 1u << 0,
    OPT_IDS = 1u << 1,
    OPT_LIST = 1u << 2,
    OPT_TABLE = 1u << 3,
    OPT_ALL = 1u << 4,
    OPT_SUMMARY = 1u << 5,
    OPT_LAYOUT = 1u << 6,
    OPT_ENCODING = 1u << 7,
    OPT_CODEPAGE = 1u << 8,
};

struct CliArgs {
    std::vector<const char*> positional;
    std::vector<const char*> tbl;          // --tbl PATH
    std::vector<const char*> ids;          // --ids PATH (repeatable)
    std::vector<const char*> list;         // --list PATH
    std::vector<const char*> table;        // --table NAME
    std::vector<const char*> layout;       // --layout 0|1|2|@
    std::vector<const char*> encoding;     // --encoding bytes|utf-8
    std::vector<const char*> codepage;     // --codepage N
    bool all = false;                      // --all
    bool summary = false;                  // --summary
};

// Splits the arguments into positional ones and options; false on an
// option the command does not take (allowed: CliOption bits) or one
// without its value.
bool cliParseArgs(int argc, char** argv, unsigned allowed, CliArgs& args);
// The reason for a failure code in words.
const char* cliReason(CliOperation operation, int code);
// Prints "vorn-cli: FILE: REASON (CODE)" to stderr and returns 1.
int cliFail(const char* path, CliOperation operation, int code);
// Imports the --tbl table, if any; 0 or the exit code of the failure.
int cliApplyTables(const CliArgs& args);
// Imports every --ids list into the open document; 0 or the exit code of
// the failure.
int cliImportIdLists(const CliArgs& args);
// Opens a GXT file and imports the --ids lists into it; 0 or the exit code
// of the failure (the document is closed again then).
int cliOpenWithNames(const char* path, const CliArgs& args);
// vorn-cli diff A B: prints the differences (or with --summary their
// counts) to out; 0 equal, 1 different, 2 error.
int cliDiff(const CliArgs& args, FILE* out);
// vorn-cli build SRC OUT --layout L: 0, or 1 with the reason on stderr.
int cliBuild(const CliArgs& args, const TextEncoding& encoding);
// The --encoding (bytes, the default, or utf-8) and --codepage (default
// 1252; only with utf-8) options; false when they are wrong.
bool cliEncoding(const CliArgs& args, TextEncoding& encoding);
// A character for a message: "U+2192 (→)" for a Unicode code point, in
// UTF-8, or "bytes that are not UTF-8" for 0xFFFFFFFF.
void cliPutCharacter(FILE* out, uint32_t character);
// Writes one byte of a dumped field, escaping control bytes, 0x7F and '\'.
void cliPutEscaped(FILE* out, const char* text);
// Prints every row of the open document: the string list's rows, in list
// order, while one is shown, else the rows of every table.
void cliDumpDocument(FILE* out);

// Selects every table in turn and calls visit(name, rows) for each.
template <typename Visit>
void cliForEachTable(Visit visit) {
    uint32_t tables = tableCount();
    for (uint32_t i = 0; i < tables; ++i) {
        char name[9] = {};
        tableName(i, name);
        selectTable(i);
        visit(name, rowCount());
    }
}
