// Bad values in the window's boxes: every one gives a clear message or a
// documented fallback, never a crash or a hang, and the window goes on
// working afterwards.
#include "printing/PrintAction.h"
#include "printing/RangePrint.h"
#include "services/Messages.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/PrintTo.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

using ui::Form1;

namespace {

struct BadInputTest : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.5};
    Form1 form{testsupport::PrintingWindow(*this, &clock)};

    void SetUp() override { form.Form_Load(); }

    int jobs() const { return static_cast<int>(printers.jobs.size() + sandbox.written.size()); }
    QString said() const { return messages.texts.join(QStringLiteral(" | ")); }

    // The window still draws and prints a plain Code 39 barcode.
    void ExpectStillWorking()
    {
        testsupport::Radio(form, "Option2")->setChecked(true);
        testsupport::Line(form, "Text8")->setText(QStringLiteral("1.4"));
        testsupport::Line(form, "Text14")->setText(QStringLiteral("1"));
        testsupport::Line(form, "Text15")->setText(QStringLiteral("1"));
        testsupport::Line(form, "Text1")->setText(QStringLiteral("STILL-OK"));
        ASSERT_TRUE(form.Box("Picture2").Picture().has_value());
        const int before = jobs();
        form.Command2_Click();
        EXPECT_EQ(jobs(), before + 1);
    }
};

enum class Action { Generate, Print, Range };

struct NumericRow {
    const char* box;
    const char* value;
    const char* option;
    Action action;
    const char* message; // part of the message expected, "" for none
    bool picture;        // Picture2 holds a barcode afterwards (Generate rows)
    const char* why;
};

} // namespace

TEST_F(BadInputTest, NumericBoxes_NonNumericAndHugeValues)
{
    const NumericRow rows[] = {
        {"Text3", "abc", "Option1", Action::Generate, "Unknow Error", false,
         "Code 128 B takes a font size that is not a number as size 0: the engine's message"},
        {"Text3", "1e300", "Option1", Action::Generate, "Unknow Error", false,
         "a size beyond any integer is refused the same way"},
        {"Text3", "99999", "Option1", Action::Generate, "", true, "a huge but valid size draws"},
        {"Text3", "abc", "Option9", Action::Generate, "13\nType mismatch", true,
         "EAN reads the bar length as a number: a run-time error message"},
        {"Text8", "abc", "Option2", Action::Generate, "", true, "the height factor falls back to 1.4"},
        {"Text8", "1e300", "Option2", Action::Generate, "", true, "the box is held to the tallest raster"},
        {"Text8", "-5", "Option4", Action::Generate, "", true, "negative bars draw nothing harmful"},
        {"Text8", "abc", "Option9", Action::Generate, "13\nType mismatch", true, "EAN's font size"},
        {"Text9", "abc", "Option4", Action::Generate, "", true, "no stretch"},
        {"Text9", "1e300", "Option4", Action::Generate, "", true, "held to the widest surface"},
        {"Text9", "-800", "Option5", Action::Generate, "", true, "no stretch below one pixel"},
        {"Text14", "abc", "Option2", Action::Print, "The Barcode Offset must be a numeric value", false, "reset to 1"},
        {"Text14", "1e300", "Option2", Action::Print, "outside the page", false, "not a blank page"},
        {"Text15", "-1e30", "Option2", Action::Print, "outside the page", false, "above the page"},
        {"Text15", "x", "Option2", Action::Print, "The Barcode Offset must be a numeric value", false, "reset to 1"},
        {"Text21", "abc", "Option2", Action::Range, "From and To must be numbers", false, "nothing printed"},
        {"Text22", "", "Option2", Action::Range, "From and To must be numbers", false, "an empty To"},
        {"Text21", "1e300", "Option2", Action::Range, "From is \"1e300\"", false, "not a plain whole number"},
        {"Text21", "9223372036854775808", "Option2", Action::Range, "too large", false, "past 64 bits: no run that never ends"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.value) + ": " + r.why);
        messages.texts.clear();
        testsupport::Radio(form, r.option)->setChecked(true);
        testsupport::Line(form, "Text21")->setText(QStringLiteral("100"));
        testsupport::Line(form, "Text22")->setText(std::string_view(r.box) == "Text21" ? QStringLiteral("9223372036854775807") : QStringLiteral("101"));
        testsupport::Line(form, "Text1")->setText(QStringLiteral("12345670"));
        testsupport::Line(form, r.box)->setText(QString::fromLatin1(r.value));
        const int before = jobs();
        switch (r.action) {
        case Action::Generate:
            form.Command1_Click();
            EXPECT_EQ(form.Box("Picture2").Picture().has_value(), r.picture);
            break;
        case Action::Print:
            form.Command2_Click();
            EXPECT_EQ(jobs(), before) << "nothing printed";
            break;
        case Action::Range:
            form.Command8_Click();
            EXPECT_EQ(jobs(), before) << "no labels";
            break;
        }
        if (*r.message)
            EXPECT_TRUE(said().contains(QString::fromLatin1(r.message))) << said().toStdString();
        else
            EXPECT_TRUE(messages.texts.isEmpty()) << said().toStdString();
        // Put the box back to its default for the next row.
        testsupport::Line(form, r.box)->setText(std::string_view(r.box) == "Text3" ? QStringLiteral("8")
                               : std::string_view(r.box) == "Text8" ? QStringLiteral("1.4")
                               : std::string_view(r.box) == "Text9" ? QStringLiteral("500")
                               : QStringLiteral("1"));
    }
    ExpectStillWorking();
}

// Typed key by key, the numbers of a run and the offsets keep only the
// keys they can use (a stored "0.3Z" was possible before).
TEST_F(BadInputTest, NumberFields_TakeOnlyTheKeysTheyCanUse)
{
    struct Typed {
        const char* field;
        const char* keys;
        const char* kept;
    };
    const Typed typed[] = {
        {"Text21", "12a3", "123"}, {"Text22", "-5x0", "-50"}, {"Text21", "1.5", "15"},
        {"Text14", "0.3Z", "0.3"}, {"Text15", "2..5", "2.5"}, {"Text14", "-1.25cm", "-1.25"},
    };
    const QLocale before;
    QLocale::setDefault(QLocale::c()); // the decimal point these keys use
    for (const Typed& t : typed) {
        SCOPED_TRACE(std::string(t.field) + " " + t.keys);
        Form1 fresh{testsupport::PrintingWindow(*this, &clock)};
        fresh.Form_Load();
        QLineEdit* field = testsupport::Line(fresh, t.field);
        field->clear();
        for (const char key : std::string(t.keys)) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QLatin1Char(key)));
            QCoreApplication::sendEvent(field, &press);
        }
        EXPECT_EQ(field->text(), QString::fromLatin1(t.kept));
        EXPECT_FALSE(field->toolTip().isEmpty());
    }
    QLocale::setDefault(before);
}

TEST_F(BadInputTest, TenThousandCharacterText_EverySymbologyRefusesOrReportsIt)
{
    struct Row { const char* option; QChar fill; const char* message; const char* why; };
    const Row rows[] = {
        {"Option2", u'A', "too long to draw", "Code 39 wider than any surface"},
        {"Option1", u'A', "too long to draw", "Code 128 B wider than any surface"},
        {"Option4", u'A', "too long to draw", "Code 128-1 wider than any surface"},
        {"Option5", u'7', "9\nSubscript out of range", "Interleaved 2 of 5 takes at most 20 digits"},
        {"Option9", u'7', "too long", "EAN takes at most 20 characters"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        messages.texts.clear();
        testsupport::Radio(form, r.option)->setChecked(true);
        testsupport::Line(form, "Text1")->setText(QString(10000, r.fill));
        EXPECT_EQ(messages.texts.size(), 1) << said().toStdString();
        EXPECT_TRUE(said().contains(QString::fromLatin1(r.message))) << said().toStdString();
        // Refused symbols leave no barcode to print; Interleaved 2 of 5 keeps
        // its partial drawing and EAN its cleared box, as they always do.
        if (qstrcmp(r.option, "Option5") != 0 && qstrcmp(r.option, "Option9") != 0) {
            EXPECT_FALSE(form.Box("Picture2").Picture().has_value());
        }
        testsupport::Line(form, "Text1")->clear();
    }
    // UPC says so inside its box: no bars for a text that is not 11 digits.
    messages.texts.clear();
    testsupport::Radio(form, "Option8")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QString(10000, u'1'));
    EXPECT_TRUE(messages.texts.isEmpty());
    ExpectStillWorking();
}
