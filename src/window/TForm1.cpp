#include "window/TForm1.h"

#include "core/Failure.h"
#include "dialogs/Dialogs.h"
#include "fields/EditKey.h"
#include "fields/FieldCombo.h"
#include "search/PairSearch.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"
#include "storage/SaveLeftovers.h"
#include "storage/TextBuffer.h"
#include "window/CommandTable.h"
#include "window/FailureReport.h"
#include "window/FileDrop.h"
#include "window/FindBar.h"
#include "window/FormServices.h"
#include "window/LauncherCommands.h"
#include "window/ListingCommands.h"
#include "window/LongWork.h"
#include "window/NotesCommands.h"
#include "window/RegistryCommands.h"
#include "window/TextContrast.h"
#include "window/UndoCommands.h"
#include "window/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>

#include <functional>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

QFont pixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QPushButton* makeSpeedButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1StringView(name));
    button->setGeometry(0, 48, 593, 33);
    // A speed button has no window of its own and never takes the keyboard focus.
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

struct FieldLook {
    const char* name;
    QRect geometry;
    QString hint;
    int itemHeight;
    QFont font;
};

FieldCombo* makeField(QWidget* parent, const FieldLook& look) {
    auto* field = new FieldCombo(parent);
    field->setObjectName(QLatin1StringView(look.name));
    field->setGeometry(look.geometry);
    field->setToolTip(look.hint);
    field->setItemHeight(look.itemHeight);
    field->setFont(look.font);
    field->setCursor(Qt::PointingHandCursor);
    return field;
}

void describeField(FieldCombo* field, const QString& name, const QString& description) {
    for (QWidget* part : {static_cast<QWidget*>(field), static_cast<QWidget*>(field->lineEdit())}) {
        part->setAccessibleName(name);
        part->setAccessibleDescription(description);
    }
}

void setColours(QWidget* control, const ColourPair& colours, QPalette::ColorRole base,
                QPalette::ColorRole text) {
    QPalette palette = control->palette();
    palette.setColor(base, colours.base);
    palette.setColor(text, colours.text);
    control->setPalette(palette);
}

// Runs the work; the text the failure report shows for what it raised, if anything.
std::optional<QString> failureOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const WorkCancelled&) {
        // The user stopped long work in its progress window: nothing to report.
        return std::nullopt;
    } catch (const Failure& failure) {
        return failure.message();
    } catch (const std::bad_alloc&) {
        return u"Out of memory"_s;
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        // Nothing may cross the event loop: it would end the program.
        return u"Unexpected failure"_s;
    }
    return std::nullopt;
}

} // namespace

TForm1::TForm1(FormServices services, QWidget* parent)
    : QMainWindow(parent), ownServices_(std::make_unique<FormServices>(std::move(services))),
      ownMemo_(std::make_unique<TextBuffer>()), Memo1(*ownMemo_), services_(*ownServices_),
      startedAt_(fileClockNow()),
      listPair_(std::make_unique<ListPairSync>(QString::fromUtf16(PhraseFileName),
                                               QString::fromUtf16(MeanFileName))) {
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Word, Phrase, Slange, Sentence And Meaning Collector & Other... "_s);
    // A tool window: title and close box only, and the user cannot resize it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(pixelFont(u"MS Sans Serif"_s, 11));

    client_ = new QWidget(this);
    client_->setObjectName(u"ClientArea"_s);
    client_->setAutoFillBackground(true);
    QPalette background = client_->palette();
    background.setColor(QPalette::Window, Qt::black);
    client_->setPalette(background);
    setCentralWidget(client_);

    buildControls();
    buildMenus();
    buildCommands();
    buildFileDialogs();
    buildNotes();
    // The drop ends before the question is asked: the program the file came from waits for it.
    new FileDrop(this, {ComboBox1->lineEdit(), ComboBox2->lineEdit()}, [this](const QString& file) {
        droppedFile_ = file;
        QTimer::singleShot(0, this, [this] { runCommand(&TForm1::FormDragDrop); });
    });
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    autoSize();
    ComboBox1->setFocus();
}

TForm1::~TForm1() {
    // The bar waits for its searches' workers, which search_ owns.
    delete findBar_;
}

void TForm1::buildControls() {
    // Creation order matters: SpeedButton2 lies over SpeedButton1 and takes the clicks while
    // it is visible.
    SpeedButton1 = makeSpeedButton(client_, "SpeedButton1", u"Data Take..."_s);
    SpeedButton1->setToolTip(u"Data Take...."_s);
    SpeedButton2 = makeSpeedButton(client_, "SpeedButton2", u"New Data Take..."_s);
    SpeedButton2->hide();

    ComboBox1 = makeField(client_, {"ComboBox1", QRect(0, 0, 593, 25), u"Field 1"_s, 17,
                                    pixelFont(u"Comic Sans MS"_s, 12)});
    ComboBox2 = makeField(
        client_, {"ComboBox2", QRect(0, 24, 593, 23), u"Field 2"_s, 15, pixelFont(u"Arial"_s, 12)});
    setTabOrder(ComboBox1, ComboBox2);
    // What a screen reader says of the fields, instead of their current entries.
    describeField(ComboBox1, u"Word or phrase"_s,
                  u"Field 1: the words and phrases collected, one entry each"_s);
    describeField(ComboBox2, u"Meaning"_s,
                  u"Field 2: the meanings, each of the entry of field 1 at the same place"_s);

    StatusBar1 = new QStatusBar(client_);
    StatusBar1->setObjectName(u"StatusBar1"_s);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, 80, 593, 30);
    StatusBar1->setFont(pixelFont(u"Tahoma"_s, 16, true));
    StatusBar1->setAutoFillBackground(true);
    StatusBar1->hide();
    search_ = std::make_unique<PairSearch>();
    findBar_ = new FindBar(*search_, *ComboBox1, *ComboBox2, client_);
    findBar_->hide();
    connect(findBar_, &FindBar::pairChosen, this, [this] { runCommand(&TForm1::selectFoundPair); });
    applyColours();

    connect(SpeedButton1, &QPushButton::clicked, this,
            [this] { runCommand(&TForm1::SpeedButton1Click); });
    connect(SpeedButton2, &QPushButton::clicked, this,
            [this] { runCommand(&TForm1::SpeedButton2Click); });
    connect(ComboBox1, &FieldCombo::fieldChanged, this,
            [this] { runCommand(&TForm1::ComboBox1Change); });
    connect(ComboBox2, &FieldCombo::fieldChanged, this,
            [this] { runCommand(&TForm1::ComboBox2Change); });
    // The take buttons never take the focus; from the keyboard Ctrl+Return presses the one on
    // top, as a click would.
    auto* take = new QShortcut(this);
    take->setObjectName(u"TakeShortcut"_s);
    take->setKeys(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(take, &QShortcut::activated, this,
            [this] { (SpeedButton2->isVisible() ? SpeedButton2 : SpeedButton1)->click(); });

    controls_ = {SpeedButton1, SpeedButton2, ComboBox1, ComboBox2, StatusBar1, findBar_};
    for (QWidget* control : controls_)
        control->installEventFilter(this);
}

void TForm1::buildCommands() {
    listings_ =
        std::make_unique<ListingCommands>(*services_.dialogs, *ComboBox1, services_.folders);
    launcher_ =
        std::make_unique<LauncherCommands>(services_.starter, *ComboBox1, services_.programs);
    launcher_->loadEditorObject();
    registry_ = std::make_unique<RegistryCommands>(
        *ComboBox1, *ComboBox2, services_.registryStorePath, services_.registryLockWaitMs);
    undo_ = std::make_unique<UndoCommands>(*services_.dialogs, *ComboBox1, *ComboBox2,
                                           services_.undoMemoryBudget);
}

void TForm1::buildMenus() {
    // Menus are built from the command table: each row's name is the action's object name.
    std::vector<QMenu*> open; // open[d] is the menu that rows of depth d + 1 go into
    const auto table = commandTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const CommandRow& row = table[i];
        const QString caption = QString::fromUtf16(row.caption);
        const QString name = QLatin1StringView(row.name);
        const bool isMenu = i + 1 < table.size() && table[i + 1].depth > row.depth;
        open.resize(std::size_t(row.depth));
        if (isMenu) {
            QMenu* menu =
                row.depth == 0 ? menuBar()->addMenu(caption) : open.back()->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            menu->setEnabled(row.enabledAtStart);
            open.push_back(menu);
            continue;
        }
        QAction* action = open.back()->addAction(caption);
        action->setObjectName(name);
        action->setEnabled(row.enabledAtStart);
        action->setShortcuts(commandKeys(row));
        if (const Handler handler = row.handler)
            connect(action, &QAction::triggered, this, [this, handler] { runCommand(handler); });
    }
}

void TForm1::runCommand(Handler handler) {
    const bool step = commandDepth_ == 0 && makesUndoStep(handler);
    ++commandDepth_;
    std::optional<QString> failure = failureOf([this, handler, step] {
        if (step)
            undo_->begin();
        (this->*handler)();
    });
    // A failed command keeps what it did, and that can be undone too.
    if (step) {
        if (std::optional<QString> recorded = failureOf([this] { undo_->end(); }); !failure)
            failure = std::move(recorded);
    }
    --commandDepth_;
    if (failure)
        reportFailure(*failure);
}

bool TForm1::makesUndoStep(Handler handler) {
    // The first load is where undoing stops; typing and picking (in a field or in the find bar)
    // are the edit boxes' own, with their own undo.
    for (const Handler other :
         {&TForm1::FormActivate, &TForm1::Undo1Click, &TForm1::Redo1Click, &TForm1::ComboBox1Change,
          &TForm1::ComboBox2Change, &TForm1::selectFoundPair}) {
        if (handler == other)
            return false;
    }
    return true;
}

void TForm1::reportFailure(const QString& message) {
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    services_.dialogs->reportFailure(failureReportText(message),
                                     applicationTitle(QCoreApplication::applicationFilePath()));
}

void TForm1::applyColours() {
    // The theme's colours are read anew on every palette or theme change. Each control keeps its
    // own look where its text reads well and takes the theme's pair for its kind of text where
    // not (in a dark theme the beige bar would carry light text).
    const QPalette theme = palette();
    const auto pair = [&theme](QPalette::ColorRole base, QPalette::ColorRole text) {
        return ColourPair{theme.color(base), theme.color(text)};
    };
    const ColourPair field1 = readablePair(pair(QPalette::ToolTipBase, QPalette::WindowText),
                                           pair(QPalette::ToolTipBase, QPalette::ToolTipText));
    const ColourPair field2 = readablePair({theme.color(QPalette::Highlight), QColor(Qt::white)},
                                           pair(QPalette::Highlight, QPalette::HighlightedText));
    const ColourPair bar = readablePair({QColor(236, 233, 216), theme.color(QPalette::ButtonText)},
                                        pair(QPalette::Window, QPalette::WindowText));
    setColours(ComboBox1, field1, QPalette::Base, QPalette::Text);
    setColours(ComboBox1, field1, QPalette::Button, QPalette::ButtonText);
    setColours(ComboBox2, field2, QPalette::Base, QPalette::Text);
    setColours(ComboBox2, field2, QPalette::Button, QPalette::ButtonText);
    setColours(StatusBar1, bar, QPalette::Window, QPalette::WindowText);
    // The find bar lies on the black client area: its own background is the theme's.
    setColours(findBar_, pair(QPalette::Window, QPalette::WindowText), QPalette::Window,
               QPalette::WindowText);
}

bool TForm1::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::ThemeChange:
        // After the base class: it is what takes the new palette.
        if (StatusBar1)
            applyColours();
        break;
    default:
        break;
    }
    if (event->type() == QEvent::Show && !centred_) {
        centred_ = true;
        centreOnScreen();
        // Some desktops never activate a new window (no window manager, focus stealing
        // prevention): the fields are loaded right after the first showing all the same.
        QTimer::singleShot(0, this, [this] { activateOnce(); });
    }
    if (event->type() == QEvent::WindowActivate)
        activateOnce();
    return result;
}

void TForm1::activateOnce() {
    // The load runs once: prompts, file dialogs, message boxes and switching programs activate
    // the window again, but must not reload fields that hold unsaved entries.
    if (activated_)
        return;
    activated_ = true;
    runCommand(&TForm1::FormActivate);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == RichEdit1 &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        // The notes pane keeps its own undo and redo while it has the focus, also for the usual
        // keys the desktop does not bind, which the window's "&Edit" menu takes elsewhere.
        auto* key = static_cast<QKeyEvent*>(event);
        const EditKey edit = editKey(*key);
        if (edit != EditKey::None && !desktopEditKey(*key)) {
            if (event->type() == QEvent::KeyPress && !RichEdit1->isReadOnly())
                edit == EditKey::Undo ? RichEdit1->undo() : RichEdit1->redo();
            key->accept();
            return true;
        }
    }
    switch (event->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    case QEvent::Move:
    case QEvent::Resize:
        autoSize();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::autoSize() {
    // The client area is the bounding box of the visible controls.
    QRect box;
    for (QWidget* control : controls_) {
        if (!control->isHidden() && control != findBar_)
            box |= control->geometry();
    }
    // The find bar goes below all the others, so none of them moves and the window grows by the
    // bar's height while it is shown.
    if (!findBar_->isHidden()) {
        if (findBar_->pos() != QPoint(0, box.bottom() + 1))
            findBar_->move(0, box.bottom() + 1);
        box |= findBar_->geometry();
    }
    client_->setFixedSize(box.right() + 1, box.bottom() + 1);
}

void TForm1::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TForm1::Exit2Click() {
    close();
}

void TForm1::FormDragDrop() {
    const FileDrop::Addition addition = [this] {
        // A vocabulary of a million lookups takes a while to read before the question shows.
        WaitCursor busy;
        return FileDrop::addition(droppedFile_, {ComboBox1->entries(), ComboBox2->entries()});
    }();
    if (addition.fresh == 0)
        throw Failure(u"%1 holds no pair that the lists do not have already"_s.arg(
            QFileInfo(droppedFile_).fileName()));
    if (!services_.dialogs->askOkCancel(addition.question,
                                        applicationTitle(QCoreApplication::applicationFilePath())))
        return;
    ComboBox1->addEntries(addition.words);
    ComboBox2->addEntries(addition.meanings);
    saveFields();
}

void TForm1::On1Click() {
    StatusBar1->show();
}

void TForm1::Off1Click() {
    StatusBar1->hide();
}

void TForm1::Find1Click() {
    findBar_->open();
}

void TForm1::selectFoundPair() {
    // As picking the entry in the primary field would: the pair in both fields, and the counter.
    ComboBox1->select(findBar_->chosenPair());
    ComboBox2->select(findBar_->chosenPair());
    setEntryCounter();
}

} // namespace quill
