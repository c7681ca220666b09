// `quorvane labels` to a label printer's CUPS queue with no driver: the
// records go out as one job of ZPL, a label each, in record order with
// their copies; each label, read back from the stream, scans as its
// record's field and is dot for dot the label laid out from its record
// (its text lines included).
#include "jobs/DataMerge.h"
#include "tests/printing/cups/OwnCupsd.h"
#include "tests/printing/cups/RawPort.h"
#include "tests/support/UnattendedRun.h"
#include "tests/support/WaitUntil.h"

#include <QPainter>

namespace {

// The label of `record` as the printer's dots: 0 where a dot prints.
QImage Expected(const labels::PreparedLabel& label, const QStringList& names, const QStringList& values, qint64 record)
{
    labels::FillContext fill;
    fill.record = record;
    fill.run = record;
    fill.fieldNames = std::span<const QString>(names.constData(), static_cast<size_t>(names.size()));
    fill.fieldValues = std::span<const QString>(values.constData(), static_cast<size_t>(values.size()));
    fill.today = QDate::currentDate();
    const core::Result<labels::LaidOutLabel> laid = labels::LayOutLabel(label, fill, 203);
    EXPECT_TRUE(laid.ok()) << laid.failure().text.toStdString();
    QImage image(laid.ok() ? laid->sizeDots : QSize(1, 1), QImage::Format_Grayscale8);
    image.fill(255);
    if (laid.ok()) {
        QPainter painter(&image);
        labels::PaintLabel(*laid, painter, QPointF(), graphics::DeviceGrid(203, 203));
    }
    return image;
}

// The dots that differ between two pictures of the label (0: a dot).
int DotsApart(const QImage& printed, const QImage& expected)
{
    int apart = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const bool dot = x < printed.width() && y < printed.height() && qGray(printed.pixel(x, y)) < 128;
            apart += dot != (qGray(expected.pixel(x, y)) < 128);
        }
    return apart;
}

} // namespace

TEST(CupsLabels, Merge_RecordsToAZplQueue_OneJobOfTheirLabelsInOrderWithCopies)
{
    SKIP_WITHOUT_CUPSD();
    testsupport::OwnCupsd cups;
    ASSERT_TRUE(cups.Started());
    testsupport::RawPort printer;
    ASSERT_NE(printer.Port(), 0);
    ASSERT_TRUE(cups.AddQueue(QStringLiteral("Zebra"), printer.Uri(), {QStringLiteral("-m"), QStringLiteral("raw")}));

    testsupport::UnattendedRun run;
    run.cupsServer = cups.Socket();
    QByteArray csv = "sku,name,qty\n";
    std::vector<int> expected; // the record of each label
    for (int i = 1; i <= 200; ++i) {
        const int copies = i % 7 == 0 ? 0 : i % 5 == 0 ? 2 : 1;
        csv += QStringLiteral("Z%1,Part %2 of the run,%3\n").arg(i * 37, 6, 10, QLatin1Char('0')).arg(i).arg(copies).toUtf8();
        expected.insert(expected.end(), static_cast<size_t>(copies), i);
    }
    const QString data = run.writeFile(QStringLiteral("parts.csv"), csv);
    testsupport::RunOptions o;
    o.args = QStringList{"labels", "--barcode", "${sku}", "--text", "${name}", "--data", data, "--copies-field", "qty",
                         "--printer", "Zebra", "--media", "2x1in", "--layout", "One label per job", "--no-wait"};
    o.timeoutMs = 120000;
    const testsupport::ProgramRun r = run.run(o);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString() << cups.ErrorLog().toStdString();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return printer.Jobs() >= 1; }, 60000, 50)) << cups.ErrorLog().toStdString();
    EXPECT_EQ(printer.Jobs(), 1) << "the labels go as one job";
    const auto labels = testsupport::ReadZplLabels(printer.Take());
    ASSERT_TRUE(labels.ok()) << labels.failure().text.toStdString();
    ASSERT_EQ(labels->size(), expected.size());

    // The same label as the command line makes it, 2 × 1 in.
    auto prepared = labels::PrepareLabel(jobs::QuickLabel(QStringLiteral("${sku}"), symbols::Symbology::Code128,
                                                          {QStringLiteral("${name}")}, QSizeF(50.8, 25.4)));
    ASSERT_TRUE(prepared.ok());
    const QStringList names{"sku", "name", "qty"};
    const QStringList rows = QString::fromUtf8(csv).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    for (size_t i = 0; i < labels->size(); ++i) {
        const int record = expected[i];
        SCOPED_TRACE(QStringLiteral("label %1, record %2").arg(i).arg(record).toStdString());
        const testsupport::ReadLabel& label = (*labels)[i];
        EXPECT_EQ(label.width, 406);
        EXPECT_EQ(label.length, 203);
        const QStringList values = rows[record - 1].split(QLatin1Char(','));
        EXPECT_EQ(testsupport::DecodeOne(testsupport::WithQuietZone(label.picture), ZXing::BarcodeFormat::Code128).text,
                  values[0].toStdString());
        EXPECT_EQ(DotsApart(label.picture, Expected(*prepared, names, values, record)), 0);
    }
}
