// The output actions of the main window: the printer list, Print, Print
// File and Run It. The logic lives in output/; these handlers wire it to
// the controls.
#include "app/Form1.h"

#include "output/BatchPrint.h"
#include "output/PrintAction.h"
#include "output/PrintFilePath.h"
#include "output/RangePrint.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "symbologies/UpcA.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

namespace app {
namespace {

// While a batch or range run is going on, the controls that start printing
// are disabled: the run processes window events between its steps, and a
// second run started meanwhile would mix its pages and labels into it.
class PrintingBusy {
public:
    explicit PrintingBusy(Form1& form)
        : controls_{form.Command2, form.Command4, form.Command8}, actions_{form.PrintTemp, form.PrintFileTemp}
    {
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            controlWas_[i] = controls_[i]->isEnabled();
            controls_[i]->setEnabled(false);
        }
        for (std::size_t i = 0; i < actions_.size(); ++i) {
            actionWas_[i] = actions_[i]->isEnabled();
            actions_[i]->setEnabled(false);
        }
    }
    ~PrintingBusy()
    {
        for (std::size_t i = 0; i < controls_.size(); ++i)
            controls_[i]->setEnabled(controlWas_[i]);
        for (std::size_t i = 0; i < actions_.size(); ++i)
            actions_[i]->setEnabled(actionWas_[i]);
    }
    PrintingBusy(const PrintingBusy&) = delete;
    PrintingBusy& operator=(const PrintingBusy&) = delete;

private:
    std::array<QPushButton*, 3> controls_;
    std::array<QAction*, 2> actions_;
    std::array<bool, 3> controlWas_{};
    std::array<bool, 2> actionWas_{};
};

// A code as a message shows it: a very long one by its start.
QString Shortened(const QString& code)
{
    constexpr qsizetype kShown = 60;
    return code.size() <= kShown ? code : code.left(kShown) + QStringLiteral("...");
}

// Why the selected symbology drew no barcode for a code, or empty when it
// drew one. In the window these cases show as they do on typing (UPC's
// message inside its picture, an empty surface); in a batch they are lines
// that did not print as asked. An empty code draws nothing by design.
QString NoBarcodeReason(const Form1& form, const QString& code)
{
    if (code.isEmpty())
        return {};
    if (form.Option8->isChecked() && !symbologies::IsUpcACode(code))
        return symbologies::kUpcANot11Digits;
    if (form.Option5->isChecked() && code.size() < 2)
        return QStringLiteral("Code 2/5 needs at least 2 characters");
    if (form.Option9->isChecked() && code.size() < 7)
        return QStringLiteral("EAN needs at least 7 characters");
    return {};
}

} // namespace

void Form1::FillPrinterList()
{
    Combo1->clear();
    Combo1->addItems(platform::InstalledPrinters());
}

void Form1::Command2_Click()
{
    platform::Printer& printer = platform::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());
    printer.SetScaleMode(platform::PrinterScale::Centimeters);

    switch (output::CheckPrint(Text14->text(), Text15->text(), Picture2.Picture().has_value())) {
    case output::PrintCheck::LeftNotNumeric:
        platform::MsgBox(output::kOffsetNotNumeric);
        Text14->setText(QStringLiteral("1"));
        return;
    case output::PrintCheck::TopNotNumeric:
        platform::MsgBox(output::kOffsetNotNumeric);
        Text15->setText(QStringLiteral("1"));
        return;
    case output::PrintCheck::NoPicture:
        platform::MsgBox(output::kNothingToPrint);
        return;
    case output::PrintCheck::Ok:
        break;
    }

    const QImage picture = Option9->isChecked() ? Picture10.Image() : *Picture2.Picture();
    const QString failed =
        output::PrintPictureAt(printer, picture, output::OffsetCm(Text14->text()), output::OffsetCm(Text15->text()));
    if (!failed.isEmpty())
        platform::MsgBox(failed);
}

void Form1::Command3_Click() { FileOpen_Click(); }

void Form1::Command4_Click()
{
    if (output::TrimBlanks(output::PrintFilePath).isEmpty()) {
        platform::MsgBox(output::kSelectAFile);
        return;
    }
    PrintingBusy busy(*this);
    platform::Printer& printer = platform::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());

    const output::BatchOptions options{output::PrintFilePath, Text4->text(), Check1->isChecked()};
    output::PrintListing(options, printer, [this](const QString& code) {
        Text1->setText(code); // a change regenerates; an equal text keeps the barcode drawn for it
        if (const QString reason = NoBarcodeReason(*this, code); !reason.isEmpty())
            platform::ReportFailure(QStringLiteral("No barcode for \"%1\": %2").arg(Shortened(code), reason));
        platform::DoEvents();
        Picture2.SetPicture(SelectedSurface().Image());
        platform::DoEvents();
        return *Picture2.Picture();
    });
}

void Form1::Command8_Click()
{
    PrintingBusy busy(*this);
    for (;;) {
        const auto range = output::ReadRange(Text21->text(), Text22->text());
        if (!range) {
            platform::MsgBox(output::kRangeNotNumeric);
            return;
        }
        if (!range->HasNext())
            return;
        if (!range->CanStep()) {
            platform::MsgBox(output::kRangeTooLarge);
            return;
        }
        platform::DoEvents();
        const QString prefix = Text1->text();
        const QString label = output::LabelText(prefix, Text21->text());
        if (Text1->text() == label)
            Command1_Click();
        else
            Text1->setText(label); // the change regenerates
        output::Pause(1);
        Command2_Click();
        output::Pause(1);
        Text1->setText(prefix);
        Text21->setText(output::NextFrom(range->from));
    }
}

} // namespace app
