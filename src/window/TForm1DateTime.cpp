#include "window/FormServices.h"
#include "window/TForm1.h"

#include "core/ByteText.h"
#include "datetime/DateTimeFormat.h"
#include "datetime/DateTimeValue.h"
#include "datetime/NumberFormat.h"
#include "fields/FieldCombo.h"

namespace quill {

// Both commands read the clock and the user's conventions anew each time, and set only the
// edit text of their field: the entries and the selection stay as they are.

void TForm1::DateTime1Click() {
    const LocalTime now = services_.clock->localTime();
    const FormatSettings settings = services_.formatSettings->formatSettings();
    ComboBox1->setEditBytes(storedBytes(dateTimeText(now, settings)));
}

void TForm1::imeCodeFormate1Click() {
    const LocalTime now = services_.clock->localTime();
    const FormatSettings settings = services_.formatSettings->formatSettings();
    ComboBox2->setEditBytes(
        storedBytes(generalNumberText(dateTimeValue(now), settings.decimalSeparator)));
}

} // namespace quill
