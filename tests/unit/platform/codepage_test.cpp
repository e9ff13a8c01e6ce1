#include <gtest/gtest.h>

#include "platform/codepage.h"

using namespace tavrin::platform;

TEST(CodePage, AsciiNamesConvertBothWays) {
    const auto ansi = Utf16ToAnsi(u"frame_01.bmp");
    ASSERT_TRUE(ansi);
    EXPECT_EQ(*ansi, "frame_01.bmp");
    EXPECT_EQ(AnsiToUtf16("frame_01.bmp"), u"frame_01.bmp");
}

TEST(CodePage, At1023BytesFitsAnd1024Fails) {
    std::u16string name(1023, u'a');
    const auto fits = Utf16ToAnsi(name.c_str());
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits->size(), 1023u);
    name.push_back(u'b');
    EXPECT_FALSE(Utf16ToAnsi(name.c_str()));
}

TEST(CodePage, NullNameFails) { EXPECT_FALSE(Utf16ToAnsi(nullptr)); }
