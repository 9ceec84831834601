#include "files/code_size.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace ks {
namespace {

// Sets an environment variable for one scope, then puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* was = std::getenv(name)) m_was = was, m_had = true;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (m_had)
            setenv(m_name, m_was.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_was;
    bool m_had = false;
};

const char* kOne = "int twice(int x) { return 2 * x; }\n";
const char* kMore =
    "int twice(int x) { return 2 * x; }\n"
    "int mix(int x, int y) { int s = 0; for (int i = 0; i < x; ++i) s += (i ^ y) * (i % 7) - (y >> (i & 3)); return s; }\n";

// The compiler's object, read back: its executable sections, more for more code.
TEST(CodeSize, MeasuresWhatTheCompilerMakes) {
    test::TempDir dir;
    ScopedEnv cc("CC", "cc");
    ScopedEnv flags("CFLAGS", "-Os");
    const CodeSize one = MeasureCodeSize(dir.Write("one.c", kOne));
    const CodeSize more = MeasureCodeSize(dir.Write("more.c", kMore));
    ASSERT_TRUE(one.measured) << one.why;
    ASSERT_TRUE(more.measured) << more.why;
    EXPECT_GT(one.bytes, 0u);
    EXPECT_GT(more.bytes, one.bytes);
    EXPECT_EQ(one.command, "cc -Os");
    EXPECT_NE(DescribeCodeSize(one).find(std::to_string(one.bytes) + " bytes of machine code with cc -Os"), std::string::npos);
    // A name with a quote and a space reaches the compiler whole.
    EXPECT_TRUE(MeasureCodeSize(dir.Write("it's here.c", kOne)).measured);
}

// No compiler, a compiler that fails, source that does not compile: not
// measured, and the line says so instead of giving a number.
TEST(CodeSize, SaysWhyWhenItCannotMeasure) {
    test::TempDir dir;
    const std::string good = dir.Write("one.c", kOne), bad = dir.Write("bad.c", "this is not C\n");
    struct Case {
        const char* cc;
        std::string source;
    } cases[] = {{"false", good}, {"/nonexistent/cc", good}, {"cc", bad}, {"cc", dir.File("missing.c")}};
    for (const Case& c : cases) {
        ScopedEnv cc("CC", c.cc);
        const CodeSize size = MeasureCodeSize(c.source);
        EXPECT_FALSE(size.measured) << c.cc << " " << c.source;
        EXPECT_EQ(DescribeCodeSize(size).rfind("code size: not measured: the compiler did not compile it", 0), 0u)
            << DescribeCodeSize(size);
    }
}

// Objects cut short or pointing outside themselves are refused, never read past their end.
TEST(CodeSize, RefusesDamagedObjects) {
    test::TempDir dir;
    ScopedEnv cc("CC", "cc");
    const std::string object = dir.File("one.o");
    ASSERT_EQ(std::system(("cc -Os -c " + dir.Write("one.c", kOne) + " -o " + object).c_str()), 0);
    const std::string text = test::ReadAll(object);
    const std::vector<std::uint8_t> elf(text.begin(), text.end());
    std::size_t bytes = 0;
    ASSERT_TRUE(ExecutableBytes(elf, bytes));
    EXPECT_GT(bytes, 0u);
    auto damaged = [&](auto change) {
        std::vector<std::uint8_t> b = elf;
        change(b);
        std::size_t n = 0;
        return ExecutableBytes(b, n);
    };
    EXPECT_FALSE(damaged([](auto& b) { b.clear(); }));
    EXPECT_FALSE(damaged([](auto& b) { b[1] = 'X'; }));                                  // not ELF
    EXPECT_FALSE(damaged([](auto& b) { b[4] = 3; }));                                    // no such class
    EXPECT_FALSE(damaged([](auto& b) { b.resize(40); }));                                // header cut short
    EXPECT_FALSE(damaged([](auto& b) { b.resize(b.size() - 8); }));                      // section table cut short
    EXPECT_FALSE(damaged([](auto& b) { b[0x3C] = 0xFF, b[0x3D] = 0xFF; }));              // 65535 sections
    EXPECT_FALSE(damaged([](auto& b) { b[0x2F] = 0x7F; }));                              // table far past the end
    EXPECT_FALSE(damaged([](auto& b) { b[0x3A] = 8, b[0x3B] = 0; }));                    // entries too small
}

// A 32-bit big-endian object, as for some small devices, made by hand: 10
// bytes of code, 100 of zeroed data and 6 of read-only data.
TEST(CodeSize, ReadsThirtyTwoBitBigEndianObjects) {
    std::vector<std::uint8_t> elf(52 + 16, 0);
    auto put = [&](std::size_t at, std::uint32_t v, int width) {
        for (int i = 0; i < width; ++i) elf[at + i] = static_cast<std::uint8_t>(v >> (8 * (width - 1 - i)));
    };
    elf[0] = 0x7F, elf[1] = 'E', elf[2] = 'L', elf[3] = 'F', elf[4] = 1, elf[5] = 2, elf[6] = 1;
    put(0x20, static_cast<std::uint32_t>(elf.size()), 4);  // the section table follows the contents
    put(0x2E, 40, 2);
    put(0x30, 3, 2);
    const std::uint32_t sections[3][3] = {{1, 0x6, 10}, {8, 0x3, 100}, {1, 0x2, 6}};  // type, flags, size
    for (const auto& s : sections) {
        const std::size_t at = elf.size();
        elf.resize(at + 40, 0);
        put(at + 4, s[0], 4);
        put(at + 8, s[1], 4);
        put(at + 0x14, s[2], 4);
    }
    std::size_t bytes = 0;
    ASSERT_TRUE(ExecutableBytes(elf, bytes));
    EXPECT_EQ(bytes, 10u);
}

}  // namespace
}  // namespace ks
