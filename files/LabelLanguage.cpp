#include "files/LabelLanguage.h"

#include <QLocale>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>
#include <zlib.h>

namespace files {
namespace {

struct LanguageInfo {
    LabelLanguage language;
    const char* name;    // on the command line
    const char* display; // in messages
    int maxDarkness;
    int maxSpeed;
    int maxCopies;
};

// ZPL's ^PQ counts to 99,999,999 and EPL2's P to 65,535; TSPL's PRINT
// takes as many copies as ZPL's.
constexpr std::array<LanguageInfo, 3> kLanguages{{
    {LabelLanguage::Zpl, "zpl", "ZPL", 30, 14, 99'999'999},
    {LabelLanguage::Epl2, "epl", "EPL2", 15, 6, 65'535},
    {LabelLanguage::Tspl, "tspl", "TSPL", 15, 14, 99'999'999},
}};
static_assert(static_cast<int>(LabelLanguage::Tspl) + 1 == static_cast<int>(kLanguages.size()),
              "one row per language, in the enum's order");

const LanguageInfo& Info(LabelLanguage language) { return kLanguages[static_cast<std::size_t>(language)]; }

// CRC-16/XMODEM, one byte at a time from a table.
constexpr std::array<quint16, 256> MakeCrc16Table()
{
    std::array<quint16, 256> t{};
    for (unsigned n = 0; n < 256; ++n) {
        unsigned c = n << 8;
        for (int k = 0; k < 8; ++k)
            c = c & 0x8000 ? (c << 1) ^ 0x1021 : c << 1;
        t[n] = static_cast<quint16>(c);
    }
    return t;
}
constexpr std::array<quint16, 256> kCrc16Table = MakeCrc16Table();
static_assert(kCrc16Table[1] == 0x1021 && kCrc16Table[255] == 0x1EF0, "the CRC-16/XMODEM table");

// Numbers in messages as people write them: "10,240".
QString Count(qint64 n) { return QLocale(QLocale::English, QLocale::UnitedStates).toString(n); }

core::Failure Refused(int code, const QString& text) { return core::Failure{code, text}; }

core::Status CheckSettings(LabelLanguage language, const QImage& picture, const LabelSettings& s)
{
    const LanguageInfo& info = Info(language);
    const QString lang = QString::fromLatin1(info.display);
    if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
        return Refused(core::kNothingToDraw, QStringLiteral("The label's picture is empty: there is nothing to print."));
    if (s.width < 1 || s.height < 1 || s.width > kMaxLabelDots || s.height > kMaxLabelDots)
        return Refused(core::kNotAboveZero, QStringLiteral("A label of %1 × %2 dots can't be printed: each side must be "
                                                           "1 to %3 dots.")
                                                .arg(s.width)
                                                .arg(s.height)
                                                .arg(Count(kMaxLabelDots)));
    if (picture.width() > s.width || picture.height() > s.height)
        return Refused(core::kTooLarge, QStringLiteral("The picture of %1 × %2 dots does not fit on the label of %3 × %4 dots.")
                                            .arg(picture.width())
                                            .arg(picture.height())
                                            .arg(s.width)
                                            .arg(s.height));
    if (s.copies < 1 || s.copies > info.maxCopies)
        return Refused(core::kNotAboveZero, QStringLiteral("%1 copies of a label can't be printed in %2, which prints 1 to %3.")
                                                .arg(Count(s.copies), lang, Count(info.maxCopies)));
    if (s.darkness && (*s.darkness < 0 || *s.darkness > info.maxDarkness))
        return Refused(core::kPrintFailed, QStringLiteral("A darkness of %1 can't be set in %2, which takes 0 to %3.")
                                               .arg(*s.darkness)
                                               .arg(lang)
                                               .arg(info.maxDarkness));
    if (s.speed && (*s.speed < 1 || *s.speed > info.maxSpeed))
        return Refused(core::kPrintFailed, QStringLiteral("A speed of %1 can't be set in %2, which takes 1 to %3.")
                                               .arg(*s.speed)
                                               .arg(lang)
                                               .arg(info.maxSpeed));
    if (language != LabelLanguage::Zpl && (s.gap < 0 || s.gap > kMaxLabelDots))
        return Refused(core::kNotAboveZero, QStringLiteral("A gap of %1 dots between labels can't be set in %2: it must be "
                                                           "0 to %3 dots.")
                                                .arg(s.gap)
                                                .arg(lang)
                                                .arg(Count(kMaxLabelDots)));
    if (language == LabelLanguage::Tspl && (s.dpi < 100 || s.dpi > 600))
        return Refused(core::kNotAboveZero,
                       QStringLiteral("A printer of %1 dots per inch can't be sized in TSPL: TSPL printers have 100 to 600.")
                           .arg(s.dpi));
    return core::Ok();
}

// A picture whose rows can be read as they are: grey bytes, or 32-bit
// pixels whose colour is what QImage::pixel gives (not premultiplied).
QImage Readable(const QImage& picture)
{
    switch (picture.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return picture;
    default:
        return picture.convertToFormat(QImage::Format_ARGB32);
    }
}

// Eight grey bytes as one byte of dots, the first in the high bit: a
// grey below 128 has its high bit clear. The high bits are gathered by one
// multiplication, each landing on its own bit of the top byte.
uchar DarkBits(const uchar* grey)
{
    std::uint64_t v; // pixel i in byte i (from the low end)
    std::memcpy(&v, grey, 8);
    if constexpr (std::endian::native == std::endian::big) {
        std::uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i)
            swapped |= ((v >> (8 * i)) & 0xFF) << (56 - 8 * i);
        v = swapped;
    }
    const std::uint64_t dark = (~v & 0x8080808080808080u) >> 7; // 1 in byte i when pixel i is dark
    return static_cast<uchar>((dark * 0x8040201008040201u) >> 56);
}

// The picture as rows of bits, `rowBytes` a row, 1 where a dot prints,
// the leftmost dot in the high bit and the row's last byte filled with 0.
std::vector<uchar> PackDots(const QImage& picture, int rowBytes)
{
    const QImage image = Readable(picture);
    const int width = image.width(), height = image.height();
    std::vector<uchar> bits(static_cast<std::size_t>(rowBytes) * height, 0);
    const bool grey = image.format() == QImage::Format_Grayscale8;
    for (int y = 0; y < height; ++y) {
        uchar* out = bits.data() + static_cast<std::size_t>(y) * rowBytes;
        if (grey) {
            const uchar* row = image.constScanLine(y);
            int x = 0;
            for (; x + 8 <= width; x += 8, row += 8)
                *out++ = DarkBits(row);
            for (int bit = 7; x < width; ++x, --bit)
                *out |= static_cast<uchar>((*row++ < 128) << bit);
        } else {
            const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < width; ++x)
                if (qGray(row[x]) < 128)
                    out[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
        }
    }
    return bits;
}

// The label's rows as EPL2 and TSPL take them: a 0 bit prints a dot.
QByteArray InvertedBits(const std::vector<uchar>& bits)
{
    QByteArray out(static_cast<qsizetype>(bits.size()), Qt::Uninitialized);
    char* o = out.data();
    for (std::size_t i = 0; i < bits.size(); ++i)
        o[i] = static_cast<char>(~bits[i]);
    return out;
}

// Dots as TSPL's millimetres: the next hundredth above the exact value,
// trailing zeros cut ("101.61", "3.01"). Never the exact value itself: a
// printer that computes mm × dpi / 25.4 in floating point may land a hair
// below a whole dot and truncate it away. A hundredth is under a quarter
// of a dot up to 600 dpi, so rounding gets the same dot.
QByteArray Millimetres(int dots, int dpi)
{
    const qint64 hundredths = static_cast<qint64>(dots) * 2540 / dpi + 1;
    QByteArray text = QByteArray::number(hundredths / 100);
    if (const qint64 rest = hundredths % 100) {
        text += '.';
        text += static_cast<char>('0' + rest / 10);
        if (rest % 10)
            text += static_cast<char>('0' + rest % 10);
    }
    return text;
}

core::Status AppendZpl(QByteArray& stream, const std::vector<uchar>& bits, int rowBytes, const LabelSettings& s)
{
    // One deflate of the whole bitmap: zlib's stream, header included, as
    // the :Z64: form wants it.
    uLongf packedSize = compressBound(static_cast<uLong>(bits.size()));
    QByteArray packed(static_cast<qsizetype>(packedSize), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, bits.data(), static_cast<uLong>(bits.size()),
                  Z_BEST_SPEED) != Z_OK)
        return Refused(core::kTooLarge, QStringLiteral("The label's picture of %1 bytes could not be compressed for ZPL "
                                                       "(out of memory).")
                                            .arg(Count(static_cast<qint64>(bits.size()))));
    packed.truncate(static_cast<qsizetype>(packedSize));
    const QByteArray base64 = packed.toBase64();
    const QByteArray total = QByteArray::number(static_cast<qint64>(bits.size()));
    char crc[5];
    std::snprintf(crc, sizeof crc, "%04X", unsigned{ZplCrc16(base64)});

    stream.reserve(stream.size() + base64.size() + 160);
    stream += "^XA\n^PW";
    stream += QByteArray::number(s.width);
    stream += "\n^LL";
    stream += QByteArray::number(s.height);
    stream += "\n^LH0,0\n";
    if (s.darkness) {
        char sd[8];
        std::snprintf(sd, sizeof sd, "~SD%02d\n", *s.darkness);
        stream += sd;
    }
    if (s.speed) {
        stream += "^PR";
        stream += QByteArray::number(*s.speed);
        stream += '\n';
    }
    stream += "^FO0,0^GFA,";
    stream += total;
    stream += ',';
    stream += total;
    stream += ',';
    stream += QByteArray::number(rowBytes);
    stream += ",:Z64:";
    stream += base64;
    stream += ':';
    stream += crc;
    stream += "^FS\n^PQ";
    stream += QByteArray::number(s.copies);
    stream += "\n^XZ\n";
    return core::Ok();
}

void AppendEpl2(QByteArray& stream, const std::vector<uchar>& bits, int rowBytes, int rows, const LabelSettings& s)
{
    stream.reserve(stream.size() + static_cast<qsizetype>(bits.size()) + 96);
    stream += "\nN\nq";
    stream += QByteArray::number(s.width);
    stream += "\nQ";
    stream += QByteArray::number(s.height);
    stream += ',';
    stream += QByteArray::number(s.gap);
    stream += '\n';
    if (s.speed) {
        stream += 'S';
        stream += QByteArray::number(*s.speed);
        stream += '\n';
    }
    if (s.darkness) {
        stream += 'D';
        stream += QByteArray::number(*s.darkness);
        stream += '\n';
    }
    stream += "GW0,0,";
    stream += QByteArray::number(rowBytes);
    stream += ',';
    stream += QByteArray::number(rows);
    stream += ',';
    stream += InvertedBits(bits);
    stream += "\nP";
    stream += QByteArray::number(s.copies);
    stream += '\n';
}

void AppendTspl(QByteArray& stream, const std::vector<uchar>& bits, int rowBytes, int rows, const LabelSettings& s)
{
    stream.reserve(stream.size() + static_cast<qsizetype>(bits.size()) + 160);
    stream += "SIZE ";
    stream += Millimetres(s.width, s.dpi);
    stream += " mm,";
    stream += Millimetres(s.height, s.dpi);
    stream += " mm\r\nGAP ";
    stream += Millimetres(s.gap, s.dpi);
    stream += " mm,0 mm\r\n";
    if (s.darkness) {
        stream += "DENSITY ";
        stream += QByteArray::number(*s.darkness);
        stream += "\r\n";
    }
    if (s.speed) {
        stream += "SPEED ";
        stream += QByteArray::number(*s.speed);
        stream += "\r\n";
    }
    stream += "DIRECTION 0,0\r\nCLS\r\nBITMAP 0,0,";
    stream += QByteArray::number(rowBytes);
    stream += ',';
    stream += QByteArray::number(rows);
    stream += ",0,";
    stream += InvertedBits(bits);
    stream += "\r\nPRINT 1,";
    stream += QByteArray::number(s.copies);
    stream += "\r\n";
}

} // namespace

QString LabelLanguageName(LabelLanguage language) { return QString::fromLatin1(Info(language).name); }

QString LabelLanguageTitle(LabelLanguage language) { return QString::fromLatin1(Info(language).display); }

QStringList LabelLanguageNames()
{
    QStringList names;
    for (const LanguageInfo& info : kLanguages)
        names << QString::fromLatin1(info.name);
    return names;
}

std::optional<LabelLanguage> LabelLanguageOfPath(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return std::nullopt;
    const QString extension = path.mid(dot + 1).toLower();
    for (const LanguageInfo& info : kLanguages)
        if (extension == QLatin1String(info.name))
            return info.language;
    if (extension == QLatin1String("epl2"))
        return LabelLanguage::Epl2;
    return std::nullopt;
}

core::Result<LabelLanguage> ParseLabelLanguage(const QString& name)
{
    for (const LanguageInfo& info : kLanguages)
        if (name.compare(QLatin1String(info.name), Qt::CaseInsensitive) == 0)
            return info.language;
    if (name.compare(QLatin1String("epl2"), Qt::CaseInsensitive) == 0)
        return LabelLanguage::Epl2;
    return core::Failure{core::kBadName, QStringLiteral("\"%1\" is not a label printer language: the languages are %2.")
                                             .arg(name, LabelLanguageNames().join(QStringLiteral(", ")))};
}

quint16 ZplCrc16(QByteArrayView text)
{
    unsigned crc = 0;
    for (const char c : text)
        crc = (crc << 8 ^ kCrc16Table[((crc >> 8) ^ static_cast<uchar>(c)) & 0xFF]) & 0xFFFF;
    return static_cast<quint16>(crc);
}

core::Status AppendLabel(QByteArray& stream, LabelLanguage language, const QImage& picture, const LabelSettings& settings)
{
    if (core::Status checked = CheckSettings(language, picture, settings); checked.failed())
        return checked;
    const int rowBytes = (picture.width() + 7) / 8;
    const std::vector<uchar> bits = PackDots(picture, rowBytes);
    switch (language) {
    case LabelLanguage::Zpl:
        return AppendZpl(stream, bits, rowBytes, settings);
    case LabelLanguage::Epl2:
        AppendEpl2(stream, bits, rowBytes, picture.height(), settings);
        return core::Ok();
    case LabelLanguage::Tspl:
        AppendTspl(stream, bits, rowBytes, picture.height(), settings);
        return core::Ok();
    }
    return core::Ok();
}

core::Result<QByteArray> LabelBytes(LabelLanguage language, const QImage& picture, const LabelSettings& settings)
{
    QByteArray bytes;
    if (core::Status status = AppendLabel(bytes, language, picture, settings); status.failed())
        return status.failure();
    return bytes;
}

} // namespace files
