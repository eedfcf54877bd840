#pragma once

namespace quill {

class EntryList;

// Appends "a," to "z,"; false when the list refuses one (those before it stay).
bool appendOrdinalCharacters(EntryList& list);

} // namespace quill
