#include "services/Messages.h"
#include "symbols/Ean.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

using ui::Form1;

namespace {

struct UpcEanGenerateTest : ::testing::Test {
    testsupport::TempConfig config;
    services::RecordingSink messages;
    Form1 form{testsupport::Quietly(&messages)};
    void SetUp() override { form.Form_Load(); }

    std::string DecodedPicture2(ZXing::BarcodeFormat format)
    {
        if (!form.Box("Picture2").Picture())
            return "(no picture)";
        return testsupport::DecodeOne(*form.Box("Picture2").Picture(), format).text;
    }
};

} // namespace

TEST_F(UpcEanGenerateTest, Upc_ElevenDigits_ScanAsTheCodeAndItsCheckDigit)
{
    testsupport::Radio(form, "Option8")->setChecked(true);
    struct Case { const char* text; const char* scanned; const char* why; };
    const Case cases[] = {
        {"03600029145", "036000291452", "worked example"},
        {" 03600029145 ", "036000291452", "blanks around are trimmed"},
        {"00000000000", "000000000000", "sum 0: check 0"},
        {"12345678901", "123456789012", "every digit"},
        {"98765432109", "987654321098", "every digit backwards"},
        {"88888888888", "888888888886", "wide bars throughout"},
        {"61414199999", "614141999996", "mixed"},
    };
    for (bool withText : {false, true}) {
        testsupport::CheckBox(form, "Check2")->setChecked(withText);
        for (const auto& c : cases) {
            testsupport::Line(form, "Text1")->setText(QString::fromLatin1(c.text));
            EXPECT_EQ(DecodedPicture2(ZXing::BarcodeFormat::UPCA), c.scanned) << c.why << ", text " << withText;
            EXPECT_EQ(symbols::GenerateSymbol(form.ReadRequest()).tag, QString(QLatin1Char(c.scanned[11]))) << c.why;
            EXPECT_EQ(*form.Box("Picture2").Picture(), form.Box("Picture9").Image());
        }
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(UpcEanGenerateTest, Upc_TextsThatAreNotElevenDigits_GiveNoBarcode)
{
    testsupport::Radio(form, "Option8")->setChecked(true);
    struct Case { const char* text; const char* check; const char* why; };
    const Case cases[] = {
        {"0360002914", "7", "10 digits"},
        {"036000291452", "2", "12 digits"},
        {"036A0029145", "2", "a letter among 11 characters"},
        {"Enter Bar Code Text here", "0", "the start-up text"},
    };
    for (const auto& c : cases) {
        testsupport::Line(form, "Text1")->setText(QString::fromLatin1(c.text));
        ASSERT_TRUE(form.Box("Picture2").Picture().has_value()) << c.why;
        EXPECT_TRUE(testsupport::DecodeAll(*form.Box("Picture2").Picture()).empty()) << c.why;
        EXPECT_EQ(symbols::GenerateSymbol(form.ReadRequest()).tag, QString::fromLatin1(c.check)) << c.why << ": the check digit is still given";
    }
}

TEST_F(UpcEanGenerateTest, Ean13_EveryFirstDigit_TypedCheckDigitReplaced)
{
    testsupport::Radio(form, "Option9")->setChecked(true);
    const char* rest = "71234567890"; // 11 more digits
    for (char first = '0'; first <= '9'; ++first) {
        const std::string data = std::string(1, first) + rest;
        for (const char* typedCheck : {"", "9"}) {
            testsupport::Line(form, "Text1")->setText(QString::fromStdString(data + typedCheck));
            const std::string scanned = DecodedPicture2(ZXing::BarcodeFormat::EAN13);
            ASSERT_EQ(scanned.size(), 13u) << data << typedCheck;
            EXPECT_EQ(scanned.substr(0, 12), data);
            EXPECT_EQ(form.Picture10Tag().toStdString(), scanned) << "the tag holds the full code";
            EXPECT_EQ(testsupport::DecodeOne(form.Box("Picture10").Image(), ZXing::BarcodeFormat::EAN13).text, scanned);
            EXPECT_EQ(*form.Box("Picture2").Picture(), form.Box("Picture10").Image());
        }
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(UpcEanGenerateTest, Ean_WorkedExamplesScan)
{
    testsupport::Radio(form, "Option9")->setChecked(true);
    struct Case { const char* text; ZXing::BarcodeFormat format; const char* scanned; };
    const Case cases[] = {
        {"400638133393", ZXing::BarcodeFormat::EAN13, "4006381333931"},
        {"4006381333930", ZXing::BarcodeFormat::EAN13, "4006381333931"},
        {"1234567", ZXing::BarcodeFormat::EAN8, "12345670"},
        {"96385074", ZXing::BarcodeFormat::EAN8, "96385074"},
        {"12345678901", ZXing::BarcodeFormat::EAN8, "12345670"},
    };
    for (const auto& sizes : {std::pair{"8", "1.4"}, std::pair{"20", "9"}}) {
        testsupport::Line(form, "Text3")->setText(QString::fromLatin1(sizes.first));
        testsupport::Line(form, "Text8")->setText(QString::fromLatin1(sizes.second)); // regenerates
        for (const auto& c : cases) {
            testsupport::Line(form, "Text1")->setText(QString::fromLatin1(c.text));
            EXPECT_EQ(DecodedPicture2(c.format), c.scanned) << c.text << " bar length " << sizes.first;
        }
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(UpcEanGenerateTest, Ean_TooLongText_GivesTheMessageAndNoBarcode)
{
    testsupport::Radio(form, "Option9")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("400638133393"));
    testsupport::Line(form, "Text1")->setText(QStringLiteral("4006381333931234567890"));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], symbols::EanTooLongMessage());
    ASSERT_TRUE(form.Box("Picture2").Picture().has_value());
    EXPECT_TRUE(testsupport::DecodeAll(*form.Box("Picture2").Picture()).empty()) << "no symbol of the previous text";
}

TEST_F(UpcEanGenerateTest, Ean_NonNumericBarLength_IsATypeMismatch)
{
    testsupport::Radio(form, "Option9")->setChecked(true);
    testsupport::Line(form, "Text3")->setText(QStringLiteral("tall"));
    testsupport::Line(form, "Text1")->setText(QStringLiteral("1234567"));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], QStringLiteral("13\nType mismatch"));
}
