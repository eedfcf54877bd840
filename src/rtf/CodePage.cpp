#include "rtf/CodePage.h"

#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <map>
#include <utility>

namespace quill {

namespace {

// Windows-1252 from 0x80 to 0x9F; the five holes keep their C1 code points, as Windows does.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Symbol font's bytes that have Unicode counterparts and occur in real files (list
// bullets, arrows, relations, card suits); the rest keep Word's private-use mapping U+F0hh.
constexpr std::pair<unsigned char, char16_t> symbolHigh[] = {
    {0xA3, 0x2264}, {0xA7, 0x2663}, {0xA8, 0x2666}, {0xA9, 0x2665}, {0xAA, 0x2660}, {0xAB, 0x2194},
    {0xAC, 0x2190}, {0xAD, 0x2191}, {0xAE, 0x2192}, {0xAF, 0x2193}, {0xB0, 0x00B0}, {0xB1, 0x00B1},
    {0xB3, 0x2265}, {0xB4, 0x00D7}, {0xB5, 0x221D}, {0xB7, 0x2022}, {0xB8, 0x00F7}, {0xB9, 0x2260},
    {0xBA, 0x2261}, {0xBB, 0x2248}, {0xBC, 0x2026}, {0xD7, 0x22C5}, {0xE0, 0x25CA}};

// Greek letters at the Latin letters' places, as the Symbol font draws them.
constexpr char16_t symbolGreek[26] = {0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
                                      0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD,
                                      0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5,
                                      0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6};

QByteArray decoderNameFor(int number) {
    switch (number) {
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 10000:
        return "macintosh";
    case 10007:
        return "x-mac-cyrillic";
    case 65001:
        return "UTF-8";
    case 932:
        return "windows-932";
    case 936:
        return "windows-936";
    case 949:
        return "windows-949";
    case 950:
        return "windows-950";
    default:
        break;
    }
    for (const char* prefix : {"windows-", "cp", "ibm-"}) {
        QByteArray name = prefix + QByteArray::number(number);
        if (QStringDecoder(name.constData()).isValid())
            return name;
    }
    return {};
}

bool isMultiBytePage(int number) {
    return number == 932 || number == 936 || number == 949 || number == 950 || number == 1361 ||
           number == 65001 || (number >= 10001 && number <= 10003) || number == 10008;
}

} // namespace

CodePage::CodePage(int number) : number_(number) {
    if (number == symbol) {
        for (int byte = 0; byte < 256; ++byte)
            table_[byte] = byte < 0x80 ? char16_t(byte) : char16_t(0xF000 + byte);
        for (int letter = 0; letter < 26; ++letter) {
            table_['A' + letter] = QChar(symbolGreek[letter]).toUpper().unicode();
            table_['a' + letter] = symbolGreek[letter];
        }
        for (const auto& [byte, character] : symbolHigh)
            table_[byte] = character;
        return;
    }
    QByteArray decoderName;
    if (number != 1252) {
        decoderName = decoderNameFor(number);
        if (decoderName.isEmpty())
            number_ = 1252;
    }
    if (number_ == 1252) {
        for (int byte = 0; byte < 256; ++byte)
            table_[byte] = char16_t(byte);
        std::copy(std::begin(cp1252High), std::end(cp1252High), table_.begin() + 0x80);
        return;
    }
    multiByte_ = isMultiBytePage(number_);
    if (multiByte_) {
        decoder_ = std::make_shared<QStringDecoder>(decoderName.constData(),
                                                    QStringConverter::Flag::Stateless);
        return;
    }
    QStringDecoder decoder(decoderName.constData());
    for (int byte = 0; byte < 256; ++byte) {
        const char one = char(byte);
        const QString text = decoder(QByteArrayView(&one, 1));
        table_[byte] = text.size() == 1 ? text.front().unicode() : char16_t(0xFFFD);
        decoder.resetState();
    }
}

std::shared_ptr<const CodePage> CodePage::shared(int number) {
    // Files name few pages; ever new numbers beyond these are built for each reader alone.
    constexpr std::size_t maxShared = 256;
    static QMutex mutex;
    static std::map<int, std::shared_ptr<const CodePage>> pages;
    {
        const QMutexLocker lock(&mutex);
        if (const auto found = pages.find(number); found != pages.end())
            return found->second;
    }
    auto page = std::make_shared<const CodePage>(number);
    if (!page->isMultiByte()) {
        const QMutexLocker lock(&mutex);
        if (pages.size() < maxShared)
            pages.emplace(number, page);
    }
    return page;
}

QString CodePage::decode(QByteArrayView bytes) const {
    if (!multiByte_) {
        QString text(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            text[i] = QChar(table_[static_cast<unsigned char>(bytes[i])]);
        return text;
    }
    // A line end after the bytes makes a lead byte without its trail byte show as U+FFFD
    // instead of vanishing; the line end itself is removed again.
    QByteArray terminated;
    terminated.reserve(bytes.size() + 1);
    terminated.append(bytes).append('\n');
    QString text = (*decoder_)(terminated);
    if (text.endsWith(u'\n'))
        text.chop(1);
    // Some pages substitute the control character SUB for broken bytes.
    text.replace(QChar(0x1A), QChar::ReplacementCharacter);
    return text;
}

int CodePage::forCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return symbol;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return -1;
    }
}

} // namespace quill
