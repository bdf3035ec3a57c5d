#include <filesystem>

#include "config_test_support.h"

namespace {

using ConfigParse = ConfigTest;
using ConfigAccess = ConfigTest;
using ConfigSave = ConfigTest;
using ConfigFaults = ConfigTest;

// ---- Reading the file ----------------------------------------------------------

TEST_F(ConfigParse, SectionsAndKeysMatchWithoutRegardToCase) {
    ASSERT_EQ(load("[window]\r\nwidth=800\r\n"), 1);
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 800u);
    EXPECT_EQ(number("WINDOW", "WIDTH", CFG_DECIMAL, 750), 800u);
    // Written back with the spelling the file gave.
    EXPECT_EQ(image(), "\r\n[window]\r\nwidth=800\r\n\r\n");
}

TEST_F(ConfigParse, RepeatedHeaderContinuesItsSectionAndFirstCommentWins) {
    ASSERT_EQ(load("[Main] ; first\nA=1\n[Other]\n[MAIN] ; second\nB=2\n"), 1);
    EXPECT_EQ(image(), "\r\n[Main]    ; first\r\nA=1\r\nB=2\r\n\r\n[Other]\r\n\r\n");
}

TEST_F(ConfigParse, ValuesAreClassifiedByTheirForm) {
    ASSERT_EQ(load("T=\"text\"\nD=0123\nH=00Ff\nX=0x1f\nS=-8\nG=12g\nE=\nQ=\"\"\nN\n"), 1);
    EXPECT_EQ(keyOf(nullptr, "T")->state, CFG_TEXT);
    EXPECT_EQ(keyOf(nullptr, "D")->state, CFG_DECIMAL);
    EXPECT_EQ(keyOf(nullptr, "H")->state, CFG_HEX);
    EXPECT_EQ(keyOf(nullptr, "X")->state, CFG_INVALID);
    EXPECT_EQ(keyOf(nullptr, "E")->state, CFG_NONE);
    EXPECT_EQ(keyOf(nullptr, "Q")->state, CFG_NONE);
    EXPECT_EQ(image(), "T=\"text\"\r\nD=123\r\nH=ff\r\nX=1unk\r\nS=1unk\r\nG=1unk\r\nE\r\nQ\r\nN\r\n\r\n");
}

TEST_F(ConfigParse, HexadecimalAskedAsDecimalKeepsItsValue) {
    ASSERT_EQ(load("[Window]\nWidth=2ee\n"), 1);
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 1), 750u);
    EXPECT_EQ(image(), "\r\n[Window]\r\nWidth=750\r\n\r\n");
}

TEST_F(ConfigParse, DecimalDigitsAskedAsHexadecimalAreReadAsHexDigits) {
    ASSERT_EQ(load("[Fonts]\nViewStyle=1000\nBig=123456789\n"), 1);
    EXPECT_EQ(number("Fonts", "ViewStyle", CFG_HEX, 0), 0x1000u);
    EXPECT_EQ(number("Fonts", "Big", CFG_HEX, 0), 0x23456789u);
    // Asked again, the value is already hexadecimal and stays.
    EXPECT_EQ(number("Fonts", "ViewStyle", CFG_HEX, 0), 0x1000u);
    EXPECT_EQ(image(), "\r\n[Fonts]\r\nViewStyle=1000\r\nBig=23456789\r\n\r\n");
}

TEST_F(ConfigParse, DecimalDigitsAsHex) {
    EXPECT_EQ(decimalDigitsAsHex(0), 0u);
    EXPECT_EQ(decimalDigitsAsHex(1000), 0x1000u);
    EXPECT_EQ(decimalDigitsAsHex(888474), 0x888474u);
    // Only the lowest eight digits count: 16^8 wraps to 0.
    EXPECT_EQ(decimalDigitsAsHex(4294967295u), 0x94967295u);
}

TEST_F(ConfigParse, LongNumbersWrapAt32Bits) {
    ASSERT_EQ(load("A=4294967297\nB=123456789012\nC=1ffffffff\nD=123456789abcdef01\n"), 1);
    EXPECT_EQ(number(nullptr, "A", CFG_DECIMAL, 0), 1u);
    EXPECT_EQ(number(nullptr, "B", CFG_DECIMAL, 0), (uint32_t)123456789012ull);
    EXPECT_EQ(number(nullptr, "C", CFG_HEX, 0), 0xFFFFFFFFu);
    EXPECT_EQ(number(nullptr, "D", CFG_HEX, 0), 0xabcdef01u);
}

TEST_F(ConfigParse, NegativeNumbersGoThroughTheirUnsignedForm) {
    ASSERT_EQ(load("[Window]\nPosX=4294967288\n"), 1);
    EXPECT_EQ((int32_t)number("Window", "PosX", CFG_DECIMAL, 0), -8);
    configSet("Window", "PosY", CFG_DECIMAL, configNumber((uint32_t)-120));
    ASSERT_EQ(configSave(path.c_str()), 1);
    EXPECT_EQ(fileText(), "\r\n[Window]\r\nPosX=4294967288\r\nPosY=4294967176\r\n\r\n");
    configDiscard();
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ((int32_t)number("Window", "PosY", CFG_DECIMAL, 0), -120);
}

TEST_F(ConfigParse, QuotedValueHoldsSemicolonsAndBlanks) {
    ASSERT_EQ(load("Face=  \"a;b  c\"   ;  note  \n"), 1);
    EXPECT_EQ(text(nullptr, "Face", "x"), "a;b  c");
    EXPECT_STREQ(keyOf(nullptr, "Face")->comment, "note");
    EXPECT_EQ(image(), "Face=\"a;b  c\"    ; note\r\n\r\n");
}

TEST_F(ConfigParse, QuotedValueSpansLines) {
    ASSERT_EQ(load("[S]\r\nText=\"one\r\ntwo ; x\r\n[Not]\" rest ; c\r\nNext=1\r\n"), 1);
    EXPECT_EQ(text("S", "Text", "x"), "one\r\ntwo ; x\r\n[Not]");
    EXPECT_STREQ(keyOf("S", "Text")->comment, "c");
    EXPECT_EQ(number("S", "Next", CFG_DECIMAL, 0), 1u);
    EXPECT_EQ(findSection("Not", 3, 0), nullptr);
    EXPECT_EQ(image(), "\r\n[S]\r\nText=\"one\r\ntwo ; x\r\n[Not]\"    ; c\r\nNext=1\r\n\r\n");
}

TEST_F(ConfigParse, UnclosedQuoteTakesTheRestOfTheFile) {
    ASSERT_EQ(load("A=1\nT=\"rest\nB=2 ; c"), 1);
    EXPECT_EQ(text(nullptr, "T", "x"), "rest\nB=2 ; c");
    EXPECT_EQ(keyOf(nullptr, "B"), nullptr);
}

TEST_F(ConfigParse, CommentsStayInPlace) {
    const std::string file =
        "; top comment\n"
        ";second top\n"
        "[Window]   ; the window\n"
        "Width=750 ; pixels\n"
        "; inside\n"
        "  ;\tindented inside\t \n"
        "Height=550\n"
        "Flag ; no value\n";
    const std::string expected =
        "; top comment\r\n"
        "; second top\r\n"
        "\r\n"
        "[Window]    ; the window\r\n"
        "Width=750    ; pixels\r\n"
        "; inside\r\n"
        "; indented inside\r\n"
        "Height=550\r\n"
        "Flag    ; no value\r\n"
        "\r\n";
    ASSERT_EQ(load(file), 1);
    EXPECT_EQ(image(), expected);
    // The canonical form reads back as itself.
    configDiscard();
    ASSERT_EQ(load(expected), 1);
    EXPECT_EQ(image(), expected);
}

TEST_F(ConfigParse, LfAndCrLfFilesParseAlike) {
    const std::string lf = "; c\n[A] ; s\nK=\"v\" ; k\nN=5\n\n[B]\nM=ff\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_EQ(load(lf), 1);
    std::string fromLf = image();
    configDiscard();
    ASSERT_EQ(load(crlf), 1);
    EXPECT_EQ(image(), fromLf);
    EXPECT_EQ(fromLf, "; c\r\n\r\n[A]    ; s\r\nK=\"v\"    ; k\r\nN=5\r\n\r\n[B]\r\nM=ff\r\n\r\n");
}

TEST_F(ConfigParse, LastLineNeedsNoLineEnd) {
    ASSERT_EQ(load("A=12"), 1);
    EXPECT_EQ(number(nullptr, "A", CFG_DECIMAL, 0), 12u);
    configDiscard();
    ASSERT_EQ(load("A ; tail"), 1);
    EXPECT_STREQ(keyOf(nullptr, "A")->comment, "tail");
    configDiscard();
    ASSERT_EQ(load("[Last]"), 1);
    EXPECT_NE(findSection("Last", 4, 0), nullptr);
    configDiscard();
    ASSERT_EQ(load("Name"), 1);
    EXPECT_NE(keyOf(nullptr, "Name"), nullptr);
}

TEST_F(ConfigParse, EmptyHeadersAndEqualsLinesAreIgnored) {
    ASSERT_EQ(load("[A]\nX=1\n[]\nY=2\n[ \t ] junk\nZ=3\n=orphan ; c\n  = also\n"), 1);
    EXPECT_EQ(image(), "\r\n[A]\r\nX=1\r\nY=2\r\nZ=3\r\n\r\n");
}

TEST_F(ConfigParse, HeaderAndKeyOnOneLine) {
    ASSERT_EQ(load("[Fonts] MainSize=12\n[Window]junk\n"), 1);
    EXPECT_EQ(number("Fonts", "MainSize", CFG_DECIMAL, 10), 12u);
    EXPECT_NE(keyOf("Window", "junk"), nullptr);
}

TEST_F(ConfigParse, BlanksInsideNamesStayAndTrailingOnesGo) {
    ASSERT_EQ(load("[  My Section  ]\n  Key Name  =  5  trailing words ; c\n"), 1);
    EXPECT_EQ(number("My Section", "Key Name", CFG_DECIMAL, 0), 5u);
    EXPECT_EQ(image(), "\r\n[My Section]\r\nKey Name=5    ; c\r\n\r\n");
}

TEST_F(ConfigParse, RepeatedKeyTakesLastValueAtItsFirstPlace) {
    ASSERT_EQ(load("[S]\nW=1 ; one\nV=9\nw=2\nW= ; two\nW=\"\"\n"), 1);
    EXPECT_EQ(image(), "\r\n[S]\r\nW=2    ; two\r\nV=9\r\n\r\n");
}

TEST_F(ConfigParse, BareSemicolonLineIsWrittenEmptyAndThenDropped) {
    ASSERT_EQ(load("A=1\n;\n ;  \nB=2\n"), 1);
    EXPECT_EQ(image(), "A=1\r\n\r\n\r\nB=2\r\n\r\n");
    ASSERT_EQ(configSave(path.c_str()), 1);
    configDiscard();
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ(image(), "A=1\r\nB=2\r\n\r\n");
}

TEST_F(ConfigParse, TextWithAQuoteIsWrittenUnescapedAndCutOnReading) {
    loadNothing();
    configSet(nullptr, "T", CFG_TEXT, configText("say \"hi\" now"));
    EXPECT_EQ(image(), "T=\"say \"hi\" now\"\r\n\r\n");
    ASSERT_EQ(configSave(path.c_str()), 1);
    configDiscard();
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ(text(nullptr, "T", "x"), "say ");
}

TEST_F(ConfigParse, ZeroByteEndsTheContent) {
    write("vorn.cfg", std::vector<uint8_t>{'A', '=', '1', '\n', 0, 'B', '=', '2', '\n'});
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ(image(), "A=1\r\n\r\n");
}

TEST_F(ConfigParse, HighBytesAndControlCharactersAreNameCharacters) {
    ASSERT_EQ(load("[\xC4pfel]\nK\x01y=\"\xE9t\xE9\"\n"), 1);
    EXPECT_EQ(text("\xC4pfel", "K\x01y", "x"), "\xE9t\xE9");
    EXPECT_EQ(image(), "\r\n[\xC4pfel]\r\nK\x01y=\"\xE9t\xE9\"\r\n\r\n");
}

TEST_F(ConfigParse, SecondLoadMergesIntoTheStore) {
    ASSERT_EQ(load("[A]\nX=1\nY=2\n"), 1);
    ASSERT_EQ(load("[a]\nY=3\n[B]\nZ=4\n"), 1);
    EXPECT_EQ(image(), "\r\n[A]\r\nX=1\r\nY=3\r\n\r\n[B]\r\nZ=4\r\n\r\n");
}

TEST_F(ConfigParse, FileBelowTheSizeLimitIsReadWhole) {
    std::string file = ";" + std::string(kConfigFileLimit - 11, 'x') + "\nLast=777";
    ASSERT_EQ(file.size(), kConfigFileLimit - 1);
    ASSERT_EQ(load(file), 1);
    EXPECT_EQ(number(nullptr, "Last", CFG_DECIMAL, 0), 777u);
}

TEST_F(ConfigParse, FileAtTheSizeLimitIsIgnoredAndReplacedOnSave) {
    std::string file = "[Window]\nWidth=1\n;" + std::string(kConfigFileLimit, 'x');
    file.resize(kConfigFileLimit);
    ASSERT_EQ(load(file), 0);
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 750u);
    ASSERT_EQ(configSave(path.c_str()), 1);
    EXPECT_EQ(fileText(), "\r\n[Window]\r\nWidth=750\r\n\r\n");
}

TEST_F(ConfigParse, HeapLimitStopsTheParseAndKeepsWhatWasRead) {
    // Each comment line becomes a key of its own; a file near the size
    // limit holds far more of them than the 256 KiB heap can.
    std::string file;
    uint32_t lines = 0;
    while (file.size() < kConfigFileLimit - 16) file += ";" + std::to_string(lines++) + "\n";
    ASSERT_EQ(load(file), 0);
    // The kept lines are the first ones of the file, in order. (The line
    // whose comment found no room is an empty line.)
    std::string kept = image();
    uint32_t count = 0;
    size_t pos = 0;
    for (size_t end; (end = kept.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        std::string line = kept.substr(pos, end - pos);
        if (line.empty()) continue;
        ASSERT_EQ(line, "; " + std::to_string(count));
        ++count;
    }
    EXPECT_GT(count, 100u);
    EXPECT_LT(count, lines);
    // The load buffer is gone again, so the store still takes keys and saves.
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 750u);
    EXPECT_EQ(configSave(path.c_str()), 1);
}

// ---- Typed access ----------------------------------------------------------------

TEST_F(ConfigAccess, MissingKeysAreCreatedWithTheirDefaultsInOrder) {
    loadNothing();
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 750u);
    EXPECT_EQ(number("Colors", "Back", CFG_HEX, 0x888474), 0x888474u);
    EXPECT_EQ(text("Fonts", "Face", "Verdana"), "Verdana");
    EXPECT_EQ(number(nullptr, "Top", CFG_DECIMAL, 3), 3u);
    // Once created, the stored value wins over a different default.
    EXPECT_EQ(number("window", "width", CFG_DECIMAL, 1), 750u);
    EXPECT_EQ(text("FONTS", "FACE", "Arial"), "Verdana");
    EXPECT_EQ(image(),
              "Top=3\r\n\r\n[Window]\r\nWidth=750\r\n\r\n[Colors]\r\nBack=888474\r\n\r\n"
              "[Fonts]\r\nFace=\"Verdana\"\r\n\r\n");
}

TEST_F(ConfigAccess, ValuesOfTheWrongFormGiveTheDefault) {
    ASSERT_EQ(load("[S]\nNum=\"text\"\nTxt=12\nBad=0x2EE\nHex=\"ff\"\nUnasked=0x2EE\n"), 1);
    EXPECT_EQ(number("S", "Num", CFG_DECIMAL, 5), 5u);
    EXPECT_EQ(text("S", "Txt", "dflt"), "dflt");
    EXPECT_EQ(number("S", "Bad", CFG_DECIMAL, 750), 750u);
    EXPECT_EQ(number("S", "Hex", CFG_HEX, 0xab), 0xabu);
    EXPECT_EQ(image(), "\r\n[S]\r\nNum=5\r\nTxt=\"dflt\"\r\nBad=750\r\nHex=ab\r\nUnasked=1unk\r\n\r\n");
}

TEST_F(ConfigAccess, KindZeroOnlyMakesSureTheKeyExists) {
    ASSERT_EQ(load("K=5\n"), 1);
    EXPECT_EQ(number(nullptr, "K", CFG_NONE, 9), 1u);
    EXPECT_EQ(number(nullptr, "New", CFG_NONE, 9), 1u);
    EXPECT_EQ(image(), "K=5\r\nNew\r\n\r\n");
}

TEST_F(ConfigAccess, UnknownKindsGiveZeroAndChangeNoValue) {
    ASSERT_EQ(load("K=5\n"), 1);
    for (uint32_t kind : {4u, 5u, 99u}) {
        ConfigValue got = configGet(nullptr, "K", kind, configNumber(7));
        EXPECT_EQ(got.number, 0u);
        EXPECT_EQ(got.text, nullptr);
        EXPECT_EQ(configSet(nullptr, "K", kind, configNumber(7)).number, 0u);
    }
    EXPECT_EQ(image(), "K=5\r\n\r\n");
}

TEST_F(ConfigAccess, SetReplacesValuesOfAnyKind) {
    loadNothing();
    ConfigValue t = configSet("S", "K", CFG_TEXT, configText("abc"));
    ASSERT_NE(t.text, nullptr);
    EXPECT_STREQ(t.text, "abc");
    EXPECT_EQ(image(), "\r\n[S]\r\nK=\"abc\"\r\n\r\n");
    EXPECT_EQ(configSet("S", "K", CFG_HEX, configNumber(0xbeef)).number, 0xbeefu);
    EXPECT_EQ(image(), "\r\n[S]\r\nK=beef\r\n\r\n");
    EXPECT_EQ(configSet("S", "K", CFG_DECIMAL, configNumber(12)).number, 12u);
    EXPECT_EQ(image(), "\r\n[S]\r\nK=12\r\n\r\n");
    EXPECT_STREQ(configSet("S", "K", CFG_TEXT, configText("z")).text, "z");
    EXPECT_EQ(image(), "\r\n[S]\r\nK=\"z\"\r\n\r\n");
}

TEST_F(ConfigAccess, ReturnedTextIsTheStoresOwnCopy) {
    loadNothing();
    char caller[] = "Verdana";
    const char* stored = configGet("Fonts", "Face", CFG_TEXT, configText(caller)).text;
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, caller);
    caller[0] = 'X';
    // Adding sections and keys moves their arrays, not the texts.
    for (int i = 0; i < 200; ++i) {
        std::string name = "K" + std::to_string(i);
        configSet(("S" + std::to_string(i % 7)).c_str(), name.c_str(), CFG_DECIMAL, configNumber(i));
        configSet("Fonts", name.c_str(), CFG_DECIMAL, configNumber(i));
    }
    EXPECT_STREQ(stored, "Verdana");
    EXPECT_EQ(configGet("Fonts", "Face", CFG_TEXT, configText("Arial")).text, stored);
}

TEST_F(ConfigAccess, MissingArgumentsFailAndCreateNothing) {
    loadNothing();
    EXPECT_EQ(configGet("S", nullptr, CFG_DECIMAL, configNumber(1)).number, 0u);
    EXPECT_EQ(configGet("S", "", CFG_DECIMAL, configNumber(1)).number, 0u);
    EXPECT_EQ(configGet("S", "K", CFG_TEXT, configText(nullptr)).text, nullptr);
    EXPECT_EQ(configSet("S", nullptr, CFG_DECIMAL, configNumber(1)).number, 0u);
    EXPECT_EQ(configSet("S", "", CFG_DECIMAL, configNumber(1)).number, 0u);
    EXPECT_EQ(configSet("S", "K", CFG_TEXT, configText(nullptr)).text, nullptr);
    EXPECT_EQ(image(), "\r\n");
}

TEST_F(ConfigAccess, AbsentOrEmptySectionNameIsTheUnnamedSection) {
    ASSERT_EQ(load("Top=1\n[S]\nIn=2\n"), 1);
    EXPECT_EQ(number(nullptr, "Top", CFG_DECIMAL, 0), 1u);
    EXPECT_EQ(number("", "Top", CFG_DECIMAL, 0), 1u);
    EXPECT_EQ(number(nullptr, "In", CFG_DECIMAL, 5), 5u);
    EXPECT_EQ(image(), "Top=1\r\nIn=5\r\n\r\n[S]\r\nIn=2\r\n\r\n");
}

TEST_F(ConfigAccess, EmptyTextLeavesTheKeyWithoutAValue) {
    ASSERT_EQ(load("[S]\nT=\"old\"\nN=5\n"), 1);
    EXPECT_EQ(configSet("S", "T", CFG_TEXT, configText("")).text, nullptr);
    EXPECT_EQ(keyOf("S", "T")->state, CFG_NONE);
    EXPECT_EQ(configGet("S", "N", CFG_TEXT, configText("")).text, nullptr);
    EXPECT_EQ(keyOf("S", "N")->state, CFG_NONE);
    EXPECT_EQ(configGet("S", "New", CFG_TEXT, configText("")).text, nullptr);
    EXPECT_EQ(keyOf("S", "New")->state, CFG_NONE);
    EXPECT_EQ(image(), "\r\n[S]\r\nT\r\nN\r\nNew\r\n\r\n");
    // A proper default fills them later.
    EXPECT_EQ(text("S", "T", "fresh"), "fresh");
}

TEST_F(ConfigAccess, NoStoreMeansEveryCallFailsQuietly) {
    // Before any load there is no store at all.
    EXPECT_EQ(configGet("S", "K", CFG_DECIMAL, configNumber(5)).number, 0u);
    EXPECT_EQ(configGet("S", "K", CFG_TEXT, configText("x")).text, nullptr);
    EXPECT_EQ(configGet("S", "K", CFG_NONE, configNumber(0)).number, 0u);
    EXPECT_EQ(configSet("S", "K", CFG_TEXT, configText("x")).text, nullptr);
    EXPECT_EQ(configSet("S", "K", CFG_HEX, configNumber(5)).number, 0u);
    EXPECT_EQ(image(), "<none>");
    EXPECT_EQ(configSave(path.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(configLoad(nullptr), 0);
    EXPECT_EQ(gConfig.heap, nullptr);
}

// ---- Saving ------------------------------------------------------------------------

TEST_F(ConfigSave, SavedFileReadsBackAsTheSameImage) {
    const std::string file =
        ";head\n[A] ; a\nT=\"multi\nline\" ; t\nD=42\nH=abc\nBad=?\nNone\n[B]\n;x\nK=1000\n";
    ASSERT_EQ(load(file), 1);
    EXPECT_EQ(number("B", "K", CFG_HEX, 0), 0x1000u);
    std::string first = image();
    ASSERT_EQ(configSave(path.c_str()), 1);
    EXPECT_EQ(fileText(), first);
    configDiscard();
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ(image(), first);
    // Saving changed nothing: K is read back as decimal and turned to hex
    // again when asked for.
    EXPECT_EQ(keyOf("B", "K")->state, CFG_DECIMAL);
    EXPECT_EQ(number("B", "K", CFG_HEX, 0), 0x1000u);
    EXPECT_EQ(configSave(nullptr), 0);
}

TEST_F(ConfigSave, ImageTooLargeToReadBackIsNotWritten) {
    ASSERT_EQ(load("[S]\nK=1\n"), 1);
    const std::string old = fileText();
    std::string big(30000, 'x');
    for (int i = 0; i < 4; ++i)
        ASSERT_NE(configSet("S", ("T" + std::to_string(i)).c_str(), CFG_TEXT, configText(big.c_str())).text,
                  nullptr);
    EXPECT_EQ(image(), "<none>");
    EXPECT_EQ(configSave(path.c_str()), 0);
    EXPECT_EQ(fileText(), old);
    // Brought back under the limit, it saves again.
    configSet("S", "T3", CFG_DECIMAL, configNumber(3));
    EXPECT_EQ(configSave(path.c_str()), 1);
    EXPECT_NE(fileText(), old);
}

// Every way a save can fail leaves the previous file as it was, and no
// temporary file behind.
struct SaveFault {
    FaultPoint point;
    const char* name;
};

class ConfigSaveFault : public ConfigTest, public ::testing::WithParamInterface<SaveFault> {};

TEST_P(ConfigSaveFault, OldFileStaysIntact) {
    const std::string old = "[Window]\r\nWidth=800\r\n";
    ASSERT_EQ(load(old), 1);
    configSet("Window", "Width", CFG_DECIMAL, configNumber(1024));
    configSet("Window", "Height", CFG_DECIMAL, configNumber(768));
    faultArm(GetParam().point, 1);
    EXPECT_EQ(configSave(path.c_str()), 0);
    faultReset();
    EXPECT_EQ(fileText(), old);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
    // The store is unchanged and the next save goes through.
    ASSERT_EQ(configSave(path.c_str()), 1);
    EXPECT_EQ(fileText(), "\r\n[Window]\r\nWidth=1024\r\nHeight=768\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(Config, ConfigSaveFault,
                         ::testing::Values(SaveFault{FAULT_ALLOC, "image"}, SaveFault{FAULT_CREATE, "create"},
                                           SaveFault{FAULT_WRITE, "write"}, SaveFault{FAULT_FINISH, "finish"}),
                         [](const ::testing::TestParamInfo<SaveFault>& info) { return std::string(info.param.name); });

// ---- Failures while loading ----------------------------------------------------------

TEST_F(ConfigFaults, HeapCreationFailingLeavesNoStore) {
    write("vorn.cfg", "[Window]\nWidth=800\n");
    faultArm(FAULT_HEAP_CREATE, 1);
    EXPECT_EQ(configLoad(path.c_str()), 0);
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 0u);
    EXPECT_EQ(text("Fonts", "Face", "Verdana"), "<none>");
    EXPECT_EQ(configSet("Window", "Width", CFG_DECIMAL, configNumber(5)).number, 0u);
    EXPECT_EQ(configSave(path.c_str()), 0);
    EXPECT_EQ(fileText(), "[Window]\nWidth=800\n");
    // A later load creates the store.
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 800u);
}

TEST_F(ConfigFaults, SectionZeroFailingIsRetriedByTheNextLoad) {
    write("vorn.cfg", "[Window]\nWidth=800\n");
    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(configLoad(path.c_str()), 0);
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 0u);
    EXPECT_EQ(image(), "<none>");
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 800u);
}

// Each step of reading the file failing gives an empty store that runs on
// the defaults.
struct LoadFault {
    FaultPoint point;
    uint32_t nth;  // counted from the first load of a fresh store
    const char* name;
};

class ConfigLoadFault : public ConfigTest, public ::testing::WithParamInterface<LoadFault> {};

TEST_P(ConfigLoadFault, StoreStaysEmpty) {
    write("vorn.cfg", "[Window]\nWidth=800\n");
    faultArm(GetParam().point, GetParam().nth);
    EXPECT_EQ(configLoad(path.c_str()), 0);
    faultReset();
    EXPECT_EQ(image(), "\r\n");
    EXPECT_EQ(number("Window", "Width", CFG_DECIMAL, 750), 750u);
    EXPECT_EQ(fileText(), "[Window]\nWidth=800\n");
}

INSTANTIATE_TEST_SUITE_P(Config, ConfigLoadFault,
                         ::testing::Values(LoadFault{FAULT_OPEN, 1, "open"}, LoadFault{FAULT_SIZE, 1, "size"},
                                           LoadFault{FAULT_ALLOC, 2, "buffer"}, LoadFault{FAULT_READ, 1, "read"}),
                         [](const ::testing::TestParamInfo<LoadFault>& info) { return std::string(info.param.name); });

class ConfigParseFault : public ConfigTest {
protected:
    // Allocations made by loading the text into a fresh store.
    uint32_t allocations(const std::string& text) {
        configDiscard();
        faultReset();
        EXPECT_EQ(load(text), 1);
        uint32_t calls = faultCalls(FAULT_ALLOC);
        configDiscard();
        faultReset();
        return calls;
    }
    int loadFailingAt(const std::string& text, uint32_t nth) {
        faultArm(FAULT_ALLOC, nth);
        int result = load(text);
        faultReset();
        return result;
    }
};

TEST_F(ConfigParseFault, TextThatCannotBeStoredLeavesTheKeyAndParsingGoesOn) {
    // The text is the last thing stored for the line.
    uint32_t n = allocations("A=\"abc\"");
    EXPECT_EQ(loadFailingAt("A=\"abc\"\nB=2\n", n), 1);
    EXPECT_EQ(image(), "A\r\nB=2\r\n\r\n");
}

TEST_F(ConfigParseFault, CommentThatCannotBeStoredIsDropped) {
    uint32_t n = allocations("A=1 ; note");
    EXPECT_EQ(loadFailingAt("A=1 ; note\nB=2\n", n), 1);
    EXPECT_EQ(image(), "A=1\r\nB=2\r\n\r\n");
}

TEST_F(ConfigParseFault, KeyThatCannotBeCreatedStopsTheParse) {
    uint32_t n = allocations("A=1");
    EXPECT_EQ(loadFailingAt("A=1\nB=2\nC=3\n", n + 1), 0);
    EXPECT_EQ(image(), "A=1\r\n\r\n");
}

TEST_F(ConfigParseFault, SectionThatCannotBeCreatedStopsTheParse) {
    uint32_t n = allocations("A=1");
    EXPECT_EQ(loadFailingAt("A=1\n[S]\nB=2\n", n + 1), 0);
    EXPECT_EQ(image(), "A=1\r\n\r\n");
}

std::string withoutEmptyLines(const std::string& text) {
    std::string out;
    size_t pos = 0;
    for (size_t end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
        if (end > pos) out += text.substr(pos, end + 2 - pos);
    return out;
}

TEST_F(ConfigParseFault, EveryAllocationFailingLeavesAConsistentStore) {
    const std::string file = "; c\n[A] ; s\nT=\"text\" ; k\nN=5\n[B]\nH=ff\n;x\n[a]\nM\n";
    uint32_t total = allocations(file);
    ASSERT_GT(total, 10u);
    for (uint32_t nth = 1; nth <= total; ++nth) {
        SCOPED_TRACE(nth);
        configDiscard();
        int result = loadFailingAt(file, nth);
        std::string partial = image();
        if (nth <= 2) {
            // Section 0 or the load buffer: nothing was read.
            EXPECT_EQ(result, 0);
            continue;
        }
        // Whatever was kept saves and reads back with the same lines; only
        // a comment line whose comment found no room (an empty line) goes.
        ASSERT_EQ(configSave(path.c_str()), 1);
        configDiscard();
        ASSERT_EQ(configLoad(path.c_str()), 1);
        std::string reread = image();
        EXPECT_EQ(withoutEmptyLines(reread), withoutEmptyLines(partial));
        ASSERT_EQ(configSave(path.c_str()), 1);
        configDiscard();
        ASSERT_EQ(configLoad(path.c_str()), 1);
        EXPECT_EQ(image(), reread);
    }
}

TEST_F(ConfigFaults, GetAndSetFailWithoutHarmWhenMemoryRunsOut) {
    ASSERT_EQ(load("[S]\nK=1\n"), 1);
    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(number("New", "K", CFG_DECIMAL, 5), 0u);
    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(configSet("S", "Other", CFG_DECIMAL, configNumber(5)).number, 0u);
    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(configSet("S", "K", CFG_TEXT, configText("abc")).text, nullptr);
    faultArm(FAULT_ALLOC, 1);
    EXPECT_EQ(text("S", "K", "abc"), "<none>");
    faultReset();
    // The key kept its number; nothing half-made was added.
    EXPECT_EQ(keyOf("S", "K")->state, CFG_DECIMAL);
    EXPECT_EQ(image(), "\r\n[S]\r\nK=1\r\n\r\n");
}

}  // namespace
