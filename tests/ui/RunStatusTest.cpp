// What the window says while a batch or range run prints and after every
// job, for the built-in PDF printer and a (fake) system printer, and what
// Stop leaves behind.
#include "printing/RunProgress.h"
#include "services/Messages.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

namespace {

struct Destination {
    const char* choice;   // the printer box's text
    QStringList installed; // the system's printers
    const char* status;   // what the status line says; %1 stands for the PDF written
};

const Destination kDestinations[] = {
    {"", {}, "Saved %1"},                             // no printers: the built-in one
    {"Office", {QStringLiteral("Office")}, "Sent to Office"},
};

struct RunStatusTest : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.25};
    QTemporaryDir dir;
    ui::Form1 form{testsupport::PrintingWindow(*this, &clock)};
    QStringList progress; // every progress text seen while the run processed events

    void SetUp() override
    {
        form.Form_Load();
        testsupport::Radio(form, "Option2")->setChecked(true);
        testsupport::Line(form, "Text4")->setText(QStringLiteral("*"));
        form.show(); // the line count is only made for a window someone sees
    }

    void use(const Destination& d)
    {
        printers.names = d.installed;
        form.FillPrinterList();
        testsupport::Combo(form, "Combo1")->setEditText(QString::fromLatin1(d.choice));
    }

    // Runs `stopWhen` at every processed event; a true result presses Stop.
    void watch(const std::function<bool()>& stopWhen = [] { return false; })
    {
        pump = [this, stopWhen] {
            if (progress.isEmpty() || progress.last() != testsupport::Label(form, "Progress")->text())
                progress << testsupport::Label(form, "Progress")->text();
            if (stopWhen() && testsupport::Button(form, "StopButton")->isVisibleTo(&form))
                testsupport::Button(form, "StopButton")->click();
        };
    }

    QString file(const QByteArray& bytes)
    {
        QFile f(dir.filePath(QStringLiteral("in.txt")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    QString expected(const Destination& d) const
    {
        return QString::fromLatin1(d.status).arg(sandbox.written.isEmpty() ? QString() : QDir::toNativeSeparators(sandbox.written.last()));
    }
    QString status() const { return testsupport::Label(form, "JobStatus")->toolTip(); } // the whole text; the label may elide it
};

} // namespace

TEST_F(RunStatusTest, Print_SaysWhereTheJobWent_AndTheBoxShowsThePrinterItUsed)
{
    for (const Destination& d : kDestinations) {
        use(d);
        testsupport::Line(form, "Text1")->setText(QStringLiteral("AB"));
        form.Command2_Click();
        EXPECT_EQ(status(), expected(d)) << d.choice;
        // A PDF can be opened, or its folder, from the line; a printer's job can't.
        EXPECT_EQ(testsupport::Label(form, "JobLinks")->isVisibleTo(&form), !sandbox.written.isEmpty()) << d.choice;
        if (!sandbox.written.isEmpty()) {
            EXPECT_TRUE(testsupport::Label(form, "JobLinks")->text().contains(QUrl::fromLocalFile(sandbox.written.last()).toString(QUrl::FullyEncoded)));
        }
        // An empty box now means the printer last chosen: the placeholder names it.
        testsupport::Combo(form, "Combo1")->setEditText(QString());
        EXPECT_EQ(testsupport::Combo(form, "Combo1")->lineEdit()->placeholderText(),
                  d.installed.isEmpty() ? printing::kPdfPrinterName : d.installed.first());
        sandbox.written.clear();
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('\n')).toStdString();
}

TEST_F(RunStatusTest, PrintFile_ShowsLineNOfM_ThenWhereTheJobWent)
{
    testsupport::Line(form, "Text5")->setText(file("ORDER 17\r\n*A100\r\n*B200\r\n"));
    for (const Destination& d : kDestinations) {
        use(d);
        progress.clear();
        watch([this] { EXPECT_FALSE(testsupport::Button(form, "Command4")->isEnabled()); return false; });
        form.Command4_Click();
        EXPECT_EQ(progress, (QStringList{"Printing line 1 of 3", "Printing line 2 of 3", "Printing line 3 of 3"}))
            << d.choice;
        EXPECT_TRUE(testsupport::Label(form, "Progress")->text().isEmpty());
        EXPECT_EQ(status(), expected(d)) << d.choice;
        EXPECT_TRUE(testsupport::Button(form, "Command4")->isEnabled());
        EXPECT_FALSE(testsupport::Button(form, "StopButton")->isVisibleTo(&form));
    }
}

TEST_F(RunStatusTest, StopDuringPrintFile_DropsTheJob_AndSaysSo)
{
    testsupport::Line(form, "Text5")->setText(file("*1\r\n*2\r\n*3\r\n*4\r\n"));
    watch([this] { return testsupport::Label(form, "Progress")->text() == QLatin1String("Printing line 2 of 4"); });
    form.Command4_Click();
    EXPECT_TRUE(sandbox.written.isEmpty());
    EXPECT_TRUE(QDir(sandbox.pdfDir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).isEmpty()) << "no file left";
    EXPECT_EQ(status(), QStringLiteral("Stopped after line 1 of 4; nothing was sent to the printer."));
    EXPECT_TRUE(messages.texts.isEmpty()) << "no box to click away after Stop";
    EXPECT_TRUE(testsupport::Button(form, "Command4")->isEnabled() && testsupport::Button(form, "Command8")->isEnabled() && testsupport::Button(form, "Command2")->isEnabled());

    // The next run is not stopped by the last one's Stop.
    watch();
    form.Command4_Click();
    EXPECT_EQ(sandbox.written.size(), 1);
}

TEST_F(RunStatusTest, RunIt_ShowsLabelNOfM_AndStopEndsAfterTheCurrentLabel)
{
    testsupport::Line(form, "Text1")->setText(QStringLiteral("L"));
    testsupport::Line(form, "Text21")->setText(QStringLiteral("1"));
    testsupport::Line(form, "Text22")->setText(QStringLiteral("4"));
    watch([this] { return sandbox.written.size() == 2; });
    form.Command8_Click();
    EXPECT_EQ(sandbox.written.size(), 2);
    EXPECT_EQ(testsupport::Line(form, "Text21")->text(), QStringLiteral("3")) << "the next Run It goes on from the first label not printed";
    EXPECT_TRUE(progress.contains(QStringLiteral("Printing label 1 of 3")));
    EXPECT_TRUE(progress.contains(QStringLiteral("Printing label 2 of 3")));
    EXPECT_FALSE(progress.contains(QStringLiteral("Printing label 3 of 3")));
    EXPECT_EQ(testsupport::Label(form, "Progress")->text(), QStringLiteral("Stopped after label 2 of 3."));
    EXPECT_EQ(status(), QStringLiteral("Saved ") + QDir::toNativeSeparators(sandbox.written.last()));
}

TEST(RunProgress, LineCountsSplitAsTheBatchReaderSplits)
{
    struct Row { QByteArray bytes; qint64 lines; const char* why; };
    const Row rows[] = {
        {"", 0, "an empty file has no lines"},
        {"a", 1, "the last line needs no end"},
        {"a\r\n\r\n", 2, "an empty line counts"},
        {"a\rb\nc\r\nd", 4, "CR, LF and CR LF each end one line"},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        QFile f(dir.filePath(QStringLiteral("f.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(r.bytes);
        f.close();
        EXPECT_EQ(printing::CountLines(f.fileName(), [] { return true; }), r.lines) << r.why;
    }
    EXPECT_EQ(printing::CountLines(dir.filePath(QStringLiteral("missing.txt")), [] { return true; }), std::nullopt);
}

TEST(RunProgress, LabelsLeftAsTheRangeCountsThem)
{
    struct Row { double from, to, left; };
    const Row rows[] = {{1, 100, 99}, {5, 5, 0}, {6, 5, 0}, {1.5, 3, 2}, {7, 10, 3}};
    for (const Row& r : rows)
        EXPECT_EQ(printing::LabelsLeft(r.from, r.to), r.left) << r.from << " to " << r.to;
    EXPECT_EQ(printing::ListingProgress(7, -1), QStringLiteral("Printing line 7")) << "no count: no \"of\"";
}
