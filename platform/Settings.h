// The per-user settings store: (application, section, key) -> text.
// Names are compared without regard to letter case. Nothing is cached:
// every read goes to the store and every write is on disk when it returns.
//
// On Linux each application is an INI file in the user's configuration
// folder ($XDG_CONFIG_HOME, else ~/.config): quorvane/<application>.ini.
// Section and key names are found in whatever case the file spells them,
// and a write replaces the entry in its stored spelling.
// On Windows the entries live in the user's registry hive under
// Software\Quorvane\<application>.
#pragma once

#include <QString>

namespace platform {

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());

// Returns false when the store could not be written; SettingsError() says why.
bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

// The reason of the last failed write, empty after a good one.
QString SettingsError();

// Where the entries of an application are kept (a file path or registry key).
QString SettingsLocation(const QString& application);

// Why the store can't be used at all (no home folder), or empty. Reads
// then give the defaults and writes fail with this reason.
QString SettingsProblem();

} // namespace platform
