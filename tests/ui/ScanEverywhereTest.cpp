// The pattern symbols scan wherever a user meets them, at every width
// Text9 can ask: from the window, from the clipboard and from the printed
// page, with both decoders, and no decoder ever returns a wrong text (a
// slightly turned page included).
#include "core/Numeric.h"
#include "printing/Printer.h"
#include "services/Messages.h"
#include "symbols/PatternGenerate.h"
#include "tests/support/Decode.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/Sanitizers.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QRadioButton>
#include <QRandomGenerator>
#include <algorithm>
#include <iterator>
#include <vector>
#include <set>

namespace {

enum class Kind { Code128, Code25, Codabar };

struct Symbology {
    Kind kind;
    const char* name;
    ZXing::BarcodeFormat format;
};

const Symbology kSymbologies[] = {
    {Kind::Code128, "Code 128-1", ZXing::BarcodeFormat::Code128},
    {Kind::Code25, "Code 2/5", ZXing::BarcodeFormat::ITF},
    {Kind::Codabar, "Codabar", ZXing::BarcodeFormat::Codabar},
};

// How a test's parameter is named in its log.
void PrintTo(const Symbology& s, std::ostream* out) { *out << s.name; }

// Under the sanitizers the point is memory, not every width: three of them.
const std::vector<const char*> kWidths = testsupport::kUnderAsan
                                             ? std::vector<const char*>{"300", "800", ""}
                                             : std::vector<const char*>{"300", "400", "500", "640", "800", "1000", "1200", "1600", ""};

// Random valid texts: printable ASCII; 6 to 20 digits (decoders want six
// or more of Interleaved 2 of 5); Codabar's digits and signs.
QString RandomText(Kind kind, QRandomGenerator& rng)
{
    QString t;
    switch (kind) {
    case Kind::Code128:
        for (int i = 0, n = 1 + rng.bounded(20); i < n; ++i)
            t += QChar(32 + rng.bounded(95));
        break;
    case Kind::Code25:
        for (int i = 0, n = 6 + rng.bounded(15); i < n; ++i)
            t += QChar('0' + rng.bounded(10));
        break;
    case Kind::Codabar:
        for (int i = 0, n = 2 + rng.bounded(14); i < n; ++i)
            t += QLatin1Char("0123456789-$:/.+"[rng.bounded(16)]);
        break;
    }
    return t;
}

// The texts one symbology's test draws, three for each width: all of them
// come from one seeded generator in one order (symbology by symbology,
// width by width), so that a symbology meets the same texts whether its
// test runs alone or beside the others.
std::vector<QString> TextsOf(Kind kind)
{
    QRandomGenerator rng(20261207);
    std::vector<QString> texts;
    for (const Symbology& s : kSymbologies)
        for (std::size_t w = 0; w < std::size(kWidths); ++w)
            for (int i = 0; i < 3; ++i) {
                const QString text = RandomText(s.kind, rng);
                if (s.kind == kind)
                    texts.push_back(text);
            }
    return texts;
}

// What a decoder gives back: an odd number of digits gets a 0 at the end;
// zbar keeps Codabar's start and stop characters, zxing-cpp drops them.
std::string Expected(Kind kind, const QString& text)
{
    return (kind == Kind::Code25 && text.size() % 2 ? text + QLatin1Char('0') : text).toStdString();
}

std::string WithoutStartStop(std::string s)
{
    if (s.size() >= 2 && std::string("ABCD").find(s.front()) != std::string::npos &&
        std::string("ABCD").find(s.back()) != std::string::npos)
        s = s.substr(1, s.size() - 2);
    return s;
}

QImage Turned(const QImage& page, double degrees)
{
    QImage out(page.size(), QImage::Format_Grayscale8);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(page.width() / 2.0, page.height() / 2.0);
    p.rotate(degrees);
    p.translate(-page.width() / 2.0, -page.height() / 2.0);
    p.drawImage(0, 0, page);
    return out;
}

// One symbology a test: each renders and reads many pages, and the three
// run side by side.
struct ScanEverywhereTest : testsupport::PrintingTest, ::testing::WithParamInterface<Symbology> {
    ui::Form1 form{testsupport::PrintingWindow(*this)};
    QTemporaryDir dir;

    void SetUp() override { form.Form_Load(); }

    QImage ClipboardPicture()
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? QImage::fromData(data->data(QStringLiteral("image/png")), "PNG") : QImage();
    }

    // The built-in printer's page with every drawing one under the other;
    // `fits` tells which of them the width of the page holds whole.
    QString PrintDrawings(const std::vector<graphics::Drawing>& drawings, std::vector<bool>& fits)
    {
        const std::unique_ptr<printing::PrintTarget> target = sandbox.Printers().Open(printing::kPdfPrinterName);
        printing::Printer printer(*target);
        printer.SetScaleMode(printing::PrinterScale::Millimeters);
        double y = 0;
        for (const graphics::Drawing& d : drawings) {
            fits.push_back(printer.DrawingWidth(d) <= printer.ScaleWidth());
            EXPECT_TRUE(printer.PaintDrawing(d, 0, y).ok());
            y += printer.DrawingHeight(d) + 5;
        }
        const core::Result<printing::JobDone> done = printer.EndDoc();
        EXPECT_TRUE(done.ok()) << done.failure().text.toStdString();
        return done.ok() ? done->pdfPath : QString();
    }

    // The symbol of one text as the window shows it (its picture with the
    // quiet zones the window adds), and its drawing. Codabar, which no
    // option selects, is drawn by the same step on a surface like Picture5.
    std::pair<QImage, graphics::Drawing> Draw(Kind kind, const QString& text, const char* width, bool withText)
    {
        if (kind == Kind::Codabar) {
            graphics::PictureBox box(240, 120, 6615, 1095);
            QString t = text;
            EXPECT_TRUE(symbols::DrawPatternSymbol(symbols::CodabarPatternOf, t, {1.4, core::ParseNumber(QString::fromLatin1(width)), withText}, box).ok());
            return {graphics::WithQuietZones(box.Image(), graphics::QuietZonePixels(box.CurrentDrawing())), box.CurrentDrawing()};
        }
        (kind == Kind::Code128 ? testsupport::Radio(form, "Option4") : testsupport::Radio(form, "Option5"))->setChecked(true);
        testsupport::CheckBox(form, "Check2")->setChecked(withText);
        testsupport::Line(form, "Text9")->setText(QString::fromLatin1(width));
        testsupport::Line(form, "Text1")->setText(text);
        form.Command1_Click();
        return {graphics::WithQuietZones(form.Box("Picture5").Image(), graphics::QuietZonePixels(form.Box("Picture5").CurrentDrawing())),
                form.Box("Picture2").PictureDrawing()};
    }
};

} // namespace

TEST_P(ScanEverywhereTest, PatternSymbols_ReadFromWindowClipboardAndPage_AtEveryWidth)
{
    const Symbology& s = GetParam();
    const std::vector<QString> texts = TextsOf(s.kind);
    auto nextText = texts.begin();
    for (const char* width : kWidths) {
        SCOPED_TRACE(std::string(s.name) + ", Text9 \"" + width + "\"");
        std::vector<graphics::Drawing> drawings;
        std::vector<std::string> expected;
        for (int i = 0; i < 3; ++i) {
            const QString text = *nextText++;
            const bool withText = i % 2 == 1;
            SCOPED_TRACE(text.toStdString() + (withText ? " with text" : ""));
            const auto [window, drawing] = Draw(s.kind, text, width, withText);
            expected.push_back(Expected(s.kind, text));
            drawings.push_back(drawing);

            EXPECT_EQ(testsupport::DecodeOne(window, s.format).text, expected.back()) << "the window";
            if (s.kind != Kind::Codabar) {
                form.Command9_Click();
                EXPECT_EQ(testsupport::DecodeOne(ClipboardPicture(), s.format).text, expected.back()) << "the clipboard";
            }
        }

        std::vector<bool> fits;
        const QString pdf = PrintDrawings(drawings, fits);
        ASSERT_FALSE(pdf.isEmpty());
        // A symbol wider than the page (twenty characters at "1600") can't be read from it.
        std::vector<std::string> sorted;
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (fits[i])
                sorted.push_back(expected[i]);
        std::sort(sorted.begin(), sorted.end());
        const std::set<std::string> valid(expected.begin(), expected.end());
        for (int dpi : {203, 300, 600}) {
            const auto pages = testsupport::RenderPdf(pdf, dpi, testsupport::Renderer::Poppler, 3.5);
            ASSERT_EQ(pages.size(), 1u);
            std::vector<std::string> zxing, zbar;
            for (const auto& d : testsupport::DecodeAll(pages[0], s.format))
                zxing.push_back(d.text);
            for (const std::string& z : testsupport::ZbarDecodeAll(pages[0]))
                zbar.push_back(s.kind == Kind::Codabar ? WithoutStartStop(z) : z);
            std::sort(zxing.begin(), zxing.end());
            std::sort(zbar.begin(), zbar.end());
            auto readable = [&](const std::vector<std::string>& read) {
                std::vector<std::string> whole;
                std::copy_if(read.begin(), read.end(), std::back_inserter(whole),
                             [&](const std::string& t) { return std::count(sorted.begin(), sorted.end(), t); });
                return whole;
            };
            EXPECT_EQ(readable(zxing), sorted) << "zxing-cpp from the page at " << dpi << " dpi";
            EXPECT_EQ(readable(zbar), sorted) << "zbar from the page at " << dpi << " dpi";
            for (const auto& t : zxing)
                EXPECT_TRUE(valid.count(t)) << "zxing-cpp read \"" << t << "\" at " << dpi << " dpi";
            for (const auto& t : zbar)
                EXPECT_TRUE(valid.count(t)) << "zbar read \"" << t << "\" at " << dpi << " dpi";
            // A page laid slightly askew may read or not, but never as another text.
            for (double degrees : {2.0, -3.0}) {
                const QImage turned = Turned(pages[0], degrees);
                for (const auto& d : testsupport::DecodeAll(turned, s.format))
                    EXPECT_TRUE(valid.count(d.text))
                        << "zxing-cpp read \"" << d.text << "\" at " << dpi << " dpi turned " << degrees;
                for (const std::string& z : testsupport::ZbarDecodeAll(turned)) {
                    const std::string t = s.kind == Kind::Codabar ? WithoutStartStop(z) : z;
                    EXPECT_TRUE(valid.count(t)) << "zbar read \"" << t << "\" at " << dpi << " dpi turned " << degrees;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EachPatternSymbology, ScanEverywhereTest, ::testing::ValuesIn(kSymbologies), [](const auto& info) {
    switch (info.param.kind) {
    case Kind::Code128: return std::string("Code128");
    case Kind::Code25: return std::string("Code2of5");
    case Kind::Codabar: break;
    }
    return std::string("Codabar");
});
