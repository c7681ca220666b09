#include "ui/SheetDialogs.h"

#include "jobs/StoredLayouts.h"
#include "printing/CalibrationPage.h"
#include "services/Messages.h"

#include <QComboBox>
#include <algorithm>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ui {
namespace {

constexpr double kMmPerInch = 25.4;
const QSize kPreviewRoom(540, 740); // a whole A4 or Letter sheet on a small screen

QDoubleSpinBox* Length(QWidget* parent, double mm)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(2);
    box->setRange(0, 2000);
    box->setValue(mm);
    return box;
}

QDoubleSpinBox* Number(QWidget* parent, double low, double high, double value, const QString& suffix)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(2);
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

QDialogButtonBox* OkCancel(QDialog* dialog, const QString& ok)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

// ------------------------------------------------------------ LayoutDialog

LayoutDialog::LayoutDialog(QWidget* parent, services::MessageSink& messages) : QDialog(parent), messages_(messages)
{
    setWindowTitle(QStringLiteral("New Label Layout"));
    auto* form = new QFormLayout(this);
    Name = new QLineEdit(this);
    Page = new QComboBox(this);
    Page->addItems({QStringLiteral("A4"), QStringLiteral("Letter"), QStringLiteral("Other")});
    Unit = new QComboBox(this);
    Unit->addItems({QStringLiteral("mm"), QStringLiteral("in")});
    PageWidth = Length(this, 210);
    PageHeight = Length(this, 297);
    LabelWidth = Length(this, 63.5);
    LabelHeight = Length(this, 38.1);
    Columns = new QSpinBox(this);
    Columns->setRange(1, 50);
    Columns->setValue(3);
    Rows = new QSpinBox(this);
    Rows->setRange(1, 100);
    Rows->setValue(7);
    PitchX = Length(this, 66.04);
    PitchY = Length(this, 38.1);
    Left = Length(this, 7.25);
    Top = Length(this, 15.15);
    const auto pair = [this](QWidget* a, QWidget* b) {
        auto* row = new QHBoxLayout;
        row->addWidget(a);
        row->addWidget(new QLabel(QStringLiteral("×"), this));
        row->addWidget(b);
        return row;
    };
    form->addRow(QStringLiteral("Name:"), Name);
    form->addRow(QStringLiteral("Unit:"), Unit);
    form->addRow(QStringLiteral("Page:"), Page);
    form->addRow(QStringLiteral("Page width × height:"), pair(PageWidth, PageHeight));
    form->addRow(QStringLiteral("Label width × height:"), pair(LabelWidth, LabelHeight));
    form->addRow(QStringLiteral("Columns × rows:"), pair(Columns, Rows));
    form->addRow(QStringLiteral("Pitch across × down:"), pair(PitchX, PitchY));
    form->addRow(QStringLiteral("Left × top margin:"), pair(Left, Top));
    form->addRow(OkCancel(this, QStringLiteral("Save")));
    connect(Unit, &QComboBox::currentIndexChanged, this, [this] { unitChanged(); });
    connect(Page, &QComboBox::currentIndexChanged, this, [this](int index) {
        const double k = inches_ ? kMmPerInch : 1;
        if (index == 0) {
            PageWidth->setValue(210 / k);
            PageHeight->setValue(297 / k);
        } else if (index == 1) {
            PageWidth->setValue(215.9 / k);
            PageHeight->setValue(279.4 / k);
        }
        PageWidth->setEnabled(index == 2);
        PageHeight->setEnabled(index == 2);
    });
    PageWidth->setEnabled(false);
    PageHeight->setEnabled(false);
}

void LayoutDialog::unitChanged()
{
    const bool inches = Unit->currentIndex() == 1;
    if (inches == inches_)
        return;
    const double k = inches ? 1 / kMmPerInch : kMmPerInch;
    inches_ = inches;
    for (QDoubleSpinBox* box : {PageWidth, PageHeight, LabelWidth, LabelHeight, PitchX, PitchY, Left, Top}) {
        box->setDecimals(inches ? 4 : 2);
        box->setValue(box->value() * k);
    }
}

printing::SheetLayout LayoutDialog::Entered() const
{
    const double k = inches_ ? kMmPerInch : 1;
    printing::SheetLayout l;
    l.name = Name->text().trimmed();
    l.pageMm = QSizeF(PageWidth->value(), PageHeight->value()) * k;
    l.labelMm = QSizeF(LabelWidth->value(), LabelHeight->value()) * k;
    l.columns = Columns->value();
    l.rows = Rows->value();
    l.pitchXMm = PitchX->value() * k;
    l.pitchYMm = PitchY->value() * k;
    l.leftMm = Left->value() * k;
    l.topMm = Top->value() * k;
    l.inches = inches_;
    return l;
}

void LayoutDialog::accept()
{
    if (const core::Status saved = jobs::SaveLayout(Entered()); saved.failed()) {
        messages_.MsgBox(saved.failure().text);
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------- CalibrationDialog

CalibrationDialog::CalibrationDialog(QWidget* parent, const QString& printer, const printing::Printers& printers,
                                     services::MessageSink& messages)
    : QDialog(parent), printer_(printer), printers_(printers), messages_(messages)
{
    setWindowTitle(QStringLiteral("Printer Calibration"));
    const printing::Calibration c = jobs::StoredCalibration(printer);
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(QStringLiteral("How far \"%1\" is off. Print the calibration page, measure where\n"
                                           "its crosses are with a ruler, and type in what you find.")
                                .arg(printer),
                            this));
    ShiftX = Number(this, -jobs::kMaxShiftMm, jobs::kMaxShiftMm, c.shiftXMm, QStringLiteral(" mm"));
    ShiftY = Number(this, -jobs::kMaxShiftMm, jobs::kMaxShiftMm, c.shiftYMm, QStringLiteral(" mm"));
    // Wider than allowed, so that a wrong scale gets its message.
    Scale = Number(this, 50, 150, c.scalePercent, QStringLiteral(" %"));
    ShiftX->setToolTip(QStringLiteral("How far the printer moves what it prints to the right (negative: left)"));
    ShiftY->setToolTip(QStringLiteral("How far the printer moves what it prints down (negative: up)"));
    form->addRow(QStringLiteral("Shift right:"), ShiftX);
    form->addRow(QStringLiteral("Shift down:"), ShiftY);
    form->addRow(QStringLiteral("Scale:"), Scale);
    auto* page = new QPushButton(QStringLiteral("Print Calibration Page"), this);
    connect(page, &QPushButton::clicked, this, [this] { printPage(); });
    form->addRow(page);
    form->addRow(OkCancel(this, QStringLiteral("Save")));
}

printing::Calibration CalibrationDialog::Entered() const
{
    return printing::Calibration{ShiftX->value(), ShiftY->value(), Scale->value()};
}

void CalibrationDialog::accept()
{
    if (const core::Status saved = jobs::SaveCalibration(printer_, Entered()); saved.failed()) {
        messages_.MsgBox(saved.failure().text);
        return;
    }
    QDialog::accept();
}

void CalibrationDialog::printPage()
{
    const std::unique_ptr<printing::PrintTarget> printer = printers_.Open(printer_);
    if (const core::Result<printing::JobDone> done = printing::PrintCalibrationPage(*printer); done.failed())
        messages_.MsgBox(done.failure().text);
}

// ------------------------------------------------------ PrinterSetupDialog

PrinterSetupDialog::PrinterSetupDialog(QWidget* parent, const QString& printer, services::MessageSink& messages)
    : QDialog(parent), printer_(printer), messages_(messages)
{
    setWindowTitle(QStringLiteral("Printer Setup"));
    const jobs::LabelSetupText stored = jobs::LabelSetupTexts(jobs::StoredLabelSetup(printer));
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(QStringLiteral("How Quorvane writes to \"%1\" as a label printer.\n"
                                           "Leave a box empty for the printer's own setting.")
                                .arg(printer),
                            this));
    Language = new QComboBox(this);
    Language->addItem(QStringLiteral("As the printer takes it"), QString());
    for (const QString& name : files::LabelLanguageNames())
        Language->addItem(files::LabelLanguageTitle(*files::ParseLabelLanguage(name)), name);
    Language->setCurrentIndex(std::max(0, Language->findData(stored.language)));
    Language->setToolTip(QStringLiteral("A queue without a driver, and one that takes ZPL, get ZPL unless set here"));
    const auto box = [this](const QString& value, const QString& hint) {
        auto* edit = new QLineEdit(value, this);
        edit->setPlaceholderText(hint);
        return edit;
    };
    Darkness = box(stored.darkness, QStringLiteral("0 to 30 (EPL2, TSPL: 15)"));
    Speed = box(stored.speed, QStringLiteral("1 to 14 (EPL2: 6)"));
    Media = box(stored.media, QStringLiteral("e.g. 2x1in or 50x25mm"));
    Dpi = box(stored.dpi, QStringLiteral("203, 300, 600"));
    form->addRow(QStringLiteral("Language:"), Language);
    form->addRow(QStringLiteral("Darkness:"), Darkness);
    form->addRow(QStringLiteral("Speed:"), Speed);
    form->addRow(QStringLiteral("Label size:"), Media);
    form->addRow(QStringLiteral("Dots per inch:"), Dpi);
    form->addRow(OkCancel(this, QStringLiteral("Save")));
}

jobs::LabelSetupText PrinterSetupDialog::Entered() const
{
    return {Language->currentData().toString(), Darkness->text(), Speed->text(), Media->text(), Dpi->text()};
}

void PrinterSetupDialog::accept()
{
    const core::Result<printing::LabelSetup> setup = jobs::ReadLabelSetup(Entered());
    if (setup.failed()) {
        messages_.MsgBox(setup.failure().text);
        return;
    }
    if (const core::Status saved = jobs::SaveLabelSetup(printer_, *setup); saved.failed()) {
        messages_.MsgBox(saved.failure().text);
        return;
    }
    QDialog::accept();
}

// ----------------------------------------------------------- PreviewDialog

PreviewDialog::PreviewDialog(QWidget* parent, int kind, std::function<core::Result<Pages>(int)> render,
                             std::function<void(int)> print)
    : QDialog(parent), render_(std::move(render))
{
    setWindowTitle(QStringLiteral("Print Preview"));
    auto* top = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    Kind = new QComboBox(this);
    Kind->addItems({QStringLiteral("Print"), QStringLiteral("Print File"), QStringLiteral("Run It")});
    Kind->setCurrentIndex(kind);
    auto* previous = new QPushButton(QStringLiteral("< Previous"), this);
    auto* next = new QPushButton(QStringLiteral("Next >"), this);
    PageLabel = new QLabel(this);
    bar->addWidget(new QLabel(QStringLiteral("Preview of:"), this));
    bar->addWidget(Kind);
    bar->addStretch();
    bar->addWidget(previous);
    bar->addWidget(PageLabel);
    bar->addWidget(next);
    top->addLayout(bar);
    auto* scroll = new QScrollArea(this);
    view_ = new QLabel(scroll);
    view_->setAlignment(Qt::AlignCenter);
    scroll->setWidget(view_);
    scroll->setWidgetResizable(true);
    scroll->setMinimumSize(kPreviewRoom);
    top->addWidget(scroll, 1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* printButton = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Close);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(printButton, &QPushButton::clicked, this, [this, print] {
        const int what = Kind->currentIndex();
        accept();
        print(what);
    });
    connect(previous, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
    connect(next, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
    connect(Kind, &QComboBox::currentIndexChanged, this, [this] { reload(); });
    reload();
}

void PreviewDialog::reload()
{
    core::Result<Pages> pages = render_(Kind->currentIndex());
    pages_ = pages.ok() ? std::move(*pages) : Pages{};
    failure_ = pages.ok() ? QString() : pages.failure().text;
    showPage(0);
}

void PreviewDialog::showPage(int page)
{
    if (pages_.images.empty()) {
        page_ = 0;
        view_->setPixmap({});
        view_->setText(failure_.isEmpty() ? QStringLiteral("Nothing would be printed.") : failure_);
        view_->setWordWrap(true);
        PageLabel->setText(QStringLiteral("No pages"));
        return;
    }
    page_ = std::clamp(page, 0, PageCount() - 1);
    // What the printer gets, with the outlines that are only shown here.
    QImage shown = pages_.images[static_cast<size_t>(page_)].convertToFormat(QImage::Format_RGB32);
    QPainter p(&shown);
    const double px = pages_.dpi / kMmPerInch;
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    p.drawRect(QRectF(pages_.printableMm.topLeft() * px, pages_.printableMm.size() * px));
    if (pages_.layout) {
        p.setPen(QPen(QColor(90, 140, 220), 1));
        for (int cell = 0; cell < pages_.layout->LabelsPerSheet(); ++cell)
            p.drawRoundedRect(QRectF(pages_.layout->CellCornerMm(cell) * px, pages_.layout->labelMm * px), 4, 4);
    }
    p.setPen(QColor(90, 90, 90));
    p.drawRect(shown.rect().adjusted(0, 0, -1, -1));
    p.end();
    // The whole sheet at once, as large as the view takes it.
    const QSize room = view_->parentWidget()->size().expandedTo(kPreviewRoom) - QSize(8, 8);
    view_->setPixmap(QPixmap::fromImage(shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    PageLabel->setText(QStringLiteral("Page %1 of %2%3")
                           .arg(page_ + 1)
                           .arg(PageCount())
                           .arg(pages_.note.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(pages_.note)));
}

} // namespace ui
