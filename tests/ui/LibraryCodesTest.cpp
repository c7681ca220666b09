// The symbologies libzint encodes: every one reads back as its text from
// the window, from every file format and from the printed page; wrong
// input is refused with a reason that names what is wrong; and a matrix
// code's modules are all the same whole number of dots on every device.
#include "files/Export.h"
#include "jobs/StoredOptions.h"
#include "printing/PrintAction.h"
#include "printing/Printers.h"
#include "symbols/SymbologyTable.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <ZXing/BarcodeFormat.h>

using symbols::Symbology;
using symbols::LibraryOptions;

namespace {

struct Case {
    Symbology symbology;
    const char* text;
    LibraryOptions options = {};
};

// Short and long texts, digits only, UTF-8 and GS1 data, with each option.
const Case kCases[] = {
    {Symbology::Code128, "12345678901234567890"},
    {Symbology::Code128, "Mixed 123456 case\tTAB"},
    {Symbology::Gs1_128, "(01)09501101530003(17)270101(10)AB-123"},
    {Symbology::Gs1_128, "(00)095011015300000010"},
    {Symbology::RetailEan13, "950110153000"},
    {Symbology::RetailEan13, "4006381333931"},
    {Symbology::RetailEan8, "9638507"},
    {Symbology::RetailUpcA, "036000291452"},
    {Symbology::Qr, "https://example.org/QV-0001"},
    {Symbology::Qr, "Grüße € 東京", {'H'}},
    {Symbology::Qr, "0123456789012345678901234567890123456789012345678901234567890123456789", {'L'}},
    {Symbology::DataMatrix, "QV-0001"},
    {Symbology::DataMatrix, "Ünïcödé text", {'M', 0, true}},
    {Symbology::Gs1DataMatrix, "(01)09501101530003(17)270101(10)AB-123"},
    {Symbology::Pdf417, "Shipping label 4711, dock 9"},
    {Symbology::Pdf417, "Columns 3 and €", {'M', 3}},
    {Symbology::Aztec, "Ticket 0815 Zürich"},
};

symbols::SymbolRequest RequestFor(const Case& c)
{
    symbols::SymbolRequest r = symbols::ReadSizeFields(c.symbology, QString::fromUtf8(c.text), QStringLiteral("1.4"),
                                               QStringLiteral("8"), QStringLiteral("500"), false);
    r.library = c.options;
    return r;
}

ZXing::BarcodeFormat FormatOf(const symbols::ScanExpectation& e)
{
    return ZXing::BarcodeFormatFromString(e.format.toStdString());
}

std::string Read(const QImage& image, const symbols::ScanExpectation& e)
{
    return testsupport::DecodeOne(image, FormatOf(e)).text;
}

QImage SvgRaster(const QString& svg)
{
    const QString png = svg + QStringLiteral(".png");
    QProcess::execute(QStringLiteral("rsvg-convert"), {QStringLiteral("-z"), QStringLiteral("3"), svg, QStringLiteral("-o"), png});
    return QImage(png);
}

struct LibraryCodesTest : testsupport::PrintingTest {
    QTemporaryDir dir;
};

} // namespace

TEST_F(LibraryCodesTest, EveryNewSymbology_ReadsBackFromScreenFilesAndPrintedPage)
{
    const std::unique_ptr<printing::PrintTarget> printer = sandbox.Printers().Open(printing::kPdfPrinterName);
    ASSERT_EQ(printer->Name(), printing::kPdfPrinterName);
    int n = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(symbols::RowOf(c.symbology).name) + " \"" + c.text + "\"");
        const symbols::SymbolRequest request = RequestFor(c);
        const symbols::Symbol symbol = symbols::GenerateSymbol(request);
        ASSERT_TRUE(symbol.status.ok()) << symbol.status.failure().text.toStdString();
        const graphics::Drawing drawing = symbol.drawing.Cropped();
        const symbols::ScanExpectation e = symbols::ExpectedScan(c.symbology, request.text);
        const std::string want = e.text.toStdString();

        EXPECT_EQ(Read(graphics::WithQuietZones(drawing), e), want) << "screen";
        const QString base = dir.filePath(QString::number(++n));
        for (const char* ext : {".png", ".svg", ".pdf"})
            ASSERT_TRUE(files::ExportDrawing(drawing, base + QLatin1String(ext)).ok());
        const QImage png(base + QStringLiteral(".png"));
        EXPECT_EQ(Read(png, e), want) << "PNG";
        EXPECT_EQ(Read(SvgRaster(base + QStringLiteral(".svg")), e), want) << "SVG";
        // zbar reads QR Code and Code 128 (GS1-128 it returns its own way).
        if (e.format == QLatin1String("QRCode") || c.symbology == Symbology::Code128) {
            EXPECT_EQ(testsupport::ZbarReadOne(png), want) << "zbar";
        }

        sandbox.written.clear();
        ASSERT_TRUE(sandbox.Keep(printing::PrintDrawingAt(*printer, drawing, 1, 1)).ok());
        ASSERT_EQ(sandbox.written.size(), 1);
        for (const int dpi : {300, 600}) {
            SCOPED_TRACE(dpi);
            const auto file = testsupport::RenderPdf(base + QStringLiteral(".pdf"), dpi);
            ASSERT_EQ(file.size(), 1u);
            EXPECT_EQ(Read(file[0], e), want) << "PDF file";
            const auto page = testsupport::RenderPdf(sandbox.written[0], dpi, testsupport::Renderer::Poppler, 3);
            ASSERT_EQ(page.size(), 1u);
            EXPECT_EQ(Read(testsupport::AroundInk(page[0]), e), want) << "printed page";
        }
    }
}

TEST_F(LibraryCodesTest, TheWindow_DrawsWhatMoreOffers_AndItsPictureScans)
{
    ui::Form1 form{testsupport::PrintingWindow(*this)};
    form.Form_Load();
    for (const Case& c : kCases) {
        if (c.options.qrEcc != 'M' || c.options.pdf417Columns || c.options.rectangular)
            continue; // the window's own option is its default here
        SCOPED_TRACE(std::string(symbols::RowOf(c.symbology).name) + " \"" + c.text + "\"");
        const int index = testsupport::Combo(form, "ComboMore")->findData(QLatin1String(symbols::RowOf(c.symbology).name));
        ASSERT_GT(index, 0);
        testsupport::Combo(form, "ComboMore")->setCurrentIndex(index);
        emit testsupport::Combo(form, "ComboMore")->activated(index);
        testsupport::Line(form, "Text1")->setText(QString::fromUtf8(c.text));
        ASSERT_TRUE(form.LastGenerate().ok()) << form.LastGenerate().failure().text.toStdString();
        const symbols::ScanExpectation e = symbols::ExpectedScan(c.symbology, testsupport::Line(form, "Text1")->text());
        const graphics::Drawing& drawing = form.BarcodeToPrint();
        const QImage shown = graphics::WithQuietZones(*form.Box("Picture2").Picture(), graphics::QuietZonePixels(drawing),
                                                      graphics::QuietZoneRows(drawing));
        EXPECT_EQ(Read(shown, e), e.text.toStdString());
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
}

// A code of the More box typed key by key is incomplete at most keys: the
// reason shows under the drawing and follows the typing; no box opens (it
// would take the next key).
TEST_F(LibraryCodesTest, TypingAGrowingCode_OpensNoBox_AndTheNoteFollows)
{
    struct Typing {
        Symbology symbology;
        const char* text;
        int at;             // after this many characters
        const char* partly; // the note says
    };
    const Typing typings[] = {
        {Symbology::RetailEan13, "4006381333931", 1, "EAN-13 takes 12 digits, or 13 with the check digit, not 1"},
        {Symbology::Gs1_128, "(01)09501101530003", 17, "AI (01): its data is too long or too short"},
    };
    ui::Form1 form{testsupport::PrintingWindow(*this)};
    form.Form_Load();
    for (const Typing& t : typings) {
        SCOPED_TRACE(t.text);
        const int index = testsupport::Combo(form, "ComboMore")->findData(QLatin1String(symbols::RowOf(t.symbology).name));
        testsupport::Combo(form, "ComboMore")->setCurrentIndex(index);
        emit testsupport::Combo(form, "ComboMore")->activated(index);
        const QString text = QString::fromLatin1(t.text);
        for (qsizetype n = 1; n <= text.size(); ++n) {
            testsupport::Line(form, "Text1")->setText(text.left(n));
            const QString note = testsupport::Label(form, "ScanStatus")->text();
            if (n == text.size()) {
                EXPECT_TRUE(form.LastGenerate().ok()) << note.toStdString();
            } else if (n == t.at) {
                EXPECT_TRUE(note.contains(QLatin1String(t.partly))) << note.toStdString();
            }
            if (form.LastGenerate().failed()) {
                EXPECT_TRUE(note.startsWith(QStringLiteral("\u2716 "))) << n << ": " << note.toStdString();
            }
        }
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    }
}

// Every module of a matrix code covers the same whole number of device
// dots across and down, and each one is as dark as the encoder made it:
// at a label printer's 203 dpi, an office printer's 300 and 600, and on a
// 203-dpi system printer's page.
TEST_F(LibraryCodesTest, MatrixModules_AreEqualWholeDotsOnEveryDevice)
{
    printers.names = {QStringLiteral("Label203")};
    printers.resolution = 203;
    const Case cases[] = {{Symbology::Qr, "QV-0001"}, {Symbology::DataMatrix, "QV-0001", {'M', 0, true}},
                          {Symbology::Pdf417, "QV-0001"}, {Symbology::Aztec, "QV-0001"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(symbols::RowOf(c.symbology).name);
        const symbols::Modules m = *symbols::EncodeLibraryCode(symbols::RowOf(c.symbology), QString::fromUtf8(c.text), c.options);
        const graphics::Drawing drawing = symbols::GenerateSymbol(RequestFor(c)).drawing.Cropped();
        const std::unique_ptr<printing::PrintTarget> label = sandbox.Printers().Open(QStringLiteral("Label203"));
        ASSERT_EQ(label->Name(), QStringLiteral("Label203"));
        ASSERT_TRUE(printing::PrintDrawingAt(*label, drawing, 1, 1).ok());
        const auto page = testsupport::RenderPdf(printers.jobs.back().pdf, 203, testsupport::Renderer::Poppler, 3);
        ASSERT_EQ(page.size(), 1u);
        std::vector<std::pair<QImage, int>> devices{{page[0], 203}};
        for (const int dpi : {203, 300, 600})
            devices.push_back({graphics::RasterImage(drawing, {dpi, 0}), dpi});
        for (const auto& [image, dpi] : devices) {
            SCOPED_TRACE(dpi);
            // The symbol's dark bounds, on the image and in modules.
            QRect ink;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (testsupport::IsDark(image, x, y))
                        ink |= QRect(x, y, 1, 1);
            int rowsModules = 0;
            for (int h : m.rowHeights)
                rowsModules += h;
            ASSERT_EQ(ink.width() % m.width, 0) << ink.width() << " dots for " << m.width << " modules";
            const int dots = ink.width() / m.width;
            EXPECT_EQ(ink.height(), rowsModules * dots);
            EXPECT_EQ(dots, std::max(1, static_cast<int>(std::lround(drawing.module * dpi / 96.0))));
            int top = ink.top();
            for (int r = 0; r < m.rows; ++r) {
                const int h = m.rowHeights[static_cast<size_t>(r)] * dots;
                for (int x = 0; x < m.width; ++x)
                    for (const auto& [dx, dy] : {std::pair{0, 0}, {dots - 1, h - 1}})
                        ASSERT_EQ(testsupport::IsDark(image, ink.left() + x * dots + dx, top + dy), m.Dark(x, r))
                            << "module " << x << " of row " << r;
                top += h;
            }
        }
    }
}

// What the settings hold picks the symbology and its option; a value that
// is none of theirs leaves the default, and the option buttons' keys keep
// deciding when "More…" holds nothing of its own.
TEST(LibraryCodes, StoredPickAndOptions_ComeBackOrFallBackToTheDefault)
{
    struct Stored {
        std::vector<std::pair<const char*, const char*>> keys;
        Symbology selected;
        LibraryOptions options;
    };
    const Stored cases[] = {
        {{{"moretype", "qr"}, {"qrecc", "h"}}, Symbology::Qr, {'H'}},
        {{{"moretype", "qr"}, {"qrecc", "Z"}}, Symbology::Qr, {'M'}},
        {{{"moretype", "pdf417"}, {"pdf417columns", "7"}}, Symbology::Pdf417, {'M', 7}},
        {{{"moretype", "pdf417"}, {"pdf417columns", "31"}}, Symbology::Pdf417, {'M', 0}},
        {{{"moretype", "datamatrix"}, {"dmrectangular", "1"}}, Symbology::DataMatrix, {'M', 0, true}},
        {{{"moretype", "code39"}, {"type8", "True"}}, Symbology::UpcA, {}},
        {{{"moretype", "no-such-code"}}, Symbology::Code128B, {}},
    };
    for (const Stored& c : cases) {
        testsupport::TempConfig config;
        for (const auto& [key, value] : c.keys)
            ASSERT_TRUE(jobs::StoreOption(QLatin1String(key), QLatin1String(value)).ok());
        SCOPED_TRACE(c.keys.front().second);
        const symbols::SymbolRequest r = jobs::ReadStoredOptions().Request(QStringLiteral("A"));
        EXPECT_EQ(r.symbology, c.selected);
        EXPECT_EQ(r.library.qrEcc, c.options.qrEcc);
        EXPECT_EQ(r.library.pdf417Columns, c.options.pdf417Columns);
        EXPECT_EQ(r.library.rectangular, c.options.rectangular);
        ui::Form1 form{testsupport::Quietly()};
        form.Form_Load();
        EXPECT_EQ(form.SelectedRow().symbology, c.selected);
        EXPECT_EQ(form.ReadRequest().library.pdf417Columns, c.options.pdf417Columns);
        EXPECT_EQ(testsupport::Spin(form, "SpinColumns")->isVisibleTo(&form), c.selected == Symbology::Pdf417);
    }
}

TEST(LibraryCodes, WrongInput_IsRefusedWithWhatIsWrong)
{
    struct Refusal {
        Symbology code;
        const char* text;
        const char* message;
    };
    const std::string tooLongQr(8000, '7');
    const Refusal refusals[] = {
        {Symbology::Gs1_128, "(01)09501101530004", "AI (01): check digit should be 3"},
        {Symbology::Gs1_128, "(01)0950110153000", "AI (01): its data is too long or too short"},
        {Symbology::Gs1_128, "(01)095011015300AB", "AI (01): 'A' is not a digit at position 13"},
        {Symbology::Gs1_128, "(17)271301", "AI (17): invalid month '13' at position 3"},
        {Symbology::Gs1_128, "(10)AB~12", "AI (10): '~' is not allowed in its data at position 3"},
        {Symbology::Gs1_128, "(9999)12", "AI (9999): no such application identifier"},
        {Symbology::Gs1_128, "0109501101530003", "GS1 data starts with an AI in brackets, such as (01)"},
        {Symbology::Gs1DataMatrix, "(00)123456789012345678", "AI (00): check digit should be 5"},
        {Symbology::RetailEan13, "4006381333932", "the check digit should be 1, not 2"},
        {Symbology::RetailEan13, "40063813339", "EAN-13 takes 12 digits, or 13 with the check digit, not 11"},
        {Symbology::RetailEan8, "9638507x", "EAN-8 takes 7 digits, or 8 with the check digit: \"x\" at position 8 is not a digit"},
        {Symbology::RetailUpcA, "036000291453", "the check digit should be 2, not 3"},
        {Symbology::Code128, "Ж", "it takes Latin-1 characters only (ISO/IEC 8859-1)"},
        {Symbology::Qr, tooLongQr.c_str(), "too long for the largest QR Code (version 40) at error correction M"},
        {Symbology::DataMatrix, tooLongQr.c_str(), "too long for a Data Matrix symbol"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(std::string(r.text).substr(0, 40));
        const core::Result<symbols::Modules> e = symbols::EncodeLibraryCode(symbols::RowOf(r.code), QString::fromUtf8(r.text));
        ASSERT_TRUE(e.failed());
        EXPECT_TRUE(e.failure().text.startsWith(QString::fromUtf8(r.message))) << e.failure().text.toStdString();
    }
    // Code sets switch by themselves: 20 digits take code set C's pairs.
    EXPECT_EQ(symbols::EncodeLibraryCode(symbols::RowOf(Symbology::Code128), QStringLiteral("12345678901234567890"))->width, 145);
}
