#include "exchange/HtmlText.h"

#include "core/ByteText.h"
#include "exchange/HtmlEntities.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace quill {
namespace {

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiAlphanumeric(char c) {
    return isAsciiLetter(c) || (c >= '0' && c <= '9');
}

int digitValue(char c, bool hex) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Elements that start a new line when shown, so the words on either side are apart.
bool isBlockElement(std::string_view name) {
    static constexpr std::string_view blocks[] = {
        "address", "article",  "aside",      "blockquote", "br",      "dd",    "div",   "dl",
        "dt",      "fieldset", "figcaption", "figure",     "footer",  "form",  "h1",    "h2",
        "h3",      "h4",       "h5",         "h6",         "header",  "hr",    "li",    "main",
        "nav",     "ol",       "p",          "pre",        "section", "table", "tbody", "td",
        "tfoot",   "th",       "thead",      "tr",         "ul"};
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return std::find(std::begin(blocks), std::end(blocks), lower) != std::end(blocks);
}

struct Tag {
    std::size_t end = 0; // just past the ">", 0 when the "<" opens no tag
    bool block = false;
};

// Where the last tag and the last comment close: a "<" past them opens nothing, which is known
// without looking to the end again for each one.
struct LastEnds {
    std::size_t tag;
    std::size_t comment;
};

Tag tagAt(std::string_view html, std::size_t at, const LastEnds& last) {
    const std::size_t next = at + 1;
    if (html.substr(next, 3) == "!--") {
        if (last.comment == std::string_view::npos || last.comment < next + 3)
            return {};
        return {html.find("-->", next + 3) + 3, false};
    }
    std::size_t nameStart = next;
    if (nameStart < html.size() && html[nameStart] == '/')
        ++nameStart;
    const bool opens =
        nameStart < html.size() &&
        (isAsciiLetter(html[nameStart]) || html[nameStart] == '!' || html[nameStart] == '?');
    if (!opens || last.tag == std::string_view::npos || last.tag < nameStart)
        return {};
    const std::size_t close = html.find('>', nameStart);
    std::size_t nameEnd = nameStart;
    while (nameEnd < close && isAsciiAlphanumeric(html[nameEnd]))
        ++nameEnd;
    return {close + 1, isBlockElement(html.substr(nameStart, nameEnd - nameStart))};
}

// "&#N;" or "&#xH;" at `at` (the semicolon may be missing): its text, and its length (0 when
// there are no digits, and so no reference).
std::size_t numericReference(std::string_view html, std::size_t at, std::string& text) {
    std::size_t pos = at + 2;
    const bool hex = pos < html.size() && (html[pos] == 'x' || html[pos] == 'X');
    if (hex)
        ++pos;
    const std::size_t digits = pos;
    std::uint32_t value = 0;
    for (int digit = 0; pos < html.size() && (digit = digitValue(html[pos], hex)) >= 0; ++pos)
        value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + std::uint32_t(digit), 0x110000);
    if (pos == digits)
        return 0;
    if (pos < html.size() && html[pos] == ';')
        ++pos;
    if (value >= 0x80 && value < 0xA0) {
        // Pages declared as Latin-1 were written in Windows-1252; browsers read them so.
        const char byte = char(value);
        text = readableUtf8(QByteArrayView(&byte, 1)).toStdString();
    } else {
        const bool character =
            value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        appendUtf8(text, character ? char32_t(value) : U'\uFFFD');
    }
    return pos - at;
}

// "&name;" at `at`: its text and its length, 0 for a name HTML does not define.
std::size_t namedReference(std::string_view html, std::size_t at, std::string& text) {
    std::size_t end = at + 1;
    while (end < html.size() && end - at <= longestHtmlEntityName && isAsciiAlphanumeric(html[end]))
        ++end;
    if (end >= html.size() || html[end] != ';')
        return 0;
    const std::u32string_view characters = htmlEntityText(html.substr(at + 1, end - at - 1));
    for (const char32_t c : characters)
        appendUtf8(text, c);
    return characters.empty() ? 0 : end + 1 - at;
}

} // namespace

std::string plainFromHtml(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    // At a block boundary the blanks on either side become one, and none at the field's edges.
    bool blankDue = false;
    const auto put = [&](std::string_view text) {
        if (blankDue) {
            text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
            if (text.empty())
                return;
            if (!out.empty())
                out += ' ';
            blankDue = false;
        }
        out += text;
    };
    std::string reference;
    const LastEnds last{html.rfind('>'), html.rfind("-->")};
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            if (const Tag tag = tagAt(html, i, last); tag.end != 0) {
                if (tag.block) {
                    out.erase(out.find_last_not_of(' ') + 1);
                    blankDue = true;
                }
                i = tag.end;
                continue;
            }
        } else if (html[i] == '&') {
            reference.clear();
            const bool numeric = i + 1 < html.size() && html[i + 1] == '#';
            if (const std::size_t length = numeric ? numericReference(html, i, reference)
                                                   : namedReference(html, i, reference)) {
                put(reference);
                i += length;
                continue;
            }
        }
        const std::size_t next = html.find_first_of("<&", i + 1);
        const std::size_t end = next == std::string_view::npos ? html.size() : next;
        put(html.substr(i, end - i));
        i = end;
    }
    return out;
}

} // namespace quill
