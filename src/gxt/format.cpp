// Recognising the four GXT layouts and setting their parameters.
#include "gxt/gxt.h"

namespace {

bool wordAt(uint32_t offset, uint32_t* value) {
    if (!gDocument.image || (uint64_t)offset + 4 > gDocument.imageSize) return false;
    const uint8_t* p = gDocument.image + offset;
    *value = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
    return true;
}

void setVariant(FormatVariant variant) {
    GxtDocument& d = gDocument;
    d.formatVariant = variant;
    const bool hashed = variant == '2' || variant == '@';
    d.keyScheme = hashed ? '@' : '0';
    d.hashedKeys = hashed;
    d.keyNameLimit = variant == '@' ? 32 : 8;
    d.charWidth = hashed ? 1 : 2;
    d.headerSize = hashed ? 4 : 0;
    d.keyRecordSize = hashed ? 8 : 12;
}

}  // namespace

int detectVariant() {
    uint32_t first = 0;
    if (!wordAt(0, &first)) return 0;
    uint32_t size = 0;
    if (first == kTagTkey) {
        setVariant('0');
        return 1;
    }
    if (first == kTagTabl) {
        if (wordAt(4, &size) && size / 12 == 79) {
            setVariant('1');
            return 1;
        }
        return 0;
    }
    if (first == kHeaderWord && wordAt(8, &size)) {
        if (size / 12 == 127) {
            setVariant('2');
            return 1;
        }
        if (size / 12 == 524) {
            setVariant('@');
            return 1;
        }
    }
    return 0;
}
