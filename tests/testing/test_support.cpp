#include "test_support.h"

#include <cstdlib>
#include <filesystem>

#include "decode/decode_table.h"
#include "gxt/gxt.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
    static int counter = 0;
    fs::path base = fs::temp_directory_path();
    for (;;) {
        fs::path p = base / ("vorn-test-" + std::to_string(std::rand()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            path = p.string();
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

std::string TempDir::file(const std::string& name) const { return (fs::path(path) / name).string(); }

void CoreTest::SetUp() {
    faultReset();
    closeDocument();
    decodeTable::reset();
}

void CoreTest::TearDown() {
    EXPECT_EQ(openFileCount(), 0u) << "a file was left open";
    faultReset();
    closeDocument();
    decodeTable::reset();
}

std::string CoreTest::write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string p = dir.file(name);
    EXPECT_TRUE(writeFileBytes(p, bytes));
    return p;
}

std::string CoreTest::write(const std::string& name, const std::string& text) {
    return write(name, bytesOf(text));
}

int CoreTest::openBytes(const std::vector<uint8_t>& bytes, const std::string& name) {
    return openDocument(write(name, bytes).c_str());
}

int CoreTest::openGenerated(const GenDocument& doc, const GenOptions& options) {
    return openBytes(generateGxt(doc, options));
}

std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string textOf(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
