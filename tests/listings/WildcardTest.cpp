#include "listings/Wildcard.h"

#include <gtest/gtest.h>

#include <ostream>

namespace quill {
namespace {

struct MatchRow {
    const char* pattern;
    const char* name;
    bool matches;
};

void PrintTo(const MatchRow& row, std::ostream* out) {
    *out << '"' << row.pattern << "\" on \"" << row.name << '"';
}

class WildcardTest : public ::testing::TestWithParam<MatchRow> {};

TEST_P(WildcardTest, matchesLikeFileDialogs) {
    const MatchRow& row = GetParam();
    EXPECT_EQ(Wildcard(QByteArrayView(row.pattern)).matches(QByteArrayView(row.name)), row.matches)
        << "pattern " << row.pattern << " name " << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WildcardTest,
    ::testing::Values(
        // "*.*" takes every name, dotless and hidden ones too.
        MatchRow{"*.*", "README", true}, MatchRow{"*.*", ".bashrc", true},
        MatchRow{"*.*", "a.b.c", true}, MatchRow{"*.*", "trailing.", true},
        MatchRow{"*", "anything at all", true},
        // Letter case is ignored on both sides, beyond ASCII as well.
        MatchRow{"*.EXE", "setup.exe", true}, MatchRow{"*.exe", "SETUP.EXE", true},
        MatchRow{"\xc3\x84*", "\xc3\xa4pfel", true}, MatchRow{"*.exe", "setup.exe.bak", false},
        MatchRow{"*.txt", "txt", false},
        // "*." asks for names without an extension.
        MatchRow{"*.", "Makefile", true}, MatchRow{"*.", "main.cpp", false},
        // "name.*" also matches the bare name.
        MatchRow{"readme.*", "readme", true}, MatchRow{"readme.*", "readme.md", true},
        MatchRow{"readme.*", "readmeX", false},
        // "?" is one character, or none before a dot or at the end.
        MatchRow{"a?c", "abc", true}, MatchRow{"a?c", "ac", false},
        MatchRow{"file?.txt", "file.txt", true}, MatchRow{"file?.txt", "file1.txt", true},
        MatchRow{"file?.txt", "file12.txt", false}, MatchRow{"ab??", "ab", true},
        MatchRow{"ab??", "abcde", false}, MatchRow{"?", "\xff", true},
        MatchRow{"?", "\xc3\xa4", true},
        // "*" in the middle and several stars.
        MatchRow{"a*b*c", "aXXbYYc", true}, MatchRow{"a*b*c", "aXXcYYb", false},
        MatchRow{"*a*", "banana", true}, MatchRow{"*.tar.gz", "x.tar.gz", true},
        MatchRow{"*.tar.gz", "x.gz", false},
        // Blanks are ordinary characters; an empty pattern matches nothing.
        MatchRow{"my *", "my file", true}, MatchRow{"", "x", false}));

} // namespace
} // namespace quill
