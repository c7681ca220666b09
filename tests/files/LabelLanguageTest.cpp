// Labels in ZPL, EPL2 and TSPL: pictures of real barcodes at 203 dpi and
// awkward pictures go through each language and come back dot for dot,
// readable by both readers; the settings are written only when set, and
// the graphic encodings (ZPL's CRC, its run-length hex) read as the
// printers read them.
#include "files/LabelLanguage.h"
#include "graphics/Raster.h"
#include "symbols/Generate.h"
#include "tests/support/Decode.h"
#include "tests/support/LabelLanguages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using files::LabelLanguage;
using files::LabelSettings;
using symbols::Symbology;
using testsupport::ReadLabel;

namespace {

using Reader = core::Result<std::vector<ReadLabel>> (*)(const QByteArray&);

struct Language {
    LabelLanguage language;
    Reader read;
};
const Language kLanguages[] = {
    {LabelLanguage::Zpl, testsupport::ReadZplLabels},
    {LabelLanguage::Epl2, testsupport::ReadEpl2Labels},
    {LabelLanguage::Tspl, testsupport::ReadTsplLabels},
};

LabelSettings Sized(int width, int height, int dpi = 203)
{
    LabelSettings s;
    s.width = width;
    s.height = height;
    s.dpi = dpi;
    return s;
}

// A 4 × 6 in label at 203 dpi.
LabelSettings Label4x6() { return Sized(812, 1218); }

struct Picture {
    const char* what;
    QImage image;
    std::string text;      // what the readers get back; empty: no barcode
    bool zbarReads = true; // zbar reads no Data Matrix and no PDF417
    int moduleDots = 1;
};

Picture SymbolPicture(const char* what, Symbology symbology, const char* text, const char* read, bool zbar = true)
{
    const symbols::SymbolRequest request = symbols::ReadSizeFields(symbology, QString::fromUtf8(text), QStringLiteral("1.4"),
                                                                   QStringLiteral("8"), QStringLiteral("500"), false);
    const graphics::Drawing drawing = symbols::GenerateSymbol(request).drawing.Cropped();
    const int dots = std::max(1, static_cast<int>(std::lround(drawing.module * 203 / 96.0)));
    return {what, graphics::RasterImage(drawing, {203, 0}), read, zbar, dots};
}

QImage Filled(int w, int h, const std::function<bool(int, int)>& dark)
{
    QImage image(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.scanLine(y)[x] = dark(x, y) ? 0 : 255;
    return image;
}

const std::vector<Picture>& Pictures()
{
    static const std::vector<Picture> pictures = [] {
        std::vector<Picture> p{
            SymbolPicture("Code 128", Symbology::Code128B, "Label 2", "Label 2"),
            SymbolPicture("QR Code", Symbology::Qr, "QV-0001", "QV-0001"),
            SymbolPicture("Data Matrix", Symbology::DataMatrix, "QV-0001", "QV-0001", false),
            SymbolPicture("PDF417", Symbology::Pdf417, "QV-0001", "QV-0001", false),
            SymbolPicture("EAN-13", Symbology::Ean, "400638133393", "4006381333931"),
        };
        // Rows that end inside a byte, with a pattern that shows a bit out of place.
        p.push_back({"13 dots wide", Filled(13, 7, [](int x, int y) { return (x * 7 + y * 3) % 5 < 2; }), ""});
        p.push_back({"9 dots wide, last dot dark", Filled(9, 2, [](int x, int) { return x == 8; }), ""});
        p.push_back({"1 x 1 dark", Filled(1, 1, [](int, int) { return true; }), ""});
        p.push_back({"all white", Filled(40, 3, [](int, int) { return false; }), ""});
        p.push_back({"all black", Filled(40, 3, [](int, int) { return true; }), ""});
        return p;
    }();
    return pictures;
}

// Every dot of the read picture is what the drawn one prints, and the
// dots that fill its last byte print nothing.
void ExpectSameDots(const QImage& drawn, const QImage& read)
{
    ASSERT_EQ(read.width(), (drawn.width() + 7) / 8 * 8);
    ASSERT_EQ(read.height(), drawn.height());
    for (int y = 0; y < read.height(); ++y)
        for (int x = 0; x < read.width(); ++x) {
            const bool want = x < drawn.width() && qGray(drawn.pixel(x, y)) < 128;
            ASSERT_EQ(read.constScanLine(y)[x] == 0, want) << "dot " << x << "," << y;
        }
}

// The runs of dark and light between the first and last dark dot of a row
// (or a column) of the picture.
std::vector<int> Runs(const QImage& image, int index, bool row)
{
    const int n = row ? image.width() : image.height();
    auto dark = [&](int i) { return (row ? image.pixel(i, index) : image.pixel(index, i)) == qRgb(0, 0, 0); };
    int first = 0, last = n - 1;
    while (first < n && !dark(first))
        ++first;
    while (last >= first && !dark(last))
        --last;
    std::vector<int> runs;
    for (int i = first; i <= last;) {
        int j = i;
        while (j <= last && dark(j) == dark(i))
            ++j;
        runs.push_back(j - i);
        i = j;
    }
    return runs;
}

core::Result<std::vector<ReadLabel>> Read(const Language& l, const QByteArray& bytes) { return l.read(bytes); }

} // namespace

TEST(LabelLanguage, EveryPicture_ComesBackDotForDot_AndScans_InEveryLanguage)
{
    for (const Language& l : kLanguages) {
        for (const Picture& p : Pictures()) {
            SCOPED_TRACE(files::LabelLanguageName(l.language).toStdString() + ", " + p.what);
            ASSERT_FALSE(p.image.isNull());
            const core::Result<QByteArray> bytes = files::LabelBytes(l.language, p.image, Label4x6());
            ASSERT_TRUE(bytes.ok()) << bytes.failure().text.toStdString();
            const auto labels = Read(l, *bytes);
            ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
            ASSERT_EQ(labels->size(), 1u);
            const ReadLabel& label = labels->front();
            EXPECT_EQ(label.at, QPoint(0, 0));
            EXPECT_EQ(label.copies, 1);
            ExpectSameDots(p.image, label.picture);
            if (p.text.empty())
                continue;
            const QImage printed = label.picture.copy(0, 0, p.image.width(), p.image.height());
            for (const bool row : {true, false})
                for (int run : Runs(printed, (row ? printed.height() : printed.width()) / 2, row))
                    ASSERT_EQ(run % p.moduleDots, 0) << "a run of " << run << " dots, modules of " << p.moduleDots;
            const QImage framed = testsupport::WithQuietZone(printed);
            EXPECT_EQ(testsupport::DecodeOne(framed).text, p.text) << "zxing-cpp";
            if (p.zbarReads) {
                EXPECT_EQ(testsupport::ZbarReadOne(framed), p.text) << "zbar";
            }
        }
    }
}

// Grey and colour pictures of any format print where qGray is below 128.
TEST(LabelLanguage, AnyImageFormat_PrintsWhereTheGreyIsDark)
{
    // Two rows: grey 127 | 128 | red (qGray 87) | yellow (215) | green (127) | blue (39) | white | black | grey 0x80.
    const QRgb colours[] = {qRgb(127, 127, 127), qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(255, 255, 0), qRgb(0, 255, 0),
                            qRgb(0, 0, 255),     qRgb(255, 255, 255), qRgb(0, 0, 0),   qRgb(128, 128, 128)};
    const bool prints[] = {true, false, true, false, true, true, false, true, false};
    QImage rgb(9, 2, QImage::Format_RGB32);
    for (int x = 0; x < 9; ++x)
        for (int y = 0; y < 2; ++y)
            rgb.setPixel(x, y, colours[x]);
    const QImage bw = Filled(9, 2, [&](int x, int) { return prints[x]; });
    const struct {
        QImage image;
        const char* why;
    } cases[] = {
        {rgb, "32-bit, read as it is"},
        {rgb.convertToFormat(QImage::Format_ARGB32_Premultiplied), "premultiplied: read as QImage::pixel gives it"},
        {rgb.convertToFormat(QImage::Format_RGB888), "24-bit: converted once"},
        {rgb.convertToFormat(QImage::Format_Indexed8), "a palette"},
        {bw.convertToFormat(QImage::Format_Mono), "one bit a pixel"},
        {bw, "grey bytes, read as they are"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const auto labels = testsupport::ReadZplLabels(*files::LabelBytes(LabelLanguage::Zpl, c.image, Label4x6()));
        ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
        ExpectSameDots(bw, labels->front().picture);
    }
}

// What each language says about the label: the size at the exact dots
// (TSPL's millimetres included), and darkness and speed only when set.
TEST(LabelLanguage, Settings_AreWrittenAtTheirDots_DarknessAndSpeedOnlyWhenSet)
{
    const LabelSettings plain = Label4x6();
    LabelSettings tuned = Sized(1200, 1800, 300);
    tuned.gap = 36;
    tuned.copies = 3;
    tuned.darkness = 5;
    tuned.speed = 4;
    const struct {
        LabelLanguage language;
        LabelSettings settings;
        QStringList commands;
        const char* written; // text the stream holds
        const char* why;
    } cases[] = {
        {LabelLanguage::Zpl, plain, {"^XA", "^PW", "^LL", "^LH", "^FO", "^GF", "^FS", "^PQ", "^XZ"}, "^LH0,0", "the printer's darkness and speed stand"},
        {LabelLanguage::Zpl, tuned, {"^XA", "^PW", "^LL", "^LH", "~SD", "^PR", "^FO", "^GF", "^FS", "^PQ", "^XZ"}, "~SD05", "~SD takes two digits"},
        {LabelLanguage::Epl2, plain, {"N", "q", "Q", "GW", "P"}, "\nN\nq812\nQ1218,24\n", "a line feed before N"},
        {LabelLanguage::Epl2, tuned, {"N", "q", "Q", "S", "D", "GW", "P"}, "\nS4\nD5\n", "speed and density as set"},
        {LabelLanguage::Tspl, plain, {"SIZE", "GAP", "DIRECTION", "CLS", "BITMAP", "PRINT"}, "SIZE 101.61 mm,152.41 mm\r\nGAP 3.01 mm,0 mm\r\n", "a hundredth above the exact mm"},
        {LabelLanguage::Tspl, tuned, {"SIZE", "GAP", "DENSITY", "SPEED", "DIRECTION", "CLS", "BITMAP", "PRINT"}, "PRINT 1,3\r\n", "one set of three copies"},
    };
    const Language* lang[] = {&kLanguages[0], &kLanguages[1], &kLanguages[2]};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const core::Result<QByteArray> bytes = files::LabelBytes(c.language, Pictures()[0].image, c.settings);
        ASSERT_TRUE(bytes.ok());
        EXPECT_TRUE(bytes->contains(c.written)) << bytes->left(120).toStdString();
        const auto labels = Read(*lang[static_cast<int>(c.language)], *bytes);
        ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
        const ReadLabel& l = labels->front();
        EXPECT_EQ(l.commands, c.commands);
        EXPECT_EQ(l.darkness, c.settings.darkness);
        EXPECT_EQ(l.speed, c.settings.speed);
        EXPECT_EQ(l.copies, c.settings.copies);
        if (c.language == LabelLanguage::Tspl) {
            EXPECT_EQ(std::lround(*l.widthMm * c.settings.dpi / 25.4), c.settings.width);
            EXPECT_EQ(std::lround(*l.lengthMm * c.settings.dpi / 25.4), c.settings.height);
        } else {
            EXPECT_EQ(l.width, c.settings.width);
            EXPECT_EQ(l.length, c.settings.height);
        }
        if (c.language == LabelLanguage::Epl2) {
            EXPECT_EQ(l.gap, c.settings.gap);
        }
    }
}

// A printer that turns TSPL's millimetres back into dots by rounding and
// one that truncates both get the label's exact dots, at every size.
TEST(LabelLanguage, TsplMillimetres_GiveBackTheExactDots_RoundedOrTruncated)
{
    const QImage dot = Filled(1, 1, [](int, int) { return true; });
    for (const int dpi : {203, 300, 600})
        for (int dots = 1; dots <= 2400; ++dots) {
            const auto labels = testsupport::ReadTsplLabels(*files::LabelBytes(LabelLanguage::Tspl, dot, Sized(dots, dots, dpi)));
            ASSERT_TRUE(labels.ok());
            const double back = *labels->front().widthMm * dpi / 25.4;
            ASSERT_EQ(static_cast<int>(back), dots) << dpi << " dpi, truncated";
            ASSERT_EQ(std::lround(back), dots) << dpi << " dpi, rounded";
        }
}

TEST(LabelLanguage, SeveralLabels_InOneStream_ReadBackInOrder)
{
    for (const Language& l : kLanguages) {
        SCOPED_TRACE(files::LabelLanguageName(l.language).toStdString());
        QByteArray stream;
        for (int i = 0; i < 3; ++i) {
            LabelSettings s = Label4x6();
            s.copies = i + 1;
            ASSERT_TRUE(files::AppendLabel(stream, l.language, Pictures()[i].image, s).ok());
        }
        const auto labels = Read(l, stream);
        ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
        ASSERT_EQ(labels->size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ((*labels)[i].copies, i + 1);
            ExpectSameDots(Pictures()[i].image, (*labels)[i].picture);
        }
    }
}

TEST(LabelLanguage, WhatCantBePrinted_IsRefused_AndNothingIsWritten)
{
    const QImage small = Pictures()[5].image;
    auto with = [](const std::function<void(LabelSettings&)>& change) {
        LabelSettings s = Label4x6();
        change(s);
        return s;
    };
    const struct {
        LabelLanguage language;
        QImage picture;
        LabelSettings settings;
        int code;
        const char* says;
    } cases[] = {
        {LabelLanguage::Zpl, QImage(), Label4x6(), core::kNothingToDraw, "empty"},
        {LabelLanguage::Epl2, Filled(813, 1, [](int, int) { return true; }), Label4x6(), core::kTooLarge, "813 × 1 dots does not fit on the label of 812 × 1218"},
        {LabelLanguage::Zpl, small, with([](LabelSettings& s) { s.darkness = 31; }), core::kPrintFailed, "darkness of 31 can't be set in ZPL, which takes 0 to 30"},
        {LabelLanguage::Epl2, small, with([](LabelSettings& s) { s.darkness = 16; }), core::kPrintFailed, "EPL2, which takes 0 to 15"},
        {LabelLanguage::Tspl, small, with([](LabelSettings& s) { s.speed = 0; }), core::kPrintFailed, "speed of 0"},
        {LabelLanguage::Epl2, small, with([](LabelSettings& s) { s.copies = 65'536; }), core::kNotAboveZero, "65,536 copies"},
        {LabelLanguage::Zpl, small, with([](LabelSettings& s) { s.copies = 0; }), core::kNotAboveZero, "0 copies"},
        {LabelLanguage::Tspl, small, with([](LabelSettings& s) { s.width = 0; }), core::kNotAboveZero, "0 × 1218 dots"},
        {LabelLanguage::Tspl, small, with([](LabelSettings& s) { s.dpi = 0; }), core::kNotAboveZero, "0 dots per inch"},
        {LabelLanguage::Epl2, small, with([](LabelSettings& s) { s.gap = -1; }), core::kNotAboveZero, "gap of -1 dots"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        QByteArray stream("before");
        const core::Status status = files::AppendLabel(stream, c.language, c.picture, c.settings);
        ASSERT_TRUE(status.failed());
        EXPECT_EQ(status.failure().code, c.code);
        EXPECT_TRUE(status.failure().text.contains(QString::fromUtf8(c.says))) << status.failure().text.toStdString();
        EXPECT_EQ(stream, "before");
    }
}

TEST(LabelLanguage, Names_ParseInAnyCase_AndAWrongOneListsTheLanguages)
{
    const struct {
        const char* name;
        std::optional<LabelLanguage> language;
    } cases[] = {{"zpl", LabelLanguage::Zpl}, {"EPL", LabelLanguage::Epl2}, {"epl2", LabelLanguage::Epl2},
                 {"Tspl", LabelLanguage::Tspl}, {"pcl", std::nullopt}, {"", std::nullopt}};
    for (const auto& c : cases) {
        const core::Result<LabelLanguage> parsed = files::ParseLabelLanguage(QString::fromLatin1(c.name));
        ASSERT_EQ(parsed.ok(), c.language.has_value()) << c.name;
        if (parsed.ok()) {
            EXPECT_EQ(*parsed, *c.language);
        } else {
            EXPECT_TRUE(parsed.failure().text.contains(QStringLiteral("\"%1\" is not a label printer language: the languages "
                                                                      "are zpl, epl, tspl").arg(QLatin1String(c.name))));
        }
    }
    for (const Language& l : kLanguages)
        EXPECT_EQ(*files::ParseLabelLanguage(files::LabelLanguageName(l.language)), l.language);
}

// The CRC-16/XMODEM check value, and a :Z64: graphic whose CRC or data was
// changed on the way is not printed.
TEST(ZplGraphicField, Crc_MatchesTheKnownValue_AndAWrongOneIsRefused)
{
    EXPECT_EQ(files::ZplCrc16("123456789"), 0x31C3);
    EXPECT_EQ(testsupport::Crc16Xmodem("123456789"), 0x31C3);
    EXPECT_EQ(files::ZplCrc16(""), 0);
    const QByteArray good = *files::LabelBytes(LabelLanguage::Zpl, Pictures()[1].image, Label4x6());
    ASSERT_TRUE(testsupport::ReadZplLabels(good).ok());
    const qsizetype fs = good.indexOf("^FS"), z64 = good.indexOf(":Z64:") + 5;
    QByteArray crc = good, data = good;
    crc[fs - 1] = crc[fs - 1] == '0' ? '1' : '0';
    data[z64 + 10] = data[z64 + 10] == 'A' ? 'B' : 'A';
    for (const QByteArray& bad : {crc, data}) {
        const auto read = testsupport::ReadZplLabels(bad);
        ASSERT_TRUE(read.failed());
        EXPECT_TRUE(read.failure().text.contains(QStringLiteral("CRC"))) << read.failure().text.toStdString();
    }
}

// ZPL's hex graphics with run-length letters, as CUPS and other drivers
// send them; rows of two bytes unless the case says.
TEST(ZplGraphicField, RunLengthHex_ExpandsAsTheLettersSay)
{
    const struct {
        const char* data;
        int rows, rowBytes;
        const char* bytes; // hex, or nullptr when the data is refused
        const char* why;
    } cases[] = {
        {"F00F", 1, 2, "F00F", "plain digits"},
        {"JF", 1, 2, "FFFF", "J repeats the next digit 4 times"},
        {"GAHB0", 1, 2, "ABB0", "G is 1, H is 2"},
        {"HF,", 1, 2, "FF00", "a comma fills the row with 0"},
        {"H0!", 1, 2, "00FF", "an exclamation mark fills it with 1"},
        {",", 1, 2, "0000", "a row of nothing but the comma"},
        {"A5C3:", 2, 2, "A5C3A5C3", "a colon repeats the row before"},
        {"gF", 1, 10, "FFFFFFFFFFFFFFFFFFFF", "g is 20"},
        {"gJF", 1, 12, "FFFFFFFFFFFFFFFFFFFFFFFF", "letters add up: 20 + 4"},
        {"hA", 1, 20, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", "h is 40"},
        {"F\r\n00F", 1, 2, "F00F", "line ends are skipped"},
        {"KF", 1, 2, nullptr, "five digits overfill a row of four"},
        {"FF", 1, 2, nullptr, "the data ends inside the row"},
        {"FF^FS", 1, 2, nullptr, "the next command ends the data early"},
        {"F:", 1, 2, nullptr, "a colon after digits of the row's own"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        qsizetype at = 0;
        const core::Result<QByteArray> bits = testsupport::ZplHexBitmap(QByteArray(c.data), at, c.rows, c.rowBytes);
        ASSERT_EQ(bits.ok(), c.bytes != nullptr);
        if (bits.ok()) {
            EXPECT_EQ(bits->toHex().toUpper(), QByteArray(c.bytes));
        }
    }
    // z is 400 digits: a row of 200 bytes.
    qsizetype at = 0;
    EXPECT_EQ(*testsupport::ZplHexBitmap("zF", at, 1, 200), QByteArray(200, '\xFF'));
}
