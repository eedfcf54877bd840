#include "rtf/RtfKeyword.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace quill {

namespace {

using enum RtfKeyword;

// Sorted by name for binary search.
constexpr std::pair<std::string_view, RtfKeyword> keywords[] = {
    {"annotation", SkippedDestination},
    {"ansi", Ansi},
    {"ansicpg", AnsiCodePage},
    {"atnauthor", SkippedDestination},
    {"atndate", SkippedDestination},
    {"atnid", SkippedDestination},
    {"atnref", SkippedDestination},
    {"author", SkippedDestination},
    {"b", Bold},
    {"bin", Binary},
    {"blue", Blue},
    {"bullet", Bullet},
    {"cb", Background},
    {"cell", Cell},
    {"cf", Foreground},
    {"chcbpat", Background},
    {"colortbl", ColorTable},
    {"comment", SkippedDestination},
    {"cpg", FontCodePage},
    {"deff", DefaultFont},
    {"dibitmap", OtherBlip},
    {"doccomm", SkippedDestination},
    {"emdash", EmDash},
    {"emfblip", OtherBlip},
    {"emspace", EmSpace},
    {"endash", EnDash},
    {"enspace", EnSpace},
    {"f", Font},
    {"fcharset", FontCharset},
    {"fi", FirstIndent},
    {"field", Field},
    {"fldinst", FieldInstruction},
    {"fldrslt", FieldResult},
    {"fonttbl", FontTable},
    {"footer", SkippedDestination},
    {"footerf", SkippedDestination},
    {"footerl", SkippedDestination},
    {"footerr", SkippedDestination},
    {"footnote", SkippedDestination},
    {"fs", FontSize},
    {"green", Green},
    {"header", SkippedDestination},
    {"headerf", SkippedDestination},
    {"headerl", SkippedDestination},
    {"headerr", SkippedDestination},
    {"highlight", Background},
    {"i", Italic},
    {"info", SkippedDestination},
    {"intbl", InTable},
    {"jpegblip", JpegBlip},
    {"keywords", SkippedDestination},
    {"ldblquote", LeftDoubleQuote},
    {"li", LeftIndent},
    {"lin", LeftIndent},
    {"line", Line},
    {"listtable", SkippedDestination},
    {"listtext", ShownGroup},
    {"lquote", LeftQuote},
    {"ltrmark", LtrMark},
    {"mac", Mac},
    {"macpict", OtherBlip},
    {"nestcell", Cell},
    {"nestrow", NestedRow},
    {"nonesttables", SkippedDestination},
    {"nonshppict", SkippedDestination},
    {"nosupersub", NoSuperSub},
    {"objdata", SkippedDestination},
    {"object", ShownGroup},
    {"operator", SkippedDestination},
    {"page", Par},
    {"par", Par},
    {"pard", ParagraphDefault},
    {"pc", Pc},
    {"pca", Pca},
    {"pich", PictureHeight},
    {"pichgoal", PictureGoalHeight},
    {"picscalex", PictureScaleX},
    {"picscaley", PictureScaleY},
    {"pict", Picture},
    {"picw", PictureWidth},
    {"picwgoal", PictureGoalWidth},
    {"plain", Plain},
    {"pmmetafile", OtherBlip},
    {"pn", SkippedDestination},
    {"pngblip", PngBlip},
    {"pntext", ShownGroup},
    {"pntxta", SkippedDestination},
    {"pntxtb", SkippedDestination},
    {"private", SkippedDestination},
    {"qc", AlignCenter},
    {"qj", AlignJustify},
    {"ql", AlignLeft},
    {"qmspace", QuarterSpace},
    {"qr", AlignRight},
    {"rdblquote", RightDoubleQuote},
    {"red", Red},
    {"result", ShownGroup},
    {"revtbl", SkippedDestination},
    {"ri", RightIndent},
    {"rin", RightIndent},
    {"row", Row},
    {"rquote", RightQuote},
    {"rsidtbl", SkippedDestination},
    {"rtf", Rtf},
    {"rtlmark", RtlMark},
    {"sa", SpaceAfter},
    {"sb", SpaceBefore},
    {"scaps", SmallCaps},
    {"sect", Par},
    {"shp", ShownGroup},
    {"shppict", ShownGroup},
    {"sl", LineSpacing},
    {"slmult", LineMultiple},
    {"strike", Strike},
    {"striked", Strike},
    {"stylesheet", SkippedDestination},
    {"sub", Subscript},
    {"subject", SkippedDestination},
    {"super", Superscript},
    {"tab", Tab},
    {"tc", SkippedDestination},
    {"tcn", SkippedDestination},
    {"template", SkippedDestination},
    {"title", SkippedDestination},
    {"txe", SkippedDestination},
    {"u", Unicode},
    {"uc", UnicodeSkip},
    {"ud", UnicodeVersion},
    {"ul", Underline},
    {"uld", Underline},
    {"uldash", Underline},
    {"uldashd", Underline},
    {"uldashdd", Underline},
    {"uldb", Underline},
    {"ulhwave", Underline},
    {"ulldash", Underline},
    {"ulnone", UnderlineNone},
    {"ulth", Underline},
    {"ulthd", Underline},
    {"ulthdash", Underline},
    {"ulthdashd", Underline},
    {"ulthdashdd", Underline},
    {"ulthldash", Underline},
    {"ululdbwave", Underline},
    {"ulw", Underline},
    {"ulwave", Underline},
    {"upr", UnicodePair},
    {"v", Hidden},
    {"wbitmap", OtherBlip},
    {"wmetafile", OtherBlip},
    {"xe", SkippedDestination},
    {"zwj", ZeroWidthJoiner},
    {"zwnj", ZeroWidthNonJoiner},
};

static_assert(std::ranges::is_sorted(keywords, {},
                                     &std::pair<std::string_view, RtfKeyword>::first));

// Where the words of each first letter start in the table, and one past "z": the search for
// a word then looks only among the few with its first letter.
constexpr std::array<std::uint8_t, 27> byFirstLetter = [] {
    std::array<std::uint8_t, 27> starts{};
    std::size_t k = 0;
    for (std::size_t letter = 0; letter < 27; ++letter) {
        while (k < std::size(keywords) && std::size_t(keywords[k].first.front() - 'a') < letter)
            ++k;
        starts[letter] = std::uint8_t(k);
    }
    return starts;
}();
static_assert(std::size(keywords) < 256);

} // namespace

RtfKeyword rtfKeyword(std::string_view word) {
    // Control words are ASCII letters; the table has lower-case ones only.
    if (word.empty() || word.front() < 'a' || word.front() > 'z')
        return Unknown;
    const std::size_t letter = std::size_t(word.front() - 'a');
    const auto first = std::begin(keywords) + byFirstLetter[letter];
    const auto last = std::begin(keywords) + byFirstLetter[letter + 1];
    const auto found = std::ranges::lower_bound(first, last, word, {},
                                                &std::pair<std::string_view, RtfKeyword>::first);
    return found != last && found->first == word ? found->second : Unknown;
}

char16_t rtfCharacter(RtfKeyword keyword) {
    switch (keyword) {
    case Line:
        return QChar::LineSeparator;
    case Tab:
        return u'\t';
    case EmDash:
        return u'\u2014';
    case EnDash:
        return u'\u2013';
    case Bullet:
        return u'\u2022';
    case LeftQuote:
        return u'\u2018';
    case RightQuote:
        return u'\u2019';
    case LeftDoubleQuote:
        return u'\u201C';
    case RightDoubleQuote:
        return u'\u201D';
    case EmSpace:
        return u'\u2003';
    case EnSpace:
        return u'\u2002';
    case QuarterSpace:
        return u'\u2005';
    case LtrMark:
        return u'\u200E';
    case RtlMark:
        return u'\u200F';
    case ZeroWidthJoiner:
        return u'\u200D';
    case ZeroWidthNonJoiner:
        return u'\u200C';
    default:
        return 0;
    }
}

bool isKnownStarredDestination(RtfKeyword keyword) {
    switch (keyword) {
    case FieldInstruction:
    case FieldResult:
    case Field:
    case Picture:
    case ShownGroup:
    case UnicodeVersion:
    case UnicodePair:
        return true;
    default:
        return false;
    }
}

} // namespace quill
