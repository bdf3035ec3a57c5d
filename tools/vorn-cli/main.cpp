// vorn-cli: the command-line companion of Vorn, over the same core.
//   vorn-cli info FILE
//   vorn-cli dump FILE [--tbl TABLE.tbl]
//   vorn-cli resave IN OUT [--tbl TABLE.tbl]
#include <cstdio>
#include <cstring>

#include "cli_common.h"
#include "decode/decode_table.h"
#include "gxt/gxt.h"

namespace {

int usage() {
    fputs("usage:\n"
          "  vorn-cli info FILE\n"
          "  vorn-cli dump FILE [--tbl TABLE.tbl]\n"
          "  vorn-cli resave IN OUT [--tbl TABLE.tbl]\n",
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

int commandDump(CliArgs& args) {
    if (args.positional.size() != 1 || !args.rest.empty()) return usage();
    const char* path = args.positional[0];
    if (int code = cliApplyTables(args)) return code;
    int code = openDocument(path);
    if (code) return cliFail(path, CliOperation::LoadGxt, code);
    cliDumpDocument(stdout);
    closeDocument();
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

struct Command {
    const char* name;
    int (*run)(CliArgs& args);
};

const Command kCommands[] = {
    {"info", commandInfo},
    {"dump", commandDump},
    {"resave", commandResave},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    for (const Command& c : kCommands) {
        if (strcmp(argv[1], c.name) != 0) continue;
        CliArgs args;
        if (!cliParseArgs(argc - 2, argv + 2, args)) return usage();
        return c.run(args);
    }
    return usage();
}
