// The program's name and version as its title, its help and about boxes and
// `--version` show them, and its web address.
#pragma once

#include <QString>

namespace core {

inline const QString kWebAddress = QStringLiteral("https://quorvane.example.org");
inline const QString kHelpAboutTitle = QStringLiteral("Quorvane 4.1");

} // namespace core
