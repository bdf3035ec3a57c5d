// The configuration store: the sections and keys of vorn.cfg, read once at
// start-up, queried and changed with defaults, and written back whole at exit.
//
// The file is INI-style text: "[Section]" headers, "Key=value" lines and
// comments after ";". Reading is lenient (no syntax errors, every line gives
// what it can); writing is canonical. Unknown sections, keys and comments are
// kept and written back. Sections and keys keep the spelling they were created
// with and are looked up without regard to case.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// What a key holds. Callers name the kind of value they ask for with the
// same numbers: 0 only asks that the key exist, 1 text, 2 decimal, 3 hex.
enum ConfigValueState : uint32_t {
    CFG_NONE = 0,     // no value: written as the name alone
    CFG_TEXT = 1,     // a text: written between double quotes
    CFG_DECIMAL = 2,  // a number written in unsigned decimal
    CFG_HEX = 3,      // a number written in lower-case hex, no prefix
    CFG_INVALID = 4,  // the file gave something else: written as "1unk"
    CFG_COMMENT = 5,  // a comment line: empty name, no value
};

// Heap of the store: fixed at 256 KiB, which covers the store, the load
// buffer while loading and the image while saving.
constexpr uint32_t kConfigHeapSize = 0x40000;
// Files of this size or more are ignored whole; images of this size or more
// are never written, since they could not be read back.
constexpr uint32_t kConfigFileLimit = 0x18000;

struct ConfigKey {
    ConfigValueState state;
    uint32_t nameLength;
    char* name;             // empty (but present) for comment lines
    union {
        char* text;         // state CFG_TEXT only: never null, never empty
        uint32_t number;    // states CFG_DECIMAL and CFG_HEX
    } value;
    char* comment;          // or null
};

struct ConfigSection {
    char* name;             // null for section 0
    uint32_t nameLength;
    uint32_t keyCount;
    char* comment;          // or null
    ConfigKey* keys;        // keyCount keys in creation order
};

struct ConfigStore {
    PlatformHeap* heap;     // null until the first configLoad
    uint32_t sectionCount;  // 1 as soon as the store exists
    ConfigSection* sections;  // element 0 is the unnamed section
    char* loadBuffer;       // the file while it is parsed
};

extern ConfigStore gConfig;

// A value handed to or returned by configGet and configSet: `text` for kind
// 1, `number` for kinds 0, 2 and 3. The member that does not apply is 0.
struct ConfigValue {
    const char* text;
    uint32_t number;
};

inline ConfigValue configText(const char* text) { return ConfigValue{text, 0}; }
inline ConfigValue configNumber(uint32_t number) { return ConfigValue{nullptr, number}; }

// ---- The four operations of the program -----------------------------------
// Creates the store on first use (even when the file is missing) and merges
// the file into it. 1 when the file was read and parsed to its end.
int configLoad(const char* path);
// Writes the whole store through atomic replacement: on any failure the old
// file stays as it was. 1 on success.
int configSave(const char* path);
// Finds or creates the key (section null for the unnamed section) and
// returns its value as the kind asks, replacing a value of the wrong kind by
// the default. Kind 0 gives number 1. Failure gives text null / number 0.
ConfigValue configGet(const char* section, const char* key, uint32_t kind, ConfigValue fallback);
// Finds or creates the key and stores the value with the kind (1..3).
// Returns the stored text (kind 1) or the number; failure gives null / 0.
ConfigValue configSet(const char* section, const char* key, uint32_t kind, ConfigValue value);

// Destroys the store and its heap; the next configLoad starts afresh.
// The program never does this; tests and fuzzing do.
void configDiscard();

// ---- Inside the store -------------------------------------------------------
// Creates section 0 as the only section. 1, or 0 when allocation failed.
int configInit();
// Case-insensitive lookup; a length of 0 means section 0. With create set a
// missing section is appended. Null when missing or allocation failed.
ConfigSection* findSection(const char* name, uint32_t length, int create);
// Case-insensitive lookup; an empty name never matches, so each call with an
// empty name and create set appends a new key (a comment line).
ConfigKey* findKey(ConfigSection* section, const char* name, uint32_t length, int create);
// Replace the comment with a copy of length bytes, or remove it (length 0).
// 0 when the copy could not be allocated; the old comment then stays.
int setSectionComment(ConfigSection* section, const char* text, uint32_t length);
int setKeyComment(ConfigKey* key, const char* text, uint32_t length);
// Makes a copy of the text the key's value (state CFG_TEXT) and returns it.
// An empty text leaves the key without a value (CFG_NONE) and returns null;
// a failed allocation leaves the key as it was and returns null.
char* setKeyText(ConfigKey* key, const char* text, uint32_t length);
// Reads the decimal digits of n as hexadecimal digits: 1000 gives 0x1000.
uint32_t decimalDigitsAsHex(uint32_t n);
// Parses zero-terminated text into the store. 0 when a section or key could
// not be created (what was parsed before stays).
int parseConfig(const char* buffer);
// The canonical image of the store, from the store's heap (release it with
// configFreeImage). Null when the image would reach kConfigFileLimit or could
// not be allocated.
char* buildConfigImage(uint32_t* length);
void configFreeImage(char* image);
