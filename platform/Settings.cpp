#include "platform/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace platform {
namespace {

QString g_lastError;

// Lower-cased names make "File1Path" and "file1Path" one entry, on every
// platform and in every format.
QString Norm(const QString& name) { return name.toLower(); }

QString KeyPath(const QString& section, const QString& key) { return Norm(section) + QLatin1Char('/') + Norm(key); }

#ifdef Q_OS_WIN
QSettings Open(const QString& application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorvane"), Norm(application));
}
#else
QString IniPath(const QString& application)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quorvane/") +
           Norm(application) + QStringLiteral(".ini");
}
QSettings Open(const QString& application) { return QSettings(IniPath(application), QSettings::IniFormat); }
#endif

} // namespace

QString SettingsLocation(const QString& application)
{
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Quorvane\\") + Norm(application);
#else
    return IniPath(application);
#endif
}

QString GetSetting(const QString& application, const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings s = Open(application);
    // An unreadable or corrupt store reads as empty: every key its default.
    if (s.status() == QSettings::AccessError)
        return defaultValue;
    const QVariant v = s.value(KeyPath(section, key));
    if (!v.isValid())
        return defaultValue;
    if (v.userType() == QMetaType::QStringList) // an unquoted value with commas
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

bool SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value)
{
#ifndef Q_OS_WIN
    const QFileInfo file(IniPath(application));
    QDir().mkpath(file.absolutePath());
    if (file.isDir()) {
        g_lastError = QStringLiteral("%1 is a folder, not a settings file").arg(file.absoluteFilePath());
        return false;
    }
#endif
    QSettings s = Open(application);
    s.setValue(KeyPath(section, key), value);
    s.sync(); // written through a temporary file and renamed: all or nothing
    if (s.status() == QSettings::AccessError) {
        g_lastError = QStringLiteral("%1 could not be written").arg(SettingsLocation(application));
        return false;
    }
    g_lastError.clear();
    return true;
}

QString SettingsError() { return g_lastError; }

} // namespace platform
