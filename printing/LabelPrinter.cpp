#include "printing/LabelPrinter.h"

#include "printing/CupsPrinter.h"
#include "printing/PictureJob.h"
#include "printing/SocketPrinter.h"

#include <QBuffer>
#include <QIODevice>
#include <QRegularExpression>
#include <cmath>
#include <functional>

namespace printing {
namespace {

constexpr double kMmPerInch = 25.4;

int DotsOf(double mm, int dpi) { return static_cast<int>(std::lround(mm / kMmPerInch * dpi)); }

// A whole sentence made the reason after "The printer X failed: ".
QString AsReason(QString text)
{
    // "A darkness ..." and "The printer ...", not "ZPL ...".
    if (text.size() > 1 && text[0].isUpper() && (text[1].isLower() || text[1] == QLatin1Char(' ')))
        text[0] = text[0].toLower();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

core::Failure Refused(const QString& reason) { return core::Failure{core::kPrintFailed, reason}; }

using SendLabels = std::function<core::Result<JobDone>(const QByteArray& stream)>;

// A job's labels: each page painted on a white picture of the label's
// dots, and written in the printer's language when the next page begins
// or the job ends; the stream goes out whole at the end.
class LabelJob : public PictureJob {
public:
    LabelJob(files::LabelLanguage language, const files::LabelSettings& settings, SendLabels send)
        : PictureJob(QSize(settings.width, settings.height), settings.dpi), language_(language), settings_(settings),
          send_(std::move(send))
    {
    }

    QPointF SheetCorner() const override { return {}; }
    QSizeF PrintableSize() const override { return QSizeF(settings_.width, settings_.height); }

private:
    core::Status TakePage(QImage page) override
    {
        const core::Status appended = files::AppendLabel(stream_, language_, page, settings_);
        if (appended.failed())
            return Refused(AsReason(appended.failure().text));
        ++labels_;
        return core::Ok();
    }

    core::Result<JobDone> Send() override
    {
        core::Result<JobDone> done = send_(stream_);
        if (done.ok()) {
            done->labels = labels_;
            done->bytes = stream_.size();
        }
        return done;
    }

    files::LabelLanguage language_;
    files::LabelSettings settings_;
    SendLabels send_;
    QByteArray stream_;
    qint64 labels_ = 0;
};

} // namespace

core::Result<QSizeF> ParseMedia(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\s*(\d+(?:\.\d+)?)\s*[x×X]\s*(\d+(?:\.\d+)?)\s*(mm|in)\s*$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return core::Failure{core::kNotAboveZero,
                             QStringLiteral("\"%1\" is not a label size: write it as WIDTHxHEIGHT and mm or in, "
                                            "as 50x25mm or 2x1in.")
                                 .arg(text)};
    const double unit = m.captured(3) == QLatin1String("in") ? kMmPerInch : 1;
    const QSizeF mm(m.captured(1).toDouble() * unit, m.captured(2).toDouble() * unit);
    const double most = double(files::kMaxLabelDots) / kMaxLabelDpi * kMmPerInch;
    if (mm.width() < 1 || mm.height() < 1 || mm.width() > most || mm.height() > most)
        return core::Failure{core::kNotAboveZero, QStringLiteral("The label size \"%1\" can't be printed: each side "
                                                                 "must be 1 to %2 mm.")
                                                      .arg(text)
                                                      .arg(std::floor(most))};
    return mm;
}

QString MediaText(QSizeF mm)
{
    const auto hundredths = [](double v) { return std::abs(v * 100 - std::round(v * 100)) < 1e-6; };
    const double w = mm.width() / kMmPerInch, h = mm.height() / kMmPerInch;
    if (hundredths(w) && hundredths(h))
        return QStringLiteral("%1x%2in").arg(QString::number(w, 'g', 8), QString::number(h, 'g', 8));
    return QStringLiteral("%1x%2mm").arg(QString::number(std::round(mm.width() * 100) / 100, 'g', 8),
                                         QString::number(std::round(mm.height() * 100) / 100, 'g', 8));
}

QString LabelSizeFromText(LabelSizeFrom from)
{
    switch (from) {
    case LabelSizeFrom::Stored: return QStringLiteral("the size set for this printer");
    case LabelSizeFrom::Queue: return QStringLiteral("the printer's default media");
    case LabelSizeFrom::Sheet: return QStringLiteral("the sheet layout's page");
    case LabelSizeFrom::Default: return QStringLiteral("the 4 × 6 in default: no size is set for this printer");
    }
    return {};
}

QSize LabelPrinter::Label::Dots() const { return QSize(DotsOf(sizeMm.width(), dpi), DotsOf(sizeMm.height(), dpi)); }

LabelPrinter::LabelPrinter(QString name, LabelSink sink, LabelSetup setup, Calibration calibration, QByteArray format)
    : name_(std::move(name)), sink_(sink), setup_(std::move(setup)), calibration_(calibration),
      format_(format.isEmpty() ? QByteArray("application/vnd.cups-raw") : std::move(format))
{
}

LabelPrinter::LabelPrinter(QString name, QIODevice& out, LabelSetup setup, Calibration calibration)
    : name_(std::move(name)), sink_(LabelSink::Device), setup_(std::move(setup)), calibration_(calibration), out_(&out)
{
}

std::unique_ptr<LabelPrinter> LabelPrinter::WritingTo(QIODevice& out) const
{
    // The label the printer would get, found out once: the copy asks no queue.
    auto copy = std::make_unique<LabelPrinter>(name_, out, setup_, calibration_);
    if (const core::Result<Label> label = LabelFor(std::nullopt); label.ok()) {
        copy->setup_.dpi = label->dpi;
        if (label->from != LabelSizeFrom::Default)
            copy->setup_.mediaMm = label->sizeMm;
    }
    return copy;
}

core::Result<LabelPrinter::Label> LabelPrinter::LabelFor(std::optional<QSizeF> paperMm) const
{
    // A queue with no driver names no media: that is no failure here, the
    // label's size comes from elsewhere then.
    std::optional<QueuePage> queue;
    if (sink_ == LabelSink::CupsQueue && (!setup_.mediaMm || !setup_.dpi))
        if (core::Result<QueuePage> page = QueuePageOf(name_); page.ok())
            queue = *page;
    Label label;
    label.dpi = setup_.dpi.value_or(queue && queue->dpi > 0 ? queue->dpi : kLabelPrinterDpi);
    if (setup_.mediaMm) {
        label.sizeMm = *setup_.mediaMm;
        label.from = LabelSizeFrom::Stored;
    } else if (queue) {
        label.sizeMm = queue->sizeMm;
        label.from = LabelSizeFrom::Queue;
    } else if (paperMm) {
        label.sizeMm = *paperMm;
        label.from = LabelSizeFrom::Sheet;
    } else {
        label.sizeMm = kDefaultLabelMm;
    }
    if (const core::Status fits = SheetsFit(paperMm, label.sizeMm, DescribePage(QueuePage{label.sizeMm, {}, 0}));
        fits.failed())
        return fits.failure();
    return label;
}

core::Result<JobPage> LabelPrinter::PageFor(std::optional<QSizeF> paperMm) const
{
    const core::Result<Label> label = LabelFor(paperMm);
    if (label.failed())
        return label.failure();
    // A label printer prints to the label's edges.
    return JobPage{label->sizeMm, QMarginsF(), label->sizeMm, double(label->dpi), calibration_};
}

core::Result<PaintingTarget::OpenedJob> LabelPrinter::Open(std::optional<QSizeF> paperMm)
{
    const core::Result<Label> label = LabelFor(paperMm);
    if (label.failed())
        return label.failure();
    if (label->dpi < kMinLabelDpi || label->dpi > kMaxLabelDpi)
        return Refused(QStringLiteral("a label printer of %1 dpi can't be printed to: it must have %2 to %3")
                           .arg(label->dpi)
                           .arg(kMinLabelDpi)
                           .arg(kMaxLabelDpi));
    files::LabelSettings settings;
    const QSize dots = label->Dots();
    settings.width = dots.width();
    settings.height = dots.height();
    settings.dpi = label->dpi;
    settings.darkness = setup_.darkness;
    settings.speed = setup_.speed;
    const files::LabelLanguage language = Language();
    // The settings are checked before anything is painted: a darkness the
    // language does not take, a label too large for it.
    QImage dot(1, 1, QImage::Format_Grayscale8);
    dot.fill(255);
    if (const core::Result<QByteArray> checked = files::LabelBytes(language, dot, settings); checked.failed())
        return Refused(AsReason(checked.failure().text));

    SendLabels send;
    switch (sink_) {
    case LabelSink::Device:
        send = [out = out_](const QByteArray& stream) -> core::Result<JobDone> {
            if (!out || out->write(stream) != stream.size())
                return Refused(QStringLiteral("the labels could not be written: %1")
                                   .arg(out ? out->errorString() : QStringLiteral("there is nowhere to write them")));
            return JobDone{};
        };
        break;
    case LabelSink::CupsQueue:
        send = [queue = name_, format = format_, title = QStringLiteral("Quorvane-%1").arg(++jobs_)](
                   const QByteArray& stream) -> core::Result<JobDone> {
            QByteArray bytes = stream;
            QBuffer document(&bytes);
            document.open(QIODevice::ReadOnly);
            core::Result<CupsJob> job = SubmitDocument(queue, title, document, format.constData());
            if (job.failed())
                return job.failure();
            return JobDone{{}, *job, {}};
        };
        break;
    case LabelSink::Socket: {
        const core::Result<SocketAddress> address = ParseSocketUri(name_);
        if (address.failed())
            return Refused(AsReason(address.failure().text));
        send = [address = *address](const QByteArray& stream) -> core::Result<JobDone> {
            if (const core::Status sent = SendToSocket(address, stream); sent.failed())
                return core::Failure{sent.failure().code, AsReason(sent.failure().text)};
            return JobDone{};
        };
        break;
    }
    }
    const JobPage page{label->sizeMm, QMarginsF(), label->sizeMm, double(label->dpi), calibration_};
    return OpenedJob{page, std::make_unique<LabelJob>(language, settings, std::move(send))};
}

} // namespace printing
