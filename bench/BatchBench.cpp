// Batch printing cost per code line: the listing of a file in which every
// line is a code line, printed by the main window to the built-in PDF
// printer. bench/batch_bench.sh measures the whole unattended program
// (start-up, wall time, peak memory); this isolates the per-line work.
#include "printing/Printers.h"
#include "ui/Form1.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void BatchWith(benchmark::State& state, const char* option)
{
    QTemporaryDir dir;
    qputenv("QUORVANE_PDF_DIR", dir.filePath(QStringLiteral("pdf")).toLocal8Bit());
    const QString path = dir.filePath(QStringLiteral("batch.txt"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const int lines = static_cast<int>(state.range(0));
    for (int i = 1; i <= lines; ++i)
        file.write(QStringLiteral("*QV-%1\r\n").arg(i, 6, 10, QLatin1Char('0')).toLatin1());
    file.close();

    ui::Form1 form;
    form.Form_Load();
    form.findChild<QRadioButton*>(QLatin1String(option))->setChecked(true);
    form.findChild<QLineEdit*>(QStringLiteral("Text4"))->setText(QStringLiteral("*"));
    form.findChild<QLineEdit*>(QStringLiteral("Text5"))->setText(path);
    form.findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(printing::kPdfPrinterName);
    for (auto _ : state)
        form.Command4_Click();
    state.SetItemsProcessed(state.iterations() * lines);
}

void BM_BatchPrint_Code39(benchmark::State& state) { BatchWith(state, "Option2"); }
BENCHMARK(BM_BatchPrint_Code39)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
