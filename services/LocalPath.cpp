#include "services/LocalPath.h"

#include "core/TextCodec.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#endif

namespace services {

QString EnvironmentPath(const char* name) { return core::FromLocalBytes(qgetenv(name)); }

QByteArray NativePath(const QString& path)
{
#ifdef Q_OS_UNIX
    return core::ToLocalBytes(path);
#else
    return QDir::toNativeSeparators(path).toUtf8();
#endif
}

bool IsFolder(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return !path.isEmpty() && ::stat(NativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
#else
    return QFileInfo(path).isDir();
#endif
}

bool MakeFolders(const QString& path, QString& reason)
{
#ifdef Q_OS_UNIX
    QByteArray bytes = NativePath(path);
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    if (bytes.isEmpty()) {
        reason = QStringLiteral("no folder name");
        return false;
    }
    // Each folder from the top down: mkdir, and an existing folder is fine.
    for (qsizetype i = 1; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '/')
            continue;
        const QByteArray part = bytes.left(i);
        if (::mkdir(part.constData(), 0777) == 0)
            continue;
        const int err = errno;
        struct stat st;
        if (::stat(part.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        reason = QString::fromLocal8Bit(std::strerror(err == EEXIST ? ENOTDIR : err));
        return false;
    }
    return true;
#else
    if (QDir().mkpath(path))
        return true;
    reason = QStringLiteral("the folder can't be made");
    return false;
#endif
}

} // namespace services
