#include "settings/settings_keys.h"

#include "settings/config_store.h"
#include "support/text.h"

AppSettings gSettings;

namespace {
constexpr char kWindow[] = "Window";
constexpr char kColors[] = "Colors";
constexpr char kFonts[] = "Fonts";
constexpr char kConfigName[] = "vorn.cfg";
}  // namespace

const SettingKey kSettingKeys[SETTING_COUNT] = {
    {kWindow, "Maximized", CFG_DECIMAL, 0, nullptr},
    {kWindow, "PosX", CFG_DECIMAL, 0, nullptr},
    {kWindow, "PosY", CFG_DECIMAL, 0, nullptr},
    {kWindow, "Width", CFG_DECIMAL, 750, nullptr},
    {kWindow, "Height", CFG_DECIMAL, 550, nullptr},
    {kWindow, "ColNameWidth", CFG_DECIMAL, 80, nullptr},
    {kColors, "MainText", CFG_HEX, 0xFFFFFF, nullptr},
    {kColors, "MainHash", CFG_HEX, 0xCCCCCC, nullptr},
    {kColors, "MainBack", CFG_HEX, 0x888474, nullptr},
    {kColors, "ViewBack", CFG_HEX, 0x888474, nullptr},
    {kFonts, "MainFace", CFG_TEXT, 0, "Verdana"},
    {kFonts, "MainSize", CFG_DECIMAL, 10, nullptr},
    {kFonts, "MainStyle", CFG_HEX, 0, nullptr},
    {kFonts, "MainCharset", CFG_HEX, 0, nullptr},
    {kFonts, "ViewFace", CFG_TEXT, 0, "Tahoma"},
    {kFonts, "ViewSize", CFG_DECIMAL, 14, nullptr},
    {kFonts, "ViewStyle", CFG_HEX, kStyleBold, nullptr},
    {kFonts, "ViewCharset", CFG_HEX, 0, nullptr},
};

uint32_t exchangeColorOrder(uint32_t color) {
    return ((color >> 16) & 0xFF) | (color & 0xFF00) | ((color & 0xFF) << 16);
}

int32_t pointsToHeight(int32_t points, int32_t resolution) {
    if (points >= 4096 || resolution >= 65536) return -1;
    // Tenths of a pixel, in 32-bit arithmetic as the font code expects.
    int32_t tenths = (int32_t)((uint32_t)points * (uint32_t)resolution * 10u);
    int32_t q = tenths / 72;
    int32_t pixels = q / 10 + (q % 10 >= 5 ? 1 : 0);
    return -pixels;
}

int32_t heightToPoints(int32_t height, int32_t resolution) {
    if (height > 0 || resolution <= 0) return -1;
    int64_t pixels = -(int64_t)height;
    if (pixels >= 0x5B0000) return -1;
    // Below that limit, pixels × 720 fits in 32 bits.
    uint32_t q = (uint32_t)(pixels * 720) / (uint32_t)resolution;
    return (int32_t)(q / 10 + (q % 10 >= 5 ? 1 : 0));
}

void buildConfigPath(char path[kConfigPathSize], const char* moduleName) {
    uint32_t directory = 0;
    if (moduleName) {
        for (uint32_t i = 0; moduleName[i] != 0; ++i)
            if (moduleName[i] == '\\' || moduleName[i] == '/') directory = i + 1;
    }
    if (directory + sizeof(kConfigName) > kConfigPathSize) directory = 0;
    copyBounded(path, moduleName ? moduleName : "", directory);
    copyText(path + directory, kConfigName);
}

namespace {

// A number setting, or its default when the store cannot hold the key.
uint32_t readNumber(const SettingKey& k) {
    if (configGet(k.section, k.name, CFG_NONE, configNumber(0)).number != 1) return k.defaultNumber;
    return configGet(k.section, k.name, k.kind, configNumber(k.defaultNumber)).number;
}

void readFace(const SettingKey& k, char face[kFaceSize]) {
    const char* text = configGet(k.section, k.name, CFG_TEXT, configText(k.defaultText)).text;
    // At most 31 characters, the rest of the field zero.
    copyBounded(face, text ? text : k.defaultText, kFaceSize - 1);
    face[kFaceSize - 1] = 0;
}

void readFont(FontSetting* font, SettingId first) {
    readFace(kSettingKeys[first], font->face);
    font->size = (int32_t)readNumber(kSettingKeys[first + 1]);
    font->style = readNumber(kSettingKeys[first + 2]);
    font->charset = readNumber(kSettingKeys[first + 3]);
}

void writeNumber(SettingId id, uint32_t value) {
    const SettingKey& k = kSettingKeys[id];
    configSet(k.section, k.name, k.kind, configNumber(value));
}

void writeFont(const FontSetting* font, SettingId first) {
    const SettingKey& face = kSettingKeys[first];
    // The face field may fill all 32 bytes without a terminator.
    char text[kFaceSize + 1];
    copyBounded(text, font->face, kFaceSize);
    text[kFaceSize] = 0;
    configSet(face.section, face.name, CFG_TEXT, configText(text));
    writeNumber((SettingId)(first + 1), (uint32_t)font->size);
    writeNumber((SettingId)(first + 2), font->style);
    writeNumber((SettingId)(first + 3), font->charset);
}

}  // namespace

void readSettings(AppSettings* s) {
    s->maximized = (int32_t)readNumber(kSettingKeys[SET_MAXIMIZED]);
    s->posX = (int32_t)readNumber(kSettingKeys[SET_POS_X]);
    s->posY = (int32_t)readNumber(kSettingKeys[SET_POS_Y]);
    s->width = (int32_t)readNumber(kSettingKeys[SET_WIDTH]);
    s->height = (int32_t)readNumber(kSettingKeys[SET_HEIGHT]);
    s->colNameWidth = (int32_t)readNumber(kSettingKeys[SET_COL_NAME_WIDTH]);
    s->mainText = exchangeColorOrder(readNumber(kSettingKeys[SET_MAIN_TEXT]));
    s->mainHash = exchangeColorOrder(readNumber(kSettingKeys[SET_MAIN_HASH]));
    s->mainBack = exchangeColorOrder(readNumber(kSettingKeys[SET_MAIN_BACK]));
    s->viewBack = exchangeColorOrder(readNumber(kSettingKeys[SET_VIEW_BACK]));
    readFont(&s->mainFont, SET_MAIN_FACE);
    readFont(&s->viewFont, SET_VIEW_FACE);
}

void writeWindowSettings(const AppSettings* s) {
    writeNumber(SET_MAXIMIZED, (uint32_t)s->maximized);
    writeNumber(SET_POS_X, (uint32_t)s->posX);
    writeNumber(SET_POS_Y, (uint32_t)s->posY);
    writeNumber(SET_WIDTH, (uint32_t)s->width);
    writeNumber(SET_HEIGHT, (uint32_t)s->height);
    writeNumber(SET_COL_NAME_WIDTH, (uint32_t)s->colNameWidth);
}

void writeFontAndColorSettings(const AppSettings* s) {
    writeFont(&s->mainFont, SET_MAIN_FACE);
    writeFont(&s->viewFont, SET_VIEW_FACE);
    writeNumber(SET_MAIN_TEXT, exchangeColorOrder(s->mainText));
    writeNumber(SET_MAIN_HASH, exchangeColorOrder(s->mainHash));
    writeNumber(SET_MAIN_BACK, exchangeColorOrder(s->mainBack));
    writeNumber(SET_VIEW_BACK, exchangeColorOrder(s->viewBack));
}
