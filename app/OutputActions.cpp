// The output actions of the main window: the printer list, Print, Print
// File and Run It. The logic lives in output/; these handlers wire it to
// the controls.
#include "app/Form1.h"

#include "app/PrintJobs.h"
#include "app/SheetDialogs.h"
#include "app/SheetJobs.h"
#include "app/StoredLayouts.h"
#include "app/WindowLayout.h"

#include "output/BatchPrint.h"
#include "output/JobFollow.h"
#include "output/PrintAction.h"
#include "output/RangePrint.h"
#include "output/RunProgress.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"
#include "platform/Termination.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <array>
#include <functional>

namespace app {

// While a batch or range run is going on, the controls that start printing
// are disabled: the run processes window events between its steps, and a
// second run started meanwhile would mix its pages and labels into it.
// The Stop button and the progress show instead.
class Form1::PrintingBusy {
public:
    explicit PrintingBusy(Form1& form)
        : form_(form), controls_{form.Command2, form.Command4, form.Command8},
          actions_{form.PrintTemp, form.PrintFileTemp}
    {
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            controlWas_[i] = controls_[i]->isEnabled();
            controls_[i]->setEnabled(false);
        }
        for (std::size_t i = 0; i < actions_.size(); ++i) {
            actionWas_[i] = actions_[i]->isEnabled();
            actions_[i]->setEnabled(false);
        }
        form_.RunStarted();
    }
    ~PrintingBusy()
    {
        form_.RunEnded();
        for (std::size_t i = 0; i < controls_.size(); ++i)
            controls_[i]->setEnabled(controlWas_[i]);
        for (std::size_t i = 0; i < actions_.size(); ++i)
            actions_[i]->setEnabled(actionWas_[i]);
    }
    PrintingBusy(const PrintingBusy&) = delete;
    PrintingBusy& operator=(const PrintingBusy&) = delete;

private:
    Form1& form_;
    std::array<QPushButton*, 3> controls_;
    std::array<QAction*, 2> actions_;
    std::array<bool, 3> controlWas_{};
    std::array<bool, 2> actionWas_{};
};

namespace {

// Once a run was stopped, by Stop or by ending the program, what it says
// about that goes to stderr: nobody should have to click away a box about
// a run they ended themselves; the status line tells what happened.
class StoppedRunMessages : public platform::MessageSink {
public:
    StoppedRunMessages() : previous_(platform::SetMessageSink(this)) {}
    ~StoppedRunMessages() override { platform::SetMessageSink(previous_); }
    StoppedRunMessages(const StoppedRunMessages&) = delete;
    StoppedRunMessages& operator=(const StoppedRunMessages&) = delete;

    void Show(const QString& text, const QString& title) override
    {
        if (platform::TerminationRequested())
            platform::StderrSink().Show(text, title);
        else
            previous_->Show(text, title);
    }
    void ShowFailure(const QString& text, const QString& title) override
    {
        if (platform::TerminationRequested())
            platform::StderrSink().ShowFailure(text, title);
        else
            previous_->ShowFailure(text, title);
    }

private:
    platform::MessageSink* previous_;
};

// Learns which file the built-in printer wrote for the jobs of one action.
// The handler installed before (an unattended run's, a test's) still hears
// of every file.
class PdfWatch {
public:
    PdfWatch()
    {
        previous_ = platform::SetPdfWrittenHandler([this](const QString& path) {
            written = path;
            if (previous_)
                previous_(path);
        });
    }
    ~PdfWatch() { platform::SetPdfWrittenHandler(std::move(previous_)); }
    PdfWatch(const PdfWatch&) = delete;
    PdfWatch& operator=(const PdfWatch&) = delete;

    QString written; // the last file written, empty when none

private:
    std::function<void(const QString&)> previous_;
};

} // namespace

void Form1::RunStarted()
{
    ++runs_;
    ShowJobStatus(QString()); // the line tells of this run's jobs from now on
    Progress->clear();
    StopButton->show();
}

void Form1::RunEnded()
{
    if (--runs_ > 0)
        return;
    StopButton->hide();
    // A run that was stopped does not stop the next one; when the program
    // is ending, everything still running stops too.
    if (!exiting_)
        platform::ClearStopRequest();
}

void Form1::Stop_Click()
{
    if (Running())
        platform::RequestStop();
}

void Form1::ShowCurrentPrinter()
{
    const QString name = platform::CurrentPrinter().DeviceName();
    Combo1->lineEdit()->setPlaceholderText(name);
    Combo1->setToolTip(QStringLiteral("Empty: the jobs go to %1").arg(name));
    FitComboText(Combo1);
    // The printer a job would go to now: the one typed when it is one.
    const QString typed = Combo1->currentText();
    const QString printer = platform::IsKnownPrinter(typed) ? typed : name;
    QString error;
    const QString page = platform::PageSummary(printer, error);
    pageText_ = page.isEmpty() ? error : page;
    PrinterPage->setToolTip(page.isEmpty() ? error : QStringLiteral("%1: %2").arg(printer, page));
    elidePrinterPage();
}

void Form1::elidePrinterPage()
{
    // The frame holds one short line: the rest of a long one is in the tip.
    PrinterPage->setText(PrinterPage->fontMetrics().elidedText(pageText_, Qt::ElideRight, PrinterPage->width()));
}

void Form1::showJobLinks(const QString& html)
{
    JobLinks->setText(html);
    JobLinks->setVisible(!html.isEmpty());
}

void Form1::FollowJob(const platform::CupsJob& job)
{
    jobs_.push_back(job);
    if (!jobTimer_) {
        jobTimer_ = new QTimer(this);
        jobTimer_->setInterval(500);
        connect(jobTimer_, &QTimer::timeout, this, [this] { PollJobs(); });
    }
    PollJobs();
    if (!jobs_.empty())
        jobTimer_->start();
}

void Form1::PollJobs()
{
    // A queue prints its jobs in the order they came: only the oldest job
    // not ended is asked about, so a run of many labels costs a few
    // questions a round, not a few per label.
    QString shown;
    int cancelId = 0;
    while (!jobs_.empty()) {
        const platform::CupsJob& oldest = jobs_.front();
        const platform::JobState state = platform::PollJob(jobs_.front());
        shown = output::JobStatusText(oldest, state);
        if (!output::JobEnded(state.phase)) {
            cancelId = oldest.id;
            // The line tells of the newest job, unless the oldest is held
            // up: a stopped job must not hide behind those sent after it.
            const bool heldUp = !state.reason.isEmpty();
            if (!heldUp && jobs_.size() > 1) {
                shown = output::JobStatusText(jobs_.back(), platform::JobState{platform::JobPhase::Queued, false, {}});
                cancelId = jobs_.back().id;
            }
            break;
        }
        const bool printed = state.phase == platform::JobPhase::Completed;
        platform::ForgetJob(jobs_.front());
        jobs_.erase(jobs_.begin());
        if (!printed)
            break; // a job that did not print is told before the next one
    }
    if (jobs_.empty() && jobTimer_)
        jobTimer_->stop();
    if (shown.isEmpty())
        return;
    ShowJobStatus(shown);
    showJobLinks(cancelId ? QStringLiteral("<a href=\"%1%2\">Cancel job</a>").arg(kCancelLink).arg(cancelId) : QString());
}

void Form1::CancelJob_Click(int jobId)
{
    const auto it = std::find_if(jobs_.begin(), jobs_.end(), [jobId](const platform::CupsJob& j) { return j.id == jobId; });
    if (it == jobs_.end())
        return;
    QString error;
    if (!platform::CancelJob(*it, error)) {
        platform::MsgBox(QStringLiteral("Job %1 on %2 could not be canceled: %3").arg(jobId).arg(it->queue, error));
        return;
    }
    // The line tells at once what became of the job canceled, wherever it
    // stood among those followed.
    const platform::JobState state = platform::PollJob(*it);
    ShowJobStatus(output::JobStatusText(*it, state));
    showJobLinks(QString());
    if (output::JobEnded(state.phase)) {
        platform::ForgetJob(*it);
        jobs_.erase(it);
    }
}

void Form1::FillPrinterList()
{
    Combo1->clear();
    Combo1->addItems(platform::InstalledPrinters());
    ShowCurrentPrinter();
}

void Form1::Command2_Click()
{
    // A failed Generate leaves a message or part of a symbol: printed, it
    // would be a wasted label reported as done.
    if (RefuseFailedSymbol(QStringLiteral("print")))
        return;
    if (ChosenLayout()) {
        if (!PrintRefused(Picture2.Picture().has_value()))
            PrintLabelSheets(output::SameLabel({Text1->text(), {BarcodeToPrint(), {}, {}}, {}}, SheetPlacementNow(),
                                               CheckRepeat->isChecked()));
        return;
    }
    PrintBarcode(BarcodeToPrint(), Picture2.Picture().has_value());
}

void Form1::PrintBarcode(const platform::Drawing& barcode, bool hasPicture)
{
    platform::Printer& printer = platform::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());
    printer.SetScaleMode(platform::PrinterScale::Centimeters);
    if (PrintRefused(hasPicture))
        return;

    PdfWatch pdf;
    const platform::MaybeFailure failed =
        output::PrintDrawingAt(printer, barcode, output::OffsetCm(Text14->text()), output::OffsetCm(Text15->text()));
    ShowCurrentPrinter();
    if (failed) {
        ShowJobStatus(QString());
        platform::MsgBox(failed->text);
        return;
    }
    ShowJobStatus(output::WhereItWent(printer.DeviceName(), pdf.written), pdf.written);
    if (printer.LastJob())
        FollowJob(*printer.LastJob());
}

bool Form1::PrintRefused(bool hasPicture)
{
    const platform::MaybeFailure refused = output::CheckPrint(Text14->text(), Text15->text(), hasPicture);
    if (!refused)
        return false;
    platform::MsgBox(refused->text);
    // An offset that is not a number goes back to the design's.
    if (refused->code == output::PrintCheckCode::LeftNotNumeric)
        Text14->setText(QStringLiteral("1"));
    else if (refused->code == output::PrintCheckCode::TopNotNumeric)
        Text15->setText(QStringLiteral("1"));
    return true;
}

void Form1::Command3_Click() { FileOpen_Click(); }

bool Form1::Command4_Click()
{
    if (output::TrimBlanks(Text5->text()).isEmpty()) {
        platform::MsgBox(output::kSelectAFile);
        return false;
    }
    if (ChosenLayout())
        return PrintFileOnSheets();
    PrintingBusy busy(*this);
    StoppedRunMessages stopped;
    platform::Printer& printer = platform::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());
    ShowCurrentPrinter();

    // The lines are counted first so the progress can say "of M"; an
    // unattended run, which shows no progress, skips that.
    const output::BatchOptions options{Text5->text(), Text4->text(), Check1->isChecked()};
    qint64 lines = -1;
    if (isVisible()) {
        Progress->setText(QStringLiteral("Counting the lines..."));
        lines = output::CountLines(options.path, [] {
                    platform::DoEvents();
                    return !platform::TerminationRequested();
                }).value_or(-1);
    }
    if (lines != 0) // an empty file prints nothing: no "line 1 of 0"
        Progress->setText(output::ListingProgress(1, lines));

    PdfWatch pdf;
    qint64 printed = 0;
    const SymbolRequest request = ReadRequest();
    const QString typed = Text1->text(); // shown again when the run ends
    const output::ListingResult result = output::PrintListing(
        options, printer,
        [this, &request](const QString& code) {
            // The window shows the code being printed; the barcode printed
            // is drawn apart from it, from the options read at the start.
            Text1->setText(code);
            platform::DoEvents();
            return ListingBarcode(request, code);
        },
        ShowListingMessage,
        [this, &printed, lines](qint64 n) {
            printed = n;
            Progress->setText(output::ListingProgress(lines < 0 ? n + 1 : std::min(n + 1, lines), lines));
        });
    Progress->clear();
    Text1->setText(typed);
    if (!result.sent && platform::TerminationRequested())
        ShowJobStatus(output::ListingStopped(printed, lines));
    else if (!result.sent)
        ShowJobStatus(QString()); // a message said why
    else if (printed == 0)
        ShowJobStatus(QStringLiteral("Nothing was printed: the file has no lines."));
    else
        ShowJobStatus(output::WhereItWent(printer.DeviceName(), pdf.written), pdf.written);
    if (result.sent && printer.LastJob())
        FollowJob(*printer.LastJob());
    return result.AllAsAsked();
}

void Form1::Command8_Click()
{
    if (ChosenLayout())
        return RunOnSheets();
    PrintingBusy busy(*this);
    StoppedRunMessages stopped;
    for (qint64 printed = 0;; ++printed) {
        const auto range = output::ReadRange(Text21->text(), Text22->text());
        // Stop and Exit end the run after the label in progress.
        if (platform::TerminationRequested()) {
            if (range)
                Progress->setText(output::RangeStopped(printed, printed + output::LabelsLeft(range->from, range->to)));
            return;
        }
        if (!range) {
            platform::MsgBox(output::kRangeNotNumeric);
            return;
        }
        if (!range->HasNext()) {
            Progress->setText(printed == 1 ? QStringLiteral("Printed 1 label") : QStringLiteral("Printed %1 labels").arg(printed));
            return;
        }
        if (!range->CanStep()) {
            platform::MsgBox(output::kRangeTooLarge);
            return;
        }
        // To is read afresh for every label, so the count may change on the way.
        Progress->setText(output::LabelProgress(printed + 1, printed + output::LabelsLeft(range->from, range->to)));
        platform::DoEvents();
        const QString prefix = Text1->text();
        const QString label = output::LabelText(prefix, Text21->text());
        Text1->setText(label); // the window shows the label being printed
        output::Pause(1);
        // The label printed is drawn apart from what the window shows.
        SymbolRequest request = ReadRequest();
        request.text = label;
        const Symbol symbol = GenerateSymbol(request);
        if (symbol.failure) {
            // A label without its barcode is not printed, and the run stops
            // there: From holds that label, the first not printed.
            Text1->setText(prefix);
            Progress->setText(output::RangeStopped(printed, printed + output::LabelsLeft(range->from, range->to)));
            platform::MsgBox(QStringLiteral("There is no barcode to print for the label \"%1\": %2").arg(label, symbol.failure->text));
            return;
        }
        PrintBarcode(symbol.drawing, symbol.drawn);
        output::Pause(1);
        Text1->setText(prefix);
        Text21->setText(output::NextFrom(range->from));
    }
}

// ------------------------------------------------------------ label sheets

std::optional<output::SheetLayout> Form1::ChosenLayout() const
{
    return FindLayout(ComboLayout->currentText()).sheet;
}

void Form1::FillLayoutList(const QString& select)
{
    const QSignalBlocker quiet(ComboLayout);
    ComboLayout->clear();
    ComboLayout->addItem(output::kOneLabelPerJob);
    for (const output::SheetLayout& layout : AllLayouts())
        ComboLayout->addItem(layout.name, output::DescribeLayout(layout).replace(QLatin1Char('\t'), QStringLiteral(", ")));
    for (int i = 0; i < ComboLayout->count(); ++i)
        ComboLayout->setItemData(i, ComboLayout->itemData(i), Qt::ToolTipRole);
    const LayoutChoice chosen = FindLayout(select);
    const int at = chosen.sheet ? ComboLayout->findText(chosen.sheet->name) : 0;
    ComboLayout->setCurrentIndex(std::max(at, 0));
    Layout_Change();
}

void Form1::Layout_Change()
{
    const std::optional<output::SheetLayout> layout = ChosenLayout();
    SpinStart->setEnabled(layout.has_value());
    CheckRepeat->setEnabled(layout.has_value());
    SpinStart->setRange(1, layout ? layout->LabelsPerSheet() : 1);
    ShowStartPlace();
    ComboLayout->setToolTip(ComboLayout->currentData(Qt::ToolTipRole).toString());
    store(QStringLiteral("layout"), layout ? layout->name : QString());
}

void Form1::ShowStartPlace()
{
    const std::optional<output::SheetLayout> layout = ChosenLayout();
    const int label = SpinStart->value() - 1;
    SpinStart->setToolTip(layout ? QStringLiteral("Label %1 of %2: row %3, column %4. The labels before it are used.")
                                       .arg(label + 1)
                                       .arg(layout->LabelsPerSheet())
                                       .arg(label / layout->columns + 1)
                                       .arg(label % layout->columns + 1)
                                 : QStringLiteral("The first free label of a sheet, counted row by row"));
}

output::SheetPlacement Form1::SheetPlacementNow() const
{
    return output::SheetPlacement{ChosenLayout().value_or(output::SheetLayout{}), SpinStart->value(),
                                  output::OffsetCm(Text14->text()), output::OffsetCm(Text15->text())};
}

bool Form1::PrintLabelSheets(const output::NextLabel& labels, const output::LinePrinted& progress)
{
    platform::Printer& printer = platform::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());
    ShowCurrentPrinter();
    PdfWatch pdf;
    const output::SheetResult result = output::PrintOnSheets(printer, SheetPlacementNow(), labels, progress);
    if (result.failure)
        platform::MsgBox(result.failure->text);
    if (result.printed == 0) {
        ShowJobStatus(result.stopped ? QStringLiteral("Stopped: nothing was printed.")
                                     : result.failure ? QString()
                                                      : QStringLiteral("Nothing was printed: there are no labels."));
        return false;
    }
    ShowJobStatus(output::WhereItWent(printer.DeviceName(), pdf.written), pdf.written);
    if (printer.LastJob())
        FollowJob(*printer.LastJob());
    return true;
}

bool Form1::PrintFileOnSheets()
{
    if (output::TrimBlanks(Text5->text()).isEmpty()) {
        platform::MsgBox(output::kSelectAFile);
        return false;
    }
    if (PrintRefused(true))
        return false;
    PrintingBusy busy(*this);
    StoppedRunMessages stopped;
    const SymbolRequest request = ReadRequest();
    const QString typed = Text1->text();
    auto error = std::make_shared<QString>();
    const output::NextLabel labels =
        FileLabels(Text5->text(), Text4->text(), Check1->isChecked(),
                   [this, &request](const QString& code) {
                       Text1->setText(code); // the window shows the label being placed
                       platform::DoEvents();
                       return ListingBarcode(request, code);
                   },
                   error);
    if (!error->isEmpty()) {
        platform::MsgBox(*error);
        return false;
    }
    const bool printed = PrintLabelSheets(
        labels, [this](qint64 n) { Progress->setText(QStringLiteral("Label %1").arg(n + 1)); });
    Progress->clear();
    Text1->setText(typed);
    return printed;
}

void Form1::RunOnSheets()
{
    const auto range = output::ReadRange(Text21->text(), Text22->text());
    if (!range) {
        platform::MsgBox(output::kRangeNotNumeric);
        return;
    }
    if (!range->CanStep()) {
        platform::MsgBox(output::kRangeTooLarge);
        return;
    }
    if (PrintRefused(true))
        return;
    PrintingBusy busy(*this);
    StoppedRunMessages stopped;
    SymbolRequest request = ReadRequest();
    const QString prefix = Text1->text();
    const double total = output::LabelsLeft(range->from, range->to);
    const output::NextLabel labels = RangeLabels(prefix, Text21->text(), Text22->text(), [&](const QString& label) {
        Text1->setText(label);
        platform::DoEvents();
        return ListingBarcode(request, label);
    });
    qint64 printed = 0;
    const bool sent = PrintLabelSheets(labels, [&](qint64 n) {
        printed = n;
        Progress->setText(output::LabelProgress(std::min<double>(n + 1, total), total));
    });
    Text1->setText(prefix);
    if (!sent)
        return;
    // From holds the first number not printed, as after a run of single labels.
    Text21->setText(output::NextFrom(range->from + static_cast<double>(printed) - 1));
    Progress->setText(printed == 1 ? QStringLiteral("Printed 1 label") : QStringLiteral("Printed %1 labels").arg(printed));
}

std::vector<QImage> Form1::PreviewPages(PrintKind kind, double dpi, QString& failure, QRectF* printableMm)
{
    platform::Printer printer;
    printer.SelectByName(platform::CurrentPrinter().DeviceName());
    printer.SelectByName(Combo1->currentText());
    printer.SetPreview(dpi);
    const std::optional<output::SheetLayout> layout = ChosenLayout();
    const SymbolRequest request = ReadRequest();
    const auto barcodeFor = [&request](const QString& code) { return ListingBarcode(request, code); };
    const double left = output::OffsetCm(Text14->text()), top = output::OffsetCm(Text15->text());
    const auto said = [&failure](const platform::MaybeFailure& f) {
        if (f)
            failure = f->text;
    };
    failure.clear();
    if (const platform::MaybeFailure refused = output::CheckPrint(Text14->text(), Text15->text(), true)) {
        failure = refused->text;
        return {};
    }
    auto error = std::make_shared<QString>();
    output::NextLabel labels;
    if (kind == PrintKind::Print) {
        if (lastFailure_ || !Picture2.Picture()) {
            failure = lastFailure_ ? lastFailure_->text : output::kNothingToPrint;
            return {};
        }
        output::SheetLabel label{Text1->text(), {BarcodeToPrint(), {}, {}}, {}};
        if (!layout)
            said(output::PrintDrawingAt(printer, label.barcode.drawing, left, top));
        labels = output::SameLabel(label, SheetPlacementNow(), CheckRepeat->isChecked());
    } else if (kind == PrintKind::PrintFile) {
        if (!layout) {
            // A preview shows no boxes: the first problem is its text.
            output::PrintListing({Text5->text(), Text4->text(), Check1->isChecked()}, printer, barcodeFor,
                                 [&failure](const output::ListingMessage& m) {
                                     if (failure.isEmpty())
                                         failure = m.failure.text;
                                 });
        }
        labels = FileLabels(Text5->text(), Text4->text(), Check1->isChecked(), barcodeFor, error);
    } else {
        labels = RangeLabels(Text1->text(), Text21->text(), Text22->text(), barcodeFor);
        for (int job = 0; !layout && job < kMaxPreviewJobs; ++job) {
            const std::optional<output::SheetLabel> label = labels();
            if (!label)
                break;
            if (label->barcode.failure) {
                failure = label->barcode.failure->text;
                break;
            }
            said(output::PrintDrawingAt(printer, label->barcode.drawing, left, top));
        }
    }
    if (layout) {
        if (!error->isEmpty())
            failure = *error;
        else
            said(output::PrintOnSheets(printer, SheetPlacementNow(), labels).failure);
    }
    if (printableMm)
        *printableMm = printer.PreviewPrintableMm();
    return printer.TakePreview();
}

void Form1::PrintPreview_Click()
{
    const auto render = [this](int kind) {
        PreviewDialog::Pages pages;
        pages.dpi = 150;
        pages.images = PreviewPages(static_cast<PrintKind>(kind), pages.dpi, pages.failure, &pages.printableMm);
        pages.layout = ChosenLayout();
        if (!pages.layout && kind == static_cast<int>(PrintKind::RunIt) &&
            static_cast<int>(pages.images.size()) == kMaxPreviewJobs)
            pages.note = QStringLiteral("the first %1 labels, one job each").arg(kMaxPreviewJobs);
        return pages;
    };
    const auto print = [this](int kind) {
        switch (static_cast<PrintKind>(kind)) {
        case PrintKind::Print: Command2_Click(); break;
        case PrintKind::PrintFile: Command4_Click(); break;
        case PrintKind::RunIt: Command8_Click(); break;
        }
    };
    PreviewDialog dialog(this, 0, render, print);
    dialog.exec();
}

void Form1::NewLayout_Click()
{
    LayoutDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        FillLayoutList(dialog.Entered().name);
}

void Form1::Calibrate_Click()
{
    const QString printer = Combo1->currentText().isEmpty() ? platform::CurrentPrinter().DeviceName() : Combo1->currentText();
    if (printer == platform::kPdfPrinterName) {
        platform::MsgBox(QStringLiteral("The built-in \"Print to PDF file\" printer prints where it is told; it needs no calibration."));
        return;
    }
    CalibrationDialog dialog(this, printer);
    dialog.exec();
}

} // namespace app
