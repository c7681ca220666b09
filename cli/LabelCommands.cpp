#include "cli/LabelCommands.h"

#include "cli/SheetCommands.h"
#include "core/TextCodec.h"
#include "files/AtomicFile.h"
#include "files/Export.h"
#include "jobs/LabelJobs.h"
#include "labels/LabelCheck.h"
#include "labels/LabelExport.h"
#include "services/Messages.h"
#include "services/Termination.h"

#include <QDate>
#include <atomic>
#include <cstdio>

namespace cli {
namespace {

// SVG and PDF labels are drawn for a printer of this many dots per inch.
constexpr double kShapesDpi = 300;

void Tell(const QString& text) { services::WriteStderrLine(QStringLiteral("quorvane: ") + text); }

} // namespace

core::Result<printing::LabelParts> LoadCommandLabel(const Command& command)
{
    return jobs::LoadLabelParts(command.label, QDate::currentDate(), command.verify);
}

int CheckLabel(const Command& command)
{
    const core::Result<QString> said = jobs::CheckLabelFile(command.label, QDate::currentDate());
    if (said.failed()) {
        Tell(said.failure().text);
        return 1;
    }
    return SayOnStdout(*said);
}

int SayOnStdout(const QString& text)
{
    const QByteArray bytes = core::ToLocalBytes(text) + '\n';
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) == static_cast<size_t>(bytes.size());
    return std::fflush(stdout) == 0 && written ? 0 : 1;
}

int ExportLabel(const Command& command)
{
    const QString output = files::ShownPath(command.output);
    const auto nothing = [&](const QString& why) {
        Tell(QStringLiteral("%1 Nothing was written to %2.").arg(why, output));
        return 1;
    };
    const core::Result<printing::LabelParts> parts = LoadCommandLabel(command);
    if (parts.failed())
        return nothing(parts.failure().text);
    printing::LabelParts one = *parts;
    one.fill.run = 1;
    const bool png = files::ExportFormatOf(command.output) == files::ExportFormat::Png;
    const core::Result<labels::LaidOutLabel> laid = printing::LayOutParts(one, png ? command.dpi : kShapesDpi);
    if (laid.failed())
        return nothing(laid.failure().text);
    std::atomic<bool> written = false;
    services::StopWatch watch([&] {
        Tell(written ? QStringLiteral("Stopped; %1 was written whole before the stop.").arg(output)
                     : QStringLiteral("Stopped; nothing was written to %1.").arg(output));
    });
    if (const core::Status exported = labels::ExportLabel(*laid, command.output, [&] { written = true; }); exported.failed()) {
        Tell(exported.failure().text);
        return 1;
    }
    return 0;
}

bool PrintLabelUnattended(const Command& command, const jobs::Unattended& run)
{
    // One label is a run of one: N from 1 up to 2.
    Command one = command;
    one.from = QStringLiteral("1");
    one.to = QStringLiteral("2");
    return PrintRangeUnattended(one, run);
}

} // namespace cli
