// The window does what its controls say at once: picking a symbology or an
// option that changes the drawing redraws it, the menus carry their
// shortcuts, Enter draws, Esc closes the chooser, and a run leaves the
// text and the status as the user expects.
#include "symbols/SymbologyTable.h"
#include "tests/support/PrintingWindow.h"
#include "tests/support/Window.h"
#include "ui/FileChooser.h"
#include "ui/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QKeyEvent>

namespace {

struct WindowKeysAndRedrawTest : testsupport::PrintingTest {
    testsupport::SteppingClock clock{0.25};
    ui::Form1 form{testsupport::PrintingWindow(*this, &clock)};
    void SetUp() override { form.Form_Load(); }
    // What the result holder shows: the drawing Print and Copy take.
    QString Shown() const
    {
        QStringList ops;
        for (const graphics::DrawOp& op : form.BarcodeToPrint().Ops())
            ops << QStringLiteral("%1,%2,%3,%4").arg(int(op.kind)).arg(op.box.x()).arg(op.box.width()).arg(op.text ? op.text->pixelSize : 0);
        return ops.join(QLatin1Char(' '));
    }
};

} // namespace

TEST_F(WindowKeysAndRedrawTest, EveryOptionThatChangesTheDrawing_RedrawsAtOnce)
{
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV-1"));
    struct Step {
        const char* what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"Code 39 picked", [&] { testsupport::Radio(form, "Option2")->setChecked(true); }},
        {"Code 128-1 picked", [&] { testsupport::Radio(form, "Option4")->setChecked(true); }},
        {"the text below the bars", [&] { testsupport::CheckBox(form, "Check2")->setChecked(!testsupport::CheckBox(form, "Check2")->isChecked()); }},
        {"the width", [&] { testsupport::Line(form, "Text9")->setText(QStringLiteral("1600")); }},
        {"Code 128 B picked", [&] { testsupport::Radio(form, "Option1")->setChecked(true); }},
        {"the font size", [&] { testsupport::Line(form, "Text3")->setText(QStringLiteral("14")); }},
    };
    for (const Step& s : steps) {
        const QString before = Shown();
        s.change();
        EXPECT_NE(Shown(), before) << s.what;
        EXPECT_EQ(form.BarcodeToPrint().Ops().size(), symbols::GenerateSymbol(form.ReadRequest()).drawing.Ops().size()) << s.what;
    }
}

TEST_F(WindowKeysAndRedrawTest, MenusShowTheirShortcuts_EnterDraws_EscClosesTheChooser)
{
    const std::pair<QAction*, QKeySequence> keys[] = {
        {testsupport::Action(form, "PrintTemp"), QKeySequence(QStringLiteral("Ctrl+P"))},
        {testsupport::Action(form, "SaveAs"), QKeySequence(QStringLiteral("Ctrl+Shift+S"))},
        {testsupport::Action(form, "Exit"), QKeySequence(QStringLiteral("Ctrl+Q"))},
        {testsupport::Action(form, "Help2"), QKeySequence(QStringLiteral("F1"))},
    };
    for (const auto& [action, key] : keys)
        EXPECT_EQ(action->shortcut(), key) << action->text().toStdString();

    {
        const QSignalBlocker typedUnseen(testsupport::Line(form, "Text1")); // no redraw on the change
        testsupport::Line(form, "Text1")->setText(QStringLiteral("ENTER"));
    }
    ASSERT_FALSE(form.Box("Picture2").Picture().has_value());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(testsupport::Line(form, "Text1"), &enter);
    EXPECT_TRUE(form.Box("Picture2").Picture().has_value()) << "Enter in the text box runs Bar Code";

    form.FileOpen_Click();
    ASSERT_TRUE(form.OpenChooser());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.OpenChooser()->Text2, &esc); // from the path box, which leaves Esc to its window
    QApplication::processEvents();
    EXPECT_TRUE(!form.OpenChooser() || !form.OpenChooser()->isVisible());
}

TEST_F(WindowKeysAndRedrawTest, Runs_PutBackTheTypedText_AndSayHowTheyEnded)
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("codes.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("A1\r\nB2\r\n");
    f.close();
    testsupport::Line(form, "Text1")->setText(QStringLiteral("typed by hand"));
    testsupport::Line(form, "Text5")->setText(f.fileName());
    form.Command4_Click();
    EXPECT_EQ(testsupport::Line(form, "Text1")->text(), QStringLiteral("typed by hand"));

    testsupport::Line(form, "Text1")->setText(QStringLiteral("L-"));
    testsupport::Line(form, "Text21")->setText(QStringLiteral("1"));
    testsupport::Line(form, "Text22")->setText(QStringLiteral("4"));
    form.Command8_Click();
    EXPECT_EQ(testsupport::Label(form, "Progress")->text(), QStringLiteral("Printed 3 labels"));
    EXPECT_EQ(testsupport::Line(form, "Text1")->text(), QStringLiteral("L-"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
}

// A caption is never cut off: every symbology at the design's font size
// and at 20 and 40 points, with descenders, holds everything it draws
// within its drawing (what the screen and the clipboard show), and the
// window's drawing frame grows for it and gives the room back.
TEST_F(WindowKeysAndRedrawTest, CaptionsAndDescenders_AreNeverCutOff_AndTheWindowShrinksBack)
{
    for (const symbols::SymbologyRow& row : symbols::Symbologies())
        for (const char* font : {"8", "20", "40"}) {
            SCOPED_TRACE(std::string(row.name) + " at " + font);
            const QString text = row.symbology == symbols::Symbology::UpcA ? QStringLiteral("03600029145")
                                 : row.sizeBoxesSwapped                ? QStringLiteral("400638133393")
                                 : row.symbology == symbols::Symbology::Code25 ? QStringLiteral("123456")
                                                                           : QStringLiteral("jumpy gqpy");
            const QString f = QLatin1String(font);
            const symbols::Symbol s = symbols::GenerateSymbol(
                symbols::ReadSizeFields(row.symbology, text, row.sizeBoxesSwapped ? f : QStringLiteral("1.4"),
                                    row.sizeBoxesSwapped ? QStringLiteral("40") : f, QStringLiteral("500"), true));
            if (s.drawing.IsEmpty())
                continue; // a text the symbology refuses
            EXPECT_TRUE(QRect(QPoint(), s.drawing.size).contains(s.drawing.Bounds()))
                << s.drawing.Bounds().x() << "," << s.drawing.Bounds().y() << " " << s.drawing.Bounds().width() << "x" << s.drawing.Bounds().height() << " in " << s.drawing.size.width() << "x" << s.drawing.size.height();
        }

    form.show();
    QApplication::processEvents();
    const QSize design = form.size();
    testsupport::Radio(form, "Option1")->setChecked(true);
    testsupport::CheckBox(form, "Check2")->setChecked(true);
    testsupport::Line(form, "Text3")->setText(QStringLiteral("40"));
    QApplication::processEvents();
    testsupport::Line(form, "Text1")->setText(QStringLiteral("jumpy gqpy jumpy gqpy jumpy gqpy jumpy gqpy"));
    QApplication::processEvents();
    EXPECT_GT(form.height(), design.height()) << "the frame grows for the caption";
    EXPECT_GT(form.width(), design.width()) << "and the window for the long symbol";
    testsupport::Line(form, "Text3")->setText(QStringLiteral("8"));
    QApplication::processEvents();
    testsupport::Line(form, "Text1")->setText(QStringLiteral("QV"));
    QApplication::processEvents();
    EXPECT_EQ(form.size(), design);
}
