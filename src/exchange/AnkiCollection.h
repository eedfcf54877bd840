#pragma once

#include "exchange/FlashcardFormat.h"
#include "exchange/PairLists.h"

namespace quill {

class SqliteDatabase;

// An Anki collection: the tables notes and col.
bool isAnkiCollection(const SqliteDatabase& database);

// One pair per note, oldest first (note id): the first field the word, the second the meaning
// (fields split at the byte 0x1F), as text: HTML tags and images dropped, character references
// decoded, line breaks and block ends a blank, "[sound:...]" dropped. With the option deck only
// the notes with a card in that deck or one below it ("Deck::Sub"); the deck names come from
// the decks table of newer collections, else from the JSON of col.decks. Throws Failure when a
// table lacks a column it needs, OptionFailure (naming the decks there are) for a deck that is
// not there.
PairLists readAnkiCollection(const SqliteDatabase& database, const ImportOptions& options);

} // namespace quill
