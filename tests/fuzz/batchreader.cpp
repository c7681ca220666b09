// The batch file reader on arbitrary bytes: it ends, every line is free of
// line-end characters, and the lines joined back hold every other byte.
#include "output/BatchFile.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("batch.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    output::BatchFileReader reader;
    if (!reader.Open(path))
        __builtin_trap();
    QString line;
    qsizetype kept = 0;
    std::size_t lines = 0;
    while (reader.ReadLine(line)) {
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            __builtin_trap();
        kept += line.size();
        if (++lines > size + 1)
            __builtin_trap(); // more lines than bytes: the reader is not advancing
    }
    qsizetype ends = 0;
    for (std::size_t i = 0; i < size; ++i)
        ends += data[i] == '\r' || data[i] == '\n';
    if (!reader.Error().isEmpty() || kept != static_cast<qsizetype>(size) - ends)
        __builtin_trap();
    return 0;
}
