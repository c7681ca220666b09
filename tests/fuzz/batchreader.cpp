// The batch file reader on arbitrary bytes, with or without a byte-order
// mark, and across its 64 KiB block edge: it ends, no line holds a line
// end, and the same bytes read again after a first line that pushes them
// onto the block edge give the same lines.
#include "files/BatchFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr qsizetype kBlock = 64 * 1024;

QStringList ReadAll(const QString& path, const QByteArray& bytes)
{
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            __builtin_trap();
        f.write(bytes);
    }
    files::BatchFileReader reader;
    if (reader.Open(path).failed())
        __builtin_trap();
    QStringList lines;
    QString line;
    while (reader.ReadLine(line)) {
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')) || reader.LineWasCut())
            __builtin_trap();
        lines << line;
        if (lines.size() > bytes.size() + 1)
            __builtin_trap(); // more lines than bytes: the reader is not advancing
    }
    if (reader.Outcome().failed())
        __builtin_trap();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    fuzzsupport::Reader in(data, size);
    const int kind = in.Byte() % 4;
    const int beforeEdge = in.Byte() % 64; // where the body starts, counted back from the edge
    const QByteArray body = in.RestBytes();

    static const QByteArray marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    const QByteArray mark = marks[kind];
    if (kind == 0 && (body.startsWith(marks[1]) || body.startsWith(marks[2]) || body.startsWith(marks[3])))
        return 0; // a mark counts only at the start of the file: the two reads would differ by design
    const int unit = kind >= 2 ? 2 : 1;
    // A first line of "x" and a LF in the file's own units.
    auto units = [&](char c, qsizetype n) {
        QByteArray out;
        for (qsizetype i = 0; i < n; ++i)
            out += unit == 1 ? QByteArray(1, c) : kind == 2 ? QByteArray(1, c) + '\0' : QByteArray(1, '\0') + c;
        return out;
    };
    const qsizetype padUnits = (kBlock - mark.size() - beforeEdge) / unit - 1;
    const QByteArray pad = units('x', padUnits) + units('\n', 1);

    const QStringList plain = ReadAll(dir.filePath(QStringLiteral("plain.txt")), mark + body);
    const QStringList shifted = ReadAll(dir.filePath(QStringLiteral("shifted.txt")), mark + pad + body);
    if (shifted.isEmpty() || shifted.first() != QString(padUnits, QLatin1Char('x')) || shifted.mid(1) != plain)
        __builtin_trap();
    return 0;
}
