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

core::Status MakeFolders(const QString& path)
{
#ifdef Q_OS_UNIX
    QByteArray bytes = NativePath(path);
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    if (bytes.isEmpty())
        return core::Failure{core::kCannotWrite, QStringLiteral("no folder name")};
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
        return core::Failure{core::kCannotWrite, QString::fromLocal8Bit(std::strerror(err == EEXIST ? ENOTDIR : err))};
    }
    return core::Ok();
#else
    if (QDir().mkpath(path))
        return core::Ok();
    return core::Failure{core::kCannotWrite, QStringLiteral("the folder can't be made")};
#endif
}

} // namespace services
