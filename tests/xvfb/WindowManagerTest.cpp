// The program as a user meets it under a real window manager (openbox):
// window sizes that do not depend on the frame the manager adds, and long
// runs that Stop and Exit end.
#include "services/Settings.h"
#include "tests/support/Files.h"
#include "tests/xvfb/RealWindow.h"

#include <QDir>

using namespace xvfbtest;

namespace {

void Store(const char* key, const QString& value)
{
    EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QString::fromLatin1(key), value).ok());
}

// Code 39, a marker for code lines, and the stored settings switch.
void StoreOptions(bool settingsShown)
{
    for (const char* key : {"type1", "type4", "type5", "type8", "type9"})
        Store(key, QStringLiteral("False"));
    Store("type2", QStringLiteral("True"));
    Store("line", QStringLiteral("*"));
    Store("show", settingsShown ? QStringLiteral("1") : QStringLiteral("0"));
}

// Rows at the bottom of a window that hold nothing but its background.
int BlankRowsAtTheBottom(const QImage& shot)
{
    const int background = qGray(shot.pixel(shot.width() - 1, shot.height() - 1));
    for (int y = shot.height() - 1; y >= 0; --y)
        for (int x = 0; x < shot.width(); ++x)
            if (std::abs(qGray(shot.pixel(x, y)) - background) > 8)
                return shot.height() - 1 - y;
    return shot.height();
}

class WindowManagerTest : public RealWindow {
protected:
    void SetUp() override
    {
        if (!Installed({"Xvfb", "openbox", "xdotool", "import", "xprop"}))
            GTEST_SKIP() << "Xvfb, openbox or the X tools are not installed";
    }

    int PdfCount() const { return static_cast<int>(QDir(pdfs_.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files).size()); }
    qint64 JobInProgressBytes() const { return testsupport::JobInProgressBytes(pdfs_.path()); }

    QString StartMainWindow(bool settingsShown)
    {
        StoreOptions(settingsShown);
        StartProgram();
        const QString window = WaitForWindow(QStringLiteral("^Quorvane - "));
        EXPECT_FALSE(window.isEmpty()) << "the main window did not appear; " << ProgramState();
        return window;
    }

    struct Sizes {
        QSize atStart, toggled, chooser;
        int chooserBlankRows = 0;
    };

    // Starts the program, toggles the settings once and opens the chooser.
    Sizes Measure(bool settingsShown)
    {
        Sizes s;
        const QString window = StartMainWindow(settingsShown);
        s.atStart = WindowSize(window);
        Keys(window, {QStringLiteral("alt+o"), settingsShown ? QStringLiteral("h") : QStringLiteral("s")});
        WaitFor([&] { return WindowSize(window) != s.atStart; }, 5000);
        s.toggled = WindowSize(window);
        Keys(window, {QStringLiteral("alt+f"), QStringLiteral("Return")}); // "File Open"
        const QString chooser = WaitForWindow(QStringLiteral("^File$"), 10000);
        EXPECT_FALSE(chooser.isEmpty()) << "the chooser did not open";
        s.chooser = WindowSize(chooser);
        s.chooserBlankRows = BlankRowsAtTheBottom(Screenshot(chooser));
        Stop(app_);
        return s;
    }
};

} // namespace

TEST_F(WindowManagerTest, Sizes_AtStartAndAfterToggling_AreTheSameWithAndWithoutAWindowManager)
{
    StartDisplay(true);
    const Sizes managed[] = {Measure(true), Measure(false)};
    Stop(wm_);
    const Sizes bare[] = {Measure(true), Measure(false)};

    for (const Sizes* run : {bare, managed}) {
        const Sizes& shown = run[0];
        const Sizes& hidden = run[1];
        const char* where = run == bare ? "without a window manager" : "under openbox";
        EXPECT_EQ(shown.atStart.width(), Px(7425)) << where;
        // Hiding takes away the settings area and no more: the controls above
        // it end at 2640 twips instead of 7545 (the design's 6465, with the
        // taller type row and the printed size's row).
        EXPECT_EQ(shown.atStart.height() - hidden.atStart.height(), Px(7545) - Px(2640)) << where;
        EXPECT_EQ(shown.toggled, hidden.atStart) << where << ": hiding gives the size of a hidden start";
        EXPECT_EQ(hidden.toggled, shown.atStart) << where << ": showing gives the size of a shown start";
        for (const Sizes* s : {&shown, &hidden}) {
            // Half as wide again and twice as tall as the design: its lists show more.
            EXPECT_EQ(s->chooser, QSize(Px(4560) * 3 / 2, Px(2760) * 2)) << where;
            // The buttons end 25 twips above the bottom, as designed: no band under them.
            EXPECT_LE(s->chooserBlankRows, 4) << where;
        }
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(managed[i].atStart, bare[i].atStart) << "the frame does not change the window's own size";
        EXPECT_EQ(managed[i].toggled, bare[i].toggled);
        EXPECT_EQ(managed[i].chooser, bare[i].chooser);
    }
}

TEST_F(WindowManagerTest, ClosingOrExitDuringRunIt_EndsTheProgram_AndThePdfsStopComing)
{
    StartDisplay(true);
    const std::pair<const char*, QStringList> ways[] = {
        {"closing the window", {QStringLiteral("alt+F4")}},
        {"File > E&xit", {QStringLiteral("alt+f"), QStringLiteral("x")}},
    };
    for (const auto& [way, keys] : ways) {
        QDir(pdfs_.path()).removeRecursively();
        QDir().mkpath(pdfs_.path());
        const QString window = StartMainWindow(true);
        const int top = ControlsTop(window);
        ASSERT_GE(top, 0);
        // "Run It": FrameOptions (120, 2640) + its frame (120, 3840) + the button (2280, 240, 1095 x 255).
        Click(window, At(top, 120 + 120 + 2280 + 1095 / 2.0, 2640 + 3840 + 240 + 255 / 2.0));
        ASSERT_TRUE(WaitFor([&] { return PdfCount() >= 1; }, 20000)) << way << ": no label was printed";

        const int atExit = PdfCount();
        Keys(window, keys);
        EXPECT_TRUE(app_.waitForFinished(10000)) << way << ": the run went on";
        // The label in progress is finished; none after it. The program has
        // ended, so no PDF comes later, and none is left half-written.
        EXPECT_LE(PdfCount(), atExit + 1) << way;
        EXPECT_EQ(JobInProgressBytes(), -1) << way << ": a job's temporary file was left";
        Stop(app_);
    }
}

TEST_F(WindowManagerTest, StopDuringPrintFile_LeavesNoJob_AndThePrintButtonsComeBack)
{
    StartDisplay(true);
    QByteArray big;
    for (int i = 0; i < 300000; ++i)
        big += "*L" + QByteArray::number(i) + "\r\n";
    const QString bigFile = runtime_.filePath(QStringLiteral("big.txt"));
    const QString smallFile = runtime_.filePath(QStringLiteral("small.txt"));
    for (const auto& [path, bytes] : {std::pair{bigFile, big}, std::pair{smallFile, QByteArray("*S1\r\n")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Store("file", bigFile);
    const QString window = StartMainWindow(true);
    const int top = ControlsTop(window);
    ASSERT_GE(top, 0);
    // "Print File": Frame8 (120, 2040) + the button (3600, 120, 1095 x 255).
    const QPoint printFile = At(top, 120 + 3600 + 1095 / 2.0, 2040 + 120 + 255 / 2.0);
    Click(window, printFile);
    // Stopped while it prints lines: the job's temporary file holds pages.
    ASSERT_TRUE(WaitFor([&] { return JobInProgressBytes() > 0; }, 20000)) << "Print File did not start printing";

    Keys(window, {QStringLiteral("Escape")}); // the Stop button's key
    // Dropped: its temporary file goes, and no PDF comes of it.
    EXPECT_TRUE(WaitFor([&] { return JobInProgressBytes() < 0; }, 10000)) << "the stop did not end the job";
    EXPECT_EQ(PdfCount(), 0) << "the stopped job was dropped";

    // The buttons are back: the small file prints at once.
    // "File Path" text box: FrameOptions (120, 2640) + its frame (120, 2400) + the box (120, 240, 2295 x 285).
    Click(window, At(top, 120 + 120 + 120 + 2295 / 2.0, 2640 + 2400 + 240 + 285 / 2.0));
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+a")});
    Tool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), smallFile});
    Click(window, printFile);
    EXPECT_TRUE(WaitFor([&] { return PdfCount() == 1; }, 20000)) << "Print File did not come back after Stop";
    EXPECT_EQ(app_.state(), QProcess::Running);
}
