// Generate for "Code 128 B" as every keystroke runs it: the Code 39
// pre-sizing of Picture1, then the layout engine with its caption.
#include "ui/Form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <benchmark/benchmark.h>

namespace {

void BM_Generate_Code128B_WithCaption(benchmark::State& state)
{
    ui::Form1 form;
    form.Form_Load();
    form.findChild<QRadioButton*>(QStringLiteral("Option1"))->setChecked(true);
    form.findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->blockSignals(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("QUORVANE-2026-ABC123")); // 20 characters
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->blockSignals(false);
    for (auto _ : state)
        form.Command1_Click();
}
BENCHMARK(BM_Generate_Code128B_WithCaption)->Unit(benchmark::kMicrosecond);

} // namespace
