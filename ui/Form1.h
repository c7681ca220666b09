// The main window: every control through which the user configures a
// barcode, start-up with the stored options, and Generate, the one place
// that picks a symbology and calls its drawer.
#pragma once

#include "graphics/PictureBox.h"
#include "jobs/DataMerge.h"
#include "jobs/StoredOptions.h"
#include "printing/CupsQueue.h"
#include "printing/LabelRun.h"
#include "printing/Printers.h"
#include "printing/SheetPrint.h"
#include "services/Clock.h"
#include "services/EventPump.h"
#include "symbols/SymbologyTable.h"
#include "ui/DialogSink.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QTimer;

namespace symbols {
struct ScanResult;
}

namespace ui {
class PictureBoxWidget;
}

namespace ui {

// The status line's link that cancels the job followed: "cancel:ID".
inline const QString kCancelLink = QStringLiteral("cancel:");

class Form2;

// What the window is given: where its messages go, where the system's
// printers come from, and what the pauses and waits of a run use. Each
// left empty is the window's own: message boxes, Qt's printers, the
// steady clock, Qt's events; a test gives its own.
struct WindowContext {
    services::MessageSink* messages = nullptr;
    const printing::PrinterCatalog* printers = nullptr;
    services::Clock* clock = nullptr;
    services::EventPump pump;
    // Hears of every job that went out (a test keeps the files written).
    std::function<void(const printing::JobDone&)> jobDone;
    // The symbologies the window offers and draws; empty: the built-in
    // table. A test's table must outlive the window.
    symbols::SymbologyTable symbologies;
};

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(WindowContext context = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: restores the stored options and fills the printer list.
    void Form_Load();

    // A drawing surface by its name ("Picture1", "Picture2", "Picture5",
    // "Picture9", "Picture10", "Picture11"), as the window shows it.
    const graphics::PictureBox& Box(std::string_view name) const;
    // The file chooser while it is open; none when it is closed.
    Form2* OpenChooser() const;
    // What the EAN box's tag carries: the full code with its check digit
    // while EAN is chosen, else nothing.
    const QString& Picture10Tag() const { return picture10Tag_; }

    // --- handlers and operations: the window's surface for the program
    // (start-up, the menus) and its tests ---
    void reSizeimage();
    void Command1_Click(); // Generate
    void Combo1_Validate();
    void Settings_Click();
    // The built-in printer draws for a printer of `dpi` from now on, and
    // at the next start.
    void SetPdfResolution(int dpi);
    void Form_Resize();
    void Exit_Click();

    // Output actions
    void Command2_Click(); // Print
    bool Command4_Click(); // Print File; true when every line printed as asked
    void Command8_Click(); // Run It

    // What a preview shows: the pages of the next Print, Print File or Run It.
    enum class PrintKind { Print, PrintFile, RunIt };
    struct Pages {
        std::vector<QImage> images;
        QRectF printableMm; // of the last page, from the sheet's corner
    };
    // The pages `kind` would print on the chosen printer and layout, drawn
    // at `dpi`; why none, when it would print nothing. A run of one label
    // per job shows its first kMaxPreviewJobs.
    core::Result<Pages> PreviewPages(PrintKind kind, double dpi);
    static constexpr int kMaxPreviewJobs = 50;

    void Command9_Click(); // Copy to clipboard
    void FileOpen_Click();

    // Label files: "Open Label File..." asks for one; UseLabelFile makes
    // Print, Print Preview, Run It and the sheet layouts print its label
    // instead of the one barcode, stores the choice and says in the status
    // line which file is in use (false, with the message shown, for a file
    // that can't be used: the choice stays as it was). "No label file"
    // returns to the one barcode.
    void OpenLabelFile_Click();
    bool UseLabelFile(const QString& path);
    void NoLabelFile_Click();
    // The label file in use; empty: none.
    const QString& LabelFile() const { return labelFile_; }
    bool SaveBarcode(const graphics::Drawing& drawing, const QString& path);

    // Merge data: "Merge Data…" picks a data file; Print, Print Preview and
    // the sheet layouts then print the label once for every record of it.
    // UseMergeData takes a file as it reads with the options, stores the
    // choice and says in the status line which file is in use (false, with
    // the message shown, for a file that can't be read: the choice stays as
    // it was). "No merge data" prints one label again.
    void MergeData_Click();
    bool UseMergeData(const jobs::MergeChoice& choice);
    void NoMergeData_Click();
    // The merge in use; its path is empty when there is none.
    const jobs::MergeChoice& Merge() const { return merge_; }

    // A batch or range run is printing (its handler is on the stack).
    bool Running() const { return runs_ > 0; }
    void CancelJob_Click(int jobId);
    // The jobs being followed.
    const std::vector<printing::CupsJob>& FollowedJobs() const { return jobs_; }

    // The option buttons of "Bar Code Type", one per symbology row that
    // has one, in the table's order, with the symbology each selects.
    struct OptionRow {
        QRadioButton* button;
        symbols::Symbology symbology;
    };
    const std::vector<OptionRow>& OptionRows() const { return optionRows_; }
    // The row of the selected option; "Code 39" when none is selected.
    const symbols::SymbologyRow& SelectedRow() const;

    // The controls read once into what Generate draws.
    symbols::SymbolRequest ReadRequest() const;
    // Why the last Generate drew no barcode, when it drew none.
    const core::Status& LastGenerate() const { return lastGenerate_; }

    // Fills Combo1 with the installed printers' names; an empty choice
    // prints on the system's default printer again.
    void FillPrinterList();

    // The barcode that Print and the clipboard take: Picture2's picture, or
    // for EAN the current drawing of its surface.
    const graphics::Drawing& BarcodeToPrint() const;
    // The same, at the print size the window asks.
    graphics::Drawing PrintedBarcode() const;
    // The print size the window's fields ask; as drawn while they hold no size.
    graphics::PrintSize ReadPrintSize() const;
    std::optional<QImage> PictureToCopy() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the window was given (see WindowContext), with its own in place
    // of what it was not given. `messages_` is the boxes, or during a run
    // that was stopped a sink that sends what it says to stderr.
    DialogSink boxes_;
    services::MessageSink* messages_;
    services::Clock& clock_;
    services::EventPump pump_;
    std::function<void(const printing::JobDone&)> jobDone_;
    symbols::SymbologyTable symbologies_;
    // The printers, with each one's calibration and the built-in printer's
    // grid as stored.
    printing::Printers printers_;
    // The printer an empty choice prints on: the system's default at start,
    // then the printer last chosen by name.
    QString currentPrinter_;

    // Drawing surfaces
    graphics::PictureBox Picture1;  // Code 39 and Code 128 B
    graphics::PictureBox Picture2;  // hidden result holder: the last barcode
    graphics::PictureBox Picture5;  // Code 128-1 and Code 2/5
    graphics::PictureBox Picture9;  // UPC
    graphics::PictureBox Picture10; // EAN; its tag (below) carries the text
    QString picture10Tag_;
    graphics::PictureBox Picture11; // the symbologies of "More…"

    // The file chooser while it is open (it deletes itself when closed).
    QPointer<Form2> Chooser;

    // --- handlers and operations only the window itself calls ---
    void StartupOptions(const jobs::StoredOptions& stored);
    void OptionClick();
    void Text1_Change();
    void Text3_Change();
    void Text4_Change();
    void Text5_Change();
    void Text8_Change();
    void Text9_Change();
    void Text14_Change();
    void Text15_Change();
    void Check1_Click();
    void Check2_Click();
    void PdfResolution_Click();
    // Draws again after an option that changes the drawing changed.
    void Redraw();
    // Makes the controls' area below the menu bar `px` high.
    void SetCentralHeight(int px);
    void Help2_Click();
    void About_Click();
    // Shows the user's guide (the README's user part, built into the
    // program) in a window of its own beside the main window.
    void ShowManual();
    void Form_Unload(); // closing the main window closes every other window
    // The printer jobs go to now: the one typed in Combo1 when it is one
    // (it becomes the current printer), else the current one.
    QString ChosenPrinter();
    // Says in the status line where a job went, follows a CUPS job, and
    // tells whoever hears of jobs.
    void JobWent(const printing::JobDone& done, const QString& printer);
    // Prints the labels of a run, as Run It and Print on sheets do, on the
    // printer chosen: the labels of their own jobs at the offsets, or all
    // of them on the chosen layout's sheets. Says where the jobs went, and
    // why the run stopped before its end.
    printing::RunReport PrintRun(const printing::NextLabel& labels, const printing::RunEvents& events = {});
    // The labels of Run It: From and To read afresh for every label, the
    // text of Text1 as their prefix.
    printing::NextLabel RunItLabels(const QString& prefix, const symbols::SymbolRequest& request);
    void Command3_Click(); // Open File
    // Label layouts. The sheet layout chosen; none for one label per job.
    std::optional<printing::SheetLayout> ChosenLayout() const;
    void FillLayoutList(const QString& select);
    void Layout_Change();
    // The start position's row and column, in its tip.
    void ShowStartPlace();
    void NewLayout_Click();
    void Calibrate_Click();
    // Opens the label editor on a label of the window's barcode.
    void OpenLabelEditor();
    void PrinterSetup_Click();
    void PrintPreview_Click();
    // Where the labels of a run go: the chosen layout with the start and
    // the offsets as typed, or one label per job at the offsets.
    printing::RunPlacement PlacementNow() const;
    // Print File on sheets: every code line's label in one job.
    bool PrintFileOnSheets();
    // The label file's label as it prints now (today's date), and how
    // messages name it.
    printing::LabelParts LabelNow() const;
    QString LabelName() const;
    // ${n} of Print's one label: From when it is a whole number, else 1.
    qint64 PrintNumber() const;
    // The labels of Run It with a label file: From and To read afresh for
    // every label, the number in ${n}.
    printing::NextLabel RunItLabelFile();
    // Print with a label file: its one label in a job of its own, or on
    // the layout's sheet.
    void PrintLabelFile();
    // Says in the status line which label file is in use, or none.
    void ShowLabelFile();
    void ShowMerge();
    // A merge about to print on `target` at `where`: its data read afresh,
    // once, and its labels, checked for the printer's dots. A job sent
    // whole at its end is checked as its labels are made, each laid out
    // once, and a bad record ends it with the records that can't be
    // printed as its stop, so that nothing prints; labels sent one by one
    // are all checked here first. Why nothing prints: no label file, data
    // that can't be read, or the records that can't be printed, every one
    // listed (the first 50).
    struct MergeRun {
        jobs::MergePlan plan;
        std::shared_ptr<jobs::MergeCheck> check; // a job sent whole: filled as its labels are made
        printing::NextLabel labels;
        qint64 total = 0; // the labels the records ask for
    };
    core::Result<MergeRun> PrepareMerge(printing::PrintTarget& target, const printing::RunPlacement& where);
    // Print with merge data: a label for every record, on the layout's
    // sheets or each in a job of its own; the progress counts the labels.
    void PrintMerge();
    // The offsets' and the picture's checks before a print, with the
    // message shown; true when they stop it.
    bool PrintRefused(bool hasPicture);
    // The layout chosen is one no longer there (a stored name whose saved
    // layout went): says so, as every form of printing does, and is true.
    bool RefuseMissingLayout();
    // Saves the barcode shown as PNG, SVG or PDF, the file named in a dialog.
    void SaveAs_Click();
    void Stop_Click(); // ends the run in progress as a signal would
    void RunStarted();
    void RunEnded();
    // Says in the status line where a job went; a PDF gets links to open it
    // and its folder. An empty text clears the line.
    void ShowJobStatus(const QString& text, const QString& pdfPath = QString());
    // Combo1 says, greyed, which printer an empty choice prints on, and
    // the line under it the page that printer's jobs get.
    void ShowCurrentPrinter();
    // Follows a job CUPS took until it ends: the status line says where it
    // stands ("Printing on NAME (job 12)…", "Printed on NAME (job 12)", or
    // what stopped it), with a "Cancel job" link while it waits.
    void FollowJob(const printing::CupsJob& job);
    void PollJobs();
    // The picture box a symbology draws on.
    graphics::PictureBox& SurfaceOf(symbols::SurfaceId id);
    const graphics::PictureBox& SurfaceOf(symbols::SurfaceId id) const;
    // When the last Generate failed, says that there is no barcode to
    // `action` ("print", "copy") and why, and returns true.
    bool RefuseFailedSymbol(const QString& action);
    // Sizes the scrolled area to the surfaces it shows, and widens the
    // window (up to the screen) for a symbol wider than it.
    void FitDrawingArea(bool growWindow = false);
    // The widget that shows a surface, when it has one.
    PictureBoxWidget* WidgetOf(const graphics::PictureBox& box) const;

    // --- controls, named as the user documentation names them; each
    // carries its name as its object name, which is how tests and
    // accessibility tools find it ---
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr; // barcode text; every change regenerates
    QFrame* Frame9 = nullptr;   // holds the drawing surfaces
    QScrollArea* DrawingArea = nullptr; // scrolls the surfaces inside Frame9
    QFrame* Frame8 = nullptr;   // holds the buttons
    QPushButton* Command1 = nullptr; // "Bar Code"
    QPushButton* Command2 = nullptr; // "Print"
    QPushButton* Command3 = nullptr; // "Open File"
    QPushButton* Command4 = nullptr; // "Print File"
    QPushButton* Command9 = nullptr; // "Copy Bar Code to Clipboard"
    QGroupBox* FrameOptions = nullptr;
    QGroupBox* FrameType = nullptr;        // "Bar Code Type"
    QGroupBox* FrameTextOptions = nullptr; // "Bar Code Text Options"
    QGroupBox* FramePrinter = nullptr;     // "Printer Selection"
    QGroupBox* FrameLinePattern = nullptr; // "Line Pattern"
    QGroupBox* FrameFilePath = nullptr;    // "File Path"
    QGroupBox* FrameSize = nullptr;        // "BarCode Size"
    QGroupBox* FrameIncrement = nullptr;   // "Increament Barcode"
    QGroupBox* FrameOffset = nullptr;      // "Barcode OffSet"
    QRadioButton* Option1 = nullptr; // "Code 128 B"
    QRadioButton* Option2 = nullptr; // "Code 39"
    QRadioButton* Option4 = nullptr; // "Code 128-1"
    QRadioButton* Option5 = nullptr; // "Code 2/5"
    QRadioButton* Option8 = nullptr; // "UPC"
    QRadioButton* Option9 = nullptr; // "EAN"
    // "More…": the symbologies beyond the option buttons; its first item
    // picks none (an option button is selected).
    QComboBox* ComboMore = nullptr;
    // The one option of the symbology picked in "More…", when it has one.
    QLabel* LabelOwnOption = nullptr;
    QComboBox* ComboEcc = nullptr;       // QR Code: "Error correction:" L, M, Q, H
    QSpinBox* SpinColumns = nullptr;     // PDF417: "Columns:" auto, 1 to 30
    QCheckBox* CheckRectangular = nullptr; // Data Matrix: "Rectangular"
    QCheckBox* Check1 = nullptr; // "Include Text in Barcode" (batch line pattern)
    QCheckBox* Check2 = nullptr; // "Include Text in Bar Code" (human-readable text)
    QComboBox* Combo1 = nullptr; // printer name
    QLabel* PrinterPage = nullptr; // the page the printer's jobs get, under its name
    QLineEdit* Text3 = nullptr;  // font size
    QLineEdit* Text4 = nullptr;  // batch line pattern
    QLineEdit* Text5 = nullptr;  // batch file path
    QLineEdit* Text8 = nullptr;  // height factor
    QLineEdit* Text9 = nullptr;  // stretch width
    QLineEdit* Text14 = nullptr; // left print offset, cm
    QLineEdit* Text15 = nullptr; // top print offset, cm
    QLineEdit* Text21 = nullptr; // range From
    QLineEdit* Text22 = nullptr; // range To
    QPushButton* Command5 = nullptr; // "Browse"
    QPushButton* Command8 = nullptr; // "Run It"
    QPlainTextEdit* Text2 = nullptr; // holds the help text; never shown
    QLabel* LabelFontSize = nullptr;
    QLabel* LabelHeight = nullptr;
    QLabel* LabelWidth = nullptr;
    QLabel* LabelLeft = nullptr;
    QLabel* LabelTop = nullptr;
    QLabel* Label8 = nullptr; // "From:"
    QLabel* LabelTo = nullptr; // "To:"

    // The size a barcode prints at, whatever the printer's dots: as drawn,
    // a module width (mm or mils) or a width the barcode is fitted to; what
    // the chosen printer makes of it; and how many times each label prints.
    QGroupBox* FramePrintSize = nullptr;
    QComboBox* ComboSizeKind = nullptr; // "As drawn", "Module", "Fit to width"
    QLineEdit* TextPrintSize = nullptr;
    QComboBox* ComboSizeUnit = nullptr; // "mm", "mils" (a module only)
    QLabel* LabelPrintDots = nullptr;   // "= 2 dots, 0.25 mm at 203 dpi; least 0.125 mm"
    QLabel* LabelCopies = nullptr;      // "Copies:"
    QSpinBox* SpinCopies = nullptr;

    // The label layout printing uses: "One label per job" or a sheet of
    // labels, the sheet's first free label, whether Print fills the sheet,
    // and the preview of what the next print puts on paper.
    QLabel* LabelLayout = nullptr;      // "Layout:"
    QComboBox* ComboLayout = nullptr;
    QLabel* LabelStart = nullptr;       // "Start at:"
    QSpinBox* SpinStart = nullptr;
    QCheckBox* CheckRepeat = nullptr;   // "Fill sheet"
    QPushButton* CommandPreview = nullptr; // "Print Preview"

    // The status line under the controls: where the last job went (with
    // links that open the PDF or its folder), and while a batch or range
    // run prints, its progress and a Stop button.
    QLabel* ScanStatus = nullptr; // "scans" or "does not scan", under the drawing
    QLabel* JobStatus = nullptr;
    QLabel* JobLinks = nullptr;
    QLabel* LabelFileInUse = nullptr; // "Label: NAME" while a label file prints instead of the barcode
    QLabel* MergeInUse = nullptr;     // "Data: NAME" while a label prints for every record of a data file
    QLabel* Progress = nullptr;
    QPushButton* StopButton = nullptr;

    // Menus
    QMenu* FileMenu = nullptr;
    QMenu* Editf = nullptr;
    QMenu* Options2 = nullptr;
    QMenu* Help = nullptr;
    QAction* FileOpen = nullptr;
    QAction* SaveAs = nullptr; // "Save Bar Code As..."
    QAction* Help1 = nullptr;
    QAction* Exit = nullptr;
    QAction* BarCodeTemp = nullptr;
    QAction* PrintTemp = nullptr;
    QAction* OpenFileTemp = nullptr;
    QAction* PrintFileTemp = nullptr;
    QAction* BarCodetoClipboard = nullptr;
    QAction* Settings = nullptr;
    QAction* PdfResolution = nullptr; // "PDF Resolution...": the grid of the built-in printer
    QAction* PrintPreview = nullptr;  // "Print Preview..."
    QAction* OpenLabelFile = nullptr; // "Open Label File...": a label file prints instead of the barcode
    QAction* NoLabelFile = nullptr;   // "No label file": the one barcode prints again
    QAction* MergeData = nullptr;     // "Merge Data…": a label for every record of a data file
    QAction* NoMergeData = nullptr;   // "No merge data": one label prints again
    QAction* NewLayout = nullptr;     // "New Label Layout...": a sheet entered by hand
    QAction* Calibrate = nullptr;     // "Printer Calibration...": the chosen printer's shift and scale
    QAction* EditLabel = nullptr;     // "Label…": the label editor
    QAction* PrinterSetup = nullptr;  // "Printer Setup...": a label printer's language, darkness, speed, label size
    QAction* Help2 = nullptr;
    QAction* Manual = nullptr; // Help > Manual: the user's guide
    QAction* About = nullptr;

    // Sets every control's object name to its documented name.
    void nameControls();
    // Disables the print controls while a run prints (see OutputActions).
    class PrintingBusy;

    void buildControls();
    void buildMenus();
    void MakeUnreachable(QWidget* top);
    void connectHandlers();
    // Makes the field take only text that matches `pattern`, with `why` as
    // its tip and shown when a key is refused.
    void acceptOnly(QLineEdit* field, const QString& pattern, const QString& why);
    void store(const QString& key, const QString& value);
    void setOption(QRadioButton* button, bool on);
    void buildMoreBox();
    // The printed size's frame, its top at `top` twips in the options frame.
    void buildPrintSizeRow(double top);
    void PrintSize_Change();
    void ShowStoredPrintSize(const jobs::StoredOptions& stored);
    // Says what the chosen printer makes of the size asked.
    void ShowPrintDots();
    // Greys Width for the symbologies it means nothing to.
    void ShowWidthField();
    std::optional<double> printerDpi_; // the chosen printer's dots per inch, when it says
    void fitDrawingHeight(int drawnHeight);
    void elidePrinterPage();
    QString pageText_; // what PrinterPage says in full
    int extraHeight_ = 0; // pixels the drawing frame has grown by for a tall symbol
    int widenedBy_ = 0;   // pixels the window has widened by for a long symbol
    static constexpr int kMaxExtraHeight = 2000;
    // Picks a symbology of "More…" (none: an option button is selected).
    void MoreClick();
    void ShowOwnOption();
    void setOwnOptions(const symbols::LibraryOptions& options);

    std::vector<PictureBoxWidget*> surfaceWidgets_; // owned by their Qt parents
    std::vector<OptionRow> optionRows_;
    core::Status lastGenerate_;
    int scanGeneration_ = 0; // counts Generates; a scan check answers only for the latest
    void CheckScan(const symbols::SymbolRequest& request);
    void ShowScan(const symbols::ScanResult& scan);
    void buildStatusLine();
    void elideJobStatus();

    bool settingsErrorShown_ = false;
    int runs_ = 0;
    bool exiting_ = false; // closed during a run: everything still running stops
    QString jobText_; // the status line's whole text; the label shows it elided
    std::vector<printing::CupsJob> jobs_; // jobs followed until they end, oldest first
    QTimer* jobTimer_ = nullptr;          // asks CUPS about them while there are any
    QString pageShownFor_;                // the printer text the page line was last shown for
    void showJobLinks(const QString& html);
    bool loading_ = false; // StartupOptions is restoring the stored options
    bool started_ = false; // Form_Load is done: option changes redraw
    bool quietFailures_ = false; // a redraw for an option shows its failure under the drawing only
    // The label file in use and its label, loaded once; none: the one barcode prints.
    QString labelFile_;
    std::optional<printing::LabelParts> labelParts_;
    // The merge in use (no path: none) and the fields its file had when it was chosen.
    jobs::MergeChoice merge_;
    QStringList mergeFields_;
};

} // namespace ui
