// A label of several parts on the built-in PDF printer at 300 dpi: both
// codes read with two readers, the lines of text read as text in their
// order, every part within 0.2 mm of where the file places it and nothing
// outside the label; a label larger than its sheet's cells is refused and
// nothing printed.
#include "labels/LabelLayout.h"
#include "printing/LabelRun.h"
#include "printing/PdfPrinter.h"
#include "printing/SheetLayout.h"
#include "tests/labels/SampleLabel.h"
#include "tests/support/Files.h"
#include "tests/support/LabelPage.h"
#include "tests/support/Pages.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

printing::LabelParts Sample()
{
    printing::LabelParts parts;
    parts.label = std::make_shared<const labels::PreparedLabel>(*labels::PrepareLabel(testsupport::SampleLabel()));
    parts.fill.record = 7;
    parts.fill.today = QDate(2026, 1, 15);
    parts.verify = true;
    return parts;
}

printing::NextLabel Once(const printing::LabelParts& parts)
{
    return [parts, once = true]() mutable -> std::optional<printing::SheetLabel> {
        if (!std::exchange(once, false))
            return std::nullopt;
        printing::SheetLabel label{QStringLiteral("shelf.json"), {}, {}};
        label.parts = parts;
        return label;
    };
}

} // namespace

TEST(LabelPrint, BuiltInPdfAt300Dpi_CodesReadTextInOrderPartsWhereTheFilePlacesThem)
{
    QTemporaryDir folder;
    printing::PdfPrinter pdf(folder.path(), 300);
    const printing::RunReport report = printing::PrintLabelRun(pdf, {std::nullopt, 0, 0}, Once(Sample()));
    ASSERT_TRUE(report.status.ok()) << report.status.failure().text.toStdString();
    ASSERT_EQ(report.jobs.size(), 1u);
    const QString file = report.jobs[0].pdfPath;

    const QString text = testsupport::PdfText(file);
    qsizetype at = -1;
    for (const char* line : {"SKU-0007", "Best before 14.02.2026", "A product name rather too long for its box", "€ 12.50"}) {
        const qsizetype found = text.indexOf(QString::fromUtf8(line));
        EXPECT_GT(found, at) << line << " after the line before it, in " << text.toStdString();
        at = std::max(at, found);
    }

    const std::vector<QImage> pages = testsupport::RenderPdf(file, 300);
    ASSERT_EQ(pages.size(), 1u);
    const core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(*Sample().label, Sample().fill, 300);
    ASSERT_TRUE(laid.ok());
    // The label's corner is the printable area's, 6.35 mm in from the sheet's.
    testsupport::ExpectLabelWhereTheFilePlacesIt(pages[0], {300, QPointF(6.35, 6.35)}, testsupport::SampleLabel(), *laid,
                                                 {"SKU-0007", "https://example.com/p/7"});
}

TEST(LabelPrint, LargerThanTheSheetsCells_RefusedAndNothingPrinted)
{
    QTemporaryDir folder;
    printing::PdfPrinter pdf(folder.path(), 300);
    const printing::SheetLayout l7160 = *std::find_if(printing::BuiltInLayouts().begin(), printing::BuiltInLayouts().end(),
                                                      [](const auto& l) { return l.name.endsWith(QLatin1String("L7160")); });
    const printing::RunReport report =
        printing::PrintLabelRun(pdf, {printing::SheetPlacement{l7160, 1, 0, 0}, 0, 0}, Once(Sample()));
    ASSERT_TRUE(report.status.failed());
    EXPECT_TRUE(report.status.failure().text.contains(QStringLiteral("is 100 × 60 mm, larger than the 63.5 × 38.1 mm labels")))
        << report.status.failure().text.toStdString();
    EXPECT_EQ(report.printed, 0);
    EXPECT_TRUE(testsupport::Entries(folder.path()).isEmpty());
}
