// Shared helpers for the core tests: temporary files, generated documents
// opened as the program's one document, and a fixture that leaves the
// program-wide state clean after every test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gxt_generator.h"

// A directory of its own for each test, removed with everything in it.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    std::string file(const std::string& name) const;
};

// Resets the fault injection, closes the document and any string list, and
// resets the decode table before and after each test; afterwards, every file
// the test's operations opened must be closed again.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes the bytes to a file in the test's directory and opens it as the
    // document, waiting for the index. Returns loadDocument's code.
    int openBytes(const std::vector<uint8_t>& bytes, const std::string& name = "doc.gxt");
    int openGenerated(const GenDocument& doc, const GenOptions& options = {});
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes);
    std::string write(const std::string& name, const std::string& text);
    TempDir dir;
};

std::vector<uint8_t> bytesOf(const std::string& text);
std::string textOf(const std::vector<uint8_t>& bytes);
