// A fresh, empty settings folder for the lifetime of one test.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

namespace testsupport {

class TempConfig {
public:
    TempConfig() : previous_(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit()); }
    ~TempConfig() { qputenv("XDG_CONFIG_HOME", previous_); }
    TempConfig(const TempConfig&) = delete;
    TempConfig& operator=(const TempConfig&) = delete;

    QString path() const { return dir_.path(); }
    QString iniFile(const QString& application = QStringLiteral("quorvane")) const
    {
        return dir_.path() + QStringLiteral("/quorvane/") + application + QStringLiteral(".ini");
    }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

} // namespace testsupport
