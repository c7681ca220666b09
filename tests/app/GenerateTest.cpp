#include "app/Form1.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

using app::Form1;

namespace {

struct GenerateTest : ::testing::Test {
    testsupport::TempConfig config;
    Form1 form;
    void SetUp() override { form.Form_Load(); }
};

} // namespace

TEST_F(GenerateTest, EmptyText_LeavesNoPicture)
{
    form.Option2->setChecked(true);
    form.Text1->setText(QStringLiteral("ABC"));
    ASSERT_TRUE(form.Picture2.Picture().has_value());
    form.Text1->setText(QString());
    EXPECT_FALSE(form.Picture2.Picture().has_value());
}

TEST_F(GenerateTest, Code39_EveryKeystrokeRegenerates_AndPicture2IsPicture1)
{
    form.Option2->setChecked(true);
    form.Check2->setChecked(true);
    QString typed;
    for (QChar c : QStringLiteral("AB-12")) {
        typed += c;
        form.Text1->setText(typed);
        ASSERT_TRUE(form.Picture2.Picture().has_value());
        EXPECT_EQ(*form.Picture2.Picture(), form.Picture1.Image());
        const auto d = testsupport::DecodeOne(testsupport::WithQuietZone(*form.Picture2.Picture()),
                                              ZXing::BarcodeFormat::Code39);
        EXPECT_EQ(QString::fromStdString(d.text), typed);
    }
}

TEST_F(GenerateTest, NoOptionSelected_FallsBackToCode39)
{
    for (QRadioButton* o : {form.Option1, form.Option2, form.Option4, form.Option5, form.Option8, form.Option9})
        o->setChecked(false);
    form.Text1->setText(QStringLiteral("FALLBACK"));
    ASSERT_TRUE(form.Picture2.Picture().has_value());
    const auto d = testsupport::DecodeOne(testsupport::WithQuietZone(*form.Picture2.Picture()), ZXing::BarcodeFormat::Code39);
    EXPECT_EQ(d.text, "FALLBACK");
}

TEST_F(GenerateTest, SurfaceVisibilityFollowsTheOption)
{
    struct Case { QRadioButton* Form1::*option; bool p1, p5, p10; };
    const Case cases[] = {
        {&Form1::Option2, true, false, false},
        {&Form1::Option1, true, false, false},
        {&Form1::Option4, false, true, false},
        {&Form1::Option5, false, true, false},
        {&Form1::Option8, true, false, false},
        {&Form1::Option9, true, false, true},
    };
    for (const auto& c : cases) {
        (form.*c.option)->setChecked(true);
        form.Text1->setText(QStringLiteral("1234567"));
        form.Command1_Click();
        EXPECT_EQ(form.Picture1.Visible(), c.p1) << (form.*c.option)->text().toStdString();
        EXPECT_EQ(form.Picture5.Visible(), c.p5) << (form.*c.option)->text().toStdString();
        EXPECT_EQ(form.Picture10.Visible(), c.p10) << (form.*c.option)->text().toStdString();
        EXPECT_TRUE(form.Picture9.Visible());
    }
}

TEST_F(GenerateTest, Code25WithOneCharacter_DrawsNothing)
{
    form.Option5->setChecked(true);
    form.Text1->setText(QStringLiteral("7"));
    EXPECT_FALSE(form.Picture2.Picture().has_value());
}

TEST_F(GenerateTest, EanTagCarriesTextOnlyForEan)
{
    form.Option9->setChecked(true);
    form.Text1->setText(QStringLiteral("12"));
    EXPECT_EQ(form.Picture10.Tag, QStringLiteral("12"));
    form.Option2->setChecked(true);
    form.Command1_Click();
    EXPECT_TRUE(form.Picture10.Tag.isEmpty());
}

TEST_F(GenerateTest, HeightFactorResizesPicture1AndRegenerates)
{
    form.Option2->setChecked(true);
    form.Text1->setText(QStringLiteral("X"));
    form.Text8->setText(QStringLiteral("2"));
    EXPECT_NEAR(form.Picture1.ScaleHeight(), 80, 1);
    form.Text8->setText(QStringLiteral("not a number")); // falls back to 1.4
    EXPECT_NEAR(form.Picture1.ScaleHeight(), 56, 1);
}
