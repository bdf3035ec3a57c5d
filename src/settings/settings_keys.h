// The program's display settings as kept in vorn.cfg: which keys exist,
// their kinds and defaults, and the conversions between the file and memory
// (colour byte order, font sizes). The Windows shell turns the values into
// windows, fonts and brushes; everything here is plain data.
#pragma once

#include <cstdint>

constexpr uint32_t kFaceSize = 32;
constexpr uint32_t kConfigPathSize = 512;

// Font style bits as stored in the file.
constexpr uint32_t kStyleBold = 0x1000;
constexpr uint32_t kStyleItalic = 0x100;

struct FontSetting {
    char face[kFaceSize];  // zero-terminated within the 32 bytes
    int32_t size;          // points
    uint32_t style;        // kStyleBold, kStyleItalic
    uint32_t charset;      // the low 8 bits are the font's character set
};

// Colours are COLORREF values (0x00BBGGRR) in memory.
struct AppSettings {
    int32_t maximized;
    int32_t posX;
    int32_t posY;
    int32_t width;
    int32_t height;
    int32_t colNameWidth;
    uint32_t mainText;
    uint32_t mainHash;
    uint32_t mainBack;
    uint32_t viewBack;
    FontSetting mainFont;
    FontSetting viewFont;
    char configPath[kConfigPathSize];
};

extern AppSettings gSettings;

// One setting in the file. Numbers are given as the file stores them
// (colours in 0x00RRGGBB order).
struct SettingKey {
    const char* section;
    const char* name;
    uint32_t kind;            // CFG_TEXT, CFG_DECIMAL or CFG_HEX
    uint32_t defaultNumber;
    const char* defaultText;  // kind CFG_TEXT only
};

// The settings in the order they are read at start-up, which is the order
// a first run writes them in.
enum SettingId : uint32_t {
    SET_MAXIMIZED,
    SET_POS_X,
    SET_POS_Y,
    SET_WIDTH,
    SET_HEIGHT,
    SET_COL_NAME_WIDTH,
    SET_MAIN_TEXT,
    SET_MAIN_HASH,
    SET_MAIN_BACK,
    SET_VIEW_BACK,
    SET_MAIN_FACE,
    SET_MAIN_SIZE,
    SET_MAIN_STYLE,
    SET_MAIN_CHARSET,
    SET_VIEW_FACE,
    SET_VIEW_SIZE,
    SET_VIEW_STYLE,
    SET_VIEW_CHARSET,
    SETTING_COUNT
};

extern const SettingKey kSettingKeys[SETTING_COUNT];

// Exchanges the lowest and third byte and clears the highest: converts
// between COLORREF order and the file's 0x00RRGGBB, either way.
uint32_t exchangeColorOrder(uint32_t color);

// Point size to a (negative) font height at the given pixels per inch,
// rounded half up; -1 for sizes of 4096 points or resolutions of 65536.
int32_t pointsToHeight(int32_t points, int32_t resolution);
// A negative character height back to points, rounded half up; -1 outside
// the range (positive heights, heights beyond 0x5B0000, no resolution).
int32_t heightToPoints(int32_t height, int32_t resolution);

// The settings path: the directory of the module name (up to and including
// its last "\" or "/") followed by "vorn.cfg". Without a module name, or when
// the result would not fit the buffer, "vorn.cfg" alone.
void buildConfigPath(char path[kConfigPathSize], const char* moduleName);

// Reads every setting from the store in table order, creating missing keys
// with their defaults. A value the store cannot give is its default.
void readSettings(AppSettings* settings);
// The window placement, as the main window records it when it closes.
void writeWindowSettings(const AppSettings* settings);
// The fonts and then the colours, as written after the message loop.
void writeFontAndColorSettings(const AppSettings* settings);
