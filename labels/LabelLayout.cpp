#include "labels/LabelLayout.h"

#include "core/Units.h"
#include "symbols/Generate.h"
#include "symbols/LibraryGenerate.h"
#include "symbols/SymbologyTable.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace labels {
namespace {

using graphics::DrawOp;
using graphics::Drawing;

// Why a part can't be laid out: a sentence that names the part (and the
// record, when the label is filled from records) and the field.
struct PartFailure {
    const Part& part;
    int number;
    const FillContext& context;

    core::Failure operator()(int code, const QString& field, const QString& why) const
    {
        QString who = QStringLiteral("Part %1 (%2)").arg(number).arg(KindName(part));
        if (!context.fieldNames.empty())
            who += QStringLiteral(", record %1").arg(context.record);
        QString text = QStringLiteral("%1: %2").arg(who, why);
        if (!text.endsWith(QLatin1Char('.')))
            text += QLatin1Char('.');
        return core::Failure{code, text, false,
                             core::Place{{}, 0, {}, context.fieldNames.empty() ? 0 : context.record,
                                         QStringLiteral("parts[%1]").arg(number) +
                                             (field.isEmpty() ? QString() : QLatin1Char('.') + field)}};
    }
};

QString Mm(double dots, double dpi) { return QString::number(DotsToMm(dots, dpi), 'f', 1) + QStringLiteral(" mm"); }

// An edge in mm from the label's corner, on the nearest dot: every edge is
// rounded on its own, so a part that ends where the label ends ends on
// the label's last dot whatever its start.
int Dot(double mm, double dpi) { return static_cast<int>(std::lround(MmToDots(mm, dpi))); }

// A drawing in dots whose module is one inch: Replay then scales it by
// exactly the grid's dots per inch (a whole inch is whole dots on every
// grid), not by a module rounded to whole dots.
Drawing DotDrawing(QSize size, double dpi)
{
    Drawing d;
    d.size = size;
    d.module = dpi;
    d.moduleOrigin = 0;
    d.quietModules = 0;
    return d;
}

// ------------------------------------------------------------------ barcode

// The symbol's drawing of 96-dpi pixels turned into dots: every module
// the same whole number of dots across, the bars stretched or shrunk to
// the height asked, and the text under them (a caption, a retail code's
// digits) set at the size asked where it was (see TextLeft).
struct DotMapping {
    double kx = 1;    // dots per pixel across
    double ky = 1;    // dots per pixel down the bars
    double kt = 1;    // dots per pixel of the text, and below the bars
    double x0 = 0;    // a pixel x where a module starts
    double split = 0; // pixel y where the bars end and the text begins
    long left = 0;    // pixel 0 in dots from the first module edge, as edges round: it becomes dot 0

    double X(double x) const { return (x - x0) * kx - static_cast<double>(left); }
    int EdgeX(double x) const { return static_cast<int>(std::lround((x - x0) * kx) - left); }
    double Y(double y) const { return y <= split ? y * ky : split * ky + (y - split) * kt; }
    int EdgeY(double y) const { return static_cast<int>(std::lround(Y(y))); }
};

// A picture of a resolution to measure text against: text measures as
// a device of that resolution sets it.
QImage Probe(double dpi)
{
    QImage probe(1, 1, QImage::Format_Mono);
    const int perMeter = static_cast<int>(std::lround(dpi / 0.0254));
    probe.setDotsPerMeterX(perMeter);
    probe.setDotsPerMeterY(perMeter);
    return probe;
}

// A text op's ascent in pixels, as the surface that printed it measured it.
double Ascent(const DrawOp& op)
{
    static const QImage probe = Probe(core::kSurfaceDpi);
    QFont font = op.text->font;
    font.setPointSizeF(op.text->pixelSize * 72 / core::kSurfaceDpi);
    return QFontMetricsF(font, &probe).ascent();
}

QRect EdgeBox(const QRect& box, const DotMapping& m)
{
    return QRect(QPoint(m.EdgeX(box.left()), m.EdgeY(box.top())),
                 QPoint(m.EdgeX(box.left() + box.width()) - 1, m.EdgeY(box.top() + box.height()) - 1));
}

// Where a text op goes once set at the mapping's text scale: a caption
// set from the bars' left edge (the pattern symbologies') keeps its left
// edge there, any other text (centred captions, a retail code's digits)
// its centre.
double TextLeft(const DrawOp& op, const DotMapping& m, int barsLeft)
{
    if (std::abs(op.baseline.x() - barsLeft) < 1)
        return m.X(op.baseline.x());
    return m.X(op.baseline.x() + op.text->advance / 2) - op.text->advance * m.kt / 2;
}

Drawing MapToDots(const Drawing& d, DotMapping m, int heightDots, int moduleDots)
{
    int barsLeft = d.size.width();
    for (const DrawOp& op : d.Ops())
        if (op.kind == DrawOp::Kind::Fill && op.color != graphics::kWhite)
            barsLeft = std::min(barsLeft, op.box.left());
    // A caption set larger than the symbology set it may reach left of the
    // bars: the part then begins where its text does, the bars a whole
    // number of dots right of it.
    double leftmost = 0;
    for (const DrawOp& op : d.Ops())
        if (op.kind == DrawOp::Kind::Text)
            leftmost = std::min(leftmost, TextLeft(op, m, barsLeft));
    m.left += static_cast<long>(std::floor(leftmost));
    Drawing out;
    double rightmost = m.EdgeX(d.size.width());
    for (const DrawOp& op : d.Ops()) {
        switch (op.kind) {
        case DrawOp::Kind::Fill:
            out.AddFill(EdgeBox(op.box, m), op.color);
            break;
        case DrawOp::Kind::Image:
            if (const QRect box = EdgeBox(op.box, m); !box.isEmpty())
                out.AddImage(op.image->scaled(box.size()), box.topLeft());
            break;
        case DrawOp::Kind::Line:
            out.AddLine(QLineF(m.X(op.line.x1()), m.Y(op.line.y1()), m.X(op.line.x2()), m.Y(op.line.y2())), op.width * m.kx,
                        op.color);
            break;
        case DrawOp::Kind::Text: {
            auto text = std::make_shared<graphics::DrawText>(*op.text);
            text->pixelSize *= m.kt;
            text->spacing *= m.kt;
            text->advance *= m.kt;
            const double ascent = Ascent(op);
            DrawOp t = op;
            t.baseline = QPointF(TextLeft(op, m, barsLeft), m.Y(op.baseline.y() - ascent) + ascent * m.kt);
            rightmost = std::max(rightmost, t.baseline.x() + text->advance);
            t.text = std::move(text);
            out.AddText(t);
            break;
        }
        }
    }
    out.size = QSize(static_cast<int>(std::ceil(rightmost)), heightDots);
    out.module = moduleDots;
    out.moduleOrigin = m.X(m.x0);
    out.quietModules = d.quietModules;
    out.quietAbove = d.quietAbove;
    return out;
}

// The first text op's size in pixels and the top of the highest text (where
// the bars end), or none when the symbol has no text.
struct TextUnder {
    double pixelSize = 0;
    double top = 0;
};
std::optional<TextUnder> TextUnderBars(const Drawing& d)
{
    std::optional<TextUnder> under;
    for (const DrawOp& op : d.Ops()) {
        if (op.kind != DrawOp::Kind::Text)
            continue;
        const double top = op.baseline.y() - Ascent(op);
        if (!under)
            under = TextUnder{op.text->pixelSize, top};
        under->top = std::min(under->top, top);
    }
    return under;
}

// Whether the captions of `d` (drawn at pixel size `pixels`) lie within
// its bars and would still at pixel size `ownPixels`: the symbol's width
// is then its bars', whatever the caption's size. Text scales with its
// size nearly in proportion; the margin covers what hinting adds.
bool CaptionsWithinBars(const Drawing& d, double pixels, double ownPixels)
{
    int left = std::numeric_limits<int>::max(), right = std::numeric_limits<int>::min();
    for (const DrawOp& op : d.Ops())
        if (op.kind == DrawOp::Kind::Fill || op.kind == DrawOp::Kind::Image) {
            left = std::min(left, op.box.left());
            right = std::max(right, op.box.left() + op.box.width());
        }
    if (left >= right || pixels <= 0)
        return false;
    for (const DrawOp& op : d.Ops()) {
        if (op.kind != DrawOp::Kind::Text)
            continue;
        const double advance = std::max(op.text->advance, 0.0);
        const double own = advance * ownPixels / pixels * 1.1 + 2;
        const double start = op.baseline.x(), centre = start + advance / 2;
        const bool fromLeft = std::abs(start - left) < 1;
        const double ownStart = fromLeft ? start : centre - own / 2;
        if (start < left || start + advance > right || ownStart < left || ownStart + own > right)
            return false;
    }
    return true;
}

core::Result<LaidOutPart> LayOutBarcode(const BarcodePart& b, const QString& text, const Part& part, double dpi,
                                        const PartFailure& fail, std::optional<LayoutMemo::CaptionFit>* memo)
{
    const QString caption = QLatin1String(symbols::RowOf(b.symbology).caption);
    if (text.isEmpty())
        return fail(core::kPartNotDrawn, QStringLiteral("text"), QStringLiteral("its %1 barcode has no text").arg(caption));
    symbols::SymbolRequest request;
    request.symbology = b.symbology;
    request.text = text;
    request.withText = b.caption;
    request.library = b.library;
    const int left = Dot(part.atMm.x(), dpi), top = Dot(part.atMm.y(), dpi);
    const double captionDots = b.captionPoints * dpi / 72;

    // The symbol drawn with its caption at `fontSize` points, cropped, and
    // the dots its module gets.
    Drawing d;
    int dots = 0;
    const auto draw = [&](symbols::SizeField fontSize) -> core::Status {
        request.fontSize = fontSize;
        symbols::Symbol symbol = symbols::GenerateSymbol(request);
        if (symbol.status.failed())
            return fail(core::kPartNotDrawn, QStringLiteral("text"),
                        QStringLiteral("\"%2\" can't be drawn as %1: %3").arg(caption, text.left(60), symbol.status.failure().text));
        if (symbol.drawing.IsEmpty())
            return fail(core::kPartNotDrawn, QStringLiteral("text"), QStringLiteral("\"%2\" can't be drawn as %1").arg(caption, text.left(60)));
        d = std::move(symbol.drawing).Cropped();
        const double modules = d.size.width() / d.module;
        if (b.moduleMm) {
            dots = std::max(1, static_cast<int>(std::lround(MmToDots(*b.moduleMm, dpi))));
        } else {
            const int width = Dot(part.atMm.x() + *b.widthMm, dpi) - left;
            // The most whole dots a module that keep the symbol within the width.
            dots = static_cast<int>(std::floor(width / modules + 1e-9));
            if (dots < 1)
                return fail(core::kOutsideLabel, QStringLiteral("widthMm"),
                            QStringLiteral("its %1 barcode of \"%2\" is %3 modules wide, %4 at one dot a module, more "
                                           "than its width of %5")
                                .arg(caption, text.left(60))
                                .arg(modules)
                                .arg(Mm(modules, dpi), Mm(width, dpi)));
        }
        return core::Ok();
    };

    // A run's earlier record found the font size: one drawing at it is kept
    // when the two drawings below would make exactly it. They would when
    // the drawing at the symbology's own size had the same module, dots
    // and caption size, which holds for the symbols drawn from a library's
    // modules (their bars and caption size don't depend on the text) when
    // the captions lie within the bars at both sizes.
    const bool modules = symbols::RowOf(b.symbology).draw == symbols::GenerateLibraryCode;
    std::optional<LayoutMemo::CaptionFit> fit = memo && modules ? *memo : std::nullopt;
    if (fit && (fit->symbology != b.symbology || fit->captionDots != captionDots))
        fit.reset();
    bool drawn = false;
    if (fit && draw(fit->fontSize).ok()) {
        const bool ownSize = fit->fontSize == symbols::SymbolRequest{}.fontSize;
        const std::optional<TextUnder> under = TextUnderBars(d);
        drawn = under && d.module == fit->module && dots == fit->dots && under->pixelSize == fit->fitPixelSize &&
                (ownSize || CaptionsWithinBars(d, under->pixelSize, fit->ownPixelSize));
    }
    // Drawn at the symbology's own sizes, and again with the font size
    // that makes its text the size asked once its module is in dots (where
    // the symbology takes the font size: its own spacing then fits the
    // text); what is left over is scaled below.
    if (!drawn) {
        if (core::Status first = draw(symbols::SymbolRequest{}.fontSize); first.failed())
            return first.failure();
        const std::optional<TextUnder> under = TextUnderBars(d);
        if (under && std::abs(under->pixelSize * dots / d.module - captionDots) >= 0.01 * captionDots) {
            // A font of `fontSize` points is fontSize * 96 / 72 pixels, and a
            // pixel becomes dots / module dots.
            LayoutMemo::CaptionFit found{b.symbology, captionDots, captionDots * d.module / dots * 72 / core::kSurfaceDpi,
                                         d.module, dots, under->pixelSize, 0};
            if (core::Status second = draw(found.fontSize); second.failed())
                return second.failure();
            const std::optional<TextUnder> set = TextUnderBars(d);
            if (memo && modules && set && d.module == found.module && dots == found.dots &&
                CaptionsWithinBars(d, set->pixelSize, found.ownPixelSize)) {
                found.fitPixelSize = set->pixelSize;
                *memo = found;
            }
        } else if (memo && modules && under) {
            *memo = LayoutMemo::CaptionFit{b.symbology, captionDots, symbols::SymbolRequest{}.fontSize, d.module, dots,
                                           under->pixelSize, under->pixelSize};
        }
    }
    const bool twoD = d.quietAbove;
    if (twoD && b.heightMm)
        return fail(core::kPartNotDrawn, QStringLiteral("heightMm"),
                    QStringLiteral("the height of a %1 barcode follows its module; it takes no \"heightMm\"").arg(caption));
    if (twoD && b.caption)
        return fail(core::kPartNotDrawn, QStringLiteral("caption"), QStringLiteral("a %1 barcode has no caption").arg(caption));

    DotMapping m;
    m.kx = dots / d.module;
    m.x0 = d.moduleOrigin;
    m.left = std::lround(-m.x0 * m.kx);
    const std::optional<TextUnder> under = TextUnderBars(d);
    m.split = under ? std::max(0.0, under->top) : d.size.height();
    m.kt = under ? captionDots / under->pixelSize : m.kx;
    const double below = (d.size.height() - m.split) * m.kt;
    int height = static_cast<int>(std::lround(m.split * m.kx + below));
    if (b.heightMm)
        height = Dot(part.atMm.y() + *b.heightMm, dpi) - top;
    if (height - below < 1 || m.split <= 0)
        return fail(core::kOutsideLabel, QStringLiteral("heightMm"),
                    QStringLiteral("a height of %1 leaves no room for its bars: the text under them takes %2")
                        .arg(Mm(height, dpi), Mm(below, dpi)));
    m.ky = (height - below) / m.split;

    LaidOutPart laid;
    laid.drawing = MapToDots(d, m, height, dots);
    laid.box = QRect(QPoint(left, top), laid.drawing.size);
    laid.text = text;
    return laid;
}

// ------------------------------------------------------------------- text

core::Result<LaidOutPart> LayOutText(const TextPart& t, const QString& text, const Part& part, double dpi,
                                     const PartFailure& fail)
{
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return fail(core::kTextDoesNotFit, QStringLiteral("text"),
                    QStringLiteral("its text holds a line break, and a text part is one line (a label takes a part "
                                   "for each line)"));
    QFont font(t.font);
    font.setBold(t.bold);
    const int left = Dot(part.atMm.x(), dpi), top = Dot(part.atMm.y(), dpi);
    const int box = t.boxWidthMm ? Dot(part.atMm.x() + *t.boxWidthMm, dpi) - left : 0;
    double points = t.points;
    const QImage probe = Probe(dpi);
    // The metrics of the last size tried, which is the size the text is set at.
    std::optional<QFontMetricsF> fm;
    auto advanceAt = [&](double size) {
        font.setPointSizeF(size);
        fm.emplace(font, &probe);
        return fm->horizontalAdvance(text);
    };
    double advance = advanceAt(points);
    // A text scales with its size nearly in proportion; hinting can leave
    // it a little wider, so a few smaller steps follow the first.
    for (int step = 0; box > 0 && advance > box && points > t.minPoints && step < 12; ++step) {
        points = std::max(t.minPoints, points * (step == 0 ? box / advance : 0.98));
        advance = advanceAt(points);
    }
    if (box > 0 && advance > box && points > t.minPoints)
        advance = advanceAt(points = t.minPoints); // what the message says it was tried at
    if (box > 0 && advance > box)
        return fail(core::kTextDoesNotFit, QStringLiteral("text"),
                    QStringLiteral("the text \"%1\" does not fit its box of %2: at its minimum size of %3 pt it is %4 wide")
                        .arg(text.left(60), Mm(box, dpi))
                        .arg(points)
                        .arg(Mm(advance, dpi)));
    const int width = box > 0 ? box : static_cast<int>(std::ceil(advance));
    LaidOutPart laid;
    laid.drawing = DotDrawing(QSize(width, static_cast<int>(std::ceil(fm->ascent() + fm->descent()))), dpi);
    laid.box = QRect(QPoint(left, top), laid.drawing.size);
    laid.text = text;
    laid.points = points;
    if (text.isEmpty())
        return laid;
    auto drawn = std::make_shared<graphics::DrawText>();
    drawn->font = font;
    drawn->pixelSize = points * dpi / 72;
    drawn->advance = advance;
    drawn->text = text;
    DrawOp op;
    op.kind = DrawOp::Kind::Text;
    const double free = width - advance;
    op.baseline = QPointF(t.align == Align::Centre ? free / 2 : t.align == Align::Right ? free : 0, fm->ascent());
    op.text = std::move(drawn);
    laid.drawing.AddText(op);
    return laid;
}

// -------------------------------------------------------------- line, box

LaidOutPart LayOutLine(const LinePart& l, const Part& part, double dpi)
{
    const QPointF a = part.atMm, b = l.endMm;
    const int stroke = std::max(1, static_cast<int>(std::lround(MmToDots(l.strokeMm, dpi))));
    LaidOutPart laid;
    auto across = [&](double centreMm) { return static_cast<int>(std::lround(MmToDots(centreMm, dpi) - stroke / 2.0)); };
    if (a.y() == b.y() || a.x() == b.x()) {
        // Level or upright: a box of whole dots.
        QRect r;
        if (a.y() == b.y()) {
            const int x1 = Dot(std::min(a.x(), b.x()), dpi), x2 = Dot(std::max(a.x(), b.x()), dpi);
            r = QRect(x1, across(a.y()), std::max(1, x2 - x1), stroke);
        } else {
            const int y1 = Dot(std::min(a.y(), b.y()), dpi), y2 = Dot(std::max(a.y(), b.y()), dpi);
            r = QRect(across(a.x()), y1, stroke, std::max(1, y2 - y1));
        }
        laid.drawing = DotDrawing(r.size(), dpi);
        laid.drawing.AddFill(QRect(QPoint(0, 0), r.size()), graphics::kBlack);
        laid.box = r;
        return laid;
    }
    // Slanted: a stroke with square ends, half the stroke beyond each end.
    const QPointF p = QPointF(MmToDots(a.x(), dpi), MmToDots(a.y(), dpi)), q = QPointF(MmToDots(b.x(), dpi), MmToDots(b.y(), dpi));
    const double half = stroke / 2.0;
    const QRect r = QRectF(p, q).normalized().adjusted(-half, -half, half, half).toAlignedRect();
    laid.drawing = DotDrawing(r.size(), dpi);
    laid.drawing.AddLine(QLineF(p - r.topLeft(), q - r.topLeft()), stroke, graphics::kBlack);
    laid.box = r;
    return laid;
}

LaidOutPart LayOutBox(const BoxPart& b, const Part& part, double dpi)
{
    const QRect r(QPoint(Dot(part.atMm.x(), dpi), Dot(part.atMm.y(), dpi)),
                  QPoint(Dot(part.atMm.x() + b.sizeMm.width(), dpi) - 1, Dot(part.atMm.y() + b.sizeMm.height(), dpi) - 1));
    const QRect outer(QPoint(0, 0), r.size().expandedTo(QSize(1, 1)));
    const int t = std::max(1, static_cast<int>(std::lround(MmToDots(b.strokeMm, dpi))));
    LaidOutPart laid;
    laid.drawing = DotDrawing(outer.size(), dpi);
    laid.box = QRect(r.topLeft(), outer.size());
    if (2 * t >= outer.width() || 2 * t >= outer.height()) {
        laid.drawing.AddFill(outer, graphics::kBlack); // all stroke
        return laid;
    }
    const int w = outer.width(), h = outer.height();
    laid.drawing.AddFill(QRect(0, 0, w, t), graphics::kBlack);
    laid.drawing.AddFill(QRect(0, t, t, h - 2 * t), graphics::kBlack);
    laid.drawing.AddFill(QRect(w - t, t, t, h - 2 * t), graphics::kBlack);
    laid.drawing.AddFill(QRect(0, h - t, w, t), graphics::kBlack);
    return laid;
}

// Which edge of the label the part runs past, or empty.
QString PastEdge(const QRect& part, const QRect& label, double dpi)
{
    if (part.left() < label.left())
        return QStringLiteral("it starts %1 left of the label").arg(Mm(label.left() - part.left(), dpi));
    if (part.top() < label.top())
        return QStringLiteral("it starts %1 above the label").arg(Mm(label.top() - part.top(), dpi));
    if (part.x() + part.width() > label.width())
        return QStringLiteral("it reaches %1 across, past the label's width of %2")
            .arg(Mm(part.x() + part.width(), dpi), Mm(label.width(), dpi));
    if (part.y() + part.height() > label.height())
        return QStringLiteral("it reaches %1 down, past the label's height of %2")
            .arg(Mm(part.y() + part.height(), dpi), Mm(label.height(), dpi));
    return {};
}

} // namespace

core::Result<PreparedLabel> PrepareLabel(Label label)
{
    PreparedLabel prepared;
    prepared.texts.reserve(label.parts.size());
    const FillContext none;
    for (size_t i = 0; i < label.parts.size(); ++i) {
        const Part& part = label.parts[i];
        const QString* text = PartText(part);
        if (!text) {
            prepared.texts.emplace_back();
            continue;
        }
        core::Result<Template> parsed = Template::Parse(*text);
        if (parsed.failed())
            return PartFailure{part, static_cast<int>(i + 1), none}(core::kBadPlaceholder, QStringLiteral("text"),
                                                                    parsed.failure().text);
        prepared.texts.emplace_back(std::move(parsed.value()));
    }
    prepared.label = std::move(label);
    return prepared;
}

namespace {

QSize LabelDots(const Label& label, double dpi)
{
    return QSize(Dot(label.sizeMm.width(), dpi), Dot(label.sizeMm.height(), dpi));
}

// Part `i` of the label, its text (parsed, or none for a line or a box)
// filled from the context.
core::Result<LaidOutPart> LayOutOne(const Label& label, size_t i, const Template* parsed, const FillContext& context,
                                    double dpi, LayoutMemo* memo = nullptr)
{
    const Part& part = label.parts[i];
    const PartFailure fail{part, static_cast<int>(i + 1), context};
    QString text;
    if (parsed) {
        core::Result<QString> filled = parsed->Fill(context);
        if (filled.failed())
            return fail(core::kBadPlaceholder, QStringLiteral("text"), filled.failure().text);
        text = std::move(filled.value());
    }
    core::Result<LaidOutPart> laid = [&]() -> core::Result<LaidOutPart> {
        if (const auto* b = std::get_if<BarcodePart>(&part.what))
            return LayOutBarcode(*b, text, part, dpi, fail, memo ? &memo->barcodes[i] : nullptr);
        if (const auto* t = std::get_if<TextPart>(&part.what))
            return LayOutText(*t, text, part, dpi, fail);
        if (const auto* l = std::get_if<LinePart>(&part.what))
            return LayOutLine(*l, part, dpi);
        return LayOutBox(std::get<BoxPart>(part.what), part, dpi);
    }();
    if (laid.failed())
        return laid.failure();
    if (const QString past = PastEdge(laid->box, QRect(QPoint(0, 0), LabelDots(label, dpi)), dpi); !past.isEmpty())
        return fail(core::kOutsideLabel, {}, QStringLiteral("the part does not lie inside the label: %1").arg(past));
    laid->number = static_cast<int>(i + 1);
    return laid;
}

} // namespace

core::Result<LaidOutLabel> LayOutLabel(const PreparedLabel& prepared, const FillContext& context, double dpi,
                                       LayoutMemo* memo)
{
    const Label& label = prepared.label;
    if (memo && (memo->dpi != dpi || memo->barcodes.size() != label.parts.size()))
        *memo = LayoutMemo{dpi, std::vector<std::optional<LayoutMemo::CaptionFit>>(label.parts.size())};
    LaidOutLabel out;
    out.dpi = dpi;
    out.sizeMm = label.sizeMm;
    out.sizeDots = LabelDots(label, dpi);
    out.parts.reserve(label.parts.size());
    for (size_t i = 0; i < label.parts.size(); ++i) {
        const Template* parsed = i < prepared.texts.size() && prepared.texts[i] ? &*prepared.texts[i] : nullptr;
        core::Result<LaidOutPart> laid = LayOutOne(label, i, parsed, context, dpi, memo);
        if (laid.failed())
            return laid.failure();
        out.parts.push_back(std::move(laid.value()));
    }
    return out;
}

core::Result<LaidOutPart> LayOutPart(const Label& label, size_t index, const FillContext& context, double dpi)
{
    const Part& part = label.parts.at(index);
    std::optional<Template> parsed;
    if (const QString* text = PartText(part)) {
        core::Result<Template> t = Template::Parse(*text);
        if (t.failed())
            return PartFailure{part, static_cast<int>(index + 1), context}(core::kBadPlaceholder, QStringLiteral("text"),
                                                                           t.failure().text);
        parsed = std::move(t.value());
    }
    return LayOutOne(label, index, parsed ? &*parsed : nullptr, context, dpi);
}

core::Result<LaidOutLabel> LayOutLabel(const Label& label, const FillContext& context, double dpi)
{
    core::Result<PreparedLabel> prepared = PrepareLabel(label);
    if (prepared.failed())
        return prepared.failure();
    return LayOutLabel(*prepared, context, dpi);
}

void PaintLabel(const LaidOutLabel& label, QPainter& painter, QPointF topLeft, const graphics::DeviceGrid& grid)
{
    if (!(label.dpi > 0))
        return;
    // A part's drawing is in dots of the layout's resolution: a scale of
    // 96 / dpi makes its pixels those dots (Replay's scale is to 96-dpi
    // pixels), the calibration's on top.
    graphics::DeviceGrid partGrid = grid;
    partGrid.scale = grid.scale * core::kSurfaceDpi / label.dpi;
    const double unitsPerDot = grid.deviceDpi / label.dpi * grid.scale;
    for (const LaidOutPart& part : label.parts)
        graphics::Replay(part.drawing, painter, topLeft + QPointF(part.box.topLeft()) * unitsPerDot, partGrid);
}

} // namespace labels
