// Looking at the files a test's run left: a folder's entries (hidden ones
// and links included) and a file's bytes.
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

} // namespace testsupport
