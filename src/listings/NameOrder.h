#pragma once

#include <QByteArray>
#include <QCollator>
#include <QLocale>

#include <vector>

namespace quill {

// Sorts listing names ascending in a locale's collation with letter case ignored. Names that
// collate equal keep a fixed order (by their bytes), and none is dropped: on a volume that
// tells case apart, "Docs" and "docs" are two folders.
class NameOrder {
public:
    explicit NameOrder(const QLocale& locale = QLocale());

    void sort(std::vector<QByteArray>& names) const;

private:
    QCollator collator_;
    bool byCodePoint_;
};

} // namespace quill
