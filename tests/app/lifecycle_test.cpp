// Opening, saving and closing the document through the real file dialogs
// and message boxes: both save questions answered Yes, No and Cancel, and
// failed operations that tell the user and lose no edit.
#include "app_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "platform/platform.h"
#include "resources/resource.h"

namespace {

std::string loadString(UINT id) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

std::string title() {
    char text[128] = {};
    GetWindowTextA(gShell.mainWindow, text, sizeof text);
    return text;
}

std::string failureText(FileOperation operation, const std::string& path, int code) {
    char text[1200];
    describeFailure(text, sizeof text, operation, path.c_str(), code);
    return text;
}

class LifecycleTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_EQ(open(samplePath("example-at.gxt")), 1);
    }
    // The last message box the driver met held this text.
    void expectLastMessage(const std::string& text) {
        ASSERT_FALSE(driver.seen().empty());
        EXPECT_NE(driver.seen().back().text.find(text), std::string::npos)
            << "message: " << driver.seen().back().text << "\nwanted: " << text;
    }
};

TEST_F(LifecycleTest, CloseAsksAboutTheGxtFileAndCancelKeepsEverything) {
    gShell.gxtModified = 1;
    driver.then(DialogDriver::press(IDCANCEL));
    command(IDM_CLOSE_GXT);
    ASSERT_EQ(driver.seen().size(), 1u);
    EXPECT_EQ(driver.seen()[0].caption, loadString(IDS_QUESTION_CAPTION));
    EXPECT_EQ(driver.seen()[0].text, loadString(IDS_ASK_SAVE_GXT));
    EXPECT_TRUE(gDocument.loaded);
    EXPECT_EQ(gShell.gxtModified, 1u);
    EXPECT_EQ(title(), "example-at.gxt - Vorn");
}

TEST_F(LifecycleTest, CloseAnsweredNoDropsTheEdits) {
    gShell.gxtModified = 1;
    gShell.idListModified = 1;
    driver.then(DialogDriver::press(IDNO));
    driver.then(DialogDriver::press(IDNO));
    command(IDM_CLOSE_GXT);
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[1].text, loadString(IDS_ASK_SAVE_IDS));
    EXPECT_FALSE(gDocument.loaded);
    EXPECT_EQ(gShell.gxtModified, 0u);
    EXPECT_EQ(gShell.idListModified, 0u);
    EXPECT_EQ(title(), "Vorn");
    EXPECT_EQ(SendMessageA(gShell.tableList, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(gShell.entryList, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(LifecycleTest, CloseAnsweredYesSavesThroughTheFileDialogFirst) {
    pickTable(0);
    ASSERT_EQ(setRowName(0, "INTRO_1"), 1);
    gShell.gxtModified = 1;
    gShell.idListModified = 1;
    const std::string gxt = dir.file("saved.gxt");
    const std::string ids = dir.file("names.ids");
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::choosePath(gxt));
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::choosePath(ids));
    command(IDM_CLOSE_GXT);
    EXPECT_EQ(driver.seen().size(), 4u);
    EXPECT_FALSE(gDocument.loaded);
    ASSERT_TRUE(fileExists(gxt));
    EXPECT_EQ(readFile(gxt), readFile(samplePath("example-at.gxt")));
    EXPECT_EQ(readFile(ids), "INTRO_1\r\n");
}

TEST_F(LifecycleTest, YesAndACancelledSaveDialogKeepTheDocumentOpenAndModified) {
    gShell.gxtModified = 1;
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::press(IDCANCEL));
    command(IDM_CLOSE_GXT);
    EXPECT_TRUE(gDocument.loaded);
    EXPECT_EQ(gShell.gxtModified, 1u);

    // The same in the second question, after the first one saved.
    const std::string gxt = dir.file("first.gxt");
    gShell.idListModified = 1;
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::choosePath(gxt));
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::press(IDCANCEL));
    command(IDM_CLOSE_GXT);
    EXPECT_TRUE(fileExists(gxt));
    EXPECT_TRUE(gDocument.loaded);
    EXPECT_EQ(gShell.gxtModified, 0u);
    EXPECT_EQ(gShell.idListModified, 1u);
    EXPECT_EQ(title(), "first.gxt - Vorn");
}

TEST_F(LifecycleTest, OpenAsksForTheFileThenAboutUnsavedEdits) {
    gShell.gxtModified = 1;
    // The file dialog comes first; Cancel in the question keeps the old file.
    driver.then(DialogDriver::choosePath(samplePath("example-0.gxt")));
    driver.then(DialogDriver::press(IDCANCEL));
    command(IDM_OPEN_GXT);
    EXPECT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(gDocument.formatVariant, '@');
    EXPECT_EQ(gShell.gxtModified, 1u);

    gShell.idListModified = 1;
    driver.then(DialogDriver::choosePath(samplePath("example-0.gxt")));
    driver.then(DialogDriver::press(IDNO));
    driver.then(DialogDriver::press(IDNO));
    command(IDM_OPEN_GXT);
    EXPECT_EQ(gDocument.formatVariant, '0');
    EXPECT_EQ(gShell.gxtModified, 0u);
    EXPECT_EQ(gShell.idListModified, 0u);
    EXPECT_EQ(title(), "example-0.gxt - Vorn");
    EXPECT_EQ((uint32_t)SendMessageA(gShell.tableList, LB_GETCOUNT, 0, 0), tableCount());
}

TEST_F(LifecycleTest, OpenKeepsTheChosenPathWhileTheQuestionSavesElsewhere) {
    // The save question's own file dialog must not replace the file chosen
    // to be opened.
    gShell.gxtModified = 1;
    driver.then(DialogDriver::choosePath(samplePath("example-1.gxt")));
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::choosePath(dir.file("kept.gxt")));
    command(IDM_OPEN_GXT);
    EXPECT_TRUE(fileExists(dir.file("kept.gxt")));
    EXPECT_EQ(gDocument.formatVariant, '1');
    EXPECT_EQ(title(), "example-1.gxt - Vorn");
}

TEST_F(LifecycleTest, ExitWithNothingModifiedAsksNothing) {
    command(IDM_EXIT);
    EXPECT_TRUE(driver.seen().empty());
    EXPECT_EQ(gShell.mainWindow, nullptr);
    started = false;
    EXPECT_EQ(finishShell(runMessageLoop()), 0);
}

TEST_F(LifecycleTest, AFailedOpenSaysWhyAndLeavesTheWindowEmpty) {
    const std::string notGxt = dir.file("notes.gxt");
    ASSERT_TRUE(writeFile(notGxt, "these are not the tables you are looking for"));
    driver.then(DialogDriver::press(IDOK));
    EXPECT_EQ(open(notGxt), 0);
    expectLastMessage(failureText(OP_OPEN_GXT, notGxt, 2006));
    expectLastMessage(notGxt);
    expectLastMessage(loadString(IDS_REASON_NOT_GXT));
    EXPECT_EQ(driver.seen().back().caption, "Vorn");
    EXPECT_EQ(title(), "Vorn");
    EXPECT_FALSE(gDocument.loaded);
    EXPECT_TRUE(GetMenuState(gShell.menu, IDM_SAVE_GXT_AS, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ((HICON)SendMessageA(gShell.mainWindow, WM_GETICON, ICON_BIG, 0), gShell.noDocumentIcons[ICON_32]);
}

TEST_F(LifecycleTest, AFileTheIndexingWorkerCannotFinishIsReportedOnceATableIsChosen) {
    const std::string path = samplePath("example-1.gxt");
    command(IDM_CLOSE_GXT);
    faultReset();
    ASSERT_EQ(loadDocument(path.c_str()), 0);
    const uint32_t loading = faultCalls(FAULT_ALLOC);
    closeDocument();
    // The first allocation after the file is read is the worker's.
    faultReset();
    faultArm(FAULT_ALLOC, loading + 1);
    ASSERT_EQ(open(path), 1);
    EXPECT_EQ(title(), "example-1.gxt - Vorn");
    driver.then(DialogDriver::press(IDOK));
    pickTable(0);
    expectLastMessage(failureText(OP_OPEN_GXT, path, 2208));
    EXPECT_FALSE(gDocument.loaded);
    EXPECT_EQ(title(), "Vorn");
    EXPECT_EQ(SendMessageA(gShell.tableList, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(gShell.entryList, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_TRUE(GetMenuState(gShell.menu, IDM_CLOSE_GXT, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(LifecycleTest, AFailedSaveKeepsTheEditsMarkedAndTheTitle) {
    gShell.gxtModified = 1;
    const std::string target = dir.file("never.gxt");
    faultArm(FAULT_CREATE, 1);
    driver.then(DialogDriver::press(IDOK));
    EXPECT_EQ(saveGxtAs(target.c_str()), 0);
    expectLastMessage(failureText(OP_SAVE_GXT, target, 3002));
    EXPECT_EQ(gShell.gxtModified, 1u);
    EXPECT_EQ(title(), "example-at.gxt - Vorn");
    EXPECT_FALSE(fileExists(target));

    // Asked for by the close question, a failed save cancels the close.
    faultArm(FAULT_WRITE, 1);
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::choosePath(target));
    driver.then(DialogDriver::press(IDOK));
    command(IDM_EXIT);
    expectLastMessage(loadString(IDS_REASON_CANNOT_WRITE));
    EXPECT_NE(gShell.mainWindow, nullptr);
    EXPECT_TRUE(gDocument.loaded);
    EXPECT_EQ(gShell.gxtModified, 1u);
}

TEST_F(LifecycleTest, SavesThatCannotFinishSayWhyAndKeepTheEdits) {
    // A string shared by three keys is saved once per key: 6.3 MB would
    // become 18.9 MB, more than a GXT file may be. The save over the file
    // itself is refused and the file stays as it was.
    const std::string text(6300000, 's');
    GenDocument doc;
    doc.variant = '@';
    doc.tables.push_back({"MAIN", {{"A", 0, text}, {"B", 0, text}, {"C", 0, text}}});
    GenOptions share;
    share.shareEqualTexts = true;
    const std::string big = dir.file("big.gxt");
    ASSERT_TRUE(writeFileBytes(big, generateGxt(doc, share)));
    const std::string locked = dir.file("locked.gxt");
    ASSERT_TRUE(writeFile(locked, "previous contents"));
    struct Case {
        std::string opened;  // empty: the sample opened by the fixture
        std::string target;
        FaultPoint fault;    // FAULT_POINT_COUNT: none
        int code;
        UINT reason;
    } cases[] = {
        {"", locked, FAULT_REPLACE, kNotReplaced, IDS_REASON_CANNOT_REPLACE},
        {big, big, FAULT_POINT_COUNT, 3004, IDS_REASON_SAVED_TOO_LARGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        if (!c.opened.empty()) {
            ASSERT_EQ(open(c.opened), 1);
        }
        const std::string before = readFile(c.target);
        const std::string shown = title();
        gShell.gxtModified = 1;
        if (c.fault != FAULT_POINT_COUNT) faultArm(c.fault, 1);
        driver.then(DialogDriver::press(IDOK));
        EXPECT_EQ(saveGxtAs(c.target.c_str()), 0);
        faultReset();
        expectLastMessage(failureText(OP_SAVE_GXT, c.target, c.code));
        expectLastMessage(c.target);
        expectLastMessage(loadString(c.reason));
        EXPECT_EQ(gShell.gxtModified, 1u);
        EXPECT_EQ(title(), shown);
        EXPECT_EQ(readFile(c.target), before);
        gShell.gxtModified = 0;
    }
}

TEST_F(LifecycleTest, AFailedIdListExportKeepsTheNamesMarkedAndCancelsTheClose) {
    gShell.idListModified = 1;
    faultArm(FAULT_CREATE, 1);
    driver.then(DialogDriver::press(IDYES));
    driver.then(DialogDriver::choosePath(dir.file("names.ids")));
    driver.then(DialogDriver::press(IDOK));
    command(IDM_CLOSE_GXT);
    expectLastMessage(failureText(OP_EXPORT_IDS, dir.file("names.ids"), 5003));
    EXPECT_TRUE(gDocument.loaded);
    EXPECT_EQ(gShell.idListModified, 1u);

    // Once it works the mark goes.
    EXPECT_EQ(exportIdList(dir.file("names.ids").c_str()), 1);
    EXPECT_EQ(gShell.idListModified, 0u);
}

TEST_F(LifecycleTest, ATextImportThatChangesTextsMakesTheCloseAsk) {
    const struct {
        const char* text;
        const char* firstRow;  // the text the first row then shows
        bool asks;
    } cases[] = {
        {"0xf4744c2c=Hello again\r\n", "Hello again", true},
        {"0xf4744c2c=Welcome to ~y~Vorn Bay~w~, stranger.\r\nNOSUCH=x\r\n",
         "Welcome to ~y~Vorn Bay~w~, stranger.", false},
    };
    for (const auto& c : cases) {
        if (!gDocument.loaded) {
            ASSERT_EQ(open(samplePath("example-at.gxt")), 1);
        }
        pickTable(0);
        const std::string text = dir.file("texts.txt");
        ASSERT_TRUE(writeFile(text, c.text));
        driver.then(DialogDriver::choosePath(text));
        command(IDM_IMPORT_TEXT);
        EXPECT_STREQ(rowText(0), c.firstRow);
        // An ID list never marks the document.
        const std::string ids = dir.file("names.ids");
        ASSERT_TRUE(writeFile(ids, "INTRO_2\r\n"));
        driver.then(DialogDriver::choosePath(ids));
        command(IDM_IMPORT_ID_LIST);
        EXPECT_STREQ(rowKeyName(1), "INTRO_2");
        EXPECT_EQ(gShell.idListModified, 0u);
        EXPECT_EQ(gShell.gxtModified, c.asks ? 1u : 0u) << c.text;
        const size_t before = driver.seen().size();
        if (c.asks) driver.then(DialogDriver::press(IDNO));
        command(IDM_CLOSE_GXT);
        ASSERT_EQ(driver.seen().size(), before + (c.asks ? 1 : 0)) << c.text;
        if (c.asks) {
            EXPECT_EQ(driver.seen().back().text, loadString(IDS_ASK_SAVE_GXT));
        }
        EXPECT_FALSE(gDocument.loaded);
    }
}

TEST_F(LifecycleTest, FailedImportsAndExportsNameTheFileAndTheReason) {
    const std::string missing = dir.file("missing.txt");
    driver.then(DialogDriver::press(IDOK));
    EXPECT_EQ(importTextFile(missing.c_str()), 0);
    expectLastMessage(failureText(OP_IMPORT_TEXT, missing, 8001));
    expectLastMessage(loadString(IDS_REASON_CANNOT_OPEN));

    // No table chosen: nothing to export.
    driver.then(DialogDriver::press(IDOK));
    EXPECT_EQ(exportTextFile(dir.file("rows.txt").c_str()), 0);
    expectLastMessage(loadString(IDS_REASON_NO_ROWS));

    const std::string table = dir.file("bad.tbl");
    ASSERT_TRUE(writeFile(table, std::string(224, 'A')));
    driver.then(DialogDriver::press(IDOK));
    EXPECT_EQ(importDecodeTable(table.c_str()), 0);
    expectLastMessage(failureText(OP_IMPORT_TBL, table, 7007));
    expectLastMessage(loadString(IDS_REASON_NOT_TBL));

    const std::string ids = dir.file("a.ids");
    ASSERT_TRUE(writeFile(ids, "X"));
    faultArm(FAULT_READ, 1);
    driver.then(DialogDriver::press(IDOK));
    EXPECT_EQ(importIdList(ids.c_str()), 0);
    expectLastMessage(failureText(OP_IMPORT_IDS, ids, 4005));
    EXPECT_EQ(driver.unexpected(), 0);
}

TEST_F(LifecycleTest, DecodeTablesGoOutAndComeBackThroughTheFileDialog) {
    const std::string table = dir.file("shifted.tbl");
    driver.then(DialogDriver::choosePath(table));
    command(IDM_EXPORT_DECODE_TABLE);
    std::string bytes = readFile(table);
    ASSERT_EQ(bytes.size(), 224u);
    EXPECT_EQ((uint8_t)bytes[0], 32);
    // Swap 'a' and 'b' and bring it back: the texts show the new table.
    std::swap(bytes['a' - 32], bytes['b' - 32]);
    ASSERT_TRUE(writeFile(table, bytes));
    pickTable(0);
    driver.then(DialogDriver::choosePath(table));
    command(IDM_IMPORT_DECODE_TABLE);
    EXPECT_STREQ(rowText(1), "Find b cbr bnd drive to the ~a~hbraour~w~.~n~Do not ae lbte.");
}

}  // namespace
