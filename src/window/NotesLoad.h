#pragma once

#include "dialogs/Dialogs.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QTextDocument;
class QTextEdit;

namespace quill {

// The user ended a load in its progress window; the pane stays as it was.
struct LoadCancelled {};

// One load of a notes file into the notes pane. The file is read, becomes a document and is laid
// out twice: first on its own, at the pane's width, to measure whether the pane can hold it, then
// in the pane. All of it goes in slices between which the event loop turns, under a progress
// window with Cancel once it takes a while, so that the window answers throughout and nothing of
// the layout is left for later.
class NotesLoad {
public:
    // `showPane` shows the pane at its open height; `memoryBudget` is the most memory the
    // document may take, estimated while the file is read, in bytes.
    NotesLoad(Dialogs& dialogs, QTextEdit& pane, qint64 memoryBudget,
              std::function<void()> showPane);
    ~NotesLoad();

    // Makes the file the pane's document, laid out to its end, and shows the pane. Throws
    // OpenFailure when the file cannot be opened, Failure "Failed to Load Stream" when the pane
    // cannot hold what the file becomes (NotesCapacity) or it takes more than the memory budget,
    // and LoadCancelled when the user cancels; the pane then stays as it was.
    void run(const QString& path);

private:
    enum Phase { Reading, Building, Measuring, Placing, Phases };

    QByteArray read(const QString& path);
    std::unique_ptr<QTextDocument> build(const QByteArray& bytes);
    void measure(QTextDocument& document);
    void place(std::unique_ptr<QTextDocument> document);
    // Between slices of work: once a slice has passed, shows the progress window if need be and
    // lets it answer. False once the user has cancelled.
    bool yield(Phase phase, double fraction);
    // The same at the end of a phase, whenever the progress window exists.
    bool finished(Phase phase);
    bool report(Phase phase, double fraction);

    Dialogs& dialogs_;
    QTextEdit& pane_;
    qint64 memoryBudget_;
    std::function<void()> showPane_;
    std::unique_ptr<Dialogs::Progress> progress_;
    qint64 size_ = 1; // the file's bytes, the measure of every phase
    QElapsedTimer sinceYield_;
};

} // namespace quill
