#include "dialogs/PromptDialog.h"

#include "fields/SingleLineValidator.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <memory>

namespace quill {

using namespace Qt::StringLiterals;

namespace {

constexpr int maxTypedLength = 255;

} // namespace

PromptDialog::PromptDialog(const QString& caption, const QString& label, const QString& text,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      label_(new QLabel(label, this)), edit_(new QLineEdit(this)) {
    setWindowTitle(caption);
    setFont(promptFont());

    const Units units = unitsOf(font());
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    const int labelWidth = units.x(164);
    const int labelHeight =
        label.isEmpty() ? QFontMetrics(font()).height() : label_->heightForWidth(labelWidth);
    label_->setGeometry(units.x(8), units.y(8), labelWidth, labelHeight);

    // The user types at most 255 characters; a longer text from the caller is not cut.
    edit_->setMaxLength(std::max(maxTypedLength, int(text.size())));
    edit_->setValidator(new SingleLineValidator(edit_));
    edit_->setText(text);
    edit_->selectAll();
    edit_->setGeometry(units.x(8), label_->geometry().bottom() + 1 + 5, labelWidth,
                       edit_->sizeHint().height());

    auto* ok = new QPushButton(u"OK"_s, this);
    auto* cancel = new QPushButton(u"Cancel"_s, this);
    const int buttonTop = edit_->geometry().bottom() + 1 + 15;
    ok->setGeometry(units.x(38), buttonTop, units.x(50), units.y(14));
    cancel->setGeometry(units.x(92), buttonTop, units.x(50), units.y(14));
    // Enter presses the button that has the focus; from the edit line it presses OK.
    ok->setAutoDefault(true);
    cancel->setAutoDefault(true);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    // QDialog already rejects on Esc and on the close box.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(units.x(180), cancel->geometry().bottom() + 1 + 13);
    edit_->setFocus();
}

QFont PromptDialog::promptFont() {
    QFont font(u"MS Sans Serif"_s);
    font.setPointSize(8);
    return font;
}

PromptDialog::Units PromptDialog::unitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s;
    return {metrics.horizontalAdvance(letters) / 52, metrics.height()};
}

QString PromptDialog::text() const {
    return edit_->text();
}

void PromptDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        centreOnScreen();
    }
}

void PromptDialog::centreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

std::optional<QString> PromptDialog::ask(QWidget* parent, const QString& caption,
                                         const QString& label, const QString& text) {
    // Owned here and destroyed before the answer goes back.
    auto dialog = std::make_unique<PromptDialog>(caption, label, text, parent);
    dialog->setWindowModality(Qt::ApplicationModal);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->text();
}

} // namespace quill
