// vorn-cli build: a GXT file from a whole-document text source, written in
// the layout's canonical form (the generator's writer, which is what saving
// writes for a file read and saved again).
#include <cstring>
#include <vector>

#include "cli_common.h"
#include "decode/decode_table.h"
#include "gxt_source.h"
#include "platform/platform.h"

namespace {

// The whole file, of any size a 32-bit length holds; false when it cannot
// be read.
bool readWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    PlatformFile* file = fileOpenRead(path);
    if (!file) return false;
    uint32_t size = 0, got = 0;
    bool ok = fileSize(file, &size);
    if (ok) {
        bytes.resize(size);
        for (uint32_t at = 0; ok && at < size; at += got) ok = fileRead(file, bytes.data() + at, size - at, &got) && got;
    }
    fileClose(file);
    return ok;
}

bool writeWholeFile(const char* path, const std::vector<uint8_t>& bytes, const char** reason) {
    PlatformFile* file = fileCreateReplacing(path);
    *reason = "cannot create the file";
    if (!file) return false;
    *reason = "cannot write the file";
    if (!fileWrite(file, bytes.data(), (uint32_t)bytes.size())) {
        fileClose(file);
        return false;
    }
    return fileFinish(file);
}

}  // namespace

int cliBuild(const CliArgs& args, const TextEncoding& encoding) {
    const char* source = args.positional[0];
    const char* out = args.positional[1];
    const char variant = args.layout[0][0];
    std::vector<uint8_t> bytes;
    if (!readWholeFile(source, bytes)) {
        fprintf(stderr, "vorn-cli: %s: cannot read the file\n", source);
        return 1;
    }
    if (encoding.utf8) {
        // The source in display characters, through the code page.
        const uint32_t mark = startsWithUtf8Mark(bytes.data(), (uint32_t)bytes.size()) ? 3 : 0;
        std::vector<uint8_t> display(bytes.size());
        uint32_t written = 0;
        TextConversionFailure failure{};
        CodePageResult r = convertTextLines(false, encoding.codePage, reinterpret_cast<const char*>(bytes.data()) + mark,
                                            (uint32_t)bytes.size() - mark, reinterpret_cast<char*>(display.data()),
                                            (uint32_t)display.size(), &written, &failure);
        if (r == CODE_PAGE_UNREPRESENTABLE) {
            fprintf(stderr, "vorn-cli: %s:%u: code page %u cannot hold the character ", source, failure.line,
                    encoding.codePage);
            cliPutCharacter(stderr, failure.character);
            fputc('\n', stderr);
            return 1;
        }
        if (r != CODE_PAGE_OK) {
            fprintf(stderr, "vorn-cli: %s: not enough memory to convert the file\n", source);
            return 1;
        }
        display.resize(written);
        bytes.swap(display);
    }
    GenDocument doc;
    GenSourceError error;
    if (!genParseSource(bytes.data(), bytes.size(), variant, doc, error)) {
        fprintf(stderr, "vorn-cli: %s:%u: %s\n", source, error.line, error.reason.c_str());
        return 1;
    }
    // The source holds display characters; the file holds their codes.
    for (GenTable& t : doc.tables)
        for (GenEntry& e : t.entries)
            for (char& c : e.text) c = (char)decodeTable::codeOf((uint8_t)c);
    std::vector<uint8_t> image = generateGxt(doc);
    const char* reason = nullptr;
    if (!writeWholeFile(out, image, &reason)) {
        fprintf(stderr, "vorn-cli: %s: %s\n", out, reason);
        return 1;
    }
    return 0;
}
