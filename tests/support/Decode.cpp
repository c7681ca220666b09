#include "tests/support/Decode.h"

#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <ZXing/ReadBarcode.h>
#include <algorithm>

namespace testsupport {
namespace {

ZXing::DecodeHints Hints(ZXing::BarcodeFormats formats)
{
    ZXing::DecodeHints hints;
    if (!formats.empty())
        hints.setFormats(formats);
    hints.setTryHarder(true);
    hints.setTryRotate(false);
    hints.setTryDownscale(false);
    hints.setMaxNumberOfSymbols(255);
    return hints;
}

Decoded ToDecoded(const ZXing::Result& r)
{
    Decoded d;
    d.text = r.text();
    // A linear code's bytes are Latin-1 by its standard; without an ECI
    // zxing-cpp guesses a character set for bytes above 127.
    if (!r.hasECI() && ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes).testFlag(r.format())) {
        const ZXing::ByteArray& bytes = r.bytes();
        d.text = QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())).toStdString();
    }
    d.format = r.format();
    const auto& pos = r.position();
    d.top = std::min({pos.topLeft().y, pos.topRight().y, pos.bottomLeft().y, pos.bottomRight().y});
    d.left = std::min({pos.topLeft().x, pos.bottomLeft().x, pos.topRight().x, pos.bottomRight().x});
    d.bottom = std::max({pos.topLeft().y, pos.topRight().y, pos.bottomLeft().y, pos.bottomRight().y});
    return d;
}

} // namespace

QImage WithQuietZone(const QImage& image, int margin)
{
    QImage out(image.width() + 2 * margin, image.height() + 2 * margin, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(margin, margin, image);
    return out;
}

std::vector<Decoded> DecodeAll(const QImage& image, ZXing::BarcodeFormats formats)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(gray.bytesPerLine()));
    std::vector<Decoded> out;
    for (const auto& r : ZXing::ReadBarcodes(view, Hints(formats)))
        if (r.isValid())
            out.push_back(ToDecoded(r));
    std::sort(out.begin(), out.end(), [](const Decoded& a, const Decoded& b) { return a.top < b.top; });
    return out;
}

// What zbarimg writes for the picture, with its output option.
QByteArray Zbar(const QImage& image, const QString& output)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("image.png"));
    image.save(png, "PNG", 100);
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("-q"), output, png});
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

std::vector<std::string> ZbarDecodeAll(const QImage& image)
{
    std::vector<std::string> out;
    const QString xml = QString::fromUtf8(Zbar(image, QStringLiteral("--xml")));
    static const QRegularExpression symbol(QStringLiteral("quality='(\\d+)'[^>]*><data><!\\[CDATA\\[(.*?)\\]\\]></data>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    for (auto it = symbol.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(1).toInt() >= 2)
            out.push_back(m.captured(2).toStdString());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string ZbarReadOne(const QImage& image)
{
    QByteArray out = Zbar(image, QStringLiteral("--raw"));
    if (out.endsWith('\n'))
        out.chop(1);
    return out.toStdString();
}

QImage AroundInk(const QImage& page, int margin)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    QRect ink;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            if (row[x] < 128)
                ink |= QRect(x, y, 1, 1);
    }
    return WithQuietZone(grey.copy(ink), margin);
}

Decoded DecodeOne(const QImage& image, ZXing::BarcodeFormats formats)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(gray.bytesPerLine()));
    const auto r = ZXing::ReadBarcode(view, Hints(formats));
    return r.isValid() ? ToDecoded(r) : Decoded{};
}

} // namespace testsupport
