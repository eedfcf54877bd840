#include "listings/IoFailure.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

TEST(IoFailureTest, systemErrorNumbers_giveTheirMessages) {
    const struct {
        int errorNumber;
        QString message;
    } rows[] = {
        {ENOENT, u"File not found"_s},
        {ENOTDIR, u"Invalid filename"_s},
        {EMFILE, u"Too many open files"_s},
        {ENFILE, u"Too many open files"_s},
        {EACCES, u"File access denied"_s},
        {EPERM, u"File access denied"_s},
        {ENOSPC, u"Disk full"_s},
        {ELOOP, u"I/O error %1"_s.arg(ELOOP)},
        {ENAMETOOLONG, u"I/O error %1"_s.arg(ENAMETOOLONG)},
    };
    for (const auto& row : rows) {
        const IoFailure failure(row.errorNumber);
        EXPECT_EQ(failure.message(), row.message) << row.errorNumber;
        EXPECT_EQ(failure.errorNumber(), row.errorNumber);
    }
}

} // namespace
} // namespace quill
