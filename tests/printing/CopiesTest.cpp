// Copies: each label of a run printed N times, in its own job as pages of
// that job, or on sheets in cells one after the other.
#include "printing/LabelRun.h"
#include "printing/PdfPrinter.h"
#include "symbols/Generate.h"
#include "tests/support/Pages.h"
#include "tests/support/PrintSupport.h"

namespace {

struct CopiesTest : testsupport::PrintingTest {};

printing::SheetLabel Label(const QString& text)
{
    symbols::SymbolRequest r;
    r.text = text;
    return {text, {symbols::GenerateSymbol(r).drawing.Cropped(), {}, {}}, {}};
}

printing::NextLabel Labels(QStringList texts)
{
    return [texts]() mutable -> std::optional<printing::SheetLabel> {
        if (texts.isEmpty())
            return std::nullopt;
        return Label(texts.takeFirst());
    };
}

} // namespace

TEST_F(CopiesTest, EachLabel_PrintsTheNumberOfCopies_InItsOwnJobOrInCellsInARow)
{
    const printing::SheetLayout& sheet = printing::BuiltInLayouts().front(); // 65 labels a sheet
    struct Case {
        bool onSheets;
        int copies;
        int jobs;
        int pagesEach;
        qint64 placed;
    };
    const Case cases[] = {
        {false, 1, 2, 1, 2}, {false, 3, 2, 3, 2}, // a job a label, its copies its pages
        {true, 1, 1, 1, 2},  {true, 3, 1, 1, 6},  // one job, a cell a copy
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.onSheets ? "on sheets" : "a job a label") + ", copies " + std::to_string(c.copies));
        printing::PdfPrinter pdf(sandbox.pdfDir.path(), 100);
        printing::RunPlacement where{std::nullopt, 1, 1, c.copies};
        if (c.onSheets)
            where.sheets = printing::SheetPlacement{sheet, 1, 0.2, 0.2};
        const printing::RunReport report = printing::PrintLabelRun(pdf, where, Labels({"A1", "A2"}));
        ASSERT_TRUE(report.status.ok()) << report.status.failure().text.toStdString();
        EXPECT_EQ(report.printed, c.placed);
        ASSERT_EQ(report.jobs.size(), size_t(c.jobs));
        for (const printing::JobDone& job : report.jobs)
            EXPECT_EQ(testsupport::RenderPdf(job.pdfPath, 20).size(), size_t(c.pagesEach));
    }
}
