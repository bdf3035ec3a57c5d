// String lists (.lst): lists of key names whose entries, gathered from all
// tables in the list's order, become the rows of the entry list (the
// string-list view, gStringList, which the row accessors consult).
#pragma once

// Closes any list shown, then loads the file: 0, or 6000 (no document), 6001
// (cannot open), 6002 (no size), 6003 (16 MiB or larger), 6004 (no memory
// for the file), 6005 (cannot read), 6006 (no memory for the rows). The view
// is on afterwards only when at least one name found an entry.
int loadStringList(const char* path);

// Turns the view off: 0, or 7000 (no document), 7001 (no list shown).
int closeStringList();
