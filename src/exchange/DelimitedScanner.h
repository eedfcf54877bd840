#pragma once

#include <QByteArrayView>

#include <string>
#include <vector>

namespace quill {

// Splits separated text into lines of fields. Lines end at CR LF, CR or LF. With quotes on, a
// field that starts with a double quote runs to the next lone quote, and a doubled quote inside
// stands for one; a quote elsewhere is an ordinary character.
class DelimitedScanner {
public:
    // Starts at byte `start`. Lines starting with `comment` (when not 0) are skipped.
    DelimitedScanner(QByteArrayView text, qsizetype start, char separator, bool quotes,
                     char comment = 0);

    // Reads the next line's fields (none for a blank line); false at the end of the text.
    // Throws Failure "line L, column C: ..." for a quoted field that never ends, a closing
    // quote followed by more text, and a line break inside a quoted field (list entries cannot
    // hold one).
    bool next(std::vector<std::string>& fields);
    // Where the line just read starts.
    qsizetype lineStart() const { return lineStart_; }

private:
    void readQuoted(std::string& field);
    void readPlain(std::string& field);
    bool atLineEnd() const {
        return pos_ >= text_.size() || text_[pos_] == '\r' || text_[pos_] == '\n';
    }
    void skipLineEnd();

    QByteArrayView text_;
    qsizetype pos_;
    qsizetype lineStart_ = 0;
    char separator_;
    bool quotes_;
    char comment_;
};

} // namespace quill
