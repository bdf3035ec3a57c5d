// ID lists (.ids): plain lists of key names. Importing one gives every
// hashed entry whose hash a listed name matches that name; exporting writes
// the names the document's entries have, one per line.
#pragma once

// Offers every name of the file to the open document: 0, or 4000 (no
// document), 4001 (cannot open), 4002 (no size), 4003 (16 MiB or larger),
// 4004 (no memory), 4005 (cannot read). A failed import changes no name.
int importIds(const char* path);

// Writes the known names of every table, in table and row order, each
// followed by CR LF: 0, or 5000 (no path), 5001 (no document, or no memory
// for the per-table list), 5002 (no memory for a table's names; no file is
// created), 5003 (cannot create the file), 5004 (writing failed). The file is
// replaced only once it has been written whole.
int exportIds(const char* path);
