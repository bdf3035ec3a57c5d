// The whole-document text source that vorn-cli build reads: what it makes
// of each line, and every refusal with the line it names.
#include <gtest/gtest.h>

#include <string>

#include "gxt_source.h"

namespace {

GenSourceError parse(const std::string& text, char variant, GenDocument& doc) {
    GenSourceError error;
    bool ok = genParseSource(reinterpret_cast<const uint8_t*>(text.data()), text.size(), variant, doc, error);
    EXPECT_EQ(ok, error.line == 0) << text;
    return error;
}

TEST(BuildSourceTest, RefusalsNameTheLine) {
    const std::string tooMany = [] {
        std::string s = "[T]\n";
        for (uint32_t i = 0; i <= 65535; ++i) s += "0x" + std::to_string(10000000 + i) + "=\n";
        return s;
    }();
    const std::string tooLarge = "[T]\n0x00000001=" + std::string(0xFF0000, 'x') + "\n0x00000002=" +
                                 std::string(0x10000, 'y') + "\n";
    struct Case {
        char variant;
        std::string source;
        uint32_t line;
        std::string reason;
    } cases[] = {
        {'2', "A=1\n", 1, "a key before the first [NAME] line"},
        {'2', "[MAIN]\r\nA=1\r\nB\r\n", 3, "no \"=\" after the key"},
        {'2', "[MAIN]\r\r=1\r", 3, "no key before the \"=\""},
        {'1', "[MAIN]\nA B=1\n", 2, "a key holds a blank or a byte outside ASCII"},
        {'1', "[MAIN]\nA=1\tand 2\n", 2, "a control character"},
        {'1', "[MAIN]\nABCDEFGHI=1\n", 2, "key ABCDEFGHI is longer than 8 characters"},
        {'2', "[MAIN]\nABCDEFGHI=1\n", 2, "key ABCDEFGHI is longer than 8 characters"},
        {'@', "[MAIN]\n" + std::string(33, 'K') + "=1\n", 2,
         "key " + std::string(33, 'K') + " is longer than 32 characters"},
        {'1', "[MAIN]\nabc=1\n\nABC=2\n", 4, "key ABC is already in table MAIN (line 2)"},
        {'2', "[MAIN]\nabc=1\n0x5c7cfcb7=2\n", 3, "key 0x5c7cfcb7 is already in table MAIN (line 2)"},
        {'@', "[T]\n0x00000000=\n0x00000000=\n", 3, "key 0x00000000 is already in table T (line 2)"},
        {'2', tooMany, 65537, "table T has more than 65535 entries"},
        {'2', "[ABCDEFGHI]\n", 1, "a table name has 1 to 8 characters"},
        {'2', "[]\n", 1, "a table name has 1 to 8 characters"},
        {'2', "[MAIN\n", 1, "a table line needs a closing \"]\""},
        {'0', "[MAIN]\n[MAIN]\n", 2, "layout 0 has only 1 tables"},
        {'0', "[TEXT]\n", 1, "layout 0 has one table, MAIN"},
        {'@', tooLarge, 3, "the file would be 16 MiB or larger"},
    };
    for (const Case& c : cases) {
        GenDocument doc;
        GenSourceError error = parse(c.source, c.variant, doc);
        EXPECT_EQ(error.line, c.line) << c.source.substr(0, 40);
        EXPECT_EQ(error.reason, c.reason) << c.source.substr(0, 40);
    }
}

TEST(BuildSourceTest, LinesBecomeTablesAndEntriesInOrder) {
    GenDocument doc;
    // Every kind of line end; keys shared between tables; a text holding
    // "=" and "[" ; an empty text.
    parse("[ONE]\r\nB=x=y\rA=\n\n[TWO]\nB=[two]\r\n0x0000abcd=by hash", '2', doc);
    ASSERT_EQ(doc.tables.size(), 2u);
    EXPECT_EQ(doc.tables[0].name, "ONE");
    ASSERT_EQ(doc.tables[0].entries.size(), 2u);
    EXPECT_EQ(doc.tables[0].entries[0].hash, genKeyHash('2', "B"));
    EXPECT_EQ(doc.tables[0].entries[0].text, "x=y");
    EXPECT_EQ(doc.tables[0].entries[1].text, "");
    ASSERT_EQ(doc.tables[1].entries.size(), 2u);
    EXPECT_EQ(doc.tables[1].entries[0].text, "[two]");
    EXPECT_EQ(doc.tables[1].entries[1].hash, 0xABCDu);
    EXPECT_EQ(doc.tables[1].entries[1].text, "by hash");
    // In the named layouts "0x..." is a name like any other.
    parse("[MAIN]\n0x0000abcd=x\n", '0', doc);
    EXPECT_EQ(doc.tables[0].entries.size(), 0u);
    parse("[MAIN]\n0x00abcd=x\n", '1', doc);
    EXPECT_EQ(doc.tables[0].entries[0].name, "0x00abcd");
}

}  // namespace
