#pragma once

#include "datetime/FormatSettings.h"

namespace quill {

// Where the date and time commands read the user's conventions, each time they run, so tests
// can fix them.
class FormatSettingsSource {
public:
    virtual ~FormatSettingsSource() = default;
    virtual FormatSettings formatSettings() const = 0;
};

} // namespace quill
