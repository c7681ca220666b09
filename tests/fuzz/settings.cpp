// The settings store reading an arbitrary file: whatever is on disk, reads
// give text, start-up conversions never fail, and a write still works.
#include "services/Settings.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/quorvane";
    QDir().mkpath(dir);
    QFile f(dir + "/quorvane.ini");
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    f.close();
    for (const char* key : {"show", "type1", "line", "file", "text8", "check1", "c1opt", "text9"})
        (void)services::GetSetting("Quorvane", "options", key, "default");
    static_cast<void>(services::SaveSetting("Quorvane", "options", "text9", "500"));
    // ... unless the store is one that is never used (over 10000 lines).
    if (services::SettingsFileProblem("Quorvane").isEmpty() &&
        services::GetSetting("Quorvane", "options", "text9") != QLatin1String("500"))
        __builtin_trap(); // a write after a damaged file must still be read back
    return 0;
}
