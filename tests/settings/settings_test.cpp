// The configuration store (its file form, typed access, limits and
// failures) and the program's settings kept in it.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include "settings/config_store.h"
#include "settings/settings_keys.h"
#include "testing/test_support.h"

namespace {

std::string orNone(const char* text) { return text ? text : "<none>"; }

class ConfigTest : public CoreTest {
protected:
    void SetUp() override { CoreTest::SetUp(), configDiscard(); }
    void TearDown() override { configDiscard(), CoreTest::TearDown(); }
    int load(const std::string& text) {
        write("vorn.cfg", text);
        return configLoad(path.c_str());
    }
    void loadNothing() { EXPECT_EQ(configLoad(dir.file("missing.cfg").c_str()), 0); }
    static std::string image() {
        uint32_t length = 0;
        char* bytes = buildConfigImage(&length);
        if (!bytes) return "<none>";
        std::string text(bytes, length);
        configFreeImage(bytes);
        return text;
    }
    std::string fileText() const { return textOf(readFileBytes(path)); }
    static uint32_t number(const char* section, const char* key, uint32_t kind, uint32_t fallback) {
        return configGet(section, key, kind, configNumber(fallback)).number;
    }
    static std::string text(const char* section, const char* key, const char* fallback) {
        return orNone(configGet(section, key, CFG_TEXT, configText(fallback)).text);
    }
    const std::string path = dir.file("vorn.cfg");
};

// What a file becomes when it is read and written back, and what that image
// becomes when it is read again (the same, unless given).
TEST_F(ConfigTest, FilesAreWrittenBackInCanonicalForm) {
    const struct Case {
        std::string file;
        const char* image, *reread = nullptr;
    } cases[] = {
        {"[window]\r\nwidth=800\r\n", "\r\n[window]\r\nwidth=800\r\n\r\n"},
        {"[Main] ; first\nA=1\n[Other]\n[MAIN] ; second\nB=2\n",
         "\r\n[Main]    ; first\r\nA=1\r\nB=2\r\n\r\n[Other]\r\n\r\n"},
        {"T=\"text\"\nD=0123\nH=00Ff\nX=0x1f\nS=-8\nG=12g\nE=\nQ=\"\"\nN\n",
         "T=\"text\"\r\nD=123\r\nH=ff\r\nX=1unk\r\nS=1unk\r\nG=1unk\r\nE\r\nQ\r\nN\r\n\r\n"},
        {"A=4294967297\nD=123456789abcdef01\nP=4294967288\n", "A=1\r\nD=abcdef01\r\nP=4294967288\r\n\r\n"},
        {"Face=  \"a;b  c\"   ;  note  \n", "Face=\"a;b  c\"    ; note\r\n\r\n"},
        {"[S]\r\nText=\"one\r\ntwo ; x\r\n[Not]\" rest ; c\r\nNext=1\r\n",
         "\r\n[S]\r\nText=\"one\r\ntwo ; x\r\n[Not]\"    ; c\r\nNext=1\r\n\r\n"},
        {"A=1\nT=\"rest\nB=2 ; c", "A=1\r\nT=\"rest\nB=2 ; c\"\r\n\r\n"},
        {"T=\"say \"hi\" now\" ; c\n", "T=\"say \"    ; c\r\n\r\n"},
        {"; top\n;second\n[W]   ; the window\nWidth=750 ; pixels\n; inside\n  ;\tindented\t \n"
         "Height=550 ;\tin\ttenths\t\nFlag ; no value\n",
         "; top\r\n; second\r\n\r\n[W]    ; the window\r\nWidth=750    ; pixels\r\n; inside\r\n; indented\r\n"
         "Height=550    ; in\ttenths\r\nFlag    ; no value\r\n\r\n"},
        // Lines ending in LF alone read like lines ending in CR LF.
        {"; c\n[A] ; s\nK=\"v\" ; k\nN=5\nFlag\n\n[Open\nM=ff\n",
         "; c\r\n\r\n[A]    ; s\r\nK=\"v\"    ; k\r\nN=5\r\nFlag\r\n\r\n[Open]\r\nM=ff\r\n\r\n"},
        {"; c\r\n[A] ; s\r\nK=\"v\" ; k\r\nN=5\r\nFlag\r\n\r\n[Open\r\nM=ff\r\n",
         "; c\r\n\r\n[A]    ; s\r\nK=\"v\"    ; k\r\nN=5\r\nFlag\r\n\r\n[Open]\r\nM=ff\r\n\r\n"},
        {"A=12", "A=12\r\n\r\n"},
        {"\x01K=1\n\x1f\x01L=2\n", "K=1\r\nL=2\r\n\r\n"},
        {"A ; tail", "A    ; tail\r\n\r\n"},
        {"[Last]", "\r\n[Last]\r\n\r\n"},
        {"[A]\nX=1\n[]\nY=2\n[ \t ] junk\nZ=3\n=orphan ; c\n  = also\n", "\r\n[A]\r\nX=1\r\nY=2\r\nZ=3\r\n\r\n"},
        {"[Fonts] MainSize=12\n[Window]junk\n", "\r\n[Fonts]\r\nMainSize=12\r\n\r\n[Window]\r\njunk\r\n\r\n"},
        {"[  My Section  ]\n  Key Name  =  5  trailing words ; c\n", "\r\n[My Section]\r\nKey Name=5    ; c\r\n\r\n"},
        {"[S]\nW=1 ; one\nV=9\nw=2\nW= ; two\nW=\"\"\n", "\r\n[S]\r\nW=2    ; two\r\nV=9\r\n\r\n"},
        {"A=1\n;\n ;  \nB=2\n", "A=1\r\n\r\n\r\nB=2\r\n\r\n", "A=1\r\nB=2\r\n\r\n"},
        {std::string("A=1\n\0B=2\n", 9), "A=1\r\n\r\n"},
        {"[\xC4pfel]\nK\x01y=\"\xE9t\xE9\"\n", "\r\n[\xC4pfel]\r\nK\x01y=\"\xE9t\xE9\"\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        configDiscard();
        ASSERT_EQ(load(c.file), 1);
        EXPECT_EQ(image(), c.image);
        configDiscard();
        ASSERT_EQ(load(c.image), 1);
        EXPECT_EQ(image(), c.reread ? c.reread : c.image);
    }
}

// configGet and configSet on a loaded file: the result, and the image after.
TEST_F(ConfigTest, TypedAccess) {
    enum Op { GET, SET };
    // number and result, or text and resultText for kind 1: the default or
    // value given, and the result.
    const struct Case {
        const char *file;
        Op op;
        const char *section, *key;
        uint32_t kind, number, result;
        const char *image, *text = nullptr, *resultText = nullptr;
    } cases[] = {
        {"[window]\nwidth=800\n", GET, "Window", "WIDTH", CFG_DECIMAL, 750, 800, "\r\n[window]\r\nwidth=800\r\n\r\n"},
        {"", GET, "Window", "Width", CFG_DECIMAL, 750, 750, "\r\n[Window]\r\nWidth=750\r\n\r\n"},
        {"", GET, nullptr, "Top", CFG_DECIMAL, 3, 3, "Top=3\r\n\r\n"},
        {"Top=1\n[S]\nIn=2\n", GET, "", "Top", CFG_DECIMAL, 0, 1, "Top=1\r\n\r\n[S]\r\nIn=2\r\n\r\n"},
        {"[S]\nIn=2\n", GET, nullptr, "In", CFG_DECIMAL, 5, 5, "In=5\r\n\r\n[S]\r\nIn=2\r\n\r\n"},
        // Decimal digits asked for as hexadecimal are read as hex digits;
        // hexadecimal asked for as decimal keeps its value.
        {"D=0123\n", GET, nullptr, "D", CFG_DECIMAL, 0, 123, "D=123\r\n\r\n"},
        {"H=00Ff\n", GET, nullptr, "H", CFG_DECIMAL, 0, 255, "H=255\r\n\r\n"},
        {"[Window]\nWidth=2ee\n", GET, "Window", "Width", CFG_DECIMAL, 1, 750, "\r\n[Window]\r\nWidth=750\r\n\r\n"},
        {"[Fonts]\nViewStyle=1000\n", GET, "Fonts", "ViewStyle", CFG_HEX, 0, 0x1000,
         "\r\n[Fonts]\r\nViewStyle=1000\r\n\r\n"},
        {"Big=4294967295\n", GET, nullptr, "Big", CFG_HEX, 0, 0x94967295, "Big=94967295\r\n\r\n"},
        {"Z=0\n", GET, nullptr, "Z", CFG_HEX, 7, 0, "Z=0\r\n\r\n"},
        // Values of the wrong form give the default.
        {"Num=\"text\"\n", GET, nullptr, "Num", CFG_DECIMAL, 5, 5, "Num=5\r\n\r\n"},
        {"Bad=0x2EE\n", GET, nullptr, "Bad", CFG_DECIMAL, 750, 750, "Bad=750\r\n\r\n"},
        {"Hex=\"ff\"\n", GET, nullptr, "Hex", CFG_HEX, 0xab, 0xab, "Hex=ab\r\n\r\n"},
        {"Txt=12\n", GET, nullptr, "Txt", CFG_TEXT, 0, 0, "Txt=\"dflt\"\r\n\r\n", "dflt", "dflt"},
        {"Face=\"Arial\"\n", GET, nullptr, "FACE", CFG_TEXT, 0, 0, "Face=\"Arial\"\r\n\r\n", "Verdana", "Arial"},
        {"N=5\n", GET, nullptr, "N", CFG_TEXT, 0, 0, "N\r\n\r\n", ""},
        // Kind 0 only makes sure that the key exists; other kinds give 0.
        {"K=5\n", GET, nullptr, "K", CFG_NONE, 9, 1, "K=5\r\n\r\n"},
        {"", GET, nullptr, "New", CFG_NONE, 9, 1, "New\r\n\r\n"},
        {"K=5\n", GET, nullptr, "K", CFG_INVALID, 7, 0, "K=5\r\n\r\n"},
        {"K=5\n", SET, nullptr, "K", CFG_COMMENT, 7, 0, "K=5\r\n\r\n"},
        // An empty name creates nothing.
        {"", SET, "S", "", CFG_DECIMAL, 1, 0, "\r\n"},
        // Setting replaces a value of any kind.
        {"", SET, "S", "K", CFG_TEXT, 0, 0, "\r\n[S]\r\nK=\"abc\"\r\n\r\n", "abc", "abc"},
        {"[S]\nK=\"abc\"\n", SET, "s", "k", CFG_HEX, 0xbeef, 0xbeef, "\r\n[S]\r\nK=beef\r\n\r\n"},
        {"[S]\nK=beef\n", SET, "S", "K", CFG_DECIMAL, 12, 12, "\r\n[S]\r\nK=12\r\n\r\n"},
        {"[S]\nK=12\n", SET, "S", "K", CFG_TEXT, 0, 0, "\r\n[S]\r\nK=\"z\"\r\n\r\n", "z", "z"},
        {"[S]\nT=\"old\"\n", SET, "S", "T", CFG_TEXT, 0, 0, "\r\n[S]\r\nT\r\n\r\n", ""},
        {"", SET, nullptr, "P", CFG_DECIMAL, (uint32_t)-120, (uint32_t)-120, "P=4294967176\r\n\r\n"},
        {"", SET, nullptr, "T", CFG_TEXT, 0, 0, "T=\"say \"hi\" now\"\r\n\r\n", "say \"hi\" now", "say \"hi\" now"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + (c.key ? c.key : "<no key>") + " kind " + std::to_string(c.kind));
        configDiscard();
        ASSERT_EQ(*c.file ? load(c.file) : configLoad(dir.file("missing.cfg").c_str()), *c.file ? 1 : 0);
        ConfigValue given = c.kind == CFG_TEXT ? configText(c.text) : configNumber(c.number);
        ConfigValue got = c.op == GET ? configGet(c.section, c.key, c.kind, given)
                                      : configSet(c.section, c.key, c.kind, given);
        if (c.kind == CFG_TEXT)
            EXPECT_EQ(orNone(got.text), orNone(c.resultText));
        else
            EXPECT_EQ(got.number, c.result);
        EXPECT_EQ(image(), c.image);
    }
}

// A file of 98,304 bytes or more is ignored (and replaced by the next save);
// an image that large is not saved, since it could not be read back.
TEST_F(ConfigTest, SizeLimitOfFileAndImage) {
    for (uint32_t size : {98303u, 98304u}) {
        SCOPED_TRACE(size);
        const bool fits = size == 98303u;
        configDiscard();
        ASSERT_EQ(load(";" + std::string(size - 10, 'x') + "\nLast=777"), fits ? 1 : 0);
        EXPECT_EQ(number(nullptr, "Last", CFG_DECIMAL, 1), fits ? 777u : 1u);
        if (!fits) {
            EXPECT_EQ(configSave(path.c_str()), 1);
            EXPECT_EQ(fileText(), "Last=1\r\n\r\n");
        }

        configDiscard();
        write("vorn.cfg", "old");
        loadNothing();
        const std::string value(size - 8, 'y');   // T="value" CR LF, CR LF
        configSet(nullptr, "T", CFG_TEXT, configText(value.c_str()));
        EXPECT_EQ(configSave(path.c_str()), fits ? 1 : 0);
        EXPECT_EQ(fileText().size(), fits ? size : 3u);
        configDiscard();
        EXPECT_EQ(configLoad(path.c_str()), 1);
        EXPECT_EQ(text(nullptr, "T", ""), fits ? value : "<none>");
    }
}

// Replaced comments and texts and saved images give their memory back: the
// 256 KiB heap takes any number of them in turn.
TEST_F(ConfigTest, ReplacedValuesGiveTheirMemoryBack) {
    const std::string big(30000, 'x');
    write("vorn.cfg", "K=1 ; " + big + "\n");
    const std::string saved = dir.file("saved.cfg");
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(configLoad(path.c_str()), 1);
        ASSERT_NE(configSet(nullptr, "T", CFG_TEXT, configText(big.c_str())).text, nullptr);
        ASSERT_EQ(configSave(saved.c_str()), 1);
        configSet(nullptr, "T", CFG_DECIMAL, configNumber(i));
    }
}

// A save or load that fails at any step returns 0 and leaves the file as it
// was, with no temporary file beside it. After a failed save, or a failed
// load with a heap, the store still works (on the defaults after a load)
// and saves next time; without a heap every call fails quietly.
TEST_F(ConfigTest, FailedSavesAndLoadsKeepTheFile) {
    const std::string old = "[Window]\r\nWidth=800\r\n";
    EXPECT_EQ(configLoad(nullptr), 0);
    for (FaultPoint point : {FAULT_ALLOC, FAULT_CREATE, FAULT_WRITE, FAULT_FINISH, FAULT_HEAP_CREATE, FAULT_OPEN,
                             FAULT_SIZE, FAULT_READ}) {
        SCOPED_TRACE(point);
        const bool save = point == FAULT_ALLOC || point >= FAULT_CREATE, store = point != FAULT_HEAP_CREATE;
        configDiscard();
        write("vorn.cfg", old);
        ASSERT_EQ(save ? configLoad(path.c_str()) : 1, 1);
        faultArm(point, 1);
        EXPECT_EQ(save ? configSave(path.c_str()) : configLoad(path.c_str()), 0);
        faultReset();
        EXPECT_EQ(fileText(), old);
        auto files = std::filesystem::directory_iterator(dir.path);
        EXPECT_EQ(std::distance(begin(files), end(files)), 1);
        if (!save) {
            EXPECT_EQ(image(), store ? "\r\n" : "<none>");
            EXPECT_EQ(number("Window", "Maximized", CFG_NONE, 0), store ? 1u : 0u);
            EXPECT_EQ(text("Fonts", "Face", "Verdana"), store ? "Verdana" : "<none>");
        }
        EXPECT_EQ(configSet("Window", "Width", CFG_DECIMAL, configNumber(1024)).number, store ? 1024u : 0u);
        EXPECT_EQ(configSave(path.c_str()), store ? 1 : 0);
        EXPECT_EQ(fileText(), !store ? old
                              : save ? "\r\n[Window]\r\nWidth=1024\r\n\r\n"
                                     : "\r\n[Window]\r\nMaximized\r\nWidth=1024\r\n\r\n[Fonts]\r\nFace=\"Verdana\"\r\n\r\n");
    }
}

// Fails each allocation of a load in turn. A failed section or key stops the
// parse with what was read so far; a failed text or comment is left out and
// the parse goes on. Every one of these outcomes occurs, and a second load
// always completes the store.
TEST_F(ConfigTest, AllocationFailingWhileLoading) {
    const std::string file = "[A] ; s\nT=\"text\" ; k\nN=5\n";
    const std::string full = "\r\n[A]    ; s\r\nT=\"text\"    ; k\r\nN=5\r\n\r\n";
    const std::set<std::pair<int, std::string>> outcomes = {
        {0, "<none>"},  // section 0: no store yet
        {0, "\r\n"},    // the load buffer or section A
        {0, "\r\n[A]    ; s\r\n\r\n"},
        {0, "\r\n[A]    ; s\r\nT=\"text\"    ; k\r\n\r\n"},
        {1, "\r\n[A]\r\nT=\"text\"    ; k\r\nN=5\r\n\r\n"},
        {1, "\r\n[A]    ; s\r\nT    ; k\r\nN=5\r\n\r\n"},
        {1, "\r\n[A]    ; s\r\nT=\"text\"\r\nN=5\r\n\r\n"},
        {1, full},
    };
    std::set<std::pair<int, std::string>> seen;
    for (uint32_t nth = 1; nth < 100 && !seen.count({1, full}); ++nth) {
        SCOPED_TRACE(nth);
        configDiscard();
        faultArm(FAULT_ALLOC, nth);
        std::pair<int, std::string> outcome{load(file), ""};
        faultReset();
        outcome.second = image();
        EXPECT_TRUE(outcomes.count(outcome)) << outcome.second;
        seen.insert(outcome);
        ASSERT_EQ(configLoad(path.c_str()), 1);
        EXPECT_EQ(image(), full);
    }
    EXPECT_EQ(seen, outcomes);
}

// Fails each allocation of a get or set in turn: the call fails and nothing
// changes but a section that was made, until the call succeeds.
TEST_F(ConfigTest, AllocationFailingInGetAndSet) {
    const char* before = "\r\n[S]\r\nK=1\r\n\r\n";
    const struct Case {
        std::string (*call)();
        const char *result, *image, *failed;  // a failure may leave `failed` too
    } cases[] = {
        {[] { return std::to_string(number("New", "K", CFG_DECIMAL, 5)); }, "5",
         "\r\n[S]\r\nK=1\r\n\r\n[New]\r\nK=5\r\n\r\n", "\r\n[S]\r\nK=1\r\n\r\n[New]\r\n\r\n"},
        {[] { return text("S", "K", "abc"); }, "abc", "\r\n[S]\r\nK=\"abc\"\r\n\r\n", before},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        bool done = false;
        for (uint32_t nth = 1; nth < 20 && !done; ++nth) {
            configDiscard();
            ASSERT_EQ(load("[S]\nK=1\n"), 1);
            faultArm(FAULT_ALLOC, nth);
            std::string result = c.call();
            faultReset();
            const std::string now = image();
            if ((done = result == c.result)) EXPECT_EQ(now, c.image);
            else EXPECT_TRUE((result == "0" || result == "<none>") && (now == before || now == c.failed)) << now;
        }
        EXPECT_TRUE(done);
    }
}

class SettingsTest : public ConfigTest {
protected:
    // Every field that is read is written whole, whatever it held before.
    static AppSettings read() {
        AppSettings s{};
        std::memset(&s, 0xA5, offsetof(AppSettings, configPath));
        readSettings(&s);
        return s;
    }
    // What the program does at exit: the placement, then fonts and colours.
    int saveAll(const AppSettings& s) {
        writeWindowSettings(&s);
        writeFontAndColorSettings(&s);
        return configSave(path.c_str());
    }
};

// The records are plain data without padding, and every face is zero after
// its terminator, so equal settings are equal bytes.
void expectSameSettings(const AppSettings& a, const AppSettings& b) {
    static_assert(sizeof(AppSettings) == 10 * 4 + 2 * sizeof(FontSetting) + kConfigPathSize);
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
}

AppSettings defaults() {
    AppSettings s{};
    s.width = 750, s.height = 550, s.colNameWidth = 80;
    s.mainText = 0xFFFFFF, s.mainHash = 0xCCCCCC, s.mainBack = 0x748488, s.viewBack = 0x748488;
    std::strcpy(s.mainFont.face, "Verdana"), std::strcpy(s.viewFont.face, "Tahoma");
    s.mainFont.size = 10, s.viewFont.size = 14, s.viewFont.style = kStyleBold;
    return s;
}

// A file as the user left it: the settings read from it (the defaults but
// for what `expect` changes), and the saved file, which holds the pieces of
// `saved` in that order. `edit` changes the settings before they are saved.
TEST_F(SettingsTest, FileValuesAreReadAndSavedBack) {
    using Change = void (*)(AppSettings&);
    struct Case {
        const char* file;
        Change expect, edit;
        std::vector<const char*> saved;
    };
    const Case cases[] = {
        // The first run: the defaults, saved whole.
        {"", [](AppSettings&) {}, nullptr,
         {"\r\n[Window]\r\nMaximized=0\r\nPosX=0\r\nPosY=0\r\nWidth=750\r\nHeight=550\r\nColNameWidth=80\r\n\r\n"
          "[Colors]\r\nMainText=ffffff\r\nMainHash=cccccc\r\nMainBack=888474\r\nViewBack=888474\r\n\r\n"
          "[Fonts]\r\nMainFace=\"Verdana\"\r\nMainSize=10\r\nMainStyle=0\r\nMainCharset=0\r\n"
          "ViewFace=\"Tahoma\"\r\nViewSize=14\r\nViewStyle=1000\r\nViewCharset=0\r\n\r\n"}},
        // Colours are stored as 0x00RRGGBB, in memory as 0x00BBGGRR.
        {"[Colors]\nMainText=0000ff\nMainBack=ff0000\nMainHash=12345678\n",
         [](AppSettings& s) { s.mainText = 0x00FF0000; s.mainBack = 0x000000FF; s.mainHash = 0x00785634; }, nullptr,
         {"\r\n[Colors]\r\nMainText=ff\r\nMainBack=ff0000\r\nMainHash=345678\r\nViewBack=888474\r\n"}},
        // Styles and character sets are hexadecimal, whatever digits they have.
        {"[Fonts]\nMainStyle=1100\nViewStyle=1000\nMainCharset=80\nViewCharset=cc\n",
         [](AppSettings& s) { s.mainFont.style = 0x1100; s.mainFont.charset = 0x80; s.viewFont.charset = 0xCC; },
         nullptr, {"MainStyle=1100\r\nViewStyle=1000\r\nMainCharset=80\r\nViewCharset=cc\r\n"}},
        // Values of the wrong form give the defaults.
        {"[Window]\nWidth=\"wide\"\nHeight=0x200\nPosX=4294967288\n[Fonts]\nMainFace=12\nViewSize=-3\n",
         [](AppSettings& s) { s.posX = -8; }, nullptr,
         {"[Window]\r\nWidth=750\r\nHeight=550\r\nPosX=4294967288\r\n", "MainFace=\"Verdana\"\r\nViewSize=14\r\n"}},
        // Keys the program does not know stay, and the file keeps its order.
        {"; mine\n[Fonts]\nMainSize=12\nExtra=\"x\"\n[Window]\nWidth=640\n",
         [](AppSettings& s) { s.mainFont.size = 12; s.width = 640; }, nullptr,
         {"; mine\r\n\r\n[Fonts]\r\nMainSize=12\r\nExtra=\"x\"\r\nMainFace=\"Verdana\"\r\n",
          "\r\n[Window]\r\nWidth=640\r\nMaximized=0\r\n", "\r\n[Colors]\r\n"}},
        // A face that fills its field without a terminator is written whole;
        // every field saved is read back unchanged.
        {"", [](AppSettings&) {},
         [](AppSettings& s) {
             s.maximized = 1, s.posX = -8, s.posY = -30, s.width = 1920, s.height = 1080, s.colNameWidth = 123;
             s.mainText = 0x00123456, s.mainHash = 0x00ABCDEF, s.mainBack = 0, s.viewBack = 0x00010203;
             std::strcpy(s.mainFont.face, "Courier");
             s.mainFont.size = 9, s.mainFont.style = kStyleBold | kStyleItalic, s.mainFont.charset = 204;
             std::memset(s.viewFont.face, 'G', kFaceSize);
             s.viewFont.size = 20, s.viewFont.style = 0, s.viewFont.charset = 0xEE;
         },
         {"MainText=563412\r\n", "MainCharset=cc\r\nViewFace=\"GGGGGGGGGGGGGGGGGGGGGGGGGGGGGGGG\"\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        configDiscard();
        ASSERT_EQ(*c.file ? load(c.file) : configLoad(dir.file("missing.cfg").c_str()), *c.file ? 1 : 0);
        AppSettings s = read();
        AppSettings expected = defaults();
        c.expect(expected);
        expectSameSettings(s, expected);
        if (c.edit) c.edit(s);
        ASSERT_EQ(saveAll(s), 1);
        const std::string file = fileText();
        size_t at = 0;
        for (const char* piece : c.saved)
            EXPECT_NE(at = file.find(piece, at), std::string::npos) << piece << " in\n" << file;
        configDiscard();
        ASSERT_EQ(configLoad(path.c_str()), 1);
        s.viewFont.face[kFaceSize - 1] = 0;  // a face is read as 31 characters at most
        expectSameSettings(read(), s);
    }
}

TEST_F(SettingsTest, WithoutMemoryTheSettingsAreTheirDefaults) {
    faultArm(FAULT_HEAP_CREATE, 1);
    EXPECT_EQ(configLoad(path.c_str()), 0);
    faultReset();
    expectSameSettings(read(), defaults());
    EXPECT_EQ(saveAll(defaults()), 0);
    // Each allocation failing in turn while reading gives the defaults too.
    for (uint32_t nth = 1, reached = 1; reached; ++nth) {
        SCOPED_TRACE(nth);
        configDiscard();
        loadNothing();
        faultReset();
        faultArm(FAULT_ALLOC, nth);
        expectSameSettings(read(), defaults());
        reached = faultCalls(FAULT_ALLOC) >= nth;
    }
}

TEST_F(SettingsTest, FontSizesRoundHalfUp) {
    struct Case { int32_t points, resolution, height; };
    const Case toHeight[] = {{10, 96, -13}, {14, 96, -19}, {10, 120, -17}, {4, 100, -6} /* 5.55 pixels */,
                             {14, 100, -19} /* 19.44 */, {4095, 96, -5460}, {4096, 96, -1}, {10, 65535, -9102},
                             {10, 65536, -1}};
    for (const Case& c : toHeight)
        EXPECT_EQ(pointsToHeight(c.points, c.resolution), c.height) << c.points << " at " << c.resolution;
    const Case toPoints[] = {{10, 96, -13}, {14, 96, -19}, {2, 96, -2} /* 1.5 points */, {1, 100, -2} /* 1.44 */,
                             {0, 96, 0}, {6552, 0x10000, -0x5AFFFF}, {-1, 96, -0x5B0000}, {-1, 96, 13}, {-1, 0, -13}};
    for (const Case& c : toPoints)
        EXPECT_EQ(heightToPoints(c.height, c.resolution), c.points) << c.height << " at " << c.resolution;
    for (int32_t resolution : {96, 120})
        for (int32_t points = 1; points <= 72; ++points)
            EXPECT_EQ(heightToPoints(pointsToHeight(points, resolution), resolution), points) << points;
}

TEST_F(SettingsTest, ConfigPathIsBesideTheProgram) {
    // The longest directory that still fits is 503 characters.
    const std::string fits = std::string(502, 'd') + "\\", fitsModule = fits + "vorn.exe",
                      tooLongModule = std::string(503, 'd') + "\\v.exe";
    const struct {
        const char* module;
        std::string path;
    } cases[] = {{"C:\\Games\\Vorn\\vorn.exe", "C:\\Games\\Vorn\\vorn.cfg"}, {"C:/mixed\\dir/vorn.exe", "C:/mixed\\dir/vorn.cfg"},
                 {"vorn.exe", "vorn.cfg"}, {nullptr, "vorn.cfg"}, {fitsModule.c_str(), fits + "vorn.cfg"},
                 {tooLongModule.c_str(), "vorn.cfg"}};
    for (const auto& c : cases) {
        char p[kConfigPathSize + 8];
        std::memset(p, '#', sizeof p);
        buildConfigPath(p, c.module);
        EXPECT_EQ(std::string(p) + std::string(p + kConfigPathSize, 8), c.path + "########");
    }
}

}  // namespace
