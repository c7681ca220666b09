// Test programs start a headless Qt application with a fixed locale (the
// decimal point is "."), send messages to stderr, and point the settings store at a fresh folder so
// no test touches the user's settings.
#include "platform/MessageBox.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    // A test never waits on a dialog: messages a test does not capture go
    // to stderr.
    platform::StderrSink messages;
    platform::SetMessageSink(&messages);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
