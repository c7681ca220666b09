// Generate without a window: the drawing the window shows, from the same
// value, and what went wrong as a value the caller shows.
#include "services/Messages.h"
#include "symbols/Generate.h"
#include "symbols/SymbolFile.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QRadioButton>
#include <gtest/gtest.h>

using symbols::Symbology;

TEST(GenerateSymbol, DrawsWhatTheWindowShows_ForEveryOption)
{
    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::Form1 form{testsupport::Quietly(&messages)};
    form.Form_Load();
    struct Case {
        const char* text;
        const char* text8;
        const char* text3;
        const char* text9;
        bool withText;
    };
    const Case cases[] = {
        {"QV-0001", "1.4", "8", "500", false},
        {"12345678", "2", "10", "1000", true},
        {"03600029145", "1.4", "8", "800", true},
        {"400638133393", "8", "40", "", false},
    };
    for (const auto& row : form.OptionRows()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(symbols::RowOf(row.symbology).caption) + ": " + c.text);
            row.button->setChecked(true);
            testsupport::Line(form, "Text8")->setText(QString::fromLatin1(c.text8));
            testsupport::Line(form, "Text3")->setText(QString::fromLatin1(c.text3));
            testsupport::Line(form, "Text9")->setText(QString::fromLatin1(c.text9));
            testsupport::CheckBox(form, "Check2")->setChecked(c.withText);
            testsupport::Line(form, "Text1")->setText(QString::fromLatin1(c.text));
            form.Command1_Click();

            const symbols::Symbol symbol = symbols::GenerateSymbol(form.ReadRequest());
            EXPECT_EQ(symbol.status.failed(), form.LastGenerate().failed());
            const std::optional<QImage> shown = form.PictureToCopy();
            if (symbol.drawing.IsEmpty()) {
                // Nothing drawn: the window has no picture, or (EAN) a blank one.
                if (shown) {
                    const QImage gray = shown->convertToFormat(QImage::Format_Grayscale8);
                    for (int y = 0; y < gray.height(); ++y)
                        for (int x = 0; x < gray.width(); ++x)
                            ASSERT_GE(qGray(gray.pixel(x, y)), 128) << "a dark pixel where nothing was drawn";
                }
                continue;
            }
            ASSERT_TRUE(shown.has_value());
            // The boxes keep widths from earlier Generates (the width step
            // widens Picture5 for good); what is drawn is the same.
            const QRect ink = symbol.drawing.Bounds();
            EXPECT_EQ(symbol.drawing.ToImage().copy(ink), shown->convertToFormat(QImage::Format_RGB32).copy(ink));
        }
    }
}

TEST(GenerateSymbol, Failures_ComeBackWithTheirNumberAndText_AndNothingIsShown)
{
    services::RecordingSink messages;
    struct Case {
        Symbology symbology;
        QString text;
        int code;
        bool drawn;     // a partial symbol or a message in the picture stays
        bool inPicture; // the window shows it without a box
        const char* why;
    };
    const Case cases[] = {
        {Symbology::Code128B, QStringLiteral("A\tB"), 54548, false, false, "the engine's one message"},
        {Symbology::Code39, QString(10000, QLatin1Char('A')), core::kTooLongToDraw, false, false, "too wide to draw"},
        {Symbology::Code25, QStringLiteral("7"), core::kNotDrawable, false, true, "one character draws nothing"},
        {Symbology::Code25, QStringLiteral("12A4"), 9, true, false, "the pair before the letter stays"},
        {Symbology::UpcA, QStringLiteral("123"), core::kNotDrawable, true, true, "the message is in the picture"},
        {Symbology::Ean, QString(21, QLatin1Char('1')), core::kNotDrawable, false, false, "over 20 characters"},
        {Symbology::Ean, QStringLiteral("1234A67"), 13, true, false, "a letter: type mismatch"},
        {Symbology::Codabar, QStringLiteral("A1B"), core::kNotDrawable, false, false,
         "A and B inside would be start and stop characters: no symbol"},
        {Symbology::Codabar, QStringLiteral("1-2"), 0, true, false, "no failure"},
        {Symbology::Code39, QStringLiteral("éè"), core::kNotDrawable, false, false, "nothing left but start and stop"},
    };
    for (const Case& c : cases) {
        symbols::SymbolRequest request;
        request.symbology = c.symbology;
        request.text = c.text;
        const symbols::Symbol symbol = symbols::GenerateSymbol(request);
        if (c.code == 0) {
            EXPECT_TRUE(symbol.status.ok()) << c.why;
        } else {
            ASSERT_TRUE(symbol.status.failed()) << c.why;
            EXPECT_EQ(symbol.status.failure().code, c.code) << c.why;
            EXPECT_FALSE(symbol.status.failure().text.isEmpty()) << c.why;
            EXPECT_EQ(symbol.status.failure().inPicture, c.inPicture) << c.why;
        }
        EXPECT_EQ(!symbol.drawing.IsEmpty(), c.drawn) << c.why;
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << "library code shows nothing: " << messages.texts.join('|').toStdString();
}

// The window says under the drawing whether the symbol reads back, once a
// worker has read it, and saves what it shows.
TEST(GenerateSymbol, TheWindowTellsWhetherItScans_AndSavesWhatItShows)
{
    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::Form1 form{testsupport::Quietly(&messages)};
    form.Form_Load();
    form.show();
    struct Case {
        const char* option;
        const char* text;
        const char* status;
    };
    const Case cases[] = {
        {"Option2", "QV-42", "scans"},
        // Four digits of Interleaved 2 of 5: too short for zxing-cpp, confirmed by the widths.
        {"Option5", "1234", "scans (its bar widths match; zxing-cpp does not read so short a symbol)"},
        // Code 39 leaves # out: the line says what the symbol holds, and why.
        {"Option2", "A#B", "scans as AB (Code 39 can't encode \"#\" (character 2))"},
    };
    for (const Case& c : cases) {
        testsupport::Radio(form, c.option)->setChecked(true);
        testsupport::Line(form, "Text1")->setText(QString::fromLatin1(c.text));
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        EXPECT_TRUE(testsupport::Label(form, "ScanStatus")->text().endsWith(QString::fromLatin1(c.status))) << testsupport::Label(form, "ScanStatus")->text().toStdString();
    }

    QTemporaryDir dir;
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("SAVED"));
    const QString path = dir.filePath(QStringLiteral("saved.png"));
    ASSERT_TRUE(form.SaveBarcode(symbols::DrawForFile(form.ReadRequest(), false)->drawing, path));
    EXPECT_EQ(testsupport::DecodeOne(QImage(path), ZXing::BarcodeFormat::Code39).text, "SAVED");
    EXPECT_TRUE(testsupport::Label(form, "JobStatus")->text().contains(QStringLiteral("saved.png")));
}
