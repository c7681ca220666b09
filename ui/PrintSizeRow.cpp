// The main window's printed size and copies: the frame under the bar code
// size where a module width or a width to fit is chosen, the line that
// says what the chosen printer makes of it, and the number of copies.
#include "ui/Form1.h"

#include "jobs/StoredOptions.h"
#include "ui/Layout.h"

#include <QComboBox>
#include <QLocale>
#include <algorithm>
#include <iterator>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace ui {
namespace {

using Kind = graphics::PrintSize::Kind;

// The kinds in the order the box lists them.
constexpr Kind kKinds[] = {Kind::Natural, Kind::Module, Kind::Width};

QString Mm(double mm) { return QString::number(mm, 'g', 3); }

} // namespace

void Form1::buildPrintSizeRow(double top)
{
    FramePrintSize = Make<QGroupBox>(FrameOptions, QStringLiteral("Printed Size"), 120, top, 6975, 615);
    FramePrintSize->setObjectName(QStringLiteral("FramePrintSize"));
    ComboSizeKind = new QComboBox(FramePrintSize);
    ComboSizeKind->setObjectName(QStringLiteral("ComboSizeKind"));
    ComboSizeKind->addItems({QStringLiteral("As drawn"), QStringLiteral("Module"), QStringLiteral("Fit to width")});
    ComboSizeKind->setToolTip(QStringLiteral("On a printer and in files: the bars as drawn, a module width, or the "
                                             "barcode fitted to a width; always whole dots of the printer"));
    Place(ComboSizeKind, 120, 225, 1215, 315);
    TextPrintSize = Make<QLineEdit>(FramePrintSize, QString(), 1410, 240, 615, 285);
    TextPrintSize->setObjectName(QStringLiteral("TextPrintSize"));
    ComboSizeUnit = new QComboBox(FramePrintSize);
    ComboSizeUnit->setObjectName(QStringLiteral("ComboSizeUnit"));
    ComboSizeUnit->addItems({QStringLiteral("mm"), QStringLiteral("mils")});
    ComboSizeUnit->setToolTip(QStringLiteral("A module in mm, or in mils (thousandths of an inch)"));
    Place(ComboSizeUnit, 2085, 225, 735, 315);
    // Two short lines in a smaller face, as the printer's page is shown.
    LabelPrintDots = Make<QLabel>(FramePrintSize, QString(), 2895, 200, 2700, 390);
    LabelPrintDots->setObjectName(QStringLiteral("LabelPrintDots"));
    QFont small = LabelPrintDots->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    LabelPrintDots->setFont(small);
    LabelCopies = Make<QLabel>(FramePrintSize, QStringLiteral("Copies:"), 5670, 255, 540, 255);
    LabelCopies->setObjectName(QStringLiteral("LabelCopies"));
    SpinCopies = new QSpinBox(FramePrintSize);
    SpinCopies->setObjectName(QStringLiteral("SpinCopies"));
    SpinCopies->setRange(1, jobs::kMaxCopies);
    SpinCopies->setToolTip(QStringLiteral("Each label is printed this many times, in the same job where the printer allows"));
    Place(SpinCopies, 6210, 225, 645, 315);
    const QString point = QRegularExpression::escape(QLocale().decimalPoint());
    acceptOnly(TextPrintSize, QStringLiteral("\\s*[0-9]*(%1[0-9]*)?\\s*").arg(point),
               QStringLiteral("A length, such as 0") + QLocale().decimalPoint() +
                   QStringLiteral("33 mm or 13 mils for a module, or 50 mm for a width"));

    connect(ComboSizeKind, &QComboBox::currentIndexChanged, this, [this] { PrintSize_Change(); });
    connect(ComboSizeUnit, &QComboBox::currentIndexChanged, this, [this] { PrintSize_Change(); });
    connect(TextPrintSize, &QLineEdit::textChanged, this, [this] { PrintSize_Change(); });
    connect(SpinCopies, &QSpinBox::valueChanged, this, [this](int n) { store(QStringLiteral("copies"), QString::number(n)); });
}

graphics::PrintSize Form1::ReadPrintSize() const
{
    jobs::PrintSizeSetting s;
    s.kind = kKinds[std::clamp(ComboSizeKind->currentIndex(), 0, 2)];
    s.value = TextPrintSize->text().trimmed().replace(QLocale().decimalPoint(), QStringLiteral("."));
    s.mils = ComboSizeUnit->currentIndex() == 1;
    return jobs::SizeOf(s);
}

graphics::Drawing Form1::PrintedBarcode() const
{
    graphics::Drawing d = BarcodeToPrint();
    d.printSize = ReadPrintSize();
    return d;
}

void Form1::ShowStoredPrintSize(const jobs::StoredOptions& stored)
{
    const auto at = std::find(std::begin(kKinds), std::end(kKinds), stored.printSize.kind);
    ComboSizeKind->setCurrentIndex(static_cast<int>(at - std::begin(kKinds)));
    TextPrintSize->setText(QString(stored.printSize.value).replace(QStringLiteral("."), QLocale().decimalPoint()));
    ComboSizeUnit->setCurrentIndex(stored.printSize.mils ? 1 : 0);
    SpinCopies->setValue(stored.copies);
    PrintSize_Change();
}

void Form1::PrintSize_Change()
{
    const Kind kind = kKinds[std::clamp(ComboSizeKind->currentIndex(), 0, 2)];
    TextPrintSize->setEnabled(kind != Kind::Natural);
    // A width is in mm; mils are for a module.
    ComboSizeUnit->setEnabled(kind == Kind::Module);
    if (kind == Kind::Width && ComboSizeUnit->currentIndex() != 0) {
        const QSignalBlocker block(ComboSizeUnit);
        ComboSizeUnit->setCurrentIndex(0);
    }
    jobs::PrintSizeSetting s{kind, TextPrintSize->text().trimmed().replace(QLocale().decimalPoint(), QStringLiteral(".")),
                             ComboSizeUnit->currentIndex() == 1};
    store(QStringLiteral("printsize"), jobs::PrintSizeToSetting(s));
    ShowPrintDots();
}

void Form1::ShowPrintDots()
{
    const Kind kind = kKinds[std::clamp(ComboSizeKind->currentIndex(), 0, 2)];
    const graphics::PrintSize size = ReadPrintSize();
    QString text;
    if (kind != Kind::Natural && size.IsNatural()) {
        const bool module = kind == Kind::Module;
        text = module ? QStringLiteral("Type a module from %1 to %2 mm").arg(jobs::kMinModuleMm).arg(jobs::kMaxModuleMm)
                      : QStringLiteral("Type a width from %1 to %2 mm").arg(jobs::kMinPrintWidthMm).arg(jobs::kMaxPrintWidthMm);
    } else if (!printerDpi_) {
        text = QStringLiteral("The printer does not say its dots per inch");
    } else {
        const double dpi = *printerDpi_;
        graphics::Drawing d = BarcodeToPrint();
        d.printSize = size;
        const int dots = graphics::DeviceGrid(dpi, dpi).DotsPerModule(d);
        const QString made = d.IsEmpty() && kind == Kind::Width
                                 ? QStringLiteral("Fitted when there is a barcode")
                                 : QStringLiteral("= %1 dot%2, %3 mm").arg(dots).arg(dots == 1 ? QString() : QStringLiteral("s")).arg(Mm(graphics::DotsToMm(dots, dpi)));
        text = QStringLiteral("%1 at %2 dpi\nthe least it makes: %3 mm").arg(made).arg(dpi).arg(Mm(graphics::DotsToMm(1, dpi)));
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = LabelPrintDots->fontMetrics().elidedText(line, Qt::ElideRight, LabelPrintDots->width());
    LabelPrintDots->setText(lines.join(QLatin1Char('\n')));
    LabelPrintDots->setToolTip(QString(text).replace(QLatin1Char('\n'), QStringLiteral("; ")));
}

} // namespace ui
