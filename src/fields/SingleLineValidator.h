#pragma once

#include <QValidator>

namespace quill {

// Keeps an edit line on one line: every line break (CR LF, CR or LF) and every NUL character
// becomes one blank. Pasted or dropped text could otherwise carry them into an entry, and the
// list file would read such an entry back as several lines. The sign U+2400, which is how a
// field shows a byte 0 of an entry, stays: it is stored as that byte 0 and shows as the same
// sign again after a save and a load.
class SingleLineValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;
};

} // namespace quill
