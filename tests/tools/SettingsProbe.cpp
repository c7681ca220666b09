// A second process for settings tests:
//   settings_probe get APP SECTION KEY       prints the stored value as the system's bytes
//   settings_probe set-and-die APP SECTION KEY VALUE
//                                            stores the value, then is killed
#include "core/TextCodec.h"
#include "services/Settings.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() >= 5 && a[1] == QLatin1String("get")) {
        const QByteArray value = core::ToLocalBytes(services::GetSetting(a[2], a[3], a[4], QStringLiteral("<absent>")));
        std::fwrite(value.constData(), 1, static_cast<size_t>(value.size()), stdout);
        return 0;
    }
    if (a.size() >= 6 && a[1] == QLatin1String("set-and-die")) {
        static_cast<void>(services::SaveSetting(a[2], a[3], a[4], a[5]));
        std::raise(SIGKILL); // no clean shutdown: what was written must already be on disk
    }
    return 2;
}
