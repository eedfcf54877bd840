#include "listings/Wildcard.h"

#include "core/ByteText.h"

#include <QChar>
#include <QList>
#include <QString>

#include <vector>

namespace quill {
namespace {

// Tokens live above the last code point, so they never equal a character of a name.
constexpr char32_t anyRun = 0x110000;       // "*"
constexpr char32_t runToLastDot = 0x110001; // "*" before ".": stops short of the last dot
constexpr char32_t oneOrEnd = 0x110002;     // "?": one character, or none before a dot or the end
constexpr char32_t dotOrEnd = 0x110003;     // "." before "*", "?" or the end: a dot or the end

} // namespace

Wildcard::Wildcard(QByteArrayView pattern) {
    const std::u32string chars = folded(pattern);
    tokens_.reserve(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        const char32_t next = i + 1 < chars.size() ? chars[i + 1] : 0;
        if (c == U'?')
            tokens_.push_back(oneOrEnd);
        else if (c == U'*')
            tokens_.push_back(next == U'.' ? runToLastDot : anyRun);
        else if (c == U'.' && (next == U'*' || next == U'?' || next == 0))
            tokens_.push_back(dotOrEnd);
        else
            tokens_.push_back(c);
    }
}

std::u32string Wildcard::folded(QByteArrayView name) {
    std::u32string result;
    result.reserve(std::size_t(name.size()));
    bool ascii = true;
    for (const char byte : name) {
        if (static_cast<unsigned char>(byte) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        for (const char byte : name)
            result.push_back(char32_t(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte));
        return result;
    }
    // Bytes that are not UTF-8 stay one character each (see displayText).
    const QList<uint> codePoints = displayText(name).toUcs4();
    for (const uint codePoint : codePoints)
        result.push_back(QChar::toCaseFolded(char32_t(codePoint)));
    return result;
}

bool Wildcard::matches(std::u32string_view name) const {
    if (tokens_.empty())
        return false;
    const std::size_t count = tokens_.size();
    const std::size_t lastDot = name.rfind(U'.');

    // The set of pattern positions reachable after each character of the name; moves that
    // take no character only go forward, so one pass in order completes a set.
    std::vector<char> states(count + 1, 0);
    std::vector<char> next(count + 1, 0);
    const auto close = [&](std::vector<char>& set, std::size_t at) {
        const bool atEnd = at == name.size();
        for (std::size_t p = 0; p < count; ++p) {
            if (!set[p])
                continue;
            const char32_t token = tokens_[p];
            if (token == anyRun || token == runToLastDot ||
                (token == oneOrEnd && (atEnd || name[at] == U'.')) || (token == dotOrEnd && atEnd))
                set[p + 1] = 1;
        }
    };

    states[0] = 1;
    close(states, 0);
    for (std::size_t at = 0; at < name.size(); ++at) {
        const char32_t c = name[at];
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (std::size_t p = 0; p < count; ++p) {
            if (!states[p])
                continue;
            const char32_t token = tokens_[p];
            if (token == anyRun) {
                next[p] = 1;
            } else if (token == runToLastDot) {
                if (lastDot == std::u32string_view::npos || at < lastDot)
                    next[p] = 1;
                else
                    continue;
            } else if (token == oneOrEnd) {
                if (c == U'.')
                    continue;
                next[p + 1] = 1;
            } else if (token == dotOrEnd) {
                if (c != U'.')
                    continue;
                next[p + 1] = 1;
            } else if (token == c) {
                next[p + 1] = 1;
            } else {
                continue;
            }
            any = true;
        }
        if (!any)
            return false;
        close(next, at + 1);
        states.swap(next);
    }
    return states[count] != 0;
}

} // namespace quill
