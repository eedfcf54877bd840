#pragma once

#include "exchange/FlashcardFormat.h"
#include "exchange/PairLists.h"

namespace quill {

class SqliteDatabase;

// A Kindle's Vocabulary Builder: the tables WORDS and LOOKUPS (and BOOK_INFO for the titles).
bool isKindleVocabulary(const SqliteDatabase& database);

// One pair per word, as it was looked up, with the sentence of its latest lookup (`usage`) as
// the meaning; in the order the words were first looked up. Honours the options meaning, book
// and language. Throws Failure when a table lacks a column it needs, or the database is damaged.
PairLists readKindleVocabulary(const SqliteDatabase& database, const ImportOptions& options);

} // namespace quill
