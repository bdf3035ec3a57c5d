// Text files (.txt): one line per entry, its key, "=" and its text, so that
// the texts of a table or of a string list can be edited in any text editor
// and brought back.
#pragma once

// Writes the rows shown (the string list's, else the current table's), each
// as "KEY=TEXT" and CR LF, where KEY is the known name or "0x" and the hash
// in eight lower-case hexadecimal digits: 0, or 7000 (no path), 7001 (no
// string list and no current table), 7002 (no memory for the output), 7003
// (cannot create the file), 7004 (writing failed). The file is replaced only
// once it has been written whole.
int exportText(const char* path);

// Reads such lines and gives every entry that a line names (found across all
// tables by name, or by "0x" and its hash) the line's text, when it differs;
// a name key also names an entry that had no name. 0, or 8000 (no
// document), 8001 (cannot open), 8002 (no size), 8003 (16 MiB or larger),
// 8004 (no memory), 8005 (cannot read). A failed import changes nothing.
int importText(const char* path);
