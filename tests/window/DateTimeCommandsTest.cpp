#include "app/ProductionServices.h"
#include "support/DefaultLocaleGuard.h"
#include "window/FormFixture.h"

#include "datetime/DateTimeValue.h"
#include "datetime/LocaleFormatSettings.h"
#include "datetime/SystemClock.h"
#include "support/FixedClock.h"
#include "support/FixedFormatSettings.h"
#include "support/WorkedDateValues.h"

#include <QDir>
#include <QLocale>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class DateTimeCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        services.clock = clock;
        services.formatSettings = settings;
    }
    static QString editText(const FieldCombo& field) { return displayText(field.editBytes()); }

    std::shared_ptr<FixedClock> clock =
        std::make_shared<FixedClock>(LocalTime{2026, 12, 7, 3, 4, 5, 0});
    std::shared_ptr<FixedFormatSettings> settings = std::make_shared<FixedFormatSettings>();
};

TEST_F(DateTimeCommands, dateAndTime_setsOnlyThePrimaryEditText) {
    makeForm();
    fill(*form->ComboBox1, {u"one"_s, u"two"_s});
    fill(*form->ComboBox2, {u"eins"_s, u"zwei"_s});
    form->ComboBox2->select(1);
    trigger("DateTime1");
    EXPECT_EQ(editText(*form->ComboBox1), u"12/7/26 3:04:05 am"_s);
    EXPECT_EQ(texts(*form->ComboBox1), (QStringList{u"one"_s, u"two"_s}));
    EXPECT_EQ(texts(*form->ComboBox2), (QStringList{u"eins"_s, u"zwei"_s}));
    EXPECT_EQ(editText(*form->ComboBox2), u"zwei"_s);
    EXPECT_EQ(form->ComboBox2->selectedIndex(), 1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty()); // no file written
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(DateTimeCommands, encodedFormat_setsOnlyTheSecondaryEditText) {
    makeForm();
    fill(*form->ComboBox1, {u"one"_s});
    fill(*form->ComboBox2, {u"eins"_s});
    form->ComboBox1->select(0);
    trigger("imeCodeFormate1");
    EXPECT_EQ(editText(*form->ComboBox2), u"46363.1278356481"_s);
    EXPECT_EQ(texts(*form->ComboBox2), QStringList{u"eins"_s});
    EXPECT_EQ(texts(*form->ComboBox1), QStringList{u"one"_s});
    EXPECT_EQ(editText(*form->ComboBox1), u"one"_s);
    EXPECT_EQ(form->ComboBox1->selectedIndex(), 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(DateTimeCommands, workedValues_fillBothFields) {
    makeForm();
    for (const WorkedDateValue& row : workedDateValues()) {
        clock->set(row.time);
        settings->set(row.settings);
        trigger("DateTime1");
        trigger("imeCodeFormate1");
        EXPECT_EQ(editText(*form->ComboBox1), row.text);
        EXPECT_EQ(editText(*form->ComboBox2), row.number) << row.text.toStdString();
    }
}

TEST_F(DateTimeCommands, settings_areReadEveryTimeTheCommandRuns) {
    makeForm();
    trigger("DateTime1");
    EXPECT_EQ(editText(*form->ComboBox1), u"12/7/26 3:04:05 am"_s);
    settings->set(dottedSettings());
    trigger("DateTime1");
    EXPECT_EQ(editText(*form->ComboBox1), u"07.12.2026 03:04:05"_s);
    trigger("imeCodeFormate1");
    EXPECT_EQ(editText(*form->ComboBox2), u"46363,1278356481"_s);
    EXPECT_EQ(settings->reads(), 3);
}

TEST_F(DateTimeCommands, changedLocale_showsInTheNextInsertion) {
    const DefaultLocaleGuard guard;
    services.formatSettings = std::make_shared<LocaleFormatSettings>();
    makeForm();
    QLocale::setDefault(QLocale(u"en_US"_s));
    trigger("DateTime1");
    EXPECT_EQ(editText(*form->ComboBox1), u"12/7/26 3:04:05 AM"_s);
    QLocale::setDefault(QLocale(u"de_DE"_s));
    trigger("DateTime1");
    trigger("imeCodeFormate1");
    EXPECT_EQ(editText(*form->ComboBox1), u"07.12.26 03:04:05"_s);
    EXPECT_EQ(editText(*form->ComboBox2), u"46363,1278356481"_s);
}

TEST(DateTimeCommandsDefaults, withoutInjection_theMachineClockIsRead) {
    const DefaultLocaleGuard guard;
    QLocale::setDefault(QLocale::c());
    QTemporaryDir dir;
    const CurrentDirGuard cwd(dir.path());
    ScriptedDialogs dialogs;
    FormServices services = productionServices(dialogs);
    TForm1 form(services);
    const double before = dateTimeValue(SystemClock().localTime());
    form.findChild<QAction*>(u"imeCodeFormate1"_s)->trigger();
    const double after = dateTimeValue(SystemClock().localTime());
    bool ok = false;
    const double inserted = displayText(form.ComboBox2->editBytes()).toDouble(&ok);
    ASSERT_TRUE(ok);
    // 15 significant digits leave about a millisecond of resolution at today's day numbers.
    EXPECT_GE(inserted, before - 1e-7);
    EXPECT_LE(inserted, after + 1e-7);
}

} // namespace
} // namespace quill::test
