#pragma once

#include "datetime/FormatSettingsSource.h"
#include "datetime/LocaleItems.h"

class QLocale;

namespace quill {

// The format settings of the application's locale (the system locale unless the program chose
// another), read anew on every call so a changed locale shows in the next insertion.
class LocaleFormatSettings : public FormatSettingsSource {
public:
    FormatSettings formatSettings() const override;

    // The C/POSIX locale stands for "no conventions set": it gives every fallback.
    static FormatSettings fromLocale(const QLocale& locale);
    // Each item falls back by itself when it is missing or unusable: a separator or decimal
    // separator must be exactly one character; a short date pattern of more than 255
    // characters is refused.
    static FormatSettings fromItems(const LocaleItems& items);
};

} // namespace quill
