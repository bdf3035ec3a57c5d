// The modal dialogs the main window's commands open: Edit string, Guess ID,
// Find, About and Decode table. Each run function opens its dialog owned by
// the main window (DialogBoxParamA with the program's instance, parameter
// 0) and returns when it has closed; its result is of no interest to the
// caller. What a dialog needs of the shell (the main window, the entry
// list, the modified flags, the main font and colours, the decode-table
// import and export commands) is in app/shell_state.h.
#pragma once

// Edit -> Guess ID... (command 40005, Space, right-click in the entry list).
void runGuessIdDialog();
// Edit -> Modify string... (command 40006, Enter, double-click).
void runEditStringDialog();
// Edit -> Find... (command 40011, F7, Ctrl+F).
void runFindDialog();
// Edit -> Find next (command 40012, F3) runs this with fromTop 0; the Find
// dialog's Find Next with 1. 0 when no search can run, else 1.
int findNext(int fromTop);
// Help -> About... (command 40021).
void runAboutDialog();
// Edit -> Decode table... (command 40023).
void runDecodeTableDialog();
