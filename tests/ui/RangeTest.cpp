#include "printing/RangePrint.h"
#include "services/Messages.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using services::RecordingSink;

namespace {

struct RangeTest : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.25};
    ui::Form1 form{testsupport::PrintingWindow(*this, &clock)};

    void SetUp() override
    {
        form.Form_Load();
        testsupport::Radio(form, "Option2")->setChecked(true);
    }

    QStringList printedLabels()
    {
        QStringList labels;
        for (const QString& pdf : sandbox.written) {
            const auto pages = testsupport::RenderPdf(pdf, 300);
            labels << (pages.empty() ? QString() : QString::fromStdString(testsupport::DecodeOne(pages[0], ZXing::BarcodeFormat::Code39).text));
        }
        return labels;
    }
};

} // namespace

// Serial numbers keep the width typed, not.
TEST_F(RangeTest, LeadingZerosKeepTheirWidth_AndFromEndsAtTo)
{
    testsupport::Line(form, "Text1")->setText(QStringLiteral("A-"));
    testsupport::Line(form, "Text21")->setText(QStringLiteral("007"));
    testsupport::Line(form, "Text22")->setText(QStringLiteral("10"));
    form.Command8_Click();
    EXPECT_EQ(printedLabels(), (QStringList{"A-007", "A-008", "A-009"}));
    EXPECT_EQ(testsupport::Line(form, "Text21")->text(), QStringLiteral("010"));
    EXPECT_EQ(testsupport::Line(form, "Text1")->text(), QStringLiteral("A-"));
    EXPECT_TRUE(messages.texts.isEmpty());
}

// A range counts in whole numbers: a From of 1.5 is refused, naming From,
// rather than counted in steps no serial number takes.
TEST_F(RangeTest, FractionalFrom_IsRefusedNamingFrom)
{
    testsupport::Line(form, "Text1")->setText(QString());
    testsupport::Line(form, "Text21")->setText(QStringLiteral("1.5"));
    testsupport::Line(form, "Text22")->setText(QStringLiteral("3"));
    form.Command8_Click();
    EXPECT_TRUE(printedLabels().isEmpty());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("From is \"1.5\": a range counts in whole numbers"))) << messages.texts[0].toStdString();
}

TEST_F(RangeTest, FromNotBelowTo_PrintsNothing_AndSaysSo)
{
    const std::pair<const char*, const char*> rows[] = {{"5", "5"}, {"6", "5"}};
    for (const auto& [from, to] : rows) {
        messages.texts.clear();
        testsupport::Line(form, "Text21")->setText(QString::fromLatin1(from));
        testsupport::Line(form, "Text22")->setText(QString::fromLatin1(to));
        form.Command8_Click();
        EXPECT_TRUE(sandbox.written.isEmpty()) << from << " to " << to;
        EXPECT_EQ(testsupport::Line(form, "Text21")->text(), QString::fromLatin1(from));
        EXPECT_EQ(messages.texts, QStringList{QStringLiteral("There are no labels from %1 up to %2: From must be below To.").arg(from, to)});
    }
}

TEST_F(RangeTest, FromOrToNotNumeric_MessageNamesTheField_AndNothingPrinted)
{
    const struct {
        const char* from;
        const char* to;
        const char* named;
    } rows[] = {{"abc", "5", "From is \"abc\""}, {"1", "", "To is empty"}, {"1e3", "5000", "From is \"1e3\""},
                {" 7", "9", "From is \" 7\""}, {"1", "99999999999999999999", "To is 99999999999999999999: too large"}};
    for (const auto& r : rows) {
        messages.texts.clear();
        testsupport::Line(form, "Text21")->setText(QString::fromLatin1(r.from));
        testsupport::Line(form, "Text22")->setText(QString::fromLatin1(r.to));
        form.Command8_Click();
        ASSERT_EQ(messages.texts.size(), 1) << r.from << " to " << r.to;
        EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("From and To must be numbers. "))) << messages.texts[0].toStdString();
        EXPECT_TRUE(messages.texts[0].contains(QString::fromLatin1(r.named))) << messages.texts[0].toStdString();
    }
    EXPECT_TRUE(sandbox.written.isEmpty());
}

TEST_F(RangeTest, ToChangedDuringTheRun_DecidesTheNextLabel)
{
    testsupport::Line(form, "Text1")->setText(QStringLiteral("L"));
    testsupport::Line(form, "Text21")->setText(QStringLiteral("1"));
    testsupport::Line(form, "Text22")->setText(QStringLiteral("100"));
    bool disabledDuringRun = true;
    pump = [&] {
        disabledDuringRun = disabledDuringRun && !testsupport::Button(form, "Command8")->isEnabled() && !testsupport::Button(form, "Command2")->isEnabled() &&
                            !testsupport::Button(form, "Command4")->isEnabled();
        if (sandbox.written.size() == 2)
            testsupport::Line(form, "Text22")->setText(QStringLiteral("3"));
    };
    form.Command8_Click();
    EXPECT_EQ(sandbox.written.size(), 2);
    EXPECT_EQ(testsupport::Line(form, "Text21")->text(), QStringLiteral("3"));
    EXPECT_TRUE(disabledDuringRun);
    EXPECT_TRUE(testsupport::Button(form, "Command8")->isEnabled());
}

TEST(RangePause, WaitsUntilTheClockHasMovedOn)
{
    testsupport::SteppingClock clock(0.1);
    int rounds = 0;
    printing::Pause(1, clock, [&] { ++rounds; });
    EXPECT_GE(rounds, 9);
    EXPECT_LE(rounds, 11);
}

TEST(RangeNumbers, NextFromIsTheShortestPlainForm_WithTheWidthTyped)
{
    struct Row { qint64 from; const char* typed; const char* next; };
    const Row rows[] = {{7, "", "8"}, {99999, "", "100000"}, {-1, "", "0"},
                        {7, "007", "008"}, {99, "007", "100"}, {999, "007", "1000"}, {7, "7", "8"},
                        {7, " 007 ", "008"}, {-8, "-008", "-7"},
                        {9007199254740992, "", "9007199254740993"}, // past 2^53, where a double stops counting
                        {9223372036854775806, "", "9223372036854775807"},
                        {41, "0000000000000000000041", "0000000000000000000042"}};
    for (const Row& r : rows)
        EXPECT_EQ(printing::NextFrom(r.from, QString::fromLatin1(r.typed)), QString::fromLatin1(r.next)) << r.typed;
}
