// Opening, saving and closing the document through the real file dialogs
// and message boxes: both save questions answered Yes, No and Cancel, and
// failed operations that tell the user and lose no edit.
#include "app_test_support.h"

#include <commctrl.h>

#include "gxt/gxt.h"
#include "gxt_generator.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "settings/config_store.h"

namespace {

std::string loadString(UINT id) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
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
};

// Close, Open and Exit with unsaved edits ask about the GXT file, then the
// ID list: Cancel (in the question or in the file dialog of a Yes) keeps
// everything, No drops the edits, Yes saves first. Open asks for the file
// before the questions and keeps it while a Yes saves elsewhere.
TEST_F(LifecycleTest, TheSaveQuestionsBeforeCloseOpenAndExit) {
    using D = DialogDriver;
    const std::string sample = samplePath("example-at.gxt"), gxt = dir.file("saved.gxt"), ids = dir.file("n.ids");
    const struct {
        UINT command;
        bool gxtModified, idsModified;
        std::vector<D::Action> answers;
        int idsQuestion;  // which dialog asks about the ID list, -1: none
        char variant;     // the document's layout afterwards, 0: none open
        bool gxtLeft, idsLeft;  // the marks left
        const char* title;
        bool written;     // saved.gxt written (as the sample's copy when the names went out too)
    } cases[] = {
        {IDM_CLOSE_GXT, true, true, {D::press(IDCANCEL)}, -1, '@', true, true, "example-at.gxt - Vorn", false},
        {IDM_CLOSE_GXT, true, true, {D::press(IDNO), D::press(IDNO)}, 1, 0, false, false, "Vorn", false},
        {IDM_CLOSE_GXT, true, true, {D::press(IDYES), D::choosePath(gxt), D::press(IDYES), D::choosePath(ids)}, 2, 0,
         false, false, "Vorn", true},
        {IDM_CLOSE_GXT, true, false, {D::press(IDYES), D::press(IDCANCEL)}, -1, '@', true, false,
         "example-at.gxt - Vorn", false},
        {IDM_CLOSE_GXT, true, true, {D::press(IDYES), D::choosePath(gxt), D::press(IDYES), D::press(IDCANCEL)}, 2,
         '@', false, true, "saved.gxt - Vorn", true},
        {IDM_OPEN_GXT, true, false, {D::choosePath(samplePath("example-0.gxt")), D::press(IDCANCEL)}, -1, '@', true,
         false, "example-at.gxt - Vorn", false},
        {IDM_OPEN_GXT, true, true, {D::choosePath(samplePath("example-0.gxt")), D::press(IDNO), D::press(IDNO)}, 2,
         '0', false, false, "example-0.gxt - Vorn", false},
        {IDM_OPEN_GXT, true, false, {D::choosePath(samplePath("example-1.gxt")), D::press(IDYES), D::choosePath(gxt)},
         -1, '1', false, false, "example-1.gxt - Vorn", true},
        {IDM_EXIT, false, false, {}, -1, 0, false, false, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        gShell.gxtModified = gShell.idListModified = 0;
        ASSERT_EQ(open(sample), 1);
        DeleteFileA(gxt.c_str());
        pickTable(0);
        ASSERT_EQ(setRowName(0, "INTRO_1"), 1);
        gShell.gxtModified = c.gxtModified;
        gShell.idListModified = c.idsModified;
        driver.seen.clear();
        for (const D::Action& answer : c.answers) driver.then(answer);
        command(c.command);
        ASSERT_EQ(driver.seen.size(), c.answers.size());
        const size_t question = c.command == IDM_OPEN_GXT ? 1 : 0;
        if (c.gxtModified) {
            EXPECT_EQ(driver.seen[question].caption, loadString(IDS_QUESTION_CAPTION));
            EXPECT_EQ(driver.seen[question].text, loadString(IDS_ASK_SAVE_GXT));
        }
        if (c.idsQuestion >= 0) {
            EXPECT_EQ(driver.seen[c.idsQuestion].text, loadString(IDS_ASK_SAVE_IDS));
        }
        if (c.command == IDM_EXIT) {
            EXPECT_EQ(gShell.mainWindow, nullptr);
            started = false;
            EXPECT_EQ(finishShell(runMessageLoop()), 0);
            break;
        }
        EXPECT_EQ(gDocument.loaded ? gDocument.formatVariant : 0, c.variant);
        EXPECT_EQ(gShell.gxtModified, c.gxtLeft ? 1u : 0u);
        EXPECT_EQ(gShell.idListModified, c.idsLeft ? 1u : 0u);
        EXPECT_EQ(title(), c.title);
        if (!c.variant) {
            EXPECT_EQ(SendMessageA(gShell.tableList, LB_GETCOUNT, 0, 0), 0);
            EXPECT_EQ(SendMessageA(gShell.entryList, LVM_GETITEMCOUNT, 0, 0), 0);
        }
        EXPECT_EQ(!readFile(gxt).empty(), c.written);
        if (c.written && c.idsQuestion >= 0 && !c.variant) {
            EXPECT_EQ(readFile(gxt), readFile(sample));
            EXPECT_EQ(readFile(ids), "INTRO_1\r\n");
        }
    }
}

TEST_F(LifecycleTest, AFailedOpenSaysWhyAndLeavesTheWindowEmpty) {
    const std::string notGxt = dir.file("notes.gxt");
    ASSERT_TRUE(writeFile(notGxt, "these are not the tables you are looking for"));
    driver.then(DialogDriver::press(IDOK));
    EXPECT_EQ(open(notGxt), 0);
    expectLastMessage(failureText(OP_OPEN_GXT, notGxt, 2006));
    expectLastMessage(notGxt);
    expectLastMessage(loadString(IDS_REASON_NOT_GXT));
    EXPECT_EQ(driver.seen.back().caption, "Vorn");
    EXPECT_EQ(title(), "Vorn");
    EXPECT_FALSE(gDocument.loaded);
}

// Every failed save, import or export names the file and the reason, and
// leaves the edits marked, the title and the file as they were.
TEST_F(LifecycleTest, FailuresNameTheFileAndTheReasonAndLoseNoEdit) {
    // A string shared by three keys is saved once per key: 6.3 MB would
    // become 18.9 MB, more than a GXT file may be.
    const std::string text(6300000, 's');
    GenDocument doc;
    doc.variant = '@';
    doc.tables.push_back({"MAIN", {{"A", 0, text}, {"B", 0, text}, {"C", 0, text}}});
    GenOptions share;
    share.shareEqualTexts = true;
    const std::string big = dir.file("big.gxt");
    ASSERT_TRUE(writeFileBytes(big, generateGxt(doc, share)));
    const std::string locked = dir.file("locked.gxt"), ids = dir.file("a.ids");
    ASSERT_TRUE(writeFile(locked, "previous contents"));
    ASSERT_TRUE(writeFile(ids, "X"));
    struct Case {
        FileOperation operation;
        std::string path;
        FaultPoint fault;  // FAULT_POINT_COUNT: none
        int code;
        UINT reason;
    } cases[] = {
        {OP_SAVE_GXT, dir.file("never.gxt"), FAULT_CREATE, 3002, IDS_REASON_CANNOT_CREATE},
        {OP_SAVE_GXT, locked, FAULT_REPLACE, kNotReplaced, IDS_REASON_CANNOT_REPLACE},
        {OP_IMPORT_TEXT, dir.file("missing.txt"), FAULT_POINT_COUNT, 8001, IDS_REASON_CANNOT_OPEN},
        {OP_IMPORT_IDS, ids, FAULT_READ, 4005, IDS_REASON_CANNOT_READ},
        {OP_SAVE_GXT, big, FAULT_POINT_COUNT, 3004, IDS_REASON_SAVED_TOO_LARGE},  // over the open file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.path == big) {
            ASSERT_EQ(open(big), 1);
        }
        const std::string before = readFile(c.path), shown = title();
        gShell.gxtModified = 1;
        if (c.fault != FAULT_POINT_COUNT) faultArm(c.fault, 1);
        driver.then(DialogDriver::press(IDOK));
        const char* path = c.path.c_str();
        EXPECT_EQ(c.operation == OP_SAVE_GXT       ? saveGxtAs(path)
                  : c.operation == OP_IMPORT_TEXT ? importTextFile(path)
                                                  : importIdList(path),
                  0);
        faultReset();
        expectLastMessage(failureText(c.operation, c.path, c.code));
        expectLastMessage(c.path);
        expectLastMessage(loadString(c.reason));
        EXPECT_EQ(gShell.gxtModified, 1u);
        EXPECT_EQ(title(), shown);
        EXPECT_EQ(readFile(c.path), before);
        gShell.gxtModified = 0;
    }
    ASSERT_EQ(open(samplePath("example-at.gxt")), 1);

    // Asked for by the close question, a failed save cancels the close and
    // keeps the mark until a save works; the settings keep the Window keys
    // start-up read (its defaults), not those of the window resized since.
    SetWindowPos(gShell.mainWindow, nullptr, 10, 10, 600, 400, SWP_NOZORDER);
    struct Question {
        uint32_t* mark;
        FileOperation operation;
        const char* name;
        FaultPoint fault;
        int code;
    } questions[] = {
        {&gShell.gxtModified, OP_SAVE_GXT, "never.gxt", FAULT_WRITE, 3003},
        {&gShell.idListModified, OP_EXPORT_IDS, "names.ids", FAULT_CREATE, 5003},
    };
    for (const Question& q : questions) {
        gShell.gxtModified = gShell.idListModified = 0;
        *q.mark = 1;
        faultArm(q.fault, 1);
        driver.then(DialogDriver::press(IDYES));
        driver.then(DialogDriver::choosePath(dir.file(q.name)));
        driver.then(DialogDriver::press(IDOK));
        command(IDM_EXIT);
        faultReset();
        expectLastMessage(failureText(q.operation, dir.file(q.name), q.code));
        EXPECT_NE(gShell.mainWindow, nullptr);
        EXPECT_TRUE(gDocument.loaded);
        EXPECT_EQ(*q.mark, 1u);
        EXPECT_EQ(configGet("Window", "Width", CFG_DECIMAL, configNumber(1)).number, 750u);
    }
    EXPECT_EQ(exportIdList(dir.file("names.ids").c_str()), 1);
    EXPECT_EQ(gShell.idListModified, 0u);
}

// Only an import that changes a text marks the document, so that the close
// asks (the questions themselves are checked above).
TEST_F(LifecycleTest, ATextImportMarksTheDocumentOnlyWhenItChangesAText) {
    const struct {
        const char* text;
        const char* firstRow;  // the text the first row then shows
        bool marks;
    } cases[] = {
        {"0xf4744c2c=Welcome to ~y~Vorn Bay~w~, stranger.\r\nNOSUCH=x\r\n",
         "Welcome to ~y~Vorn Bay~w~, stranger.", false},
        {"0xf4744c2c=Hello again\r\n", "Hello again", true},
    };
    pickTable(0);
    for (const auto& c : cases) {
        const std::string text = dir.file("texts.txt");
        ASSERT_TRUE(writeFile(text, c.text));
        driver.then(DialogDriver::choosePath(text));
        command(IDM_IMPORT_TEXT);
        EXPECT_STREQ(rowText(0), c.firstRow);
        EXPECT_EQ(gShell.gxtModified, c.marks ? 1u : 0u) << c.text;
    }
}

}  // namespace
