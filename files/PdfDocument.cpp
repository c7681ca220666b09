#include "files/PdfDocument.h"

#include "files/Deflater.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QGlyphRun>
#include <QHash>
#include <QIODevice>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>
#include <zlib.h>
#include <map>
#include <memory>

namespace files {
namespace {

constexpr double kPointsPerInch = 72;
constexpr double kMmPerInch = 25.4;
// Glyph programs are drawn at this many units per em; a font matrix of
// 1/1000 makes them one text-space unit per em.
constexpr int kGlyphUnits = 1000;
// Glyphs drawn as pictures are drawn at this many pixels an em.
constexpr int kPictureEm = 72;
// Texts whose shaping is kept, to be written again as they are.
constexpr qsizetype kShapedKept = 512;
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


// What the engine writes itself: solid colours, lines with their dashes,
// paths, clips, pictures and text, under any affine transform. For the
// rest (gradients, patterns, see-through colours) QPainter draws a picture
// and hands that over.
constexpr QPaintEngine::PaintEngineFeatures kFeatures =
    QPaintEngine::PrimitiveTransform | QPaintEngine::PixmapTransform | QPaintEngine::PainterPaths |
    QPaintEngine::Antialiasing | QPaintEngine::PaintOutsidePaintEvent;

// The page's size in points as the layout defines it: QPageLayout's own
// rectangles in points are whole points, 0.3 mm off on a 100 mm label.
QSizeF ExactPoints(const QPageLayout& layout)
{
    const QPageSize page = layout.pageSize();
    const QSizeF size = page.definitionUnits() == QPageSize::Point
                            ? page.definitionSize()
                            : page.size(QPageSize::Millimeter) * (kPointsPerInch / kMmPerInch);
    return layout.orientation() == QPageLayout::Landscape ? size.transposed() : size;
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
        : QPaintEngine(kFeatures), out_(out), resolution_(resolution), paintRect_(layout.paintRectPixels(resolution)),
          pagePoints_(ExactPoints(layout))
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
        // The document's identifier is a digest of what it holds and when
        // it was made, so that two files of the same labels differ.
        digest_.addData(QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
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
        if (dirty & DirtyClipEnabled)
            clipOn_ = state.isClipEnabled();
        // A clip comes in the painter's coordinates of the moment; it is
        // kept in device units, as the page's content is.
        if (dirty & (DirtyClipPath | DirtyClipRegion)) {
            QPainterPath path;
            if (dirty & DirtyClipPath)
                path = state.clipPath();
            else
                path.addRegion(state.clipRegion());
            SetClip(transform_.map(path), state.clipOperation());
        }
    }
    void SetClip(const QPainterPath& path, Qt::ClipOperation operation)
    {
        switch (operation) {
        case Qt::NoClip:
            clip_ = QPainterPath();
            clipOn_ = false;
            break;
        case Qt::ReplaceClip:
            clip_ = path;
            clipOn_ = true;
            break;
        case Qt::IntersectClip:
            clip_ = clipOn_ ? clip_.intersected(path) : path;
            clipOn_ = true;
            break;
        }
    }

    // ---- shapes
    void drawRects(const QRectF* rects, int count) override
    {
        const bool fill = Fills(), stroke = Strokes();
        if (!(fill || stroke) || count <= 0 || ClippedAway())
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
        if (!Strokes() || count <= 0 || ClippedAway())
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
        if (!(fill || stroke) || path.isEmpty() || ClippedAway())
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
        if (image.isNull() || r.isEmpty() || ClippedAway())
            return;
        const QImage picture = sr.toAlignedRect() == image.rect() ? image : image.copy(sr.toAlignedRect());
        ImageObject im;
        im.object = WriteImage(picture);
        im.name = "/I" + std::to_string(images_.size() + 1);
        images_.push_back(im);
        // The picture's unit square onto the box, its first row at the top.
        if (!Open(false))
            page_ += "q\n";
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
        const bool clipOn = std::exchange(clipOn_, painter.hasClipping());
        const QPainterPath clip = std::exchange(clip_, clipOn_ ? transform_.map(painter.clipPath()) : QPainterPath());
        Text(at, QFont(painter.font(), painter.device()), text);
        pen_ = pen;
        transform_ = transform;
        clipOn_ = clipOn;
        clip_ = clip;
    }

    void Text(const QPointF& at, const QFont& font, const QString& text)
    {
        if (text.isEmpty() || pen_.style() == Qt::NoPen || ClippedAway())
            return;
        const double size = PixelSize(font);
        if (DrawsUnshaped(text)) {
            Face& face = FaceOf(font);
            const QList<quint32> indexes = face.raw.glyphIndexesForString(text);
            bool whole = indexes.size() == text.size();
            for (qsizetype i = 0; whole && i < indexes.size(); ++i)
                whole = indexes[i] != 0;
            if (whole) {
                WriteGlyphs(at, size, Unshaped(face, font, size, text, indexes), {});
                return;
            }
        }
        Shaped(at, font, size, text);
    }

private:
    // A glyph of a line of text, where it goes: x along the baseline and y
    // below it from the line's origin, in device units.
    struct Placed {
        Glyph glyph;
        double x = 0, y = 0;
    };

    // The glyphs of text that needs no shaping, one a character, moved on
    // by their advances with the font's kerning and spacing.
    std::vector<Placed> Unshaped(Face& face, const QFont& font, double size, const QString& text,
                                 const QList<quint32>& indexes)
    {
        const double scale = size / kGlyphUnits;
        const bool percent = font.letterSpacingType() == QFont::PercentageSpacing;
        const double spacing = font.letterSpacing();
        std::vector<Placed> placed(size_t(indexes.size()));
        double x = 0;
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            Placed& p = placed[size_t(i)];
            p.glyph = GlyphOf(face, indexes[i], QStringView(text).mid(i, 1));
            p.x = x;
            double a = p.glyph.width;
            if (face.kerns && i + 1 < indexes.size())
                a += Kerning(face, indexes[i], indexes[i + 1]);
            a *= scale;
            if (percent && spacing != 0 && spacing != 100)
                a *= spacing / 100;
            else if (!percent)
                a += spacing;
            if (text[i] == QLatin1Char(' '))
                a += font.wordSpacing();
            x += a;
        }
        return placed;
    }

    // Text as Qt shapes it: the glyphs of its font and, for characters that
    // font lacks, of the fonts Qt falls back on, each where Qt puts it.
    // Where the glyphs in their order don't spell the text (right-to-left
    // text, marks drawn apart), the text itself goes with them, for search
    // and copy.
    void Shaped(const QPointF& at, const QFont& font, double size, const QString& text)
    {
        // The same caption on every label of a run is shaped once.
        const QString key = text + QChar(0) + font.key() + QChar(0) + QString::number(font.letterSpacing()) +
                            QChar(0) + QString::number(font.wordSpacing()) + QChar(0) + QString::number(size);
        auto found = shaped_.find(key);
        if (found == shaped_.end()) {
            if (shaped_.size() >= kShapedKept)
                shaped_.clear();
            found = shaped_.insert(key, Shape(font, size, text));
        }
        WriteGlyphs(at, size, found->placed, found->actual);
    }
    struct ShapedText {
        std::vector<Placed> placed;
        QString actual; // the text, when the glyphs in their order don't spell it
    };
    ShapedText Shape(const QFont& font, double size, const QString& text)
    {
        QTextLayout layout(text, ShapingFont(font, size));
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        option.setTextDirection(Qt::LeftToRight);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            layout.endLayout();
            return {};
        }
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        const double baseline = line.ascent(), scale = size / kGlyphUnits;
        struct Shape {
            Face* face;
            quint32 index;
            QPointF at;
        };
        std::vector<Shape> shapes;
        bool known = true; // every glyph is stored with its characters
        for (const QGlyphRun& run : LogicalRuns(layout, line, text)) {
            Face& face = FaceOfRaw(run.rawFont());
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
                shapes.push_back({&face, indexes[i], positions[i]});
                const auto found = face.glyphs.find(indexes[i]);
                known = known && found != face.glyphs.end() && !CharsOf(found->second).isEmpty();
            }
        }
        std::map<std::pair<const Face*, quint32>, QString> chars;
        if (!known)
            chars = ClusterChars(layout, text);
        std::vector<Placed> placed;
        placed.reserve(shapes.size());
        QString spelled;
        for (const Shape& s : shapes) {
            const auto c = chars.find({s.face, s.index});
            const Glyph g = GlyphOf(*s.face, s.index, c == chars.end() ? QString() : c->second);
            spelled += CharsOf(g);
            // A thousandth of a unit: glyphs on the baseline stay in one run.
            placed.push_back({g, s.at.x() * scale, std::round((s.at.y() - baseline) * scale * 1000) / 1000});
        }
        // Written from left to right, as readers expect right-to-left text
        // and without moving back after each glyph.
        if (RightToLeft(text))
            std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.x < b.x; });
        return {std::move(placed), spelled == text ? QString() : text};
    }

    // The glyph runs of the line in the order of the text: Qt gives them
    // from left to right, so that the words of right-to-left text come
    // last first; taken a word at a time they spell the text, as readers
    // expect, and they place each word right to left themselves.
    static bool RightToLeft(const QString& text)
    {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.direction() == QChar::DirR || c.direction() == QChar::DirAL; });
    }
    static QList<QGlyphRun> LogicalRuns(const QTextLayout& layout, const QTextLine& line, const QString& text)
    {
        if (!RightToLeft(text))
            return line.glyphRuns();
        QList<QGlyphRun> runs;
        QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
        for (qsizetype from = 0, to = words.toNextBoundary(); to > from; from = to, to = words.toNextBoundary())
            runs += layout.glyphRuns(int(from), int(to - from));
        return runs;
    }

    // The characters each glyph of laid-out text stands for, cluster by
    // cluster: a glyph that is a character's own (in the font's table of
    // characters) stands for it; the rest of the cluster's characters go
    // to its first other glyph (a ligature, a joined form), and a glyph
    // that serves the next cluster too stands for both.
    std::map<std::pair<const Face*, quint32>, QString> ClusterChars(const QTextLayout& layout, const QString& text)
    {
        std::map<std::pair<const Face*, quint32>, QString> chars;
        std::pair<const Face*, quint32> last{nullptr, 0}; // the previous cluster's ligature glyph
        QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
        for (qsizetype from = 0, to = clusters.toNextBoundary(); to > from; from = to, to = clusters.toNextBoundary()) {
            std::vector<QString> left;
            for (qsizetype i = from; i < to; ++i) {
                const bool pair = text[i].isHighSurrogate() && i + 1 < to;
                left.push_back(text.mid(i, pair ? 2 : 1));
                i += pair ? 1 : 0;
            }
            std::vector<std::pair<const Face*, quint32>> others;
            for (const QGlyphRun& run : layout.glyphRuns(int(from), int(to - from))) {
                const Face* face = &FaceOfRaw(run.rawFont());
                for (quint32 index : run.glyphIndexes()) {
                    const auto own = std::find_if(left.begin(), left.end(), [&](const QString& c) {
                        return face->raw.glyphIndexesForString(c).value(0) == index;
                    });
                    if (own != left.end()) {
                        chars.emplace(std::pair(face, index), *own);
                        left.erase(own);
                    } else
                        others.emplace_back(face, index);
                }
            }
            QString rest;
            for (const QString& c : left)
                rest += c;
            if (others.empty() || rest.isEmpty()) {
                last = {nullptr, 0};
                continue;
            }
            if (others.front() == last)
                chars[last] += rest;
            else
                chars.emplace(others.front(), rest);
            last = others.front();
        }
        return chars;
    }

    // Placed glyphs as page content: each font's run starts where its first
    // glyph goes; within a run, a glyph moves on by its own width, and where
    // the next one goes elsewhere the array says by how much less, in
    // thousandths of the size. A glyph above or below the baseline (a mark)
    // is raised. `actual`, when given, is the text the glyphs stand for.
    void WriteGlyphs(const QPointF& at, double size, const std::vector<Placed>& placed, const QString& actual)
    {
        if (placed.empty())
            return;
        const double scale = size / kGlyphUnits;
        SetFill(pen_.color());
        const bool opened = Open(false);
        if (!actual.isEmpty())
            page_ += "/Span << /ActualText " + TextString(actual).toStdString() + " >> BDC\n";
        page_ += "BT\n";
        int font = -1;
        double rise = 0, lineX = 0; // where the text matrix was last set, along the baseline
        bool inString = false;
        for (size_t i = 0; i < placed.size(); ++i) {
            const Placed& p = placed[i];
            const Glyph& g = p.glyph;
            if (i == 0 || g.font != font || -p.y != rise) {
                if (i > 0)
                    page_ += inString ? ">] TJ\n" : "] TJ\n";
                if (g.font != font) {
                    page_ += fonts_[size_t(g.font)].name + ' ';
                    Num(page_, size);
                    page_ += " Tf ";
                }
                if (-p.y != rise) {
                    Num(page_, -p.y);
                    page_ += " Ts ";
                }
                // The first run sets the text matrix; the others move on from it.
                if (i == 0) {
                    Matrix(page_, QTransform(1, 0, 0, -1, at.x() + p.x, at.y()) * transform_);
                    page_ += " Tm [";
                } else {
                    Num(page_, p.x - lineX);
                    page_ += " 0 Td [";
                }
                lineX = p.x;
                font = g.font;
                rise = -p.y;
                inString = false;
            }
            if (!inString)
                page_ += '<';
            inString = true;
            static constexpr char kHex[] = "0123456789ABCDEF";
            page_ += kHex[g.code >> 4];
            page_ += kHex[g.code & 15];
            if (i + 1 == placed.size() || placed[i + 1].glyph.font != font || -placed[i + 1].y != rise)
                continue;
            // To a tenth: a ten-thousandth of the size, far below a dot.
            const double adjust = std::round((g.width * scale - (placed[i + 1].x - p.x)) / size * kGlyphUnits * 10) / 10;
            if (adjust != 0) {
                page_ += '>';
                inString = false;
                Num(page_, adjust);
            }
        }
        page_ += inString ? ">] TJ\n" : "] TJ\n";
        if (rise != 0)
            page_ += "0 Ts\n";
        page_ += "ET\n";
        if (!actual.isEmpty())
            page_ += "EMC\n";
        if (opened)
            page_ += "Q\n";
    }

    // ---- writing
    void Write(QByteArrayView bytes)
    {
        digest_.addData(bytes);
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
        // The fastest level: pages of labels are repetitive enough that it
        // packs them nearly as well as the default at a third of the time.
        QByteArray packed;
        if (!deflater_.Deflate(QByteArrayView(data.data(), qsizetype(data.size())), packed))
            packed.clear();
        const bool usePacked = !packed.isEmpty() && packed.size() < qsizetype(data.size());
        const QByteArrayView body = usePacked ? QByteArrayView(packed) : QByteArrayView(data.data(), qsizetype(data.size()));
        Write("<< " + dictionary + (usePacked ? " /Filter /FlateDecode" : "") + " /Length " +
              QByteArray::number(body.size()) + " >>\nstream\n");
        Write(body);
        Write("\nendstream\nendobj\n");
    }

    // A picture as an image object, what it lets show through (Qt's
    // pictures of what it draws for the engine) as its soft mask.
    int WriteImage(const QImage& image)
    {
        // Colours not multiplied by their alpha, as a soft mask takes them.
        const QImage rgb = image.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB888);
        const QByteArray size = " /Width " + QByteArray::number(image.width()) + " /Height " +
                                QByteArray::number(image.height()) + " /BitsPerComponent 8";
        std::string pixels, alpha;
        pixels.reserve(size_t(image.width()) * size_t(image.height()) * 3);
        for (int y = 0; y < rgb.height(); ++y)
            pixels.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), size_t(rgb.width()) * 3);
        QByteArray mask;
        if (image.hasAlphaChannel()) {
            const QImage a = image.convertToFormat(QImage::Format_Alpha8);
            for (int y = 0; y < a.height(); ++y)
                alpha.append(reinterpret_cast<const char*>(a.constScanLine(y)), size_t(a.width()));
            const int object = Reserve();
            StartObject(object);
            WriteStream("/Type /XObject /Subtype /Image /ColorSpace /DeviceGray" + size, alpha);
            mask = " /SMask " + Ref(object);
        }
        const int object = Reserve();
        StartObject(object);
        WriteStream("/Type /XObject /Subtype /Image /ColorSpace /DeviceRGB" + size + mask, pixels);
        return object;
    }

    // ---- pages
    void StartPage()
    {
        page_.clear();
        fill_ = stroke_ = Qt::black;
        lineWidth_ = 1;
        cap_ = 0;
        join_ = 0;
        dash_ = kSolid;
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
        std::string box;
        Nums(box, {pagePoints_.width(), pagePoints_.height()});
        WriteObject(page, "<< /Type /Page /Parent " + Ref(pagesTree_) + " /MediaBox [0 0 " + QByteArray::fromStdString(box) +
                              "] /Resources " + Ref(resources_) + " /Contents " + Ref(contents) + " >>");
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
            if (std::string dash = Dash(pen_); dash != dash_) {
                page_ += dash;
                dash_ = std::move(dash);
            }
        }
        return Open(!transform_.isIdentity());
    }
    // Opens a saved state for what follows when it is clipped or moved by
    // the transform; true when it did (a Q closes it).
    bool Open(bool transformed)
    {
        if (!clipOn_ && !transformed)
            return false;
        page_ += "q\n";
        if (clipOn_) {
            WritePath(page_, clip_, false);
            page_ += clip_.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n";
        }
        if (transformed) {
            Matrix(page_, transform_);
            page_ += " cm\n";
        }
        return true;
    }
    // Nothing shows through a clip that is empty.
    bool ClippedAway() const { return clipOn_ && clip_.isEmpty(); }
    // The pen's dashes as the d operator sets them; Qt gives them in pen
    // widths, a cosmetic pen's width counting as one unit.
    static std::string Dash(const QPen& pen)
    {
        if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen)
            return kSolid;
        const double unit = pen.widthF() > 0 ? pen.widthF() : 1;
        std::string out = "[";
        for (double v : pen.dashPattern()) {
            Num(out, v * unit);
            out += ' ';
        }
        out += "] ";
        Num(out, pen.dashOffset() * unit);
        return out + " d\n";
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
    // The font at kGlyphUnits pixels an em and unhinted, so that outlines
    // and advances are in glyph units; spacing in pixels is scaled with it.
    static QFont UnitFont(const QFont& font, double size)
    {
        QFont unit = font;
        unit.setPixelSize(kGlyphUnits);
        unit.setHintingPreference(QFont::PreferNoHinting);
        const double k = size > 0 ? kGlyphUnits / size : 1;
        if (font.letterSpacingType() == QFont::AbsoluteSpacing)
            unit.setLetterSpacing(QFont::AbsoluteSpacing, font.letterSpacing() * k);
        unit.setWordSpacing(font.wordSpacing() * k);
        return unit;
    }
    // The unit font text is shaped with, kept: Qt keeps the fonts it falls
    // back on with the font, and finds them again only while it lives.
    QFont ShapingFont(const QFont& font, double size)
    {
        for (const auto& [seen, seenSize, unit] : recentShaping_)
            if (seenSize == size && seen == font)
                return unit;
        if (recentShaping_.size() >= 4)
            recentShaping_.erase(recentShaping_.begin());
        const QFont unit = UnitFont(font, size);
        const QString key = unit.key() + QLatin1Char('\n') + QString::number(unit.letterSpacing()) + QLatin1Char('\n') +
                            QString::number(unit.wordSpacing());
        const QFont kept = shapingFonts_.emplace(key, unit).first->second;
        recentShaping_.emplace_back(font, size, kept);
        return kept;
    }
    Face& FaceOf(const QFont& font)
    {
        for (const auto& [seen, face] : recentFaces_)
            if (seen == font)
                return *face;
        QFont unit = UnitFont(font, 0);
        unit.setLetterSpacing(QFont::PercentageSpacing, 100);
        unit.setWordSpacing(0);
        const QString key = unit.key();
        Face*& face = faces_[key];
        if (!face)
            face = &FaceOfRaw(QRawFont::fromFont(unit));
        // A page has few fonts (the listing's, a caption's): the last few
        // are found without building a key.
        if (recentFaces_.size() >= 4)
            recentFaces_.erase(recentFaces_.begin());
        recentFaces_.emplace_back(font, face);
        return *face;
    }
    // The face of a font Qt chose, at kGlyphUnits pixels: one for each font
    // file and style, whichever way it was reached.
    Face& FaceOfRaw(const QRawFont& raw)
    {
        for (const auto& [seen, face] : recentRaw_)
            if (seen == raw)
                return *face;
        const QString key = raw.familyName() + QLatin1Char('\n') + raw.styleName() + QLatin1Char('\n') +
                            QString::number(raw.weight()) + QLatin1Char('\n') + QString::number(int(raw.style()));
        std::unique_ptr<Face>& face = rawFaces_[key];
        if (!face) {
            face = std::make_unique<Face>();
            face->raw = raw;
            face->kerns = !raw.fontTable("kern").isEmpty();
        }
        if (recentRaw_.size() >= 4)
            recentRaw_.erase(recentRaw_.begin());
        recentRaw_.emplace_back(raw, face.get());
        return *face;
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
    // The characters a stored glyph stands for.
    QString& CharsOf(const Glyph& g) { return fonts_[size_t(g.font)].chars[size_t(g.code - 1)]; }
    // The glyph as stored in the document, stored the first time; `chars`
    // are the characters it stands for, when known.
    Glyph GlyphOf(Face& face, quint32 index, QStringView chars)
    {
        const auto found = face.glyphs.find(index);
        if (found != face.glyphs.end()) {
            if (QString& known = CharsOf(found->second); known.isEmpty() && !chars.isEmpty())
                known = chars.toString();
            return found->second;
        }
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
        f.chars.push_back(chars.toString());
        const double width =
            face.raw.advancesForGlyphIndexes(QList<quint32>{index}, QRawFont::UseDesignMetrics).value(0).x();
        const Glyph g{fi, int(f.glyphs.size()), width};
        face.glyphs.emplace(index, g);
        return g;
    }
    // A glyph without an outline that still shows something (a colour
    // emoji is a picture) as a picture, and the box it fills in glyph
    // units; a null picture for a glyph that shows nothing.
    static QImage GlyphPicture(const QRawFont& raw, quint32 index, QRectF* box)
    {
        QRawFont small = raw;
        small.setPixelSize(kPictureEm);
        const QRectF bounds = small.boundingRect(index);
        if (bounds.isEmpty())
            return {};
        QImage picture(bounds.size().toSize().grownBy(QMargins(0, 0, 1, 1)), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QGlyphRun run;
        run.setRawFont(small);
        run.setGlyphIndexes({index});
        run.setPositions({-bounds.topLeft()});
        QPainter painter(&picture);
        painter.drawGlyphRun(QPointF(), run);
        painter.end();
        bool shows = false;
        for (int y = 0; y < picture.height() && !shows; ++y)
            for (int x = 0; x < picture.width() && !shows; ++x)
                shows = qAlpha(picture.pixel(x, y)) != 0;
        const double k = double(kGlyphUnits) / kPictureEm;
        *box = QRectF(bounds.topLeft() * k, QSizeF(picture.size()) * k);
        return shows ? picture : QImage();
    }
    void WriteFonts()
    {
        for (size_t fi = 0; fi < fonts_.size(); ++fi) {
            Type3Font& f = fonts_[fi];
            const Face& face = *f.face;
            QByteArray procs = "<<", differences = "[1", pictures;
            std::string widths = "[";
            QRectF bounds;
            std::vector<QByteArray> unicode; // "<code> <characters>" of the glyphs that have them
            for (size_t i = 0; i < f.glyphs.size(); ++i) {
                const QPainterPath outline = face.raw.pathForGlyph(f.glyphs[i]);
                const double width = face.glyphs.at(f.glyphs[i]).width;
                QRectF box = outline.boundingRect();
                const QImage picture = outline.isEmpty() ? GlyphPicture(face.raw, f.glyphs[i], &box) : QImage();
                bounds |= box;
                std::string program;
                if (!picture.isNull()) {
                    // A picture paints its own colours: the glyph says only its width.
                    const QByteArray name = "/P" + QByteArray::number(qulonglong(i + 1));
                    pictures += ' ' + name + ' ' + Ref(WriteImage(picture));
                    Nums(program, {width, 0});
                    program += " d0\nq ";
                    Nums(program, {box.width(), 0, 0, box.height(), box.left(), -box.bottom()});
                    program += " cm " + name.toStdString() + " Do Q\n";
                } else {
                    Nums(program, {width, 0, box.left(), -box.bottom(), box.right(), -box.top()});
                    program += " d1\n";
                    WritePath(program, outline, true);
                    if (!outline.isEmpty())
                        program += "f\n";
                }
                const int object = Reserve();
                StartObject(object);
                WriteStream({}, program);
                const QByteArray name = "/g" + QByteArray::number(qulonglong(i + 1));
                procs += ' ' + name + ' ' + Ref(object);
                Num(widths, width);
                widths += ' ';
                differences += ' ' + name;
                if (f.chars[i].isEmpty())
                    continue;
                QByteArray entry = '<' + QByteArray::number(qulonglong(i + 1), 16).rightJustified(2, '0') + "> <";
                for (QChar c : f.chars[i])
                    entry += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
                unicode.push_back(entry + ">\n");
            }
            // A CMap lists at most 100 characters a block.
            QByteArray blocks;
            for (size_t i = 0; i < unicode.size(); i += 100) {
                const size_t count = std::min<size_t>(100, unicode.size() - i);
                blocks += QByteArray::number(qulonglong(count)) + " beginbfchar\n";
                for (size_t j = i; j < i + count; ++j)
                    blocks += unicode[j];
                blocks += "endbfchar\n";
            }
            const int toUnicode = Reserve();
            StartObject(toUnicode);
            const QByteArray cmap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                                    "/CMapName /Quorvane-UCS def /CMapType 2 def\n"
                                    "1 begincodespacerange <00> <FF> endcodespacerange\n" + blocks +
                                    "endcmap CMapName currentdict /CMap defineresource pop end end\n";
            WriteStream({}, std::string_view(cmap.constData(), size_t(cmap.size())));
            std::string box;
            Nums(box, {std::floor(bounds.left()), std::floor(-bounds.bottom()), std::ceil(bounds.right()),
                       std::ceil(-bounds.top())});
            const QByteArray resources = pictures.isEmpty() ? "<< >>" : "<< /XObject <<" + pictures + " >> >>";
            WriteObject(f.object, "<< /Type /Font /Subtype /Type3 /FontBBox [" + QByteArray::fromStdString(box) +
                                      "] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs " + procs +
                                      " >> /Encoding << /Type /Encoding /Differences " + differences +
                                      "] >> /FirstChar 1 /LastChar " + QByteArray::number(qulonglong(f.glyphs.size())) +
                                      " /Widths " + QByteArray::fromStdString(widths) + "] /Resources " + resources +
                                      " /ToUnicode " + Ref(toUnicode) + " >>");
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
        // A new file's two identifiers are the same.
        const QByteArray id = '<' + digest_.result().toHex() + '>';
        const qint64 xref = Offset();
        QByteArray table = "xref\n0 " + QByteArray::number(qulonglong(offsets_.size() + 1)) +
                           "\n0000000000 65535 f \n";
        for (qint64 at : offsets_)
            table += QByteArray::number(std::max<qint64>(at, 0)).rightJustified(10, '0') + " 00000 n \n";
        Write(table + "trailer\n<< /Size " + QByteArray::number(qulonglong(offsets_.size() + 1)) + " /Root " +
              Ref(catalog_) + " /Info " + Ref(info) + " /ID [" + id + id + "] >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
    }

    QIODevice* out_;
    int resolution_;
    QRect paintRect_;
    QSizeF pagePoints_;
    bool started_ = false;
    bool ok_ = true; // false once the device refused what was written
    QByteArray pending_;
    QCryptographicHash digest_{QCryptographicHash::Md5};
    qint64 offset_ = 0;
    std::vector<qint64> offsets_; // of objects 1, 2, ...
    Deflater deflater_{1, Z_DEFAULT_STRATEGY}; // every stream's, reset for each
    int catalog_ = 0, pagesTree_ = 0, resources_ = 0;
    std::vector<int> pages_;
    std::string page_;
    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    QColor fill_, stroke_;
    double lineWidth_ = 1;
    int cap_ = 0, join_ = 0;
    static inline const std::string kSolid = "[] 0 d\n";
    std::string dash_ = kSolid;
    QPainterPath clip_; // in device units
    bool clipOn_ = false;
    QHash<QString, Face*> faces_; // by the font's key
    std::map<QString, std::unique_ptr<Face>> rawFaces_; // by family and style
    std::vector<std::pair<QFont, Face*>> recentFaces_;
    std::vector<std::pair<QRawFont, Face*>> recentRaw_;
    std::map<QString, QFont> shapingFonts_;
    QHash<QString, ShapedText> shaped_; // by text, font and size
    std::vector<std::tuple<QFont, double, QFont>> recentShaping_;
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
