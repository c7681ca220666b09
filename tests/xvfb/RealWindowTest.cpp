// The program in a real window: starts the quorvane binary on its own Xvfb
// display, types a barcode text with xdotool, reads the barcode back from a
// screenshot of the window, copies it with the button and reads it back
// from the X clipboard. Every wait polls with a deadline.
#include "platform/Settings.h"
#include "platform/Units.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <cmath>

#ifndef QUORVANE_EXE
#error "QUORVANE_EXE names the program under test"
#endif

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
};

// Runs a helper to its end, or kills it at the deadline.
ToolRun Exec(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs = 5000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForStarted(timeoutMs))
        return r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    return r;
}

// Polls until `done` holds or the deadline passes.
bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (done())
            return true;
        QThread::msleep(100);
    }
    return done();
}

int Px(double twips) { return static_cast<int>(std::lround(platform::TwipsToPixels(twips))); }

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "xdotool", "xclip", "import"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";

        // Xvfb picks a free display itself and writes its number to stdout.
        xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                             QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                             QStringLiteral("tcp")});
        ASSERT_TRUE(xvfb_.waitForStarted(5000));
        QByteArray number;
        ASSERT_TRUE(WaitFor(
            [&] {
                xvfb_.waitForReadyRead(100);
                number += xvfb_.readAllStandardOutput();
                return number.contains('\n');
            },
            10000))
            << "Xvfb did not report its display";
        display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());

        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("DISPLAY"), display_);
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    }

    void TearDown() override
    {
        for (QProcess* p : {&app_, &xvfb_}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(5000)) {
                p->kill();
                p->waitForFinished(2000);
            }
        }
    }

    ToolRun Tool(const QString& program, const QStringList& args, int timeoutMs = 5000)
    {
        return Exec(program, args, env_, timeoutMs);
    }

    // The first mapped window whose name matches, or empty.
    QString FindWindow(const QString& namePattern)
    {
        const ToolRun r = Tool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), namePattern});
        const QList<QByteArray> ids = r.out.trimmed().split('\n');
        return r.exitCode == 0 && !ids.isEmpty() ? QString::fromLatin1(ids.first().trimmed()) : QString();
    }

    QImage Screenshot(const QString& window)
    {
        const QString file = shots_.filePath(QStringLiteral("window.png"));
        QFile::remove(file);
        Tool(QStringLiteral("import"), {QStringLiteral("-window"), window, file}, 10000);
        return QImage(file);
    }

    QSize WindowSize(const QString& window)
    {
        const ToolRun r = Tool(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        QSize size;
        for (const QByteArray& line : r.out.split('\n')) {
            if (line.startsWith("WIDTH="))
                size.setWidth(line.mid(6).toInt());
            if (line.startsWith("HEIGHT="))
                size.setHeight(line.mid(7).toInt());
        }
        return size;
    }

    void Focus(const QString& window)
    {
        Tool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    }

    testsupport::TempConfig config_;
    QTemporaryDir runtime_;
    QTemporaryDir shots_;
    QProcess xvfb_;
    QProcess app_;
    QString display_;
    QProcessEnvironment env_;
};

} // namespace

TEST_F(RealWindowTest, TypedCode39_ShowsInTheWindow_AndTheCopyButtonPutsItOnTheClipboard)
{
    // Code 39 selected: the program starts with the stored choice.
    const QString options = QStringLiteral("options");
    for (const char* key : {"type1", "type4", "type5", "type8", "type9"})
        platform::SaveSetting(QStringLiteral("Quorvane"), options, QString::fromLatin1(key), QStringLiteral("False"));
    platform::SaveSetting(QStringLiteral("Quorvane"), options, QStringLiteral("type2"), QStringLiteral("True"));

    app_.setProcessEnvironment(env_);
    app_.start(QStringLiteral(QUORVANE_EXE), {});
    ASSERT_TRUE(app_.waitForStarted(5000));

    QString window;
    ASSERT_TRUE(WaitFor([&] { return !(window = FindWindow(QStringLiteral("^Quorvane - "))).isEmpty(); }, 15000))
        << "the main window did not appear";
    Focus(window);

    // Replace the design-time text; every keystroke regenerates.
    const QString typed = QStringLiteral("QV-42");
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+a")});
    Tool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), typed});

    // The picture box's inner area: Frame9 (120, 840) + Picture1 (240, 120),
    // below the menu bar, whose height is what the window has beyond its
    // design client height. The box's own margin is too narrow a quiet zone
    // for the reader, so the crop gets one.
    const QSize size = WindowSize(window);
    const int menuBar = size.height() - Px(6465);
    ASSERT_GE(menuBar, 0) << size.height();
    const QRect picture1(Px(120 + 240), menuBar + Px(840 + 120), Px(6615), Px(855));
    std::string onScreen;
    WaitFor(
        [&] {
            const QImage shot = Screenshot(window).copy(picture1);
            onScreen = testsupport::DecodeOne(testsupport::WithQuietZone(shot), ZXing::BarcodeFormat::Code39).text;
            return onScreen == typed.toStdString();
        },
        10000);
    EXPECT_EQ(onScreen, typed.toStdString()) << "the barcode read from a screenshot of the window";

    // "Copy Bar Code to Clipboard": Frame8 (120, 2040) + Command9 (4800, 120, 2295 x 255).
    const int x = Px(120 + 4800 + 2295 / 2.0), y = menuBar + Px(2040 + 120 + 255 / 2.0);
    Tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
                                     QString::number(y), QStringLiteral("click"), QStringLiteral("1")});

    QString confirmation;
    ASSERT_TRUE(WaitFor([&] { return !(confirmation = FindWindow(QStringLiteral("^Quorvane$"))).isEmpty(); }, 10000))
        << "no confirmation box after the copy";

    const ToolRun targets = Tool(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                                       QStringLiteral("-t"), QStringLiteral("TARGETS"), QStringLiteral("-o")});
    EXPECT_TRUE(targets.out.contains("image/png")) << targets.out.constData();
    EXPECT_TRUE(targets.out.contains("image/bmp")) << targets.out.constData();
    EXPECT_FALSE(targets.out.contains("text/plain") || targets.out.contains("UTF8_STRING")) << targets.out.constData();

    const ToolRun png = Tool(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                                   QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-o")});
    ASSERT_EQ(png.exitCode, 0);
    const QImage pasted = QImage::fromData(png.out, "PNG");
    ASSERT_FALSE(pasted.isNull());
    EXPECT_EQ(testsupport::DecodeOne(testsupport::WithQuietZone(pasted), ZXing::BarcodeFormat::Code39).text,
              typed.toStdString())
        << "the barcode read from the clipboard";

    // Close the confirmation, then leave through File > Exit.
    Focus(confirmation);
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_TRUE(WaitFor([&] { return FindWindow(QStringLiteral("^Quorvane$")).isEmpty(); }, 10000));
    Focus(window);
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+f")});
    WaitFor([] { return false; }, 300); // the menu opens
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("x")});
    EXPECT_TRUE(app_.waitForFinished(10000)) << "E&xit did not end the program";
    EXPECT_EQ(app_.exitCode(), 0);
}
