// Generate as the preview runs it on every keystroke: clear the surfaces,
// draw, snapshot into the result holder.
#include "ui/Form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void GenerateWith(benchmark::State& state, const char* option)
{
    ui::Form1 form;
    form.Form_Load();
    form.findChild<QRadioButton*>(QLatin1String(option))->setChecked(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->blockSignals(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("QUORVANE-2026-ABC123")); // 20 characters
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->blockSignals(false);
    for (auto _ : state)
        form.Command1_Click();
}

void BM_Generate_Code39(benchmark::State& state) { GenerateWith(state, "Option2"); }
BENCHMARK(BM_Generate_Code39)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
