// A symbology is one row of the table: a row registered here, and nothing
// else, reaches the command line, its help, the scan check, Generate and
// the window's options with their stored key.
#include "cli/CommandLine.h"
#include "services/Messages.h"
#include "services/Settings.h"
#include "symbols/PatternGenerate.h"
#include "symbols/SymbologyTable.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

constexpr auto kFake = static_cast<symbols::Symbology>(100);

// A made-up symbology that draws Code 128 bars and reads as what was typed.
symbols::Generated DrawFake(const symbols::SymbolRequest& r, symbols::GenerateSurfaces& s)
{
    QString text = r.text;
    return {&s.pattern, symbols::DrawPatternSymbol(QStringLiteral("128"), text, {r.heightFactor, r.width, r.withText}, s.pattern), {}};
}

symbols::ScanExpectation ReadFake(const QString& text) { return {QStringLiteral("Code128"), text}; }

class FakeSymbology : public ::testing::Test {
protected:
    void SetUp() override
    {
        symbols::RegisterSymbology({kFake, "fake-bars", "Fake Bars", {"OptionFake", "typefake", "0", 120, 720, 300, 195},
                                symbols::SurfaceId::Pattern, false, 100, false, DrawFake, ReadFake});
    }
    void TearDown() override { symbols::UnregisterSymbology(kFake); }
};

} // namespace

TEST_F(FakeSymbology, OneRowReachesTheCommandLineTheScanCheckAndTheWindow)
{
    EXPECT_TRUE(cli::ExportTypeNames().contains(QStringLiteral("fake-bars")));
    EXPECT_TRUE(cli::CommandLineHelp().contains(QStringLiteral("fake-bars (Fake Bars)")));
    const cli::Command c = cli::ParseCommandLine(
        {QStringLiteral("export"), QStringLiteral("--type"), QStringLiteral("fake-bars"), QStringLiteral("--text"),
         QStringLiteral("F-1"), QStringLiteral("--output"), QStringLiteral("f.svg")});
    ASSERT_EQ(c.kind, cli::Command::Export) << c.error.toStdString();
    EXPECT_EQ(c.symbology, kFake);

    symbols::SymbolRequest request;
    request.symbology = kFake;
    request.text = QStringLiteral("F-1");
    const symbols::Symbol symbol = symbols::GenerateSymbol(request);
    ASSERT_FALSE(symbol.drawing.IsEmpty());
    EXPECT_TRUE(symbols::ScanCheck(symbol.drawing.Cropped(), symbols::ExpectedScan(kFake, request.text)).Scans());

    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::Form1 form{testsupport::Quietly(&messages)};
    form.Form_Load();
    auto* option = form.findChild<QRadioButton*>(QStringLiteral("OptionFake"));
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->text(), QStringLiteral("Fake Bars"));
    option->setChecked(true);
    EXPECT_EQ(form.ReadRequest().symbology, kFake);
    EXPECT_FALSE(testsupport::Radio(form, "Option1")->isChecked());
    EXPECT_EQ(services::GetSetting(QStringLiteral("Quorvane"), QStringLiteral("options"), QStringLiteral("typefake"), QString()),
              QStringLiteral("True"));
}
