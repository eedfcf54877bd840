#include "exchange/DelimitedScanner.h"

#include "exchange/TextPosition.h"

using namespace Qt::StringLiterals;

namespace quill {

DelimitedScanner::DelimitedScanner(QByteArrayView text, qsizetype start, char separator,
                                   bool quotes, char comment)
    : text_(text), pos_(start), separator_(separator), quotes_(quotes), comment_(comment) {}

bool DelimitedScanner::next(std::vector<std::string>& fields) {
    fields.clear();
    while (comment_ != 0 && pos_ < text_.size() && text_[pos_] == comment_) {
        while (!atLineEnd())
            ++pos_;
        skipLineEnd();
    }
    if (pos_ >= text_.size())
        return false;
    lineStart_ = pos_;
    if (atLineEnd()) {
        skipLineEnd();
        return true;
    }
    for (;;) {
        std::string& field = fields.emplace_back();
        if (quotes_ && pos_ < text_.size() && text_[pos_] == '"')
            readQuoted(field);
        else
            readPlain(field);
        if (pos_ < text_.size() && text_[pos_] == separator_) {
            ++pos_;
            continue;
        }
        skipLineEnd();
        return true;
    }
}

void DelimitedScanner::readQuoted(std::string& field) {
    const qsizetype opening = pos_++;
    for (;;) {
        if (pos_ >= text_.size())
            failAt(text_, opening, u"this quoted field never ends"_s);
        const char c = text_[pos_];
        if (c == '"') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                field += '"';
                pos_ += 2;
                continue;
            }
            ++pos_;
            break;
        }
        if (c == '\r' || c == '\n')
            failAt(text_, pos_, u"a field holds a line break, which a list entry cannot hold"_s);
        const qsizetype begin = pos_;
        while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\r' &&
               text_[pos_] != '\n')
            ++pos_;
        field.append(text_.data() + begin, std::size_t(pos_ - begin));
    }
    if (pos_ < text_.size() && text_[pos_] != separator_ && !atLineEnd())
        failAt(text_, pos_,
               u"text follows a closing quote (a quote inside a quoted field is doubled)"_s);
}

void DelimitedScanner::readPlain(std::string& field) {
    const qsizetype begin = pos_;
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == separator_ || c == '\r' || c == '\n')
            break;
        ++pos_;
    }
    field.assign(text_.data() + begin, std::size_t(pos_ - begin));
}

void DelimitedScanner::skipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == '\r')
        ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n')
        ++pos_;
}

} // namespace quill
