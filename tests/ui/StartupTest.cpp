#include "services/Messages.h"
#include "services/Settings.h"
#include "tests/support/Decode.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <memory>

using ui::Form1;

namespace {

QString Stored(const char* key, const char* def = "<absent>")
{
    return services::GetSetting("Quorvane", "options", key, def);
}
void Store(const char* key, const QString& value) { ASSERT_TRUE(services::SaveSetting("Quorvane", "options", key, value).ok()); }

std::unique_ptr<Form1> Start(services::MessageSink* messages = nullptr)
{
    auto form = std::make_unique<Form1>(testsupport::Quietly(messages));
    form->Form_Load();
    return form;
}

QRadioButton* Selected(Form1& f)
{
    for (QRadioButton* o : {testsupport::Radio(f, "Option1"), testsupport::Radio(f, "Option2"), testsupport::Radio(f, "Option4"), testsupport::Radio(f, "Option5"), testsupport::Radio(f, "Option8"), testsupport::Radio(f, "Option9")})
        if (o->isChecked())
            return o;
    return nullptr;
}

} // namespace

TEST(Startup, EmptyStore_GivesTheDefaults)
{
    testsupport::TempConfig config;
    auto f = Start();
    EXPECT_EQ(Selected(*f), testsupport::Radio(*f, "Option1"));
    EXPECT_TRUE(testsupport::Find<QGroupBox>(*f, "FrameOptions")->isVisibleTo(f.get()));
    EXPECT_EQ(testsupport::Line(*f, "Text8")->text(), "1.4");
    EXPECT_EQ(testsupport::Line(*f, "Text3")->text(), "8");
    EXPECT_EQ(testsupport::Line(*f, "Text9")->text(), "500");
    EXPECT_EQ(testsupport::Line(*f, "Text14")->text(), "1");
    EXPECT_EQ(testsupport::Line(*f, "Text15")->text(), "1");
    EXPECT_FALSE(testsupport::CheckBox(*f, "Check1")->isChecked());
    EXPECT_FALSE(testsupport::CheckBox(*f, "Check2")->isChecked());
    EXPECT_EQ(testsupport::Combo(*f, "Combo1")->currentText(), "");
    EXPECT_EQ(testsupport::Line(*f, "Text1")->text(), "Enter Bar Code Text here");
    EXPECT_FALSE(f->Box("Picture2").Picture().has_value()) << "nothing is drawn until the text changes";
    EXPECT_EQ(Stored("text9"), "500") << "the first start stores the default stretch width";

    // The design-time text is selected: what is typed first replaces it.
    testsupport::Line(*f, "Text1")->insert(QStringLiteral("ABC"));
    EXPECT_EQ(testsupport::Line(*f, "Text1")->text(), "ABC");
}

TEST(Startup, ARestartRestoresEveryKey)
{
    testsupport::TempConfig config;
    {
        auto f = Start();
        testsupport::Radio(*f, "Option5")->setChecked(true);
        testsupport::Line(*f, "Text4")->setText("*");
        testsupport::Line(*f, "Text5")->setText("/tmp/orders.txt");
        testsupport::Line(*f, "Text8")->setText("2");
        testsupport::Line(*f, "Text3")->setText("10");
        testsupport::CheckBox(*f, "Check1")->setChecked(true);
        testsupport::CheckBox(*f, "Check2")->setChecked(true);
        testsupport::Line(*f, "Text14")->setText("2.5");
        testsupport::Line(*f, "Text15")->setText("0");
        testsupport::Line(*f, "Text9")->setText("640");
        testsupport::Line(*f, "Text21")->setText("137");
        testsupport::Line(*f, "Text22")->setText("900");
        testsupport::Combo(*f, "Combo1")->setEditText("Office-Laser_2");
        f->Combo1_Validate();
        testsupport::Combo(*f, "ComboSizeKind")->setCurrentIndex(1); // a module
        testsupport::Line(*f, "TextPrintSize")->setText("13");
        testsupport::Combo(*f, "ComboSizeUnit")->setCurrentIndex(1); // mils
        testsupport::Spin(*f, "SpinCopies")->setValue(4);
    }
    EXPECT_EQ(Stored("printsize"), "module 13 mil");
    EXPECT_EQ(Stored("copies"), "4");
    auto f = Start();
    EXPECT_EQ(Selected(*f), testsupport::Radio(*f, "Option5"));
    EXPECT_EQ(testsupport::Line(*f, "Text4")->text(), "*");
    EXPECT_EQ(testsupport::Line(*f, "Text5")->text(), "/tmp/orders.txt");
    EXPECT_EQ(testsupport::Line(*f, "Text8")->text(), "2");
    EXPECT_EQ(testsupport::Line(*f, "Text3")->text(), "10");
    EXPECT_TRUE(testsupport::CheckBox(*f, "Check1")->isChecked());
    EXPECT_TRUE(testsupport::CheckBox(*f, "Check2")->isChecked());
    EXPECT_EQ(testsupport::Line(*f, "Text14")->text(), "2.5");
    EXPECT_EQ(testsupport::Line(*f, "Text15")->text(), "0");
    EXPECT_EQ(testsupport::Line(*f, "Text9")->text(), "640");
    EXPECT_EQ(testsupport::Line(*f, "Text21")->text(), "137");
    EXPECT_EQ(testsupport::Line(*f, "Text22")->text(), "900");
    EXPECT_EQ(testsupport::Combo(*f, "Combo1")->currentText(), "Office-Laser_2");
    EXPECT_EQ(testsupport::Combo(*f, "ComboSizeKind")->currentIndex(), 1);
    EXPECT_EQ(testsupport::Line(*f, "TextPrintSize")->text(), "13");
    EXPECT_EQ(testsupport::Combo(*f, "ComboSizeUnit")->currentIndex(), 1);
    EXPECT_EQ(testsupport::Spin(*f, "SpinCopies")->value(), 4);
    EXPECT_EQ(f->ReadRequest().printSize, graphics::PrintSize::Module(13 * 0.0254));
}

TEST(Startup, ClickingAnOption_WritesAllSixTypeKeys)
{
    testsupport::TempConfig config;
    auto f = Start();
    testsupport::Radio(*f, "Option8")->setChecked(true);
    const std::pair<const char*, const char*> expected[] = {
        {"type1", "False"}, {"type2", "False"}, {"type4", "False"},
        {"type5", "False"}, {"type8", "True"},  {"type9", "False"},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(Stored(key), value) << key;
    auto next = Start();
    EXPECT_EQ(Selected(*next), testsupport::Radio(*next, "Option8"));
}

TEST(Startup, TypeValues_ConversionAndPrecedence)
{
    struct Case { const char* type1; const char* type4; const char* type9; const char* expected; const char* why; };
    const Case cases[] = {
        {"True", "True", "False", "Option4", "the last true value in key order wins"},
        {"0", "-1", "0", "Option4", "any non-zero number is true"},
        {"banana", "False", "False", "Option1", "an unconvertible value takes the key's default"},
        {"False", "False", "2", "Option9", "numbers other than 1 count too"},
        {"False", "False", "False", nullptr, "all false: no option selected"},
    };
    for (const auto& c : cases) {
        testsupport::TempConfig config;
        for (const char* k : {"type2", "type5", "type8"})
            Store(k, "False");
        Store("type1", c.type1);
        Store("type4", c.type4);
        Store("type9", c.type9);
        auto f = Start();
        QRadioButton* want = c.expected ? testsupport::Radio(*f, c.expected) : nullptr;
        EXPECT_EQ(Selected(*f), want) << c.why;
        if (want == testsupport::Radio(*f, "Option4")) {
            EXPECT_EQ(Stored("type1"), "False") << "the winner's click writes the final states back";
        }
    }
}

TEST(Startup, NoOptionSelected_GeneratesCode39)
{
    testsupport::TempConfig config;
    for (const char* k : {"type1", "type2", "type4", "type5", "type8", "type9"})
        Store(k, "False");
    auto f = Start();
    testsupport::Line(*f, "Text1")->setText("NONE");
    ASSERT_TRUE(f->Box("Picture2").Picture().has_value());
    EXPECT_EQ(testsupport::DecodeOne(testsupport::WithQuietZone(*f->Box("Picture2").Picture())).text, "NONE");
}

TEST(Startup, CheckValues_IntegersOnly)
{
    struct Case { const char* stored; bool ticked; };
    const Case cases[] = {{"1", true}, {"0", false}, {"yes", false}, {"99999", false}, {"", false}};
    for (const auto& c : cases) {
        testsupport::TempConfig config;
        Store("check2", c.stored);
        EXPECT_EQ(testsupport::CheckBox(*Start(), "Check2")->isChecked(), c.ticked) << c.stored;
    }
}

TEST(Startup, StoredHeightFactorRegeneratesAtStart)
{
    testsupport::TempConfig config;
    Store("text8", "2");
    Store("type2", "True");
    Store("type1", "False");
    auto f = Start();
    EXPECT_NEAR(f->Box("Picture1").ScaleHeight(), 80, 1);
    ASSERT_TRUE(f->Box("Picture2").Picture().has_value()) << "the design-time text was generated";
}

TEST(Startup, TypingIntoText8_StoresEveryKeystroke_AndAnEmptyBoxStaysEmpty)
{
    testsupport::TempConfig config;
    auto f = Start();
    testsupport::Line(*f, "Text8")->clear();
    QStringList seen;
    for (const QString& t : {QStringLiteral("2"), QStringLiteral("2."), QStringLiteral("2.5")}) {
        testsupport::Line(*f, "Text8")->setText(t);
        seen << Stored("text8");
    }
    EXPECT_EQ(seen, QStringList({"2", "2.", "2.5"}));
    testsupport::Line(*f, "Text8")->clear();
    EXPECT_EQ(Stored("text8"), "");
    EXPECT_EQ(testsupport::Line(*Start(), "Text8")->text(), "");
}

TEST(Startup, HiddenSettingsAreRestored)
{
    testsupport::TempConfig config;
    Start()->Settings_Click();
    EXPECT_EQ(Stored("show"), "0");
    auto f = Start();
    EXPECT_FALSE(testsupport::Find<QGroupBox>(*f, "FrameOptions")->isVisibleTo(f.get()));
    EXPECT_EQ(testsupport::Action(*f, "Settings")->text(), "&Show Settings");
}

TEST(Startup, PrinterTextIsKeptWhenTheWindowClosesWithFocusInTheBox)
{
    testsupport::TempConfig config;
    {
        auto f = Start();
        testsupport::Combo(*f, "Combo1")->setEditText("Label-Printer_1");
        f->close(); // no focus change happened
    }
    EXPECT_EQ(Stored("c1opt"), "Label-Printer_1");
}

TEST(Startup, AnUnwritableStore_WarnsOnceAndKeepsWorking)
{
    testsupport::TempConfig config;
    QDir().mkpath(config.iniFile()); // a folder where the file should be
    services::RecordingSink sink;
    auto f = Start(&sink);
    testsupport::Line(*f, "Text4")->setText("a");
    testsupport::Line(*f, "Text4")->setText("ab");
    EXPECT_EQ(sink.texts.size(), 1) << sink.texts.join("|").toStdString();
    testsupport::Radio(*f, "Option2")->setChecked(true);
    testsupport::Line(*f, "Text1")->setText("STILL");
    EXPECT_TRUE(f->Box("Picture2").Picture().has_value());
}

TEST(Startup, ControlsChangedFromCodeRaiseTheirHandlerOnlyWhenTheValueDiffers)
{
    testsupport::TempConfig config;
    auto f = Start();
    testsupport::Radio(*f, "Option2")->setChecked(true);
    testsupport::Line(*f, "Text1")->setText("SAME");
    ASSERT_TRUE(f->Box("Picture2").Picture().has_value());
    // A Generate puts a new picture in the result holder, even of the same barcode.
    const qint64 drawn = f->Box("Picture2").Picture()->cacheKey();
    testsupport::Line(*f, "Text1")->setText("SAME"); // equal value: no Generate
    EXPECT_EQ(f->Box("Picture2").Picture()->cacheKey(), drawn);
    testsupport::Line(*f, "Text1")->setText("OTHER");
    EXPECT_NE(f->Box("Picture2").Picture()->cacheKey(), drawn);
}

// A stored height factor regenerates during start-up on the design-time
// text; what a drawer says about that text nobody typed is not shown.
TEST(Startup, RegeneratingTheDesignTimeText_ShowsNoMessage)
{
    struct Case { const char* typeKey; const char* why; };
    const Case cases[] = {
        {"type9", "EAN: the 24-character text is too long"},
        {"type5", "Interleaved 2 of 5: the text is not digits"},
    };
    for (const auto& c : cases) {
        testsupport::TempConfig config;
        for (const char* k : {"type1", "type2", "type4", "type5", "type8", "type9"})
            Store(k, qstrcmp(k, c.typeKey) == 0 ? "True" : "False");
        Store("text8", "10");
        services::RecordingSink sink;
        auto f = Start(&sink);
        EXPECT_TRUE(sink.texts.isEmpty()) << c.why << ": " << sink.texts.join("|").toStdString();
        testsupport::Line(*f, "Text1")->setText("12A4"); // a text the user types is reported as always
        if (qstrcmp(c.typeKey, "type5") == 0) {
            EXPECT_EQ(sink.texts.size(), 1) << c.why;
        }
    }
}
