#include "files/PdfDocument.h"

#include <QHash>
#include <QIODevice>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>
#include <zlib.h>

namespace files {
namespace {

constexpr double kPointsPerInch = 72;
constexpr double kMmPerInch = 25.4;
// Glyph programs are drawn at this many units per em; a font matrix of
// 1/1000 makes them one text-space unit per em.
constexpr int kGlyphUnits = 1000;
// A Type 3 font holds up to this many glyphs (one byte a code, 0 unused).
constexpr int kCodesPerFont = 255;
// What is written is handed to the device in pieces of about this size.
constexpr qsizetype kFlushBytes = 1 << 16;

// A number as PDF content takes it: whole numbers bare, others to a
// thousandth of a unit (far below a printer's dot), without trailing zeros.
void Num(std::string& out, double v)
{
    char buf[32];
    char* p = buf;
    if (!(std::abs(v) < 1e12)) // nothing a page can show
        v = 0;
    long long t = std::llround(v * 1000);
    if (t < 0) {
        *p++ = '-';
        t = -t;
    }
    p = std::to_chars(p, buf + sizeof buf, t / 1000).ptr;
    if (int frac = int(t % 1000)) {
        *p++ = '.';
        for (int unit = 100; frac != 0; unit /= 10) {
            *p++ = char('0' + frac / unit);
            frac %= unit;
        }
    }
    out.append(buf, size_t(p - buf));
}

// A number to nine places, for the page's scale: a thousandth off in a
// scale of 72/203 would move the far end of a page by a printer's dot.
void Precise(std::string& out, double v)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 9);
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    out.append(buf, size_t(end - buf));
}

void Nums(std::string& out, std::initializer_list<double> values)
{
    bool first = true;
    for (double v : values) {
        if (!first)
            out += ' ';
        first = false;
        Num(out, v);
    }
}

void Matrix(std::string& out, const QTransform& m)
{
    Nums(out, {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()});
}

// A text string of an information entry: UTF-16 with its byte order mark.
QByteArray TextString(const QString& text)
{
    QByteArray hex = "<FEFF";
    for (QChar c : text)
        hex += QByteArray::number(c.unicode() + 0x10000, 16).mid(1).toUpper();
    return hex + '>';
}

QByteArray Deflated(std::string_view data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    // The fastest level: pages of labels are repetitive enough that it
    // packs them nearly as well as the default at a third of the time.
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), 1) != Z_OK)
        return {};
    out.truncate(static_cast<qsizetype>(size));
    return out;
}

// True when the text draws as its characters' glyphs one after another,
// with no shaping: scripts that join or reorder, combining marks and
// characters outside the basic plane need Qt's shaping.
bool DrawsUnshaped(const QString& text)
{
    for (QChar c : text) {
        if (c.isSurrogate() || c.isMark() || c.unicode() < 0x20 || c.category() == QChar::Other_Format)
            return false;
        switch (c.script()) {
        case QChar::Script_Common:
        case QChar::Script_Latin:
        case QChar::Script_Greek:
        case QChar::Script_Cyrillic: break;
        default: return false;
        }
    }
    return true;
}

struct Glyph {
    int font = 0; // index of the Type 3 font that holds it
    int code = 0;
    double width = 0; // its advance in glyph units
};

struct Face;

// One Type 3 font of a face: the glyphs it holds, by code.
struct Type3Font {
    const Face* face = nullptr;
    int object = 0;
    std::string name; // its resource name
    std::vector<quint32> glyphs;
    std::vector<QString> chars; // the characters each glyph stands for
};

// A face at kGlyphUnits pixels, and the glyphs of it the document uses.
struct Face {
    QRawFont raw;
    bool kerns = false; // the face has a table of pairs that move closer or apart
    std::unordered_map<quint32, Glyph> glyphs;
    std::unordered_map<quint64, double> kerning; // by pair, in glyph units
    int latestFont = -1; // the font new glyphs go to
};

struct ImageObject {
    int object = 0;
    std::string name;
};

} // namespace

class PdfDocument::Engine : public QPaintEngine {
public:
    Engine(QIODevice* out, const QPageLayout& layout, int resolution)
        : QPaintEngine(QPaintEngine::AllFeatures & ~(QPaintEngine::PorterDuff | QPaintEngine::PerspectiveTransform |
                                                    QPaintEngine::ObjectBoundingModeGradients |
                                                    QPaintEngine::ConicalGradientFill)),
          out_(out), resolution_(resolution), paintRect_(layout.paintRectPixels(resolution)),
          pagePoints_(layout.fullRectPoints().size())
    {
    }

    // ---- the document
    QString title, creator;
    QRect PaintRect() const { return paintRect_; }
    int Resolution() const { return resolution_; }

    bool begin(QPaintDevice*) override
    {
        if (started_)
            return ok_;
        started_ = true;
        Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
        catalog_ = Reserve();
        pagesTree_ = Reserve();
        resources_ = Reserve();
        StartPage();
        return ok_;
    }

    bool end() override
    {
        EndPage();
        WriteFonts();
        WriteImagesResources();
        WriteTrailer();
        Flush();
        return ok_;
    }

    bool NewPage()
    {
        if (!started_)
            return false;
        EndPage();
        StartPage();
        return ok_;
    }

    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyPen)
            pen_ = state.pen();
        if (dirty & DirtyBrush)
            brush_ = state.brush();
        if (dirty & DirtyTransform)
            transform_ = state.transform();
    }

    // ---- shapes
    void drawRects(const QRectF* rects, int count) override
    {
        const bool fill = Fills(), stroke = Strokes();
        if (!(fill || stroke) || count <= 0)
            return;
        const bool moved = BeginShape(fill, stroke);
        for (int i = 0; i < count; ++i) {
            Nums(page_, {rects[i].x(), rects[i].y(), rects[i].width(), rects[i].height()});
            page_ += " re\n";
        }
        EndShape(moved, fill, stroke, Qt::WindingFill);
    }
    void drawRects(const QRect* rects, int count) override
    {
        std::vector<QRectF> r(rects, rects + std::max(count, 0));
        drawRects(r.data(), count);
    }

    void drawLines(const QLineF* lines, int count) override
    {
        if (!Strokes() || count <= 0)
            return;
        const bool moved = BeginShape(false, true);
        for (int i = 0; i < count; ++i) {
            Nums(page_, {lines[i].x1(), lines[i].y1()});
            page_ += " m ";
            Nums(page_, {lines[i].x2(), lines[i].y2()});
            page_ += " l\n";
        }
        EndShape(moved, false, true, Qt::WindingFill);
    }
    void drawLines(const QLine* lines, int count) override
    {
        std::vector<QLineF> l(lines, lines + std::max(count, 0));
        drawLines(l.data(), count);
    }

    void drawPath(const QPainterPath& path) override
    {
        const bool fill = Fills(), stroke = Strokes();
        if (!(fill || stroke) || path.isEmpty())
            return;
        const bool moved = BeginShape(fill, stroke);
        WritePath(page_, path, false);
        EndShape(moved, fill, stroke, path.fillRule());
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        if (count <= 0)
            return;
        QPainterPath path(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        const QBrush brush = brush_;
        if (mode == PolylineMode)
            brush_ = Qt::NoBrush;
        drawPath(path);
        brush_ = brush;
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        std::vector<QPointF> p(points, points + std::max(count, 0));
        drawPolygon(p.data(), count, mode);
    }

    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override
    {
        if (image.isNull() || r.isEmpty())
            return;
        QImage picture = sr.toAlignedRect() == image.rect() ? image : image.copy(sr.toAlignedRect());
        if (picture.hasAlphaChannel()) { // on white paper
            QImage onWhite(picture.size(), QImage::Format_RGB32);
            onWhite.fill(Qt::white);
            QPainter p(&onWhite);
            p.drawImage(0, 0, picture);
            picture = onWhite;
        }
        picture = picture.convertToFormat(QImage::Format_RGB888);
        QByteArray pixels;
        pixels.reserve(qsizetype(picture.width()) * picture.height() * 3);
        for (int y = 0; y < picture.height(); ++y)
            pixels.append(reinterpret_cast<const char*>(picture.constScanLine(y)), qsizetype(picture.width()) * 3);
        ImageObject im;
        im.object = Reserve();
        im.name = "/I" + std::to_string(images_.size() + 1);
        StartObject(im.object);
        WriteStream("/Type /XObject /Subtype /Image /Width " + QByteArray::number(picture.width()) + " /Height " +
                        QByteArray::number(picture.height()) + " /ColorSpace /DeviceRGB /BitsPerComponent 8",
                    std::string_view(pixels.constData(), size_t(pixels.size())));
        images_.push_back(im);
        // The picture's unit square onto the box, its first row at the top.
        page_ += "q ";
        Matrix(page_, QTransform(r.width(), 0, 0, -r.height(), r.left(), r.bottom()) * transform_);
        page_ += " cm " + im.name + " Do Q\n";
    }

    // ---- text
    void drawTextItem(const QPointF& at, const QTextItem& item) override { Text(at, item.font(), item.text()); }

    // Text the painter asks for, from its own state: the painter's shaping
    // of it would be thrown away here. The painter has not told the engine
    // its state yet and will later tell only what changed from what it
    // last told: that is put back afterwards.
    void TextOf(QPainter& painter, const QPointF& at, const QString& text)
    {
        const QPen pen = std::exchange(pen_, painter.pen());
        const QTransform transform = std::exchange(transform_, painter.combinedTransform());
        Text(at, QFont(painter.font(), painter.device()), text);
        pen_ = pen;
        transform_ = transform;
    }

    void Text(const QPointF& at, const QFont& font, const QString& text)
    {
        if (text.isEmpty() || pen_.style() == Qt::NoPen)
            return;
        Face& face = FaceOf(font);
        const QList<quint32> indexes = DrawsUnshaped(text) ? face.raw.glyphIndexesForString(text) : QList<quint32>();
        bool whole = indexes.size() == text.size();
        for (qsizetype i = 0; whole && i < indexes.size(); ++i)
            whole = indexes[i] != 0;
        if (!whole) {
            TextAsOutlines(at, font, text);
            return;
        }
        const double size = PixelSize(font);
        const double scale = size / kGlyphUnits;
        std::vector<Glyph> glyphs(size_t(indexes.size()));
        for (qsizetype i = 0; i < indexes.size(); ++i)
            glyphs[size_t(i)] = GlyphOf(face, indexes[i], text[i]);
        // Advances at the device size, with the font's kerning and spacing.
        const bool percent = font.letterSpacingType() == QFont::PercentageSpacing;
        const double spacing = font.letterSpacing();
        std::vector<double> advances(glyphs.size());
        for (size_t i = 0; i < glyphs.size(); ++i) {
            double a = glyphs[i].width;
            if (face.kerns && i + 1 < glyphs.size())
                a += Kerning(face, indexes[qsizetype(i)], indexes[qsizetype(i + 1)]);
            a *= scale;
            if (percent && spacing != 0 && spacing != 100)
                a *= spacing / 100;
            else if (!percent)
                a += spacing;
            if (text[qsizetype(i)] == QLatin1Char(' '))
                a += font.wordSpacing();
            advances[i] = a;
        }

        SetFill(pen_.color());
        page_ += "BT\n";
        int current = -1;
        bool inString = false;
        double x = 0; // along the baseline, from the text's origin
        for (size_t i = 0; i < glyphs.size(); ++i) {
            const Glyph& g = glyphs[i];
            if (g.font != current) {
                // Each font's run starts where it belongs on the baseline.
                if (current >= 0)
                    page_ += inString ? ">] TJ\n" : "] TJ\n";
                page_ += fonts_[size_t(g.font)].name + ' ';
                Num(page_, size);
                page_ += " Tf ";
                Matrix(page_, QTransform(1, 0, 0, -1, at.x() + x, at.y()) * transform_);
                page_ += " Tm [";
                current = g.font;
                inString = false;
            }
            if (!inString)
                page_ += '<';
            inString = true;
            static constexpr char kHex[] = "0123456789ABCDEF";
            page_ += kHex[g.code >> 4];
            page_ += kHex[g.code & 15];
            // A glyph moves on by its own width; where kerning or spacing
            // moves it on by another amount, the array says by how much
            // less, in thousandths of the size.
            const double adjust = (g.width * scale - advances[i]) / size * kGlyphUnits;
            if (std::abs(adjust) >= 0.01) {
                page_ += '>';
                inString = false;
                Num(page_, adjust);
            }
            x += advances[i];
        }
        page_ += inString ? ">] TJ\nET\n" : "] TJ\nET\n";
    }

private:
    // ---- writing
    void Write(QByteArrayView bytes)
    {
        pending_ += bytes;
        if (pending_.size() >= kFlushBytes)
            Flush();
    }
    void Flush()
    {
        if (pending_.isEmpty())
            return;
        if (ok_ && out_->write(pending_) != pending_.size())
            ok_ = false;
        offset_ += pending_.size();
        pending_.clear();
    }
    qint64 Offset() const { return offset_ + pending_.size(); }
    int Reserve()
    {
        offsets_.push_back(-1);
        return static_cast<int>(offsets_.size());
    }
    void StartObject(int object)
    {
        offsets_[size_t(object - 1)] = Offset();
        Write(QByteArray::number(object) + " 0 obj\n");
    }
    void WriteObject(int object, const QByteArray& body)
    {
        StartObject(object);
        Write(body + "\nendobj\n");
    }
    // A stream, packed when that makes it smaller.
    void WriteStream(const QByteArray& dictionary, std::string_view data)
    {
        const QByteArray packed = Deflated(data);
        const bool usePacked = !packed.isEmpty() && packed.size() < qsizetype(data.size());
        const QByteArrayView body = usePacked ? QByteArrayView(packed) : QByteArrayView(data.data(), qsizetype(data.size()));
        Write("<< " + dictionary + (usePacked ? " /Filter /FlateDecode" : "") + " /Length " +
              QByteArray::number(body.size()) + " >>\nstream\n");
        Write(body);
        Write("\nendstream\nendobj\n");
    }

    // ---- pages
    void StartPage()
    {
        page_.clear();
        fill_ = stroke_ = Qt::black;
        lineWidth_ = 1;
        cap_ = 0;
        join_ = 0;
        // Device units from the printable area's corner, y down, as the
        // painter draws; a PDF page is points from the bottom-left corner.
        const double s = kPointsPerInch / resolution_;
        page_ += "q ";
        for (double v : {s, 0.0, 0.0, -s, paintRect_.left() * s, pagePoints_.height() - paintRect_.top() * s}) {
            Precise(page_, v);
            page_ += ' ';
        }
        page_ += "cm\n";
    }
    void EndPage()
    {
        page_ += "Q\n";
        const int contents = Reserve();
        StartObject(contents);
        WriteStream({}, page_);
        const int page = Reserve();
        WriteObject(page, "<< /Type /Page /Parent " + Ref(pagesTree_) + " /MediaBox [0 0 " +
                              QByteArray::number(pagePoints_.width()) + ' ' +
                              QByteArray::number(pagePoints_.height()) + "] /Resources " + Ref(resources_) +
                              " /Contents " + Ref(contents) + " >>");
        pages_.push_back(page);
        page_.clear();
    }
    static QByteArray Ref(int object) { return QByteArray::number(object) + " 0 R"; }

    // ---- state
    bool Fills() const { return brush_.style() != Qt::NoBrush; }
    bool Strokes() const { return pen_.style() != Qt::NoPen; }
    static void Color(std::string& out, const QColor& c, bool stroke)
    {
        if (c.red() == c.green() && c.green() == c.blue()) {
            Num(out, c.red() / 255.0);
            out += stroke ? " G\n" : " g\n";
            return;
        }
        Nums(out, {c.red() / 255.0, c.green() / 255.0, c.blue() / 255.0});
        out += stroke ? " RG\n" : " rg\n";
    }
    void SetFill(const QColor& c)
    {
        if (c.rgb() != fill_.rgb())
            Color(page_, c, false);
        fill_ = c;
    }
    // Colours and line settings are set outside any saved state, so that
    // what was set last is what the page has.
    bool BeginShape(bool fill, bool stroke)
    {
        if (fill)
            SetFill(brush_.color());
        if (stroke) {
            if (pen_.color().rgb() != stroke_.rgb())
                Color(page_, pen_.color(), true);
            stroke_ = pen_.color();
            const double width = pen_.widthF();
            if (width != lineWidth_) {
                Num(page_, width);
                page_ += " w\n";
                lineWidth_ = width;
            }
            const int cap = pen_.capStyle() == Qt::RoundCap ? 1 : pen_.capStyle() == Qt::SquareCap ? 2 : 0;
            const int join = pen_.joinStyle() == Qt::RoundJoin ? 1 : pen_.joinStyle() == Qt::BevelJoin ? 2 : 0;
            if (cap != cap_)
                page_ += std::to_string(cap) + " J\n";
            if (join != join_)
                page_ += std::to_string(join) + " j\n";
            cap_ = cap;
            join_ = join;
        }
        if (transform_.isIdentity())
            return false;
        page_ += "q ";
        Matrix(page_, transform_);
        page_ += " cm\n";
        return true;
    }
    void EndShape(bool moved, bool fill, bool stroke, Qt::FillRule rule)
    {
        const bool evenOdd = rule == Qt::OddEvenFill;
        page_ += fill && stroke ? (evenOdd ? "B*\n" : "B\n") : fill ? (evenOdd ? "f*\n" : "f\n") : "S\n";
        if (moved)
            page_ += "Q\n";
    }
    static void WritePath(std::string& out, const QPainterPath& path, bool flipY)
    {
        const double fy = flipY ? -1 : 1;
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                Nums(out, {e.x, e.y * fy});
                out += " m\n";
                break;
            case QPainterPath::LineToElement:
                Nums(out, {e.x, e.y * fy});
                out += " l\n";
                break;
            case QPainterPath::CurveToElement: {
                const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
                Nums(out, {e.x, e.y * fy, c2.x, c2.y * fy, to.x, to.y * fy});
                out += " c\n";
                i += 2;
                break;
            }
            case QPainterPath::CurveToDataElement: break;
            }
        }
    }

    // ---- fonts
    double PixelSize(const QFont& font) const
    {
        return font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * resolution_ / kPointsPerInch;
    }
    Face& FaceOf(const QFont& font)
    {
        for (const auto& [seen, face] : recentFaces_)
            if (seen == font)
                return *face;
        QFont unit = font;
        unit.setPixelSize(kGlyphUnits);
        unit.setLetterSpacing(QFont::PercentageSpacing, 100);
        unit.setWordSpacing(0);
        unit.setHintingPreference(QFont::PreferNoHinting);
        const QString key = unit.key();
        auto it = faces_.find(key);
        if (it == faces_.end()) {
            auto face = std::make_shared<Face>();
            face->raw = QRawFont::fromFont(unit);
            face->kerns = !face->raw.fontTable("kern").isEmpty();
            it = faces_.insert(key, face);
        }
        // A page has few fonts (the listing's, a caption's): the last few
        // are found without building a key.
        if (recentFaces_.size() >= 4)
            recentFaces_.erase(recentFaces_.begin());
        recentFaces_.emplace_back(font, it->get());
        return *it->get();
    }
    double Kerning(Face& face, quint32 left, quint32 right)
    {
        const quint64 pair = (quint64(left) << 32) | right;
        const auto found = face.kerning.find(pair);
        if (found != face.kerning.end())
            return found->second;
        const QList<QPointF> a = face.raw.advancesForGlyphIndexes(QList<quint32>{left, right},
                                                                  QRawFont::KernedAdvances | QRawFont::UseDesignMetrics);
        const double kern = a.value(0).x() - face.glyphs.at(left).width;
        face.kerning.emplace(pair, kern);
        return kern;
    }
    Glyph GlyphOf(Face& face, quint32 index, QChar c)
    {
        const auto found = face.glyphs.find(index);
        if (found != face.glyphs.end())
            return found->second;
        // A face's glyphs fill its latest font; a full one starts another.
        int fi = face.latestFont;
        if (fi < 0 || fonts_[size_t(fi)].glyphs.size() >= kCodesPerFont) {
            Type3Font f;
            f.object = Reserve();
            f.name = "/T" + std::to_string(fonts_.size() + 1);
            f.face = &face;
            fonts_.push_back(std::move(f));
            fi = face.latestFont = int(fonts_.size()) - 1;
        }
        Type3Font& f = fonts_[size_t(fi)];
        f.glyphs.push_back(index);
        f.chars.push_back(QString(c));
        const double width =
            face.raw.advancesForGlyphIndexes(QList<quint32>{index}, QRawFont::UseDesignMetrics).value(0).x();
        const Glyph g{fi, int(f.glyphs.size()), width};
        face.glyphs.emplace(index, g);
        return g;
    }
    void TextAsOutlines(const QPointF& at, const QFont& font, const QString& text)
    {
        QPainterPath path;
        path.addText(at, font, text);
        const QBrush brush = brush_;
        const QPen pen = pen_;
        brush_ = pen_.color();
        pen_ = Qt::NoPen;
        drawPath(path);
        brush_ = brush;
        pen_ = pen;
    }
    void WriteFonts()
    {
        for (size_t fi = 0; fi < fonts_.size(); ++fi) {
            Type3Font& f = fonts_[fi];
            const Face& face = *f.face;
            QByteArray procs = "<<", differences = "[1", unicode;
            std::string widths = "[";
            QRectF bounds;
            for (size_t i = 0; i < f.glyphs.size(); ++i) {
                const QPainterPath outline = face.raw.pathForGlyph(f.glyphs[i]);
                const QRectF box = outline.boundingRect();
                bounds |= box;
                std::string program;
                const double width = face.glyphs.at(f.glyphs[i]).width;
                Nums(program, {width, 0, box.left(), -box.bottom(), box.right(), -box.top()});
                program += " d1\n";
                WritePath(program, outline, true);
                if (!outline.isEmpty())
                    program += "f\n";
                const int object = Reserve();
                StartObject(object);
                WriteStream({}, program);
                const QByteArray name = "/g" + QByteArray::number(qulonglong(i + 1));
                procs += ' ' + name + ' ' + Ref(object);
                Num(widths, width);
                widths += ' ';
                differences += ' ' + name;
                // A CMap lists at most 100 characters a block.
                if (i % 100 == 0) {
                    const size_t count = std::min<size_t>(100, f.glyphs.size() - i);
                    unicode += (i > 0 ? "endbfchar\n" : "") + QByteArray::number(qulonglong(count)) + " beginbfchar\n";
                }
                unicode += '<' + QByteArray::number(qulonglong(i + 1), 16).rightJustified(2, '0') + "> <";
                for (QChar c : f.chars[i])
                    unicode += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
                unicode += ">\n";
            }
            const int toUnicode = Reserve();
            StartObject(toUnicode);
            const QByteArray cmap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                                    "/CMapName /Quorvane-UCS def /CMapType 2 def\n"
                                    "1 begincodespacerange <00> <FF> endcodespacerange\n" + unicode +
                                    "endbfchar\nendcmap CMapName currentdict /CMap defineresource pop end end\n";
            WriteStream({}, std::string_view(cmap.constData(), size_t(cmap.size())));
            std::string box;
            Nums(box, {std::floor(bounds.left()), std::floor(-bounds.bottom()), std::ceil(bounds.right()),
                       std::ceil(-bounds.top())});
            WriteObject(f.object, "<< /Type /Font /Subtype /Type3 /FontBBox [" + QByteArray::fromStdString(box) +
                                      "] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs " + procs +
                                      " >> /Encoding << /Type /Encoding /Differences " + differences +
                                      "] >> /FirstChar 1 /LastChar " + QByteArray::number(qulonglong(f.glyphs.size())) +
                                      " /Widths " + QByteArray::fromStdString(widths) + "] /Resources << >> /ToUnicode " + Ref(toUnicode) +
                                      " >>");
        }
    }
    void WriteImagesResources()
    {
        QByteArray fonts = "<<", images = "<<";
        for (const Type3Font& f : fonts_)
            fonts += ' ' + QByteArray::fromStdString(f.name) + ' ' + Ref(f.object);
        for (const ImageObject& im : images_)
            images += ' ' + QByteArray::fromStdString(im.name) + ' ' + Ref(im.object);
        WriteObject(resources_, "<< /Font " + fonts + " >> /XObject " + images + " >> >>");
    }
    void WriteTrailer()
    {
        QByteArray kids = "[";
        for (int p : pages_)
            kids += ' ' + Ref(p);
        WriteObject(pagesTree_, "<< /Type /Pages /Kids " + kids + " ] /Count " +
                                    QByteArray::number(qulonglong(pages_.size())) + " >>");
        WriteObject(catalog_, "<< /Type /Catalog /Pages " + Ref(pagesTree_) + " >>");
        const int info = Reserve();
        WriteObject(info, "<< /Title " + TextString(title) + " /Creator " + TextString(creator) + " /Producer " +
                              TextString(QStringLiteral("Quorvane")) + " >>");
        const qint64 xref = Offset();
        QByteArray table = "xref\n0 " + QByteArray::number(qulonglong(offsets_.size() + 1)) +
                           "\n0000000000 65535 f \n";
        for (qint64 at : offsets_)
            table += QByteArray::number(std::max<qint64>(at, 0)).rightJustified(10, '0') + " 00000 n \n";
        Write(table + "trailer\n<< /Size " + QByteArray::number(qulonglong(offsets_.size() + 1)) + " /Root " +
              Ref(catalog_) + " /Info " + Ref(info) + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    }

    QIODevice* out_;
    int resolution_;
    QRect paintRect_;
    QSize pagePoints_;
    bool started_ = false;
    bool ok_ = true; // false once the device refused what was written
    QByteArray pending_;
    qint64 offset_ = 0;
    std::vector<qint64> offsets_; // of objects 1, 2, ...
    int catalog_ = 0, pagesTree_ = 0, resources_ = 0;
    std::vector<int> pages_;
    std::string page_;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    QColor fill_, stroke_;
    double lineWidth_ = 1;
    int cap_ = 0, join_ = 0;
    QHash<QString, std::shared_ptr<Face>> faces_;
    std::vector<std::pair<QFont, Face*>> recentFaces_;
    std::vector<Type3Font> fonts_;
    std::vector<ImageObject> images_;
};

PdfDocument::PdfDocument(QIODevice* out, const QPageLayout& layout, int resolution)
    : engine_(std::make_unique<Engine>(out, layout, resolution))
{
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::SetTitle(const QString& title) { engine_->title = title; }
void PdfDocument::SetCreator(const QString& creator) { engine_->creator = creator; }
bool PdfDocument::NewPage() { return engine_->NewPage(); }
QRect PdfDocument::PaintRect() const { return engine_->PaintRect(); }
int PdfDocument::Resolution() const { return engine_->Resolution(); }
QPaintEngine* PdfDocument::paintEngine() const { return engine_.get(); }

void PdfDocument::WriteText(QPainter& painter, const QPointF& at, const QString& text)
{
    engine_->TextOf(painter, at, text);
}

int PdfDocument::metric(PaintDeviceMetric metric) const
{
    const QRect r = engine_->PaintRect();
    const int dpi = engine_->Resolution();
    switch (metric) {
    case PdmWidth: return r.width();
    case PdmHeight: return r.height();
    case PdmWidthMM: return qRound(r.width() * kMmPerInch / dpi);
    case PdmHeightMM: return qRound(r.height() * kMmPerInch / dpi);
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return dpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    }
    return 0;
}

} // namespace files
