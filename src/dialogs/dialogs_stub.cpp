// Placeholders for the dialogs until their real procedures land: each
// command that opens a dialog does nothing yet. Replace this file with the
// dialogs' implementation (and drop it from src/app/CMakeLists.txt).
#include "dialogs/dialogs.h"

void runGuessIdDialog() {}
void runEditStringDialog() {}
void runFindDialog() {}
int findNext(int) { return 0; }
void runAboutDialog() {}
void runDecodeTableDialog() {}
