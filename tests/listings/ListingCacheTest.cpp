#include "listings/ListingCache.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

TEST(ListingCache, isQuillbookInXdgCacheHomeElseInHomeCache) {
    const QByteArray home = qgetenv("HOME");
    const QByteArray cacheHome = qgetenv("XDG_CACHE_HOME");
    const struct {
        QByteArray cacheHome, expected;
    } rows[] = {{"/x/cache", "/x/cache/Quillbook"},
                {"", "/h/.cache/Quillbook"},
                {"relative/cache", "/h/.cache/Quillbook"}};
    qputenv("HOME", "/h");
    for (const auto& row : rows) {
        qputenv("XDG_CACHE_HOME", row.cacheHome);
        EXPECT_EQ(defaultListingCache(), row.expected) << row.cacheHome.constData();
    }
    qputenv("HOME", home);
    qputenv("XDG_CACHE_HOME", cacheHome);
}

} // namespace
} // namespace quill
