#pragma once

#include <QDialog>
#include <QFont>

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

    // The font average character size: width of "A".."Z","a".."z" over 52 rounded down, and
    // the height of that text. Lengths are given in quarters of x and eighths of y.
    struct Units {
        int averageWidth = 0;
        int height = 0;
        int x(int quarters) const { return roundedDivision(quarters * averageWidth, 4); }
        int y(int eighths) const { return roundedDivision(eighths * height, 8); }

    private:
        static int roundedDivision(int numerator, int denominator) {
            return (2 * numerator + denominator) / (2 * denominator);
        }
    };
    static QFont promptFont();
    static Units unitsOf(const QFont& font);

    // Shows the prompt modally; the answer when OK was pressed, nothing otherwise.
    static std::optional<QString> ask(QWidget* parent, const QString& caption, const QString& label,
                                      const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void centreOnScreen();

    QLabel* label_;
    QLineEdit* edit_;
    bool centred_ = false;
};

} // namespace quill
