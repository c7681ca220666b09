#include "services/HomeFolder.h"

#include "services/LocalPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace services {

Folder HomeFolder()
{
#ifdef Q_OS_WIN
    return {QDir::homePath(), {}};
#else
    // By its bytes: a home folder whose name is not UTF-8 is still found.
    const QString home = EnvironmentPath("HOME");
    if (home.isEmpty())
        return {{}, QStringLiteral("there is no home folder (HOME is not set)")};
    if (!QDir::isAbsolutePath(home) || !IsFolder(home))
        return {{}, QStringLiteral("the home folder \"%1\" (HOME) does not exist").arg(home)};
    return {home, {}};
#endif
}

Folder ConfigFolder()
{
#ifdef Q_OS_WIN
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), {}};
#else
    const QString xdg = EnvironmentPath("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg))
        return {xdg, {}};
    const Folder home = HomeFolder();
    if (home.path.isEmpty())
        return home;
    return {QDir(home.path).filePath(QStringLiteral(".config")), {}};
#endif
}

} // namespace services
