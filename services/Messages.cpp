#include "services/Messages.h"

#include "core/TextCodec.h"

#include <cstdio>

namespace services {

QString AppTitle() { return QStringLiteral("Quorvane"); }

bool WriteStderrLine(const QString& text)
{
    const QByteArray line = core::ToLocalBytes(text) + '\n';
    const bool written = std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr) == static_cast<size_t>(line.size());
    return std::fflush(stderr) == 0 && written;
}

QString StderrSink::LineOf(const QString& text, const QString& title)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Every line starts with the program's name as the shell knows it, as
    // the command line's own errors do; a title of its own follows.
    // A message ends at a NUL (a code line may hold one): a log line holds none.
    const QString from = title.isEmpty() || title == AppTitle() ? QStringLiteral("quorvane: ")
                                                                 : QStringLiteral("quorvane: ") + title + QStringLiteral(": ");
    const QString line = from + flat.split(QLatin1Char('\n')).join(QStringLiteral(" / "));
    return line.left(line.indexOf(QChar(0)));
}

// File names in the text come out as the bytes they are on disk.
void StderrSink::Show(const QString& text, const QString& title) { WriteStderrLine(LineOf(text, title)); }

} // namespace services
