#include "tests/support/LabelLanguages.h"

#include <QString>

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

core::Failure Unreadable(const QString& text) { return core::Failure{core::kCannotRead, text}; }

// A whole number, blanks around allowed.
std::optional<int> Number(const QByteArray& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// The comma-separated numbers of a command's parameters, all of them
// numbers, or none.
std::optional<std::vector<int>> Numbers(const QByteArray& text, qsizetype count)
{
    const QList<QByteArray> fields = text.split(',');
    if (fields.size() < count)
        return std::nullopt;
    std::vector<int> numbers;
    for (qsizetype i = 0; i < count; ++i) {
        const std::optional<int> n = Number(fields[i]);
        if (!n)
            return std::nullopt;
        numbers.push_back(*n);
    }
    return numbers;
}

// A ^GF graphic's parameters: "A,b,c,d,DATA".
core::Result<QImage> ZplGraphic(const QByteArray& params)
{
    qsizetype commas[4];
    qsizetype from = 0;
    for (qsizetype& c : commas) {
        c = params.indexOf(',', from);
        if (c < 0)
            return Unreadable(QStringLiteral("^GF has fewer than five parameters"));
        from = c + 1;
    }
    if (params.left(commas[0]).trimmed().toUpper() != "A")
        return Unreadable(QStringLiteral("^GF is not in the ASCII form A but \"%1\"").arg(QString::fromLatin1(params.left(commas[0]))));
    const std::optional<std::vector<int>> n = Numbers(params.mid(commas[0] + 1, commas[3] - commas[0] - 1), 3);
    if (!n || (*n)[2] <= 0 || (*n)[1] <= 0 || (*n)[1] % (*n)[2] != 0 || (*n)[0] != (*n)[1])
        return Unreadable(QStringLiteral("^GF's sizes \"%1\" are not bytes, the same bytes, and a whole number of rows")
                              .arg(QString::fromLatin1(params.mid(commas[0] + 1, commas[3] - commas[0] - 1))));
    const int total = (*n)[1], rowBytes = (*n)[2], rows = total / rowBytes;
    const QByteArray data = params.mid(commas[3] + 1);
    QByteArray bits;
    if (data.startsWith(":Z64:") || data.startsWith(":B64:")) {
        const QByteArray rest = data.mid(5);
        const qsizetype colon = rest.lastIndexOf(':');
        if (colon < 0)
            return Unreadable(QStringLiteral("^GF's %1 data has no CRC").arg(QString::fromLatin1(data.left(5))));
        const QByteArray text = rest.left(colon), crcText = rest.mid(colon + 1);
        bool hexOk = crcText.size() == 4;
        for (const char c : crcText)
            hexOk = hexOk && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
        if (!hexOk)
            return Unreadable(QStringLiteral("^GF's CRC \"%1\" is not four upper-case hex digits").arg(QString::fromLatin1(crcText)));
        const quint16 crc = Crc16Xmodem(text);
        if (crc != crcText.toUShort(nullptr, 16))
            return Unreadable(QStringLiteral("^GF's CRC %1 does not match its data, whose CRC is %2")
                                  .arg(QString::fromLatin1(crcText))
                                  .arg(crc, 4, 16, QLatin1Char('0')));
        auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return Unreadable(QStringLiteral("^GF's data is not Base64"));
        bits = *decoded;
        if (data.startsWith(":Z64:")) {
            // qUncompress reads a zlib stream after its size, four bytes big-endian.
            const char size[4] = {char(total >> 24), char(total >> 16), char(total >> 8), char(total)};
            bits = qUncompress(QByteArray(size, 4) + bits);
        }
        if (bits.size() != total)
            return Unreadable(QStringLiteral("^GF's %1 data holds %2 bytes, not %3")
                                  .arg(QString::fromLatin1(data.left(5)))
                                  .arg(bits.size())
                                  .arg(total));
    } else {
        qsizetype at = 0;
        core::Result<QByteArray> hex = ZplHexBitmap(data, at, rows, rowBytes);
        if (hex.failed())
            return hex.failure();
        if (!data.mid(at).trimmed().isEmpty())
            return Unreadable(QStringLiteral("^GF's hex data goes on after its %1 rows").arg(rows));
        bits = *hex;
    }
    return BitmapPicture(bits, rowBytes, rows, true);
}

// EPL2's GW and TSPL's BITMAP: `count` numbers and commas, then the
// bitmap of the third × fourth raw bytes, then a line end.
struct RawGraphic {
    std::vector<int> numbers;
    QByteArray bits;
};
core::Result<RawGraphic> ReadRawGraphic(const QByteArray& stream, qsizetype& i, int count, const QString& command)
{
    qsizetype from = i;
    for (int k = 0; k < count; ++k) {
        from = stream.indexOf(',', from);
        if (from < 0)
            return Unreadable(QStringLiteral("%1 has fewer than %2 numbers").arg(command).arg(count));
        ++from;
    }
    const std::optional<std::vector<int>> n = Numbers(stream.mid(i, from - 1 - i), count);
    if (!n || (*n)[2] <= 0 || (*n)[3] <= 0)
        return Unreadable(QStringLiteral("%1's numbers \"%2\" are not a place and a size")
                              .arg(command, QString::fromLatin1(stream.mid(i, from - 1 - i))));
    const qsizetype bytes = qsizetype((*n)[2]) * (*n)[3];
    if (from + bytes > stream.size())
        return Unreadable(QStringLiteral("%1's data is cut short: %2 of %3 bytes").arg(command).arg(stream.size() - from).arg(bytes));
    RawGraphic g{*n, stream.mid(from, bytes)};
    i = from + bytes;
    if (i < stream.size() && stream[i] == '\r')
        ++i;
    if (i < stream.size() && stream[i] != '\n')
        return Unreadable(QStringLiteral("%1's data is followed by more than a line end: it is longer than %2 bytes")
                              .arg(command)
                              .arg(bytes));
    ++i;
    return g;
}

// One line from `i`, without its CR LF; `i` moves past it.
QByteArray NextLine(const QByteArray& stream, qsizetype& i)
{
    qsizetype end = stream.indexOf('\n', i);
    if (end < 0)
        end = stream.size();
    QByteArray line = stream.mid(i, end - i);
    if (line.endsWith('\r'))
        line.chop(1);
    i = end + 1;
    return line;
}

QString LabelPlace(const char* language, std::size_t done)
{
    return QStringLiteral("Label %1 of the %2 stream").arg(done + 1).arg(QLatin1String(language));
}

} // namespace

core::Result<QByteArray> ZplHexBitmap(const QByteArray& data, qsizetype& at, int rows, int rowBytes)
{
    const int rowDigits = rowBytes * 2;
    QByteArray bits;
    bits.reserve(qsizetype(rows) * rowBytes);
    QByteArray row, previous(rowDigits, '0');
    int y = 0, repeat = 0;
    auto endRow = [&](char fill) {
        row.append(QByteArray(rowDigits - row.size(), fill));
        bits += QByteArray::fromHex(row);
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
                return Unreadable(QStringLiteral("Row %1 of the hex graphic has more than %2 digits").arg(y + 1).arg(rowDigits));
            if (row.size() == rowDigits)
                endRow('0');
        } else if (c == ',' || c == '!') {
            endRow(c == ',' ? '0' : 'F');
        } else if (c == ':') {
            if (!row.isEmpty())
                return Unreadable(QStringLiteral("Row %1 of the hex graphic repeats the row before after digits of its own").arg(y + 1));
            row = previous;
            endRow('0');
        } else if (c == '^' || c == '~') {
            break; // the next command: the data ended early
        }
    }
    if (y < rows)
        return Unreadable(QStringLiteral("The hex graphic ends after %1 of its %2 rows").arg(y).arg(rows));
    return bits;
}

quint16 Crc16Xmodem(QByteArrayView bytes)
{
    quint16 crc = 0;
    for (const char c : bytes) {
        crc ^= static_cast<quint16>(static_cast<uchar>(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x8000 ? static_cast<quint16>(crc << 1 ^ 0x1021) : static_cast<quint16>(crc << 1);
    }
    return crc;
}

QImage BitmapPicture(QByteArrayView bits, int rowBytes, int rows, bool oneIsDot)
{
    QImage image(rowBytes * 8, rows, QImage::Format_Grayscale8);
    for (int y = 0; y < rows; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < rowBytes * 8; ++x) {
            const bool one = (static_cast<uchar>(bits[qsizetype(y) * rowBytes + x / 8]) >> (7 - x % 8)) & 1;
            line[x] = one == oneIsDot ? 0 : 255;
        }
    }
    return image;
}

core::Result<std::vector<ReadLabel>> ReadZplLabels(const QByteArray& zpl)
{
    std::vector<ReadLabel> labels;
    ReadLabel label;
    bool open = false;
    QPoint origin;
    auto fail = [&](const QString& what) { return Unreadable(LabelPlace("ZPL", labels.size()) + QStringLiteral(": ") + what + '.'); };
    for (qsizetype i = 0; i < zpl.size();) {
        const char c = zpl[i];
        if (c != '^' && c != '~') {
            if (!QChar::isSpace(uchar(c)))
                return fail(QStringLiteral("text outside a command at byte %1").arg(i));
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < zpl.size() && zpl[end] != '^' && zpl[end] != '~')
            ++end;
        const QString name = QString::fromLatin1(zpl.mid(i, std::min<qsizetype>(3, end - i))).toUpper();
        QByteArray params = zpl.mid(i + 3, end - i - 3);
        params.replace("\r", "").replace("\n", "");
        i = end;
        label.commands << name;
        auto number = [&](const QByteArray& text) -> std::optional<int> { return Number(text.split(',').front()); };
        if (name == QLatin1String("^XA")) {
            if (open)
                return fail(QStringLiteral("^XA inside a label"));
            open = true;
        } else if (name == QLatin1String("^XZ")) {
            if (!open)
                return fail(QStringLiteral("^XZ without ^XA"));
            labels.push_back(std::move(label));
            label = {};
            open = false;
            origin = {};
        } else if (name == QLatin1String("^FO")) {
            const std::optional<std::vector<int>> xy = Numbers(params, 2);
            if (!xy)
                return fail(QStringLiteral("^FO%1 is not a place").arg(QString::fromLatin1(params)));
            origin = QPoint((*xy)[0], (*xy)[1]);
        } else if (name == QLatin1String("^GF")) {
            if (!label.picture.isNull())
                return fail(QStringLiteral("a second ^GF"));
            core::Result<QImage> picture = ZplGraphic(params);
            if (picture.failed())
                return fail(picture.failure().text);
            label.picture = *picture;
            label.at = origin;
        } else if (name == QLatin1String("^PW") || name == QLatin1String("^LL") || name == QLatin1String("^PQ") ||
                   name == QLatin1String("~SD") || name == QLatin1String("^PR")) {
            const std::optional<int> n = number(params);
            if (!n)
                return fail(QStringLiteral("%1 has no number but \"%2\"").arg(name, QString::fromLatin1(params)));
            (name == QLatin1String("^PW")   ? label.width
             : name == QLatin1String("^LL") ? label.length
             : name == QLatin1String("^PQ") ? label.copies
             : name == QLatin1String("~SD") ? label.darkness
                                            : label.speed) = n;
        }
    }
    if (open || !label.commands.isEmpty())
        return fail(QStringLiteral("commands after the last ^XZ: %1").arg(label.commands.join(QLatin1Char(' '))));
    return labels;
}

core::Result<std::vector<ReadLabel>> ReadEpl2Labels(const QByteArray& epl)
{
    std::vector<ReadLabel> labels;
    ReadLabel label;
    auto fail = [&](const QString& what) { return Unreadable(LabelPlace("EPL2", labels.size()) + QStringLiteral(": ") + what + '.'); };
    for (qsizetype i = 0; i < epl.size();) {
        if (epl[i] == '\n' || epl[i] == '\r') {
            ++i;
            continue;
        }
        if (epl.mid(i, 2) == "GW") {
            i += 2;
            core::Result<RawGraphic> g = ReadRawGraphic(epl, i, 4, QStringLiteral("GW"));
            if (g.failed())
                return fail(g.failure().text);
            if (!label.picture.isNull())
                return fail(QStringLiteral("a second GW"));
            label.commands << QStringLiteral("GW");
            label.picture = BitmapPicture(g->bits, g->numbers[2], g->numbers[3], false);
            label.at = QPoint(g->numbers[0], g->numbers[1]);
            continue;
        }
        const QByteArray line = NextLine(epl, i);
        const char command = line[0];
        const QByteArray params = line.mid(1);
        label.commands << QString(QLatin1Char(command));
        if (command == 'N' || command == 'q' || command == 'S' || command == 'D' || command == 'P') {
            if (command == 'N')
                continue;
            const std::optional<int> n = Number(params);
            if (!n)
                return fail(QStringLiteral("%1 has no number but \"%2\"").arg(QLatin1Char(command)).arg(QString::fromLatin1(params)));
            (command == 'q' ? label.width : command == 'S' ? label.speed : command == 'D' ? label.darkness : label.copies) = n;
            if (command == 'P') {
                labels.push_back(std::move(label));
                label = {};
            }
        } else if (command == 'Q') {
            const std::optional<std::vector<int>> n = Numbers(params, 2);
            if (!n)
                return fail(QStringLiteral("Q%1 is not a length and a gap").arg(QString::fromLatin1(params)));
            label.length = (*n)[0];
            label.gap = (*n)[1];
        }
    }
    if (!label.commands.isEmpty())
        return fail(QStringLiteral("commands after the last P: %1").arg(label.commands.join(QLatin1Char(' '))));
    return labels;
}

core::Result<std::vector<ReadLabel>> ReadTsplLabels(const QByteArray& tspl)
{
    std::vector<ReadLabel> labels;
    ReadLabel label;
    auto fail = [&](const QString& what) { return Unreadable(LabelPlace("TSPL", labels.size()) + QStringLiteral(": ") + what + '.'); };
    // "101.6 mm": millimetres, the unit written out.
    auto millimetres = [](const QByteArray& text) -> std::optional<double> {
        const QByteArray t = text.trimmed();
        if (!t.endsWith(" mm"))
            return std::nullopt;
        bool ok = false;
        const double v = t.chopped(3).trimmed().toDouble(&ok);
        return ok ? std::optional<double>(v) : std::nullopt;
    };
    for (qsizetype i = 0; i < tspl.size();) {
        if (tspl[i] == '\n' || tspl[i] == '\r') {
            ++i;
            continue;
        }
        if (tspl.mid(i, 7) == "BITMAP ") {
            i += 7;
            core::Result<RawGraphic> g = ReadRawGraphic(tspl, i, 5, QStringLiteral("BITMAP"));
            if (g.failed())
                return fail(g.failure().text);
            if (!label.picture.isNull())
                return fail(QStringLiteral("a second BITMAP"));
            if (g->numbers[4] != 0)
                return fail(QStringLiteral("BITMAP in mode %1, not 0 (overwrite)").arg(g->numbers[4]));
            label.commands << QStringLiteral("BITMAP");
            label.picture = BitmapPicture(g->bits, g->numbers[2], g->numbers[3], false);
            label.at = QPoint(g->numbers[0], g->numbers[1]);
            continue;
        }
        const QByteArray line = NextLine(tspl, i);
        const qsizetype space = line.indexOf(' ');
        const QByteArray command = space < 0 ? line : line.left(space);
        const QByteArray params = space < 0 ? QByteArray() : line.mid(space + 1);
        label.commands << QString::fromLatin1(command);
        const QList<QByteArray> fields = params.split(',');
        if (command == "SIZE" || command == "GAP") {
            const std::optional<double> a = millimetres(fields[0]);
            const std::optional<double> b = fields.size() == 2 ? millimetres(fields[1]) : std::nullopt;
            if (!a || !b)
                return fail(QStringLiteral("%1 %2 is not two sizes in mm").arg(QString::fromLatin1(command), QString::fromLatin1(params)));
            if (command == "SIZE") {
                label.widthMm = a;
                label.lengthMm = b;
            } else {
                label.gapMm = a;
            }
        } else if (command == "DENSITY" || command == "SPEED") {
            const std::optional<int> n = Number(params);
            if (!n)
                return fail(QStringLiteral("%1 has no number but \"%2\"").arg(QString::fromLatin1(command), QString::fromLatin1(params)));
            (command == "DENSITY" ? label.darkness : label.speed) = n;
        } else if (command == "PRINT") {
            const std::optional<std::vector<int>> n = Numbers(params, fields.size());
            if (!n || n->empty() || n->size() > 2)
                return fail(QStringLiteral("PRINT %1 is not a count of sets and copies").arg(QString::fromLatin1(params)));
            label.copies = n->front() * (n->size() == 2 ? (*n)[1] : 1);
            labels.push_back(std::move(label));
            label = {};
        }
    }
    if (!label.commands.isEmpty())
        return fail(QStringLiteral("commands after the last PRINT: %1").arg(label.commands.join(QLatin1Char(' '))));
    return labels;
}

} // namespace testsupport
