#pragma once

#include <QValidator>

namespace quill {

// Keeps an edit line on one line: every line break (CR LF, CR or LF) and every NUL becomes one
// blank. Pasted or dropped text could otherwise carry them into an entry, and the list file would
// read such an entry back as several lines or end at the NUL.
class SingleLineValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;
};

} // namespace quill
