// Feeds arbitrary bytes to the settings store's parser as a vorn.cfg, then asks
// for and changes a few keys the way the program does, builds the image and
// reads it back. The canonical image must be a fixed point: reading an image
// and building it again gives the same bytes. The one exception is the first
// image of a file with a line holding only ";" (and blanks): that line is
// written as an empty line, which the next load drops; the second and third
// images must then agree. Any difference aborts.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/config_store.h"

namespace {

void check(bool condition) {
    if (!condition) abort();
}

// Parses the bytes into a fresh store; false unless they were parsed to
// their end. The bytes are copied into a block of exactly their length and
// a terminator, so that the address sanitizer catches any read past it.
bool loadFresh(const void* data, size_t size) {
    configDiscard();
    // Loading a file that does not exist creates an empty store.
    configLoad("/nonexistent/vorn.cfg");
    if (!gConfig.sections) return false;
    char* buffer = static_cast<char*>(malloc(size + 1));
    if (!buffer) return false;
    memcpy(buffer, data, size);
    buffer[size] = 0;
    int parsed = parseConfig(buffer);
    free(buffer);
    return parsed == 1;
}

// The image, or false when there is none (too large, or out of memory).
bool imageOf(std::string* out) {
    uint32_t length = 0;
    char* image = buildConfigImage(&length);
    if (!image) return false;
    out->assign(image, length);
    configFreeImage(image);
    return true;
}

// A key with neither a name nor a comment: written as an empty line.
bool hasBareLine() {
    for (uint32_t i = 0; i < gConfig.sectionCount; ++i) {
        const ConfigSection& s = gConfig.sections[i];
        for (uint32_t j = 0; j < s.keyCount; ++j)
            if (s.keys[j].nameLength == 0 && !s.keys[j].comment) return true;
    }
    return false;
}

// Every key in the text state holds a non-empty text.
void checkTexts() {
    for (uint32_t i = 0; i < gConfig.sectionCount; ++i) {
        const ConfigSection& s = gConfig.sections[i];
        for (uint32_t j = 0; j < s.keyCount; ++j) {
            const ConfigKey& k = s.keys[j];
            check(k.state <= CFG_COMMENT);
            if (k.state == CFG_TEXT) check(k.value.text && k.value.text[0] != 0);
        }
    }
}

// Asks for one key the file defined, by the kind the input chooses, so
// that the conversions between kinds run on parsed values.
void askForParsedKey(const uint8_t* data, size_t size) {
    if (size < 3 || gConfig.sectionCount == 0) return;
    const ConfigSection& s = gConfig.sections[data[0] % gConfig.sectionCount];
    if (s.keyCount == 0) return;
    const ConfigKey& k = s.keys[data[1] % s.keyCount];
    if (k.nameLength == 0) return;
    std::string section = s.name ? std::string(s.name, s.nameLength) : std::string();
    std::string key(k.name, k.nameLength);
    uint32_t kind = data[2] % 5;
    ConfigValue fallback = kind == CFG_TEXT ? configText("fallback") : configNumber(0x1234);
    ConfigValue got = configGet(s.name ? section.c_str() : nullptr, key.c_str(), kind, fallback);
    if (kind == CFG_TEXT) check(got.text != nullptr && got.text[0] != 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadFresh(data, size);
    if (!gConfig.sections) return 0;
    checkTexts();
    bool bare = hasBareLine();

    askForParsedKey(data, size);
    configGet("Window", "Width", CFG_DECIMAL, configNumber(750));
    configGet("Colors", "MainText", CFG_HEX, configNumber(0xFFFFFF));
    const char* face = configGet("Fonts", "MainFace", CFG_TEXT, configText("Verdana")).text;
    configGet(nullptr, "Top", CFG_NONE, configNumber(0));
    configSet("Window", "PosX", CFG_DECIMAL, configNumber((uint32_t)-8));
    configSet("Fonts", "ViewFace", CFG_TEXT, configText("Tahoma"));
    configSet("Fonts", "Empty", CFG_TEXT, configText(""));
    // The store's texts do not move when keys are added around them.
    if (face) check(face[0] != 0);
    checkTexts();

    std::string first;
    if (!imageOf(&first)) return 0;
    std::string second;
    if (!loadFresh(first.data(), first.size()) || !imageOf(&second)) return 0;
    if (!bare) check(second == first);
    std::string third;
    if (!loadFresh(second.data(), second.size()) || !imageOf(&third)) return 0;
    check(third == second);
    configDiscard();
    return 0;
}
