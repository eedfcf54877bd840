#include "listings/ListingCache.h"

#include <gtest/gtest.h>

namespace quill {
namespace {

// Sets an environment variable for the lifetime of the scope.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~EnvironmentScope() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

TEST(ListingCache, isQuillbookInXdgCacheHomeElseInHomeCache) {
    const struct {
        QByteArray cacheHome, expected;
    } rows[] = {{"/x/cache", "/x/cache/Quillbook"},
                {"", "/h/.cache/Quillbook"},
                {"relative/cache", "/h/.cache/Quillbook"}};
    const EnvironmentScope home("HOME", "/h");
    for (const auto& row : rows) {
        const EnvironmentScope cacheHome("XDG_CACHE_HOME", row.cacheHome);
        EXPECT_EQ(defaultListingCache(), row.expected) << row.cacheHome.constData();
    }
}

} // namespace
} // namespace quill
