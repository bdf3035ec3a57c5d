// Pieces shared by the vorn-cli commands: argument parsing, failure
// messages in words, and the dump format.
#pragma once

#include <cstdio>
#include <vector>

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
};

struct CliArgs {
    std::vector<const char*> positional;
    std::vector<const char*> tbl;          // --tbl PATH
    std::vector<const char*> rest;         // options no command has claimed
    std::vector<const char*> ids;          // --ids PATH (repeatable)
    std::vector<const char*> list;         // --list PATH
    std::vector<const char*> table;        // --table NAME
};

// Splits the arguments into positional ones and known options; false on an
// option without its value.
bool cliParseArgs(int argc, char** argv, CliArgs& args);
// The reason for a failure code in words.
const char* cliReason(CliOperation operation, int code);
// Prints "vorn-cli: FILE: REASON (CODE)" to stderr and returns 1.
int cliFail(const char* path, CliOperation operation, int code);
// Imports the --tbl table, if any; 0 or the exit code of the failure.
int cliApplyTables(const CliArgs& args);
// Imports every --ids list into the open document; 0 or the exit code of
// the failure.
int cliImportIdLists(const CliArgs& args);
// Writes one byte of a dumped field, escaping control bytes, 0x7F and '\'.
void cliPutEscaped(FILE* out, const char* text);
// Prints every row of the open document: the string list's rows, in list
// order, while one is shown, else the rows of every table.
void cliDumpDocument(FILE* out);
