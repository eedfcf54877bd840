#pragma once

#include "exchange/PairLists.h"

namespace quill {

class SqliteDatabase;

// A Kobo reader's database with its word list: the table WordList.
bool isKoboWordList(const SqliteDatabase& database);

// The words of the list with empty meanings, oldest first (DateCreated). Throws Failure when
// the table lacks a column it needs.
PairLists readKoboWordList(const SqliteDatabase& database);

} // namespace quill
