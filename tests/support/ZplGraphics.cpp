#include "tests/support/ZplGraphics.h"

#include <QList>

namespace testsupport {
namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// One graphic's data: `rows` rows of `rowBytes` bytes as hex digits, with
// repeat counts before a digit (G..Y: 1..19, g..z: 20..400, added up), ","
// ending a row with 0s, "!" with 1s, and ":" repeating the row before.
QImage Decode(const QByteArray& data, qsizetype& at, int rows, int rowBytes)
{
    const int rowDigits = rowBytes * 2;
    QImage image(rowBytes * 8, rows, QImage::Format_Grayscale8);
    image.fill(255);
    QByteArray row, previous(rowDigits, '0');
    int y = 0, repeat = 0;
    auto endRow = [&](char fill) {
        row.append(QByteArray(rowDigits - row.size(), fill));
        for (int i = 0; i < rowDigits; ++i) {
            const int nibble = HexValue(row[i]);
            for (int bit = 0; bit < 4; ++bit)
                if (nibble & (8 >> bit))
                    image.setPixel(i * 4 + bit, y, qRgb(0, 0, 0));
        }
        previous = row;
        row.clear();
        ++y;
    };
    for (; at < data.size() && y < rows; ++at) {
        const char c = data[at];
        if (c >= 'G' && c <= 'Y') {
            repeat += c - 'G' + 1;
        } else if (c >= 'g' && c <= 'z') {
            repeat += (c - 'g' + 1) * 20;
        } else if (HexValue(c) >= 0) {
            row.append(QByteArray(std::max(repeat, 1), c));
            repeat = 0;
            if (row.size() > rowDigits)
                return {};
            if (row.size() == rowDigits)
                endRow('0');
        } else if (c == ',' || c == '!') {
            endRow(c == ',' ? '0' : 'F');
        } else if (c == ':') {
            if (!row.isEmpty())
                return {};
            row = previous;
            endRow('0');
        } else if (c == '^' || c == '~') {
            break; // the next command: the data ended early
        }
    }
    return y == rows ? image : QImage();
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
