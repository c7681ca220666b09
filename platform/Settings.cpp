#include "platform/Settings.h"

#include "platform/HomeFolder.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace platform {
namespace {

QString g_lastError;

// The file (or registry key) of an application has a lower-cased name, so
// "Stavelon" and "stavelon" are one store.
QString Norm(const QString& name) { return name.toLower(); }

#ifdef Q_OS_WIN
QSettings Open(const QString& application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorvane"), Norm(application));
}
#else
QString IniPath(const QString& application)
{
    const Folder config = ConfigFolder();
    if (config.path.isEmpty())
        return {};
    return config.path + QStringLiteral("/quorvane/") + Norm(application) + QStringLiteral(".ini");
}
QSettings Open(const QString& application) { return QSettings(IniPath(application), QSettings::IniFormat); }
#endif

bool Same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Every spelling of one name among the names stored, in the store's order.
QStringList Spellings(const QStringList& stored, const QString& name)
{
    QStringList found;
    for (const QString& s : stored)
        if (Same(s, name))
            found << s;
    return found;
}

// The stored spelling of a section and key: QSettings compares names with
// regard to case on Linux, and a file edited by hand may say "[Options]"
// and "Type2" where the program writes "options" and "type2". When several
// spellings exist, the first one in the store's order counts.
struct Entry {
    QString section, key;
    bool found = false;
};

Entry Find(QSettings& s, const QString& section, const QString& key)
{
    Entry e{section, key};
    for (const QString& group : Spellings(s.childGroups(), section)) {
        s.beginGroup(group);
        const QStringList keys = Spellings(s.childKeys(), key);
        s.endGroup();
        if (!keys.isEmpty())
            return {group, keys.first(), true};
        if (e.section == section)
            e.section = group; // a new key goes into the section as it is spelled
    }
    return e;
}

// A value holding bytes of a file name that are not UTF-8 can't be written
// as text (the INI file is UTF-8): it is stored as those bytes instead.
QVariant Stored(const QString& value)
{
    if (HasEscapedBytes(value))
        return ToLocalBytes(value);
    return value;
}

QString Text(const QVariant& v)
{
    if (v.userType() == QMetaType::QStringList) // an unquoted value with commas
        return v.toStringList().join(QStringLiteral(", "));
    if (v.userType() == QMetaType::QByteArray)
        return FromLocalBytes(v.toByteArray());
    return v.toString();
}

} // namespace

QString SettingsLocation(const QString& application)
{
#ifdef Q_OS_WIN
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Quorvane\\") + Norm(application);
#else
    return IniPath(application);
#endif
}

QString SettingsProblem()
{
#ifdef Q_OS_WIN
    return {};
#else
    return ConfigFolder().problem;
#endif
}

QString GetSetting(const QString& application, const QString& section, const QString& key, const QString& defaultValue)
{
    if (!SettingsProblem().isEmpty())
        return defaultValue;
    QSettings s = Open(application);
    // An unreadable or corrupt store reads as empty: every key its default.
    if (s.status() == QSettings::AccessError)
        return defaultValue;
    const Entry e = Find(s, Norm(section), Norm(key));
    if (!e.found)
        return defaultValue;
    const QVariant v = s.value(e.section + QLatin1Char('/') + e.key);
    return v.isValid() ? Text(v) : defaultValue;
}

bool SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value)
{
    if (const QString problem = SettingsProblem(); !problem.isEmpty()) {
        g_lastError = problem;
        return false;
    }
#ifndef Q_OS_WIN
    const QFileInfo file(IniPath(application));
    QDir().mkpath(file.absolutePath());
    if (file.isDir()) {
        g_lastError = QStringLiteral("%1 is a folder, not a settings file").arg(file.absoluteFilePath());
        return false;
    }
#endif
    QSettings s = Open(application);
    // The entry is replaced where it is, in the spelling it has; any other
    // spelling of the same name goes, so one entry is left.
    const Entry e = Find(s, Norm(section), Norm(key));
    for (const QString& group : Spellings(s.childGroups(), section)) {
        s.beginGroup(group);
        for (const QString& k : Spellings(s.childKeys(), key))
            if (group != e.section || k != e.key)
                s.remove(k);
        s.endGroup();
    }
    s.setValue(e.section + QLatin1Char('/') + e.key, Stored(value));
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
