// The command dispatcher and the document's lifecycle: opening, saving and
// closing the GXT file with the questions that keep edits from being lost,
// the string-list view, the side files and the decode table, each through
// the one shared file dialog.
#include "app/shell_state.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>

#include "decode/decode_table.h"
#include "dialogs/dialogs.h"
#include "gxt/gxt.h"
#include "preview/preview_pane_win32.h"
#include "resources/resource.h"
#include "sidefiles/id_list.h"
#include "sidefiles/string_list.h"
#include "sidefiles/text_io.h"
#include "support/text.h"

namespace {

constexpr uint32_t kFilterNameLimit = 50;
constexpr uint32_t kExtensionLimit = 5;
constexpr DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;                        // 0x1004
constexpr DWORD kSaveFlags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;  // 0x806
// The structure without its trailing reserved fields, as every version of
// the dialog since Windows 95 understands it.
constexpr DWORD kOpenFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
constexpr UINT kAcceleratorSource = 1;  // high word of WM_COMMAND from an accelerator

// A path held by the command while it runs: the shared file-dialog buffer
// is reused by any further dialog (a save question's Save as, say).
struct PathCopy {
    char text[kFileNameSize];
};

PathCopy copyPath(const char* path) {
    PathCopy copy;
    copyBounded(copy.text, path, kFileNameSize - 1);
    copy.text[kFileNameSize - 1] = 0;
    return copy;
}

// The file-name part of a path: what follows its last separator.
const char* namePart(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

// The path to work on: the one given, or one asked for; null if cancelled.
const char* pathFor(const char* given, const char* filterName, const char* extension, int save) {
    return given ? given : fileDialog(filterName, extension, nullptr, save);
}

// The worker has finished and the document is usable (or none is open).
bool documentReady() {
    waitIndexWorker();
    return checkDocumentIndexed() != 0;
}

// What a file command asks for and what it reports. The filter name and
// extension are the resource strings of its kind of file.
struct FileKind {
    FileOperation operation;
    char (ResourceStrings::*filterName)[60];
    char (ResourceStrings::*extension)[5];
    int save;
};

constexpr FileKind kSaveGxt = {OP_SAVE_GXT, &ResourceStrings::filterGxt, &ResourceStrings::extGxt, 1};
constexpr FileKind kExportIds = {OP_EXPORT_IDS, &ResourceStrings::filterIds, &ResourceStrings::extIds, 1};
constexpr FileKind kImportIds = {OP_IMPORT_IDS, &ResourceStrings::filterIds, &ResourceStrings::extIds, 0};
constexpr FileKind kOpenStringList = {OP_OPEN_STRING_LIST, &ResourceStrings::filterLst, &ResourceStrings::extLst, 0};
constexpr FileKind kImportTbl = {OP_IMPORT_TBL, &ResourceStrings::filterTbl, &ResourceStrings::extTbl, 0};
constexpr FileKind kExportTbl = {OP_EXPORT_TBL, &ResourceStrings::filterTbl, &ResourceStrings::extTbl, 1};
constexpr FileKind kImportText = {OP_IMPORT_TEXT, &ResourceStrings::filterTxt, &ResourceStrings::extTxt, 0};
constexpr FileKind kExportText = {OP_EXPORT_TEXT, &ResourceStrings::filterTxt, &ResourceStrings::extTxt, 1};

// The path given, or one asked for with the file dialog; then, once the
// indexing worker has finished, the step on that path. A failed step is
// reported. 1 when the step succeeded (the path used is copied to *used).
int runFileStep(const char* given, const FileKind& kind, int (*step)(const char* path), PathCopy* used = nullptr) {
    const char* asked = pathFor(given, gShell.strings.*kind.filterName, gShell.strings.*kind.extension, kind.save);
    if (!asked) return 0;
    const PathCopy path = copyPath(asked);
    if (!documentReady()) return 0;
    const int code = step(path.text);
    if (code != 0) {
        reportFailure(kind.operation, path.text, code);
        return 0;
    }
    if (used) *used = path;
    return 1;
}

// A failed replacement of the target gets its own reason: the new file was
// written, the old one is still there and could not be replaced.
int saveGxtFile(const char* path) {
    const int code = saveDocument(path);
    return code == 3003 && lastSaveNotReplaced() ? kNotReplaced : code;
}

// A string list that names no entry leaves the view off: that is a failure
// here, since the list would show nothing of what it names.
int loadStringListRows(const char* path) {
    const int code = loadStringList(path);
    return code == 0 && !gStringList.on ? kNoNamesFound : code;
}

void refreshEntriesAndPreview() {
    invalidateEntryList(FALSE);
    // Imports may replace texts that the preview still shows.
    SendMessageA(gShell.mainWindow, MSG_SHOW_SELECTED, 0, 0);
}

// The window as it is with no document.
void showNoDocument() {
    SendMessageA(gShell.tableList, LB_RESETCONTENT, 0, 0);
    setEntryCount(0);
    gShell.gxtModified = 0;
    gShell.idListModified = 0;
    gShell.documentPath[0] = 0;
    setTitle(nullptr);
    updateMenuAndIcon();
}

void changeColor(uint32_t* color, HWND target, UINT message) {
    *color = chooseColor(*color);
    PostMessageA(target, message, 0, 0);
}

bool menuItemGreyed(UINT id) {
    UINT state = GetMenuState(gShell.menu, id, MF_BYCOMMAND);
    return state != (UINT)-1 && (state & (MF_GRAYED | MF_DISABLED));
}

}  // namespace

const char* fileDialog(const char* filterName, const char* extension, uint16_t* nameOffset, int save) {
    if (!filterName || !extension) return nullptr;
    if (textLength(filterName) > kFilterNameLimit || textLength(extension) > kExtensionLimit) return nullptr;
    for (char& c : gShell.fileName) c = 0;
    for (char& c : gShell.filter) c = 0;
    uint32_t n = copyText(gShell.filter, filterName) + 1;
    n += copyText(gShell.filter + n, "*.");
    copyText(gShell.filter + n, extension);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = kOpenFileNameSize;
    dialog.hwndOwner = gShell.mainWindow;
    dialog.lpstrFilter = gShell.filter;
    dialog.lpstrFile = gShell.fileName;
    dialog.nMaxFile = kFileNameSize;
    dialog.lpstrDefExt = extension;
    dialog.Flags = save ? kSaveFlags : kOpenFlags;
    BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) return nullptr;
    if (nameOffset) *nameOffset = dialog.nFileOffset;
    return gShell.fileName;
}

int openGxt(const char* given) {
    const char* asked = pathFor(given, gShell.strings.filterGxt, gShell.strings.extGxt, 0);
    if (!asked) return 0;
    const PathCopy path = copyPath(asked);
    if (!closeDocumentWithQuestions()) return 0;

    const int code = loadDocument(path.text);
    gShell.selectedTableRow = -1;
    SendMessageA(gShell.tableList, LB_RESETCONTENT, 0, 0);
    if (code != 0) {
        closeDocument();
        showNoDocument();
        reportFailure(OP_OPEN_GXT, path.text, code);
        return 0;
    }
    // The table names are final once the file is read; the worker decodes
    // the strings meanwhile. The list is unsorted: rows keep the file's order.
    const uint32_t tables = tableCount();
    SendMessageA(gShell.tableList, WM_SETREDRAW, FALSE, 0);
    for (uint32_t i = 0; i < tables; ++i) {
        char name[12] = {};
        tableName(i, name);
        SendMessageA(gShell.tableList, LB_ADDSTRING, 0, (LPARAM)name);
    }
    SendMessageA(gShell.tableList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(gShell.tableList, nullptr, TRUE);
    startIndexWorker();
    setEntryCount(0);
    invalidateEntryList(FALSE);
    gShell.gxtModified = 0;
    gShell.idListModified = 0;
    copyText(gShell.documentPath, path.text);
    setTitle(namePart(path.text));
    updateMenuAndIcon();
    return 1;
}

int checkDocumentIndexed() {
    if (!gShell.documentPath[0] || gDocument.loaded) return 1;
    // The worker ran out of memory and released the document.
    const PathCopy path = copyPath(gShell.documentPath);
    showPreviewText(nullptr);
    if (gShell.stringListView) closeStringListView();
    closeDocument();
    gShell.selectedTableRow = -1;
    showNoDocument();
    reportFailure(OP_OPEN_GXT, path.text, 2208);
    return 0;
}

int saveGxtAs(const char* given) {
    PathCopy path;
    // On failure the edits stay marked as unsaved and the title keeps its name.
    if (!runFileStep(given, kSaveGxt, saveGxtFile, &path)) return 0;
    gShell.gxtModified = 0;
    copyText(gShell.documentPath, path.text);
    setTitle(namePart(path.text));
    return 1;
}

int exportIdList(const char* given) {
    if (!runFileStep(given, kExportIds, exportIds)) return 0;
    gShell.idListModified = 0;
    return 1;
}

int closeDocumentWithQuestions() {
    if (gShell.gxtModified) {
        int answer = MessageBoxA(gShell.mainWindow, gShell.strings.askSaveGxt, gShell.strings.questionCaption,
                                 MB_ICONWARNING | MB_YESNOCANCEL);
        if (answer == IDCANCEL) return 0;
        if (answer == IDYES && !saveGxtAs(nullptr)) return 0;
    }
    if (gShell.idListModified) {
        int answer = MessageBoxA(gShell.mainWindow, gShell.strings.askSaveIds, gShell.strings.questionCaption,
                                 MB_ICONWARNING | MB_YESNOCANCEL);
        if (answer == IDCANCEL) return 0;
        if (answer == IDYES && !exportIdList(nullptr)) return 0;
    }
    showPreviewText(nullptr);
    closeStringListView();
    closeDocument();
    gShell.selectedTableRow = -1;
    showNoDocument();
    return 1;
}

int openStringList(const char* given) {
    // Loading closes any list shown, so a failure leaves the table view.
    if (!runFileStep(given, kOpenStringList, loadStringListRows)) {
        if (gShell.stringListView) closeStringListView();
        return 0;
    }
    // The view is on before the list hides, so that the focus it hands back
    // to the main window goes on to the entry list.
    gShell.stringListView = 1;
    ShowWindow(gShell.tableList, SW_HIDE);
    if (GetFocus() == gShell.tableList) SetFocus(gShell.entryList);
    layoutPanes(SIZE_RESTORED, 0);
    setEntryCount(rowCount());
    return 1;
}

void closeStringListView() {
    closeStringList();
    setEntryCount(rowCount());
    gShell.stringListView = 0;
    layoutPanes(SIZE_RESTORED, 0);
    ShowWindow(gShell.tableList, SW_SHOW);
}

int importDecodeTable(const char* given) {
    if (!runFileStep(given, kImportTbl, importTbl)) return 0;
    redecodeDocument();
    refreshEntriesAndPreview();
    return 1;
}

int exportDecodeTable(const char* given) { return runFileStep(given, kExportTbl, exportTbl); }

int importIdList(const char* given) {
    if (!runFileStep(given, kImportIds, importIds)) return 0;
    invalidateEntryList(FALSE);
    return 1;
}

namespace {
// What the last text import changed, for the command that ran it.
TextImportSummary gTextImport;

int importTextCounting(const char* path) {
    gTextImport = TextImportSummary{};
    return importText(path, &gTextImport);
}

// The rows shown, byte for byte.
int exportTextBytes(const char* path) { return exportText(path); }
}  // namespace

int importTextFile(const char* given) {
    if (!runFileStep(given, kImportText, importTextCounting)) return 0;
    // Imported texts are unsaved edits like the Edit string dialog's: the
    // close then asks whether to save them.
    if (gTextImport.changed > 0) gShell.gxtModified = 1;
    refreshEntriesAndPreview();
    return 1;
}

int exportTextFile(const char* given) { return runFileStep(given, kExportText, exportTextBytes); }

void dispatchCommand(WPARAM wParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    // A key bound to a greyed item does nothing, whatever the accelerator
    // translation did about it.
    if (code == kAcceleratorSource && menuItemGreyed(id)) return;
    switch (id) {
    case IDM_OPEN_GXT: openGxt(nullptr); break;
    case IDM_SAVE_GXT_AS: saveGxtAs(nullptr); break;
    case IDM_CLOSE_GXT: closeDocumentWithQuestions(); break;
    case IDM_OPEN_STRING_LIST: openStringList(nullptr); break;
    case IDM_CLOSE_STRING_LIST: closeStringListView(); break;
    case IDM_EXIT: SendMessageA(gShell.mainWindow, WM_CLOSE, 0, 0); break;
    case IDM_IMPORT_DECODE_TABLE: importDecodeTable(nullptr); break;
    case IDM_EXPORT_DECODE_TABLE: exportDecodeTable(nullptr); break;
    case IDM_IMPORT_ID_LIST: importIdList(nullptr); break;
    case IDM_EXPORT_ID_LIST: exportIdList(nullptr); break;
    case IDM_IMPORT_TEXT: importTextFile(nullptr); break;
    case IDM_EXPORT_TEXT: exportTextFile(nullptr); break;
    // Both act on the selected row; with none they open nothing.
    case IDM_GUESS_ID:
        if (selectedRow() >= 0) runGuessIdDialog();
        break;
    case IDM_MODIFY_STRING:
        if (selectedRow() >= 0) runEditStringDialog();
        break;
    case IDM_DECODE_TABLE: runDecodeTableDialog(); break;
    case IDM_FIND: runFindDialog(); break;
    case IDM_FIND_NEXT: findNext(0); break;
    case IDM_PREVIEW_FONT: changePreviewFont(); break;
    case IDM_MAIN_FONT: changeMainFont(); break;
    case IDM_PREVIEW_BACK_COLOR: changeColor(&gSettings.viewBack, gShell.previewPane, MSG_PREVIEW_BACK_CHANGED); break;
    case IDM_BACK_COLOR: changeColor(&gSettings.mainBack, gShell.mainWindow, MSG_BACK_COLOR_CHANGED); break;
    case IDM_TEXT_COLOR: changeColor(&gSettings.mainText, gShell.mainWindow, MSG_TEXT_COLOR_CHANGED); break;
    case IDM_HASH_COLOR: changeColor(&gSettings.mainHash, gShell.mainWindow, MSG_HASH_COLOR_CHANGED); break;
    case IDM_ABOUT: runAboutDialog(); break;
    case IDC_TABLE_LIST: tableListNotification(code); break;
    default: break;  // 1001 and 1003 among them: nothing is bound there
    }
}
