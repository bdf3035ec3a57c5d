// Text export and import: the lines the export writes, every line shape the
// import reads, the round trip, and every failure.
#include <filesystem>

#include "decode/decode_table.h"
#include "sidefile_test.h"
#include "sidefiles/string_list.h"
#include "sidefiles/text_io.h"

namespace {

class TextIoTest : public SideFileTest {
protected:
    GenDocument hashed() {
        return makeDocument('@', {{"ONE", {{"ALPHA", 0, "alpha text"}, {"", 0xABCD, "by hash"}, {"EMPTY", 0, ""}}},
                                  {"TWO", {{"CHARLIE", 0, "charlie text"}, {"ALPHA", 0, "second alpha"}}}});
    }
    GenDocument named() {
        return makeDocument('0', {{"MAIN", {{"ABC", 0, "abc text"}, {"LONGER", 0, "longer text"}}}});
    }
    int import(const std::string& text) { return importText(write("in.txt", text).c_str()); }
    std::string exported() {
        const std::string path = dir.file("out.txt");
        EXPECT_EQ(exportText(path.c_str()), 0);
        return fileText(path);
    }
    using Skipped = std::vector<std::pair<uint32_t, TextLineSkip>>;
    // Imports the text with a summary; the lines passed over, with why.
    Skipped importCounting(const std::string& text, TextImportSummary& summary) {
        Skipped skipped;
        summary = TextImportSummary{};
        summary.context = &skipped;
        summary.onPassedOver = [](void* context, uint32_t line, TextLineSkip reason) {
            static_cast<Skipped*>(context)->push_back({line, reason});
        };
        EXPECT_EQ(importText(write("in.txt", text).c_str(), &summary), 0);
        return skipped;
    }
    // Whether any entry of the document has a replacement text.
    static bool anyReplaced() {
        for (uint32_t t = 0; t < gDocument.tableCount; ++t)
            for (uint32_t k = 0; k < gDocument.tables[t].entryCount; ++k)
                if (entryReplacementText(&entryAt(t, k))) return true;
        return false;
    }
};

// ---- Export ----------------------------------------------------------------

TEST_F(TextIoTest, ExportWritesKeyEqualsTextLines) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    ASSERT_EQ(selectTable(0), 1);
    ASSERT_EQ(setEntryName(&entryAt(0, 0), "ALPHA"), 1);
    EXPECT_EQ(exported(), "ALPHA=alpha text\r\n0x0000abcd=by hash\r\n0x" +
                              nameOf(entryAt(0, 2)) + "=\r\n");
    // Edited texts go out as edited; the rest through the decode table.
    ASSERT_EQ(setEntryText(&entryAt(0, 1), "edited", 6), 1);
    decodeTable::assign('a', 'A');
    redecodeDocument();
    EXPECT_EQ(exported(), "ALPHA=AlphA text\r\n0x0000abcd=edited\r\n0x" + nameOf(entryAt(0, 2)) +
                              "=\r\n");
}

TEST_F(TextIoTest, ExportOfTheStringListWritesItsRows) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    ASSERT_EQ(setEntryName(&entryAt(1, 0), "CHARLIE"), 1);
    ASSERT_EQ(loadStringList(write("rows.lst", "CHARLIE ALPHA CHARLIE").c_str()), 0);
    EXPECT_EQ(exported(), "CHARLIE=charlie text\r\n0x" + nameOf(entryAt(0, 0)) +
                              "=alpha text\r\nCHARLIE=charlie text\r\n");
}

TEST_F(TextIoTest, ExportFailuresLeaveTheOldFile) {
    const std::string path = write("out.txt", "OLD=old\r\n");
    EXPECT_EQ(exportText(nullptr), 7000);
    EXPECT_EQ(exportText(path.c_str()), 7001);  // no document
    ASSERT_EQ(openGenerated(named()), 0);
    EXPECT_EQ(exportText(path.c_str()), 7001);  // no table chosen
    ASSERT_EQ(selectTable(0), 1);
    const struct {
        FaultPoint point;
        int code;
    } steps[] = {{FAULT_ALLOC, 7002}, {FAULT_CREATE, 7003}, {FAULT_WRITE, 7004}, {FAULT_FINISH, 7004}};
    for (const auto& step : steps) {
        faultArm(step.point, 1);
        EXPECT_EQ(exportText(path.c_str()), step.code);
        faultReset();
        EXPECT_EQ(fileText(path), "OLD=old\r\n");
        EXPECT_EQ(files(), (std::vector<std::string>{"doc.gxt", "out.txt"})) << "a partial file was left behind";
    }
    EXPECT_EQ(exportText(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "ABC=abc text\r\nLONGER=longer text\r\n");
}

// ---- Export, then import ---------------------------------------------------

TEST_F(TextIoTest, ImportingAnExportChangesNothing) {
    for (char variant : kAllVariants) {
        for (GenStringOrder order : {GenStringOrder::RecordOrder, GenStringOrder::Reverse}) {
            GenDocument doc = randomDocument(variant, 21, 80, true);
            keepKeysUnique(doc);
            ASSERT_EQ(openGenerated(doc, {order, true}), 0);
            for (uint32_t t = 0; t < doc.tables.size(); ++t) {
                ASSERT_EQ(selectTable(t), 1);
                const std::string path = dir.file("table.txt");
                ASSERT_EQ(exportText(path.c_str()), 0);
                ASSERT_EQ(importText(path.c_str()), 0);
            }
            EXPECT_FALSE(anyReplaced()) << variant;
            closeDocument();
        }
    }
}

TEST_F(TextIoTest, EditedTextsAndFoundNamesTravelToAFreshLoad) {
    for (char variant : kAllVariants) {
        GenDocument doc = randomDocument(variant, 5, 60, true);
        keepKeysUnique(doc);
        ASSERT_EQ(openGenerated(doc), 0);
        for (uint32_t t = 0; t < doc.tables.size(); ++t)
            for (uint32_t k = 0; k < doc.tables[t].entries.size(); ++k) {
                GxtEntry& e = entryAt(t, k);
                if (k % 3 == 0) {
                    std::string text = "edited " + std::to_string(t) + "/" + std::to_string(k);
                    ASSERT_EQ(setEntryText(&e, text.c_str(), (uint32_t)text.size()), 1);
                }
                if (k % 2 == 0) setEntryName(&e, doc.tables[t].entries[k].name.c_str());
            }
        std::vector<std::string> exports;
        for (uint32_t t = 0; t < doc.tables.size(); ++t) {
            ASSERT_EQ(selectTable(t), 1);
            exports.push_back(dir.file("t" + std::to_string(t) + ".txt"));
            ASSERT_EQ(exportText(exports.back().c_str()), 0);
        }
        // What each entry shows: its name (or placeholder) and its text.
        auto snapshot = [&] {
            std::vector<std::string> rows;
            for (uint32_t t = 0; t < doc.tables.size(); ++t)
                for (uint32_t k = 0; k < doc.tables[t].entries.size(); ++k)
                    rows.push_back(nameOf(entryAt(t, k)) + "=" + currentText(entryAt(t, k)));
            return rows;
        };
        const std::vector<std::string> expected = snapshot();
        ASSERT_EQ(openGenerated(doc), 0);
        for (const std::string& f : exports) ASSERT_EQ(importText(f.c_str()), 0);
        EXPECT_EQ(snapshot(), expected) << variant;
        closeDocument();
    }
}

// ---- Import: line shapes -----------------------------------------------------

TEST_F(TextIoTest, HashKeysFindEntriesByHash) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    EXPECT_EQ(import("0x0000abcd=new\r\n0xABCD=upper digits\r\n0x00000000=zero\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 1)), "upper digits");
    EXPECT_FALSE(entryNameKnown(&entryAt(0, 1)));
    // Only a lower-case 0x makes a hash key.
    EXPECT_EQ(import("0X0000ABCD=as a name\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 1)), "upper digits");
    closeDocument();

    // Named layouts have no hashes to look up.
    ASSERT_EQ(openGenerated(named()), 0);
    EXPECT_EQ(import("0x00000000=x\r\n0x1=y\r\n"), 0);
    EXPECT_FALSE(anyReplaced());
}

TEST_F(TextIoTest, NameKeysNameUnnamedEntries) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    ASSERT_EQ(setEntryName(&entryAt(1, 0), "charlie"), 1);
    EXPECT_EQ(import("ALPHA=first alpha\r\nCHARLIE=c\r\n"), 0);
    EXPECT_EQ(nameOf(entryAt(0, 0)), "ALPHA");
    EXPECT_EQ(currentText(entryAt(0, 0)), "first alpha");
    // The earlier table's entry is the one found.
    EXPECT_FALSE(entryNameKnown(&entryAt(1, 1)));
    EXPECT_EQ(currentText(entryAt(1, 1)), "second alpha");
    // A known name stays as it was.
    EXPECT_EQ(nameOf(entryAt(1, 0)), "charlie");
    EXPECT_EQ(currentText(entryAt(1, 0)), "c");
    closeDocument();

    ASSERT_EQ(openGenerated(named()), 0);
    EXPECT_EQ(import("abc=lower case finds ABC\r\n"), 0);
    EXPECT_EQ(nameOf(entryAt(0, 0)), "ABC");
    EXPECT_EQ(currentText(entryAt(0, 0)), "lower case finds ABC");
}

TEST_F(TextIoTest, UnknownAndEmptyKeysArePassedOver) {
    ASSERT_EQ(openGenerated(named()), 0);
    EXPECT_EQ(import("NOSUCH=x\r\n=no key\r\n ABC=blank first\r\nLONGER=still read\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "abc text");
    EXPECT_EQ(currentText(entryAt(0, 1)), "still read");
}

TEST_F(TextIoTest, KeysOfUpTo32Bytes) {
    const std::string key32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    ASSERT_EQ(openGenerated(makeDocument('@', {{"T", {{key32, 0, "old"}, {"X", 0, "x"}}}})), 0);
    EXPECT_EQ(import(key32 + "6=thirty-three\r\nX=next line read\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "old");
    EXPECT_EQ(currentText(entryAt(0, 1)), "next line read");
    EXPECT_EQ(import(key32 + "=thirty-two\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "thirty-two");
    EXPECT_EQ(nameOf(entryAt(0, 0)), key32);
    // Blanks before the "=" count too.
    EXPECT_EQ(import("X" + std::string(32, ' ') + "=z\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 1)), "next line read");
}

TEST_F(TextIoTest, HashKeysOfUpTo32Digits) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    // The count starts after the 0x.
    EXPECT_EQ(import("0x0" + std::string(24, '0') + "0000abcd=thirty-three\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 1)), "by hash");
    EXPECT_EQ(import("0x" + std::string(24, '0') + "0000abcd=thirty-two\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 1)), "thirty-two");
}

TEST_F(TextIoTest, WhereTheTextStartsAndEnds) {
    ASSERT_EQ(openGenerated(named()), 0);
    // A blank after the key makes the "=" part of the text.
    EXPECT_EQ(import("ABC =with equals\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "=with equals");
    // A control byte ends the text, and what follows starts a new line.
    EXPECT_EQ(import("ABC=before tab\tLONGER=after tab"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "before tab");
    EXPECT_EQ(currentText(entryAt(0, 1)), "after tab");
    // Bytes from 0x80 up stay in the text; "=" too.
    EXPECT_EQ(import("ABC=\xe4\xf6\xfc a=b\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "\xe4\xf6\xfc a=b");
}

TEST_F(TextIoTest, EmptyShortenedAndEqualTexts) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    ASSERT_EQ(setEntryName(&entryAt(0, 2), "EMPTY"), 1);
    EXPECT_EQ(import("EMPTY=\r\nALPHA=alpha text\r\nCHARLIE=charlie te\r\n"), 0);
    // Equal texts, the empty one included, are left alone.
    EXPECT_EQ(entryReplacementText(&entryAt(0, 2)), nullptr);
    EXPECT_EQ(entryReplacementText(&entryAt(0, 0)), nullptr);
    EXPECT_EQ(currentText(entryAt(1, 0)), "charlie te");
    EXPECT_EQ(entryAt(1, 0).storedLength, 11);
    EXPECT_EQ(import("ALPHA=\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "");
    EXPECT_EQ(entryAt(0, 0).storedLength, 1);
}

TEST_F(TextIoTest, AnyLineEndWorks) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        ASSERT_EQ(openGenerated(named()), 0);
        EXPECT_EQ(import(std::string("ABC=one") + end + "LONGER=two" + end), 0);
        EXPECT_EQ(currentText(entryAt(0, 0)), "one");
        EXPECT_EQ(currentText(entryAt(0, 1)), "two");
        closeDocument();
    }
}

TEST_F(TextIoTest, AKeyWithoutEqualsChangesNothing) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        ASSERT_EQ(openGenerated(hashed()), 0);
        EXPECT_EQ(import(std::string("ALPHA") + end + "CHARLIE=new" + end + "EMPTY\tALPHA=x" + end + "CHARLIE"), 0);
        EXPECT_EQ(currentText(entryAt(0, 0)), "alpha text") << "line end " << (int)end[0];
        EXPECT_EQ(currentText(entryAt(1, 0)), "new");
        // Nor does it name the entry.
        EXPECT_FALSE(entryNameKnown(&entryAt(0, 0)));
        EXPECT_FALSE(entryNameKnown(&entryAt(0, 2)));
        closeDocument();
    }
    ASSERT_EQ(openGenerated(hashed()), 0);
    EXPECT_EQ(import("CHARLIE="), 0);
    EXPECT_EQ(currentText(entryAt(1, 0)), "");
    EXPECT_EQ(nameOf(entryAt(1, 0)), "CHARLIE");
}

TEST_F(TextIoTest, TheSummaryCountsEveryLineAndTellsWhyOnesChangedNothing) {
    ASSERT_EQ(openGenerated(named()), 0);
    const std::string lines = "ABC=abc text\r\n"                            // 1: equal
                              "NOSUCH=x\n"                                  // 2
                              "LONGER\r"                                    // 3
                              "\r\n\r\n"                                   // 4, 5: empty
                              "LONGER=" + std::string(4096, 'x') + "\r\n" +  // 6
                              "LONGER=" + std::string(4095, 'y') + "\r\n" +  // 7: changed
                              " ABC=blank first\r\n"                        // 8
                              "0x00000001=no hashes here";                  // 9
    TextImportSummary summary;
    EXPECT_EQ(importCounting(lines, summary), (Skipped{{2, TEXT_LINE_UNKNOWN_KEY},
                                                      {3, TEXT_LINE_NO_EQUALS},
                                                      {6, TEXT_LINE_TOO_LONG},
                                                      {8, TEXT_LINE_UNKNOWN_KEY},
                                                      {9, TEXT_LINE_UNKNOWN_KEY}}));
    EXPECT_EQ(summary.changed, 1u);
    EXPECT_EQ(summary.equal, 1u);
    EXPECT_EQ(summary.passedOver, 5u);
    EXPECT_EQ(currentText(entryAt(0, 1)), std::string(4095, 'y'));
    EXPECT_EQ(entryReplacementText(&entryAt(0, 0)), nullptr);
}

TEST_F(TextIoTest, SharedKeysChangeTheEntryOfTheRowsShown) {
    const GenDocument named = makeDocument('1', {{"T1", {{"DUP", 0, "first"}}}, {"T2", {{"dup", 0, "second"}}}});
    const struct {
        GenDocument doc;
        const char* line;
        uint32_t table;       // selected
        const char* list;     // a string list shown, or null
        uint32_t changed[2];  // table and record of the entry that takes the text
        uint32_t kept[2];     // the other entry of the key
    } cases[] = {
        {hashed(), "ALPHA=new", 1, nullptr, {1, 1}, {0, 0}},
        {hashed(), "ALPHA=new", 0, nullptr, {0, 0}, {1, 1}},
        {hashed(), "ALPHA=new", 1, "CHARLIE", {0, 0}, {1, 1}},  // the list's rows, not the table behind it
        {named, "DUP=new", 1, nullptr, {1, 0}, {0, 0}},
        {named, "dup=new", 0, nullptr, {0, 0}, {1, 0}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(openGenerated(c.doc), 0);
        ASSERT_EQ(selectTable(c.table), 1);
        // Exporting the table and importing the file unchanged replaces nothing.
        const std::string path = dir.file("table.txt");
        ASSERT_EQ(exportText(path.c_str()), 0);
        ASSERT_EQ(importText(path.c_str()), 0);
        EXPECT_FALSE(anyReplaced()) << c.line << " " << c.table;
        if (c.list) {
            ASSERT_EQ(loadStringList(write("rows.lst", c.list).c_str()), 0);
        }
        ASSERT_EQ(import(std::string(c.line) + "\r\n"), 0);
        EXPECT_EQ(currentText(entryAt(c.changed[0], c.changed[1])), "new") << c.line << " " << c.table;
        EXPECT_EQ(entryReplacementText(&entryAt(c.kept[0], c.kept[1])), nullptr) << c.line << " " << c.table;
        closeDocument();
    }
}

TEST_F(TextIoTest, AFileWithTheUtf8MarkIsConvertedToTheDisplayCodePage) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    // Guillemets and the section sign have the same bytes in every Windows
    // code page of Europe; a Thai letter is in none of them.
    const std::string section = "\xc2\xa7";
    std::string longest;
    for (int i = 0; i < 4095; ++i) longest += section;
    const std::string lines = "\xef\xbb\xbf" "ALPHA=\xc2\xab" + section + "\xc2\xbb\r\n" +
                              "CHARLIE=\xe0\xb8\x81\r\n" +
                              "EMPTY=" + longest + "\r\n" +
                              "0x0000abcd=" + longest + section + "\r\n";
    TextImportSummary summary;
    EXPECT_EQ(importCounting(lines, summary), (Skipped{{2, TEXT_LINE_UNREPRESENTABLE}, {4, TEXT_LINE_TOO_LONG}}));
    EXPECT_EQ(currentText(entryAt(0, 0)), "\xab\xa7\xbb");
    EXPECT_EQ(currentText(entryAt(1, 0)), "charlie text");
    EXPECT_EQ(currentText(entryAt(0, 2)), std::string(4095, '\xa7'));
    EXPECT_EQ(currentText(entryAt(0, 1)), "by hash");
    // Without the mark the bytes are taken as they are.
    EXPECT_EQ(import("CHARLIE=" + section), 0);
    EXPECT_EQ(currentText(entryAt(1, 0)), section);
}

TEST_F(TextIoTest, ImportWorksWhateverTheView) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    ASSERT_EQ(loadStringList(write("rows.lst", "CHARLIE").c_str()), 0);
    EXPECT_EQ(import("ALPHA=outside the list\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "outside the list");
    EXPECT_TRUE(gStringList.on);
}

// ---- Import: failures ------------------------------------------------------

TEST_F(TextIoTest, ImportFailuresChangeNothing) {
    const std::string path = write("in.txt", "ABC=new\r\n");
    EXPECT_EQ(importText(path.c_str()), 8000);
    ASSERT_EQ(openGenerated(named()), 0);
    EXPECT_EQ(importText(dir.file("absent.txt").c_str()), 8001);
    const struct {
        FaultPoint point;
        int code;
    } steps[] = {{FAULT_OPEN, 8001}, {FAULT_SIZE, 8002}, {FAULT_ALLOC, 8004}, {FAULT_READ, 8005}};
    for (const auto& step : steps) {
        faultArm(step.point, 1);
        EXPECT_EQ(importText(path.c_str()), step.code);
        faultReset();
        EXPECT_FALSE(anyReplaced()) << step.code;
    }
    std::filesystem::resize_file(path, 0x1000000);
    EXPECT_EQ(importText(path.c_str()), 8003);
    EXPECT_FALSE(anyReplaced());
    std::filesystem::resize_file(path, 0xFFFFFF);
    EXPECT_EQ(importText(path.c_str()), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "new");
}

TEST_F(TextIoTest, ATextThatCannotBeStoredLeavesItsEntryAlone) {
    ASSERT_EQ(openGenerated(named()), 0);
    // With the name index built by a first lookup, the import allocates the
    // file's block, then the first entry's text.
    ASSERT_NE(findEntry("ABC", 0), nullptr);
    faultArm(FAULT_ALLOC, 2);
    EXPECT_EQ(import("ABC=lost\r\nLONGER=kept\r\n"), 0);
    EXPECT_EQ(currentText(entryAt(0, 0)), "abc text");
    EXPECT_EQ(entryAt(0, 0).storedLength, 9);
    EXPECT_EQ(currentText(entryAt(0, 1)), "kept");
}

}  // namespace
