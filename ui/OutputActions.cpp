// The output actions of the main window: the printer list, Print, Print
// File and Run It. The logic lives in printing/ and jobs/; these handlers
// wire it to the controls.
#include "ui/Form1.h"

#include "core/Numeric.h"
#include "jobs/LabelJobs.h"
#include "jobs/PrintJobs.h"
#include "jobs/SheetJobs.h"
#include "jobs/StoredLayouts.h"
#include "printing/BatchPrint.h"
#include "printing/JobFollow.h"
#include "printing/PreviewPrinter.h"
#include "printing/PrintAction.h"
#include "printing/RangePrint.h"
#include "printing/RunProgress.h"
#include "services/Termination.h"
#include "ui/LabelEditor.h"
#include "ui/SheetDialogs.h"
#include "ui/WindowLayout.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <array>
#include <functional>
#include <variant>

namespace ui {

// While a batch or range run is going on, the controls that start printing
// are disabled: the run processes window events between its steps, and a
// second run started meanwhile would mix its pages and labels into it.
// The Stop button and the progress show instead. Once a run was stopped,
// by Stop or by ending the program, what it says about that goes to
// stderr: nobody should have to click away a box about a run they ended
// themselves; the status line tells what happened.
class Form1::PrintingBusy : public services::MessageSink {
public:
    explicit PrintingBusy(Form1& form)
        : form_(form), controls_{form.Command2, form.Command4, form.Command8},
          actions_{form.PrintTemp, form.PrintFileTemp}, previous_(std::exchange(form.messages_, this))
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
    ~PrintingBusy() override
    {
        form_.messages_ = previous_;
        form_.RunEnded();
        for (std::size_t i = 0; i < controls_.size(); ++i)
            controls_[i]->setEnabled(controlWas_[i]);
        for (std::size_t i = 0; i < actions_.size(); ++i)
            actions_[i]->setEnabled(actionWas_[i]);
    }
    PrintingBusy(const PrintingBusy&) = delete;
    PrintingBusy& operator=(const PrintingBusy&) = delete;

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
    Form1& form_;
    std::array<QPushButton*, 3> controls_;
    std::array<QAction*, 2> actions_;
    std::array<bool, 3> controlWas_{};
    std::array<bool, 2> actionWas_{};
    services::MessageSink* previous_;
};

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

QString Form1::ChosenPrinter()
{
    if (printers_.IsKnown(Combo1->currentText()))
        currentPrinter_ = Combo1->currentText();
    return currentPrinter_;
}

void Form1::ShowCurrentPrinter()
{
    const QString name = currentPrinter_;
    Combo1->lineEdit()->setPlaceholderText(name);
    Combo1->setToolTip(QStringLiteral("Empty: the jobs go to %1").arg(name));
    FitComboText(Combo1);
    // The printer a job would go to now: the one typed when it is one.
    const QString typed = Combo1->currentText();
    const QString printer = printers_.IsKnown(typed) ? typed : name;
    const core::Result<QString> page = printers_.PageSummary(printer);
    pageText_ = page.ok() ? *page : page.failure().text;
    PrinterPage->setToolTip(page.ok() ? QStringLiteral("%1: %2").arg(printer, *page) : page.failure().text);
    elidePrinterPage();
    printerDpi_ = printers_.GridDpiOf(printer);
    if (LabelPrintDots)
        ShowPrintDots();
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

void Form1::JobWent(const printing::JobDone& done, const QString& printer)
{
    ShowJobStatus(printing::WhereItWent(printer, done.pdfPath), done.pdfPath);
    if (done.cupsJob)
        FollowJob(*done.cupsJob);
    if (jobDone_)
        jobDone_(done);
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
    if (const core::Status canceled = printing::CancelJob(*it); canceled.failed()) {
        messages_->MsgBox(
            QStringLiteral("Job %1 on %2 could not be canceled: %3").arg(jobId).arg(it->queue, canceled.failure().text));
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
    currentPrinter_ = printers_.Default();
    // Filling the list would put its first printer in the box: the box
    // keeps what it held, so that it and the line under it name the
    // printer a job goes to.
    const QString typed = Combo1->currentText();
    Combo1->clear();
    Combo1->addItems(printers_.Installed());
    Combo1->setEditText(typed);
    ShowCurrentPrinter();
}

void Form1::Command2_Click()
{
    if (RefuseMissingLayout())
        return;
    if (!merge_.path.isEmpty()) {
        PrintMerge();
        return;
    }
    if (labelParts_) {
        PrintLabelFile();
        return;
    }
    // A failed Generate leaves a message or part of a symbol: printed, it
    // would be a wasted label reported as done.
    if (RefuseFailedSymbol(QStringLiteral("print")))
        return;
    const QString printer = ChosenPrinter();
    if (PrintRefused(Picture2.Picture().has_value()))
        return;
    const printing::RunPlacement where = PlacementNow();
    if (where.sheets) {
        PrintRun(printing::SameLabel({Text1->text(), {PrintedBarcode(), {}, {}}, {}}, *where.sheets,
                                     CheckRepeat->isChecked()));
        return;
    }
    const std::unique_ptr<printing::PrintTarget> target = printers_.Open(printer);
    const core::Result<printing::JobDone> done =
        printing::PrintDrawingAt(*target, PrintedBarcode(), where.leftCm, where.topCm, where.copies);
    ShowCurrentPrinter();
    if (done.failed()) {
        ShowJobStatus(QString());
        messages_->MsgBox(done.failure().text);
        return;
    }
    JobWent(*done, printer);
}

bool Form1::RefuseMissingLayout()
{
    const auto layout = jobs::LayoutToPrintOn(ComboLayout->currentText());
    if (layout.ok())
        return false;
    messages_->MsgBox(layout.failure().text);
    return true;
}

bool Form1::PrintRefused(bool hasPicture)
{
    const core::Status refused = printing::CheckPrint(Text14->text(), Text15->text(), hasPicture);
    if (refused.ok())
        return false;
    messages_->MsgBox(refused.failure().text);
    // An offset that is not a number goes back to the design's.
    if (refused.failure().code == core::kLeftNotNumeric)
        Text14->setText(QStringLiteral("1"));
    else if (refused.failure().code == core::kTopNotNumeric)
        Text15->setText(QStringLiteral("1"));
    return true;
}

void Form1::Command3_Click() { FileOpen_Click(); }

bool Form1::Command4_Click()
{
    if (RefuseMissingLayout())
        return false;
    if (printing::TrimBlanks(Text5->text()).isEmpty()) {
        messages_->MsgBox(printing::kSelectAFile);
        return false;
    }
    if (ChosenLayout())
        return PrintFileOnSheets();
    PrintingBusy busy(*this);
    const QString printer = ChosenPrinter();
    ShowCurrentPrinter();

    // The lines are counted first so the progress can say "of M"; an
    // unattended run, which shows no progress, skips that.
    const printing::BatchOptions options{Text5->text(), Text4->text(), Check1->isChecked(), pump_};
    qint64 lines = -1;
    if (isVisible()) {
        Progress->setText(QStringLiteral("Counting the lines..."));
        lines = printing::CountLines(options.path, [this] {
                    services::Pump(pump_);
                    return !services::TerminationRequested();
                }).value_or(-1);
    }
    if (lines != 0) // an empty file prints nothing: no "line 1 of 0"
        Progress->setText(printing::ListingProgress(1, lines));

    qint64 printed = 0;
    const symbols::SymbolRequest request = ReadRequest();
    const QString typed = Text1->text(); // shown again when the run ends
    const std::unique_ptr<printing::PrintTarget> target = printers_.Open(printer);
    const core::Result<printing::Listing> listing = printing::PrintListing(
        options, *target,
        [this, &request](const QString& code) {
            // The window shows the code being printed; the barcode printed
            // is drawn apart from it, from the options read at the start.
            Text1->setText(code);
            services::Pump(pump_);
            return jobs::ListingBarcode(request, code);
        },
        [this](const printing::ListingMessage& m) { jobs::ShowListingMessage(m, *messages_); },
        [this, &printed, lines](qint64 n) {
            printed = n;
            Progress->setText(printing::ListingProgress(lines < 0 ? n + 1 : std::min(n + 1, lines), lines));
        });
    Progress->clear();
    Text1->setText(typed);
    if (listing.failed()) {
        messages_->MsgBox(listing.failure().text);
        ShowJobStatus(listing.failure().code == core::kStopped ? printing::ListingStopped(printed, lines) : QString());
        return false;
    }
    if (printed == 0)
        ShowJobStatus(QStringLiteral("Nothing was printed: the file has no lines."));
    else
        JobWent(listing->done, printer);
    return listing->linesNotAsAsked == 0;
}

namespace {

// The window's names of the range's fields.
const QString kFrom = QStringLiteral("From"), kTo = QStringLiteral("To");

// The window's message for a range it can't count, and which field is why.
QString NotCountable(const QString& from, const QString& to)
{
    return printing::kRangeNotNumeric + QStringLiteral(". ") + printing::RangeProblem(from, to, kFrom, kTo);
}

// Where Run It stands at its next label: the range, or what ends the run
// there (nothing when it is done, a failure when it can't go on).
std::variant<printing::RangeBounds, std::optional<printing::SheetLabel>> NextInRange(const QString& from, const QString& to)
{
    const auto range = printing::ReadRange(from, to);
    if (!range)
        return printing::SheetLabel{{}, {}, core::Failure{core::kNotDrawable, NotCountable(from, to)}};
    if (!range->HasNext())
        return std::optional<printing::SheetLabel>{};
    return *range;
}

} // namespace

printing::NextLabel Form1::RunItLabels(const QString& prefix, const symbols::SymbolRequest& request)
{
    return [this, prefix, request]() -> std::optional<printing::SheetLabel> {
        // To is read afresh for every label, so the count may change on the way.
        const auto next = NextInRange(Text21->text(), Text22->text());
        if (const auto* end = std::get_if<std::optional<printing::SheetLabel>>(&next))
            return *end;
        const QString label = printing::LabelText(prefix, Text21->text());
        return printing::SheetLabel{label, jobs::ListingBarcode(request, label), {}};
    };
}

void Form1::Command8_Click()
{
    if (RefuseMissingLayout())
        return;
    const printing::RunPlacement where = PlacementNow();
    const auto range = printing::ReadRange(Text21->text(), Text22->text());
    if (!range) {
        messages_->MsgBox(NotCountable(Text21->text(), Text22->text()));
        return;
    }
    if (const QString empty = printing::EmptyRange(*range, kFrom, kTo); !empty.isEmpty()) {
        messages_->MsgBox(empty);
        return;
    }
    if (where.sheets && PrintRefused(true))
        return;
    PrintingBusy busy(*this);
    const symbols::SymbolRequest request = ReadRequest();
    const QString prefix = Text1->text();
    // With a label file the number goes where its parts say, and Text1
    // keeps the window's own barcode.
    const bool labelFile = labelParts_.has_value();
    const auto show = [&](const QString& text) {
        if (!labelFile)
            Text1->setText(text);
    };
    // What is left of the run, for the progress: To may change on the way.
    const auto left = [this](qint64 printed) {
        const auto now = printing::ReadRange(Text21->text(), Text22->text());
        return printed + (now ? printing::LabelsLeft(now->from, now->to) : 0);
    };
    printing::RunReport report;
    qint64 done = 0; // labels whose turn has passed, printed or not
    if (where.sheets) {
        const double total = printing::LabelsLeft(range->from, range->to);
        const printing::NextLabel labels =
            labelFile ? jobs::RangeLabels(LabelNow(), LabelName(), Text21->text(), Text22->text())
                      : jobs::RangeLabels(prefix, Text21->text(), Text22->text(), [&](const QString& label) {
                            Text1->setText(label); // the window shows the label being placed
                            services::Pump(pump_);
                            return jobs::ListingBarcode(request, label);
                        });
        printing::RunEvents events;
        events.placed = [&](qint64 n) {
            Progress->setText(printing::LabelProgress(std::min<double>(n + 1, total), total));
            if (labelFile)
                services::Pump(pump_);
        };
        report = PrintRun(labels, events);
        show(prefix);
        // From holds the first number not printed, as after a run of single labels.
        if (report.printed > 0)
            Text21->setText(printing::NextFrom(range->from + report.printed - 1, Text21->text()));
        done = report.printed;
    } else {
        printing::RunEvents events;
        events.starting = [&](const printing::SheetLabel& label) {
            Progress->setText(printing::LabelProgress(done + 1, left(done)));
            services::Pump(pump_);
            show(label.text); // the window shows the label being printed
            printing::Pause(1, clock_, pump_);
            // A label whose offsets are refused is not printed; the run goes on.
            return label.barcode.status.failed() || !PrintRefused(true);
        };
        events.finished = [&](const printing::SheetLabel&, const printing::JobDone*) {
            printing::Pause(1, clock_, pump_);
            show(prefix);
            if (const auto now = printing::ReadRange(Text21->text(), Text22->text()))
                Text21->setText(printing::NextFrom(now->from, Text21->text()));
            ++done;
        };
        events.jobFailed = [](const printing::SheetLabel&, const core::Failure&) { return true; };
        report = PrintRun(labelFile ? RunItLabelFile() : RunItLabels(prefix, request), events);
        show(prefix);
    }
    if (report.status.ok()) {
        Progress->setText(done == 1 ? QStringLiteral("Printed 1 label") : QStringLiteral("Printed %1 labels").arg(done));
    } else if (report.status.failure().code == core::kStopped || !where.sheets) {
        // Stop and Exit end the run after the label in progress; a label
        // without its barcode stops it there, and From holds that label.
        Progress->setText(printing::RangeStopped(done, left(done)));
    }
}

// ------------------------------------------------------------ label sheets

std::optional<printing::SheetLayout> Form1::ChosenLayout() const
{
    return jobs::ChosenLayout(ComboLayout->currentText());
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
    const std::optional<printing::SheetLayout> chosen = jobs::ChosenLayout(select);
    int at = chosen ? ComboLayout->findText(chosen->name) : 0;
    // A stored layout no longer there stays chosen, by its name: printing
    // then says it is missing, rather than print one label per job.
    if (!chosen && jobs::FindLayout(select).failed()) {
        ComboLayout->addItem(select.trimmed(), QStringLiteral("There is no layout of this name any more."));
        at = ComboLayout->count() - 1;
        ComboLayout->setItemData(at, ComboLayout->itemData(at), Qt::ToolTipRole);
    }
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
    const bool missing = !layout && jobs::FindLayout(ComboLayout->currentText()).failed();
    store(QStringLiteral("layout"), layout ? layout->name : missing ? ComboLayout->currentText() : QString());
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

printing::RunPlacement Form1::PlacementNow() const
{
    const double left = printing::OffsetCm(Text14->text()), top = printing::OffsetCm(Text15->text());
    printing::RunPlacement where{std::nullopt, left, top, SpinCopies->value()};
    if (const std::optional<printing::SheetLayout> layout = ChosenLayout())
        where.sheets = printing::SheetPlacement{*layout, SpinStart->value(), left, top};
    return where;
}

printing::RunReport Form1::PrintRun(const printing::NextLabel& labels, const printing::RunEvents& events)
{
    const QString printer = ChosenPrinter();
    ShowCurrentPrinter();
    const std::unique_ptr<printing::PrintTarget> target = printers_.Open(printer);
    printing::RunEvents said = events;
    // A job of its own is told as it goes out; a label whose job failed is
    // told in a box, and the run goes on once it is closed.
    said.finished = [&](const printing::SheetLabel& label, const printing::JobDone* done) {
        if (done)
            JobWent(*done, printer);
        if (events.finished)
            events.finished(label, done);
    };
    if (events.jobFailed)
        said.jobFailed = [&](const printing::SheetLabel& label, const core::Failure& why) {
            ShowJobStatus(QString());
            messages_->MsgBox(why.text);
            return events.jobFailed(label, why);
        };
    const printing::RunPlacement where = PlacementNow();
    const printing::RunReport report = printing::PrintLabelRun(*target, where, labels, said);
    if (where.sheets && report.printed > 0)
        JobWent(report.jobs.back(), printer);
    if (report.status.failed() && report.status.failure().code != core::kStopped)
        messages_->MsgBox(report.status.failure().text);
    if (where.sheets && report.printed == 0)
        ShowJobStatus(report.status.failed() && report.status.failure().code == core::kStopped
                          ? QStringLiteral("Stopped: nothing was printed.")
                      : report.status.failed() ? QString()
                                               : QStringLiteral("Nothing was printed: there are no labels."));
    return report;
}

bool Form1::PrintFileOnSheets()
{
    if (printing::TrimBlanks(Text5->text()).isEmpty()) {
        messages_->MsgBox(printing::kSelectAFile);
        return false;
    }
    if (PrintRefused(true))
        return false;
    PrintingBusy busy(*this);
    const symbols::SymbolRequest request = ReadRequest();
    const QString typed = Text1->text();
    const core::Result<printing::NextLabel> labels = jobs::FileLabels(
        Text5->text(), Text4->text(), Check1->isChecked(),
        [this, &request](const QString& code) {
            Text1->setText(code); // the window shows the label being placed
            services::Pump(pump_);
            return jobs::ListingBarcode(request, code);
        },
        pump_);
    if (labels.failed()) {
        messages_->MsgBox(labels.failure().text);
        return false;
    }
    printing::RunEvents events;
    events.placed = [this](qint64 n) { Progress->setText(QStringLiteral("Label %1").arg(n + 1)); };
    const printing::RunReport report = PrintRun(*labels, events);
    Progress->clear();
    Text1->setText(typed);
    return report.printed > 0;
}

core::Result<Form1::Pages> Form1::PreviewPages(PrintKind kind, double dpi)
{
    const std::unique_ptr<printing::PrintTarget> printer = printers_.Open(ChosenPrinter());
    printing::PreviewPrinter preview(*printer, dpi);
    const printing::RunPlacement where = PlacementNow();
    const symbols::SymbolRequest request = ReadRequest();
    const auto barcodeFor = [&request](const QString& code) { return jobs::ListingBarcode(request, code); };
    if (const core::Status refused = printing::CheckPrint(Text14->text(), Text15->text(), true); refused.failed())
        return refused.failure();

    Pages pages;
    const auto keep = [&pages](const printing::JobDone& done) {
        for (const QImage& page : done.pages)
            pages.images.push_back(page);
    };
    printing::NextLabel labels;
    if (kind == PrintKind::Print && !merge_.path.isEmpty()) {
        const core::Result<MergeRun> run = PrepareMerge(preview, where);
        Progress->clear();
        if (run.failed())
            return run.failure();
        const printing::NextLabel all = run->labels;
        // A merge of single labels shows its first jobs.
        labels = where.sheets ? all : [all, left = kMaxPreviewJobs]() mutable { return left-- > 0 ? all() : std::nullopt; };
    } else if (kind == PrintKind::Print && labelParts_) {
        const printing::SheetLabel label = jobs::OneLabel(LabelNow(), LabelName(), PrintNumber());
        labels = where.sheets ? printing::SameLabel(label, *where.sheets, CheckRepeat->isChecked())
                              : printing::NextLabel([label, once = true]() mutable {
                                    return std::exchange(once, false) ? std::optional(label) : std::nullopt;
                                });
    } else if (kind == PrintKind::Print) {
        if (lastGenerate_.failed())
            return lastGenerate_.failure();
        if (!Picture2.Picture())
            return core::Failure{core::kNoPicture, printing::kNothingToPrint};
        const printing::SheetLabel label{Text1->text(), {PrintedBarcode(), {}, {}}, {}};
        labels = where.sheets ? printing::SameLabel(label, *where.sheets, CheckRepeat->isChecked())
                              : printing::NextLabel([label, once = true]() mutable {
                                    return std::exchange(once, false) ? std::optional(label) : std::nullopt;
                                });
    } else if (kind == PrintKind::PrintFile && !where.sheets) {
        // A preview shows no boxes: the lines without their barcode show so.
        core::Result<printing::Listing> listing =
            printing::PrintListing({Text5->text(), Text4->text(), Check1->isChecked()}, preview, barcodeFor);
        if (listing.failed())
            return listing.failure();
        keep(listing->done);
    } else if (kind == PrintKind::PrintFile) {
        core::Result<printing::NextLabel> lines =
            jobs::FileLabels(Text5->text(), Text4->text(), Check1->isChecked(), barcodeFor);
        if (lines.failed())
            return lines.failure();
        labels = *lines;
    } else {
        printing::NextLabel range = labelParts_ ? jobs::RangeLabels(LabelNow(), LabelName(), Text21->text(), Text22->text())
                                                : jobs::RangeLabels(Text1->text(), Text21->text(), Text22->text(), barcodeFor);
        // A run of single labels shows its first jobs.
        labels = where.sheets ? range : [range, left = kMaxPreviewJobs]() mutable {
            return left-- > 0 ? range() : std::nullopt;
        };
    }
    if (labels) {
        const printing::RunReport report = printing::PrintLabelRun(preview, where, labels);
        if (report.status.failed())
            return report.status.failure();
        for (const printing::JobDone& done : report.jobs)
            keep(done);
    }
    if (const core::Result<printing::JobPage> page = preview.PageFor(where.sheets ? std::optional(where.sheets->layout.pageMm)
                                                                                   : std::nullopt);
        page.ok())
        pages.printableMm = QRectF(QPointF(page->marginsMm.left(), page->marginsMm.top()), page->printableMm);
    return pages;
}

void Form1::PrintPreview_Click()
{
    const auto render = [this](int kind) -> core::Result<PreviewDialog::Pages> {
        PreviewDialog::Pages pages;
        pages.dpi = 150;
        core::Result<Pages> drawn = PreviewPages(static_cast<PrintKind>(kind), pages.dpi);
        if (drawn.failed())
            return drawn.failure();
        pages.images = std::move(drawn->images);
        pages.printableMm = drawn->printableMm;
        pages.layout = ChosenLayout();
        const bool manyJobs = kind == static_cast<int>(PrintKind::RunIt) ||
                              (kind == static_cast<int>(PrintKind::Print) && !merge_.path.isEmpty());
        if (!pages.layout && manyJobs && static_cast<int>(pages.images.size()) == kMaxPreviewJobs)
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

// ------------------------------------------------------------- label files

void Form1::OpenLabelFile_Click()
{
    const QString start = labelFile_.isEmpty() ? QString() : QFileInfo(labelFile_).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open Label File"), start,
                                                      QStringLiteral("Label files (*.json);;All files (*)"));
    if (!path.isEmpty())
        UseLabelFile(path);
}

bool Form1::UseLabelFile(const QString& path)
{
    const core::Result<printing::LabelParts> parts = jobs::LoadLabelParts(path, QDate::currentDate(), true);
    if (parts.failed()) {
        messages_->MsgBox(parts.failure().text);
        return false;
    }
    labelFile_ = path;
    labelParts_ = *parts;
    store(QStringLiteral("labelfile"), path);
    ShowLabelFile();
    return true;
}

void Form1::NoLabelFile_Click()
{
    labelFile_.clear();
    labelParts_.reset();
    store(QStringLiteral("labelfile"), QString());
    ShowLabelFile();
}

void Form1::ShowLabelFile()
{
    NoLabelFile->setEnabled(labelParts_.has_value());
    LabelFileInUse->setVisible(labelParts_.has_value());
    LabelFileInUse->setText(labelParts_ ? QStringLiteral("Label: %1").arg(LabelName()) : QString());
    LabelFileInUse->setToolTip(labelParts_ ? QStringLiteral("Print, Print Preview, Run It and the sheet layouts print the "
                                                            "label of %1 instead of the barcode")
                                                 .arg(QDir::toNativeSeparators(labelFile_))
                                           : QString());
}

printing::LabelParts Form1::LabelNow() const
{
    printing::LabelParts parts = *labelParts_;
    parts.fill.today = QDate::currentDate(); // a window left open past midnight prints the new day
    return parts;
}

QString Form1::LabelName() const { return QFileInfo(labelFile_).fileName(); }

qint64 Form1::PrintNumber() const
{
    return printing::PlainWholeNumber(Text21->text().trimmed()).value_or(1);
}

printing::NextLabel Form1::RunItLabelFile()
{
    return [this, parts = LabelNow(), name = LabelName()]() -> std::optional<printing::SheetLabel> {
        // To is read afresh for every label, so the count may change on the way.
        const auto next = NextInRange(Text21->text(), Text22->text());
        if (const auto* end = std::get_if<std::optional<printing::SheetLabel>>(&next))
            return *end;
        return jobs::OneLabel(parts, name, std::get<printing::RangeBounds>(next).from);
    };
}

void Form1::PrintLabelFile()
{
    const printing::RunPlacement where = PlacementNow();
    const printing::SheetLabel label = jobs::OneLabel(LabelNow(), LabelName(), PrintNumber());
    if (where.sheets) {
        PrintRun(printing::SameLabel(label, *where.sheets, CheckRepeat->isChecked()));
        return;
    }
    PrintRun(printing::NextLabel([label, once = true]() mutable {
        return std::exchange(once, false) ? std::optional(label) : std::nullopt;
    }));
}

// ------------------------------------------------------------- merge data

namespace {

// Why a merge printed nothing: the records of `check` that can't be
// printed, the first kListedFindings by line and field, and where the
// window lists them all.
core::Failure MergeFindings(const jobs::MergeCheck& check, const jobs::MergeData& data)
{
    const QLocale english(QLocale::English);
    QStringList lines = check.Lines();
    lines.prepend(QStringLiteral("The labels of %1 of the %2 records of %3 can't be printed, and nothing was printed:")
                      .arg(english.toString(check.bad), english.toString(check.records), data.Name()));
    lines << QStringLiteral("Options > Label\u2026 lists them (Check All Records): double-click one to see its record.");
    core::Failure why{core::kNotDrawable, lines.join(QLatin1Char('\n'))};
    if (!check.findings.empty())
        why.where = check.findings.front().failure.where;
    return why;
}

} // namespace

core::Result<Form1::MergeRun> Form1::PrepareMerge(printing::PrintTarget& target, const printing::RunPlacement& where)
{
    if (!labelParts_)
        return core::Failure{core::kNotDrawable,
                             QStringLiteral("Merge data prints a label file's label, with the records' fields in its "
                                            "${field} placeholders: open one with File > Open Label File\u2026, or make "
                                            "one with Options > Label\u2026 and save it.")};
    const core::Result<printing::JobPage> page =
        target.PageFor(where.sheets ? std::optional(where.sheets->layout.pageMm) : std::nullopt);
    if (page.failed())
        return page.failure();
    // Read once, now: the run prints what the file holds at this moment.
    // During a print the window's events go on (Stop works); a preview,
    // which is no run, keeps the window as it is until its pages are made.
    const QLocale english(QLocale::English);
    const QString name = QFileInfo(merge_.path).fileName();
    const auto keepGoing = [this](const QString& progress) {
        if (!progress.isEmpty())
            Progress->setText(progress);
        if (Running())
            services::Pump(pump_);
        return !services::TerminationRequested();
    };
    Progress->setText(QStringLiteral("Reading %1\u2026").arg(name));
    core::Result<std::shared_ptr<const jobs::MergeData>> data =
        jobs::MergeData::Open(merge_.path, merge_.options, [&](qint64 read) {
            return keepGoing(QStringLiteral("Reading %1: %2 records\u2026").arg(name, english.toString(read)));
        });
    if (data.failed())
        return data.failure();
    MergeRun run;
    run.plan.label = labelParts_->label;
    run.plan.data = *data;
    run.plan.options.today = QDate::currentDate();
    run.plan.options.verify = labelParts_->verify;
    run.check = std::make_shared<jobs::MergeCheck>();
    const qint64 records = run.plan.data->Count();
    const auto checking = [english, records](qint64 checked) {
        return QStringLiteral("Checking label %1 of %2\u2026").arg(english.toString(checked + 1), english.toString(records));
    };
    if (jobs::CheckAsMade(where.sheets)) {
        // The progress counts the labels placed; once a record failed and
        // nothing more is placed, the records checked.
        core::Result<printing::NextLabel> made = jobs::CheckingMergeLabels(
            run.plan, page->gridDpi, run.check, false, [this, keepGoing, checking, check = run.check](qint64 checked) {
                return keepGoing(check->bad > 0 && Running() ? checking(checked) : QString());
            });
        if (made.failed())
            return made.failure();
        run.total = jobs::LabelsAsked(run.plan);
        run.labels = [made = *made, check = run.check, data = run.plan.data]() {
            std::optional<printing::SheetLabel> label = made();
            if (label && label->stop.failed() && label->stop.failure().code != core::kStopped && check->bad > 0)
                label->stop = MergeFindings(*check, *data);
            return label;
        };
        return run;
    }
    core::Result<jobs::MergeCheck> check =
        jobs::CheckMerge(run.plan, page->gridDpi, [&](qint64 checked) { return keepGoing(checking(checked)); });
    if (check.failed())
        return check.failure();
    if (check->bad > 0)
        return MergeFindings(*check, *run.plan.data);
    *run.check = std::move(*check);
    run.total = run.check->labels;
    run.labels = jobs::MergeLabels(run.plan, *run.check);
    return run;
}

void Form1::PrintMerge()
{
    if (PrintRefused(true))
        return;
    PrintingBusy busy(*this);
    const printing::RunPlacement where = PlacementNow();
    const std::unique_ptr<printing::PrintTarget> target = printers_.Open(ChosenPrinter());
    const core::Result<MergeRun> run = PrepareMerge(*target, where);
    const auto nothingPrinted = [this](const core::Failure& why) {
        Progress->clear();
        ShowJobStatus(why.code == core::kStopped ? QStringLiteral("Stopped: nothing was printed.")
                                                 : QStringLiteral("Nothing was printed: see the message."));
    };
    if (run.failed()) {
        nothingPrinted(run.failure());
        if (run.failure().code != core::kStopped)
            messages_->MsgBox(run.failure().text);
        return;
    }
    const qint64 total = run->total;
    qint64 done = 0;
    printing::RunEvents events;
    events.placed = [&](qint64 n) {
        Progress->setText(printing::MergeProgress(std::min(n + 1, total), total));
        services::Pump(pump_);
    };
    events.starting = [&](const printing::SheetLabel&) {
        Progress->setText(printing::MergeProgress(done + 1, total));
        services::Pump(pump_);
        return true;
    };
    events.finished = [&](const printing::SheetLabel&, const printing::JobDone*) { ++done; };
    if (total > 0) // a job sent whole lays its first label out as the run starts
        Progress->setText(printing::MergeProgress(1, total));
    const printing::RunReport report = PrintRun(run->labels, events);
    const QLocale english(QLocale::English);
    const qint64 printed = where.sheets ? report.printed : done;
    if (report.status.ok())
        Progress->setText(QStringLiteral("Printed %1 of %2 labels").arg(english.toString(printed), english.toString(total)));
    else if (report.status.failure().code == core::kStopped)
        Progress->setText(where.sheets ? QStringLiteral("Stopped: nothing was printed.")
                                       : QStringLiteral("Stopped after label %1 of %2").arg(english.toString(printed),
                                                                                             english.toString(total)));
    else if (run->check->bad > 0) // the job was dropped, and the message lists why
        nothingPrinted(report.status.failure());
    else
        Progress->clear();
}

void Form1::NewLayout_Click()
{
    LayoutDialog dialog(this, *messages_);
    if (dialog.exec() == QDialog::Accepted)
        FillLayoutList(dialog.Entered().name);
}

void Form1::Calibrate_Click()
{
    const QString printer = Combo1->currentText().isEmpty() ? currentPrinter_ : Combo1->currentText();
    if (printer == printing::kPdfPrinterName) {
        messages_->MsgBox(
            QStringLiteral("The built-in \"Print to PDF file\" printer prints where it is told; it needs no calibration."));
        return;
    }
    CalibrationDialog dialog(this, printer, printers_, *messages_);
    dialog.exec();
}

void Form1::OpenLabelEditor()
{
    // The label file in use, when there is one; else a label of the window's barcode.
    const symbols::SymbolRequest request = ReadRequest();
    LabelEditor editor(labelParts_ ? labelParts_->label->label : StarterLabel(request.symbology, request.text, request.withText),
                       labelParts_ ? labelFile_ : QString(), *messages_, this);
    if (!merge_.path.isEmpty()) {
        core::Result<std::shared_ptr<const jobs::MergeData>> data = jobs::MergeData::Open(merge_.path, merge_.options);
        if (data.ok())
            editor.SetRecords(*data);
        else
            messages_->MsgBox(data.failure().text);
    }
    editor.exec();
    // A label saved in the editor is the one that prints from now on, as
    // the editor last saved it.
    if (!editor.FilePath().isEmpty())
        UseLabelFile(editor.FilePath());
}

void Form1::PrinterSetup_Click()
{
    const QString printer = Combo1->currentText().isEmpty() ? currentPrinter_ : Combo1->currentText();
    if (printer == printing::kPdfPrinterName) {
        messages_->MsgBox(QStringLiteral("The built-in \"Print to PDF file\" printer writes PDF files; it is no label printer."));
        return;
    }
    PrinterSetupDialog dialog(this, printer, *messages_);
    dialog.exec();
}

} // namespace ui
