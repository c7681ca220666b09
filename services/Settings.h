// The per-user settings store: (application, section, key) -> text.
// Names are compared without regard to letter case. Nothing is cached:
// every read goes to the store (a SettingsSection is one read, kept by its
// caller) and every write is on disk when it returns.
//
// On Linux each application is an INI file in the user's configuration
// folder ($XDG_CONFIG_HOME, else ~/.config): quorvane/<application>.ini.
// Section and key names are found in whatever case the file spells them,
// and a write replaces the entry in its stored spelling.
//
// The file is used only when it is safe and small: a regular file of the
// user's (or a link the user made to one, in a folder nobody else can
// write to) of at most kMaxSettingsBytes and kMaxSettingsLines. Anything else - a link to a
// device, a dangling link, a link made by another user, a FIFO, a folder,
// a larger file - is never opened for reading (a FIFO would block) and
// never written or replaced: reads give the defaults and writes fail with
// the reason. Values are held to kMaxSettingValue characters.
// On Windows the entries live in the user's registry hive under
// Software\Quorvane\<application>.
#pragma once

#include "core/Result.h"

#include <QHash>
#include <QString>

#include <optional>

namespace services {

// The largest settings file read.
inline constexpr qint64 kMaxSettingsBytes = 1024 * 1024;
// ... and of at most this many lines (the program writes a few dozen).
inline constexpr int kMaxSettingsLines = 10000;
// The longest value kept: what a text box takes.
inline constexpr qsizetype kMaxSettingValue = 32767;

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());

// One section of an application's entries as they were when read: one read
// of the store for many keys, each answered as GetSetting answers it.
class SettingsSection {
public:
    QString Get(const QString& key, const QString& defaultValue = QString()) const;

private:
    friend SettingsSection ReadSettingsSection(const QString& application, const QString& section);
    // By case-folded key; an entry whose value can't be read is held empty
    // and reads as the default, as GetSetting reads it.
    QHash<QString, std::optional<QString>> values_;
};

SettingsSection ReadSettingsSection(const QString& application, const QString& section);

// Why the store could not be written, when it could not.
core::Status SaveSetting(const QString& application, const QString& section, const QString& key,
                         const QString& value);

// Where the entries of an application are kept (a file path or registry key).
QString SettingsLocation(const QString& application);

// Why the store can't be used at all (no home folder), or empty. Reads
// then give the defaults and writes fail with this reason.
QString SettingsProblem();

// Why the entries of an application are read as the defaults although
// the store can be found (the file is not one that may be used, see
// above), or empty. Writes then fail with this reason too.
QString SettingsFileProblem(const QString& application);

} // namespace services
