#include "window/FindBar.h"

#include "fields/EntryListView.h"
#include "fields/FieldCombo.h"
#include "search/PairSearch.h"
#include "window/FindResultModel.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

QString countText(qsizetype count, bool finished) {
    const QString number = QLocale().toString(count);
    if (!finished)
        return u"%1 pairs so far\u2026"_s.arg(number);
    if (count == 0)
        return u"No pair found"_s;
    return count == 1 ? u"1 pair"_s : u"%1 pairs"_s.arg(number);
}

QShortcut* makeShortcut(QWidget* parent, const char* name, const QKeySequence& keys) {
    auto* shortcut = new QShortcut(keys, parent);
    shortcut->setObjectName(QLatin1StringView(name));
    // Active anywhere in the window, but only while the bar is shown.
    shortcut->setContext(Qt::WindowShortcut);
    return shortcut;
}

} // namespace

FindBar::FindBar(PairSearch& search, FieldCombo& words, FieldCombo& meanings, QWidget* parent)
    : QWidget(parent), search_(search), words_(words), meanings_(meanings),
      text_(new QLineEdit(this)), scope_(new QComboBox(this)), count_(new QLabel(this)),
      list_(new EntryListView(this)), model_(new FindResultModel(this)), again_(new QTimer(this)),
      updatePosted_(std::make_shared<std::atomic<bool>>(false)) {
    setObjectName(u"FindBar"_s);
    setAutoFillBackground(true);
    text_->setObjectName(u"FindText"_s);
    text_->setPlaceholderText(u"Find a word or meaning"_s);
    text_->setAccessibleName(u"Find"_s);
    text_->setAccessibleDescription(
        u"Lists the pairs whose word or meaning holds the text, letter case and accents "
        u"ignored"_s);
    text_->setClearButtonEnabled(true);
    text_->installEventFilter(this);
    scope_->setObjectName(u"FindScope"_s);
    scope_->addItems({u"Both fields"_s, u"Field 1 only"_s, u"Field 2 only"_s});
    scope_->setAccessibleName(u"Look in"_s);
    count_->setObjectName(u"FindCount"_s);
    count_->setAccessibleDescription(u"How many pairs hold the text"_s);
    count_->setMinimumWidth(140);
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    list_->setObjectName(u"FindResults"_s);
    list_->setAccessibleName(u"Matching pairs"_s);
    list_->setAccessibleDescription(u"Word and meaning of each pair found; Enter selects the "
                                    u"pair in both fields"_s);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setModel(model_);

    auto* row = new QHBoxLayout;
    row->addWidget(text_, 1);
    row->addWidget(scope_);
    row->addWidget(count_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(row);
    layout->addWidget(list_, 1);
    setFixedSize(593, 176);

    again_->setSingleShot(true);
    again_->setInterval(0);
    connect(again_, &QTimer::timeout, this, &FindBar::search);
    connect(text_, &QLineEdit::textChanged, this, &FindBar::search);
    connect(scope_, &QComboBox::currentIndexChanged, this, &FindBar::search);
    connect(list_, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { chooseRow(index.row()); });
    // Entries added, removed or replaced: the search runs again on the lists as they are now.
    const auto entriesGone = [this] {
        stale_ = true;
        again_->start();
    };
    for (FieldCombo* field : {&words_, &meanings_}) {
        QAbstractItemModel* entries = field->model();
        connect(entries, &QAbstractItemModel::rowsInserted, again_, qOverload<>(&QTimer::start));
        connect(entries, &QAbstractItemModel::rowsRemoved, this, entriesGone);
        connect(entries, &QAbstractItemModel::modelReset, this, entriesGone);
    }
    connect(makeShortcut(this, "FindClose", Qt::Key_Escape), &QShortcut::activated, this,
            &FindBar::close);
    connect(makeShortcut(this, "FindNext", QKeySequence::FindNext), &QShortcut::activated, this,
            [this] { step(+1); });
    connect(makeShortcut(this, "FindPrevious", QKeySequence::FindPrevious), &QShortcut::activated,
            this, [this] { step(-1); });
}

FindBar::~FindBar() {
    if (run_)
        run_->cancel();
    search_.waitForIdle();
}

void FindBar::open() {
    if (isHidden())
        returnFocus_ = QApplication::focusWidget();
    show();
    raise();
    text_->setFocus();
    text_->selectAll();
    search();
}

void FindBar::close() {
    hide();
    // What the bar held goes with it: the copies of the lists and the matches.
    if (run_)
        run_->cancel();
    run_.reset();
    model_->setRun(nullptr);
    stepDirection_ = 0;
    if (returnFocus_ && returnFocus_->isVisible())
        returnFocus_->setFocus();
}

void FindBar::search() {
    again_->stop();
    if (run_)
        run_->cancel();
    run_.reset();
    stale_ = false;
    stepDirection_ = 0;
    if (isHidden() || text_->text().isEmpty()) {
        model_->setRun(nullptr);
        count_->clear();
        return;
    }
    // A worker may report after the next search has begun; the flag of this one tells it apart.
    updatePosted_ = std::make_shared<std::atomic<bool>>(false);
    const auto posted = updatePosted_;
    run_ = search_.start(words_.entries(), meanings_.entries(), text_->text(),
                         SearchScope(scope_->currentIndex()), [this, posted] {
                             if (!posted->exchange(true))
                                 QMetaObject::invokeMethod(
                                     this,
                                     [this, posted] {
                                         posted->store(false);
                                         if (posted == updatePosted_)
                                             update();
                                     },
                                     Qt::QueuedConnection);
                         });
    model_->setRun(run_);
    count_->setText(countText(0, false));
}

void FindBar::update() {
    if (!run_)
        return;
    model_->update();
    count_->setText(
        countText(run_->finished() ? run_->settledCount() : run_->foundSoFar(), run_->finished()));
    takeStep();
}

void FindBar::choose(qsizetype pair) {
    if (stale_ || pair < 0)
        return;
    chosen_ = pair;
    Q_EMIT pairChosen();
}

void FindBar::chooseRow(int row) {
    choose(model_->pairAt(row));
}

void FindBar::step(int direction) {
    if (!run_)
        return;
    stepDirection_ = direction;
    stepFrom_ = words_.selectedIndex() >= 0 ? words_.selectedIndex() : meanings_.selectedIndex();
    takeStep();
}

void FindBar::takeStep() {
    if (stepDirection_ == 0 || !run_)
        return;
    const bool finished = run_->finished();
    qsizetype pair = -1;
    if (stepDirection_ > 0) {
        pair = run_->nextMatch(stepFrom_);
        if (pair < 0 && finished)
            pair = run_->nextMatch(-1);
    } else {
        const qsizetype before = stepFrom_ < 0 ? run_->pairCount() : stepFrom_;
        // Only a settled stretch below the pair tells which match comes last before it.
        if (run_->settled() >= before || finished)
            pair = run_->previousMatch(before);
        if (pair < 0 && finished)
            pair = run_->previousMatch(run_->pairCount());
    }
    if (pair < 0 && !finished)
        return; // the search has not got that far yet
    stepDirection_ = 0;
    choose(pair);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            chooseRow(list_->currentIndex().isValid() ? list_->currentIndex().row() : 0);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // The list's current row moves while the typing goes on.
            QApplication::sendEvent(list_, event);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quill
