#include <gtest/gtest.h>

extern "C" int tavrin_public_headers_compile_as_c(void);

TEST(PublicHeaders, CompileAsPlainCWithTheRecordSizes) {
    EXPECT_EQ(tavrin_public_headers_compile_as_c(), 32 + 36 + 40 + 0x8002 + 13);
}
