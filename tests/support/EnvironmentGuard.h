#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace quill::test {

// Puts an environment variable back as it was (set or unset) when the guard goes.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(const char* name)
        : name_(name), saved_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name)) {}
    ~EnvironmentGuard() {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    const char* name_;
    QByteArray saved_;
    bool wasSet_;
};

} // namespace quill::test
