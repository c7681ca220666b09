#include "jobs/StoredLayouts.h"

#include "jobs/StoredOptions.h"
#include "services/Settings.h"

#include <QStringList>
#include <QUrl>
#include <cmath>

namespace jobs {
namespace {

const QString kLayoutsSection = QStringLiteral("layouts");
const QString kCalibrationSection = QStringLiteral("calibration");
// More than anyone saves by hand; a hand-edited count stops here.
constexpr int kMaxSavedLayouts = 200;

QString Layouts(const QString& key) { return services::GetSetting(kOptionsApp, kLayoutsSection, key); }

std::vector<printing::SheetLayout> SavedLayouts()
{
    std::vector<printing::SheetLayout> saved;
    const int count = std::clamp(Layouts(QStringLiteral("count")).toInt(), 0, kMaxSavedLayouts);
    for (int i = 1; i <= count; ++i) {
        const QString name = Layouts(QStringLiteral("name%1").arg(i)).trimmed();
        if (auto layout = printing::LayoutFromSetting(name, Layouts(QStringLiteral("value%1").arg(i)));
            layout && !name.isEmpty())
            saved.push_back(*layout);
    }
    return saved;
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A built-in layout named without its maker: "L7160" for "Avery L7160".
bool NamedWithoutMaker(const printing::SheetLayout& layout, const QString& name)
{
    const qsizetype blank = layout.name.indexOf(QLatin1Char(' '));
    return blank > 0 && SameName(layout.name.mid(blank + 1), name);
}

// Settings keys are words; a printer's name may be a URI.
QString CalibrationKey(const QString& printer) { return QString::fromLatin1(QUrl::toPercentEncoding(printer)); }

} // namespace

std::vector<printing::SheetLayout> AllLayouts()
{
    std::vector<printing::SheetLayout> all = printing::BuiltInLayouts();
    for (printing::SheetLayout& layout : SavedLayouts())
        all.push_back(std::move(layout));
    return all;
}

core::Result<std::optional<printing::SheetLayout>> FindLayout(const QString& name)
{
    using Choice = std::optional<printing::SheetLayout>;
    const QString wanted = name.trimmed();
    if (wanted.isEmpty() || SameName(wanted, printing::kOneLabelPerJob))
        return Choice();
    const std::vector<printing::SheetLayout> all = AllLayouts();
    for (const printing::SheetLayout& layout : all)
        if (SameName(layout.name, wanted))
            return Choice(layout);
    for (const printing::SheetLayout& layout : printing::BuiltInLayouts())
        if (NamedWithoutMaker(layout, wanted))
            return Choice(layout);
    QStringList names;
    for (const printing::SheetLayout& layout : all)
        names << layout.name;
    return core::Failure{core::kUnknownLayout, QStringLiteral("There is no layout named \"%1\". The layouts are: %2, %3.")
                                                   .arg(wanted, printing::kOneLabelPerJob, names.join(QStringLiteral(", ")))};
}

std::optional<printing::SheetLayout> ChosenLayout(const QString& name)
{
    return FindLayout(name).value_or(std::nullopt);
}

core::Status SaveLayout(const printing::SheetLayout& layout)
{
    const auto refused = [](const QString& why) { return core::Failure{core::kUnknownLayout, why}; };
    const QString name = layout.name.trimmed();
    if (name.isEmpty() || SameName(name, printing::kOneLabelPerJob))
        return refused(QStringLiteral("The layout needs a name of its own."));
    for (const printing::SheetLayout& builtIn : printing::BuiltInLayouts())
        if (SameName(builtIn.name, name) || NamedWithoutMaker(builtIn, name))
            return refused(QStringLiteral("\"%1\" is the name of a built-in layout; save yours under another name.").arg(name));
    if (core::Status bad = printing::CheckLayout(layout); bad.failed())
        return bad;
    std::vector<printing::SheetLayout> saved = SavedLayouts();
    const auto same = std::find_if(saved.begin(), saved.end(), [&](const auto& l) { return SameName(l.name, name); });
    if (same != saved.end())
        *same = layout;
    else
        saved.push_back(layout);
    if (static_cast<int>(saved.size()) > kMaxSavedLayouts)
        return refused(QStringLiteral("No more than %1 layouts can be saved.").arg(kMaxSavedLayouts));
    core::Status written = core::Ok();
    const auto save = [&written](const QString& key, const QString& value) {
        if (written.ok())
            written = services::SaveSetting(kOptionsApp, kLayoutsSection, key, value);
    };
    for (int i = 0; i < static_cast<int>(saved.size()); ++i) {
        save(QStringLiteral("name%1").arg(i + 1), saved[i].name.trimmed());
        save(QStringLiteral("value%1").arg(i + 1), printing::LayoutToSetting(saved[i]));
    }
    save(QStringLiteral("count"), QString::number(saved.size()));
    if (written.failed())
        return refused(QStringLiteral("The layout could not be saved: %1").arg(written.failure().text));
    return core::Ok();
}

printing::Calibration StoredCalibration(const QString& printer)
{
    const QStringList parts = services::GetSetting(kOptionsApp, kCalibrationSection, CalibrationKey(printer))
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return {};
    bool okX = false, okY = false, okS = false;
    const printing::Calibration c{parts[0].toDouble(&okX), parts[1].toDouble(&okY), parts[2].toDouble(&okS)};
    // A hand-edited value that can't be right prints as if there were none.
    return okX && okY && okS && CheckCalibration(c).ok() ? c : printing::Calibration{};
}

core::Status CheckCalibration(const printing::Calibration& c)
{
    if (!(c.scalePercent >= kMinScalePercent && c.scalePercent <= kMaxScalePercent))
        return core::Failure{core::kBadCalibration, QStringLiteral("The scale must be between %1 and %2 %.")
                                                       .arg(kMinScalePercent)
                                                       .arg(kMaxScalePercent)};
    if (!(std::abs(c.shiftXMm) <= kMaxShiftMm && std::abs(c.shiftYMm) <= kMaxShiftMm))
        return core::Failure{core::kBadCalibration,
                                 QStringLiteral("A shift must be between -%1 and %1 mm.").arg(kMaxShiftMm)};
    return core::Ok();
}

core::Status SaveCalibration(const QString& printer, const printing::Calibration& c)
{
    if (core::Status bad = CheckCalibration(c); bad.failed())
        return bad;
    const QString value = QStringLiteral("%1 %2 %3")
                              .arg(QString::number(c.shiftXMm, 'g', 10), QString::number(c.shiftYMm, 'g', 10),
                                   QString::number(c.scalePercent, 'g', 10));
    if (const core::Status saved = services::SaveSetting(kOptionsApp, kCalibrationSection, CalibrationKey(printer), value);
        saved.failed())
        return core::Failure{core::kBadCalibration,
                             QStringLiteral("The calibration could not be saved: %1").arg(saved.failure().text)};
    return core::Ok();
}

} // namespace jobs
