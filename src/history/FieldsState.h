#pragma once

#include "core/EntryList.h"

#include <QString>

namespace quill {

// What a command may change of one field: its entries, its edit text and its selected entry
// (-1 for none).
struct FieldState {
    EntryList entries;
    QString editText;
    qsizetype selected = -1;

    bool sameAs(const FieldState& other) const {
        return entries.sharesAll(other.entries) && editText == other.editText &&
               selected == other.selected;
    }
};

// Both fields at one moment. A copy shares the entries with the fields (EntryList is a value
// whose copies share their blocks), so taking one costs next to nothing.
struct FieldsState {
    FieldState first;
    FieldState second;

    // Whether both fields hold the very lists of `other`, unchanged since.
    bool sameLists(const FieldsState& other) const {
        return first.entries.sharesAll(other.first.entries) &&
               second.entries.sharesAll(other.second.entries);
    }
    bool sameAs(const FieldsState& other) const {
        return first.sameAs(other.first) && second.sameAs(other.second);
    }
};

} // namespace quill
