#include "files/Export.h"

#include "core/Units.h"
#include "files/AtomicFile.h"
#include "files/MonoPng.h"
#include "files/PdfDocument.h"
#include "graphics/Color.h"
#include "graphics/Raster.h"
#include "services/Termination.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <charconv>
#include <cstring>
#include <string_view>
#include <cmath>
#include <new>

namespace files {
namespace {

using graphics::DrawOp;
using graphics::Drawing;

QString Shown(const QString& path) { return ShownPath(path); }

core::Failure Fail(int code, QString text) { return core::Failure{code, std::move(text)}; }

// --- SVG ---

// The document as it is built: pieces are copied through a pointer into
// room made ahead. A batch writes thousands of files of a few dozen pieces
// each, and QByteArray's append checks more per call than a box's few
// characters cost to copy.
class SvgOut {
public:
    SvgOut() { grow(4096); }
    template <size_t N>
    SvgOut& operator<<(const char (&s)[N])
    {
        return *this << std::string_view(s, N - 1);
    }
    SvgOut& operator<<(std::string_view s)
    {
        std::memcpy(room(static_cast<qsizetype>(s.size())), s.data(), s.size());
        at_ += s.size();
        return *this;
    }
    SvgOut& operator<<(const QByteArray& s) { return *this << std::string_view(s.constData(), static_cast<size_t>(s.size())); }
    SvgOut& operator<<(char c)
    {
        *room(1) = c;
        ++at_;
        return *this;
    }
    SvgOut& Int(qint64 v)
    {
        constexpr qsizetype kDigits = 20;
        char* start = room(kDigits);
        at_ = std::to_chars(start, start + kDigits, v).ptr;
        return *this;
    }
    // Room for `n` more characters at Next(); Advance(k) keeps k of them.
    char* Next(qsizetype n) { return room(n); }
    void Advance(char* to) { at_ = to; }
    QByteArray Take()
    {
        bytes_.truncate(at_ - bytes_.data());
        at_ = end_ = nullptr;
        return std::move(bytes_);
    }

private:
    char* room(qsizetype n)
    {
        if (end_ - at_ < n)
            grow(n);
        return at_;
    }
    void grow(qsizetype n)
    {
        const qsizetype used = at_ ? at_ - bytes_.data() : 0;
        bytes_.resize(std::max(2 * bytes_.size(), used + n));
        at_ = bytes_.data() + used;
        end_ = bytes_.data() + bytes_.size();
    }

    QByteArray bytes_;
    char* at_ = nullptr;
    char* end_ = nullptr;
};

void Number(SvgOut& out, double v)
{
    // Whole numbers as such, others to a thousandth of a pixel.
    const double r = std::round(v * 1000) / 1000;
    if (r == std::floor(r) && std::abs(r) < 1e15) {
        out.Int(static_cast<qint64>(r));
        return;
    }
    QByteArray n = QByteArray::number(r, 'f', 3);
    while (n.endsWith('0'))
        n.chop(1);
    out << n;
}

// "#rrggbb", as QColor::name() says it.
void Colour(SvgOut& out, graphics::Rgb rgb)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const QRgb c = graphics::ToQColor(rgb).rgb();
    char* at = out.Next(7);
    *at++ = '#';
    for (const int part : {qRed(c), qGreen(c), qBlue(c)}) {
        *at++ = kHex[part >> 4];
        *at++ = kHex[part & 0xF];
    }
    out.Advance(at);
}

// Text as XML character data: markup escaped, and every character XML
// can't hold (control characters, unpaired surrogates such as the bytes of
// a name that is not UTF-8) as U+FFFD.
QByteArray XmlText(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            clean += c;
            clean += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u < 0xD800) || (u >= 0xE000 && u <= 0xFFFD);
        if (!allowed)
            clean += QChar(QChar::ReplacementCharacter);
        else if (u == '&')
            clean += QStringLiteral("&amp;");
        else if (u == '<')
            clean += QStringLiteral("&lt;");
        else if (u == '>')
            clean += QStringLiteral("&gt;");
        else if (u == '"')
            clean += QStringLiteral("&quot;");
        else
            clean += c;
    }
    return clean.toUtf8();
}

void SvgText(SvgOut& out, const DrawOp& op, int dx)
{
    const double x = op.baseline.x() + dx, y = op.baseline.y();
    out << "<text x=\"";
    Number(out, x);
    out << "\" y=\"";
    Number(out, y);
    out << "\" font-family=\"" << XmlText(op.text->font.family()) << ", sans-serif\" font-size=\"";
    Number(out, op.text->pixelSize);
    out << '"';
    if (op.text->font.bold())
        out << " font-weight=\"bold\"";
    if (op.text->font.italic())
        out << " font-style=\"italic\"";
    if (op.text->font.underline())
        out << " text-decoration=\"underline\"";
    if (op.text->spacing != 0) {
        out << " letter-spacing=\"";
        Number(out, op.text->spacing);
        out << '"';
    }
    if (op.text->rotation != 0) {
        out << " transform=\"rotate(";
        Number(out, -op.text->rotation);
        out << ' ';
        Number(out, x);
        out << ' ';
        Number(out, y);
        out << ")\"";
    }
    out << " fill=\"";
    Colour(out, op.color);
    out << "\" xml:space=\"preserve\">" << XmlText(op.text->text) << "</text>\n";
}

void SvgLine(SvgOut& out, const DrawOp& op, int dx)
{
    out << "<line x1=\"";
    Number(out, op.line.x1() + dx);
    out << "\" y1=\"";
    Number(out, op.line.y1());
    out << "\" x2=\"";
    Number(out, op.line.x2() + dx);
    out << "\" y2=\"";
    Number(out, op.line.y2());
    out << "\" stroke=\"";
    Colour(out, op.color);
    out << "\" stroke-width=\"";
    Number(out, op.width);
    out << "\" stroke-linecap=\"square\"/>\n";
}

void SvgImage(SvgOut& out, const DrawOp& op, int dx)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    op.image->save(&buffer, "PNG");
    out << "<image x=\"";
    out.Int(op.box.x() + dx) << "\" y=\"";
    out.Int(op.box.y()) << "\" width=\"";
    out.Int(op.box.width()) << "\" height=\"";
    out.Int(op.box.height()) << "\" preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64," << png.toBase64()
                             << "\"/>\n";
}

// Boxes of one colour that follow each other become one path of
// rectangles, as the printer gets them in one call.
class SvgBoxes {
public:
    SvgBoxes(SvgOut& out, int dx) : out_(out), dx_(dx) {}
    void Add(const QRect& box, graphics::Rgb color)
    {
        if (open_ && color != color_)
            Flush();
        if (!open_) {
            out_ << "<path fill=\"";
            Colour(out_, color);
            out_ << "\" d=\"";
            open_ = true;
            color_ = color;
        }
        // Five numbers of at most 11 characters, each after its letter, and "z".
        constexpr qsizetype kLongest = 5 * 12 + 1;
        char* const start = out_.Next(kLongest);
        char* at = start;
        const auto put = [&at, start](char op, int v) {
            *at++ = op;
            at = std::to_chars(at, start + kLongest, v).ptr;
        };
        put('M', box.x() + dx_);
        put(' ', box.y());
        put('h', box.width());
        put('v', box.height());
        put('h', -box.width());
        *at++ = 'z';
        out_.Advance(at);
    }
    void Flush()
    {
        if (open_)
            out_ << "\"/>\n";
        open_ = false;
    }

private:
    SvgOut& out_;
    int dx_;
    bool open_ = false;
    graphics::Rgb color_ = graphics::kBlack;
};

// --- writing ---

QString TempSuffix(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Png:
        return QStringLiteral(".png.part");
    case ExportFormat::Svg:
        return QStringLiteral(".svg.part");
    case ExportFormat::Pdf:
        break;
    }
    return QStringLiteral(".pdf.part");
}

// Black-and-white drawings (every barcode the program draws) become
// black-and-white files, like the dots of a label printer, one bit per
// pixel; a drawing in other colours, or with a picture in it, goes
// through Qt's writer as it is.
bool WritePng(const Drawing& drawing, const QImage& image, AtomicFile& file)
{
    if (graphics::IsBlackAndWhite(drawing)) {
        const QByteArray png = MonoPng(image, image.dotsPerMeterX());
        return !png.isEmpty() && file.Write(png);
    }
    QImageWriter writer(file.Device(), "png");
    return writer.write(image);
}

// The temporary names of every export end in this, whatever the format.
const QString kAnyExportTemp = QStringLiteral(".part");

} // namespace

std::optional<ExportFormat> ExportFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return ExportFormat::Png;
    if (suffix == QLatin1String("svg"))
        return ExportFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return ExportFormat::Pdf;
    return std::nullopt;
}

QByteArray ExportSvg(const Drawing& drawing, double unitsPerInch)
{
    const int quiet = graphics::QuietZonePixels(drawing);
    const int quietRows = graphics::QuietZoneRows(drawing);
    const int w = drawing.size.width() + 2 * quiet;
    const int h = drawing.size.height() + 2 * quietRows;
    SvgOut out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" width=\"";
    if (unitsPerInch == 96) {
        out.Int(w) << "\" height=\"";
        out.Int(h);
    } else {
        const auto mm = [unitsPerInch](int units) { return QByteArray::number(units * 25.4 / unitsPerInch, 'f', 3) + "mm"; };
        out << mm(w) << "\" height=\"" << mm(h);
    }
    out << "\" viewBox=\"0 0 ";
    out.Int(w) << ' ';
    out.Int(h) << "\" shape-rendering=\"crispEdges\">\n<rect width=\"";
    out.Int(w) << "\" height=\"";
    out.Int(h) << "\" fill=\"#ffffff\"/>\n";
    if (quietRows > 0) {
        out << "<g transform=\"translate(0 ";
        out.Int(quietRows) << ")\">\n";
    }
    SvgBoxes boxes(out, quiet);
    for (const DrawOp& op : drawing.Ops()) {
        if (op.kind == DrawOp::Kind::Fill) {
            boxes.Add(op.box, op.color);
            continue;
        }
        boxes.Flush();
        if (op.kind == DrawOp::Kind::Text)
            SvgText(out, op, quiet);
        else if (op.kind == DrawOp::Kind::Line)
            SvgLine(out, op, quiet);
        else
            SvgImage(out, op, quiet);
    }
    boxes.Flush();
    if (quietRows > 0)
        out << "</g>\n";
    out << "</svg>\n";
    return out.Take();
}

namespace {

const graphics::DeviceGrid kExportGrid{double(kPdfResolution), kPdfGridDpi};

// The quiet zones of an exported PDF in device units: whole grid dots, so
// the symbol starts on one.
QPointF ExportQuietZones(const Drawing& drawing)
{
    const double scale = kExportGrid.UnitsPerPixel(drawing), dot = kExportGrid.Dot();
    return QPointF(std::ceil(graphics::QuietZonePixels(drawing) * scale / dot) * dot,
                   std::ceil(graphics::QuietZoneRows(drawing) * scale / dot) * dot);
}

// The page of an exported PDF: the symbol with its quiet zones, in whole
// points.
QSizeF ExportPagePoints(const Drawing& drawing)
{
    const QPointF quiet = ExportQuietZones(drawing);
    const QSizeF symbol = graphics::ReplayedSize(drawing, kExportGrid);
    return QSizeF(std::ceil((symbol.width() + 2 * quiet.x()) * 72.0 / kPdfResolution),
                  std::ceil((std::max(symbol.height(), 1.0) + 2 * quiet.y()) * 72.0 / kPdfResolution));
}

} // namespace

bool WriteExportPdf(const Drawing& drawing, QIODevice& device)
{
    const graphics::DeviceGrid& grid = kExportGrid;
    const QPointF quietZones = ExportQuietZones(drawing);
    const double quiet = quietZones.x(), quietRows = quietZones.y();
    const QSizeF page = ExportPagePoints(drawing);
    const double widthPt = page.width(), heightPt = page.height();

    PdfDocument pdf(
        &device,
        QPageLayout(QPageSize(QSizeF(widthPt, heightPt), QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point),
        kPdfResolution);
    pdf.SetTitle(QStringLiteral("Quorvane"));
    pdf.SetCreator(QStringLiteral("Quorvane"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    graphics::Replay(drawing, painter, QPointF(quiet, quietRows), grid);
    return painter.end();
}

namespace {

// `folder` is the path's folder held open, or null for the path alone.
core::Status WriteSteps(const Drawing& drawing, ExportFormat format, const FileFolder* folder, const QString& path,
                        const ExportOptions& options, bool durable, const std::function<void()>& named,
                        const PictureCheck& check)
{
    if (drawing.IsEmpty())
        return Fail(core::kNothingToDraw, QStringLiteral("There is no barcode to save in %1.").arg(Shown(path)));
    QImage image;
    if (format == ExportFormat::Png) {
        image = graphics::RasterImage(drawing, options);
        if (image.isNull()) {
            const QSize size = graphics::LayOutRaster(drawing, options).size;
            if (size.isEmpty())
                return Fail(core::kTooLarge,
                               QStringLiteral("The picture for %1 would be more than %2 pixels wide or high; choose a "
                                              "lower resolution.")
                                   .arg(Shown(path))
                                   .arg(graphics::kMaxRasterPixels));
            return Fail(core::kTooLarge,
                           QStringLiteral("There is not enough memory for the picture for %1 (%2 by %3 pixels); choose a "
                                          "lower resolution.")
                               .arg(Shown(path))
                               .arg(size.width())
                               .arg(size.height()));
        }
        if (check)
            if (const core::Status scans = check(image); scans.failed())
                return scans;
    }
    if (format == ExportFormat::Pdf) {
        const QSizeF page = ExportPagePoints(drawing) / 72.0;
        if (std::max(page.width(), page.height()) > core::kMaxPageInches)
            return Fail(core::kTooLarge, QStringLiteral("The page for %1 would be %2 × %3 inches, and a PDF page is at most "
                                                        "%4 inches a side; choose a smaller module, or SVG.")
                                             .arg(Shown(path))
                                             .arg(page.width(), 0, 'f', 1)
                                             .arg(page.height(), 0, 'f', 1)
                                             .arg(core::kMaxPageInches));
    }
    auto cannot = [&](const QString& reason) {
        return Fail(core::kCannotWrite, QStringLiteral("Cannot write %1: %2.").arg(Shown(path), reason));
    };
    AtomicFile file;
    const core::Status created = folder ? file.CreateUnnamed(*folder, TempSuffix(format))
                                        : file.CreateUnnamed(QFileInfo(path).absolutePath(), TempSuffix(format));
    if (created.failed())
        return cannot(created.failure().text);
    bool written = true;
    switch (format) {
    case ExportFormat::Png:
        written = WritePng(drawing, image, file);
        break;
    case ExportFormat::Svg:
        written = file.Write(ExportSvg(drawing));
        break;
    case ExportFormat::Pdf:
        written = WriteExportPdf(drawing, *file.Device());
        break;
    }
    const core::Status whole = file.Complete(durable);
    if (!written || whole.failed()) {
        file.Discard();
        return cannot(whole.failed() ? whole.failure().text : QStringLiteral("the file could not be written"));
    }
    // A stop waits until the file has its name and the caller knows it.
    const auto hold = services::HoldOffStop();
    const core::Status replaced = folder ? file.ReplaceAs(*folder, path.mid(path.lastIndexOf(QLatin1Char('/')) + 1))
                                         : file.ReplaceAs(path);
    if (replaced.failed())
        return cannot(replaced.failure().text);
    if (named)
        named();
    return core::Ok();
}

// A large picture needs memory at every step (its pixels, its rows, the
// compressed file): whichever can't have it, the export fails with that
// reason, and its temporary file is gone with the steps.
core::Status WriteOrNoMemory(const Drawing& drawing, ExportFormat format, const FileFolder* folder,
                             const QString& path, const ExportOptions& options, bool durable,
                             const std::function<void()>& named, const PictureCheck& check)
{
    try {
        return WriteSteps(drawing, format, folder, path, options, durable, named, check);
    } catch (const std::bad_alloc&) {
        return Fail(core::kTooLarge,
                       QStringLiteral("There is not enough memory to write %1; choose a lower resolution.").arg(Shown(path)));
    }
}

} // namespace

core::Status WriteExport(const Drawing& drawing, ExportFormat format, const FileFolder& folder, const QString& path,
                         const ExportOptions& options, bool durable, const std::function<void()>& named,
                         const PictureCheck& check)
{
    return WriteOrNoMemory(drawing, format, &folder, path, options, durable, named, check);
}

QString PictureSize(const ExportOptions& options)
{
    if (options.moduleDots == 1)
        return QStringLiteral("at 1 pixel a module");
    return options.moduleDots > 0 ? QStringLiteral("at %1 pixels a module").arg(options.moduleDots)
                                  : QStringLiteral("at %1 dpi").arg(options.dpi);
}

core::Status ExportDrawing(const Drawing& drawing, const QString& path, const ExportOptions& options,
                           const std::function<void()>& named, const PictureCheck& check)
{
    const std::optional<ExportFormat> format = ExportFormatOf(path);
    if (!format)
        return Fail(core::kBadName,
                       QStringLiteral("The file name %1 does not end in .png, .svg or .pdf.").arg(Shown(path)));
    AtomicFile::RemoveAbandoned(QFileInfo(path).absolutePath(), kAnyExportTemp);
    return WriteOrNoMemory(drawing, *format, nullptr, path, options, true, named, check);
}

QString SuggestedFileName(const QString& text)
{
    constexpr qsizetype kLongest = 60;
    QString name;
    for (const QChar c : text.left(kLongest))
        name += c.isPrint() && !QStringLiteral("/\\:*?\"<>|").contains(c) ? c : QLatin1Char('_');
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('-')))
        name.remove(0, 1); // no hidden file, no name read as an option
    return name.isEmpty() ? QStringLiteral("barcode") : name;
}

QString WithExtensionOf(const QString& path, const QString& filter)
{
    if (ExportFormatOf(path))
        return path;
    const qsizetype star = filter.lastIndexOf(QLatin1String("*."));
    const qsizetype end = filter.indexOf(QLatin1Char(')'), star);
    if (star < 0 || end < 0)
        return path;
    return path + filter.mid(star + 1, end - star - 1);
}

} // namespace files
