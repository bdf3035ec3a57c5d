#include <gtest/gtest.h>

#include "gxt/gxt.h"
#include "test_support.h"

namespace {

std::vector<uint8_t> words(std::initializer_list<uint32_t> ws) {
    std::vector<uint8_t> out;
    for (uint32_t w : ws)
        for (int i = 0; i < 4; ++i) out.push_back((uint8_t)(w >> (8 * i)));
    return out;
}

}  // namespace

class Detection : public CoreTest {};

// The first words of a file decide its layout, and the layout every other
// parameter; 0 where the file is not recognised.
TEST_F(Detection, LayoutsAndTheirBoundaries) {
    const struct {
        std::vector<uint8_t> bytes;
        char variant;
    } cases[] = {
        {words({kTagTkey}), '0'},
        {words({kTagTabl, 948}), '1'},
        {words({kTagTabl, 959}), '1'},
        {words({kTagTabl, 960}), 0},
        {words({kTagTabl, 936}), 0},
        {words({kTagTabl}), 0},
        {words({kHeaderWord, kTagTabl, 1524}), '2'},
        {words({kHeaderWord, kTagTabl, 1535}), '2'},
        {words({kHeaderWord, kTagTabl, 1536}), 0},
        {words({kHeaderWord, kTagTabl, 1523}), 0},
        {words({kHeaderWord, kTagTabl, 6288}), '@'},
        {words({kHeaderWord, kTagTabl, 6299}), '@'},
        {words({kHeaderWord, kTagTabl, 6300}), 0},
        {words({kHeaderWord, 0, 6288}), '@'},  // the tag after the header word is not read
        {words({kHeaderWord, kTagTabl}), 0},
        {{'T', 'K', 'E'}, 0},
        {{}, 0},
        {words({0x12345678, 0, 0, 0}), 0},
    };
    const struct {
        char variant, scheme;
        uint32_t width, record, limit, header;
        int family;
    } params[] = {{'0', '0', 2, 12, 8, 0, 3}, {'1', '0', 2, 12, 8, 0, 3}, {'2', '@', 1, 8, 8, 4, 3},
                  {'@', '@', 1, 8, 32, 4, 4}};
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = c.bytes;
        gDocument.image = bytes.data();
        gDocument.imageSize = (uint32_t)bytes.size();
        const int recognised = detectVariant();
        gDocument.image = nullptr;
        gDocument.imageSize = 0;
        SCOPED_TRACE(testing::Message() << "variant " << (c.variant ? c.variant : '-') << ", " << bytes.size()
                                        << " bytes");
        ASSERT_EQ(recognised, c.variant ? 1 : 0);
        if (!c.variant) continue;
        for (const auto& p : params) {
            if (p.variant != c.variant) continue;
            EXPECT_EQ(gDocument.formatVariant, p.variant);
            EXPECT_EQ(gDocument.keyScheme, p.scheme);
            EXPECT_EQ(gDocument.charWidth, p.width);
            EXPECT_EQ(gDocument.keyRecordSize, p.record);
            EXPECT_EQ(gDocument.keyNameLimit, p.limit);
            EXPECT_EQ(gDocument.headerSize, p.header);
            EXPECT_EQ(gDocument.hashedKeys, p.scheme == '@');
            EXPECT_EQ(documentFamily(), p.family);
        }
    }
}
