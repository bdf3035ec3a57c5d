// Identifiers of Vorn's resources and of the controls in its dialogs.
//
// Read both by the C++ code and by windres, so everything here is a plain
// #define of an integer (windres has no constexpr).  The menu command ids
// are also the WM_COMMAND ids the main window dispatches.
#ifndef VORN_RESOURCES_RESOURCE_H
#define VORN_RESOURCES_RESOURCE_H

// ---- Version ---------------------------------------------------------------
#define VORN_VERSION_MAJOR 0
#define VORN_VERSION_MINOR 9
#define VORN_VERSION_PATCH 7
#define VORN_VERSION_TEXT "0.9.7"

// ---- Menu and accelerators -------------------------------------------------
#define IDR_MAIN_MENU 201
#define IDR_ACCELERATORS 107

// File
#define IDM_OPEN_GXT 40017
#define IDM_SAVE_GXT_AS 40015
#define IDM_CLOSE_GXT 40013
#define IDM_OPEN_STRING_LIST 40007
#define IDM_CLOSE_STRING_LIST 40008
#define IDM_EXIT 1002
#define IDM_IMPORT_DECODE_TABLE 40024
#define IDM_IMPORT_ID_LIST 40003
#define IDM_IMPORT_TEXT 40014
#define IDM_EXPORT_DECODE_TABLE 40025
#define IDM_EXPORT_ID_LIST 40004
#define IDM_EXPORT_TEXT 40009
// Edit
#define IDM_GUESS_ID 40005
#define IDM_MODIFY_STRING 40006
#define IDM_DECODE_TABLE 40023
#define IDM_FIND 40011
#define IDM_FIND_NEXT 40012
// Options
#define IDM_PREVIEW_FONT 40027
#define IDM_MAIN_FONT 40026
#define IDM_PREVIEW_BACK_COLOR 40031
#define IDM_BACK_COLOR 40028
#define IDM_TEXT_COLOR 40029
#define IDM_HASH_COLOR 40030
// Help
#define IDM_ABOUT 40021

// ---- Icons -----------------------------------------------------------------
#define IDI_VORN 101          // the program; also shown while no file is open
#define IDI_ABOUT_BUBBLE 102  // shown only by the About box
#define IDI_ABOUT_KEY 103     // shown only by the About box
#define IDI_LAYOUT_0 104      // GXT layout '0'
#define IDI_LAYOUT_1 105      // GXT layout '1'
#define IDI_LAYOUT_2 106      // GXT layout '2'
#define IDI_LAYOUT_AT 107     // GXT layout '@'
#define IDI_FIRST IDI_VORN
#define IDI_LAST IDI_LAYOUT_AT  // the About box wraps round after this one

// ---- String table ----------------------------------------------------------
// 1 to 12 exist once and serve every language; 16 and up are translated.
#define IDS_APP_NAME 1
#define IDS_QUESTION_CAPTION 2
#define IDS_TITLE_SUFFIX 3
#define IDS_EXT_GXT 8
#define IDS_EXT_IDS 9
#define IDS_EXT_LST 10
#define IDS_EXT_TBL 11
#define IDS_EXT_TXT 12
#define IDS_FILTER_GXT 16
#define IDS_FILTER_IDS 17
#define IDS_FILTER_LST 18
#define IDS_FILTER_TBL 19
#define IDS_FILTER_TXT 20
#define IDS_ASK_SAVE_GXT 32
#define IDS_ASK_SAVE_IDS 33
#define IDS_COLUMN_KEY 40
#define IDS_COLUMN_STRING 41
// What a failed file operation tells the user: a message naming the file
// (%1 stands for its path), then the reason (%1 there stands for an error
// code the program has no words for).
#define IDS_FAIL_OPEN 48
#define IDS_FAIL_SAVE 49
#define IDS_FAIL_IMPORT 50
#define IDS_FAIL_EXPORT 51
#define IDS_REASON_NO_DOCUMENT 64
#define IDS_REASON_CANNOT_OPEN 65
#define IDS_REASON_NO_SIZE 66
#define IDS_REASON_TOO_LARGE 67
#define IDS_REASON_NO_MEMORY 68
#define IDS_REASON_CANNOT_READ 69
#define IDS_REASON_NOT_GXT 70
#define IDS_REASON_BAD_TABLES 71
#define IDS_REASON_CANNOT_CREATE 72
#define IDS_REASON_CANNOT_WRITE 73
#define IDS_REASON_NOT_TBL 74
#define IDS_REASON_NO_ROWS 75
#define IDS_REASON_NO_NAMES 76
#define IDS_REASON_UNKNOWN 77
#define IDS_REASON_SAVED_TOO_LARGE 78
#define IDS_REASON_CANNOT_REPLACE 79
// Why the Edit string dialog keeps a text: a character the system's code
// page has no byte for (%1 the character, %2 its code in hexadecimal), or a
// text longer than an entry may hold.
#define IDS_EDIT_UNHELD_CHAR 84
#define IDS_EDIT_TOO_LONG 85

// ---- Main window panes -----------------------------------------------------
#define IDC_TABLE_LIST 3001
#define IDC_ENTRY_LIST 3002
#define IDC_PREVIEW 3003

// ---- Dialogs ---------------------------------------------------------------
#define IDD_GUESS_ID 104
#define IDD_EDIT_STRING 105
#define IDD_FIND 106
#define IDD_ABOUT 109
#define IDD_DECODE_TABLE 118

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Guess ID (104)
#define IDC_GUESS_NAME 1001
#define IDC_GUESS_HASH 1002
#define IDC_GUESS_TARGET 1003

// Edit string (105)
#define IDC_EDIT_NEW_TEXT 1002
#define IDC_EDIT_FILE_TEXT 1003
#define IDC_EDIT_KEY 1004

// Find (106)
#define IDC_FIND_TEXT 1150
#define IDC_FIND_MATCH_CASE 1151
#define IDC_FIND_IDS 1152
#define IDC_FIND_HASHES 1153
#define IDC_FIND_STRINGS 1154

// About (109)
#define IDC_ABOUT_ICON 1010
#define IDC_ABOUT_HIDDEN 1011

// Decode table (118)
#define IDC_DECODE_LOAD 3
#define IDC_DECODE_SAVE 4
#define IDC_DECODE_GRID 1012
#define IDC_DECODE_APPLY 1014

#endif
