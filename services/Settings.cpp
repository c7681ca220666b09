#include "services/Settings.h"

#include "core/TextCodec.h"
#include "services/HomeFolder.h"
#include "services/LocalPath.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace services {
namespace {

// The file (or registry key) of an application has a lower-cased name, so
// "Stavelon" and "stavelon" are one store.
QString Norm(const QString& name) { return name.toLower(); }

#ifdef Q_OS_WIN
QSettings Open(const QString& application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorvane"), Norm(application));
}
#else
QString IniFolder()
{
    const Folder config = ConfigFolder();
    if (config.path.isEmpty())
        return {};
    return config.path + QStringLiteral("/quorvane");
}

QString IniName(const QString& application) { return Norm(application) + QStringLiteral(".ini"); }

QString IniPath(const QString& application)
{
    const QString folder = IniFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + IniName(application);
}

QString SystemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Why the file may not be read or written, judged before it is opened;
// empty when it may be (or when there is none yet). A link is followed
// only to a regular file of the user's in a folder nobody else can write
// to (a settings file kept in a repository of dotfiles); a link planted by
// someone else, to a device or to nothing would make a write replace or
// create a file that is not the user's settings.
QString FileProblem(const QString& path)
{
    const QByteArray bytes = NativePath(path);
    const uid_t me = ::geteuid();
    struct stat st;
    if (::lstat(bytes.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? QString() : QStringLiteral("it can't be reached (%1)").arg(SystemReason(errno));
    if (S_ISLNK(st.st_mode)) {
        if (st.st_uid != me)
            return QStringLiteral("it is a link made by another user");
        if (::stat(bytes.constData(), &st) != 0)
            return errno == ENOENT ? QStringLiteral("it is a link to nothing")
                                   : QStringLiteral("it is a link that can't be followed (%1)").arg(SystemReason(errno));
        if (S_ISDIR(st.st_mode))
            return QStringLiteral("it is a link to a folder");
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("it is a link to a device or another special file, not to a settings file");
        if (st.st_uid != me)
            return QStringLiteral("it is a link to a file of another user");
        char* target = ::realpath(bytes.constData(), nullptr);
        if (!target)
            return QStringLiteral("it is a link that can't be followed (%1)").arg(SystemReason(errno));
        QByteArray folder(target);
        std::free(target);
        folder.truncate(std::max<qsizetype>(folder.lastIndexOf('/'), 1));
        struct stat dir;
        if (::stat(folder.constData(), &dir) != 0 || (dir.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return QStringLiteral("it is a link to a file in a folder others can write to");
    } else if (S_ISDIR(st.st_mode)) {
        return QStringLiteral("it is a folder, not a settings file");
    } else if (!S_ISREG(st.st_mode)) {
        return QStringLiteral("it is not a regular file but a FIFO, a device or a socket");
    } else if (st.st_uid != me) {
        return QStringLiteral("it belongs to another user");
    }
    if (st.st_size > kMaxSettingsBytes)
        return QStringLiteral("it is larger than 1 MiB");
    // Every entry costs the reader far more than its bytes: a file of a
    // hundred thousand tiny ones would take more memory than everything
    // else together. Read without waiting, in case it changed meanwhile.
    const int fd = ::open(bytes.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) // unreadable: replacing it would lose what it holds
        return QStringLiteral("it can't be read (%1)").arg(SystemReason(errno));
    // Read in pieces, counting bytes and lines: the settings of a window
    // are read many times, and a buffer of the largest size each time
    // would cost more than the small file itself.
    char piece[16384];
    qint64 got = 0, lines = 0;
    struct stat opened;
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)) {
        for (ssize_t n; got <= kMaxSettingsBytes && (n = ::read(fd, piece, sizeof piece)) != 0;) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
            got += n;
            lines += QByteArrayView(piece, n).count('\n');
        }
    } else {
        got = -1;
    }
    ::close(fd);
    if (got < 0)
        return QStringLiteral("it is not a regular file but a FIFO, a device or a socket");
    if (got > kMaxSettingsBytes)
        return QStringLiteral("it is larger than 1 MiB");
    if (lines >= kMaxSettingsLines)
        return QStringLiteral("it has more than %1 lines").arg(kMaxSettingsLines);
    return {};
}

QString Unusable(const QString& path, const QString& why)
{
    return QStringLiteral("%1 is not used: %2; the defaults are used instead").arg(path, why);
}

// The name Qt's file classes get for the file. They turn bytes of a name
// that are not UTF-8 into U+FFFD, which names another file; such a folder
// is opened by its bytes once and reached through its descriptor.
QString QtPath(const QString& application)
{
    const QString folder = IniFolder();
    if (!core::HasEscapedBytes(folder))
        return IniPath(application);
    static QHash<QString, int> opened;
    int fd = opened.value(folder, -1);
    if (fd < 0) {
        fd = ::open(NativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return {};
        opened.insert(folder, fd);
    }
    return QStringLiteral("/proc/self/fd/%1/").arg(fd) + IniName(application);
}

QSettings Open(const QString& application) { return QSettings(QtPath(application), QSettings::IniFormat); }
#endif

// At most kMaxSettingValue characters, never half a character.
QString Held(QString value)
{
    if (value.size() <= kMaxSettingValue)
        return value;
    qsizetype n = kMaxSettingValue;
    if (value[n - 1].isHighSurrogate())
        --n;
    value.truncate(n);
    return value;
}

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
    if (core::HasEscapedBytes(value))
        return core::ToLocalBytes(value);
    return value;
}

QString Text(const QVariant& v)
{
    if (v.userType() == QMetaType::QStringList) // an unquoted value with commas
        return v.toStringList().join(QStringLiteral(", "));
    if (v.userType() == QMetaType::QByteArray)
        return core::FromLocalBytes(v.toByteArray());
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

QString SettingsFileProblem(const QString& application)
{
#ifdef Q_OS_WIN
    Q_UNUSED(application);
    return {};
#else
    if (!SettingsProblem().isEmpty())
        return {};
    const QString path = IniPath(application);
    const QString why = FileProblem(path);
    return why.isEmpty() ? QString() : Unusable(path, why);
#endif
}

QString GetSetting(const QString& application, const QString& section, const QString& key, const QString& defaultValue)
{
    return ReadSettingsSection(application, section).Get(key, defaultValue);
}

QString SettingsSection::Get(const QString& key, const QString& defaultValue) const
{
    const auto found = values_.constFind(key.toCaseFolded());
    return found != values_.cend() && *found ? **found : defaultValue;
}

SettingsSection ReadSettingsSection(const QString& application, const QString& section)
{
    SettingsSection read;
    if (!SettingsProblem().isEmpty())
        return read;
#ifndef Q_OS_WIN
    if (!FileProblem(IniPath(application)).isEmpty() || QtPath(application).isEmpty())
        return read;
#endif
    QSettings s = Open(application);
    // An unreadable or corrupt store reads as empty: every key its default.
    if (s.status() == QSettings::AccessError)
        return read;
    // Of several spellings of a name, the first in the store's order counts:
    // the first section that has the key, and its first spelling there.
    for (const QString& group : Spellings(s.childGroups(), Norm(section))) {
        s.beginGroup(group);
        for (const QString& k : s.childKeys()) {
            const QString folded = k.toCaseFolded();
            if (read.values_.contains(folded))
                continue;
            const QVariant v = s.value(k);
            read.values_.insert(folded, v.isValid() ? std::optional<QString>(Held(Text(v))) : std::nullopt);
        }
        s.endGroup();
    }
    return read;
}

core::Status SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value)
{
    const auto failed = [](const QString& why) { return core::Failure{core::kCannotWrite, why}; };
    if (const QString problem = SettingsProblem(); !problem.isEmpty())
        return failed(problem);
#ifndef Q_OS_WIN
    const QString path = IniPath(application);
    if (const core::Status made = MakeFolders(IniFolder()); made.failed())
        return failed(QStringLiteral("%1 could not be written: %2").arg(path, made.failure().text));
    if (const QString why = FileProblem(path); !why.isEmpty())
        return failed(Unusable(path, why));
    if (QtPath(application).isEmpty())
        return failed(QStringLiteral("%1 could not be written: %2").arg(path, SystemReason(errno)));
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
    s.setValue(e.section + QLatin1Char('/') + e.key, Stored(Held(value)));
    s.sync(); // written through a temporary file and renamed: all or nothing
    if (s.status() == QSettings::AccessError)
        return failed(QStringLiteral("%1 could not be written").arg(SettingsLocation(application)));
    return core::Ok();
}

} // namespace services
