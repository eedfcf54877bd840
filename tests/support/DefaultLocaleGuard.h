#pragma once

#include <QLocale>

namespace quill::test {

// The application's default locale, restored after the test.
class DefaultLocaleGuard {
public:
    DefaultLocaleGuard() : previous_(QLocale()) {}
    ~DefaultLocaleGuard() { QLocale::setDefault(previous_); }
    DefaultLocaleGuard(const DefaultLocaleGuard&) = delete;
    DefaultLocaleGuard& operator=(const DefaultLocaleGuard&) = delete;

private:
    QLocale previous_;
};

} // namespace quill::test
