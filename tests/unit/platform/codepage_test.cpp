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

#ifndef _WIN32
// File names are bytes, and this program never calls setlocale: names in any
// script still convert, to UTF-8, and back.
TEST(CodePage, AnyNameConvertsToUtf8WhateverTheLocale) {
    const struct {
        std::u16string wide;
        std::string utf8;
    } cases[] = {{u"caf\u00E9.png", "caf\xC3\xA9.png"},
                 {u"\u753B\u50CF.bmp", "\xE7\x94\xBB\xE5\x83\x8F.bmp"},
                 {u"\U0001F4F7.avi", "\xF0\x9F\x93\xB7.avi"}};
    for (const auto& c : cases) {
        const auto utf8 = Utf16ToAnsi(c.wide.c_str());
        ASSERT_TRUE(utf8) << c.utf8;
        EXPECT_EQ(*utf8, c.utf8);
        EXPECT_EQ(AnsiToUtf16(c.utf8), c.wide);
    }
    // Half a surrogate pair names no character; bytes that are not UTF-8 no name.
    for (const char16_t* broken : {u"a\xD83D.png", u"\xDCF7" u"b.png"}) {
        EXPECT_FALSE(Utf16ToAnsi(broken));
    }
    for (const char* broken : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\x80x"}) {
        EXPECT_EQ(AnsiToUtf16(broken), u"") << broken;
    }
}
#endif
