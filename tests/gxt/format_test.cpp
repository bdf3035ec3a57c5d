#include <gtest/gtest.h>

#include <cstring>

#include "gxt/gxt.h"
#include "test_support.h"

namespace {

std::vector<uint8_t> words(std::initializer_list<uint32_t> ws, size_t padTo = 0) {
    std::vector<uint8_t> out;
    for (uint32_t w : ws)
        for (int i = 0; i < 4; ++i) out.push_back((uint8_t)(w >> (8 * i)));
    if (out.size() < padTo) out.resize(padTo, 0);
    return out;
}

// Runs detection on an image without loading a file.
int detect(std::vector<uint8_t> bytes) {
    gDocument.image = bytes.data();
    gDocument.imageSize = (uint32_t)bytes.size();
    int r = detectVariant();
    gDocument.image = nullptr;
    gDocument.imageSize = 0;
    return r;
}

}  // namespace

class Detection : public CoreTest {};

TEST_F(Detection, RecognisesEachLayoutByItsFirstWords) {
    ASSERT_EQ(detect(words({kTagTkey})), 1);
    EXPECT_EQ(gDocument.formatVariant, '0');
    EXPECT_EQ(gDocument.keyScheme, '0');
    EXPECT_EQ(gDocument.charWidth, 2u);
    EXPECT_EQ(gDocument.keyRecordSize, 12u);
    EXPECT_EQ(gDocument.keyNameLimit, 8u);
    EXPECT_FALSE(gDocument.hashedKeys);

    for (uint32_t size : {948u, 959u}) {
        ASSERT_EQ(detect(words({kTagTabl, size})), 1) << size;
        EXPECT_EQ(gDocument.formatVariant, '1');
        EXPECT_EQ(gDocument.headerSize, 0u);
    }
    for (uint32_t size : {1524u, 1535u}) {
        ASSERT_EQ(detect(words({kHeaderWord, kTagTabl, size})), 1);
        EXPECT_EQ(gDocument.formatVariant, '2');
        EXPECT_EQ(gDocument.keyScheme, '@');
        EXPECT_EQ(gDocument.charWidth, 1u);
        EXPECT_EQ(gDocument.keyRecordSize, 8u);
        EXPECT_EQ(gDocument.keyNameLimit, 8u);
        EXPECT_EQ(gDocument.headerSize, 4u);
        EXPECT_TRUE(gDocument.hashedKeys);
    }
    for (uint32_t size : {6288u, 6299u}) {
        ASSERT_EQ(detect(words({kHeaderWord, kTagTabl, size})), 1);
        EXPECT_EQ(gDocument.formatVariant, '@');
        EXPECT_EQ(gDocument.keyNameLimit, 32u);
    }
    EXPECT_EQ(documentFamily(), 4);
}

TEST_F(Detection, RefusesOtherTableCountsAndShortFiles) {
    EXPECT_EQ(detect(words({kTagTabl, 960})), 0);
    EXPECT_EQ(detect(words({kTagTabl, 936})), 0);
    EXPECT_EQ(detect(words({kHeaderWord, kTagTabl, 1536})), 0);
    EXPECT_EQ(detect(words({kHeaderWord, kTagTabl, 948})), 0);
    EXPECT_EQ(detect(words({kTagTabl})), 0);          // no size word
    EXPECT_EQ(detect(words({kHeaderWord, kTagTabl})), 0);
    EXPECT_EQ(detect({'T', 'K', 'E'}), 0);
    EXPECT_EQ(detect({}), 0);
    EXPECT_EQ(detect(words({0x12345678, 0, 0, 0})), 0);
    // The header word decides, not the tag after it.
    EXPECT_EQ(detect(words({kHeaderWord, 0, 6288})), 1);
    EXPECT_EQ(gDocument.formatVariant, '@');
}
