#include "tests/support/ZplGraphics.h"

#include "tests/support/LabelLanguages.h"

#include <QList>

namespace testsupport {
namespace {

// One graphic's hex data (ZPL's run-length letters and all) as a picture,
// 1 bits black; null when it is cut short or malformed.
QImage Decode(const QByteArray& data, qsizetype& at, int rows, int rowBytes)
{
    const core::Result<QByteArray> bits = ZplHexBitmap(data, at, rows, rowBytes);
    return bits.ok() ? BitmapPicture(*bits, rowBytes, rows, true) : QImage();
}

} // namespace

std::vector<QImage> ZplGraphics(const QByteArray& zpl)
{
    std::vector<QImage> images;
    for (qsizetype at = zpl.indexOf("~DG"); at >= 0; at = zpl.indexOf("~DG", at)) {
        // ~DGname,total bytes,bytes per row,data
        const qsizetype c1 = zpl.indexOf(',', at), c2 = zpl.indexOf(',', c1 + 1), c3 = zpl.indexOf(',', c2 + 1);
        if (c1 < 0 || c2 < 0 || c3 < 0)
            break;
        const int total = zpl.mid(c1 + 1, c2 - c1 - 1).trimmed().toInt();
        const int rowBytes = zpl.mid(c2 + 1, c3 - c2 - 1).trimmed().toInt();
        at = c3 + 1;
        if (rowBytes <= 0 || total % rowBytes != 0) {
            images.emplace_back();
            continue;
        }
        QImage image = Decode(zpl, at, total / rowBytes, rowBytes);
        // Rows are whole bytes; the label is as wide as the ^PW that
        // prints the graphic says.
        const qsizetype next = zpl.indexOf("~DG", at), pw = zpl.indexOf("^PW", at);
        if (!image.isNull() && pw >= 0 && (next < 0 || pw < next)) {
            qsizetype end = pw + 3;
            while (end < zpl.size() && zpl[end] >= '0' && zpl[end] <= '9')
                ++end;
            const int width = zpl.mid(pw + 3, end - pw - 3).toInt();
            if (width > 0 && width <= image.width())
                image = image.copy(0, 0, width, image.height());
        }
        images.push_back(image);
    }
    return images;
}

} // namespace testsupport
