// Feeds arbitrary bytes to the settings store's parser as a vorn.cfg, asks for
// and changes a few keys the way the program does, and builds the image. An
// image read back builds into the same bytes, but for the first image of a
// file with a line of only ";" (and blanks): that line is written empty, and
// the next load drops it.
#include "fuzz_support.h"
#include "settings/config_store.h"

namespace {

// Parses the bytes into a fresh store; false unless they were parsed to
// their end. The bytes are copied into a block of exactly their length and
// a terminator, so that the address sanitizer catches any read past it.
bool loadFresh(const void* data, size_t size) {
    configDiscard();
    // Loading a file that does not exist creates an empty store.
    configLoad("/nonexistent/vorn.cfg");
    if (!gConfig.sections) return false;
    std::vector<char> buffer(size + 1);
    memcpy(buffer.data(), data, size);
    return parseConfig(buffer.data()) == 1;
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

// Checks that every key in the text state holds a non-empty text; true when
// a key has neither a name nor a comment (written as an empty line).
bool checkKeys() {
    bool bare = false;
    for (uint32_t i = 0; i < gConfig.sectionCount; ++i) {
        const ConfigSection& s = gConfig.sections[i];
        for (uint32_t j = 0; j < s.keyCount; ++j) {
            const ConfigKey& k = s.keys[j];
            check(k.state <= CFG_COMMENT);
            if (k.state == CFG_TEXT) check(k.value.text && k.value.text[0] != 0);
            bare = bare || (k.nameLength == 0 && !k.comment);
        }
    }
    return bare;
}

// Asks for one key the file defined, by the kind the input chooses, so
// that the conversions between kinds run on parsed values.
void askForParsedKey(const uint8_t* data, size_t size) {
    if (size < 3 || gConfig.sectionCount == 0) return;
    const ConfigSection& s = gConfig.sections[data[0] % gConfig.sectionCount];
    if (s.keyCount == 0) return;
    const ConfigKey& k = s.keys[data[1] % s.keyCount];
    if (k.nameLength == 0) return;
    const std::string section = s.name ? std::string(s.name, s.nameLength) : "", key(k.name, k.nameLength);
    const uint32_t kind = data[2] % 5;
    ConfigValue got = configGet(s.name ? section.c_str() : nullptr, key.c_str(), kind,
                                kind == CFG_TEXT ? configText("fallback") : configNumber(0x1234));
    if (kind == CFG_TEXT) check(got.text != nullptr && got.text[0] != 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadFresh(data, size);
    if (!gConfig.sections) return 0;
    const bool bare = checkKeys();

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
    checkKeys();

    // Each image read back and built again; the first may differ only when
    // it wrote a bare line.
    std::string images[3];
    for (int i = 0; i < 3; ++i)
        if ((i && !loadFresh(images[i - 1].data(), images[i - 1].size())) || !imageOf(&images[i])) return 0;
    if (!bare) check(images[1] == images[0]);
    check(images[2] == images[1]);
    configDiscard();
    return 0;
}
