#include "symbols/SymbologyTable.h"

#include "symbols/Codabar.h"
#include "symbols/Code128Generate.h"
#include "symbols/Code39.h"
#include "symbols/Ean.h"
#include "symbols/Interleaved25.h"
#include "symbols/LibraryGenerate.h"
#include "symbols/PatternGenerate.h"
#include "symbols/UpcA.h"

#include <algorithm>
#include <array>
#include <vector>

namespace symbols {
namespace {

using core::Failure;

// ------------------------------------------------------------ drawing steps

// A symbology that takes no symbol of this text draws nothing, and the
// window shows that as it is: an empty surface, or UPC's message in its box.
Failure NotDrawable(const QString& why) { return Failure{core::kNotDrawable, why, true}; }

Generated Code128B(const SymbolRequest& r, GenerateSurfaces& s)
{
    SizeCode39Surface(s.code39, r.heightFactor, r.fontSize);
    // The Code 39 drawing of the text sizes the surface for the engine,
    // which clears it at once: the sizing without the drawing.
    SizeCode39(EncodeCode39(r.text), s.code39, r.withText);
    const core::Result<Code128Area> drawn = RunCode128Engine(r, s.code39);
    if (drawn.failed())
        return {nullptr, drawn.failure(), {}}; // an engine error draws nothing
    return {&s.code39, {}, {}};
}

Generated Code39(const SymbolRequest& r, GenerateSurfaces& s)
{
    SizeCode39Surface(s.code39, r.heightFactor, r.fontSize);
    // The bars leave 1.5 text heights free under them: a caption that
    // large for the height leaves no bars at all (or bars turned upside
    // down) and is cut off at the top. The box then grows to keep half of
    // the bars' height.
    if (r.withText) {
        const double free = 1.5 * s.code39.TextHeight(r.text);
        if (free >= s.code39.ScaleHeight())
            s.code39.SetHeight(s.code39.Height() * (s.code39.ScaleHeight() / 2 + free) / s.code39.ScaleHeight());
    }
    if (DrawCode39(EncodeCode39(r.text), s.code39, r.withText) <= s.code39.PixelWidth())
        return {&s.code39, {}, {}};
    // A symbol wider than the widest surface can't be drawn whole, and a
    // cut barcode scans wrong or not at all: nothing is drawn.
    s.code39.Cls();
    return {nullptr, Failure{core::kTooLongToDraw, kTooLongToDraw}, {}};
}

Generated Pattern(const QString& type, const SymbolRequest& r, graphics::Surface& surface)
{
    QString text = r.text;
    const core::Status drawn = DrawPatternSymbol(type, text, {r.heightFactor, r.width, r.withText}, surface);
    if (drawn.failed() && drawn.failure().code == core::kTooLongToDraw) {
        surface.Cls();
        return {nullptr, drawn, {}};
    }
    return {&surface, drawn, {}};
}

Generated Code128_1(const SymbolRequest& r, GenerateSurfaces& s) { return Pattern(QStringLiteral("128"), r, s.pattern); }

Generated Code25(const SymbolRequest& r, GenerateSurfaces& s)
{
    if (r.text.size() < 2)
        return {nullptr, NotDrawable(QStringLiteral("Code 2/5 needs at least 2 characters")), {}};
    return Pattern(QStringLiteral("25"), r, s.pattern);
}

Generated Codabar(const SymbolRequest& r, GenerateSurfaces& s) { return Pattern(QStringLiteral("Codit"), r, s.pattern); }

Generated UpcA(const SymbolRequest& r, GenerateSurfaces& s)
{
    s.upcA.SetScaleMode(graphics::ScaleMode::Twips); // the layout is in twips
    const UpcASymbol symbol = EncodeUpcA(r.text);
    DrawUpcA(s.upcA, symbol, r.withText);
    return {&s.upcA, symbol.status, QString::number(symbol.check)};
}

Generated Ean(const SymbolRequest& r, GenerateSurfaces& s)
{
    FitEanScale(s.ean, r.barLength, r.fontSize);
    EanDrawn drawn = DrawEan(s.ean, r.text, r.barLength, r.fontSize);
    Generated g{&s.ean, std::move(drawn.status), drawn.code};
    if (r.text.size() < 7)
        g.status = NotDrawable(QStringLiteral("EAN needs at least 7 characters"));
    return g;
}

// The symbologies libzint encodes, laid out by LayOutModules on their own
// surface, with the quiet zone (in modules) each needs.
template <LibraryCode code, ModuleShape shape, int quiet>
Generated Library(const SymbolRequest& r, GenerateSurfaces& s)
{
    return GenerateLibraryCode(code, shape, quiet, r, s.library);
}

// ------------------------------------------------------- what a reader reads

// The Code 128 engine's stand-ins for the function characters, and how a
// reader reports them: FNC1 is no part of the text (first it marks a GS1
// symbol; later zxing-cpp 1.4 leaves it out where a scanner would send a
// group separator); FNC2 and FNC3 are instructions to the reader; FNC4
// adds 128 to the next character.
constexpr char16_t kFnc1 = 185, kFnc2 = 178, kFnc3 = 179, kFnc4 = 188;

ScanExpectation ReadCode128B(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == kFnc4 && i + 1 < text.size() && text[i + 1].unicode() < 128)
            out += QChar(text[++i].unicode() + 128);
        else if (c != kFnc1 && c != kFnc2 && c != kFnc3 && c != kFnc4)
            out += text[i];
    }
    return {QStringLiteral("Code128"), out};
}

ScanExpectation ReadCode39(const QString& text) { return {QStringLiteral("Code39"), text.toUpper()}; }
ScanExpectation ReadCode128_1(const QString& text) { return {QStringLiteral("Code128"), text}; }
bool OnlyOf(const QString& text, const QString& allowed)
{
    return std::all_of(text.begin(), text.end(), [&](QChar c) { return allowed.contains(c); });
}

// zxing-cpp reads Interleaved 2 of 5 from six digits on, and not every
// Codabar symbol of fewer data characters than three: those are measured
// against their patterns instead.
constexpr qsizetype kItfReaderMinimum = 6;
constexpr qsizetype kCodabarReaderMinimum = 3;
const QString kCodabarData = QStringLiteral("0123456789-$:/.+");

ScanExpectation ReadCode25(const QString& text)
{
    ScanExpectation e{QStringLiteral("ITF"), text.size() % 2 ? text + QLatin1Char('0') : text, {}, {}};
    if (text.size() % 2)
        e.note = QStringLiteral("a 0 was added: Code 2/5 needs an even number of digits");
    if (e.text.size() < kItfReaderMinimum && OnlyOf(e.text, QStringLiteral("0123456789"))) {
        const Interleaved25Result r = Interleaved25Pattern(e.text);
        if (r.status.ok())
            e.widthsPattern = r.pattern;
    }
    return e;
}

ScanExpectation ReadCodabar(const QString& text)
{
    ScanExpectation e{QStringLiteral("Codabar"), text.toUpper(), {}, {}};
    if (!e.text.isEmpty() && e.text.size() < kCodabarReaderMinimum && OnlyOf(e.text, kCodabarData))
        e.widthsPattern = CodabarPattern(e.text);
    return e;
}

ScanExpectation ReadUpcA(const QString& text)
{
    const QString code = text.trimmed();
    return {QStringLiteral("UPC-A"), code + QString::number(UpcACheckDigit(code))};
}

ScanExpectation ReadEan(const QString& text)
{
    if (text.size() < 7)
        return {};
    const bool eight = text.size() <= 11;
    const qsizetype data = eight ? 7 : 12;
    ScanExpectation e{eight ? QStringLiteral("EAN-8") : QStringLiteral("EAN-13"),
                      EanWithCheckDigit(text.left(data)), {}, {}};
    // A typed check digit that is not the right one is replaced; digits
    // past the check digit's place are not used.
    if (text.size() == data + 1 && text.back() != e.text.back())
        e.note = QStringLiteral("the check digit typed, %1, was replaced").arg(text.back());
    else if (text.size() > data + 1)
        e.note = QStringLiteral("%1 of the first %2 digits; %3 digits were not used")
                     .arg(e.format)
                     .arg(data)
                     .arg(text.size() - data);
    return e;
}

// A retail code reads as its digits with the check digit; a text it
// refuses draws no symbol.
template <LibraryCode code>
ScanExpectation ReadRetail(const QString& text)
{
    const std::optional<QString> digits = RetailDigits(code, text);
    if (!digits)
        return {};
    const char* format = code == LibraryCode::Ean13 ? "EAN-13" : code == LibraryCode::Ean8 ? "EAN-8" : "UPC-A";
    return {QLatin1String(format), *digits, {}, {}};
}

ScanExpectation ReadGs1_128(const QString& text) { return {QStringLiteral("Code128"), Gs1ElementString(text), {}, {}}; }
ScanExpectation ReadGs1DataMatrix(const QString& text) { return {QStringLiteral("DataMatrix"), Gs1ElementString(text), {}, {}}; }

template <const char* format>
ScanExpectation ReadAsTyped(const QString& text) { return {QLatin1String(format), text, {}, {}}; }
constexpr char kCode128[] = "Code128", kQrCode[] = "QRCode", kDataMatrix[] = "DataMatrix", kPdf417[] = "PDF417", kAztec[] = "Aztec";

// ------------------------------------------------------------------ the rows

using S = Symbology;
using P = SurfaceId;
using L = LibraryCode;
using M = ModuleShape;
using O = OwnOption;

// In the order the store restores the options: when more than one stored
// value is true, the last wins. The option buttons sit where the design put
// them in "Bar Code Type" (Code 128-1's mostly below the frame's edge).
// Heights: the Code 39 surface's bars are 40 pixels a unit of the factor,
// the pattern symbols' 10; a page holds about a thousand pixels (10 inches). A 2D
// code's module is 2 pixels a unit: at 10, 20 pixels (5 mm) a module.
const std::array kBuiltIn{
    SymbologyRow{S::Code128B, "code128b", "Code 128 B", {"Option1", "type1", "1", 1200, 240, 1215, 195}, P::Code39, false, 25, false, Code128B, ReadCode128B},
    SymbologyRow{S::Code39, "code39", "Code 39", {"Option2", "type2", "0", 120, 240, 975, 195}, P::Code39, false, 25, false, Code39, ReadCode39},
    SymbologyRow{S::Code128_1, "code128-1", "Code 128-1", {"Option4", "type4", "0", 2280, 960, 1215, 195}, P::Pattern, false, 100, false, Code128_1, ReadCode128_1},
    SymbologyRow{S::Code25, "code25", "Code 2/5", {"Option5", "type5", "0", 480, 720, 975, 195}, P::Pattern, false, 100, false, Code25, ReadCode25},
    SymbologyRow{S::Codabar, "codabar", "Codabar", {}, P::Pattern, false, 100, false, Codabar, ReadCodabar},
    SymbologyRow{S::UpcA, "upca", "UPC", {"Option8", "type8", "0", 120, 480, 735, 195}, P::UpcA, false, 0, false, UpcA, ReadUpcA},
    SymbologyRow{S::Ean, "ean", "EAN", {"Option9", "type9", "0", 1200, 480, 735, 195}, P::Ean, true, 0, true, Ean, ReadEan},
    SymbologyRow{S::Code128, "code128", "Code 128", {}, P::Library, false, 25, false, Library<L::Code128, M::Bars, 10>, ReadAsTyped<kCode128>, true},
    SymbologyRow{S::Gs1_128, "gs1-128", "GS1-128", {}, P::Library, false, 25, false, Library<L::Gs1_128, M::Bars, 10>, ReadGs1_128, true},
    SymbologyRow{S::RetailEan13, "retail-ean13", "EAN-13", {}, P::Library, false, 25, false, Library<L::Ean13, M::Ean13, 10>, ReadRetail<L::Ean13>, true},
    SymbologyRow{S::RetailEan8, "retail-ean8", "EAN-8", {}, P::Library, false, 25, false, Library<L::Ean8, M::Ean8, 10>, ReadRetail<L::Ean8>, true},
    SymbologyRow{S::RetailUpcA, "retail-upca", "UPC-A", {}, P::Library, false, 25, false, Library<L::UpcA, M::UpcA, 10>, ReadRetail<L::UpcA>, true},
    SymbologyRow{S::Qr, "qr", "QR Code", {}, P::Library, false, 10, false, Library<L::Qr, M::Matrix, 4>, ReadAsTyped<kQrCode>, true, O::QrEcc},
    SymbologyRow{S::DataMatrix, "datamatrix", "Data Matrix", {}, P::Library, false, 10, false, Library<L::DataMatrix, M::Matrix, 1>, ReadAsTyped<kDataMatrix>, true, O::Rectangular},
    SymbologyRow{S::Gs1DataMatrix, "gs1-datamatrix", "GS1 DataMatrix", {}, P::Library, false, 10, false, Library<L::Gs1DataMatrix, M::Matrix, 1>, ReadGs1DataMatrix, true, O::Rectangular},
    SymbologyRow{S::Pdf417, "pdf417", "PDF417", {}, P::Library, false, 10, false, Library<L::Pdf417, M::Matrix, 2>, ReadAsTyped<kPdf417>, true, O::Pdf417Columns},
    // Aztec needs no quiet zone; one module keeps it off a file's edge.
    SymbologyRow{S::Aztec, "aztec", "Aztec", {}, P::Library, false, 10, false, Library<L::Aztec, M::Matrix, 1>, ReadAsTyped<kAztec>, true},
};

std::vector<SymbologyRow>& Rows()
{
    static std::vector<SymbologyRow> rows(kBuiltIn.begin(), kBuiltIn.end());
    return rows;
}

} // namespace

std::span<const SymbologyRow> Symbologies() { return Rows(); }

void RegisterSymbology(const SymbologyRow& row) { Rows().push_back(row); }

void UnregisterSymbology(Symbology symbology)
{
    std::erase_if(Rows(), [symbology](const SymbologyRow& row) { return row.symbology == symbology; });
}

const SymbologyRow& RowOf(Symbology symbology)
{
    for (const SymbologyRow& row : Rows())
        if (row.symbology == symbology)
            return row;
    return Rows().front();
}

std::optional<Symbology> SymbologyNamed(const QString& name)
{
    for (const SymbologyRow& row : Rows())
        if (name == QLatin1String(row.name))
            return row.symbology;
    return std::nullopt;
}

ScanExpectation ExpectedScan(Symbology symbology, const QString& text)
{
    return RowOf(symbology).expectedScan(text);
}

QString HoldsOtherText(Symbology symbology, const QString& typed)
{
    const ScanExpectation e = ExpectedScan(symbology, typed);
    if (e.note.isEmpty())
        return {};
    return QStringLiteral("the %1 barcode of \"%2\" holds %3 (%4)")
        .arg(QString::fromUtf8(RowOf(symbology).caption), typed, e.text, e.note);
}

} // namespace symbols
