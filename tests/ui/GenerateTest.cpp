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

struct GenerateTest : ::testing::Test {
    testsupport::TempConfig config;
    Form1 form{testsupport::Quietly()};
    void SetUp() override { form.Form_Load(); }
};

} // namespace

TEST_F(GenerateTest, EmptyText_LeavesNoPicture)
{
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("ABC"));
    ASSERT_TRUE(form.Box("Picture2").Picture().has_value());
    testsupport::Line(form, "Text1")->setText(QString());
    EXPECT_FALSE(form.Box("Picture2").Picture().has_value());
}

TEST_F(GenerateTest, Code39_EveryKeystrokeRegenerates_AndPicture2IsPicture1)
{
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::CheckBox(form, "Check2")->setChecked(true);
    QString typed;
    for (QChar c : QStringLiteral("AB-12")) {
        typed += c;
        testsupport::Line(form, "Text1")->setText(typed);
        ASSERT_TRUE(form.Box("Picture2").Picture().has_value());
        EXPECT_EQ(*form.Box("Picture2").Picture(), form.Box("Picture1").Image());
        const auto d = testsupport::DecodeOne(testsupport::WithQuietZone(*form.Box("Picture2").Picture()),
                                              ZXing::BarcodeFormat::Code39);
        EXPECT_EQ(QString::fromStdString(d.text), typed);
    }
}

TEST_F(GenerateTest, NoOptionSelected_FallsBackToCode39)
{
    for (QRadioButton* o : {testsupport::Radio(form, "Option1"), testsupport::Radio(form, "Option2"), testsupport::Radio(form, "Option4"), testsupport::Radio(form, "Option5"), testsupport::Radio(form, "Option8"), testsupport::Radio(form, "Option9")})
        o->setChecked(false);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("FALLBACK"));
    ASSERT_TRUE(form.Box("Picture2").Picture().has_value());
    const auto d = testsupport::DecodeOne(testsupport::WithQuietZone(*form.Box("Picture2").Picture()), ZXing::BarcodeFormat::Code39);
    EXPECT_EQ(d.text, "FALLBACK");
}

TEST_F(GenerateTest, SurfaceVisibilityFollowsTheOption)
{
    struct Case { const char* option; bool p1, p5, p10; };
    const Case cases[] = {
        {"Option2", true, false, false},
        {"Option1", true, false, false},
        {"Option4", false, true, false},
        {"Option5", false, true, false},
        {"Option8", true, false, false},
        {"Option9", true, false, true},
    };
    for (const auto& c : cases) {
        testsupport::Radio(form, c.option)->setChecked(true);
        testsupport::Line(form, "Text1")->setText(QStringLiteral("1234567"));
        form.Command1_Click();
        EXPECT_EQ(form.Box("Picture1").Visible(), c.p1) << testsupport::Radio(form, c.option)->text().toStdString();
        EXPECT_EQ(form.Box("Picture5").Visible(), c.p5) << testsupport::Radio(form, c.option)->text().toStdString();
        EXPECT_EQ(form.Box("Picture10").Visible(), c.p10) << testsupport::Radio(form, c.option)->text().toStdString();
        EXPECT_TRUE(form.Box("Picture9").Visible());
    }
}

TEST_F(GenerateTest, Code25WithOneCharacter_DrawsNothing)
{
    testsupport::Radio(form, "Option5")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("7"));
    EXPECT_FALSE(form.Box("Picture2").Picture().has_value());
}

TEST_F(GenerateTest, EanTagCarriesTextOnlyForEan)
{
    testsupport::Radio(form, "Option9")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("12"));
    EXPECT_EQ(form.Picture10Tag(), QStringLiteral("12"));
    testsupport::Radio(form, "Option2")->setChecked(true);
    form.Command1_Click();
    EXPECT_TRUE(form.Picture10Tag().isEmpty());
}

TEST_F(GenerateTest, HeightFactorResizesPicture1AndRegenerates)
{
    testsupport::Radio(form, "Option2")->setChecked(true);
    testsupport::Line(form, "Text1")->setText(QStringLiteral("X"));
    testsupport::Line(form, "Text8")->setText(QStringLiteral("2"));
    EXPECT_NEAR(form.Box("Picture1").ScaleHeight(), 80, 1);
    testsupport::Line(form, "Text8")->setText(QStringLiteral("not a number")); // falls back to 1.4
    EXPECT_NEAR(form.Box("Picture1").ScaleHeight(), 56, 1);
}
