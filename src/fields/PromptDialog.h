#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;

namespace quill {

// The one-line text prompt: caption, label, pre-filled text, OK and Cancel. Its geometry comes
// from the font's average letter width and height, as dialog units do.
class PromptDialog : public QDialog {
    Q_OBJECT
public:
    PromptDialog(const QString& caption, const QString& label, const QString& text,
                 QWidget* parent = nullptr);

    QString text() const;

    // Shows the prompt modally; the answer when OK was pressed, nothing otherwise.
    static std::optional<QString> ask(QWidget* parent, const QString& caption,
                                      const QString& label, const QString& text);

private:
    QLabel* label_;
    QLineEdit* edit_;
};

} // namespace quill
