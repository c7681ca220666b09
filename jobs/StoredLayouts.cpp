#include "jobs/StoredLayouts.h"

#include "jobs/StoredOptions.h"
#include "services/Settings.h"

#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace jobs {
namespace {

const QString kLayoutsSection = QStringLiteral("layouts");
const QString kCalibrationSection = QStringLiteral("calibration");
const QString kLabelPrinterSection = QStringLiteral("labelprinter");
// More than anyone saves by hand; a hand-edited count stops here.
constexpr int kMaxSavedLayouts = 200;

QString Layouts(const QString& key) { return services::GetSetting(kOptionsApp, kLayoutsSection, key); }

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A built-in layout named without its maker: "L7160" for "Avery L7160".
bool NamedWithoutMaker(const printing::SheetLayout& layout, const QString& name)
{
    const qsizetype blank = layout.name.indexOf(QLatin1Char(' '));
    return blank > 0 && SameName(layout.name.mid(blank + 1), name);
}

bool BuiltInName(const QString& name)
{
    const std::vector<printing::SheetLayout>& builtIn = printing::BuiltInLayouts();
    return std::any_of(builtIn.begin(), builtIn.end(),
                       [&](const printing::SheetLayout& l) { return SameName(l.name, name) || NamedWithoutMaker(l, name); });
}

// The saved layouts that can be read, and the entries that can't, by key.
struct Saved {
    std::vector<printing::SheetLayout> layouts;
    QStringList unreadable; // "name2" ("L1"), as a message names them
};

Saved SavedLayouts()
{
    Saved saved;
    const int count = std::clamp(Layouts(QStringLiteral("count")).toInt(), 0, kMaxSavedLayouts);
    for (int i = 1; i <= count; ++i) {
        QString name = Layouts(QStringLiteral("name%1").arg(i)).trimmed();
        if (name.isEmpty())
            continue;
        std::optional<printing::SheetLayout> layout = printing::LayoutFromSetting(name, Layouts(QStringLiteral("value%1").arg(i)));
        if (!layout) {
            saved.unreadable << QStringLiteral("value%1 (\"%2\")").arg(i).arg(name);
            continue;
        }
        // Saved by hand under a built-in layout's name, it would never be
        // found: it is offered under its name marked as saved.
        if (BuiltInName(name))
            layout->name = name + QStringLiteral(" (saved)");
        saved.layouts.push_back(*layout);
    }
    return saved;
}

// Settings keys are words; a printer's name may be a URI.
QString CalibrationKey(const QString& printer) { return QString::fromLatin1(QUrl::toPercentEncoding(printer)); }

} // namespace

std::vector<printing::SheetLayout> AllLayouts()
{
    std::vector<printing::SheetLayout> all = printing::BuiltInLayouts();
    for (printing::SheetLayout& layout : SavedLayouts().layouts)
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
    QString text = QStringLiteral("There is no layout named \"%1\". The layouts are: %2, %3.")
                       .arg(wanted, printing::kOneLabelPerJob, names.join(QStringLiteral(", ")));
    // An entry written by hand without quotes loses what follows its first
    // ";" (the settings file takes it for a comment): say which can't be read.
    if (const QStringList unreadable = SavedLayouts().unreadable; !unreadable.isEmpty())
        text += QStringLiteral(" These saved layouts can't be read in [layouts]: %1; a value holding \";\" must be "
                               "written in double quotes.")
                    .arg(unreadable.join(QStringLiteral(", ")));
    return core::Failure{core::kUnknownLayout, text};
}

core::Result<std::optional<printing::SheetLayout>> LayoutToPrintOn(const QString& named)
{
    core::Result<std::optional<printing::SheetLayout>> layout = FindLayout(named.isEmpty() ? ReadStoredOptions().layout : named);
    if (layout.ok())
        return layout;
    core::Failure refused = layout.failure();
    refused.text += QStringLiteral(" Nothing was printed.");
    return refused;
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
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return refused(QStringLiteral("A layout's name can't hold a tab or a line break."));
    for (const printing::SheetLayout& builtIn : printing::BuiltInLayouts())
        if (SameName(builtIn.name, name) || NamedWithoutMaker(builtIn, name))
            return refused(QStringLiteral("\"%1\" is the name of a built-in layout; save yours under another name.").arg(name));
    if (core::Status bad = printing::CheckLayout(layout); bad.failed())
        return bad;
    std::vector<printing::SheetLayout> saved = SavedLayouts().layouts;
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

namespace jobs {
namespace {

std::optional<int> WholeIn(const QString& text, int low, int high)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= low && n <= high ? std::optional<int>(n) : std::nullopt;
}

// The most any of the languages takes (ZPL's ~SD and ^PR); each language's
// own range is checked when its labels are written.
constexpr int kMaxDarkness = 30, kMaxSpeed = 14;

} // namespace

core::Result<printing::LabelSetup> ReadLabelSetup(const LabelSetupText& t)
{
    printing::LabelSetup setup;
    const auto wrong = [](const QString& what, const QString& given, const QString& takes) {
        return core::Failure{core::kPrintFailed,
                             QStringLiteral("The %1 \"%2\" can't be used: %3.").arg(what, given, takes)};
    };
    if (!t.language.trimmed().isEmpty()) {
        core::Result<files::LabelLanguage> language = files::ParseLabelLanguage(t.language.trimmed());
        if (language.failed())
            return language.failure();
        setup.language = *language;
    }
    if (!t.darkness.trimmed().isEmpty()) {
        setup.darkness = WholeIn(t.darkness, 0, kMaxDarkness);
        if (!setup.darkness)
            return wrong(QStringLiteral("darkness"), t.darkness,
                         QStringLiteral("it takes a whole number from 0 to %1 (EPL2 and TSPL to 15)").arg(kMaxDarkness));
    }
    if (!t.speed.trimmed().isEmpty()) {
        setup.speed = WholeIn(t.speed, 1, kMaxSpeed);
        if (!setup.speed)
            return wrong(QStringLiteral("speed"), t.speed,
                         QStringLiteral("it takes a whole number from 1 to %1 (EPL2 to 6)").arg(kMaxSpeed));
    }
    if (!t.media.trimmed().isEmpty()) {
        core::Result<QSizeF> media = printing::ParseMedia(t.media);
        if (media.failed())
            return media.failure();
        setup.mediaMm = *media;
    }
    if (!t.dpi.trimmed().isEmpty()) {
        setup.dpi = WholeIn(t.dpi, printing::kMinLabelDpi, printing::kMaxLabelDpi);
        if (!setup.dpi)
            return wrong(QStringLiteral("resolution"), t.dpi,
                         QStringLiteral("a label printer has %1 to %2 dots per inch")
                             .arg(printing::kMinLabelDpi)
                             .arg(printing::kMaxLabelDpi));
    }
    return setup;
}

LabelSetupText LabelSetupTexts(const printing::LabelSetup& s)
{
    const auto number = [](std::optional<int> n) { return n ? QString::number(*n) : QString(); };
    return {s.language ? files::LabelLanguageName(*s.language) : QString(), number(s.darkness), number(s.speed),
            s.mediaMm ? printing::MediaText(*s.mediaMm) : QString(), number(s.dpi)};
}

printing::LabelSetup MergeLabelSetup(printing::LabelSetup under, const printing::LabelSetup& over)
{
    if (over.language)
        under.language = over.language;
    if (over.darkness)
        under.darkness = over.darkness;
    if (over.speed)
        under.speed = over.speed;
    if (over.mediaMm)
        under.mediaMm = over.mediaMm;
    if (over.dpi)
        under.dpi = over.dpi;
    return under;
}

// Kept as "language=zpl;darkness=20;speed=4;media=2x1in;dpi=203", the
// values that are set.
printing::LabelSetup StoredLabelSetup(const QString& printer)
{
    const QString value = services::GetSetting(kOptionsApp, kLabelPrinterSection, CalibrationKey(printer));
    printing::LabelSetup setup;
    for (const QString& pair : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString key = pair.section(QLatin1Char('='), 0, 0).trimmed(), v = pair.section(QLatin1Char('='), 1);
        LabelSetupText one;
        if (key == QLatin1String("language"))
            one.language = v;
        else if (key == QLatin1String("darkness"))
            one.darkness = v;
        else if (key == QLatin1String("speed"))
            one.speed = v;
        else if (key == QLatin1String("media"))
            one.media = v;
        else if (key == QLatin1String("dpi"))
            one.dpi = v;
        if (const core::Result<printing::LabelSetup> read = ReadLabelSetup(one); read.ok())
            setup = MergeLabelSetup(setup, *read);
    }
    return setup;
}

core::Status SaveLabelSetup(const QString& printer, const printing::LabelSetup& setup)
{
    const LabelSetupText t = LabelSetupTexts(setup);
    QStringList pairs;
    for (const auto& [key, v] : {std::pair{"language", t.language}, std::pair{"darkness", t.darkness},
                                 std::pair{"speed", t.speed}, std::pair{"media", t.media}, std::pair{"dpi", t.dpi}})
        if (!v.isEmpty())
            pairs << QStringLiteral("%1=%2").arg(QLatin1String(key), v);
    if (const core::Status saved =
            services::SaveSetting(kOptionsApp, kLabelPrinterSection, CalibrationKey(printer), pairs.join(QLatin1Char(';')));
        saved.failed())
        return core::Failure{core::kPrintFailed,
                             QStringLiteral("The printer's setup could not be saved: %1").arg(saved.failure().text)};
    return core::Ok();
}

} // namespace jobs
