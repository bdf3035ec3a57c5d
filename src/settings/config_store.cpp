#include "settings/config_store.h"

#include "support/text.h"

ConfigStore gConfig;

namespace {

bool isBlank(uint8_t c) { return c == ' ' || c == '\t'; }
bool isLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

// A zero-terminated copy of length bytes from the store's heap, or null.
char* copyOf(const char* text, uint32_t length) {
    char* copy = static_cast<char*>(heapAlloc(gConfig.heap, kHeapFlags, (size_t)length + 1));
    if (!copy) return nullptr;
    for (uint32_t i = 0; i < length; ++i) copy[i] = text[i];
    return copy;
}

void release(void* block) {
    if (block) heapFree(gConfig.heap, kHeapFlags, block);
}

// Drops a text the key holds; numbers need no release.
void releaseValue(ConfigKey* key) {
    if (key->state == CFG_TEXT) release(key->value.text);
    key->value.number = 0;
}

// Replaces an owned comment; shared by sections and keys.
int replaceComment(char** comment, const char* text, uint32_t length) {
    char* copy = nullptr;
    if (length > 0) {
        copy = copyOf(text, length);
        if (!copy) return 0;
    }
    release(*comment);
    *comment = copy;
    return 1;
}

// Grows an array of the store by one zero-filled element; null on failure
// (the old array then stays as it was).
void* appendElement(void* array, uint32_t count, size_t elementSize) {
    size_t size = (count + (size_t)1) * elementSize;
    if (!array) return heapAlloc(gConfig.heap, kHeapFlags, size);
    return heapReAlloc(gConfig.heap, kHeapFlags, array, size);
}

bool sameName(const char* stored, uint32_t storedLength, const char* name, uint32_t length) {
    return storedLength != 0 && storedLength == length && compareText(stored, name, length, 0) == 0;
}

bool storeReady() { return gConfig.heap && gConfig.sections; }

}  // namespace

int configInit() {
    void* sections = heapAlloc(gConfig.heap, kHeapFlags, sizeof(ConfigSection));
    if (!sections) return 0;
    gConfig.sections = static_cast<ConfigSection*>(sections);
    gConfig.sectionCount = 1;
    return 1;
}

void configDiscard() {
    if (gConfig.heap) heapDestroy(gConfig.heap);
    gConfig = ConfigStore{};
}

ConfigSection* findSection(const char* name, uint32_t length, int create) {
    if (!storeReady()) return nullptr;
    // An empty name can only mean section 0: a named section with an empty
    // name could never be found again nor read back from the file.
    if (length == 0) return &gConfig.sections[0];
    for (uint32_t i = 0; i < gConfig.sectionCount; ++i) {
        ConfigSection* s = &gConfig.sections[i];
        if (sameName(s->name, s->nameLength, name, length)) return s;
    }
    if (!create) return nullptr;
    char* copy = copyOf(name, length);
    if (!copy) return nullptr;
    void* grown = appendElement(gConfig.sections, gConfig.sectionCount, sizeof(ConfigSection));
    if (!grown) {
        release(copy);
        return nullptr;
    }
    gConfig.sections = static_cast<ConfigSection*>(grown);
    ConfigSection* s = &gConfig.sections[gConfig.sectionCount++];
    *s = ConfigSection{};
    s->name = copy;
    s->nameLength = length;
    return s;
}

ConfigKey* findKey(ConfigSection* section, const char* name, uint32_t length, int create) {
    if (!section || !storeReady()) return nullptr;
    for (uint32_t i = 0; i < section->keyCount; ++i) {
        ConfigKey* k = &section->keys[i];
        if (sameName(k->name, k->nameLength, name, length)) return k;
    }
    if (!create) return nullptr;
    char* copy = copyOf(name, length);
    if (!copy) return nullptr;
    void* grown = appendElement(section->keys, section->keyCount, sizeof(ConfigKey));
    if (!grown) {
        release(copy);
        return nullptr;
    }
    section->keys = static_cast<ConfigKey*>(grown);
    ConfigKey* k = &section->keys[section->keyCount++];
    *k = ConfigKey{};
    k->name = copy;
    k->nameLength = length;
    return k;
}

int setSectionComment(ConfigSection* section, const char* text, uint32_t length) {
    if (!section || !storeReady()) return 0;
    return replaceComment(&section->comment, text, length);
}

int setKeyComment(ConfigKey* key, const char* text, uint32_t length) {
    if (!key || !storeReady()) return 0;
    return replaceComment(&key->comment, text, length);
}

char* setKeyText(ConfigKey* key, const char* text, uint32_t length) {
    if (!key || !storeReady()) return nullptr;
    if (length == 0) {
        // A key in the text state always has a text: an empty one means
        // that the key has no value at all.
        releaseValue(key);
        key->state = CFG_NONE;
        return nullptr;
    }
    char* copy = copyOf(text, length);
    if (!copy) return nullptr;
    releaseValue(key);
    key->value.text = copy;
    key->state = CFG_TEXT;
    return copy;
}

uint32_t decimalDigitsAsHex(uint32_t n) {
    // 16^8 wraps to 0, so only the lowest eight decimal digits count.
    uint32_t result = 0;
    for (uint32_t shift = 0; n != 0 && shift < 32; shift += 4) {
        result += (n % 10) << shift;
        n /= 10;
    }
    return result;
}

// ---- Typed access -------------------------------------------------------------

namespace {

ConfigKey* lookUp(const char* section, const char* key) {
    if (!key || key[0] == 0) return nullptr;
    ConfigSection* s = findSection(section, section ? textLength(section) : 0, 1);
    if (!s) return nullptr;
    return findKey(s, key, textLength(key), 1);
}

// Makes the key hold a number of the given state.
uint32_t storeNumber(ConfigKey* key, ConfigValueState state, uint32_t number) {
    releaseValue(key);
    key->state = state;
    key->value.number = number;
    return number;
}

}  // namespace

ConfigValue configGet(const char* section, const char* key, uint32_t kind, ConfigValue fallback) {
    ConfigValue result{nullptr, 0};
    if (kind == CFG_TEXT && !fallback.text) return result;
    ConfigKey* k = lookUp(section, key);
    if (!k) return result;
    switch (kind) {
        case CFG_NONE:
            result.number = 1;
            break;
        case CFG_TEXT:
            if (k->state == CFG_TEXT)
                result.text = k->value.text;
            else
                result.text = setKeyText(k, fallback.text, textLength(fallback.text));
            break;
        case CFG_DECIMAL:
            if (k->state == CFG_DECIMAL || k->state == CFG_HEX) {
                // A hex number asked for as decimal keeps its value.
                k->state = CFG_DECIMAL;
                result.number = k->value.number;
            } else {
                result.number = storeNumber(k, CFG_DECIMAL, fallback.number);
            }
            break;
        case CFG_HEX:
            if (k->state == CFG_HEX) {
                result.number = k->value.number;
            } else if (k->state == CFG_DECIMAL) {
                // Hex values are written without a prefix, so one made only
                // of decimal digits comes back from the file as decimal.
                k->state = CFG_HEX;
                k->value.number = decimalDigitsAsHex(k->value.number);
                result.number = k->value.number;
            } else {
                result.number = storeNumber(k, CFG_HEX, fallback.number);
            }
            break;
        default:
            break;
    }
    return result;
}

ConfigValue configSet(const char* section, const char* key, uint32_t kind, ConfigValue value) {
    ConfigValue result{nullptr, 0};
    if (kind == CFG_TEXT && !value.text) return result;
    ConfigKey* k = lookUp(section, key);
    if (!k) return result;
    if (kind == CFG_TEXT)
        result.text = setKeyText(k, value.text, textLength(value.text));
    else if (kind == CFG_DECIMAL || kind == CFG_HEX)
        result.number = storeNumber(k, (ConfigValueState)kind, value.number);
    return result;
}

// ---- Parsing ------------------------------------------------------------------

namespace {

struct Span {
    const uint8_t* start;
    uint32_t length;
};

// The span from start to end without the blanks at its end.
Span trimmed(const uint8_t* start, const uint8_t* end) {
    while (end > start && isBlank(end[-1])) --end;
    return Span{start, (uint32_t)(end - start)};
}

void skipBlanks(const uint8_t*& p) {
    while (isBlank(*p)) ++p;
}

// Skips the rest of a line: every byte from 0x20 up (a tab ends it too).
void skipToControl(const uint8_t*& p) {
    while (*p >= 0x20) ++p;
}

// At a ";": the comment after it, up to a control character other than a
// tab, without blanks at either end.
Span readComment(const uint8_t*& p) {
    ++p;
    skipBlanks(p);
    const uint8_t* start = p;
    while (*p != 0 && (*p >= 0x20 || *p == '\t')) ++p;
    return trimmed(start, p);
}

bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool isHexLetter(uint8_t c) { return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Classifies an unquoted value and stores it with its state.
void storeUnquoted(ConfigKey* key, Span value) {
    bool decimal = true;
    bool hex = true;
    for (uint32_t i = 0; i < value.length; ++i) {
        uint8_t c = value.start[i];
        if (isDigit(c)) continue;
        decimal = false;
        if (!isHexLetter(c)) hex = false;
    }
    // The value ends at ";" or a byte up to 0x20, which ends the digits too.
    const char* digits = reinterpret_cast<const char*>(value.start);
    if (decimal)
        storeNumber(key, CFG_DECIMAL, textToNumber(digits, 10));
    else if (hex)
        storeNumber(key, CFG_HEX, textToNumber(digits, 16));
    else
        storeNumber(key, CFG_INVALID, 0);
}

// A "[name]" line. Returns the section it opens, the current one for an
// empty header, or null when the section could not be created.
ConfigSection* parseHeader(const uint8_t*& p, ConfigSection* current) {
    ++p;
    skipBlanks(p);
    const uint8_t* start = p;
    while (*p != 0 && *p != ']' && !isLineEnd(*p)) ++p;
    Span name = trimmed(start, p);
    if (*p == ']') ++p;
    skipBlanks(p);
    if (name.length == 0) {
        skipToControl(p);
        return current;
    }
    Span comment{p, 0};
    if (*p == ';') comment = readComment(p);
    ConfigSection* section = findSection(reinterpret_cast<const char*>(name.start), name.length, 1);
    if (section && !section->comment && comment.length > 0)
        setSectionComment(section, reinterpret_cast<const char*>(comment.start), comment.length);
    return section;
}

// A key line (or a comment line, which has an empty name). Returns 0 when
// the key could not be created.
int parseKeyLine(const uint8_t*& p, ConfigSection* section) {
    const uint8_t* start = p;
    while (*p != 0 && *p != '=' && *p != ';' && !isLineEnd(*p)) ++p;
    Span name = trimmed(start, p);
    Span value{p, 0};
    bool quoted = false;
    if (*p == '=') {
        ++p;
        skipBlanks(p);
        if (*p == '"') {
            quoted = true;
            value.start = ++p;
            while (*p != 0 && *p != '"') ++p;
            value.length = (uint32_t)(p - value.start);
            if (*p == '"') ++p;
        } else {
            value.start = p;
            while (*p > 0x20 && *p != ';') ++p;
            value.length = (uint32_t)(p - value.start);
        }
        while (*p != 0 && *p != ';' && !isLineEnd(*p)) ++p;
    }
    Span comment{p, 0};
    if (*p == ';') comment = readComment(p);

    ConfigKey* key = findKey(section, reinterpret_cast<const char*>(name.start), name.length, 1);
    if (!key) return 0;
    // An empty value leaves the key as it was; a failed text copy too.
    if (value.length > 0) {
        if (quoted)
            setKeyText(key, reinterpret_cast<const char*>(value.start), value.length);
        else
            storeUnquoted(key, value);
    }
    if (comment.length > 0 &&
        setKeyComment(key, reinterpret_cast<const char*>(comment.start), comment.length) &&
        name.length == 0 && value.length == 0)
        key->state = CFG_COMMENT;
    return 1;
}

}  // namespace

int parseConfig(const char* buffer) {
    if (!buffer || !storeReady()) return 0;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(buffer);
    // Sections are held by index: creating one moves the section array.
    uint32_t current = 0;
    for (;;) {
        while (*p >= 0x01 && *p <= 0x20) ++p;
        if (*p == 0) return 1;
        if (*p == '[') {
            ConfigSection* s = parseHeader(p, &gConfig.sections[current]);
            if (!s) return 0;
            current = (uint32_t)(s - gConfig.sections);
        } else if (*p == '=') {
            skipToControl(p);
        } else if (!parseKeyLine(p, &gConfig.sections[current])) {
            return 0;
        }
    }
}

// ---- Loading and saving -------------------------------------------------------

int configLoad(const char* path) {
    if (!path) return 0;
    if (!gConfig.heap) {
        gConfig.heap = heapCreate(kHeapFlags, kConfigHeapSize, kConfigHeapSize);
        if (!gConfig.heap) return 0;
    }
    // Also retried when an earlier load created the heap but not section 0.
    if (!gConfig.sections && !configInit()) return 0;

    PlatformFile* file = fileOpenRead(path);
    if (!file) return 0;
    uint32_t size = 0;
    if (!fileSize(file, &size) || size >= kConfigFileLimit) {
        fileClose(file);
        return 0;
    }
    gConfig.loadBuffer = static_cast<char*>(heapAlloc(gConfig.heap, kHeapFlags, (size_t)size + 1));
    if (!gConfig.loadBuffer) {
        fileClose(file);
        return 0;
    }
    // Only `size` bytes are read, so the zero after them stays even if the
    // file has grown since its size was taken.
    uint32_t got = 0;
    bool read = fileRead(file, gConfig.loadBuffer, size, &got);
    fileClose(file);
    int result = read ? parseConfig(gConfig.loadBuffer) : 0;
    release(gConfig.loadBuffer);
    gConfig.loadBuffer = nullptr;
    return result;
}

namespace {

// Writes the image, or with no buffer only measures it. The length is kept
// in 64 bits so that measuring cannot wrap.
struct ImageWriter {
    char* out;
    uint64_t length;

    void put(const char* text, uint32_t count) {
        if (out)
            for (uint32_t i = 0; i < count; ++i) out[length + i] = text[i];
        length += count;
    }
    void put(const char* text) { put(text, textLength(text)); }
    void number(uint32_t value, uint32_t base) {
        char digits[12];
        put(digits, numberToText(digits, value, 0, base));
    }
    void comment(const char* text, bool indented) {
        if (indented) put("    ");
        put("; ");
        put(text);
    }
};

void writeKey(ImageWriter& w, const ConfigKey& k) {
    w.put(k.name, k.nameLength);
    switch (k.state) {
        case CFG_TEXT:
            w.put("=\"");
            w.put(k.value.text);
            w.put("\"");
            break;
        case CFG_DECIMAL:
            w.put("=");
            w.number(k.value.number, 10);
            break;
        case CFG_HEX:
            w.put("=");
            w.number(k.value.number, 16);
            break;
        case CFG_INVALID:
            w.put("=1unk");
            break;
        default:
            break;
    }
    if (k.comment) w.comment(k.comment, k.state != CFG_COMMENT);
    w.put("\r\n");
}

void writeImage(ImageWriter& w) {
    for (uint32_t i = 0; i < gConfig.sectionCount; ++i) {
        const ConfigSection& s = gConfig.sections[i];
        if (i != 0) {
            w.put("[");
            w.put(s.name, s.nameLength);
            w.put("]");
            if (s.comment) w.comment(s.comment, true);
            w.put("\r\n");
        }
        for (uint32_t j = 0; j < s.keyCount; ++j) writeKey(w, s.keys[j]);
        w.put("\r\n");
    }
}

}  // namespace

char* buildConfigImage(uint32_t* length) {
    if (!length || !storeReady()) return nullptr;
    *length = 0;
    // Measured first, so that the image is never written past its buffer;
    // one the loader would refuse as too large is not made at all.
    ImageWriter measure{nullptr, 0};
    writeImage(measure);
    if (measure.length >= kConfigFileLimit) return nullptr;
    char* image = static_cast<char*>(heapAlloc(gConfig.heap, kHeapFlags, (size_t)measure.length + 1));
    if (!image) return nullptr;
    ImageWriter w{image, 0};
    writeImage(w);
    *length = (uint32_t)w.length;
    return image;
}

void configFreeImage(char* image) {
    if (gConfig.heap) release(image);
}

int configSave(const char* path) {
    if (!path) return 0;
    uint32_t length = 0;
    char* image = buildConfigImage(&length);
    if (!image) return 0;
    // Written beside the old file and moved over it only when complete.
    int result = 0;
    PlatformFile* file = fileCreateReplacing(path);
    if (file) {
        if (fileWrite(file, image, length))
            result = fileFinish(file) ? 1 : 0;
        else
            fileClose(file);
    }
    release(image);
    return result;
}
