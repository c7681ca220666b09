// What every print target must do, as one table of cases that each
// target's test runs: a listing that runs on to a second page, a run of
// labels of their own jobs, a run on label sheets across a page break,
// labels of several parts (the run's number in their code) in jobs of
// their own and on sheets, and runs that fail part-way. What each job printed is read back as pictures
// of its pages (a PDF rendered, a preview's own pages) and its barcodes
// decoded, in order.
#pragma once

#include "labels/LabelLayout.h"
#include "printing/BatchPrint.h"
#include "printing/LabelRun.h"
#include "printing/SheetLayout.h"
#include "tests/support/Decode.h"
#include "tests/support/Symbols.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct TargetUnderTest {
    std::unique_ptr<printing::PrintTarget> target;
    // The pages a job went out with, as pictures; called as soon as each
    // job has gone out (a CUPS job is waited for there).
    std::function<std::vector<QImage>(const printing::JobDone&)> pages;
    // A label printer that knows its label's size prints labels only: it
    // refuses a run on A4 sheets, saying so, and sends nothing.
    bool labelsOnly = false;
};

namespace targetcases {

inline printing::Barcode Code128(const QString& text)
{
    return {DrawSymbol(symbols::Symbology::Code128B, text, false), {}, {}};
}

// The Code 128 texts read on the pages, page after page, top to bottom
// and, on a row of labels, left to right.
inline std::vector<std::string> Read(const std::vector<QImage>& pages)
{
    std::vector<std::string> texts;
    for (const QImage& page : pages) {
        std::vector<Decoded> found = DecodeAll(page, ZXing::BarcodeFormat::Code128);
        std::stable_sort(found.begin(), found.end(), [](const Decoded& a, const Decoded& b) {
            return std::abs(a.top - b.top) > 10 ? a.top < b.top : a.left < b.left;
        });
        for (const Decoded& d : found)
            texts.push_back(d.text);
    }
    return texts;
}

inline std::vector<std::string> Numbered(const char* prefix, int from, int count)
{
    std::vector<std::string> texts;
    for (int n = from; n < from + count; ++n)
        texts.push_back(prefix + std::to_string(n));
    return texts;
}

// The labels PREFIX+N for N from `from`, `count` of them; the label numbered
// `failing` has no barcode.
inline printing::NextLabel Labels(const char* prefix, int from, int count, int failing = -1)
{
    return [=, n = from]() mutable -> std::optional<printing::SheetLabel> {
        if (n >= from + count)
            return std::nullopt;
        const QString text = QString::fromLatin1(prefix) + QString::number(n);
        printing::Barcode barcode = Code128(text);
        if (n++ == failing)
            barcode = {{}, core::Failure{core::kNotDrawable, QStringLiteral("Code is not 11 Digits")}, {}};
        return printing::SheetLabel{text, barcode, {}};
    };
}

// Labels of several parts, 60 × 30 mm: a Code 128 of LBL-N, a line of
// text and a frame, N from `from`, `count` of them.
inline printing::NextLabel PartsLabels(int from, int count)
{
    using namespace labels;
    BarcodePart code;
    code.text = QStringLiteral("LBL-${n}");
    code.moduleMm = 0.5;
    code.heightMm = 12;
    TextPart line;
    line.text = QStringLiteral("Label ${n} of a run");
    BoxPart frame;
    frame.sizeMm = QSizeF(60, 30);
    const core::Result<PreparedLabel> prepared =
        PrepareLabel(Label{QSizeF(60, 30), LengthUnit::Mm, {Part{{8, 4}, code}, Part{{8, 20}, line}, Part{{0, 0}, frame}}});
    EXPECT_TRUE(prepared.ok());
    const auto label = std::make_shared<const PreparedLabel>(*prepared);
    return [=, n = from]() mutable -> std::optional<printing::SheetLabel> {
        if (n >= from + count)
            return std::nullopt;
        printing::SheetLabel sheetLabel{QStringLiteral("LBL-%1").arg(n), {}, {}};
        sheetLabel.parts = printing::LabelParts{label, {}, true};
        sheetLabel.parts->fill.run = n++;
        return sheetLabel;
    };
}

} // namespace targetcases

inline void ExpectWhatEveryTargetDoes(TargetUnderTest& t)
{
    using namespace targetcases;
    printing::PrintTarget& target = *t.target;
    QTemporaryDir dir;

    {
        SCOPED_TRACE("a listing that runs on to a second page");
        const QString path = dir.filePath(QStringLiteral("codes.txt"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (int n = 1; n <= 16; ++n)
            file.write("Order line " + QByteArray::number(n) + "\r\n*L" + QByteArray::number(n) + "\r\n");
        file.close();
        const core::Result<printing::Listing> listing =
            printing::PrintListing({path, QStringLiteral("*"), false}, target, [](const QString& code) { return Code128(code); });
        ASSERT_TRUE(listing.ok()) << listing.failure().text.toStdString();
        EXPECT_EQ(listing->linesNotAsAsked, 0);
        const std::vector<QImage> pages = t.pages(listing->done);
        EXPECT_GE(pages.size(), 2u);
        EXPECT_EQ(Read(pages), Numbered("L", 1, 16)) << "every barcode under its line, none cut by a page's end";
    }
    {
        SCOPED_TRACE("a run of labels, one job each");
        std::vector<std::vector<QImage>> jobs;
        printing::RunEvents events;
        events.finished = [&](const printing::SheetLabel&, const printing::JobDone* done) {
            ASSERT_NE(done, nullptr);
            jobs.push_back(t.pages(*done));
        };
        const printing::RunReport report = printing::PrintLabelRun(target, {std::nullopt, 1, 1}, Labels("RUN-", 7, 3), events);
        ASSERT_TRUE(report.status.ok()) << report.status.failure().text.toStdString();
        EXPECT_EQ(report.printed, 3);
        ASSERT_EQ(jobs.size(), 3u);
        for (size_t i = 0; i < jobs.size(); ++i) {
            EXPECT_EQ(jobs[i].size(), 1u);
            EXPECT_EQ(Read(jobs[i]), Numbered("RUN-", 7 + static_cast<int>(i), 1)) << "job " << i + 1;
        }
    }
    const printing::SheetLayout sheet = *std::find_if(printing::BuiltInLayouts().begin(), printing::BuiltInLayouts().end(),
                                                      [](const auto& l) { return l.name.endsWith(QLatin1String("L7159")); });
    if (t.labelsOnly) {
        SCOPED_TRACE("a run on A4 sheets is refused by a printer of labels");
        const printing::RunPlacement where{printing::SheetPlacement{sheet, 20, 0.4, 0.4}, 0, 0};
        const printing::RunReport report = printing::PrintLabelRun(target, where, Labels("SHEET-", 1, 8));
        ASSERT_TRUE(report.status.failed());
        EXPECT_TRUE(report.status.failure().text.contains(QStringLiteral("not on the 210 × 297 mm sheets asked for")))
            << report.status.failure().text.toStdString();
        EXPECT_TRUE(report.jobs.empty());
    } else {
        SCOPED_TRACE("a run on label sheets across a page break, in one job");
        const printing::RunPlacement where{printing::SheetPlacement{sheet, 20, 0.4, 0.4}, 0, 0};
        const printing::RunReport report = printing::PrintLabelRun(target, where, Labels("SHEET-", 1, 8));
        ASSERT_TRUE(report.status.ok()) << report.status.failure().text.toStdString();
        EXPECT_EQ(report.printed, 8);
        ASSERT_EQ(report.jobs.size(), 1u);
        const std::vector<QImage> pages = t.pages(report.jobs[0]);
        EXPECT_EQ(pages.size(), 2u) << "labels 20 to 24 of the first sheet, 1 to 3 of the next";
        EXPECT_EQ(Read(pages), Numbered("SHEET-", 1, 8));
    }
    {
        SCOPED_TRACE("labels of several parts, each in a job of its own, then on sheets across a page break");
        std::vector<std::vector<QImage>> jobs;
        printing::RunEvents events;
        events.finished = [&](const printing::SheetLabel&, const printing::JobDone* done) {
            ASSERT_NE(done, nullptr);
            jobs.push_back(t.pages(*done));
        };
        const printing::RunReport single = printing::PrintLabelRun(target, {std::nullopt, 1, 1}, PartsLabels(7, 2), events);
        ASSERT_TRUE(single.status.ok()) << single.status.failure().text.toStdString();
        ASSERT_EQ(jobs.size(), 2u);
        EXPECT_EQ(Read(jobs[0]), Numbered("LBL-", 7, 1));
        EXPECT_EQ(Read(jobs[1]), Numbered("LBL-", 8, 1));

        if (!t.labelsOnly) { // a label printer has no sheets
            const printing::RunPlacement where{printing::SheetPlacement{sheet, 23, 0, 0}, 0, 0};
            const printing::RunReport sheets = printing::PrintLabelRun(target, where, PartsLabels(1, 4));
            ASSERT_TRUE(sheets.status.ok()) << sheets.status.failure().text.toStdString();
            ASSERT_EQ(sheets.jobs.size(), 1u);
            const std::vector<QImage> pages = t.pages(sheets.jobs[0]);
            EXPECT_EQ(pages.size(), 2u) << "labels 23 and 24 of the first sheet, 1 and 2 of the next";
            EXPECT_EQ(Read(pages), Numbered("LBL-", 1, 4));
        }
    }
    {
        SCOPED_TRACE("a label without its barcode stops the run there");
        std::vector<std::vector<QImage>> jobs;
        printing::RunEvents events;
        events.finished = [&](const printing::SheetLabel&, const printing::JobDone* done) { jobs.push_back(t.pages(*done)); };
        const printing::RunReport single = printing::PrintLabelRun(target, {std::nullopt, 1, 1}, Labels("FAIL-", 1, 3, 2), events);
        ASSERT_TRUE(single.status.failed());
        EXPECT_EQ(single.status.failure().text,
                  QStringLiteral("There is no barcode to print for the label \"FAIL-2\": Code is not 11 Digits"));
        EXPECT_EQ(single.printed, 1) << "the label before it went out in its own job";
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(Read(jobs[0]), Numbered("FAIL-", 1, 1));

        if (t.labelsOnly)
            return;
        const printing::RunPlacement where{printing::SheetPlacement{sheet, 1, 0.4, 0.4}, 0, 0};
        const printing::RunReport sheets = printing::PrintLabelRun(target, where, Labels("FAIL-", 1, 3, 2));
        ASSERT_TRUE(sheets.status.failed());
        EXPECT_TRUE(sheets.status.failure().text.contains(QStringLiteral("\"FAIL-2\"")));
        EXPECT_EQ(sheets.printed, 0) << "a sheet of labels goes out whole or not at all";
        EXPECT_TRUE(sheets.jobs.empty());
    }
}

} // namespace testsupport
