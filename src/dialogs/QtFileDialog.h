#pragma once

#include "dialogs/FileDialog.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <optional>

class QFileDialog;
class QWidget;

namespace quill {

// Where a file dialog goes on the monitor that shows the main window: centred horizontally, one
// third of the remaining height above it and two thirds below (divisions round toward zero).
QPoint fileDialogPosition(const QRect& monitor, const QSize& dialog);

// One file dialog of the window on Qt's QFileDialog, made once and kept for the run, so it keeps
// its folder, size and view between showings. The desktop's native dialog is used where the
// platform theme offers one; Qt's own dialog is placed by fileDialogPosition() once laid out.
class QtFileDialog : public QObject {
public:
    QtFileDialog(const FileDialog& settings, QWidget* owner);
    ~QtFileDialog() override;

    // Shows the dialog modally, starting with the remembered name and filter entry.
    std::optional<FileChoice> exec(const FileDialog& memory);
    // False once the owner has taken the dialog down with it.
    bool alive() const { return !dialog_.isNull(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> owner_;
    QPointer<QFileDialog> dialog_;
};

} // namespace quill
