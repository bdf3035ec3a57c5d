// Text files (.txt): one line per entry, its key, "=" and its text, so that
// the texts of a table or of a string list can be edited in any text editor
// and brought back.
#pragma once

#include <cstdint>

#include "sidefiles/text_encoding.h"

// Writes the rows shown (the string list's, else the current table's), each
// as "KEY=TEXT" and CR LF, where KEY is the known name or "0x" and the hash
// in eight lower-case hexadecimal digits: 0, or 7000 (no path), 7001 (no
// string list and no current table), 7002 (no memory for the output), 7003
// (cannot create the file), 7004 (writing failed). The file is replaced only
// once it has been written whole.
// With an encoding of utf8, the file is written in UTF-8 from that code
// page, after the byte-order mark; 7005 when a text holds a byte the code
// page gives no character (failure, if given, names the line and the byte).
int exportText(const char* path, const TextEncoding* encoding = nullptr, TextConversionFailure* failure = nullptr);

// Writes every table, in table order, as a line "[NAME]" and CR LF followed
// by the table's rows as exportText writes them: the whole document in one
// file; the last table stays selected. 0, or 7000 (no path), 7001 (no
// document, or a string list shown), 7002, 7003, 7004, 7005 as above.
int exportAllText(const char* path, const TextEncoding* encoding = nullptr, TextConversionFailure* failure = nullptr);

// Text files of kTextImportLimit bytes (16 MiB) or more are too large to
// import. A whole document's lines, all the more in UTF-8, can be larger
// than the 16 MiB of its GXT file: the command-line import of such files
// takes up to kWholeTextImportLimit (256 MiB).
constexpr uint32_t kTextImportLimit = 0x1000000;
constexpr uint32_t kWholeTextImportLimit = 0x10000000;

// Why a line of an import changed nothing.
enum TextLineSkip : int {
    TEXT_LINE_UNKNOWN_KEY,       // the key names no entry (or is empty, or longer than 32 bytes)
    TEXT_LINE_NO_EQUALS,         // a key and no "="
    TEXT_LINE_TOO_LONG,          // a text of 4096 characters or more
    TEXT_LINE_UNREPRESENTABLE,   // a UTF-8 character the code page cannot hold
    TEXT_LINE_NO_MEMORY,         // no memory to store the text
    TEXT_LINE_UNKNOWN_TABLE,     // a "[NAME]" line that names no table
    TEXT_LINE_IN_UNKNOWN_TABLE,  // a line after a "[NAME]" that names no table
};

// What an import did, line by line.
struct TextImportSummary {
    uint32_t changed;     // lines that gave their entry a new text
    uint32_t equal;       // lines whose entry already had the text
    uint32_t passedOver;  // lines that changed nothing
    // When set, told of every passed-over line in file order; lines are
    // numbered from 1, and CR, LF and CR LF each end one.
    // With TEXT_LINE_UNREPRESENTABLE, character is the first character the
    // code page cannot hold (its Unicode code point; 0xFFFFFFFF for bytes
    // that are not UTF-8), else 0.
    void (*onPassedOver)(void* context, uint32_t line, TextLineSkip reason, uint32_t character);
    void* context;
};

// Reads such lines and gives every entry that a line names the line's text,
// when it differs; a name key also names an entry that had no name. A key
// is looked up among the rows the entry list shows (the current table's,
// or the string list's) first, then across all tables, by name or by "0x"
// and its hash. A line "[NAME]" (as exportAllText writes them) makes the
// rows of the table of that name, regardless of case, the first place for
// the lines after it (of tables that share the name, the first after the
// table of the last such line, wrapping round to the first table); one that
// names no table passes over its lines up to the next "[NAME]" (a line
// with an "=" names a section only when a table has that name, and is a key
// line otherwise). The table shown is the same afterwards. A file that
// begins with the UTF-8 byte-order mark is read as UTF-8 and its texts
// converted to the display code page, or to encoding->codePage when an
// encoding with utf8 is given (then the mark is optional); any other file
// byte for byte. Returns 0, or 8000 (no document), 8001 (cannot open), 8002
// (no size), 8003 (limit bytes or larger), 8004 (no memory), 8005 (cannot
// read); a failed import changes nothing. The counts are added to *summary
// when one is given.
int importText(const char* path, TextImportSummary* summary = nullptr, const TextEncoding* encoding = nullptr,
               uint32_t limit = kTextImportLimit);
