#pragma once

#include "exchange/PairLists.h"

#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>

class QWidget;

namespace quill {

// A file dropped on the window: any file import reads. It watches the window and the widgets
// over it that would take a dropped file as text (the fields' line edits), and hands the path
// of one local file dropped on any of them to `dropped`.
class FileDrop : public QObject {
    Q_OBJECT
public:
    FileDrop(QWidget* window, std::initializer_list<QWidget*> alsoOn,
             std::function<void(const QString&)> dropped);

    // What a dropped file adds to the fields: its pairs, read as import reads them, that the
    // lists do not hold yet, behind the empty entries that first line up the shorter list (as
    // import lines them up), and the question that asks for them. Throws Failure "NAME: cause"
    // when the file cannot be read or is no kind import knows.
    struct Addition {
        qsizetype fresh = 0; // new pairs
        EntryList words;     // to append to the primary field
        EntryList meanings;  // to append to the secondary field
        QString question;    // "Add N new pairs from NAME?" and the first few of them
    };
    static Addition addition(const QString& path, const PairLists& lists);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> dropped_;
};

} // namespace quill
