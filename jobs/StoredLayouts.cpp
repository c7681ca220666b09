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

LayoutChoice FindLayout(const QString& name)
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty() || SameName(wanted, printing::kOneLabelPerJob))
        return {};
    const std::vector<printing::SheetLayout> all = AllLayouts();
    for (const printing::SheetLayout& layout : all)
        if (SameName(layout.name, wanted))
            return {layout, std::nullopt};
    for (const printing::SheetLayout& layout : printing::BuiltInLayouts())
        if (NamedWithoutMaker(layout, wanted))
            return {layout, std::nullopt};
    QStringList names;
    for (const printing::SheetLayout& layout : all)
        names << layout.name;
    return {std::nullopt,
            core::Failure{printing::LayoutCode::UnknownLayout,
                              QStringLiteral("There is no layout named \"%1\". The layouts are: %2, %3.")
                                  .arg(wanted, printing::kOneLabelPerJob, names.join(QStringLiteral(", ")))}};
}

core::MaybeFailure SaveLayout(const printing::SheetLayout& layout)
{
    const auto refused = [](const QString& why) { return core::Failure{printing::LayoutCode::UnknownLayout, why}; };
    const QString name = layout.name.trimmed();
    if (name.isEmpty() || SameName(name, printing::kOneLabelPerJob))
        return refused(QStringLiteral("The layout needs a name of its own."));
    for (const printing::SheetLayout& builtIn : printing::BuiltInLayouts())
        if (SameName(builtIn.name, name) || NamedWithoutMaker(builtIn, name))
            return refused(QStringLiteral("\"%1\" is the name of a built-in layout; save yours under another name.").arg(name));
    if (core::MaybeFailure bad = printing::CheckLayout(layout))
        return bad;
    std::vector<printing::SheetLayout> saved = SavedLayouts();
    const auto same = std::find_if(saved.begin(), saved.end(), [&](const auto& l) { return SameName(l.name, name); });
    if (same != saved.end())
        *same = layout;
    else
        saved.push_back(layout);
    if (static_cast<int>(saved.size()) > kMaxSavedLayouts)
        return refused(QStringLiteral("No more than %1 layouts can be saved.").arg(kMaxSavedLayouts));
    bool written = true;
    for (int i = 0; i < static_cast<int>(saved.size()); ++i) {
        written = written && services::SaveSetting(kOptionsApp, kLayoutsSection, QStringLiteral("name%1").arg(i + 1), saved[i].name.trimmed());
        written = written && services::SaveSetting(kOptionsApp, kLayoutsSection, QStringLiteral("value%1").arg(i + 1),
                                                   printing::LayoutToSetting(saved[i]));
    }
    written = written && services::SaveSetting(kOptionsApp, kLayoutsSection, QStringLiteral("count"),
                                               QString::number(saved.size()));
    if (!written)
        return refused(QStringLiteral("The layout could not be saved: %1").arg(services::SettingsError()));
    return std::nullopt;
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
    return okX && okY && okS && !CheckCalibration(c) ? c : printing::Calibration{};
}

core::MaybeFailure CheckCalibration(const printing::Calibration& c)
{
    if (!(c.scalePercent >= kMinScalePercent && c.scalePercent <= kMaxScalePercent))
        return core::Failure{kCalibrationCode, QStringLiteral("The scale must be between %1 and %2 %.")
                                                       .arg(kMinScalePercent)
                                                       .arg(kMaxScalePercent)};
    if (!(std::abs(c.shiftXMm) <= kMaxShiftMm && std::abs(c.shiftYMm) <= kMaxShiftMm))
        return core::Failure{kCalibrationCode,
                                 QStringLiteral("A shift must be between -%1 and %1 mm.").arg(kMaxShiftMm)};
    return std::nullopt;
}

core::MaybeFailure SaveCalibration(const QString& printer, const printing::Calibration& c)
{
    if (core::MaybeFailure bad = CheckCalibration(c))
        return bad;
    const QString value = QStringLiteral("%1 %2 %3")
                              .arg(QString::number(c.shiftXMm, 'g', 10), QString::number(c.shiftYMm, 'g', 10),
                                   QString::number(c.scalePercent, 'g', 10));
    if (!services::SaveSetting(kOptionsApp, kCalibrationSection, CalibrationKey(printer), value))
        return core::Failure{kCalibrationCode,
                                 QStringLiteral("The calibration could not be saved: %1").arg(services::SettingsError())};
    return std::nullopt;
}

} // namespace jobs
