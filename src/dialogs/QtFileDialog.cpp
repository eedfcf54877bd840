#include "dialogs/QtFileDialog.h"

#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

namespace quill {

QPoint fileDialogPosition(const QRect& monitor, const QSize& dialog) {
    return {monitor.left() + (monitor.width() - dialog.width()) / 2,
            monitor.top() + (monitor.height() - dialog.height()) / 3};
}

QtFileDialog::QtFileDialog(const FileDialog& settings, QWidget* owner) : owner_(owner) {
    dialog_ = new QFileDialog(owner);
    dialog_->setObjectName(settings.name);
    dialog_->setAcceptMode(settings.kind == FileDialog::Kind::Open ? QFileDialog::AcceptOpen
                                                                   : QFileDialog::AcceptSave);
    // One file, which need not exist, and no question before replacing one.
    dialog_->setFileMode(QFileDialog::AnyFile);
    dialog_->setOption(QFileDialog::DontConfirmOverwrite);
    dialog_->setNameFilters(nameFilters(settings.filter));
    // An open dialog completes a typed name only when no file of that name exists (exec()).
    if (settings.kind == FileDialog::Kind::Save)
        dialog_->setDefaultSuffix(defaultSuffix(settings.defaultExtension));
    dialog_->installEventFilter(this);
}

QtFileDialog::~QtFileDialog() {
    delete dialog_.data();
}

std::optional<FileChoice> QtFileDialog::exec(const FileDialog& memory) {
    if (!dialog_)
        return std::nullopt;
    const QStringList filters = dialog_->nameFilters();
    if (memory.filterIndex >= 1 && memory.filterIndex <= filters.size())
        dialog_->selectNameFilter(filters.at(memory.filterIndex - 1));
    auto* name = dialog_->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!memory.fileName.isEmpty()) {
        dialog_->selectFile(memory.fileName);
        // The remembered name comes up selected, so that a name or path typed over it replaces
        // it instead of being added to its end.
        if (name)
            name->selectAll();
    } else if (name) {
        name->clear(); // a cancelled showing leaves nothing behind for the next one
    }
    if (dialog_->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog_->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    const qsizetype filter = filters.indexOf(dialog_->selectedNameFilter());
    const QString path =
        memory.kind == FileDialog::Kind::Open
            ? openedFileName(files.constFirst(), defaultSuffix(memory.defaultExtension))
            : files.constFirst();
    return FileChoice{path, filter < 0 ? memory.filterIndex : int(filter) + 1};
}

bool QtFileDialog::eventFilter(QObject* watched, QEvent* event) {
    // The show event comes after the layout and before the window reaches the screen. A native
    // dialog leaves this widget off the screen and places itself. The event type is checked
    // first: while the dialog is being destroyed it is no longer a QFileDialog.
    if (event->type() == QEvent::Show && watched == dialog_ &&
        !dialog_->testAttribute(Qt::WA_DontShowOnScreen)) {
        const QScreen* screen = owner_ && owner_->screen() ? owner_->screen() : dialog_->screen();
        if (screen)
            dialog_->move(fileDialogPosition(screen->geometry(), dialog_->frameGeometry().size()));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quill
