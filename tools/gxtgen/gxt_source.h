// A whole document as text: "[NAME]" lines open the tables, in file order,
// and each "KEY=TEXT" line after one adds an entry to it, in line order.
// vorn-cli build makes GXT files of any layout from such a source.
#pragma once

#include <cstdint>
#include <string>

#include "gxt_generator.h"

struct GenSourceError {
    uint32_t line = 0;   // counted from 1
    std::string reason;
};

// Reads a source for the layout `variant` ('0', '1', '2' or '@') into doc.
// Lines end with CR LF, LF or CR; empty lines are passed over. Keys are
// names (at most the layout's name length: 8, or 32 for '@'); in the
// hashed layouts "0x" and eight hexadecimal digits give the hash itself.
// Texts are taken byte for byte. Refused, with the line and the reason:
// a key line before the first table, a line without "=", an empty key or
// one with a blank or a byte outside ASCII, a control character, a key too
// long, a key twice in one table (names regardless of ASCII case, hashed
// keys by hash), more than 65535 entries in a table, a table name of more
// than 8 characters or none, more tables than the layout has (layout '0':
// only MAIN), an image of 16 MiB or more. Tables the source does not name
// are added empty (genPaddingTableName), as generateGxt does.
bool genParseSource(const uint8_t* bytes, size_t size, char variant, GenDocument& doc, GenSourceError& error);
