#pragma once

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace quill {

class EntryListView;
class FieldCombo;
class FindResultModel;
class PairSearch;
class SearchRun;

// The find bar below the fields: as the user types, it lists the pairs whose word or meaning
// holds the text, letter case and accents ignored, with their count. Each key starts a search
// on copies of the two fields' lists, taken at that moment, and drops the one before; a change
// of either field's entries starts one again, so the rows always follow the lists. Choosing a
// row (Enter, a double click) or stepping with F3 and Shift+F3 emits pairChosen(); Escape
// closes the bar and drops its search.
class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(PairSearch& search, FieldCombo& words, FieldCombo& meanings, QWidget* parent);
    // Waits for the workers of its searches, which report to it.
    ~FindBar() override;

    // Shows the bar with the focus in its text, which is selected, and searches again.
    void open();
    // Hides the bar; the focus goes back where it was when the bar was opened.
    void close();
    // The pair the user chose last.
    qsizetype chosenPair() const { return chosen_; }

Q_SIGNALS:
    void pairChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Starts a search for the current text and scope; an empty text lists nothing.
    void search();
    // Takes in what the running search settled since the last time.
    void update();
    void choose(qsizetype pair);
    void chooseRow(int row);
    // F3 (+1) and Shift+F3 (-1): the next or previous match after the pair the fields show,
    // wrapping; waits for the search when it has not got that far yet.
    void step(int direction);
    void takeStep();

    PairSearch& search_;
    FieldCombo& words_;
    FieldCombo& meanings_;
    QLineEdit* text_;
    QComboBox* scope_;
    QLabel* count_;
    EntryListView* list_;
    FindResultModel* model_;
    QTimer* again_;
    std::shared_ptr<SearchRun> run_;
    // Set while an update is on its way from a worker to the window's thread.
    std::shared_ptr<std::atomic<bool>> updatePosted_;
    // The lists lost or replaced entries since the search began: its pairs may be others now.
    bool stale_ = false;
    qsizetype chosen_ = -1;
    int stepDirection_ = 0;
    qsizetype stepFrom_ = -1;
    QPointer<QWidget> returnFocus_;
};

} // namespace quill
