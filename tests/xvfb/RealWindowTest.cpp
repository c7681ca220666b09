// The program in a real window: starts the quorvane binary on its own Xvfb
// display, types a barcode text with xdotool, reads the barcode back from a
// screenshot of the window, copies it with the button and reads it back
// from the X clipboard. Every wait polls with a deadline.
#include "services/Settings.h"
#include "tests/support/Decode.h"
#include "tests/xvfb/RealWindow.h"

#include <algorithm>
#include <numeric>

using namespace xvfbtest;

namespace {

// The StartupWMClass of the installed menu entry.
QByteArray StartupWMClass()
{
    QFile entry(QStringLiteral(QUORVANE_DESKTOP_FILE));
    if (!entry.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : entry.readAll().split('\n'))
        if (line.startsWith("StartupWMClass="))
            return line.mid(15).trimmed();
    return {};
}

class RealWindowTest : public RealWindow {
protected:
    void SetUp() override
    {
        if (!Installed({"Xvfb", "xdotool", "xclip", "import", "xprop"}))
            GTEST_SKIP() << "the X tools are not installed";
        StartDisplay(false);
    }

    // The program with Code 39 selected (it starts with the stored choice): its window.
    QString StartWithCode39()
    {
        const QString options = QStringLiteral("options");
        for (const char* key : {"type1", "type4", "type5", "type8", "type9"})
            EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), options, QString::fromLatin1(key), QStringLiteral("False")).ok());
        EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), options, QStringLiteral("type2"), QStringLiteral("True")).ok());
        StartProgram();
        const QString window = WaitForWindow(QStringLiteral("^Quorvane - "));
        EXPECT_FALSE(window.isEmpty()) << "the main window did not appear; " << ProgramState();
        return window;
    }
};

} // namespace

TEST_F(RealWindowTest, TypedCode39_ShowsInTheWindow_AndTheCopyButtonPutsItOnTheClipboard)
{
    const QString window = StartWithCode39();
    ASSERT_FALSE(window.isEmpty()) << "the main window did not appear";
    // The desktop shows the window under its menu entry's icon when the
    // entry's StartupWMClass is the window's class.
    const ToolRun wmClass = Tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_CLASS")});
    EXPECT_TRUE(wmClass.out.endsWith(", \"" + StartupWMClass() + "\"\n")) << wmClass.out.constData();
    Focus(window);

    // Replace the design-time text; every keystroke regenerates.
    const QString typed = QStringLiteral("QV-42");
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+a")});
    Tool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), typed});

    // The picture box's inner area: Frame9 (120, 840) + Picture1 (240, 120).
    // The box's own margin is too narrow a quiet zone for the reader, so the
    // crop gets one.
    const int top = ControlsTop(window);
    ASSERT_GE(top, 0);
    const QRect picture1(At(top, 120 + 240, 840 + 120), QSize(Px(6615), Px(855)));
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
    Click(window, At(top, 120 + 4800 + 2295 / 2.0, 2040 + 120 + 255 / 2.0));

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
    EXPECT_EQ(testsupport::DecodeOne(pasted, ZXing::BarcodeFormat::Code39).text, typed.toStdString())
        << "the barcode read from the clipboard, with the quiet zones it carries";

    // Close the confirmation, then leave through File > Exit.
    Focus(confirmation);
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_TRUE(WaitFor([&] { return FindWindow(QStringLiteral("^Quorvane$")).isEmpty(); }, 10000));
    Keys(window, {QStringLiteral("alt+f"), QStringLiteral("x")});
    EXPECT_TRUE(app_.waitForFinished(10000)) << "E&xit did not end the program";
    EXPECT_EQ(app_.exitCode(), 0);
}

// A symbol wider than the window at its design size is seen whole: the
// window widens for it. What is typed first replaces the design-time text.
TEST_F(RealWindowTest, LongSymbol_IsSeenWhole_AndTypingReplacesTheDesignTimeText)
{
    const QString window = StartWithCode39();
    ASSERT_FALSE(window.isEmpty()) << "the main window did not appear";
    const QSize before = WindowSize(window);
    Focus(window);
    // 40 characters of Code 39: about 700 pixels, wider than the window.
    const QString typed = QStringLiteral("QUORVANE-LONG-SYMBOL-40-CHARACTERS-01234");
    Tool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), typed}, 20000);

    std::string onScreen;
    WaitFor(
        [&] {
            onScreen = testsupport::DecodeOne(Screenshot(window), ZXing::BarcodeFormat::Code39).text;
            return onScreen == typed.toStdString();
        },
        10000);
    EXPECT_EQ(onScreen, typed.toStdString()) << "the whole symbol, read from a screenshot of the window";
    EXPECT_GT(WindowSize(window).width(), before.width());
    Stop(app_);
}

// At every scale factor the screen may have, the symbol on screen is drawn
// with every module on the same whole number of device pixels (at 1.5 the
// picture scaled would make them one and two pixels in turn), it scans,
// and its caption, descenders and all, is never cut off: white stays
// between the caption's lowest pixel and the edge of the picture.
// A screen large enough for the window at twice its size, one display for
// each scale factor (the program is started once on it): the scale factor
// and the device pixels a module takes at it.
class ScaledWindowTest : public RealWindow, public ::testing::WithParamInterface<std::pair<const char*, int>> {
protected:
    void SetUp() override
    {
        if (!Installed({"Xvfb", "xdotool", "import"}))
            GTEST_SKIP() << "the X tools are not installed";
        StartDisplay(false, "2048x1536x24");
    }
};

TEST_P(ScaledWindowTest, ModulesAreWholeEqualDevicePixels_AndCaptionsWhole)
{
    // A 20-point caption: three times the design's, as tall as the bars.
    const char* font = "20";
    const auto [factor, moduleDots] = GetParam();
    const QString options = QStringLiteral("options");
    EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), options, QStringLiteral("check2"), QStringLiteral("1")).ok());
    EXPECT_TRUE(services::SaveSetting(QStringLiteral("Quorvane"), options, QStringLiteral("font"), QLatin1String(font)).ok());
    env_.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(factor));
    StartProgram();
    const QString window = WaitForWindow(QStringLiteral("^Quorvane - "));
    ASSERT_FALSE(window.isEmpty()) << "the main window did not appear; " << ProgramState();
    Focus(window);
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+a")});
    const QString typed = QStringLiteral("QV-0001 jumpy");
    Tool(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), typed});
    testsupport::Decoded d;
    QImage shot;
    WaitFor(
        [&] {
            shot = Screenshot(window);
            d = testsupport::DecodeOne(shot, ZXing::BarcodeFormat::Code128);
            return d.text == typed.toStdString();
        },
        10000);
    ASSERT_EQ(d.text, typed.toStdString());
    // The bars and spaces along the symbol's middle row, from its first bar.
    const QImage grey = shot.convertToFormat(QImage::Format_Grayscale8);
    const uchar* row = grey.constScanLine(d.Middle());
    int x = d.left;
    while (x < grey.width() && row[x] >= 128)
        ++x;
    const int first = x;
    std::vector<int> runs;
    for (int end = x, quiet = 0; x < grey.width() && quiet < 10 * moduleDots; x = end) {
        const bool dark = row[x] < 128;
        while (end < grey.width() && (row[end] < 128) == dark)
            ++end;
        quiet = dark ? 0 : end - x;
        if (quiet < 10 * moduleDots)
            runs.push_back(end - x);
    }
    ASSERT_GT(runs.size(), 40u);
    EXPECT_EQ(*std::min_element(runs.begin(), runs.end()), moduleDots);
    for (int r : runs)
        EXPECT_EQ(r % moduleDots, 0) << "a run of " << r << " device pixels";
    // Down the picture under the first bar: bars, white, the caption,
    // then white again before the picture's edge (a row of one grey).
    const int right = first + std::accumulate(runs.begin(), runs.end(), 0);
    int y = d.Middle(), lastInk = y, white = 0;
    while (y < grey.height() && grey.constScanLine(y)[first] < 128)
        ++y;
    for (; y < grey.height(); ++y) {
        const uchar* r = grey.constScanLine(y);
        const auto [low, high] = std::minmax_element(r + first, r + right);
        if (*low == 255) {
            ++white;
        } else if (*low == *high) {
            break; // the picture's edge
        } else {
            lastInk = y;
            white = 0;
        }
    }
    EXPECT_GT(lastInk, d.Middle()) << "no caption under the bars";
    EXPECT_GE(white, 1) << "the caption runs into the picture's edge at row " << y;
    Stop(app_);
}

INSTANTIATE_TEST_SUITE_P(AtScaleFactors, ScaledWindowTest,
                         ::testing::Values(std::pair{"1", 1}, std::pair{"1.5", 2}, std::pair{"2", 2}),
                         [](const auto& info) { return std::string(info.param.first) == "1.5" ? std::string("OneAndAHalf")
                                                       : std::string("Times") + info.param.first; });
