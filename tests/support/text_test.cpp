#include <gtest/gtest.h>

#include "support/text.h"

TEST(TextHelpers, Placeholder) { EXPECT_EQ(textLength("abc"), 3u); }
