// A fixture for the configuration store: a fresh store for every test and
// helpers to load text, read values and look at the image.
#pragma once

#include <string>

#include "settings/config_store.h"
#include "testing/test_support.h"

class ConfigTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        configDiscard();
        path = dir.file("vorn.cfg");
    }
    void TearDown() override {
        configDiscard();
        CoreTest::TearDown();
    }

    // Writes the text as the settings file and loads it.
    int load(const std::string& text) {
        write("vorn.cfg", text);
        return configLoad(path.c_str());
    }
    // Loads a file that does not exist: an empty store.
    void loadNothing() { EXPECT_EQ(configLoad(dir.file("missing.cfg").c_str()), 0); }

    // The image the store would be saved as, or "<none>".
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
        const char* t = configGet(section, key, CFG_TEXT, configText(fallback)).text;
        return t ? std::string(t) : std::string("<none>");
    }

    std::string path;
};
