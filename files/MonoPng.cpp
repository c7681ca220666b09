#include "files/MonoPng.h"

#include "files/Deflater.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>
#include <zlib.h>

namespace files {
namespace {

// The CRC-32 of the PNG chunks (ISO 3309), one byte at a time from a table.
constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x77073096u, "the CRC-32 table of PNG");

std::uint32_t Crc(const char* data, qsizetype size)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = kCrcTable[(c ^ static_cast<std::uint8_t>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Put32(QByteArray& out, std::uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void Chunk(QByteArray& out, const char type[4], const QByteArray& data)
{
    Put32(out, static_cast<std::uint32_t>(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    Put32(out, Crc(out.constData() + start, out.size() - start));
}

// The picture as 32-bit pixels, or as grey bytes when it is grey (a
// quarter of the memory, which a picture of a hundred million pixels needs).
QImage Readable(const QImage& picture)
{
    switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_Grayscale8:
        return picture;
    default:
        return picture.convertToFormat(QImage::Format_RGB32);
    }
}

// A row like the one above it: the bars of a barcode, most of its rows.
bool SameAsAbove(const QImage& image, int y)
{
    const std::size_t bytes = std::size_t(image.width()) * (image.format() == QImage::Format_Grayscale8 ? 1 : 4);
    return y > 0 && std::memcmp(image.constScanLine(y), image.constScanLine(y - 1), bytes) == 0;
}

// One row as stored: white as 1, eight pixels a byte, the first in the
// high bit. A pixel is white when its green is 128 or more: for the grey
// pixels of a black-and-white drawing (the edges of its letters) that is
// the grey value, and one byte is quicker to look at than three.
template <typename Pixel>
void StoredRow(const Pixel* row, int width, uchar* out)
{
    // The high bit of green, or of the grey byte.
    auto white = [](Pixel p) { return sizeof(Pixel) == 1 ? (p >> 7) & 1 : (p >> 15) & 1; };
    int x = 0;
    for (; x + 8 <= width; x += 8, row += 8)
        *out++ = static_cast<uchar>(white(row[0]) << 7 | white(row[1]) << 6 | white(row[2]) << 5 | white(row[3]) << 4 |
                                    white(row[4]) << 3 | white(row[5]) << 2 | white(row[6]) << 1 | white(row[7]));
    if (x < width) {
        uchar b = 0;
        for (int k = 0; x + k < width; ++k)
            b |= static_cast<uchar>(white(row[k]) << (7 - k));
        *out = b;
    }
}

} // namespace

QByteArray MonoPng(const QImage& picture, int dotsPerMeter)
{
    const QImage image = Readable(picture);
    const bool grey = image.format() == QImage::Format_Grayscale8;
    const int width = image.width(), height = image.height();
    const qsizetype rowBytes = (width + 7) / 8;

    // Filter type 2 ("Up") on every row but the first: the difference to the
    // row above, all zeros where a bar runs on.
    thread_local std::vector<uchar> rows; // kept, like the compressor
    rows.resize(static_cast<std::size_t>(height) * static_cast<std::size_t>(rowBytes + 1));
    std::vector<uchar> previous(static_cast<std::size_t>(rowBytes), 0), current(previous.size(), 0);
    uchar* out = rows.data();
    for (int y = 0; y < height; ++y) {
        *out++ = y == 0 ? 0 : 2;
        if (SameAsAbove(image, y)) {
            std::fill_n(out, rowBytes, uchar(0));
            out += rowBytes;
            continue;
        }
        if (grey)
            StoredRow(image.constScanLine(y), width, current.data());
        else
            StoredRow(reinterpret_cast<const QRgb*>(image.constScanLine(y)), width, current.data());
        for (qsizetype x = 0; x < rowBytes; ++x)
            *out++ = static_cast<uchar>(current[x] - previous[x]); // the first row's "above" is zeros
        previous.swap(current);
    }

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    Put32(header, static_cast<std::uint32_t>(width));
    Put32(header, static_cast<std::uint32_t>(height));
    header.append(char(1));            // bit depth
    header.append(char(0));            // grey
    header.append(3, char(0));         // deflate, adaptive filtering, no interlace
    Chunk(png, "IHDR", header);
    QByteArray physical;
    Put32(physical, static_cast<std::uint32_t>(dotsPerMeter));
    Put32(physical, static_cast<std::uint32_t>(dotsPerMeter));
    physical.append(char(1)); // per metre
    Chunk(png, "pHYs", physical);
    // One compressor a thread, reset for each file. Run-length matching
    // suits the rows: after the "Up" filter they are runs of zeros.
    thread_local Deflater deflater(6, Z_RLE);
    QByteArray packed;
    if (!deflater.Deflate(QByteArrayView(reinterpret_cast<const char*>(rows.data()), static_cast<qsizetype>(rows.size())), packed))
        return {};
    Chunk(png, "IDAT", packed);
    Chunk(png, "IEND", QByteArray());
    return png;
}

} // namespace files
