// The words for a queue's page and for what holds a job up, from what
// CUPS reports: no server needed.
#include "printing/CupsQueue.h"
#include "tests/support/PrintTo.h"

#include <QFile>
#include <gtest/gtest.h>

using printing::QueuePage;

TEST(CupsQueue, DescribePage_NamesSheetsAndLabels)
{
    struct Case {
        QueuePage page;
        const char* page_;
        const char* margins;
    };
    const Case cases[] = {
        // The ZPL Label Printer's default media, as its media-col-default says.
        {{{101.6, 127}, {}, 203}, "4 × 5 in label, 203 dpi", "printable to the edges"},
        {{{57.15, 31.75}, {}, 300}, "2.25 × 1.25 in label, 300 dpi", "printable to the edges"},
        {{{62, 100}, {1, 1.5, 1, 1.5}, 300}, "62 × 100 mm label, 300 dpi", "margins 1 mm left, 1.5 mm top, 1 mm right, 1.5 mm bottom"},
        {{{210, 297}, {6.35, 6.35, 6.35, 6.35}, 600}, "A4, 600 dpi", "margins 6.35 mm"},
        {{{215.9, 279.4}, {4.23, 4.23, 4.23, 4.23}, 0}, "Letter", "margins 4.23 mm"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printing::DescribePage(c.page), QString::fromUtf8(c.page_));
        EXPECT_EQ(printing::DescribeMargins(c.page), QString::fromUtf8(c.margins));
    }
}

TEST(CupsQueue, ReasonText_InTheWordsOfCups)
{
    struct Case {
        const char* note;
        QStringList printerReasons;
        const char* printerMessage;
        QStringList jobReasons;
        const char* reason;
    };
    const Case cases[] = {
        // What the scheduler notes when a file: device can't be opened.
        {"Stopping job because the scheduler could not open the output file.", {"none"}, "", {"job-stopped"},
         "could not open the output file"},
        // cupsdisable without a reason leaves the message "Paused".
        {"", {"paused"}, "Paused", {"none"}, "the printer is paused"},
        {"", {"paused"}, "Roll change", {}, "the printer is paused (Roll change)"},
        {"", {"media-empty-error", "media-empty-report"}, "", {}, "media empty"},
        {"", {"toner-low-warning", "offline-report"}, "", {}, "toner low"},
        {"", {"none"}, "Backend failed", {}, "Backend failed"},
        {"", {"none"}, "", {"job-canceled-by-user"}, "canceled by its owner"},
        {"Job canceled by user.", {}, "", {"job-canceled-by-user"}, "canceled by user"},
        {"", {}, "", {"none"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printing::ReasonText(QString::fromUtf8(c.note), c.printerReasons, QString::fromUtf8(c.printerMessage), c.jobReasons),
                  QString::fromUtf8(c.reason))
            << c.note;
}

// libcups and the libraries it brings are loaded when a print server is
// first asked, not when the program starts: writing files never needs them.
TEST(CupsQueue, LibcupsOpenedWhenAServerIsFirstAsked)
{
    const auto loaded = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libcups.so");
    };
    ASSERT_FALSE(loaded()) << "a program linked with printing starts without libcups";
    if (!printing::CupsBuilt())
        GTEST_SKIP() << "built without CUPS";
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    EXPECT_TRUE(printing::CupsServerProblem().contains(QLatin1String("/nonexistent/cups.sock")));
    EXPECT_TRUE(loaded());
}
