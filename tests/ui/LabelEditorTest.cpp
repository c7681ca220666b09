// The label editor as a user works it, offscreen: each change made with the
// mouse, the keys or a control changes the saved file as it should, one
// undo gives back the file as it was and redo the change; a bad file
// changes nothing; a part that can't be drawn says why in the dialog.
#include "labels/LabelFile.h"
#include "tests/labels/SampleLabel.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"
#include "ui/LabelEditor.h"
#include "ui/LabelPreview.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

using labels::Label;

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct LabelEditorTest : testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("shelf.json"));
    Label original = testsupport::SampleLabel();
    QByteArray originalBytes;
    services::RecordingSink messages;
    ui::LabelEditor editor{Label{}, {}, messages};

    void SetUp() override
    {
        ASSERT_TRUE(labels::SaveLabel(original, path).ok());
        originalBytes = Bytes(path);
        editor.show();
        ASSERT_TRUE(editor.OpenFile(path).ok());
    }

    // The file the editor saves now.
    QByteArray Saved()
    {
        const QString out = dir.filePath(QStringLiteral("out.json"));
        EXPECT_TRUE(editor.SaveAs(out).ok());
        return Bytes(out);
    }

    // Where a part's middle is on the preview.
    QPoint Middle(int part) const
    {
        return editor.Preview->WidgetPoint(editor.Preview->PartRectMm(part).center()).toPoint();
    }
};

} // namespace

TEST_F(LabelEditorTest, EachChange_SavedAsExpected_OneUndoRestoresTheFile_RedoTheChange)
{
    using labels::Part;
    // A drag lands on the tenth of a mm nearest to where the mouse let go.
    const auto dragged = [&](double mm, int pixels) { return std::round((mm + pixels / editor.Preview->PixelsPerMm()) * 10) / 10; };
    const auto key = [&](int part, Qt::Key k, Qt::KeyboardModifiers mods, int times) {
        editor.SelectPart(part);
        for (int i = 0; i < times; ++i)
            QTest::keyClick(editor.Preview, k, mods);
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        std::function<void(Label&)> expect; // the original label changed as the act should change it
        int undos = 1;                      // the changes the act makes, for undo and redo
    };
    const Case cases[] = {
        {"the Text button adds a text, chosen, at the top left when no room is left under the parts",
         [&] { editor.AddText->click(); },
         [](Label& l) {
             labels::TextPart text;
             text.text = QStringLiteral("Text");
             l.parts.push_back(Part{{2, 2}, text});
         }},
        {"a drag with the mouse moves the barcode it began on, by the mm the mouse went",
         [&] {
             const QPoint from = Middle(0);
             QTest::mousePress(editor.Preview, Qt::LeftButton, {}, from);
             QTest::mouseMove(editor.Preview, from + QPoint(20, 8));
             QTest::mouseMove(editor.Preview, from + QPoint(61, 23));
             QTest::mouseRelease(editor.Preview, Qt::LeftButton, {}, from + QPoint(61, 23));
         },
         [&](Label& l) { l.parts[0].atMm = QPointF(dragged(5, 61), dragged(5, 23)); }},
        {"three presses of Right move the QR Code 0.3 mm, undone as one",
         [&] { key(1, Qt::Key_Right, {}, 3); },
         [](Label& l) { l.parts[1].atMm.rx() = 70.3; }},
        {"Shift+Up moves the price 1 mm",
         [&] { key(4, Qt::Key_Up, Qt::ShiftModifier, 1); },
         [](Label& l) { l.parts[4].atMm.ry() = 48; }},
        {"Delete on the label removes the part chosen",
         [&] { key(2, Qt::Key_Delete, {}, 1); },
         [](Label& l) { l.parts.erase(l.parts.begin() + 2); }},
        {"Up draws the part chosen before the one above it",
         [&] {
             editor.SelectPart(5);
             editor.MoveUp->click();
         },
         [](Label& l) { std::swap(l.parts[4], l.parts[5]); }},
        {"a line added and nudged 1 mm right: its end goes with its start",
         [&] {
             editor.AddLine->click();
             QTest::keyClick(editor.Preview, Qt::Key_Right, Qt::ShiftModifier);
         },
         [](Label& l) { l.parts.push_back(Part{{3, 30}, labels::LinePart{QPointF(99, 30)}}); },
         2},
        {"the text's size, bold and alignment from their controls",
         [&] {
             editor.SelectPart(3);
             editor.TextSize->setValue(9);
             editor.Bold->setChecked(true);
             editor.Alignment->setCurrentIndex(2);
         },
         [](Label& l) {
             auto& t = std::get<labels::TextPart>(l.parts[3].what);
             t.points = 9;
             t.bold = true;
             t.align = labels::Align::Right;
         },
         3},
        {"size by width: the barcode keeps the width it had",
         [&] {
             editor.SelectPart(0);
             editor.SizeBy->setCurrentIndex(1);
         },
         [&](Label& l) {
             auto& b = std::get<labels::BarcodePart>(l.parts[0].what);
             b.moduleMm.reset();
             b.widthMm = std::round(editor.Preview->PartRectMm(0).width() * 1e4) / 1e4;
         }},
        {"typing into the barcode's text changes it, undone as one",
         [&] {
             editor.SelectPart(0);
             QTest::keyClicks(editor.BarcodeText, QStringLiteral("-B"));
         },
         [](Label& l) { std::get<labels::BarcodePart>(l.parts[0].what).text += QStringLiteral("-B"); }},
        {"a 2D symbology drops the barcode's height and caption",
         [&] {
             editor.SelectPart(0);
             editor.Symbology->setCurrentIndex(editor.Symbology->findData(static_cast<int>(symbols::Symbology::DataMatrix)));
         },
         [](Label& l) {
             auto& b = std::get<labels::BarcodePart>(l.parts[0].what);
             b.symbology = symbols::Symbology::DataMatrix;
             b.heightMm.reset();
             b.caption = false;
         }},
        {"inches: the frame's width typed in inches is kept in mm",
         [&] {
             editor.Unit->setCurrentIndex(1);
             editor.SelectPart(5);
             editor.FrameWidth->setValue(3.5);
         },
         [](Label& l) {
             l.unit = labels::LengthUnit::Inch;
             std::get<labels::BoxPart>(l.parts[5].what).sizeMm.setWidth(88.9);
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(editor.OpenFile(path).ok());
        messages.texts.clear();
        c.act();
        Label expected = original;
        c.expect(expected);
        const QByteArray changed = Saved();
        EXPECT_EQ(changed.toStdString(), labels::LabelToJson(expected).toStdString());
        EXPECT_EQ(editor.Undo().count(), c.undos);
        for (int i = 0; i < c.undos; ++i)
            editor.Undo().undo();
        EXPECT_EQ(Saved().toStdString(), originalBytes.toStdString()) << "undo gives back the file as it was";
        for (int i = 0; i < c.undos; ++i)
            editor.Undo().redo();
        EXPECT_EQ(Saved().toStdString(), changed.toStdString()) << "redo makes the change again";
        EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('\n')).toStdString();
    }
}

// A click takes the part under it, the one drawn last first; a frame only
// by its edge, so that what it frames can be taken.
TEST_F(LabelEditorTest, AClick_TakesThePartUnderIt_AFrameByItsEdge)
{
    struct Case {
        QPointF mm;
        int part;
        const char* why;
    };
    const Case cases[] = {
        {{8, 10}, 0, "on the Code 128's bars"},
        {{74, 9}, 1, "on the QR Code"},
        {{1.2, 30}, 5, "on the frame's left edge"},
        {{50, 45}, -1, "inside the frame, where there is nothing"},
        {{50, 50}, -1, "nothing here either"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        editor.SelectPart(2);
        QTest::mouseClick(editor.Preview, Qt::LeftButton, {}, editor.Preview->WidgetPoint(c.mm).toPoint());
        EXPECT_EQ(editor.SelectedPart(), c.part);
        EXPECT_EQ(editor.Parts->currentRow(), c.part);
    }
    EXPECT_FALSE(editor.IsModified()) << "a click moves nothing";
}

TEST_F(LabelEditorTest, APartThatCantBeDrawn_SaysWhyInTheDialog_WithoutABox)
{
    editor.SelectPart(2); // "Best before …", no box yet
    editor.HasBox->setChecked(true);
    editor.BoxWidth->selectAll();
    QTest::keyClicks(editor.BoxWidth, QStringLiteral("12")); // a keystroke at a time: 1 mm, then 12 mm
    EXPECT_TRUE(editor.Problems().startsWith(QStringLiteral("Part 3 (text): the text \""))) << editor.Problems().toStdString();
    EXPECT_EQ(editor.ProblemText->text(), editor.Problems());
    EXPECT_EQ(editor.Parts->item(2)->toolTip(), editor.Problems());
    EXPECT_TRUE(editor.Parts->item(0)->toolTip().isEmpty()) << "the parts that fit say nothing";
    EXPECT_TRUE(messages.texts.isEmpty()) << "no box for a keystroke";
    editor.Undo().undo();
    editor.Undo().undo();
    EXPECT_TRUE(editor.Problems().isEmpty());
}

TEST_F(LabelEditorTest, ABadFile_SaysWhatIsWrongOnce_AndTheLabelEditedStays)
{
    editor.SelectPart(0);
    QTest::keyClick(editor.Preview, Qt::Key_Right);
    const QByteArray before = labels::LabelToJson(editor.EditedLabel());
    struct Case {
        const char* bytes; // none: no file at all
        const char* says;
    };
    const Case cases[] = {
        {"{ not json", "its JSON goes wrong at line 1"},
        {R"({"version": 1, "widthMm": 50, "heightMm": 20, "parts": [{"type": "box", "xMm": 40, "yMm": 1, "widthMm": 20, "heightMm": 5}]})",
         "part 1 (box)"},
        {nullptr, "does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const QString bad = dir.filePath(QStringLiteral("bad.json"));
        QFile::remove(bad);
        if (c.bytes) {
            QFile f(bad);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.bytes);
        }
        messages.texts.clear();
        EXPECT_TRUE(editor.OpenFile(bad).failed());
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].contains(QString::fromUtf8(c.says))) << messages.texts[0].toStdString();
        EXPECT_EQ(labels::LabelToJson(editor.EditedLabel()), before);
        EXPECT_EQ(editor.FilePath(), path);
        EXPECT_TRUE(editor.IsModified());
        EXPECT_TRUE(editor.Undo().canUndo()) << "the change before is still there to undo";
    }
}

TEST_F(LabelEditorTest, ClosingWithChangesNotSaved_AsksFirst)
{
    editor.AddLine->click();
    editor.AskUnsaved = [] { return QMessageBox::Cancel; };
    editor.reject();
    EXPECT_TRUE(editor.isVisible()) << "Cancel keeps the editor open";
    editor.AskUnsaved = [] { return QMessageBox::Save; };
    editor.reject();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(testsupport::SampleLabel().parts.size() + 1, labels::LoadLabel(path)->parts.size()) << "saved to its file";
}

// The preview paints what the layout lays out, where the editor says the
// parts are: ink in every part, and nowhere else on the label.
TEST_F(LabelEditorTest, ThePreview_HasInkInEveryPart_AndNowhereElse)
{
    editor.SelectPart(5);
    editor.Remove->click(); // the frame, which would hold every other part
    editor.SelectPart(-1);
    const QImage shot = editor.Preview->grab().toImage();
    const double scale = shot.width() / static_cast<double>(editor.Preview->width()); // device pixels
    std::vector<QRect> parts;
    for (int i = 0; i < 5; ++i) {
        const QRectF r = editor.Preview->PartRectMm(i);
        parts.push_back(QRectF(editor.Preview->WidgetPoint(r.topLeft()) * scale, editor.Preview->WidgetPoint(r.bottomRight()) * scale)
                            .toAlignedRect()
                            .adjusted(-2, -2, 2, 2));
    }
    const QRect label = QRectF(editor.Preview->WidgetPoint({0, 0}) * scale, editor.Preview->WidgetPoint({100, 60}) * scale)
                            .toAlignedRect()
                            .adjusted(3, 3, -3, -3);
    std::vector<int> ink(parts.size());
    int stray = 0;
    for (int y = label.top(); y <= label.bottom(); ++y)
        for (int x = label.left(); x <= label.right(); ++x) {
            if (qGray(shot.pixel(x, y)) > 128)
                continue;
            bool inPart = false;
            for (size_t i = 0; i < parts.size(); ++i)
                if (parts[i].contains(x, y))
                    inPart = true, ++ink[i];
            stray += !inPart;
        }
    EXPECT_EQ(stray, 0) << "dark pixels outside every part";
    for (size_t i = 0; i < ink.size(); ++i)
        EXPECT_GT(ink[i], 10) << "part " << i + 1;
}

// The window's barcode as the editor's first label fits it, drawn, for a
// symbology of bars with its caption and for a 2D code.
TEST(LabelEditorStart, TheWindowsBarcode_IsALabelThatLaysOut)
{
    for (const auto s : {symbols::Symbology::Code128B, symbols::Symbology::Code39, symbols::Symbology::Qr}) {
        const Label label = ui::StarterLabel(s, QStringLiteral("SKU-1234"), true);
        const core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(label, {}, 203);
        EXPECT_TRUE(laid.ok()) << (laid.ok() ? "" : laid.failure().text.toStdString());
    }
}

TEST(LabelEditorWindow, OptionsLabel_OpensTheEditorOnTheWindowsBarcode)
{
    ui::Form1 form(testsupport::Quietly());
    form.Form_Load();
    testsupport::Line(form, "Text1")->setText(QStringLiteral("ABC-42"));
    QString shown;
    // The editor is modal: it is looked at and closed from the event loop it runs.
    std::function<void()> closeEditor = [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<ui::LabelEditor*>(w); editor && editor->isVisible()) {
                const auto& part = editor->EditedLabel().parts.at(0);
                shown = std::get<labels::BarcodePart>(part.what).text;
                editor->reject();
                return;
            }
        QTimer::singleShot(10, closeEditor);
    };
    QTimer::singleShot(0, closeEditor);
    testsupport::Action(form, "EditLabel")->trigger();
    EXPECT_EQ(shown, QStringLiteral("ABC-42"));
}
