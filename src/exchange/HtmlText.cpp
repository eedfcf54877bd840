#include "exchange/HtmlText.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <utility>

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

// The character a reference's name (between & and ;) stands for, or 0.
char32_t referencedCharacter(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, char32_t>, 6> named{{
        {"amp", U'&'},
        {"lt", U'<'},
        {"gt", U'>'},
        {"quot", U'"'},
        {"apos", U'\''},
        {"nbsp", U'\u00A0'},
    }};
    for (const auto& [entity, character] : named) {
        if (name == entity)
            return character;
    }
    if (name.size() < 2 || name[0] != '#')
        return 0;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return char32_t(value);
}

bool isLineBreakTag(std::string_view tag) {
    if (tag.size() < 2 || (tag[0] != 'b' && tag[0] != 'B') || (tag[1] != 'r' && tag[1] != 'R'))
        return false;
    return tag.size() == 2 || tag[2] == ' ' || tag[2] == '/';
}

} // namespace

std::string plainFromHtml(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            const std::size_t close = html.find('>', i);
            if (close != std::string_view::npos) {
                if (isLineBreakTag(html.substr(i + 1, close - i - 1)))
                    out += ' ';
                i = close + 1;
                continue;
            }
        } else if (html[i] == '&') {
            const std::size_t semicolon = html.find(';', i);
            if (semicolon != std::string_view::npos && semicolon - i <= 10) {
                if (const char32_t c = referencedCharacter(html.substr(i + 1, semicolon - i - 1))) {
                    appendUtf8(out, c);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        out += html[i++];
    }
    return out;
}

} // namespace quill
