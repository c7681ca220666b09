// The output actions of the main window: the printer list, Print, Print
// File and Run It. The logic lives in output/; these handlers wire it to
// the controls.
#include "ui/Form1.h"

#include "jobs/PrintJobs.h"
#include "jobs/SheetJobs.h"
#include "jobs/StoredLayouts.h"
#include "ui/SheetDialogs.h"
#include "ui/WindowLayout.h"

#include "printing/BatchPrint.h"
#include "printing/JobFollow.h"
#include "printing/PrintAction.h"
#include "printing/Printers.h"
#include "printing/RangePrint.h"
#include "printing/RunProgress.h"
#include "services/EventPump.h"
#include "services/MessageBox.h"
#include "services/Termination.h"

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

namespace ui {

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
class StoppedRunMessages : public services::MessageSink {
public:
    StoppedRunMessages() : previous_(services::SetMessageSink(this)) {}
    ~StoppedRunMessages() override { services::SetMessageSink(previous_); }
    StoppedRunMessages(const StoppedRunMessages&) = delete;
    StoppedRunMessages& operator=(const StoppedRunMessages&) = delete;

    void Show(const QString& text, const QString& title) override
    {
        if (services::TerminationRequested())
            services::StderrSink().Show(text, title);
        else
            previous_->Show(text, title);
    }
    void ShowFailure(const QString& text, const QString& title) override
    {
        if (services::TerminationRequested())
            services::StderrSink().ShowFailure(text, title);
        else
            previous_->ShowFailure(text, title);
    }

private:
    services::MessageSink* previous_;
};

// Learns which file the built-in printer wrote for the jobs of one action.
// The handler installed before (an unattended run's, a test's) still hears
// of every file.
class PdfWatch {
public:
    PdfWatch()
    {
        previous_ = printing::SetPdfWrittenHandler([this](const QString& path) {
            written = path;
            if (previous_)
                previous_(path);
        });
    }
    ~PdfWatch() { printing::SetPdfWrittenHandler(std::move(previous_)); }
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
        services::ClearStopRequest();
}

void Form1::Stop_Click()
{
    if (Running())
        services::RequestStop();
}

void Form1::ShowCurrentPrinter()
{
    const QString name = printing::CurrentPrinter().DeviceName();
    Combo1->lineEdit()->setPlaceholderText(name);
    Combo1->setToolTip(QStringLiteral("Empty: the jobs go to %1").arg(name));
    FitComboText(Combo1);
    // The printer a job would go to now: the one typed when it is one.
    const QString typed = Combo1->currentText();
    const QString printer = printing::IsKnownPrinter(typed) ? typed : name;
    QString error;
    const QString page = printing::PageSummary(printer, error);
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

void Form1::FollowJob(const printing::CupsJob& job)
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
        const printing::CupsJob& oldest = jobs_.front();
        const printing::JobState state = printing::PollJob(jobs_.front());
        shown = printing::JobStatusText(oldest, state);
        if (!printing::JobEnded(state.phase)) {
            cancelId = oldest.id;
            // The line tells of the newest job, unless the oldest is held
            // up: a stopped job must not hide behind those sent after it.
            const bool heldUp = !state.reason.isEmpty();
            if (!heldUp && jobs_.size() > 1) {
                shown = printing::JobStatusText(jobs_.back(), printing::JobState{printing::JobPhase::Queued, false, {}});
                cancelId = jobs_.back().id;
            }
            break;
        }
        const bool printed = state.phase == printing::JobPhase::Completed;
        printing::ForgetJob(jobs_.front());
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
    const auto it = std::find_if(jobs_.begin(), jobs_.end(), [jobId](const printing::CupsJob& j) { return j.id == jobId; });
    if (it == jobs_.end())
        return;
    QString error;
    if (!printing::CancelJob(*it, error)) {
        services::MsgBox(QStringLiteral("Job %1 on %2 could not be canceled: %3").arg(jobId).arg(it->queue, error));
        return;
    }
    // The line tells at once what became of the job canceled, wherever it
    // stood among those followed.
    const printing::JobState state = printing::PollJob(*it);
    ShowJobStatus(printing::JobStatusText(*it, state));
    showJobLinks(QString());
    if (printing::JobEnded(state.phase)) {
        printing::ForgetJob(*it);
        jobs_.erase(it);
    }
}

void Form1::FillPrinterList()
{
    Combo1->clear();
    Combo1->addItems(printing::InstalledPrinters());
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
            PrintLabelSheets(printing::SameLabel({Text1->text(), {BarcodeToPrint(), {}, {}}, {}}, SheetPlacementNow(),
                                               CheckRepeat->isChecked()));
        return;
    }
    PrintBarcode(BarcodeToPrint(), Picture2.Picture().has_value());
}

void Form1::PrintBarcode(const graphics::Drawing& barcode, bool hasPicture)
{
    printing::Printer& printer = printing::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());
    printer.SetScaleMode(printing::PrinterScale::Centimeters);
    if (PrintRefused(hasPicture))
        return;

    PdfWatch pdf;
    const core::MaybeFailure failed =
        printing::PrintDrawingAt(printer, barcode, printing::OffsetCm(Text14->text()), printing::OffsetCm(Text15->text()));
    ShowCurrentPrinter();
    if (failed) {
        ShowJobStatus(QString());
        services::MsgBox(failed->text);
        return;
    }
    ShowJobStatus(printing::WhereItWent(printer.DeviceName(), pdf.written), pdf.written);
    if (printer.LastJob())
        FollowJob(*printer.LastJob());
}

bool Form1::PrintRefused(bool hasPicture)
{
    const core::MaybeFailure refused = printing::CheckPrint(Text14->text(), Text15->text(), hasPicture);
    if (!refused)
        return false;
    services::MsgBox(refused->text);
    // An offset that is not a number goes back to the design's.
    if (refused->code == printing::PrintCheckCode::LeftNotNumeric)
        Text14->setText(QStringLiteral("1"));
    else if (refused->code == printing::PrintCheckCode::TopNotNumeric)
        Text15->setText(QStringLiteral("1"));
    return true;
}

void Form1::Command3_Click() { FileOpen_Click(); }

bool Form1::Command4_Click()
{
    if (printing::TrimBlanks(Text5->text()).isEmpty()) {
        services::MsgBox(printing::kSelectAFile);
        return false;
    }
    if (ChosenLayout())
        return PrintFileOnSheets();
    PrintingBusy busy(*this);
    StoppedRunMessages stopped;
    printing::Printer& printer = printing::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());
    ShowCurrentPrinter();

    // The lines are counted first so the progress can say "of M"; an
    // unattended run, which shows no progress, skips that.
    const printing::BatchOptions options{Text5->text(), Text4->text(), Check1->isChecked()};
    qint64 lines = -1;
    if (isVisible()) {
        Progress->setText(QStringLiteral("Counting the lines..."));
        lines = printing::CountLines(options.path, [] {
                    services::DoEvents();
                    return !services::TerminationRequested();
                }).value_or(-1);
    }
    if (lines != 0) // an empty file prints nothing: no "line 1 of 0"
        Progress->setText(printing::ListingProgress(1, lines));

    PdfWatch pdf;
    qint64 printed = 0;
    const symbols::SymbolRequest request = ReadRequest();
    const QString typed = Text1->text(); // shown again when the run ends
    const printing::ListingResult result = printing::PrintListing(
        options, printer,
        [this, &request](const QString& code) {
            // The window shows the code being printed; the barcode printed
            // is drawn apart from it, from the options read at the start.
            Text1->setText(code);
            services::DoEvents();
            return jobs::ListingBarcode(request, code);
        },
        jobs::ShowListingMessage,
        [this, &printed, lines](qint64 n) {
            printed = n;
            Progress->setText(printing::ListingProgress(lines < 0 ? n + 1 : std::min(n + 1, lines), lines));
        });
    Progress->clear();
    Text1->setText(typed);
    if (!result.sent && services::TerminationRequested())
        ShowJobStatus(printing::ListingStopped(printed, lines));
    else if (!result.sent)
        ShowJobStatus(QString()); // a message said why
    else if (printed == 0)
        ShowJobStatus(QStringLiteral("Nothing was printed: the file has no lines."));
    else
        ShowJobStatus(printing::WhereItWent(printer.DeviceName(), pdf.written), pdf.written);
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
        const auto range = printing::ReadRange(Text21->text(), Text22->text());
        // Stop and Exit end the run after the label in progress.
        if (services::TerminationRequested()) {
            if (range)
                Progress->setText(printing::RangeStopped(printed, printed + printing::LabelsLeft(range->from, range->to)));
            return;
        }
        if (!range) {
            services::MsgBox(printing::kRangeNotNumeric);
            return;
        }
        if (!range->HasNext()) {
            Progress->setText(printed == 1 ? QStringLiteral("Printed 1 label") : QStringLiteral("Printed %1 labels").arg(printed));
            return;
        }
        if (!range->CanStep()) {
            services::MsgBox(printing::kRangeTooLarge);
            return;
        }
        // To is read afresh for every label, so the count may change on the way.
        Progress->setText(printing::LabelProgress(printed + 1, printed + printing::LabelsLeft(range->from, range->to)));
        services::DoEvents();
        const QString prefix = Text1->text();
        const QString label = printing::LabelText(prefix, Text21->text());
        Text1->setText(label); // the window shows the label being printed
        printing::Pause(1);
        // The label printed is drawn apart from what the window shows.
        symbols::SymbolRequest request = ReadRequest();
        request.text = label;
        const symbols::Symbol symbol = symbols::GenerateSymbol(request);
        if (symbol.failure) {
            // A label without its barcode is not printed, and the run stops
            // there: From holds that label, the first not printed.
            Text1->setText(prefix);
            Progress->setText(printing::RangeStopped(printed, printed + printing::LabelsLeft(range->from, range->to)));
            services::MsgBox(QStringLiteral("There is no barcode to print for the label \"%1\": %2").arg(label, symbol.failure->text));
            return;
        }
        PrintBarcode(symbol.drawing, symbol.drawn);
        printing::Pause(1);
        Text1->setText(prefix);
        Text21->setText(printing::NextFrom(range->from));
    }
}

// ------------------------------------------------------------ label sheets

std::optional<printing::SheetLayout> Form1::ChosenLayout() const
{
    return jobs::FindLayout(ComboLayout->currentText()).sheet;
}

void Form1::FillLayoutList(const QString& select)
{
    const QSignalBlocker quiet(ComboLayout);
    ComboLayout->clear();
    ComboLayout->addItem(printing::kOneLabelPerJob);
    for (const printing::SheetLayout& layout : jobs::AllLayouts())
        ComboLayout->addItem(layout.name, printing::DescribeLayout(layout).replace(QLatin1Char('\t'), QStringLiteral(", ")));
    for (int i = 0; i < ComboLayout->count(); ++i)
        ComboLayout->setItemData(i, ComboLayout->itemData(i), Qt::ToolTipRole);
    const jobs::LayoutChoice chosen = jobs::FindLayout(select);
    const int at = chosen.sheet ? ComboLayout->findText(chosen.sheet->name) : 0;
    ComboLayout->setCurrentIndex(std::max(at, 0));
    Layout_Change();
}

void Form1::Layout_Change()
{
    const std::optional<printing::SheetLayout> layout = ChosenLayout();
    SpinStart->setEnabled(layout.has_value());
    CheckRepeat->setEnabled(layout.has_value());
    SpinStart->setRange(1, layout ? layout->LabelsPerSheet() : 1);
    ShowStartPlace();
    ComboLayout->setToolTip(ComboLayout->currentData(Qt::ToolTipRole).toString());
    store(QStringLiteral("layout"), layout ? layout->name : QString());
}

void Form1::ShowStartPlace()
{
    const std::optional<printing::SheetLayout> layout = ChosenLayout();
    const int label = SpinStart->value() - 1;
    SpinStart->setToolTip(layout ? QStringLiteral("Label %1 of %2: row %3, column %4. The labels before it are used.")
                                       .arg(label + 1)
                                       .arg(layout->LabelsPerSheet())
                                       .arg(label / layout->columns + 1)
                                       .arg(label % layout->columns + 1)
                                 : QStringLiteral("The first free label of a sheet, counted row by row"));
}

printing::SheetPlacement Form1::SheetPlacementNow() const
{
    return printing::SheetPlacement{ChosenLayout().value_or(printing::SheetLayout{}), SpinStart->value(),
                                  printing::OffsetCm(Text14->text()), printing::OffsetCm(Text15->text())};
}

bool Form1::PrintLabelSheets(const printing::NextLabel& labels, const printing::LinePrinted& progress)
{
    printing::Printer& printer = printing::CurrentPrinter();
    printer.SelectByName(Combo1->currentText());
    ShowCurrentPrinter();
    PdfWatch pdf;
    const printing::SheetResult result = printing::PrintOnSheets(printer, SheetPlacementNow(), labels, progress);
    if (result.failure)
        services::MsgBox(result.failure->text);
    if (result.printed == 0) {
        ShowJobStatus(result.stopped ? QStringLiteral("Stopped: nothing was printed.")
                                     : result.failure ? QString()
                                                      : QStringLiteral("Nothing was printed: there are no labels."));
        return false;
    }
    ShowJobStatus(printing::WhereItWent(printer.DeviceName(), pdf.written), pdf.written);
    if (printer.LastJob())
        FollowJob(*printer.LastJob());
    return true;
}

bool Form1::PrintFileOnSheets()
{
    if (printing::TrimBlanks(Text5->text()).isEmpty()) {
        services::MsgBox(printing::kSelectAFile);
        return false;
    }
    if (PrintRefused(true))
        return false;
    PrintingBusy busy(*this);
    StoppedRunMessages stopped;
    const symbols::SymbolRequest request = ReadRequest();
    const QString typed = Text1->text();
    auto error = std::make_shared<QString>();
    const printing::NextLabel labels =
        jobs::FileLabels(Text5->text(), Text4->text(), Check1->isChecked(),
                   [this, &request](const QString& code) {
                       Text1->setText(code); // the window shows the label being placed
                       services::DoEvents();
                       return jobs::ListingBarcode(request, code);
                   },
                   error);
    if (!error->isEmpty()) {
        services::MsgBox(*error);
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
    const auto range = printing::ReadRange(Text21->text(), Text22->text());
    if (!range) {
        services::MsgBox(printing::kRangeNotNumeric);
        return;
    }
    if (!range->CanStep()) {
        services::MsgBox(printing::kRangeTooLarge);
        return;
    }
    if (PrintRefused(true))
        return;
    PrintingBusy busy(*this);
    StoppedRunMessages stopped;
    symbols::SymbolRequest request = ReadRequest();
    const QString prefix = Text1->text();
    const double total = printing::LabelsLeft(range->from, range->to);
    const printing::NextLabel labels = jobs::RangeLabels(prefix, Text21->text(), Text22->text(), [&](const QString& label) {
        Text1->setText(label);
        services::DoEvents();
        return jobs::ListingBarcode(request, label);
    });
    qint64 printed = 0;
    const bool sent = PrintLabelSheets(labels, [&](qint64 n) {
        printed = n;
        Progress->setText(printing::LabelProgress(std::min<double>(n + 1, total), total));
    });
    Text1->setText(prefix);
    if (!sent)
        return;
    // From holds the first number not printed, as after a run of single labels.
    Text21->setText(printing::NextFrom(range->from + static_cast<double>(printed) - 1));
    Progress->setText(printed == 1 ? QStringLiteral("Printed 1 label") : QStringLiteral("Printed %1 labels").arg(printed));
}

std::vector<QImage> Form1::PreviewPages(PrintKind kind, double dpi, QString& failure, QRectF* printableMm)
{
    printing::Printer printer;
    printer.SelectByName(printing::CurrentPrinter().DeviceName());
    printer.SelectByName(Combo1->currentText());
    printer.SetPreview(dpi);
    const std::optional<printing::SheetLayout> layout = ChosenLayout();
    const symbols::SymbolRequest request = ReadRequest();
    const auto barcodeFor = [&request](const QString& code) { return jobs::ListingBarcode(request, code); };
    const double left = printing::OffsetCm(Text14->text()), top = printing::OffsetCm(Text15->text());
    const auto said = [&failure](const core::MaybeFailure& f) {
        if (f)
            failure = f->text;
    };
    failure.clear();
    if (const core::MaybeFailure refused = printing::CheckPrint(Text14->text(), Text15->text(), true)) {
        failure = refused->text;
        return {};
    }
    auto error = std::make_shared<QString>();
    printing::NextLabel labels;
    if (kind == PrintKind::Print) {
        if (lastFailure_ || !Picture2.Picture()) {
            failure = lastFailure_ ? lastFailure_->text : printing::kNothingToPrint;
            return {};
        }
        printing::SheetLabel label{Text1->text(), {BarcodeToPrint(), {}, {}}, {}};
        if (!layout)
            said(printing::PrintDrawingAt(printer, label.barcode.drawing, left, top));
        labels = printing::SameLabel(label, SheetPlacementNow(), CheckRepeat->isChecked());
    } else if (kind == PrintKind::PrintFile) {
        if (!layout) {
            // A preview shows no boxes: the first problem is its text.
            printing::PrintListing({Text5->text(), Text4->text(), Check1->isChecked()}, printer, barcodeFor,
                                 [&failure](const printing::ListingMessage& m) {
                                     if (failure.isEmpty())
                                         failure = m.failure.text;
                                 });
        }
        labels = jobs::FileLabels(Text5->text(), Text4->text(), Check1->isChecked(), barcodeFor, error);
    } else {
        labels = jobs::RangeLabels(Text1->text(), Text21->text(), Text22->text(), barcodeFor);
        for (int job = 0; !layout && job < kMaxPreviewJobs; ++job) {
            const std::optional<printing::SheetLabel> label = labels();
            if (!label)
                break;
            if (label->barcode.failure) {
                failure = label->barcode.failure->text;
                break;
            }
            said(printing::PrintDrawingAt(printer, label->barcode.drawing, left, top));
        }
    }
    if (layout) {
        if (!error->isEmpty())
            failure = *error;
        else
            said(printing::PrintOnSheets(printer, SheetPlacementNow(), labels).failure);
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
    const QString printer = Combo1->currentText().isEmpty() ? printing::CurrentPrinter().DeviceName() : Combo1->currentText();
    if (printer == printing::kPdfPrinterName) {
        services::MsgBox(QStringLiteral("The built-in \"Print to PDF file\" printer prints where it is told; it needs no calibration."));
        return;
    }
    CalibrationDialog dialog(this, printer);
    dialog.exec();
}

} // namespace ui
