// The scan check reads what every symbology draws, tells a symbol that
// doesn't scan from one that reads another text, and is safe on a worker
// thread and on any image.
#include "symbols/Generate.h"
#include "symbols/ScanCheck.h"
#include "symbols/SymbologyTable.h"
#include "tests/support/PrintTo.h"
#include "tests/support/Symbols.h"

#include <QPainter>
#include <future>
#include <gtest/gtest.h>

using symbols::ScanResult;
using ScanSymbology = symbols::Symbology;
using testsupport::DrawSymbol;

namespace {

struct Case {
    ScanSymbology symbology;
    const char* text;
    const char* expected;
    const char* why;
};

// Where each expected text comes from: what a reader gives back for the
// symbol the drawer makes of the text.
const Case kEverySymbology[] = {
    {ScanSymbology::Code128B, "Label 2", "Label 2", "the engine's text as typed"},
    {ScanSymbology::Code128B, "\xB9" "0101", "0101", "FNC1 first marks GS1 and is not read as text"},
    {ScanSymbology::Code128B, "A\xB9" "B\xBC" "A", "AB\xC1", "zxing-cpp leaves a later FNC1 out; FNC4 adds 128"},
    {ScanSymbology::Code39, "qv-0001", "QV-0001", "Code 39 draws capitals"},
    {ScanSymbology::Code128_1, "a~Z 9", "a~Z 9", "code set B as typed"},
    {ScanSymbology::Code25, "12345", "123450", "an odd length gets a 0 at the end"},
    {ScanSymbology::Codabar, "12-34$", "12-34$", "the A start and stop are not read"},
    {ScanSymbology::UpcA, " 03600029145 ", "036000291452", "trimmed, check digit 2 (the worked example)"},
    {ScanSymbology::Ean, "400638133393", "4006381333931", "EAN-13 with its check digit"},
    {ScanSymbology::Ean, "4006381333930", "4006381333931", "a typed check digit is replaced"},
    {ScanSymbology::Ean, "1234567", "12345670", "seven digits make EAN-8"},
};

} // namespace

TEST(ScanCheck, WhatEverySymbologyDraws_Scans)
{
    for (const Case& c : kEverySymbology) {
        for (bool withText : {false, true}) {
            const QString text = QString::fromLatin1(c.text);
            SCOPED_TRACE(std::string(c.why) + (withText ? ", text below" : ""));
            const graphics::Drawing drawing = DrawSymbol(c.symbology, text, withText);
            ASSERT_FALSE(drawing.IsEmpty());
            const ScanResult r = symbols::ScanCheck(drawing, symbols::ExpectedScan(c.symbology, text));
            EXPECT_EQ(r.expected, QString::fromLatin1(c.expected));
            EXPECT_TRUE(r.Scans()) << r.Text().toStdString();
            // "scans", or "scans as ..." where the symbol holds another text than typed
            EXPECT_TRUE(r.Text().startsWith(QLatin1String("scans"))) << r.Text().toStdString();
        }
    }
}

// Letters above 127 are Latin-1 in Code 128; without an ECI the reader
// guesses another character set for some ("ÄÖÜ" as Shift_JIS "ﾄﾖﾜ"). The
// check compares the bytes the symbol holds.
TEST(ScanCheck, Code128WithLatin1Letters_ScansAsTyped)
{
    for (const char16_t* typed : {u"ÄÖÜ-3", u"Grüße", u"café crème", u"ÆØÅ æøå", u"ñÑ¿¡", u"©®°±µ¶", u"ÿ 10 €"}) {
        const QString text = QString::fromUtf16(typed).replace(QChar(0x20AC), QChar(0xA4)); // € is not Latin-1: ¤
        SCOPED_TRACE(text.toStdString());
        const symbols::Symbol symbol = symbols::GenerateSymbol(
            symbols::ReadSizeFields(ScanSymbology::Code128, text, QStringLiteral("1.4"), QStringLiteral("8"), QStringLiteral("500"), false));
        ASSERT_TRUE(symbol.status.ok()) << symbol.status.failure().text.toStdString();
        const graphics::Drawing drawing = symbol.drawing.Cropped();
        const ScanResult r = symbols::ScanCheck(drawing, symbols::ExpectedScan(ScanSymbology::Code128, text));
        EXPECT_TRUE(r.Scans()) << r.Text().toStdString();
        EXPECT_EQ(r.read, text);
    }
}

TEST(ScanCheck, ABarErased_DoesNotScan)
{
    for (const Case& c : kEverySymbology) {
        const QString text = QString::fromLatin1(c.text);
        SCOPED_TRACE(c.why);
        // The first bar of the start pattern (or guard) gone.
        const graphics::Drawing broken = testsupport::WithoutBar(DrawSymbol(c.symbology, text, false), 0);
        const ScanResult r = symbols::ScanCheck(broken, symbols::ExpectedScan(c.symbology, text));
        EXPECT_FALSE(r.Scans());
        EXPECT_TRUE(r.Text().startsWith("does not scan")) << r.Text().toStdString();
    }
}

TEST(ScanCheck, ASymbolThatReadsAnotherText_IsWrongText)
{
    struct Wrong {
        ScanSymbology symbology;
        const char* text;
        const char* read;
        const char* why;
    };
    const Wrong cases[] = {
        {ScanSymbology::Code39, "A#B", "AB", "Code 39 has no # and leaves it out of the bars"},
        {ScanSymbology::Code128_1, "A\xE9" "B", "AB", "code set B has no e acute"},
        {ScanSymbology::Codabar, "1X2", "12", "Codabar has no X"},
    };
    for (const Wrong& c : cases) {
        SCOPED_TRACE(c.why);
        const QString text = QString::fromLatin1(c.text);
        // Held against the whole text typed, not what the drawer says it holds.
        const symbols::ScanExpectation whole{symbols::ExpectedScan(c.symbology, text).format, text};
        const ScanResult r = symbols::ScanCheck(DrawSymbol(c.symbology, text, true), whole);
        EXPECT_EQ(r.verdict, ScanResult::Verdict::WrongText);
        EXPECT_EQ(r.read, QString::fromLatin1(c.read));
        EXPECT_EQ(r.Text(), QStringLiteral("does not scan: it reads \"%1\", not \"%2\"").arg(r.read, text));
    }
}

TEST(ScanCheck, NothingDrawn_DoesNotScan)
{
    EXPECT_EQ(symbols::ScanCheck(graphics::Drawing(), symbols::ExpectedScan(ScanSymbology::Code39, "A")).verdict, ScanResult::Verdict::DoesNotScan);
    EXPECT_EQ(symbols::ExpectedScan(ScanSymbology::Ean, "123456").format, QString())
        << "six digits draw no EAN symbol";
}

TEST(ScanCheck, OnWorkerThreads_GivesTheSameVerdicts)
{
    // As the window runs it: drawn on the main thread, read on workers.
    std::vector<std::future<ScanResult>> runs;
    for (const Case& c : kEverySymbology) {
        const QString text = QString::fromLatin1(c.text);
        runs.push_back(std::async(std::launch::async, [c, text, d = DrawSymbol(c.symbology, text, true)] {
            return symbols::ScanCheck(d, symbols::ExpectedScan(c.symbology, text));
        }));
    }
    for (std::size_t i = 0; i < runs.size(); ++i)
        EXPECT_TRUE(runs[i].get().Scans()) << kEverySymbology[i].why;
}

TEST(ScanCheck, AnImageOfManyEqualSymbols_IsReadWithoutStoppingTheProgram)
{
    // The reader of the packaged zxing-cpp asserts when it compares two
    // symbols of one text found in one image; handed one at a time it can't.
    const graphics::Drawing d = DrawSymbol(ScanSymbology::Code128_1, "SAME", false);
    const QImage one = graphics::WithQuietZones(d.ToImage(), graphics::QuietZonePixels(d));
    QImage many(one.width() * 2, one.height() * 4, QImage::Format_RGB32);
    many.fill(Qt::white);
    QPainter p(&many);
    for (int i = 0; i < 8; ++i)
        p.drawImage((i % 2) * one.width(), (i / 2) * one.height(), one);
    p.end();
    EXPECT_TRUE(symbols::ScanImage(many, symbols::ExpectedScan(ScanSymbology::Code128_1, "SAME")).Scans());
}

// zxing-cpp reads no Interleaved 2 of 5 under six digits and not every
// Codabar symbol of one or two characters; every valid text of either
// still passes, by the reader or by its widths, and never "does not scan".
TEST(ScanCheck, EveryLengthAndCharacterOfCode25AndCodabar_Scans)
{
    struct Family {
        ScanSymbology symbology;
        QString alphabet;
        int longest;
    };
    const Family families[] = {
        {ScanSymbology::Code25, QStringLiteral("0123456789"), 20},
        {ScanSymbology::Codabar, QStringLiteral("0123456789-$:/.+"), 16},
    };
    for (const Family& f : families) {
        QStringList texts;
        for (QChar a : f.alphabet) // every character alone and after every other
            for (QChar b : f.alphabet)
                texts << QString(a) + b;
        for (QChar a : f.alphabet)
            texts << QString(a);
        for (int length = 3; length <= f.longest; ++length) // every length, every character in every place
            for (int start = 0; start < f.alphabet.size(); ++start) {
                QString t;
                for (int i = 0; i < length; ++i)
                    t += f.alphabet[(start + i) % f.alphabet.size()];
                texts << t;
            }
        for (const QString& text : texts) {
            const ScanResult r = symbols::ScanCheck(DrawSymbol(f.symbology, text, false), symbols::ExpectedScan(f.symbology, text));
            EXPECT_TRUE(r.Scans()) << text.toStdString() << ": " << r.Text().toStdString();
        }
    }
}

TEST(ScanCheck, ShortFormsConfirmedByWidths_StillFailWhenABarIsGone)
{
    const std::pair<ScanSymbology, const char*> cases[] = {
        {ScanSymbology::Code25, "05"}, {ScanSymbology::Code25, "7024"}, {ScanSymbology::Codabar, "/"}, {ScanSymbology::Codabar, ":"}};
    for (const auto& [symbology, text] : cases) {
        SCOPED_TRACE(text);
        const graphics::Drawing d = DrawSymbol(symbology, text, true);
        const ScanResult good = symbols::ScanCheck(d, symbols::ExpectedScan(symbology, text));
        EXPECT_TRUE(good.Scans()) << good.Text().toStdString();
        for (int bar : {0, 2}) {
            const ScanResult broken = symbols::ScanCheck(testsupport::WithoutBar(d, bar), symbols::ExpectedScan(symbology, text));
            EXPECT_EQ(broken.verdict, ScanResult::Verdict::DoesNotScan) << "bar " << bar;
        }
        // The widths of one text never pass for another of the same length.
        const QString other = symbology == ScanSymbology::Code25 ? QString(text).replace('0', '9') : QStringLiteral("+");
        EXPECT_FALSE(symbols::ScanCheck(DrawSymbol(symbology, other, true), symbols::ExpectedScan(symbology, text)).Scans()) << other.toStdString();
    }
}
