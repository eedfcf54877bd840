#include "exchange/KvtmlScanner.h"

#include <array>

namespace quill {
namespace {

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

constexpr bool isNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= '0' && c <= '9') ||
           c == '-' || c == '.';
}

// ASCII text a character stands for itself in: printable or tab, not markup.
constexpr bool isPlainByte(unsigned char c) {
    return (c >= 0x20 && c < 0x80 && c != '<' && c != '&' && c != '>') || c == '\t';
}

template <bool (*test)(unsigned char)> constexpr std::array<bool, 256> byteTable() {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = test((unsigned char)c);
    return table;
}

constexpr std::array<bool, 256> nameBytes = byteTable<isNameByte>();
constexpr std::array<bool, 256> plainBytes = byteTable<isPlainByte>();

bool isNameChar(char c) {
    return nameBytes[static_cast<unsigned char>(c)];
}

// Length of the UTF-8 sequence at p when it is a character XML 1.0 allows (no surrogate,
// U+FFFE or U+FFFF, shortest form), else 0.
int xmlCharLength(const unsigned char* p, qsizetype left) {
    const auto tail = [&](qsizetype i, unsigned char low, unsigned char high) {
        return i < left && p[i] >= low && p[i] <= high;
    };
    const unsigned char b = p[0];
    if (b >= 0xC2 && b <= 0xDF)
        return tail(1, 0x80, 0xBF) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        const bool second = b == 0xE0   ? tail(1, 0xA0, 0xBF)
                            : b == 0xED ? tail(1, 0x80, 0x9F)
                                        : tail(1, 0x80, 0xBF);
        if (!second || !tail(2, 0x80, 0xBF))
            return 0;
        return b == 0xEF && p[1] == 0xBF && p[2] >= 0xBE ? 0 : 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const bool second = b == 0xF0   ? tail(1, 0x90, 0xBF)
                            : b == 0xF4 ? tail(1, 0x80, 0x8F)
                                        : tail(1, 0x80, 0xBF);
        return second && tail(2, 0x80, 0xBF) && tail(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// The predefined entity at the start of text and the character it stands for.
std::pair<qsizetype, char> entityAt(QByteArrayView text) {
    static constexpr std::pair<QByteArrayView, char> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& [name, c] : entities)
        if (text.startsWith(name))
            return {name.size(), c};
    return {0, 0};
}

} // namespace

std::optional<PairLists> KvtmlScanner::scan(QByteArrayView text) {
    KvtmlScanner scanner(text);
    try {
        scanner.readDocument();
    } catch (const Outside&) {
        return std::nullopt;
    }
    return std::move(scanner.pairs_);
}

// The walk repeats the general reader's, element for element.
void KvtmlScanner::readDocument() {
    if (!text_.startsWith(kvtmlProlog))
        throw Outside{};
    at_ = qsizetype(sizeof(kvtmlProlog) - 1);
    Tag root;
    readStartTag(root);
    if (root.name != "kvtml" || root.attribute != "version" || !root.value.startsWith("2."))
        throw Outside{};
    Tag tag;
    while (readNextStartElement(tag)) {
        if (tag.name == "identifiers")
            readIdentifiers();
        else if (tag.name == "entries")
            readEntries();
        else
            skipCurrentElement();
    }
    for (; at_ < text_.size(); ++at_)
        if (!QByteArrayView(" \t\r\n").contains(text_[at_]))
            throw Outside{};
}

void KvtmlScanner::readIdentifiers() {
    Tag tag;
    while (readNextStartElement(tag)) {
        if (tag.name == "identifier")
            identifiers_ << (tag.attribute == "id" ? tag.value : QByteArrayView());
        skipCurrentElement();
    }
}

void KvtmlScanner::readEntries() {
    Tag tag;
    while (readNextStartElement(tag)) {
        if (tag.name == "entry")
            readEntry();
        else
            skipCurrentElement();
    }
}

void KvtmlScanner::readEntry() {
    const QByteArrayView wordId = identifiers_.value(0, "0");
    const QByteArrayView meaningId = identifiers_.value(1, "1");
    QByteArrayView sides[2];
    QByteArray scratch[2];
    Tag tag;
    while (readNextStartElement(tag)) {
        if (tag.name != "translation") {
            skipCurrentElement();
            continue;
        }
        const QByteArrayView id = tag.attribute == "id" ? tag.value : QByteArrayView();
        const int side = id == wordId ? 0 : id == meaningId ? 1 : -1;
        if (side < 0)
            skipCurrentElement();
        else
            sides[side] = readTranslationText(scratch[side]);
    }
    // A list too large is the general reader's to report.
    if (!pairs_.words.append(sides[0]) || !pairs_.meanings.append(sides[1]))
        throw Outside{};
}

QByteArrayView KvtmlScanner::readTranslationText(QByteArray& scratch) {
    QByteArrayView text;
    Tag tag;
    while (readNextStartElement(tag)) {
        if (tag.name == "text")
            text = readElementText(scratch);
        else
            skipCurrentElement();
    }
    return text;
}

bool KvtmlScanner::readNextStartElement(Tag& tag) {
    readCharacters(nullptr);
    if (at_ + 1 >= text_.size())
        throw Outside{};
    if (text_[at_ + 1] == '/') {
        readEndTag();
        return false;
    }
    readStartTag(tag);
    return true;
}

void KvtmlScanner::skipCurrentElement() {
    Tag tag;
    for (int depth = 1; depth > 0;)
        depth += readNextStartElement(tag) ? 1 : -1;
}

QByteArrayView KvtmlScanner::readElementText(QByteArray& scratch) {
    const QByteArrayView text = readCharacters(&scratch);
    readEndTag();
    return text;
}

// Characters up to the next tag, entities replaced (in scratch when there are any; without
// scratch, only checked). A line break in the text is the general reader's to report.
QByteArrayView KvtmlScanner::readCharacters(QByteArray* scratch) {
    const auto* p = reinterpret_cast<const unsigned char*>(text_.data());
    const qsizetype start = at_;
    qsizetype plain = at_; // start of the run not yet copied
    bool copied = false;
    for (; at_ < text_.size() && p[at_] != '<';) {
        const unsigned char b = p[at_];
        if (plainBytes[b]) {
            ++at_;
        } else if (b >= 0x80) {
            const int length = xmlCharLength(p + at_, text_.size() - at_);
            if (length == 0)
                throw Outside{};
            at_ += length;
        } else if (b == '&') {
            const auto [length, c] = entityAt(text_.sliced(at_));
            if (length == 0)
                throw Outside{};
            if (scratch) {
                if (!copied)
                    scratch->clear();
                scratch->append(text_.sliced(plain, at_ - plain)).append(c);
            }
            copied = true;
            at_ += length;
            plain = at_;
        } else if (b == '\n' || b == '\r') {
            if (scratch)
                throw Outside{};
            ++at_;
        } else {
            throw Outside{};
        }
    }
    if (!copied || !scratch)
        return text_.sliced(start, at_ - start);
    scratch->append(text_.sliced(plain, at_ - plain));
    return *scratch;
}

QByteArrayView KvtmlScanner::readName() {
    const qsizetype start = at_;
    if (at_ >= text_.size() || !isNameStart(text_[at_]))
        throw Outside{};
    while (at_ < text_.size() && isNameChar(text_[at_]))
        ++at_;
    const QByteArrayView name = text_.sliced(start, at_ - start);
    if ((name[0] | 0x20) == 'x' && name.size() >= 3 &&
        name.first(3).compare("xml", Qt::CaseInsensitive) == 0)
        throw Outside{}; // reserved
    return name;
}

// A start tag with one attribute at most, its value plain: <name> or <name attribute="value">.
void KvtmlScanner::readStartTag(Tag& tag) {
    expect('<');
    tag.name = readName();
    tag.attribute = {};
    tag.value = {};
    if (at_ < text_.size() && text_[at_] == ' ') {
        ++at_;
        tag.attribute = readName();
        expect('=');
        expect('"');
        const qsizetype start = at_;
        while (at_ < text_.size() && isNameChar(text_[at_]))
            ++at_;
        tag.value = text_.sliced(start, at_ - start);
        expect('"');
    }
    expect('>');
    open_.append(tag.name);
}

void KvtmlScanner::readEndTag() {
    expect('<');
    expect('/');
    const QByteArrayView name = readName();
    expect('>');
    if (open_.isEmpty() || open_.last() != name)
        throw Outside{};
    open_.removeLast();
}

void KvtmlScanner::expect(char c) {
    if (at_ >= text_.size() || text_[at_] != c)
        throw Outside{};
    ++at_;
}

} // namespace quill
