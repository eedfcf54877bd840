#include "app/FontSubstitutions.h"
#include "dialogs/PromptDialog.h"
#include "window/FormFixture.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class FontSubstitution : public FormFixture {};

TEST_F(FontSubstitution, windowFonts_resolveToTheMappedFreeFamilies) {
    installFontSubstitutions();
    makeForm();
    const PromptDialog prompt(u"C"_s, u"L"_s, QString());
    const struct {
        const char* what;
        QFont font;
        QStringList mapped; // the first installed one is expected
    } rows[] = {
        {"primary field", form->ComboBox1->font(), {u"Comic Neue"_s}},
        {"secondary field", form->ComboBox2->font(), {u"Liberation Sans"_s}},
        {"window", form->font(), {u"Liberation Sans"_s, u"DejaVu Sans"_s}},
        {"prompt", prompt.font(), {u"Liberation Sans"_s, u"DejaVu Sans"_s}},
    };
    int checked = 0;
    for (const auto& row : rows) {
        for (const QString& family : row.mapped) {
            if (!QFontDatabase::hasFamily(family))
                continue;
            EXPECT_EQ(QFontInfo(row.font).family().toStdString(), family.toStdString()) << row.what;
            ++checked;
            break;
        }
    }
    if (checked == 0)
        GTEST_SKIP() << "none of the mapped fonts is installed";
}

} // namespace
} // namespace quill::test
