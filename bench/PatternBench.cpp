// Generate for "Code 128-1" as the preview runs it on every keystroke:
// clear the surfaces, draw on Picture5, stretch to Text9, snapshot.
#include "ui/Form1.h"

#include <QLineEdit>
#include <QRadioButton>
#include <benchmark/benchmark.h>

namespace {

void BM_Generate_Code128_1_Text9_500(benchmark::State& state)
{
    ui::Form1 form;
    form.Form_Load();
    form.findChild<QRadioButton*>(QStringLiteral("Option4"))->setChecked(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text9"))->setText(QStringLiteral("500"));
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->blockSignals(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("QUORVANE-2026-ABC123")); // 20 characters
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->blockSignals(false);
    for (auto _ : state)
        form.Command1_Click();
}
BENCHMARK(BM_Generate_Code128_1_Text9_500)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
