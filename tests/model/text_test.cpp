#include <gtest/gtest.h>

#include <string>

#include "model/text.h"

namespace ks {
namespace {

// Texts of every length around the short-text buffer come out whole.
TEST(Text, FormatKeepsEveryLength) {
    EXPECT_EQ(Format("%s", ""), "");
    EXPECT_EQ(Format("Out: %.2f", 0.4371), "Out: 0.44");
    for (const std::size_t n : {254u, 255u, 256u, 257u, 1000u}) {
        const std::string text(n, 'x');
        EXPECT_EQ(Format("%s", text.c_str()), text) << n;
        EXPECT_EQ(Format("<%s>", text.c_str()), "<" + text + ">") << n;
    }
}

}  // namespace
}  // namespace ks
