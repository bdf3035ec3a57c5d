// Text export and import: the lines the export writes, every line shape the
// import reads, the round trip, and the failures of the export.
#include "decode/decode_table.h"
#include "sidefile_test.h"
#include "sidefiles/string_list.h"
#include "sidefiles/text_encoding.h"
#include "sidefiles/text_io.h"

namespace {

// The placeholder name of a hashed key in the extended layout.
std::string printed(const std::string& name, uint32_t hash = 0) {
    char text[16];
    snprintf(text, sizeof text, "%08x", hash ? hash : genKeyHash('@', name));
    return text;
}

class TextIoTest : public SideFileTest {
protected:
    GenDocument hashed() {
        return makeDocument('@', {{"ONE", {{"ALPHA", 0, "alpha text"}, {"", 0xABCD, "by hash"}, {"EMPTY", 0, ""}}},
                                  {"TWO", {{"CHARLIE", 0, "charlie text"}, {"ALPHA", 0, "second alpha"}}}});
    }
    GenDocument named() {
        return makeDocument('0', {{"MAIN", {{"ABC", 0, "abc text"}, {"LONGER", 0, "longer text"}}}});
    }
    using Skipped = std::vector<std::pair<uint32_t, TextLineSkip>>;
    // Imports the text with a summary; the lines passed over, with why.
    Skipped importCounting(const std::string& text, TextImportSummary& summary) {
        Skipped skipped;
        summary = TextImportSummary{};
        summary.context = &skipped;
        summary.onPassedOver = [](void* context, uint32_t line, TextLineSkip reason, uint32_t) {
            static_cast<Skipped*>(context)->push_back({line, reason});
        };
        EXPECT_EQ(importText(write("in.txt", text).c_str(), &summary), 0);
        return skipped;
    }
    static std::string textAt(uint32_t t, uint32_t k) { return entryText(&entryAt(t, k)); }
    std::string exported() {
        const std::string path = dir.file("out.txt");
        EXPECT_EQ(exportText(path.c_str()), 0);
        return fileText(path);
    }
};

// ---- Export ----------------------------------------------------------------

TEST_F(TextIoTest, ExportWritesKeyEqualsTextLines) {
    ASSERT_EQ(openGenerated(hashed()), 0);
    EXPECT_EQ(exportText(dir.file("out.txt").c_str()), 7001);  // no table chosen
    // An empty table: no lines, in UTF-8 the mark alone.
    ASSERT_EQ(selectTable(2), 1);
    EXPECT_EQ(exported(), "");
    const TextEncoding utf8{true, 0};
    ASSERT_EQ(exportText(dir.file("out.txt").c_str(), &utf8), 0);
    EXPECT_EQ(fileText(dir.file("out.txt")), "\xef\xbb\xbf");
    ASSERT_EQ(selectTable(0), 1);
    ASSERT_EQ(setRowName(0, "ALPHA"), 1);
    const std::string empty = "0x" + printed("EMPTY") + "=\r\n";
    EXPECT_EQ(exported(), "ALPHA=alpha text\r\n0x0000abcd=by hash\r\n" + empty);
    // Edited texts go out as edited; the rest through the decode table.
    ASSERT_EQ(setRowText(1, "edited", 6), 1);
    decodeTable::assign('a', 'A');
    redecodeDocument();
    EXPECT_EQ(exported(), "ALPHA=AlphA text\r\n0x0000abcd=edited\r\n" + empty);
    // The rows of a string list.
    ASSERT_EQ(loadStringList(write("rows.lst", "CHARLIE ALPHA CHARLIE").c_str()), 0);
    const std::string charlie = "0x" + printed("CHARLIE") + "=chArlie text\r\n";
    EXPECT_EQ(exported(), charlie + "ALPHA=AlphA text\r\n" + charlie);
}

// The whole document: each table under its "[NAME]" line. A byte the code
// page gives no character stops an export to UTF-8 with 7005.
TEST_F(TextIoTest, AWholeDocumentExportNamesEachTable) {
    ASSERT_EQ(openGenerated(named()), 0);
    const std::string path = dir.file("all.txt");
    ASSERT_EQ(exportAllText(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "[MAIN]\r\nABC=abc text\r\nLONGER=longer text\r\n");
    ASSERT_EQ(openGenerated(makeDocument('0', {{"MAIN", {{"ABC", 0, "b\xfd"}}}})), 0);
    const TextEncoding utf8{true, 932};
    EXPECT_EQ(exportAllText(path.c_str(), &utf8), 7005);
}

TEST_F(TextIoTest, ExportFailuresLeaveTheOldFile) {
    const std::string path = write("out.txt", "OLD=old\r\n");
    EXPECT_TRUE(exportText(nullptr) == 7000 && exportAllText(nullptr) == 7000);
    EXPECT_TRUE(exportText(path.c_str()) == 7001 && exportAllText(path.c_str()) == 7001);  // no document
    ASSERT_EQ(openGenerated(named()), 0);
    ASSERT_EQ(selectTable(0), 1);
    EXPECT_EQ(exportFailing([](const char* p) { return exportText(p); }, path), (std::set<int>{7002, 7003, 7004}));
    EXPECT_EQ(exportFailing([](const char* p) { return exportAllText(p); }, path),
              (std::set<int>{7002, 7003, 7004}));
    ASSERT_EQ(exportText(path.c_str()), 0);
    EXPECT_EQ(fileText(path), "ABC=abc text\r\nLONGER=longer text\r\n");
}

// ---- Export, then import ---------------------------------------------------

TEST_F(TextIoTest, ExportsImportedChangeNothingAndCarryEditsToAFreshLoad) {
    const std::string path = dir.file("all.txt");
    for (char variant : kAllVariants) {
        for (GenStringOrder order : {GenStringOrder::RecordOrder, GenStringOrder::Reverse}) {
            GenDocument doc = randomDocument(variant, order == GenStringOrder::Reverse ? 21 : 5, 60, true);
            keepKeysUnique(doc);
            ASSERT_EQ(openGenerated(doc, {order, true}), 0);
            const std::vector<std::string> loaded = shown();
            ASSERT_EQ(exportAllText(path.c_str()), 0);
            ASSERT_EQ(importText(path.c_str()), 0);
            EXPECT_EQ(shown(), loaded) << variant;
            for (uint32_t t = 0; t < doc.tables.size(); ++t)
                for (uint32_t k = 0; k < doc.tables[t].entries.size(); ++k) {
                    GxtEntry* e = &entryAt(t, k);
                    const std::string text = "edited " + std::to_string(t) + "/" + std::to_string(k);
                    if (k % 3 == 0) {
                        ASSERT_EQ(setEntryText(e, text.c_str(), (uint32_t)text.size()), 1);
                    }
                    if (k % 2 == 0) setEntryName(e, doc.tables[t].entries[k].name.c_str());
                }
            ASSERT_EQ(exportAllText(path.c_str()), 0);
            const std::vector<std::string> expected = shown();
            ASSERT_EQ(openGenerated(doc, {order, true}), 0);
            ASSERT_EQ(importText(path.c_str()), 0);
            EXPECT_EQ(shown(), expected) << variant;
        }
    }
}

// ---- Import: line shapes -----------------------------------------------------

TEST_F(TextIoTest, ImportReadsEveryLineShape) {
    const std::string a = printed("ALPHA"), e = printed("EMPTY"), c = printed("CHARLIE"), h = printed("", 0xABCD);
    const std::string key32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    const GenDocument long32 = makeDocument('@', {{"T", {{key32, 0, "old"}, {"X", 0, "x"}}}});
    const std::string k32 = printed(key32), x = printed("X");
    const struct {
        GenDocument doc;
        std::string input;
        std::vector<std::string> shown;  // the rows of every table, or of the named table
    } cases[] = {
        // Hash keys: only a lower-case 0x, any case of digits, at most 32 of them.
        {hashed(), "0x0000abcd=new\r\n0xABCD=upper digits\r\n0x00000000=zero\r\n0X0000ABCD=as a name\r\n",
         {a + "=alpha text", h + "=upper digits", e + "=", c + "=charlie text", a + "=second alpha"}},
        {hashed(), "0x0" + std::string(24, '0') + "0000abcd=thirty-three\r\n",
         {a + "=alpha text", h + "=by hash", e + "=", c + "=charlie text", a + "=second alpha"}},
        {hashed(), "0x" + std::string(24, '0') + "0000abcd=thirty-two\r\n",
         {a + "=alpha text", h + "=thirty-two", e + "=", c + "=charlie text", a + "=second alpha"}},
        {named(), "0x00000000=x\r\n0x1=y\r\n", {"ABC=abc text", "LONGER=longer text"}},
        // Name keys name the first entry of the name; the line's text follows.
        {hashed(), "ALPHA=first alpha\r\nEMPTY=\r\nCHARLIE=charlie te",
         {"ALPHA=first alpha", h + "=by hash", "EMPTY=", "CHARLIE=charlie te", a + "=second alpha"}},
        {hashed(), "CHARLIE=", {a + "=alpha text", h + "=by hash", e + "=", "CHARLIE=", a + "=second alpha"}},
        {named(), "abc=lower case finds ABC\r\n", {"ABC=lower case finds ABC", "LONGER=longer text"}},
        {named(), "NOSUCH=x\r\n=no key\r\n ABC=blank first\r\nLONGER=still read\r\n", {"ABC=abc text", "LONGER=still read"}},
        // A blank after the key makes the "=" part of the text.
        {named(), "ABC =with equals\r\n", {"ABC==with equals", "LONGER=longer text"}},
        // A key without "=" changes nothing, nor names its entry.
        {hashed(), "ALPHA\r\nCHARLIE=new\nEMPTY\tALPHA=x\rCHARLIE",
         {a + "=alpha text", h + "=by hash", e + "=", "CHARLIE=new", a + "=second alpha"}},
        // A control byte ends the text and starts a new line; bytes from 0x80 stay.
        {named(), "ABC=before tab\tLONGER=after tab", {"ABC=before tab", "LONGER=after tab"}},
        {named(), "ABC=\xe4\xf6\xfc a=b\r\n", {"ABC=\xe4\xf6\xfc a=b", "LONGER=longer text"}},
        {named(), "ABC=one\rLONGER=two\n", {"ABC=one", "LONGER=two"}},
        {named(), "ABC=one\nLONGER=two\r", {"ABC=one", "LONGER=two"}},
        // Keys of up to 32 bytes; every byte before the "=" counts.
        {long32, key32 + "6=thirty-three\r\nX=next line read\r\n", {k32 + "=old", "X=next line read"}},
        {long32, key32 + "=thirty-two\r\n", {key32 + "=thirty-two", x + "=x"}},
        {long32, "X\r\n" + std::string(40, 'Y') + "=z\r\n", {k32 + "=old", x + "=x"}},
        {long32, "X" + std::string(32, ' ') + "=z\r\n", {k32 + "=old", x + "=x"}},  // blanks count too
    };
    for (const auto& cs : cases) {
        ASSERT_EQ(openGenerated(cs.doc), 0);
        EXPECT_EQ(importText(write("in.txt", cs.input).c_str()), 0);
        EXPECT_EQ(shown(), cs.shown) << cs.input;
    }
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
    EXPECT_EQ(shown(), (std::vector<std::string>{"ABC=abc text", "LONGER=" + std::string(4095, 'y')}));
}

TEST_F(TextIoTest, SharedKeysChangeTheEntryOfTheRowsShown) {
    const GenDocument named = makeDocument('1', {{"T1", {{"DUP", 0, "first"}}}, {"T2", {{"dup", 0, "second"}}}});
    const struct {
        GenDocument doc;
        const char* line;
        uint32_t table;       // selected
        const char* list;     // a string list shown, or null
        uint32_t changed[2];  // table and record of the entry that takes the text
    } cases[] = {
        {hashed(), "ALPHA=new", 1, nullptr, {1, 1}},
        {hashed(), "ALPHA=new", 0, nullptr, {0, 0}},
        {hashed(), "ALPHA=new", 1, "CHARLIE", {0, 0}},  // the list's rows, not the table behind it
        {named, "DUP=new", 1, nullptr, {1, 0}},
        {named, "dup=new", 0, nullptr, {0, 0}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(openGenerated(c.doc), 0);
        const std::vector<std::string> loaded = shown();
        ASSERT_EQ(selectTable(c.table), 1);
        if (c.list) {
            ASSERT_EQ(loadStringList(write("rows.lst", c.list).c_str()), 0);
        }
        ASSERT_EQ(importText(write("in.txt", std::string(c.line) + "\r\n").c_str()), 0);
        closeStringList();
        std::vector<std::string> now = shown();
        EXPECT_EQ(textAt(c.changed[0], c.changed[1]), "new") << c.line << " " << c.table;
        // Only that entry changed.
        size_t changed = 0;
        for (size_t i = 0; i < now.size(); ++i) changed += now[i] != loaded[i];
        EXPECT_EQ(changed, 1u) << c.line << " " << c.table;
    }
}

// Of tables that share a name, each "[NAME]" line takes the next after the
// table of the last one, so that a whole-document export comes back whole.
TEST_F(TextIoTest, SectionsOfTablesThatShareANameGoToTheirOwnTables) {
    const GenDocument doc = makeDocument('1', {{"T", {{"A", 0, "a"}}}, {"O=R", {{"A", 0, "o"}}}, {"t", {{"A", 0, "b"}}}});
    const struct {
        const char* input;
        std::vector<std::string> shown;
    } cases[] = {
        {"[T]\r\nA=1\r\n[O=R]\r\nA=2\r\n[T]\r\nA=3\r\n", {"A=1", "A=2", "A=3"}},
        {"[t]\r\nA=1\r\n[t]\r\nA=2\r\n[T]\r\nA=3\r\n", {"A=3", "A=o", "A=2"}},  // round to the first
        {"[O=R]\r\n[NONE]\r\nA=x\r\n[T]\r\nA=1\r\n", {"A=a", "A=o", "A=1"}},
        {"[T]\r\nA=2\r\n[TX\r\nA=1\r\n[]\r\nA=3\r\n", {"A=1", "A=o", "A=b"}},  // "[TX" is no section, "[]" none known
    };
    for (const auto& c : cases) {
        ASSERT_EQ(openGenerated(doc), 0);
        EXPECT_EQ(importText(write("in.txt", c.input).c_str()), 0);
        EXPECT_EQ(shown(), c.shown) << c.input;
    }
}

// A known name that begins with "0x" goes out as that name; coming back, the
// line is that entry's, never the entry whose hash its digits spell.
TEST_F(TextIoTest, ANameThatLooksLikeAHashKeyComesBackToItsEntry) {
    for (char variant : {'@', '0'}) {
        ASSERT_EQ(openGenerated(makeDocument(variant, {{"T", {{"0x1", 0, "named"}, {"ONE", 1, "hash one"}}}})), 0);
        if (variant == '@') {
            ASSERT_EQ(setEntryName(&entryAt(0, 0), "0x1"), 1);
        }
        ASSERT_EQ(selectTable(0), 1);
        ASSERT_EQ(importText(write("in.txt", "0x1=edited\r\n").c_str()), 0);
        EXPECT_EQ(textAt(0, 0), "edited") << variant;
        EXPECT_EQ(textAt(0, 1), "hash one") << variant;
    }
    // A found name that a line cannot hold whole goes out as its hash.
    ASSERT_EQ(openGenerated(makeDocument('@', {{"T", {{"A=B", 0, "with equals"}, {"A", 0, "plain"}}}})), 0);
    ASSERT_EQ(setEntryName(&entryAt(0, 0), "A=B"), 1);
    ASSERT_EQ(setEntryName(&entryAt(0, 1), "A"), 1);
    ASSERT_EQ(selectTable(0), 1);
    const std::vector<std::string> loaded = shown();
    const std::string lines = exported();
    EXPECT_EQ(lines, "0x" + printed("A=B") + "=with equals\r\nA=plain\r\n");
    ASSERT_EQ(importText(write("in.txt", lines).c_str()), 0);
    EXPECT_EQ(shown(), loaded);
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
    EXPECT_EQ(textAt(0, 0), "\xab\xa7\xbb");
    EXPECT_EQ(textAt(1, 0), "charlie text");
    EXPECT_EQ(textAt(0, 2), std::string(4095, '\xa7'));
    EXPECT_EQ(textAt(0, 1), "by hash");
    // Without the mark the bytes are taken as they are.
    EXPECT_EQ(importText(write("in.txt", "CHARLIE=" + section).c_str()), 0);
    EXPECT_EQ(textAt(1, 0), section);
}

// Each allocation failing in turn, table TWO shown: its ALPHA is found among
// the rows shown, EMPTY in the whole document. A text that cannot be stored
// leaves its entry as it was, and the other line is read all the same.
TEST_F(TextIoTest, ATextThatCannotBeStoredLeavesItsEntryAlone) {
    auto texts = [] {
        return std::vector<std::string>{textAt(0, 0), textAt(0, 1), textAt(0, 2), textAt(1, 0), textAt(1, 1)};
    };
    for (uint32_t nth = 1;; ++nth) {
        ASSERT_EQ(openGenerated(hashed()), 0);
        ASSERT_EQ(selectTable(1), 1);
        const std::vector<std::string> before = texts();
        faultReset();
        faultArm(FAULT_ALLOC, nth);
        const int r = importText(write("in.txt", "ALPHA=lost\r\nEMPTY=kept\r\n").c_str());
        const bool failed = faultCalls(FAULT_ALLOC) >= nth;
        faultReset();
        std::vector<std::string> lost = before, kept = before, both = before;
        lost[4] = both[4] = "lost";
        kept[2] = both[2] = "kept";
        const std::vector<std::string> now = texts();
        if (!failed) {
            EXPECT_EQ(now, both);
            break;
        }
        EXPECT_TRUE(now == before || now == lost || now == kept || (r == 0 && now == both)) << nth << " " << r;
        if (r) {
            EXPECT_EQ(now, before) << nth;
        }
    }
}

// A failed conversion names the line and the first character the code page
// lacks (from UTF-8, its code point) or the first byte it gives no character
// (to UTF-8; a lead byte converts with its trail byte).
TEST_F(TextIoTest, AFailedConversionNamesTheLineAndCharacter) {
    const struct {
        bool toUtf8;
        uint32_t codePage;
        std::string text;
        uint32_t line, character;
    } cases[] = {{true, 932, "ok\r\nok\nb\xfd", 3, 0xFD},
                 {true, 932, "\x82\xa0\r\x82\xa0\x82\xa0\xfd", 2, 0xFD},
                 {false, 1252, "\xc2\xa7\n\xf0\x9f\x98\x80", 2, 0x1F600},
                 {false, 1252, "\xc2\xa7\xe2\x86\x92", 1, 0x2192},
                 {false, 1252, "\xc2", 1, 0xFFFFFFFF}};
    for (const auto& c : cases) {
        char out[64];
        uint32_t written = 0;
        TextConversionFailure failure{};
        EXPECT_EQ(convertTextLines(c.toUtf8, c.codePage, c.text.data(), (uint32_t)c.text.size(), out, sizeof out,
                                   &written, &failure),
                  CODE_PAGE_UNREPRESENTABLE);
        EXPECT_EQ(failure.line, c.line) << c.codePage << " " << c.text;
        EXPECT_EQ(failure.character, c.character) << c.codePage << " " << c.text;
    }
}

}  // namespace
