#include <cstring>

#include "config_test_support.h"
#include "settings/settings_keys.h"

namespace {

class SettingsTest : public ConfigTest {
protected:
    AppSettings read() {
        AppSettings s{};
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
    s.width = 750;
    s.height = 550;
    s.colNameWidth = 80;
    s.mainText = 0xFFFFFF;
    s.mainHash = 0xCCCCCC;
    s.mainBack = 0x748488;
    s.viewBack = 0x748488;
    std::strcpy(s.mainFont.face, "Verdana");
    s.mainFont.size = 10;
    std::strcpy(s.viewFont.face, "Tahoma");
    s.viewFont.size = 14;
    s.viewFont.style = kStyleBold;
    return s;
}

const char kFirstRunImage[] =
    "\r\n"
    "[Window]\r\n"
    "Maximized=0\r\n"
    "PosX=0\r\n"
    "PosY=0\r\n"
    "Width=750\r\n"
    "Height=550\r\n"
    "ColNameWidth=80\r\n"
    "\r\n"
    "[Colors]\r\n"
    "MainText=ffffff\r\n"
    "MainHash=cccccc\r\n"
    "MainBack=888474\r\n"
    "ViewBack=888474\r\n"
    "\r\n"
    "[Fonts]\r\n"
    "MainFace=\"Verdana\"\r\n"
    "MainSize=10\r\n"
    "MainStyle=0\r\n"
    "MainCharset=0\r\n"
    "ViewFace=\"Tahoma\"\r\n"
    "ViewSize=14\r\n"
    "ViewStyle=1000\r\n"
    "ViewCharset=0\r\n"
    "\r\n";

TEST_F(SettingsTest, FirstRunReadsDefaultsAndWritesTheFullFile) {
    loadNothing();
    AppSettings s = read();
    expectSameSettings(s, defaults());
    ASSERT_EQ(saveAll(s), 1);
    EXPECT_EQ(fileText(), kFirstRunImage);
}

TEST_F(SettingsTest, SavedSettingsReadBackUnchanged) {
    loadNothing();
    AppSettings s = read();
    s.maximized = 1;
    s.posX = -8;
    s.posY = -30;
    s.width = 1920;
    s.height = 1080;
    s.colNameWidth = 123;
    s.mainText = 0x00123456;
    s.mainHash = 0x00ABCDEF;
    s.mainBack = 0;
    s.viewBack = 0x00010203;
    std::memset(s.mainFont.face, 0, kFaceSize);
    std::strcpy(s.mainFont.face, "Courier New");
    s.mainFont.size = 9;
    s.mainFont.style = kStyleBold | kStyleItalic;
    s.mainFont.charset = 204;
    s.viewFont.size = 20;
    s.viewFont.style = 0;
    s.viewFont.charset = 0xEE;
    ASSERT_EQ(saveAll(s), 1);
    configDiscard();
    ASSERT_EQ(configLoad(path.c_str()), 1);
    expectSameSettings(read(), s);
}

TEST_F(SettingsTest, FileColoursAreInRgbOrder) {
    ASSERT_EQ(load("[Colors]\nMainText=0000ff\nMainBack=ff0000\n"), 1);
    AppSettings s = read();
    EXPECT_EQ(s.mainText, 0x00FF0000u);  // blue
    EXPECT_EQ(s.mainBack, 0x000000FFu);  // red
    EXPECT_EQ(exchangeColorOrder(0x12345678), 0x00785634u);
    ASSERT_EQ(saveAll(s), 1);
    std::string file = fileText();
    EXPECT_NE(file.find("\r\nMainText=ff\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nMainBack=ff0000\r\n"), std::string::npos);
    configDiscard();
    ASSERT_EQ(configLoad(path.c_str()), 1);
    EXPECT_EQ(read().mainText, 0x00FF0000u);
}

TEST_F(SettingsTest, StyleDigitsAreHexadecimal) {
    ASSERT_EQ(load("[Fonts]\nMainStyle=1100\nViewStyle=1000\n"), 1);
    AppSettings s = read();
    EXPECT_EQ(s.mainFont.style, kStyleBold | kStyleItalic);
    EXPECT_EQ(s.viewFont.style, kStyleBold);
}

TEST_F(SettingsTest, LongFaceIsCutTo31Characters) {
    const std::string face(40, 'F');
    ASSERT_EQ(load("[Fonts]\nMainFace=\"" + face + "\"\n"), 1);
    AppSettings s = read();
    EXPECT_EQ(std::string(s.mainFont.face), face.substr(0, 31));
    EXPECT_EQ(s.mainFont.face[31], 0);
    ASSERT_EQ(saveAll(s), 1);
    EXPECT_NE(fileText().find("MainFace=\"" + face.substr(0, 31) + "\"\r\n"), std::string::npos);
}

TEST_F(SettingsTest, FullWidthFaceFieldIsWrittenWhole) {
    loadNothing();
    AppSettings s = read();
    std::memset(s.viewFont.face, 'G', kFaceSize);  // no terminator
    ASSERT_EQ(saveAll(s), 1);
    EXPECT_NE(fileText().find("ViewFace=\"" + std::string(32, 'G') + "\"\r\n"), std::string::npos);
}

TEST_F(SettingsTest, ValuesOfTheWrongFormGiveDefaults) {
    ASSERT_EQ(load("[Window]\nWidth=\"wide\"\nHeight=0x200\n[Fonts]\nMainFace=12\nViewSize=-3\n"), 1);
    AppSettings s = read();
    EXPECT_EQ(s.width, 750);
    EXPECT_EQ(s.height, 550);
    EXPECT_STREQ(s.mainFont.face, "Verdana");
    EXPECT_EQ(s.viewFont.size, 14);
}

TEST_F(SettingsTest, UnknownKeysSurviveAndKeepTheFileOrder) {
    ASSERT_EQ(load("; mine\n[Fonts]\nMainSize=12\nExtra=\"x\"\n[Window]\nWidth=640\n"), 1);
    AppSettings s = read();
    EXPECT_EQ(s.mainFont.size, 12);
    EXPECT_EQ(s.width, 640);
    ASSERT_EQ(saveAll(s), 1);
    std::string file = fileText();
    EXPECT_EQ(file.rfind("; mine\r\n\r\n[Fonts]\r\nMainSize=12\r\nExtra=\"x\"\r\nMainFace=\"Verdana\"\r\n", 0), 0u);
    EXPECT_LT(file.find("[Fonts]"), file.find("[Window]"));
    EXPECT_LT(file.find("[Window]"), file.find("[Colors]"));
}

TEST_F(SettingsTest, NoStoreGivesDefaults) {
    faultArm(FAULT_HEAP_CREATE, 1);
    EXPECT_EQ(configLoad(path.c_str()), 0);
    faultReset();
    AppSettings s = read();
    expectSameSettings(s, defaults());
    EXPECT_EQ(saveAll(s), 0);
}

TEST_F(SettingsTest, AllocationFailingWhileReadingGivesThatSettingsDefault) {
    loadNothing();
    faultReset();
    read();
    uint32_t total = faultCalls(FAULT_ALLOC);
    ASSERT_GE(total, (uint32_t)SETTING_COUNT);
    for (uint32_t nth = 1; nth <= total; ++nth) {
        SCOPED_TRACE(nth);
        configDiscard();
        loadNothing();
        faultArm(FAULT_ALLOC, nth);
        AppSettings s = read();
        faultReset();
        expectSameSettings(s, defaults());
    }
}

TEST_F(SettingsTest, PointsToHeightRoundsHalfUp) {
    EXPECT_EQ(pointsToHeight(10, 96), -13);
    EXPECT_EQ(pointsToHeight(14, 96), -19);
    EXPECT_EQ(pointsToHeight(10, 120), -17);
    EXPECT_EQ(pointsToHeight(4095, 96), -5460);
    EXPECT_EQ(pointsToHeight(4096, 96), -1);
    EXPECT_EQ(pointsToHeight(10, 65536), -1);
}

TEST_F(SettingsTest, HeightToPointsRoundsHalfUp) {
    EXPECT_EQ(heightToPoints(-13, 96), 10);
    EXPECT_EQ(heightToPoints(-19, 96), 14);
    EXPECT_EQ(heightToPoints(0, 96), 0);
    // Near the limit the product with 720 still fits 32 bits unsigned.
    EXPECT_EQ(heightToPoints(-0x5AFFFF, 0x10000), 6552);
    EXPECT_EQ(heightToPoints(-0x5B0000, 96), -1);
    EXPECT_EQ(heightToPoints(13, 96), -1);
    EXPECT_EQ(heightToPoints(-13, 0), -1);
}

TEST_F(SettingsTest, PointSizesSurviveTheRoundTrip) {
    for (int32_t resolution : {96, 120}) {
        for (int32_t points = 1; points <= 72; ++points) {
            SCOPED_TRACE(points);
            EXPECT_EQ(heightToPoints(pointsToHeight(points, resolution), resolution), points);
        }
    }
}

TEST_F(SettingsTest, ConfigPathIsBesideTheProgram) {
    char p[kConfigPathSize];
    buildConfigPath(p, "C:\\Games\\Vorn\\vorn.exe");
    EXPECT_STREQ(p, "C:\\Games\\Vorn\\vorn.cfg");
    buildConfigPath(p, "/opt/vorn/bin/vorn");
    EXPECT_STREQ(p, "/opt/vorn/bin/vorn.cfg");
    buildConfigPath(p, "C:/mixed\\dir/vorn.exe");
    EXPECT_STREQ(p, "C:/mixed\\dir/vorn.cfg");
    buildConfigPath(p, "vorn.exe");
    EXPECT_STREQ(p, "vorn.cfg");
    buildConfigPath(p, "");
    EXPECT_STREQ(p, "vorn.cfg");
    buildConfigPath(p, nullptr);
    EXPECT_STREQ(p, "vorn.cfg");
}

TEST_F(SettingsTest, ConfigPathNeverOverrunsItsBuffer) {
    char p[kConfigPathSize + 8];
    std::memset(p, '#', sizeof p);
    // The longest directory that still fits: 503 characters and "vorn.cfg".
    std::string fits = std::string(502, 'd') + "\\";
    buildConfigPath(p, (fits + "vorn.exe").c_str());
    EXPECT_EQ(std::string(p), fits + "vorn.cfg");
    std::string tooLong = std::string(503, 'd') + "\\";
    buildConfigPath(p, (tooLong + "v.exe").c_str());
    EXPECT_STREQ(p, "vorn.cfg");
    for (size_t i = kConfigPathSize; i < sizeof p; ++i) EXPECT_EQ(p[i], '#');
}

}  // namespace
