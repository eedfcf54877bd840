#pragma once

#include "exchange/PairLists.h"

#include <QByteArrayView>

namespace quill {

// The history of a dictionary program: UTF-8 text whose every line is a group number, one
// blank and a word ("0 word"), the latest lookup first; the last line may end with a line
// break. A line with a tab is not a history line (it is tab-separated text).
bool isDictionaryHistory(QByteArrayView text);

// The history's words with empty meanings, oldest first; a word looked up again keeps its
// first place. Lines that are not history lines are skipped (isDictionaryHistory finds none).
PairLists readDictionaryHistory(QByteArrayView text);

} // namespace quill
