#pragma once

#include "exchange/FlashcardFormat.h"
#include "exchange/PairLists.h"

namespace quill {

class SqliteDatabase;

// KOReader's vocabulary builder: the tables vocabulary and title.
bool isKoreaderVocabulary(const SqliteDatabase& database);

// One pair per word, with the sentence around it (prev_context, the word, next_context, joined
// and trimmed) as the meaning, oldest first (create_time). Honours the options meaning and
// book; the database keeps no language. Throws Failure when a table lacks a column it needs.
PairLists readKoreaderVocabulary(const SqliteDatabase& database, const ImportOptions& options);

} // namespace quill
