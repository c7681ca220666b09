// The calibration page on sheets large and small: its instructions stay on
// the page, clear of the crosses and the rulers.
#include "printing/CalibrationPage.h"
#include "printing/PdfPrinter.h"
#include "tests/support/Pages.h"
#include "tests/support/PrintSupport.h"

namespace {

constexpr int kDpi = 100;

struct CalibrationPageTest : testsupport::PrintingTest {};

int Px(double mm) { return static_cast<int>(std::lround(mm / 25.4 * kDpi)); }

// The dark pixels in a box of the page given in mm.
int InkIn(const QImage& page, const QRectF& mm)
{
    int ink = 0;
    for (int y = std::max(Px(mm.top()), 0); y < std::min(Px(mm.bottom()), page.height()); ++y)
        for (int x = std::max(Px(mm.left()), 0); x < std::min(Px(mm.right()), page.width()); ++x)
            ink += testsupport::IsDark(page, x, y);
    return ink;
}

} // namespace

TEST_F(CalibrationPageTest, TheInstructions_StayLeftOfTheRuler_OnEverySheet)
{
    const QSizeF sheets[] = {{101.6, 127}, {101.6, 152.4}, {210, 297}, {215.9, 279.4}};
    for (const QSizeF& sheet : sheets) {
        SCOPED_TRACE(std::to_string(sheet.width()) + " x " + std::to_string(sheet.height()) + " mm");
        printing::PdfPrinter pdf(sandbox.pdfDir.path(), kDpi);
        const core::Result<printing::JobDone> done = printing::PrintCalibrationPage(pdf, sheet);
        ASSERT_TRUE(done.ok());
        const std::vector<QImage> pages = testsupport::RenderPdf(done->pdfPath, kDpi);
        ASSERT_EQ(pages.size(), 1u);
        const double rulerX = sheet.width() / 2 + 15;
        // Between the top crosses and the middle one, right of the
        // vertical ruler and its numbers: nothing (the text ran there).
        const QRectF rightOfRuler(QPointF(rulerX + 9, 28), QPointF(sheet.width() - 27, sheet.height() / 2 - 8));
        if (rightOfRuler.isValid()) {
            EXPECT_EQ(InkIn(pages[0], rightOfRuler), 0);
        }
        // Left of the ruler there is text.
        EXPECT_GT(InkIn(pages[0], QRectF(QPointF(28, 28), QPointF(rulerX - 2, sheet.height() / 2 - 8))), 0);
    }
}
