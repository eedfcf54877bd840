#pragma once

#include "datetime/FormatSettingsSource.h"

namespace quill::test {

// Format settings fixed by the test; reads are counted so a test can tell they were taken.
class FixedFormatSettings : public FormatSettingsSource {
public:
    explicit FixedFormatSettings(FormatSettings settings = {}) : settings_(std::move(settings)) {}
    void set(FormatSettings settings) { settings_ = std::move(settings); }
    FormatSettings formatSettings() const override {
        ++reads_;
        return settings_;
    }
    int reads() const { return reads_; }

private:
    FormatSettings settings_;
    mutable int reads_ = 0;
};

} // namespace quill::test
