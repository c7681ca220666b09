#include "symbols/SymbologyTable.h"

#include "symbols/Codabar.h"
#include "symbols/Code128B.h"
#include "symbols/Code128Generate.h"
#include "symbols/Code39.h"
#include "symbols/Ean.h"
#include "symbols/Interleaved25.h"
#include "symbols/LibraryGenerate.h"
#include "symbols/PatternGenerate.h"
#include "symbols/UpcA.h"

#include <algorithm>
#include <array>
#include <zint.h>

namespace symbols {
namespace {

using core::Failure;

// ------------------------------------------------------------ drawing steps

using graphics::Surface;

// A symbology that takes no symbol of this text draws nothing, and the
// window shows that as it is: an empty surface, or UPC's message in its box.
Failure NotDrawable(const QString& why) { return Failure{core::kNotDrawable, why, true}; }

Generated Code128B(const SymbologyRow&, const SymbolRequest& r, Surface& s)
{
    SizeCode39Surface(s, r.heightFactor, r.fontSize);
    // The Code 39 drawing of the text sizes the surface for the engine,
    // which clears it at once: the sizing without the drawing.
    SizeCode39(EncodeCode39(r.text), s, r.withText);
    const core::Result<Code128Area> drawn = RunCode128Engine(r, s);
    if (drawn.failed())
        return {nullptr, drawn.failure(), {}}; // an engine error draws nothing
    return {&s, {}, {}};
}

Generated Code39(const SymbologyRow&, const SymbolRequest& r, Surface& s)
{
    SizeCode39Surface(s, r.heightFactor, r.fontSize);
    // The bars leave 1.5 text heights free under them: a caption that
    // large for the height leaves no bars at all (or bars turned upside
    // down) and is cut off at the top. The box then grows to keep half of
    // the bars' height.
    if (r.withText) {
        const double free = 1.5 * s.TextHeight(r.text);
        if (free >= s.ScaleHeight())
            s.SetHeight(s.Height() * (s.ScaleHeight() / 2 + free) / s.ScaleHeight());
    }
    if (DrawCode39(EncodeCode39(r.text), s, r.withText) <= s.PixelWidth())
        return {&s, {}, {}};
    // A symbol wider than the widest surface can't be drawn whole, and a
    // cut barcode scans wrong or not at all: nothing is drawn.
    s.Cls();
    return {nullptr, Failure{core::kTooLongToDraw, kTooLongToDraw}, {}};
}

// The symbologies of the bar-pattern renderer, with the encoder the row names.
Generated Pattern(const SymbologyRow& row, const SymbolRequest& r, Surface& surface)
{
    QString text = r.text;
    const core::Status drawn = DrawPatternSymbol(row.pattern, text, {r.heightFactor, r.width, r.withText}, surface);
    if (drawn.failed() && drawn.failure().code == core::kTooLongToDraw) {
        surface.Cls();
        return {nullptr, drawn, {}};
    }
    return {&surface, drawn, {}};
}

Generated Code25(const SymbologyRow& row, const SymbolRequest& r, Surface& s)
{
    if (r.text.size() < 2)
        return {nullptr, NotDrawable(QStringLiteral("Code 2/5 needs at least 2 characters")), {}};
    return Pattern(row, r, s);
}

Generated UpcA(const SymbologyRow&, const SymbolRequest& r, Surface& s)
{
    s.SetScaleMode(graphics::ScaleMode::Twips); // the layout is in twips
    const UpcASymbol symbol = EncodeUpcA(r.text);
    DrawUpcA(s, symbol, r.withText);
    return {&s, symbol.status, QString::number(symbol.check)};
}

Generated Ean(const SymbologyRow&, const SymbolRequest& r, Surface& s)
{
    FitEanScale(s, r.barLength, r.fontSize);
    EanDrawn drawn = DrawEan(s, r.text, r.barLength, r.fontSize);
    Generated g{&s, std::move(drawn.status), drawn.code};
    if (r.text.size() < 7)
        g.status = NotDrawable(QStringLiteral("EAN needs at least 7 characters"));
    return g;
}

// ------------------------------------------------------- what a reader reads

// The Code 128 engine's stand-ins for the function characters, and how a
// reader reports them: FNC1 is no part of the text (first it marks a GS1
// symbol; later zxing-cpp 1.4 leaves it out where a scanner would send a
// group separator); FNC2 and FNC3 are instructions to the reader; FNC4
// adds 128 to the next character.
constexpr char16_t kFnc1 = 185, kFnc2 = 178, kFnc3 = 179, kFnc4 = 188;

ScanExpectation ReadCode128B(const SymbologyRow&, const QString& text)
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

// A drawer that leaves out what it can't encode: the symbol holds the rest,
// and the note names the first character left out.
ScanExpectation ReadWhatIsLeft(const SymbologyRow& row, const QString& format, const QString& text)
{
    const HeldText held = HeldBy(text, row.leavesOut);
    ScanExpectation e{format, held.text, {}, {}};
    if (!held.first.isEmpty())
        e.note = CantEncode(QLatin1String(row.caption), held);
    return e;
}

ScanExpectation ReadCode39(const SymbologyRow& row, const QString& text) { return ReadWhatIsLeft(row, QStringLiteral("Code39"), text); }
ScanExpectation ReadCode128_1(const SymbologyRow& row, const QString& text) { return ReadWhatIsLeft(row, QStringLiteral("Code128"), text); }
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

ScanExpectation ReadCode25(const SymbologyRow&, const QString& text)
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

ScanExpectation ReadCodabar(const SymbologyRow& row, const QString& text)
{
    ScanExpectation e = ReadWhatIsLeft(row, QStringLiteral("Codabar"), text);
    if (!e.text.isEmpty() && e.text.size() < kCodabarReaderMinimum && OnlyOf(e.text, kCodabarData))
        e.widthsPattern = CodabarPattern(e.text);
    return e;
}

ScanExpectation ReadUpcA(const SymbologyRow&, const QString& text)
{
    const QString code = text.trimmed();
    return {QStringLiteral("UPC-A"), code + QString::number(UpcACheckDigit(code))};
}

ScanExpectation ReadEan(const SymbologyRow&, const QString& text)
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

ScanExpectation ReadGs1_128(const SymbologyRow&, const QString& text) { return {QStringLiteral("Code128"), Gs1ElementString(text), {}, {}}; }
ScanExpectation ReadGs1DataMatrix(const SymbologyRow&, const QString& text) { return {QStringLiteral("DataMatrix"), Gs1ElementString(text), {}, {}}; }

// zxing-cpp's names of the formats.
constexpr char kCode128[] = "Code128", kQrCode[] = "QRCode", kDataMatrix[] = "DataMatrix", kPdf417[] = "PDF417",
               kAztec[] = "Aztec", kEan13[] = "EAN-13", kEan8[] = "EAN-8", kUpcA[] = "UPC-A";

template <const char* format>
ScanExpectation ReadAsTyped(const SymbologyRow&, const QString& text) { return {QLatin1String(format), text, {}, {}}; }

// A retail code reads as its digits with the check digit; a text it
// refuses draws no symbol.
template <const char* format>
ScanExpectation ReadRetail(const SymbologyRow& row, const QString& text)
{
    const std::optional<QString> digits = RetailDigits(row, text);
    if (!digits)
        return {};
    return {QLatin1String(format), *digits, {}, {}};
}


// ------------------------------------------------------------------ the rows

using S = Symbology;
using P = SurfaceId;
using M = ModuleShape;
using O = OwnOption;

// What the manual page says after the names of the libzint rows.
constexpr char kRetailNote[] = "the retail layout; a typed check digit must be right";

// In the order the store restores the options: when more than one stored
// value is true, the last wins. The option buttons sit in "Bar Code Type"
// two to a line, every one whole inside the frame (the More box has the
// line under them).
// Heights: the Code 39 surface's bars are 40 pixels a unit of the factor,
// the pattern symbols' 10; a page holds about a thousand pixels (10
// inches). A 2D code's module is 2 pixels a unit: at 10, 20 pixels (5 mm)
// a module. libzint's symbols keep the quiet zone their standards ask, in
// modules.
constexpr std::array kBuiltIn{
    SymbologyRow{.symbology = S::Code128B, .name = "code128b", .caption = "Code 128 B",
                 .option = {"Option1", "type1", "1", 1200, 240, 1215, 195}, .surface = P::Code39,
                 .maxHeightFactor = 25, .draw = Code128B, .expectedScan = ReadCode128B},
    SymbologyRow{.symbology = S::Code39, .name = "code39", .caption = "Code 39",
                 .option = {"Option2", "type2", "0", 120, 240, 975, 195}, .surface = P::Code39,
                 .maxHeightFactor = 25, .draw = Code39, .expectedScan = ReadCode39,
                 .leavesOut = kCode39Characters},
    SymbologyRow{.symbology = S::Code128_1, .name = "code128-1", .caption = "Code 128-1",
                 .option = {"Option4", "type4", "0", 1200, 720, 1215, 195}, .surface = P::Pattern,
                 .maxHeightFactor = 100, .draw = Pattern, .expectedScan = ReadCode128_1, .pattern = Code128BPatternOf,
                 .leavesOut = kCode128BCharacters},
    SymbologyRow{.symbology = S::Code25, .name = "code25", .caption = "Code 2/5",
                 .option = {"Option5", "type5", "0", 120, 720, 1035, 195}, .surface = P::Pattern,
                 .maxHeightFactor = 100, .draw = Code25, .expectedScan = ReadCode25, .pattern = Interleaved25PatternOf},
    // Codabar has no option button of its own: the More box offers it.
    SymbologyRow{.symbology = S::Codabar, .name = "codabar", .caption = "Codabar", .surface = P::Pattern,
                 .maxHeightFactor = 100, .draw = Pattern, .expectedScan = ReadCodabar, .inMoreBox = true,
                 .pattern = CodabarPatternOf, .leavesOut = kCodabarCharacters},
    SymbologyRow{.symbology = S::UpcA, .name = "upca", .caption = "UPC",
                 .option = {"Option8", "type8", "0", 120, 480, 735, 195}, .surface = P::UpcA,
                 .draw = UpcA, .expectedScan = ReadUpcA},
    SymbologyRow{.symbology = S::Ean, .name = "ean", .caption = "EAN",
                 .option = {"Option9", "type9", "0", 1200, 480, 735, 195}, .surface = P::Ean,
                 .printFromSurface = true, .sizeBoxesSwapped = true, .draw = Ean, .expectedScan = ReadEan},
    SymbologyRow{.symbology = S::Code128, .name = "code128", .caption = "Code 128", .surface = P::Library,
                 .maxHeightFactor = 25, .draw = GenerateLibraryCode, .expectedScan = ReadAsTyped<kCode128>,
                 .inMoreBox = true, .library = {.zint = BARCODE_CODE128, .shape = M::Bars, .quietModules = 10},
                 .manualNote = "automatic code sets"},
    SymbologyRow{.symbology = S::Gs1_128, .name = "gs1-128", .caption = "GS1-128", .surface = P::Library,
                 .maxHeightFactor = 25, .draw = GenerateLibraryCode, .expectedScan = ReadGs1_128, .inMoreBox = true,
                 .library = {.zint = BARCODE_GS1_128, .shape = M::Bars, .quietModules = 10, .gs1 = true},
                 .manualNote = "data typed as (01)09501101530003(17)270101"},
    SymbologyRow{.symbology = S::RetailEan13, .name = "retail-ean13", .caption = "EAN-13", .surface = P::Library,
                 .maxHeightFactor = 25, .draw = GenerateLibraryCode, .expectedScan = ReadRetail<kEan13>, .inMoreBox = true,
                 .library = {.zint = BARCODE_EANX, .shape = M::Ean13, .quietModules = 10, .retailDigits = 12},
                 .manualNote = kRetailNote},
    SymbologyRow{.symbology = S::RetailEan8, .name = "retail-ean8", .caption = "EAN-8", .surface = P::Library,
                 .maxHeightFactor = 25, .draw = GenerateLibraryCode, .expectedScan = ReadRetail<kEan8>, .inMoreBox = true,
                 .library = {.zint = BARCODE_EANX, .shape = M::Ean8, .quietModules = 10, .retailDigits = 7},
                 .manualNote = kRetailNote},
    SymbologyRow{.symbology = S::RetailUpcA, .name = "retail-upca", .caption = "UPC-A", .surface = P::Library,
                 .maxHeightFactor = 25, .draw = GenerateLibraryCode, .expectedScan = ReadRetail<kUpcA>, .inMoreBox = true,
                 .library = {.zint = BARCODE_UPCA, .shape = M::UpcA, .quietModules = 10, .retailDigits = 11},
                 .manualNote = kRetailNote},
    SymbologyRow{.symbology = S::Qr, .name = "qr", .caption = "QR Code", .surface = P::Library,
                 .maxHeightFactor = 10, .draw = GenerateLibraryCode, .expectedScan = ReadAsTyped<kQrCode>,
                 .inMoreBox = true, .ownOption = O::QrEcc,
                 .library = {.zint = BARCODE_QRCODE, .shape = M::Matrix, .quietModules = 4, .twoD = true}},
    SymbologyRow{.symbology = S::DataMatrix, .name = "datamatrix", .caption = "Data Matrix", .surface = P::Library,
                 .maxHeightFactor = 10, .draw = GenerateLibraryCode, .expectedScan = ReadAsTyped<kDataMatrix>,
                 .inMoreBox = true, .ownOption = O::Rectangular,
                 .library = {.zint = BARCODE_DATAMATRIX, .shape = M::Matrix, .quietModules = 1, .twoD = true}},
    SymbologyRow{.symbology = S::Gs1DataMatrix, .name = "gs1-datamatrix", .caption = "GS1 DataMatrix",
                 .surface = P::Library, .maxHeightFactor = 10, .draw = GenerateLibraryCode,
                 .expectedScan = ReadGs1DataMatrix, .inMoreBox = true, .ownOption = O::Rectangular,
                 .library = {.zint = BARCODE_DATAMATRIX, .shape = M::Matrix, .quietModules = 1, .twoD = true, .gs1 = true}},
    SymbologyRow{.symbology = S::Pdf417, .name = "pdf417", .caption = "PDF417", .surface = P::Library,
                 .maxHeightFactor = 10, .draw = GenerateLibraryCode, .expectedScan = ReadAsTyped<kPdf417>,
                 .inMoreBox = true, .ownOption = O::Pdf417Columns,
                 .library = {.zint = BARCODE_PDF417, .shape = M::Matrix, .quietModules = 2, .twoD = true, .stacked = true}},
    // Aztec needs no quiet zone; one module keeps it off a file's edge.
    SymbologyRow{.symbology = S::Aztec, .name = "aztec", .caption = "Aztec", .surface = P::Library,
                 .maxHeightFactor = 10, .draw = GenerateLibraryCode, .expectedScan = ReadAsTyped<kAztec>,
                 .inMoreBox = true,
                 .library = {.zint = BARCODE_AZTEC, .shape = M::Matrix, .quietModules = 1, .twoD = true}},
};

constexpr bool SameText(const char* a, const char* b)
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

// A symbology and a command-line name name one row: a look-up takes the
// first row that matches, and a second one would never be reached.
constexpr bool EachOnce(std::span<const SymbologyRow> rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = i + 1; j < rows.size(); ++j)
            if (rows[i].symbology == rows[j].symbology || SameText(rows[i].name, rows[j].name))
                return false;
    return true;
}
static_assert(EachOnce(kBuiltIn), "two rows of the table have the same symbology or the same name");

// A row drawn by the pattern renderer or by libzint draws on that surface.
constexpr bool OnTheirSurfaces(std::span<const SymbologyRow> rows)
{
    for (const SymbologyRow& row : rows)
        if ((row.pattern && row.surface != P::Pattern) ||
            ((row.library.zint != 0) != (row.draw == GenerateLibraryCode)) ||
            (row.library.zint != 0 && row.surface != P::Library))
            return false;
    return true;
}
static_assert(OnTheirSurfaces(kBuiltIn), "a row's encoder and its surface do not go together");

} // namespace

SymbologyTable Symbologies() { return kBuiltIn; }

const SymbologyRow& RowOf(Symbology symbology, SymbologyTable table)
{
    for (const SymbologyRow& row : table)
        if (row.symbology == symbology)
            return row;
    qFatal("symbology %d has no row in the table of symbologies", static_cast<int>(symbology));
}

std::optional<Symbology> SymbologyNamed(const QString& name, SymbologyTable table)
{
    for (const SymbologyRow& row : table)
        if (name == QLatin1String(row.name))
            return row.symbology;
    return std::nullopt;
}

ScanExpectation ExpectedScan(Symbology symbology, const QString& text, SymbologyTable table)
{
    const SymbologyRow& row = RowOf(symbology, table);
    return row.expectedScan(row, text);
}

QString HoldsOtherText(Symbology symbology, const QString& typed, SymbologyTable table)
{
    const ScanExpectation e = ExpectedScan(symbology, typed, table);
    if (e.note.isEmpty())
        return {};
    return QStringLiteral("the %1 barcode of \"%2\" holds %3 (%4)")
        .arg(QString::fromUtf8(RowOf(symbology, table).caption), ControlsShown(typed), e.text, e.note);
}

} // namespace symbols
