// Looking at the files a test's run left: a folder's entries (hidden ones
// and links included), a file's bytes, a job still being written.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

namespace testsupport {

inline QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The size of the job the built-in printer is writing in a PDF folder (its
// hidden temporary file), or -1 while it writes none: a test that stops a
// job mid-way waits until it holds pages, and then until it is gone.
inline qint64 JobInProgressBytes(const QString& pdfFolder)
{
    const QFileInfoList parts = QDir(pdfFolder).entryInfoList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    return parts.isEmpty() ? -1 : parts.first().size();
}

} // namespace testsupport
