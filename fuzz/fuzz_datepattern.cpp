// Any pattern, any time, any settings: expansion never fails and the date and time text never
// passes 256 characters. The same bytes also go through the reading of a locale's Qt formats.
#include "datetime/DateTimeFormat.h"
#include "datetime/DateTimeValue.h"
#include "datetime/LocaleFormatSettings.h"
#include "datetime/NumberFormat.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

int takeInt(const std::uint8_t*& data, std::size_t& size) {
    std::int32_t value = 0;
    const std::size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quill;
    const std::uint8_t flags = size > 0 ? data[0] : 0;
    if (size > 0) {
        ++data;
        --size;
    }
    LocalTime time;
    // Small inputs keep the fields in their real ranges; larger ones may pass any int.
    if (flags & 0x80) {
        time = {takeInt(data, size), takeInt(data, size), takeInt(data, size), takeInt(data, size),
                takeInt(data, size), takeInt(data, size), takeInt(data, size)};
    } else {
        const auto byte = [&](int range) {
            const int value = size > 0 ? data[0] % range : 0;
            if (size > 0) {
                ++data;
                --size;
            }
            return value;
        };
        time = {1 + byte(9999), 1 + byte(12), 1 + byte(31), byte(24),
                byte(60),       byte(60),     byte(1000)};
    }
    const QString pattern = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    FormatSettings settings;
    settings.shortDatePattern = pattern;
    settings.hourLeadingZero = flags & 1;
    settings.twentyFourHourClock = flags & 2;
    settings.markerBeforeTime = flags & 4;
    if (flags & 8)
        settings.morningSymbol = pattern.left(40);

    const QString text = dateTimeText(time, settings);
    if (text.size() > maxDateTimeTextLength)
        std::abort();
    (void)expandDateTimePattern(pattern, time, settings, 4096);
    (void)generalNumberText(dateTimeValue(time), settings.decimalSeparator);

    LocaleItems items;
    items.shortDateFormat = pattern;
    items.shortTimeFormat = pattern;
    items.decimalPoint = pattern.left(2);
    const FormatSettings fromLocale = LocaleFormatSettings::fromItems(items);
    if (fromLocale.shortDatePattern.size() > 255)
        std::abort();
    if (dateTimeText(time, fromLocale).size() > maxDateTimeTextLength)
        std::abort();
    return 0;
}
