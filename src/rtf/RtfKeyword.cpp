#include "rtf/RtfKeyword.h"

#include <QChar>

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace quill {

namespace {

using enum RtfKeyword;

// Sorted by name, so a word is easy to find and to add.
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

} // namespace

RtfKeyword rtfKeyword(std::string_view word) {
    // Every control word of a document is looked up: one hash and one comparison each.
    static const std::unordered_map<std::string_view, RtfKeyword> byName(std::begin(keywords),
                                                                         std::end(keywords));
    const auto found = byName.find(word);
    return found != byName.end() ? found->second : Unknown;
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
