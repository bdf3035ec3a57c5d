#include <cstddef>
#include <cstring>
#include <vector>

#include "config_test_support.h"
#include "settings/settings_keys.h"

namespace {

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
    std::strcpy(s.mainFont.face, "Verdana");
    s.mainFont.size = 10;
    std::strcpy(s.viewFont.face, "Tahoma");
    s.viewFont.size = 14, s.viewFont.style = kStyleBold;
    return s;
}

TEST_F(SettingsTest, FirstRunReadsDefaultsAndWritesTheFullFile) {
    loadNothing();
    AppSettings s = read();
    expectSameSettings(s, defaults());
    ASSERT_EQ(saveAll(s), 1);
    EXPECT_EQ(fileText(),
              "\r\n"
              "[Window]\r\nMaximized=0\r\nPosX=0\r\nPosY=0\r\nWidth=750\r\nHeight=550\r\nColNameWidth=80\r\n\r\n"
              "[Colors]\r\nMainText=ffffff\r\nMainHash=cccccc\r\nMainBack=888474\r\nViewBack=888474\r\n\r\n"
              "[Fonts]\r\nMainFace=\"Verdana\"\r\nMainSize=10\r\nMainStyle=0\r\nMainCharset=0\r\n"
              "ViewFace=\"Tahoma\"\r\nViewSize=14\r\nViewStyle=1000\r\nViewCharset=0\r\n\r\n");
}

// A file as the user left it: the settings read from it (the defaults but
// for what `expect` changes), and the saved file, which holds the pieces of
// `saved` in that order. `edit` changes the settings before they are saved.
TEST_F(SettingsTest, FileValuesAreReadAndSavedBack) {
    using Change = void (*)(AppSettings&);
    struct Case {
        const char* file;
        Change expect;
        Change edit;
        std::vector<const char*> saved;
    };
    const std::string longFace(40, 'F');
    const std::string longFaceFile = "[Fonts]\nMainFace=\"" + longFace + "\"\n";
    const Case cases[] = {
        // Colours are stored as 0x00RRGGBB, in memory as 0x00BBGGRR.
        {"[Colors]\nMainText=0000ff\nMainBack=ff0000\nMainHash=12345678\n",
         [](AppSettings& s) { s.mainText = 0x00FF0000; s.mainBack = 0x000000FF; s.mainHash = 0x00785634; }, nullptr,
         {"\r\n[Colors]\r\nMainText=ff\r\nMainBack=ff0000\r\nMainHash=345678\r\nViewBack=888474\r\n"}},
        // Styles and character sets are hexadecimal, whatever digits they have.
        {"[Fonts]\nMainStyle=1100\nViewStyle=1000\nMainCharset=80\nViewCharset=cc\n",
         [](AppSettings& s) { s.mainFont.style = 0x1100; s.mainFont.charset = 0x80; s.viewFont.charset = 0xCC; },
         nullptr, {"MainStyle=1100\r\nViewStyle=1000\r\nMainCharset=80\r\nViewCharset=cc\r\n"}},
        {longFaceFile.c_str(), [](AppSettings& s) { std::memset(s.mainFont.face, 'F', 31); }, nullptr,
         {"MainFace=\"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\"\r\n"}},
        // Values of the wrong form give the defaults.
        {"[Window]\nWidth=\"wide\"\nHeight=0x200\nPosX=4294967288\n[Fonts]\nMainFace=12\nViewSize=-3\n",
         [](AppSettings& s) { s.posX = -8; }, nullptr,
         {"[Window]\r\nWidth=750\r\nHeight=550\r\nPosX=4294967288\r\n", "MainFace=\"Verdana\"\r\nViewSize=14\r\n"}},
        // Keys the program does not know stay, and the file keeps its order.
        {"; mine\n[Fonts]\nMainSize=12\nExtra=\"x\"\n[Window]\nWidth=640\n",
         [](AppSettings& s) { s.mainFont.size = 12; s.width = 640; }, nullptr,
         {"; mine\r\n\r\n[Fonts]\r\nMainSize=12\r\nExtra=\"x\"\r\nMainFace=\"Verdana\"\r\n",
          "\r\n[Window]\r\nWidth=640\r\nMaximized=0\r\n", "\r\n[Colors]\r\n"}},
        // A face that fills its field without a terminator is written whole.
        {"", [](AppSettings&) {},
         [](AppSettings& s) { std::memset(s.viewFont.face, 'G', kFaceSize); s.mainFont.charset = 204; },
         {"MainCharset=cc\r\nViewFace=\"GGGGGGGGGGGGGGGGGGGGGGGGGGGGGGGG\"\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        configDiscard();
        if (*c.file)
            ASSERT_EQ(load(c.file), 1);
        else
            loadNothing();
        AppSettings s = read();
        AppSettings expected = defaults();
        c.expect(expected);
        expectSameSettings(s, expected);
        if (c.edit) c.edit(s);
        ASSERT_EQ(saveAll(s), 1);
        const std::string file = fileText();
        size_t at = 0;
        for (const char* piece : c.saved) {
            at = file.find(piece, at);
            EXPECT_NE(at, std::string::npos) << piece << " in\n" << file;
        }
    }
}

TEST_F(SettingsTest, SavedSettingsReadBackUnchanged) {
    loadNothing();
    AppSettings s = read();
    s.maximized = 1, s.posX = -8, s.posY = -30, s.width = 1920, s.height = 1080, s.colNameWidth = 123;
    s.mainText = 0x00123456, s.mainHash = 0x00ABCDEF, s.mainBack = 0, s.viewBack = 0x00010203;
    std::memset(s.mainFont.face, 0, kFaceSize);
    std::strcpy(s.mainFont.face, "Courier New");
    s.mainFont.size = 9, s.mainFont.style = kStyleBold | kStyleItalic, s.mainFont.charset = 204;
    s.viewFont.size = 20, s.viewFont.style = 0, s.viewFont.charset = 0xEE;
    ASSERT_EQ(saveAll(s), 1);
    configDiscard();
    ASSERT_EQ(configLoad(path.c_str()), 1);
    expectSameSettings(read(), s);
}

TEST_F(SettingsTest, WithoutMemoryTheSettingsAreTheirDefaults) {
    faultArm(FAULT_HEAP_CREATE, 1);
    EXPECT_EQ(configLoad(path.c_str()), 0);
    faultReset();
    expectSameSettings(read(), defaults());
    EXPECT_EQ(saveAll(defaults()), 0);
    // Each allocation failing in turn while reading gives the defaults too.
    configDiscard();
    loadNothing();
    faultReset();
    read();
    const uint32_t total = faultCalls(FAULT_ALLOC);
    ASSERT_GE(total, (uint32_t)SETTING_COUNT);
    for (uint32_t nth = 1; nth <= total; ++nth) {
        SCOPED_TRACE(nth);
        configDiscard();
        loadNothing();
        faultArm(FAULT_ALLOC, nth);
        expectSameSettings(read(), defaults());
        faultReset();
    }
}

TEST_F(SettingsTest, FontSizesRoundHalfUp) {
    struct Case {
        int32_t points, resolution, height;
    };
    const Case toHeight[] = {
        {10, 96, -13}, {14, 96, -19}, {10, 120, -17}, {4, 100, -6},  // 5.55 pixels
        {14, 100, -19},                                               // 19.44 pixels
        {4095, 96, -5460}, {4096, 96, -1}, {10, 65535, -9102}, {10, 65536, -1},
    };
    for (const Case& c : toHeight)
        EXPECT_EQ(pointsToHeight(c.points, c.resolution), c.height) << c.points << " at " << c.resolution;
    const Case toPoints[] = {
        {10, 96, -13}, {14, 96, -19}, {2, 96, -2},  // 1.5 points
        {1, 100, -2},                               // 1.44 points
        {0, 96, 0}, {6552, 0x10000, -0x5AFFFF}, {-1, 96, -0x5B0000}, {-1, 96, 13}, {-1, 0, -13},
    };
    for (const Case& c : toPoints)
        EXPECT_EQ(heightToPoints(c.height, c.resolution), c.points) << c.height << " at " << c.resolution;
    for (int32_t resolution : {96, 120})
        for (int32_t points = 1; points <= 72; ++points)
            EXPECT_EQ(heightToPoints(pointsToHeight(points, resolution), resolution), points) << points;
}

TEST_F(SettingsTest, ConfigPathIsBesideTheProgram) {
    // The longest directory that still fits is 503 characters.
    const std::string fits = std::string(502, 'd') + "\\";
    const std::string fitsModule = fits + "vorn.exe";
    const std::string tooLongModule = std::string(503, 'd') + "\\v.exe";
    const struct {
        const char* module;
        std::string path;
    } cases[] = {
        {"C:\\Games\\Vorn\\vorn.exe", "C:\\Games\\Vorn\\vorn.cfg"},
        {"/opt/vorn/bin/vorn", "/opt/vorn/bin/vorn.cfg"},
        {"C:/mixed\\dir/vorn.exe", "C:/mixed\\dir/vorn.cfg"},
        {"vorn.exe", "vorn.cfg"},
        {"", "vorn.cfg"},
        {nullptr, "vorn.cfg"},
        {fitsModule.c_str(), fits + "vorn.cfg"},
        {tooLongModule.c_str(), "vorn.cfg"},
    };
    for (const auto& c : cases) {
        char p[kConfigPathSize + 8];
        std::memset(p, '#', sizeof p);
        buildConfigPath(p, c.module);
        EXPECT_EQ(std::string(p), c.path);
        EXPECT_EQ(std::string(p + kConfigPathSize, 8), "########");
    }
}

}  // namespace
