#include "listings/NameOrder.h"

#include "core/ByteText.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

namespace quill {

NameOrder::NameOrder(const QLocale& locale)
    : collator_(locale), byCodePoint_(locale.language() == QLocale::C) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

void NameOrder::sort(std::vector<QByteArray>& names) const {
    if (names.size() < 2)
        return;
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    if (byCodePoint_) {
        // The C locale's collator tells case apart whatever it is asked, so fold case here.
        std::vector<QString> folded;
        folded.reserve(names.size());
        for (const QByteArray& name : names)
            folded.push_back(displayText(name).toCaseFolded());
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const int byText = QString::compare(folded[a], folded[b], Qt::CaseSensitive);
            if (byText != 0)
                return byText < 0;
            return names[a] < names[b];
        });
    } else {
        // One sort key per name is much cheaper than collating the pair at every comparison.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(names.size());
        for (const QByteArray& name : names)
            keys.push_back(collator_.sortKey(displayText(name)));
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const int byKey = keys[a].compare(keys[b]);
            if (byKey != 0)
                return byKey < 0;
            return names[a] < names[b];
        });
    }

    std::vector<QByteArray> sorted;
    sorted.reserve(names.size());
    for (const std::size_t index : order)
        sorted.push_back(std::move(names[index]));
    names.swap(sorted);
}

} // namespace quill
