// A symbology is one row of the table: a row registered here, and nothing
// else, reaches the command line, its help, the scan check, Generate and
// the window's options with their stored key.
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/PatternGenerate.h"
#include "app/SymbologyTable.h"
#include "platform/MessageBox.h"
#include "platform/Settings.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"

#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

constexpr auto kFake = static_cast<app::Symbology>(100);

// A made-up symbology that draws Code 128 bars and reads as what was typed.
app::Generated DrawFake(const app::SymbolRequest& r, app::GenerateSurfaces& s)
{
    QString text = r.text;
    app::DrawPatternSymbol(QStringLiteral("128"), text, {r.heightFactor, r.width, r.withText}, s.picture5);
    return {&s.picture5, {}, {}};
}

output::ScanExpectation ReadFake(const QString& text) { return {QStringLiteral("Code128"), text}; }

class FakeSymbology : public ::testing::Test {
protected:
    void SetUp() override
    {
        app::RegisterSymbology({kFake, "fake-bars", "Fake Bars", {"OptionFake", "typefake", "0", 120, 720, 300, 195},
                                app::SurfaceId::Picture5, false, 100, false, DrawFake, ReadFake});
    }
    void TearDown() override { app::UnregisterSymbology(kFake); }
};

} // namespace

TEST_F(FakeSymbology, OneRowReachesTheCommandLineTheScanCheckAndTheWindow)
{
    EXPECT_TRUE(app::ExportTypeNames().contains(QStringLiteral("fake-bars")));
    EXPECT_TRUE(app::CommandLineHelp().contains(QStringLiteral("fake-bars (Fake Bars)")));
    const app::Command c = app::ParseCommandLine(
        {QStringLiteral("export"), QStringLiteral("--type"), QStringLiteral("fake-bars"), QStringLiteral("--text"),
         QStringLiteral("F-1"), QStringLiteral("--output"), QStringLiteral("f.svg")});
    ASSERT_EQ(c.kind, app::Command::Export) << c.error.toStdString();
    EXPECT_EQ(c.symbology, kFake);

    app::SymbolRequest request;
    request.symbology = kFake;
    request.text = QStringLiteral("F-1");
    const app::Symbol symbol = app::GenerateSymbol(request);
    ASSERT_FALSE(symbol.drawing.IsEmpty());
    EXPECT_TRUE(output::ScanCheck(symbol.drawing.Cropped(), app::ExpectedScan(kFake, request.text)).Scans());

    testsupport::TempConfig config;
    platform::RecordingSink messages;
    platform::ScopedMessageSink sink(&messages);
    app::Form1 form;
    form.Form_Load();
    auto* option = form.findChild<QRadioButton*>(QStringLiteral("OptionFake"));
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->text(), QStringLiteral("Fake Bars"));
    option->setChecked(true);
    EXPECT_EQ(form.ReadRequest().symbology, kFake);
    EXPECT_FALSE(testsupport::Radio(form, "Option1")->isChecked());
    EXPECT_EQ(platform::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("typefake"), QString()),
              QStringLiteral("True"));
}
