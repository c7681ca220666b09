// A barcode printed at the size asked: a module in mm or mils, or a width
// it is fitted to, made of whole printer dots; the barcode fits the cells
// of the common label sheets; a cell it does not fit names the largest
// module that does.
#include "printing/PdfPrinter.h"
#include "printing/SheetPrint.h"
#include "symbols/Generate.h"
#include "tests/support/Pages.h"
#include "tests/support/PrintSupport.h"

#include <QRegularExpression>

namespace {

using graphics::PrintSize;
using symbols::Symbology;

const printing::SheetLayout& Layout(const char* name)
{
    for (const printing::SheetLayout& l : printing::BuiltInLayouts())
        if (l.name == QLatin1String(name))
            return l;
    ADD_FAILURE() << "no layout " << name;
    return printing::BuiltInLayouts().front();
}

struct ModuleSizeTest : testsupport::PrintingTest {
    // One label of the drawing on a sheet of the layout, printed by the
    // built-in printer for a printer of `dpi`: what became of it.
    core::Result<printing::SheetsPrinted> PrintOnCell(const graphics::Drawing& d, const char* layout, int dpi,
                                                      double offsetCm = 0.2)
    {
        printing::PdfPrinter pdf(sandbox.pdfDir.path(), dpi);
        const printing::SheetPlacement placement{Layout(layout), 1, offsetCm, offsetCm};
        return printing::PrintOnSheets(pdf, placement, printing::SameLabel({QStringLiteral("label"), {d, {}, {}}, {}}, placement, false));
    }
};

graphics::Drawing Drawn(Symbology s, const char* text, PrintSize size)
{
    symbols::SymbolRequest r;
    r.symbology = s;
    r.text = QString::fromLatin1(text);
    r.printSize = size;
    symbols::Symbol symbol = symbols::GenerateSymbol(r);
    EXPECT_TRUE(symbol.status.ok()) << text;
    return std::move(symbol.drawing).Cropped();
}

// The narrowest dark run across the middle row of the page's ink: the
// printed module, in the picture's pixels.
int NarrowestBar(const QImage& page)
{
    int top = page.height(), bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (testsupport::IsDark(page, x, y)) {
                top = std::min(top, y);
                bottom = y;
                break;
            }
    const int y = top + (bottom - top) / 3; // within the bars, above any caption
    int narrowest = page.width(), run = 0;
    for (int x = 0; x <= page.width(); ++x) {
        if (x < page.width() && testsupport::IsDark(page, x, y)) {
            ++run;
        } else if (run > 0) {
            narrowest = std::min(narrowest, run);
            run = 0;
        }
    }
    return narrowest;
}

} // namespace

TEST_F(ModuleSizeTest, TheModuleAsked_IsWholeDots_AndFitsTheL7160And5160Cells)
{
    struct Case {
        Symbology symbology;
        const char* text;
        PrintSize size;
        int dpi;
        int dots; // per module
        const char* why;
    };
    const Case cases[] = {
        {Symbology::Code128B, "QV-2026-0042100", PrintSize::Module(0.25), 203, 2, "0.246 mm: 2 dots"},
        {Symbology::Code128B, "QV-2026-0042100", PrintSize::Module(0.19), 300, 2, "0.17 mm: 2 dots at 300 dpi"},
        {Symbology::Code128, "QV-2026-00421", PrintSize::Module(0.33), 300, 4, "0.33 mm is 3.9 dots: 4"},
        {Symbology::Code39, "ABC123", PrintSize::Module(13 * 0.0254), 203, 3, "13 mils is 2.6 dots: 3"},
        {Symbology::Code25, "1234567890", PrintSize::Module(0.3), 300, 4, "the pattern symbols too"},
        {Symbology::Codabar, "1234", PrintSize::Module(0.254), 100, 1, "one dot of a 1/100 in grid"},
        {Symbology::Qr, "QV-2026-0042100", PrintSize::Module(0.5), 203, 4, "a 2D code"},
        {Symbology::Code128B, "QV-2026-0042100", PrintSize::Width(60), 203, 2, "fitted: 200 modules of 2 dots are 49 mm, of 3 dots 74 mm"},
        {Symbology::Code128B, "QV-2026-0042100", PrintSize::Width(40), 203, 1, "fitted: 2 dots would be wider than 40 mm"},
        {Symbology::Code128, "QV-2026-00421", PrintSize::Width(30), 300, 2, "fitted: 3 dots would be wider"},
        {Symbology::Code128B, "QV-2026-0042100", PrintSize::Module(0.01), 203, 1, "below one dot: one dot"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const graphics::Drawing d = Drawn(c.symbology, c.text, c.size);
        const graphics::DeviceGrid grid(c.dpi, c.dpi);
        EXPECT_EQ(grid.DotsPerModule(d), c.dots);
        if (c.size.kind == PrintSize::Kind::Width) {
            EXPECT_LE(graphics::ReplayedSize(d, grid).width() / c.dpi * 25.4, c.size.mm + 1e-9);
        }
        for (const char* layout : {"Avery L7160", "Avery 5160"}) {
            const core::Result<printing::SheetsPrinted> printed = PrintOnCell(d, layout, c.dpi);
            ASSERT_TRUE(printed.ok()) << layout << ": " << printed.failure().text.toStdString();
            const std::vector<QImage> pages = testsupport::RenderPdf(printed->done.pdfPath, c.dpi);
            ASSERT_EQ(pages.size(), 1u) << layout;
            EXPECT_EQ(NarrowestBar(pages[0]), c.dots) << layout;
        }
    }
}

TEST_F(ModuleSizeTest, ACellTheBarcodeDoesNotFit_NamesTheLargestModuleThatDoes)
{
    struct Case {
        const char* layout;
        int dpi;
        double offsetCm;
    };
    const Case cases[] = {{"Avery L7160", 203, 0.2}, {"Avery L7160", 300, 1}, {"Avery 5160", 203, 0.2}, {"Avery 5160", 600, 0.5}};
    const QRegularExpression offered(QStringLiteral("A module of ([0-9.]+) mm fits"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.layout) + " at " + std::to_string(c.dpi) + " dpi");
        const graphics::Drawing tooLarge = Drawn(Symbology::Code128B, "QV-2026-0042100", PrintSize::Module(0.6));
        const core::Result<printing::SheetsPrinted> refused = PrintOnCell(tooLarge, c.layout, c.dpi, c.offsetCm);
        ASSERT_TRUE(refused.failed());
        const QRegularExpressionMatch m = offered.match(refused.failure().text);
        ASSERT_TRUE(m.hasMatch()) << refused.failure().text.toStdString();
        const double mm = m.captured(1).toDouble();
        const core::Result<printing::SheetsPrinted> fits =
            PrintOnCell(Drawn(Symbology::Code128B, "QV-2026-0042100", PrintSize::Module(mm)), c.layout, c.dpi, c.offsetCm);
        EXPECT_TRUE(fits.ok()) << mm << " mm: " << (fits.ok() ? "" : fits.failure().text.toStdString());
        const double oneDotMore = mm + 25.4 / c.dpi;
        EXPECT_TRUE(PrintOnCell(Drawn(Symbology::Code128B, "QV-2026-0042100", PrintSize::Module(oneDotMore)),
                                c.layout, c.dpi, c.offsetCm)
                        .failed())
            << "one dot more does not fit: " << oneDotMore << " mm";
    }
}
