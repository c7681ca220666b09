// The real program on its own Xvfb display, optionally under a window
// manager (openbox), driven with xdotool and looked at with screenshots.
// The fixture starts and stops everything it uses; every wait is for a
// condition on the display (a window mapped, framed, a menu open), polled
// with a deadline.
#pragma once

#include "core/Units.h"
#include "tests/support/TempConfig.h"
#include "tests/support/WaitUntil.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#ifndef QUORVANE_EXE
#error "QUORVANE_EXE names the program under test"
#endif

namespace xvfbtest {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
};

// Runs a helper to its end, or kills it at the deadline.
inline ToolRun Exec(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs = 5000)
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

// Polls until `done` holds or the deadline passes (most conditions here
// run an X tool, so a tenth of a second between looks).
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs) { return testsupport::WaitUntil(done, timeoutMs, 100); }

inline int Px(double twips) { return static_cast<int>(std::lround(core::TwipsToPixels(twips))); }

// Stops a process the fixture started: politely, then for good.
inline void Stop(QProcess& p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(2000);
    }
}

class RealWindow : public ::testing::Test {
protected:
    static bool Installed(std::initializer_list<const char*> tools)
    {
        for (const char* tool : tools)
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                return false;
        return true;
    }

    // Starts Xvfb (it picks a free display and writes its number to stdout)
    // and, when asked, a window manager on it.
    //
    // -noreset: by default an X server starts afresh whenever its last
    // client leaves, and drops the clients that connect meanwhile. Here the
    // last client leaves often (every xdotool, the program between two
    // starts, openbox when it is stopped), and a program started at such a
    // moment died before it had a window; on a busy machine the fresh start
    // takes long enough for that to happen.
    void StartDisplay(bool windowManager, const char* screen = "1024x768x24")
    {
        xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                                             QStringLiteral("-screen"), QStringLiteral("0"), QLatin1String(screen),
                                             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
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
        env_.insert(QStringLiteral("QUORVANE_PDF_DIR"), pdfs_.path());
        env_.insert(QStringLiteral("CUPS_SERVER"), runtime_.filePath(QStringLiteral("no-cupsd.sock"))); // no system printers

        // The first key xdotool presses switches the display's keyboard to
        // its XTEST device, and every client hears that the keyboard map
        // has changed. openbox answers by dropping its key bindings and
        // taking them again; a key pressed meanwhile (alt+F4) reached the
        // window instead, on a busy machine. That first key is pressed here,
        // before any client runs.
        ASSERT_EQ(Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("shift")}).exitCode, 0);

        if (windowManager)
            StartWindowManager();
    }

    // openbox on the display; it owns the window-manager selection once it
    // manages windows.
    void StartWindowManager()
    {
        wm_.setProcessEnvironment(env_);
        wm_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        ASSERT_TRUE(wm_.waitForStarted(5000));
        ToolRun check;
        ASSERT_TRUE(WaitFor(
            [&] {
                check = Tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
                return check.out.contains("window id");
            },
            10000))
            << "openbox did not start: " << check.exitCode << " " << check.out.toStdString() << " "
            << wm_.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        for (QProcess* p : {&app_, &wm_, &xvfb_})
            Stop(*p);
    }

    void StartProgram(const QStringList& args = {})
    {
        app_.setProcessEnvironment(env_);
        app_.start(QStringLiteral(QUORVANE_EXE), args);
        ASSERT_TRUE(app_.waitForStarted(5000));
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

    // The window once it is mapped (under a window manager: framed, as the
    // manager maps only the frames it made), or empty at the deadline or
    // when the program has ended.
    QString WaitForWindow(const QString& namePattern, int timeoutMs = 15000)
    {
        QString window;
        WaitFor([&] { return !(window = FindWindow(namePattern)).isEmpty() || app_.waitForFinished(0); }, timeoutMs);
        if (!window.isEmpty() && wm_.state() == QProcess::Running)
            WaitFor([&] { return Framed(window); }, timeoutMs);
        return window;
    }

    // What became of the program, for a message when its window is missing.
    std::string ProgramState()
    {
        if (app_.state() == QProcess::Running && !app_.waitForFinished(0))
            return "the program runs";
        return "the program ended with " + std::to_string(app_.exitCode()) + (app_.exitStatus() == QProcess::CrashExit ? " (crashed)" : "") +
               ": " + app_.readAllStandardError().toStdString();
    }

    // The window manager has put a frame round the window.
    bool Framed(const QString& window)
    {
        return Tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")}).out.contains("=");
    }

    // A menu of the program is open: Qt maps it as a window of its own.
    bool MenuOpen()
    {
        const ToolRun r = Tool(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(app_.processId())});
        for (const QByteArray& id : r.out.trimmed().split('\n'))
            if (!id.isEmpty() &&
                Tool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::fromLatin1(id), QStringLiteral("_NET_WM_WINDOW_TYPE")})
                    .out.contains("_NET_WM_WINDOW_TYPE_POPUP_MENU"))
                return true;
        return false;
    }

    QImage Screenshot(const QString& window)
    {
        const QString file = shots_.filePath(QStringLiteral("window.png"));
        QFile::remove(file);
        Tool(QStringLiteral("import"), {QStringLiteral("-window"), window, file}, 10000);
        return QImage(file);
    }

    // The size of the window's own area (frame, title bar excluded).
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
        if (wm_.state() == QProcess::Running) // only a window manager activates windows
            Tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        Tool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    }

    // Presses the keys in turn: every key before the last opens a menu
    // (alt+f, then x for its item), and the next is pressed once it is open.
    void Keys(const QString& window, const QStringList& keys)
    {
        Focus(window);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys[i]});
            if (i + 1 < keys.size()) {
                EXPECT_TRUE(WaitFor([&] { return MenuOpen(); }, 10000)) << keys[i].toStdString() << " opened no menu";
            }
        }
    }

    void Click(const QString& window, QPoint at)
    {
        Tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
                                         QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    }

    // Where the main window's controls area begins, below the menu bar: the
    // top edge of the text box (design top 360 twips), found in a column
    // right of the menus' captions. A window not painted yet shows no such
    // edge below the menu bar: it is looked at again until it does.
    int ControlsTop(const QString& window)
    {
        int top = -1;
        WaitFor(
            [&] {
                const QImage shot = Screenshot(window);
                const int x = Px(5000);
                top = -1;
                for (int y = 0; y < shot.height() && x < shot.width(); ++y)
                    if (qGray(shot.pixel(x, y)) < 180) {
                        top = y - Px(360);
                        break;
                    }
                return top >= 0;
            },
            10000);
        return top;
    }

    // A point of the controls area given in design twips.
    QPoint At(int controlsTop, double leftTwips, double topTwips) { return QPoint(Px(leftTwips), controlsTop + Px(topTwips)); }

    testsupport::TempConfig config_;
    QTemporaryDir runtime_;
    QTemporaryDir shots_;
    QTemporaryDir pdfs_;
    QProcess xvfb_;
    QProcess wm_;
    QProcess app_;
    QString display_;
    QProcessEnvironment env_;
};

} // namespace xvfbtest
