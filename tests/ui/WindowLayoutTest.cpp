#include "graphics/PictureBox.h"
#include "ui/WindowLayout.h"

#include "core/Units.h"
#include "services/Messages.h"
#include "services/Settings.h"
#include "tests/support/PrintTo.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/DesignFrame.h"
#include "ui/FileChooser.h"
#include "ui/Form1.h"

#include <QTextBrowser>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QAbstractButton>
#include <QMenuBar>
#include <gtest/gtest.h>
#include <cmath>

using ui::Form1;

namespace {

int Px(double twips) { return static_cast<int>(std::lround(core::TwipsToPixels(twips))); }
double Tw(int px) { return core::PixelsToTwips(px); }

QString StoredShow() { return services::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("show")); }

struct WindowLayoutTest : ::testing::Test {
    testsupport::TempConfig config;
    services::RecordingSink sink;

    static void Show(Form1& form)
    {
        form.show();
        QCoreApplication::processEvents();
    }
    // Resizes the window to a client width of `px` pixels. The rules count
    // the design's borders on top of it, never the window manager's.
    static void SetClientWidth(Form1& form, int px)
    {
        form.resize(px, form.height());
        QCoreApplication::processEvents();
    }
    static double OuterWidthTwips(const Form1& form) { return Tw(form.width()) + ui::kDesignBordersWidthTwips; }
    static int ControlsHeight(const Form1& form) { return form.centralWidget()->height(); }
};

// The widths the resize rules set, in pixels, plus what must stay put.
struct Snapshot {
    int frame9, options, printer, combo, linePattern;
    std::vector<QRect> fixed; // geometry with the width taken out
    explicit Snapshot(const Form1& f)
        : frame9(testsupport::Find<QFrame>(f, "Frame9")->width()), options(testsupport::Find<QGroupBox>(f, "FrameOptions")->width()), printer(testsupport::Find<QGroupBox>(f, "FramePrinter")->width()),
          combo(testsupport::Combo(f, "Combo1")->width()), linePattern(testsupport::Find<QGroupBox>(f, "FrameLinePattern")->width())
    {
        for (const QWidget* w : std::initializer_list<const QWidget*>{testsupport::Find<QFrame>(f, "Frame9"), testsupport::Find<QGroupBox>(f, "FrameOptions"), testsupport::Find<QGroupBox>(f, "FramePrinter"), testsupport::Combo(f, "Combo1"),
                                                                     testsupport::Find<QGroupBox>(f, "FrameLinePattern"), testsupport::Line(f, "Text1"), testsupport::Find<QFrame>(f, "Frame8")})
            fixed.push_back(QRect(w->x(), w->y(), 0, w->height()));
    }
};

} // namespace

TEST_F(WindowLayoutTest, OpensAtItsDesignSize_WithItsTitle)
{
    Form1 form{testsupport::Quietly(&sink)};
    form.Form_Load();
    Show(form);
    // 6465 as designed, and 1080 more: the type frame's row is 360 taller
    // (the More box has a line of its own) and the printed size has a row.
    EXPECT_EQ(form.centralWidget()->size(), QSize(Px(7425), Px(7545)));
    EXPECT_TRUE(form.windowTitle().startsWith(QStringLiteral("Quorvane - ")));
}

TEST_F(WindowLayoutTest, Widening_GrowsTheFramesByTheSameAmount_AndSetsThePictureWidths)
{
    Form1 form{testsupport::Quietly(&sink)};
    form.Form_Load();
    Show(form);
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("AB")); // Generate gives Picture1 a width of its own
    const Snapshot before(form);
    const int width = form.width();

    const int grow = Px(1000);
    SetClientWidth(form, width + grow);
    ASSERT_EQ(form.width(), width + grow);

    const Snapshot after(form);
    EXPECT_EQ(after.frame9, before.frame9 + grow);
    EXPECT_EQ(after.options, before.options + grow);
    EXPECT_EQ(after.printer, before.printer + grow);
    EXPECT_EQ(after.combo, before.combo + grow);
    EXPECT_EQ(after.linePattern, before.linePattern + grow);
    EXPECT_EQ(after.fixed, before.fixed) << "nothing moves and no height changes";

    EXPECT_EQ(testsupport::Find<QFrame>(form, "Frame9")->width(), Px(OuterWidthTwips(form) - 350));
    const double pictureWidth = core::PixelsToTwips(std::round(core::TwipsToPixels(Tw(testsupport::Find<QFrame>(form, "Frame9")->width()) - 200)));
    for (const graphics::PictureBox* box : {&form.Box("Picture1"), &form.Box("Picture2"), &form.Box("Picture5")})
        EXPECT_DOUBLE_EQ(box->Width(), pictureWidth);
}

TEST_F(WindowLayoutTest, Narrowing_SkipsNegativeWidths_WithoutAnError)
{
    Form1 form{testsupport::Quietly(&sink)};
    form.Form_Load();
    Show(form);
    const Snapshot before(form);

    // 296 px = 4440 twips, 4500 with the borders: the printer frame's rule
    // (W - 5160 - 400) goes below zero and is skipped; the others still run.
    SetClientWidth(form, 296);
    ASSERT_EQ(OuterWidthTwips(form), 4500);
    EXPECT_EQ(testsupport::Find<QGroupBox>(form, "FramePrinter")->width(), before.printer);
    EXPECT_EQ(testsupport::Find<QFrame>(form, "Frame9")->width(), Px(4500 - 350));
    EXPECT_EQ(testsupport::Find<QGroupBox>(form, "FrameLinePattern")->width(), Px(4500 - 120 - 400));

    // Below 350 twips every frame rule fails; the pictures follow Frame9's kept width.
    const int frame9 = testsupport::Find<QFrame>(form, "Frame9")->width();
    SetClientWidth(form, 16);
    ASSERT_LT(OuterWidthTwips(form), 350);
    EXPECT_EQ(testsupport::Find<QFrame>(form, "Frame9")->width(), frame9);
    EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(WindowLayoutTest, SettingsSwitch_HidesAndShows_AndIsRestoredAtTheNextStart)
{
    // The caption is the state; the options area and the outer height follow it.
    auto expectState = [](const Form1& form, bool shown) {
        EXPECT_EQ(testsupport::Action(form, "Settings")->text(), shown ? QStringLiteral("&Hide Settings") : QStringLiteral("&Show Settings"));
        EXPECT_EQ(testsupport::Find<QGroupBox>(form, "FrameOptions")->isVisible(), shown);
    };
    auto toggle = [](Form1& form) {
        testsupport::Action(form, "Settings")->trigger();
        QCoreApplication::processEvents();
    };
    {
        Form1 form{testsupport::Quietly(&sink)};
        form.Form_Load();
        Show(form);
        expectState(form, true);
        toggle(form);
        expectState(form, false);
        // 3400 outer, less the design's title bar, borders and menu bar: the
        // controls' area ends where the settings begin.
        EXPECT_EQ(ControlsHeight(form), Px(2640));
        EXPECT_EQ(StoredShow(), QStringLiteral("0"));
    }
    Form1 restarted{testsupport::Quietly(&sink)};
    restarted.Form_Load();
    Show(restarted);
    expectState(restarted, false);
    EXPECT_EQ(ControlsHeight(restarted), Px(2640));

    toggle(restarted);
    expectState(restarted, true);
    // Shown again, every setting fits: the whole design height (5850 outer would cut some off).
    EXPECT_EQ(ControlsHeight(restarted), Px(7545));
    EXPECT_EQ(StoredShow(), QStringLiteral("1"));
}

TEST_F(WindowLayoutTest, BothHelpItems_ShowTheSixLineHelp_TitledWithTheVersion)
{
    Form1 form{testsupport::Quietly(&sink)};
    testsupport::Action(form, "Help1")->trigger();
    testsupport::Action(form, "Help2")->trigger();
    ASSERT_EQ(sink.texts.size(), 2);
    EXPECT_EQ(sink.texts[0], sink.texts[1]);
    EXPECT_EQ(sink.titles, (QStringList{QStringLiteral("Quorvane 4.1"), QStringLiteral("Quorvane 4.1")}));

    const QString help = sink.texts[0];
    EXPECT_EQ(help, ui::HelpText());
    EXPECT_EQ(help.count(QStringLiteral("\r\n")), 6);
    EXPECT_TRUE(help.endsWith(QStringLiteral("\r\n")));
    EXPECT_TRUE(help.startsWith(QStringLiteral("Stavelon 2.1 Prints bar code found in specified text files. \r\n")));
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_TRUE(help.endsWith(QStringLiteral("For Example \"") + exe + QStringLiteral(" c:\\files\\order1.txt\"\r\n")))
        << help.toStdString();
}

// Help > Manual shows the user's guide beside the six-line Help, which stays.
TEST_F(WindowLayoutTest, Manual_ShowsTheUsersGuide)
{
    Form1 form{testsupport::Quietly(&sink)};
    testsupport::Action(form, "Manual")->trigger();
    testsupport::Action(form, "Manual")->trigger(); // shown again, not twice
    const QList<QTextBrowser*> shown = form.findChildren<QTextBrowser*>(QStringLiteral("Manual"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0]->window()->isVisible());
    const QString text = shown[0]->toPlainText();
    for (const char* part : {"Printing", "quorvane print-range", "More symbologies", "The barcodes on screen"})
        EXPECT_TRUE(text.contains(QLatin1String(part))) << part;
    EXPECT_FALSE(text.contains(QLatin1String("Adding a symbology"))) << "the developers' part is not the user's";
    EXPECT_TRUE(sink.texts.isEmpty());
}

// Tab goes through the window as it is laid out: frame by frame, and
// top-down, left to right within each.
TEST_F(WindowLayoutTest, TabOrder_FollowsTheWindowTopDownAndLeftToRight)
{
    Form1 form{testsupport::Quietly(&sink)};
    form.Form_Load();
    QStringList chain;
    QWidget* w = testsupport::Line(form, "Text1");
    do {
        // A spin box's field is named by its box.
        const QString name = w->objectName().isEmpty() && w->parentWidget() ? w->parentWidget()->objectName() : w->objectName();
        if ((w->focusPolicy() & Qt::TabFocus) && !name.isEmpty() && w->isVisibleTo(&form) && !chain.contains(name))
            chain << name;
        w = w->nextInFocusChain();
    } while (w != testsupport::Line(form, "Text1"));
    const QStringList inOrder[] = {
        {"Text1", "DrawingArea", "Command1", "Command2", "Command3", "Command4", "Command9"},
        {"Option2", "Option1", "Option8", "Option9", "Option5", "Option4", "ComboMore", "Check2", "Combo1"},
        {"Text4", "Check1", "Text5", "Command5", "Text8", "Text3", "Text9"},
        {"ComboSizeKind", "TextPrintSize", "ComboSizeUnit", "SpinCopies"},
        {"Text21", "Text22", "Command8", "Text14", "Text15", "ComboLayout", "SpinStart", "CheckRepeat", "CommandPreview"},
    };
    for (const QStringList& run : inOrder) {
        const qsizetype first = chain.indexOf(run.front());
        ASSERT_GE(first, 0) << run.front().toStdString() << " in " << chain.join(' ').toStdString();
        EXPECT_EQ(chain.mid(first, run.size()), run) << chain.join(' ').toStdString();
    }
}

TEST_F(WindowLayoutTest, About_FirstLineIsTheVersion)
{
    Form1 form{testsupport::Quietly(&sink)};
    testsupport::Action(form, "About")->trigger();
    ASSERT_EQ(sink.texts.size(), 1);
    EXPECT_EQ(sink.titles[0], QStringLiteral("Quorvane 4.1"));
    EXPECT_EQ(sink.texts[0].section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("Quorvane 4.1 "));
}

TEST_F(WindowLayoutTest, EditMenuBarCode_GeneratesLikeTheButton)
{
    Form1 form{testsupport::Quietly(&sink)};
    form.Form_Load();
    testsupport::Radio(form, "Option2")->setChecked(true);
    const QSignalBlocker quiet(testsupport::Line(form, "Text1"));
    testsupport::Line(form, "Text1")->setText(QStringLiteral("MENU"));
    testsupport::Action(form, "BarCodeTemp")->trigger();
    EXPECT_TRUE(form.Box("Picture2").Picture().has_value());
}

TEST_F(WindowLayoutTest, EveryCaptionFitsItsControl_AndEveryControlItsFrame)
{
    Form1 form{testsupport::Quietly(&sink)};
    Show(form);
    const QFont designFont = form.font();
    for (QWidget* w : form.centralWidget()->findChildren<QWidget*>()) {
        EXPECT_LE(ui::CaptionWidth(w), w->width()) << w->metaObject()->className() << " "
                                                     << w->property("text").toString().toStdString();
        if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLabel*>(w))
            continue;
        // Whole inside its frame, and in the window's font: a button set
        // smaller or cut by its frame reads as something else.
        if (qobject_cast<QGroupBox*>(w->parentWidget())) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << w->objectName().toStdString();
        }
        const QStringList small{"PrinterPage", "ScanStatus", "LabelPrintDots"}; // notes, set smaller on purpose
        if (!w->objectName().isEmpty() && !small.contains(w->objectName())) {
            EXPECT_EQ(w->font().pointSizeF(), designFont.pointSizeF()) << w->objectName().toStdString();
        }
    }
    // The More box shows each name whole when it is picked.
    QComboBox* more = testsupport::Combo(form, "ComboMore");
    for (int i = 0; i < more->count(); ++i)
        EXPECT_LE(more->fontMetrics().horizontalAdvance(more->itemText(i)) + 30, more->width()) << more->itemText(i).toStdString();
}

TEST_F(WindowLayoutTest, ClosingTheMainWindow_ClosesTheChooser)
{
    Form1 form{testsupport::Quietly(&sink)};
    form.Form_Load();
    Show(form);
    form.FileOpen_Click();
    ASSERT_TRUE(form.OpenChooser() && form.OpenChooser()->isVisible());
    form.close();
    EXPECT_FALSE(form.OpenChooser() && form.OpenChooser()->isVisible());
}
