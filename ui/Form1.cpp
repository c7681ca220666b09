#include "ui/Form1.h"

#include "core/Numeric.h"
#include "files/Export.h"
#include "jobs/LabelJobs.h"
#include "jobs/StoredLayouts.h"
#include "jobs/StoredOptions.h"
#include "printing/Printers.h"
#include "services/Messages.h"
#include "services/Settings.h"
#include "services/Termination.h"
#include "symbols/Code39.h"
#include "symbols/PatternGenerate.h"
#include "symbols/ScanCheck.h"
#include "symbols/SymbolFile.h"
#include "ui/FileChooser.h"
#include "ui/Layout.h"
#include "ui/MergeDialog.h"
#include "ui/PictureBoxWidget.h"
#include "ui/WindowLayout.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QThreadPool>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <limits>

namespace ui {

using graphics::PictureBox;

namespace {

// Option buttons exclude each other by our own rule, so that no option at
// all can be selected (a stored state the window must show).
QRadioButton* MakeOption(QWidget* parent, const QString& text, double l, double t, double w, double h)
{
    auto* o = Make<QRadioButton>(parent, text, l, t, w, h);
    o->setAutoExclusive(false);
    return o;
}

// A combo box that shows its current text cut short with "…" when the box
// is narrower than the text, as a label does, rather than clipped.
class ElidingComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width());
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

} // namespace

Form1::Form1(WindowContext context, QWidget* parent)
    : QMainWindow(parent),
      messages_(context.messages ? context.messages : &boxes_),
      clock_(context.clock ? *context.clock : services::SteadyClock()),
      pump_(context.pump ? std::move(context.pump) : services::EventPump(services::DoEvents)),
      jobDone_(std::move(context.jobDone)),
      symbologies_(context.symbologies.empty() ? symbols::Symbologies() : context.symbologies),
      Picture1(240, 120, 6615, 855),
      Picture2(6960, 6360, 6930, 900),
      Picture5(240, 120, 6615, 1095),
      Picture9(240, 0, 5055, 1095),
      Picture10(720, 840, 3600, 1095),
      Picture11(240, 120, 6615, 1095)
{
    if (context.printers)
        printers_.catalog = context.printers;
    printers_.calibration = jobs::StoredCalibration;
    printers_.labelSetup = jobs::StoredLabelSetup;
    currentPrinter_ = printers_.Default();
    setWindowTitle(QStringLiteral("Quorvane - ") + core::kWebAddress);
    Picture2.SetVisible(false);
    Picture5.SetVisible(false);
    Picture10.SetVisible(false);
    Picture11.SetVisible(false);
    buildControls();
    // Stored values come back whole: a text box's default limit of 32767
    // characters would cut a longer one at start-up, and the cut text would
    // be stored back.
    for (QLineEdit* box : {Text3, Text4, Text5, Text8, Text9, Text14, Text15, Combo1->lineEdit()})
        box->setMaxLength(std::numeric_limits<int>::max());
    buildMenus();
    buildStatusLine();
    connectHandlers();
    FitCaptions(centralWidget(), {});
    MakeUnreachable(centralWidget());
    OrderTabsByPlace(centralWidget());
    // The status line's links come after every control (reordering the
    // spin boxes had drawn them in among the option buttons).
    QWidget::setTabOrder(CommandPreview, JobLinks);
    // The design size is the controls' area; the menu bar and the status
    // line come on top of it.
    resize(TwipsToPx(kClientWidthTwips), height());
    SetCentralHeight(TwipsToPx(kClientHeightTwips));
    nameControls();
}

void Form1::nameControls()
{
    const std::pair<QObject*, const char*> controls[] = {
        {Label1, "Label1"}, {Text1, "Text1"}, {Frame9, "Frame9"}, {DrawingArea, "DrawingArea"}, {Frame8, "Frame8"},
        {Command1, "Command1"}, {Command2, "Command2"}, {Command3, "Command3"}, {Command4, "Command4"},
        {Command9, "Command9"}, {FrameOptions, "FrameOptions"}, {FrameType, "FrameType"},
        {FrameTextOptions, "FrameTextOptions"}, {FramePrinter, "FramePrinter"},
        {FrameLinePattern, "FrameLinePattern"}, {FrameFilePath, "FrameFilePath"}, {FrameSize, "FrameSize"},
        {FrameIncrement, "FrameIncrement"}, {FrameOffset, "FrameOffset"}, {ComboMore, "ComboMore"},
        {LabelOwnOption, "LabelOwnOption"}, {ComboEcc, "ComboEcc"}, {SpinColumns, "SpinColumns"},
        {CheckRectangular, "CheckRectangular"}, {Check1, "Check1"}, {Check2, "Check2"}, {Combo1, "Combo1"},
        {PrinterPage, "PrinterPage"}, {Text3, "Text3"}, {Text4, "Text4"}, {Text5, "Text5"}, {Text8, "Text8"},
        {Text9, "Text9"}, {Text14, "Text14"}, {Text15, "Text15"}, {Text21, "Text21"}, {Text22, "Text22"},
        {Command5, "Command5"}, {Command8, "Command8"}, {Text2, "Text2"}, {LabelFontSize, "LabelFontSize"},
        {LabelHeight, "LabelHeight"}, {LabelWidth, "LabelWidth"}, {LabelLeft, "LabelLeft"}, {LabelTop, "LabelTop"},
        {Label8, "Label8"}, {LabelTo, "LabelTo"}, {LabelLayout, "LabelLayout"}, {ComboLayout, "ComboLayout"},
        {LabelStart, "LabelStart"}, {SpinStart, "SpinStart"}, {CheckRepeat, "CheckRepeat"},
        {CommandPreview, "CommandPreview"}, {ScanStatus, "ScanStatus"}, {JobStatus, "JobStatus"},
        {JobLinks, "JobLinks"}, {Progress, "Progress"}, {StopButton, "StopButton"}, {FileMenu, "FileMenu"},
        {Editf, "Editf"}, {Help, "Help"}, {FileOpen, "FileOpen"}, {SaveAs, "SaveAs"}, {Help1, "Help1"},
        {Exit, "Exit"}, {BarCodeTemp, "BarCodeTemp"}, {PrintTemp, "PrintTemp"}, {OpenFileTemp, "OpenFileTemp"},
        {PrintFileTemp, "PrintFileTemp"}, {BarCodetoClipboard, "BarCodetoClipboard"}, {Settings, "Settings"},
        {PdfResolution, "PdfResolution"}, {PrintPreview, "PrintPreview"}, {NewLayout, "NewLayout"},
        {Calibrate, "Calibrate"}, {PrinterSetup, "PrinterSetup"}, {Help2, "Help2"}, {Manual, "Manual"}, {About, "About"},
        {OpenLabelFile, "OpenLabelFile"}, {NoLabelFile, "NoLabelFile"}, {LabelFileInUse, "LabelFileInUse"},
        {MergeData, "MergeData"}, {NoMergeData, "NoMergeData"}, {MergeInUse, "MergeInUse"}
    };
    for (const auto& [control, name] : controls)
        control->setObjectName(QLatin1String(name));
}

Form1::~Form1()
{
    for (PictureBox* box : {&Picture1, &Picture2, &Picture5, &Picture9, &Picture10, &Picture11})
        box->OnChanged = nullptr;
}

void Form1::buildControls()
{
    // The geometry below was laid out for an 8-point face; the platform's
    // larger default would clip the captions.
    QFont designFont = font();
    designFont.setPointSizeF(8);
    setFont(designFont);

    auto* client = new QWidget(this);
    client->setFixedSize(TwipsToPx(kClientWidthTwips), TwipsToPx(kClientHeightTwips));
    client->setMinimumSize(0, 0);
    client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setCentralWidget(client);

    Label1 = Make<QLabel>(client, QStringLiteral("Enter Bar Code Text here:"), 120, 120, 6975, 255);
    Text1 = Make<QLineEdit>(client, QStringLiteral("Enter Bar Code Text here"), 120, 360, 7215, 285);

    Frame9 = new QFrame(client);
    Place(Frame9, 120, 840, 7095, kFrame9HeightTwips);
    // A symbol wider (or taller) than the frame is not cut off: the
    // surfaces sit in an area that scrolls.
    DrawingArea = new QScrollArea(Frame9);
    DrawingArea->setFrameShape(QFrame::NoFrame);
    DrawingArea->setWidget(new QWidget);
    auto* frameLayout = new QVBoxLayout(Frame9);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(DrawingArea);
    QWidget* drawings = DrawingArea->widget();

    auto surface = [this](PictureBox& box, QWidget* parent) {
        auto* w = new PictureBoxWidget(box, parent);
        surfaceWidgets_.push_back(w);
        return w;
    };
    surface(Picture9, drawings);
    surface(Picture5, drawings);
    surface(Picture1, drawings);
    surface(Picture11, drawings);
    surface(Picture10, client);

    // Whether the symbol shown reads back as its text: below the drawing.
    ScanStatus = new QLabel(client);
    Place(ScanStatus, 360, 1935, 6855, 180);
    QFont small = ScanStatus->font();
    small.setPointSizeF(7);
    ScanStatus->setFont(small);

    Frame8 = new QFrame(client);
    Place(Frame8, 120, 2040, 7095, 495);
    Command1 = Make<QPushButton>(Frame8, QStringLiteral("Bar Code"), 0, 120, 1095, 255);
    Command2 = Make<QPushButton>(Frame8, QStringLiteral("Print"), 1200, 120, 1095, 255);
    Command3 = Make<QPushButton>(Frame8, QStringLiteral("Open File"), 2400, 120, 1095, 255);
    Command4 = Make<QPushButton>(Frame8, QStringLiteral("Print File"), 3600, 120, 1095, 255);
    Command9 = Make<QPushButton>(Frame8, QStringLiteral("Copy Bar Code to Clipboard"), 4800, 120, 2295, 255);

    FrameOptions = Make<QGroupBox>(client, QStringLiteral("Options"), 120, 2640, 7215, 3735 + kRowsAddedTwips);
    // The type frame and its neighbours are taller than designed, so the
    // More box has a line of its own under the option buttons; the printed
    // size has a frame of its own. What lies below them moves down.
    constexpr double down = kTypeRowHeight - 975;
    constexpr double belowSize = down + kPrintSizeRowTwips;

    FrameType = Make<QGroupBox>(FrameOptions, QStringLiteral("Bar Code Type"), 120, 240, 2535, kTypeRowHeight);
    for (const symbols::SymbologyRow& row : symbologies_) {
        const symbols::OptionButton& b = row.option;
        if (!b.control)
            continue;
        QRadioButton* o = MakeOption(FrameType, QString::fromUtf8(row.caption), b.left, b.top, b.width, b.height);
        o->setObjectName(QLatin1String(b.control));
        o->setChecked(*jobs::StoredBool(QLatin1String(b.defaultValue)));
        optionRows_.push_back({o, row.symbology});
    }
    // The window's named controls, as the rest of the window and its tests know them.
    auto named = [this](const char* name) { return FrameType->findChild<QRadioButton*>(QLatin1String(name)); };
    Option1 = named("Option1");
    Option2 = named("Option2");
    Option4 = named("Option4");
    Option5 = named("Option5");
    Option8 = named("Option8");
    Option9 = named("Option9");

    FrameTextOptions = Make<QGroupBox>(FrameOptions, QStringLiteral("Bar Code Text Options"), 2760, 240, 2295, kTypeRowHeight);
    Check2 = Make<QCheckBox>(FrameTextOptions, QStringLiteral("Include Text in Bar Code"), 120, 360, 2055, 255);
    buildMoreBox();

    FramePrinter = Make<QGroupBox>(FrameOptions, QStringLiteral("Printer Selection"), 5160, 240, 1935, kTypeRowHeight);
    Combo1 = new QComboBox(FramePrinter);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Place(Combo1, 120, 360, 1695, 315);
    // The page the chosen printer's jobs get ("4 × 5 in label, 203 dpi").
    PrinterPage = new QLabel(FramePrinter);
    Place(PrinterPage, 120, 700, 1695, 240);
    QFont pageFont = PrinterPage->font();
    pageFont.setPointSizeF(pageFont.pointSizeF() * 0.85);
    PrinterPage->setFont(pageFont);

    FrameLinePattern = Make<QGroupBox>(FrameOptions, QStringLiteral("Line Pattern"), 120, 1320 + down, 6975, 615);
    Text4 = Make<QLineEdit>(FrameLinePattern, QString(), 120, 240, 4455, 285);
    Check1 = Make<QCheckBox>(FrameLinePattern, QStringLiteral("Include Text in Barcode"), 4800, 240, 2055, 255);

    // The file path gives up width so that the size frame holds its Width.
    FrameFilePath = Make<QGroupBox>(FrameOptions, QStringLiteral("File Path"), 120, 2040 + down, 3615, 615);
    Text5 = Make<QLineEdit>(FrameFilePath, QString(), 120, 240, 2295, 285);
    Command5 = Make<QPushButton>(FrameFilePath, QStringLiteral("Browse"), 2520, 240, 975, 255);

    FrameSize = Make<QGroupBox>(FrameOptions, QStringLiteral("BarCode Size"), 3840, 2040 + down, 3255, 615);
    LabelFontSize = Make<QLabel>(FrameSize, QStringLiteral("Font Size:"), 120, 240, 780, 255);
    Text8 = Make<QLineEdit>(FrameSize, QStringLiteral("1.4"), 900, 240, 375, 285);
    LabelHeight = Make<QLabel>(FrameSize, QStringLiteral("Height:"), 1350, 240, 540, 255);
    Text3 = Make<QLineEdit>(FrameSize, QStringLiteral("8"), 1890, 240, 375, 285);
    LabelWidth = Make<QLabel>(FrameSize, QStringLiteral("Width:"), 2340, 240, 480, 255);
    Text9 = Make<QLineEdit>(FrameSize, QStringLiteral("800"), 2820, 240, 375, 285);
    Text9->setToolTip(QStringLiteral("Code 128-1, Code 2/5 and Codabar: the drawing's width, 800 for its own"));

    buildPrintSizeRow(2760 + down);

    FrameIncrement = Make<QGroupBox>(FrameOptions, QStringLiteral("Increament Barcode"), 120, 2760 + belowSize, 3495, 615);
    Label8 = Make<QLabel>(FrameIncrement, QStringLiteral("From:"), 120, 240, 480, 255);
    LabelTo = Make<QLabel>(FrameIncrement, QStringLiteral("To:"), 1260, 240, 300, 255);
    Text21 = Make<QLineEdit>(FrameIncrement, QStringLiteral("100"), 600, 240, 615, 285);
    Text22 = Make<QLineEdit>(FrameIncrement, QStringLiteral("500"), 1560, 240, 615, 285);
    Command8 = Make<QPushButton>(FrameIncrement, QStringLiteral("Run It"), 2280, 240, 1095, 255);

    FrameOffset = Make<QGroupBox>(client, QStringLiteral("Barcode OffSet"), 3840, 5400 + belowSize, 3375, 615);
    LabelLeft = Make<QLabel>(FrameOffset, QStringLiteral("Left:"), 120, 240, 360, 255);
    Text14 = Make<QLineEdit>(FrameOffset, QStringLiteral("1"), 480, 240, 735, 285);
    LabelTop = Make<QLabel>(FrameOffset, QStringLiteral("Top:"), 1320, 240, 480, 255);
    Text15 = Make<QLineEdit>(FrameOffset, QStringLiteral("1"), 1800, 240, 855, 285);
    // The numbers of a run and the offsets take only what they can use.
    const QString point = QRegularExpression::escape(QLocale().decimalPoint());
    const QString whole = QStringLiteral("\\s*[+-]?[0-9]*\\s*");
    const QString cm = QStringLiteral("\\s*[+-]?[0-9]*(%1[0-9]*)?\\s*").arg(point);
    acceptOnly(Text21, whole, QStringLiteral("From takes a whole number: the first label's"));
    acceptOnly(Text22, whole, QStringLiteral("To takes a whole number: the run ends before it"));
    const QString example = QStringLiteral("1") + QLocale().decimalPoint() + QStringLiteral("5");
    acceptOnly(Text14, cm, QStringLiteral("Left takes a distance in cm, such as %1").arg(example));
    acceptOnly(Text15, cm, QStringLiteral("Top takes a distance in cm, such as %1").arg(example));

    // The label layout, on one line under the increment and offset frames.
    LabelLayout = Make<QLabel>(FrameOptions, QStringLiteral("Layout:"), 120, 3420 + belowSize, 600, 255);
    ComboLayout = new QComboBox(FrameOptions);
    Place(ComboLayout, 720, 3390 + belowSize, 2520, 315);
    LabelStart = Make<QLabel>(FrameOptions, QStringLiteral("Start at:"), 3330, 3420 + belowSize, 660, 255);
    SpinStart = new QSpinBox(FrameOptions);
    Place(SpinStart, 3990, 3390 + belowSize, 630, 315);
    SpinStart->setRange(1, 1);
    CheckRepeat = Make<QCheckBox>(FrameOptions, QStringLiteral("Fill sheet"), 4710, 3420 + belowSize, 1260, 255);
    CheckRepeat->setToolTip(QStringLiteral("Print puts the barcode on every label from the start to the sheet's end"));
    CommandPreview = Make<QPushButton>(FrameOptions, QStringLiteral("Print Preview"), 6000, 3390 + belowSize, 1095, 285);

    Text2 = new QPlainTextEdit(client);
    Text2->setVisible(false);
    Text2->setPlainText(HelpText());
}

void Form1::MakeUnreachable(QWidget* top)
{
    // A control the design puts (mostly) outside its frame is cut off by
    // the frame: a sliver of it must not take a click, nor Tab the focus,
    // since the user can't see what it is. The controls still work from
    // the program and the stored settings.
    // Only the window's own controls, placed in a frame or the window: the
    // parts inside a spin box or a combo box have no place of their own
    // until they are first shown (a spin box's text field is 100 pixels
    // wide then), and a text field made to ignore clicks leaves its spin
    // box unable to take the focus from a click: the keys typed went on to
    // whatever had the focus before.
    for (QWidget* w : top->findChildren<QWidget*>()) {
        const QWidget* parent = w->parentWidget();
        const bool placed = parent == top || qobject_cast<const QGroupBox*>(parent) || parent == Frame8 ||
                            parent == DrawingArea->widget();
        if (!parent || !placed || parent->rect().contains(w->geometry().center()))
            continue;
        w->setFocusPolicy(Qt::NoFocus);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

void Form1::buildMenus()
{
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    FileOpen = FileMenu->addAction(QStringLiteral("File Open"));
    SaveAs = FileMenu->addAction(QStringLiteral("Save Bar Code As\u2026"));
    // Fixed sequences: the platform's own "Save As" is empty outside GNOME
    // and KDE. The menus show them.
    SaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    Help1 = FileMenu->addAction(QStringLiteral("&Help"));
    FileMenu->addSeparator();
    Exit = FileMenu->addAction(QStringLiteral("E&xit"));
    Exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    Editf = menuBar()->addMenu(QStringLiteral("&Edit"));
    BarCodeTemp = Editf->addAction(QStringLiteral("&Bar Code"));
    PrintTemp = Editf->addAction(QStringLiteral("&Print"));
    PrintTemp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    OpenFileTemp = Editf->addAction(QStringLiteral("&Open File"));
    PrintFileTemp = Editf->addAction(QStringLiteral("Print File"));
    BarCodetoClipboard = Editf->addAction(QStringLiteral("Copy Bar Code to Clipboard"));

    Options2 = menuBar()->addMenu(QStringLiteral("&Options"));
    Settings = Options2->addAction(QStringLiteral("&Hide Settings"));
    PdfResolution = Options2->addAction(QStringLiteral("&PDF Resolution..."));
    PdfResolution->setToolTip(QStringLiteral("The printer the built-in \"Print to PDF file\" printer draws for"));
    NewLayout = Options2->addAction(QStringLiteral("New &Label Layout..."));
    Calibrate = Options2->addAction(QStringLiteral("Printer &Calibration..."));
    EditLabel = Options2->addAction(QStringLiteral("La&bel\u2026"));
    EditLabel->setObjectName(QStringLiteral("EditLabel"));
    connect(EditLabel, &QAction::triggered, this, [this] { OpenLabelEditor(); });
    PrinterSetup = Options2->addAction(QStringLiteral("Printer Se&tup..."));
    PrinterSetup->setToolTip(QStringLiteral("How a label printer is written to: language, darkness, speed, label size"));
    PrintPreview = new QAction(QStringLiteral("Print Pre&view..."), this);
    PrintPreview->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    FileMenu->insertAction(Help1, PrintPreview);
    OpenLabelFile = new QAction(QStringLiteral("Open &Label File\u2026"), this);
    OpenLabelFile->setToolTip(QStringLiteral("Print, Print Preview, Run It and the sheet layouts print this label file's label"));
    NoLabelFile = new QAction(QStringLiteral("&No label file"), this);
    NoLabelFile->setToolTip(QStringLiteral("Print the one barcode again"));
    NoLabelFile->setEnabled(false);
    FileMenu->insertAction(Help1, OpenLabelFile);
    FileMenu->insertAction(Help1, NoLabelFile);
    MergeData = new QAction(QStringLiteral("&Merge Data\u2026"), this);
    MergeData->setToolTip(QStringLiteral("Print the label once for every record of a CSV file or a spreadsheet"));
    NoMergeData = new QAction(QStringLiteral("No merge &data"), this);
    NoMergeData->setToolTip(QStringLiteral("Print one label again"));
    NoMergeData->setEnabled(false);
    FileMenu->insertAction(Help1, MergeData);
    FileMenu->insertAction(Help1, NoMergeData);

    Help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help2 = Help->addAction(QStringLiteral("&Help"));
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    Manual = Help->addAction(QStringLiteral("&Manual"));
    About = Help->addAction(QStringLiteral("&About"));
}

void Form1::buildStatusLine()
{
    // Every widget here may be squeezed: a long path must never widen the window.
    JobStatus = new QLabel(statusBar());
    JobStatus->setTextFormat(Qt::PlainText);
    JobStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    JobStatus->installEventFilter(this); // elided again on every resize
    JobLinks = new QLabel(statusBar());
    JobLinks->setTextFormat(Qt::RichText);
    JobLinks->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Progress = new QLabel(statusBar());
    StopButton = new QPushButton(QStringLiteral("Stop"), statusBar());
    StopButton->setShortcut(Qt::Key_Escape);
    StopButton->setToolTip(QStringLiteral("Stop the run (Esc): a file's job is dropped, labels end after the current one"));
    StopButton->hide();
    statusBar()->setSizeGripEnabled(false);
    // Its text is inset as the controls are, never against the window's
    // edge; and it is as tall as the Stop button from the start, so that
    // the button showing during a run does not take its height from the
    // controls (their bottom row was cut off).
    statusBar()->setContentsMargins(TwipsToPx(120), 0, TwipsToPx(120), 0);
    statusBar()->setMinimumHeight(StopButton->sizeHint().height() + 4);
    // A line above it, so an empty status line does not read as a blank band.
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar { border-top: 1px solid palette(mid); }"));
    statusBar()->addWidget(JobStatus, 1);
    statusBar()->addWidget(JobLinks);
    LabelFileInUse = new QLabel(statusBar());
    LabelFileInUse->setTextFormat(Qt::PlainText);
    LabelFileInUse->hide();
    statusBar()->addPermanentWidget(LabelFileInUse);
    MergeInUse = new QLabel(statusBar());
    MergeInUse->setTextFormat(Qt::PlainText);
    MergeInUse->hide();
    statusBar()->addPermanentWidget(MergeInUse);
    statusBar()->addPermanentWidget(Progress);
    statusBar()->addPermanentWidget(StopButton);
    connect(JobLinks, &QLabel::linkActivated, this, [this](const QString& link) {
        if (link.startsWith(kCancelLink)) {
            CancelJob_Click(link.mid(kCancelLink.size()).toInt());
            return;
        }
        // Without a PDF viewer or a file manager the click would do nothing
        // visible: the status line says so.
        if (!QDesktopServices::openUrl(QUrl(link))) {
            jobText_ = QStringLiteral("Nothing on this desktop opens %1").arg(QDir::toNativeSeparators(QUrl(link).toLocalFile()));
            JobStatus->setToolTip(jobText_);
            elideJobStatus();
        }
    });
}

void Form1::ShowJobStatus(const QString& text, const QString& pdfPath)
{
    jobText_ = text;
    JobStatus->setToolTip(text);
    elideJobStatus();
    if (pdfPath.isEmpty()) {
        JobLinks->clear();
        JobLinks->hide();
        return;
    }
    auto link = [](const QString& path, const QString& caption) {
        return QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toHtmlEscaped(), caption);
    };
    JobLinks->setText(link(pdfPath, QStringLiteral("Open")) + QStringLiteral(" &nbsp; ") +
                      link(QFileInfo(pdfPath).absolutePath(), QStringLiteral("Show folder")));
    JobLinks->show();
}

void Form1::elideJobStatus()
{
    JobStatus->setText(JobStatus->fontMetrics().elidedText(jobText_, Qt::ElideMiddle, JobStatus->width()));
}

void Form1::connectHandlers()
{
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text1, &QLineEdit::returnPressed, this, [this] { Command1_Click(); }); // Enter: "Bar Code"
    connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
    connect(Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
    connect(Text5, &QLineEdit::textChanged, this, [this] { Text5_Change(); });
    connect(Text8, &QLineEdit::textChanged, this, [this] { Text8_Change(); });
    connect(Text9, &QLineEdit::textChanged, this, [this] { Text9_Change(); });
    connect(Text14, &QLineEdit::textChanged, this, [this] { Text14_Change(); });
    connect(Text15, &QLineEdit::textChanged, this, [this] { Text15_Change(); });
    connect(Text21, &QLineEdit::textChanged, this, [this] { store(QStringLiteral("rangefrom"), Text21->text()); });
    connect(Text22, &QLineEdit::textChanged, this, [this] { store(QStringLiteral("rangeto"), Text22->text()); });
    connect(Check1, &QCheckBox::stateChanged, this, [this] { Check1_Click(); });
    connect(Check2, &QCheckBox::stateChanged, this, [this] { Check2_Click(); });
    connect(ComboMore, &QComboBox::activated, this, [this] { MoreClick(); });
    connect(ComboEcc, &QComboBox::currentTextChanged, this, [this](const QString& level) {
        store(QStringLiteral("qrecc"), level);
        Redraw();
    });
    connect(SpinColumns, &QSpinBox::valueChanged, this, [this](int n) {
        store(QStringLiteral("pdf417columns"), QString::number(n));
        Redraw();
    });
    connect(CheckRectangular, &QCheckBox::toggled, this, [this](bool on) {
        store(QStringLiteral("dmrectangular"), on ? QStringLiteral("1") : QStringLiteral("0"));
        Redraw();
    });
    for (const OptionRow& row : OptionRows()) {
        QRadioButton* o = row.button;
        connect(o, &QRadioButton::toggled, this, [this, o](bool on) {
            if (!on)
                return;
            for (const OptionRow& other : OptionRows())
                if (other.button != o)
                    other.button->setChecked(false);
            OptionClick();
            Redraw(); // the drawing never shows another symbology than the one picked
        });
        // A click on the selected option keeps it selected, as in a group.
        connect(o, &QRadioButton::clicked, this, [o](bool on) {
            if (!on)
                o->setChecked(true);
        });
    }
    Combo1->installEventFilter(this);
    if (Combo1->lineEdit())
        Combo1->lineEdit()->installEventFilter(this);
    // Picking a printer from the list stores it at once, so it is not lost
    // when the window closes before the box loses the focus.
    connect(Combo1, &QComboBox::textActivated, this, [this] { Combo1_Validate(); });

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { FileOpen_Click(); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command9, &QPushButton::clicked, this, [this] { Command9_Click(); });
    connect(StopButton, &QPushButton::clicked, this, [this] { Stop_Click(); });

    connect(FileOpen, &QAction::triggered, this, [this] { FileOpen_Click(); });
    connect(SaveAs, &QAction::triggered, this, [this] { SaveAs_Click(); });
    connect(Help1, &QAction::triggered, this, [this] { Help2_Click(); });
    connect(Exit, &QAction::triggered, this, [this] { Exit_Click(); });
    connect(BarCodeTemp, &QAction::triggered, this, [this] { Command1_Click(); });
    connect(PrintTemp, &QAction::triggered, this, [this] { Command2_Click(); });
    connect(OpenFileTemp, &QAction::triggered, this, [this] { Command3_Click(); });
    connect(PrintFileTemp, &QAction::triggered, this, [this] { Command4_Click(); });
    connect(BarCodetoClipboard, &QAction::triggered, this, [this] { Command9_Click(); });
    connect(Settings, &QAction::triggered, this, [this] { Settings_Click(); });
    connect(PdfResolution, &QAction::triggered, this, [this] { PdfResolution_Click(); });
    connect(NewLayout, &QAction::triggered, this, [this] { NewLayout_Click(); });
    connect(Calibrate, &QAction::triggered, this, [this] { Calibrate_Click(); });
    connect(PrinterSetup, &QAction::triggered, this, [this] { PrinterSetup_Click(); });
    connect(PrintPreview, &QAction::triggered, this, [this] { PrintPreview_Click(); });
    connect(OpenLabelFile, &QAction::triggered, this, [this] { OpenLabelFile_Click(); });
    connect(NoLabelFile, &QAction::triggered, this, [this] { NoLabelFile_Click(); });
    connect(MergeData, &QAction::triggered, this, [this] { MergeData_Click(); });
    connect(NoMergeData, &QAction::triggered, this, [this] { NoMergeData_Click(); });
    connect(CommandPreview, &QPushButton::clicked, this, [this] { PrintPreview_Click(); });
    connect(ComboLayout, &QComboBox::currentIndexChanged, this, [this] { Layout_Change(); });
    connect(SpinStart, &QSpinBox::valueChanged, this,
            [this](int start) {
                store(QStringLiteral("layoutstart"), QString::number(start));
                ShowStartPlace();
            });
    connect(CheckRepeat, &QCheckBox::toggled, this,
            [this](bool on) { store(QStringLiteral("layoutrepeat"), on ? QStringLiteral("1") : QStringLiteral("0")); });
    connect(Help2, &QAction::triggered, this, [this] { Help2_Click(); });
    connect(Manual, &QAction::triggered, this, [this] { ShowManual(); });
    connect(About, &QAction::triggered, this, [this] { About_Click(); });
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == Combo1 || watched == Combo1->lineEdit())) {
        Combo1_Validate();
        Combo1->lineEdit()->setCursorPosition(0); // a name longer than the box shows its start
    }
    if (event->type() == QEvent::Resize && watched == JobStatus)
        elideJobStatus();
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    Combo1_Validate(); // the printer text is kept even when the box still has the focus
    // Closing ends the program: a run in progress stops as a signal would
    // stop it (a listing is dropped, a range ends after its current label),
    // and the program ends as soon as the run's handler has returned.
    if (Running()) {
        exiting_ = true;
        services::RequestStop();
    }
    Form_Unload();
    QMainWindow::closeEvent(event);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

// ---------------------------------------------------------------- start-up

void Form1::Form_Load()
{
    const jobs::StoredOptions stored = jobs::ReadStoredOptions();
    // A stored height factor regenerates during start-up, on the design-time
    // text that nobody typed. What a drawer would say about that text (EAN:
    // too long; Interleaved 2 of 5: not digits) is not shown.
    {
        services::RecordingSink startupMessages;
        services::MessageSink* const shown = std::exchange(messages_, &startupMessages);
        loading_ = true;
        StartupOptions(stored);
        loading_ = false;
        messages_ = shown;
    }

    Combo1->setEditText(stored.printer);
    FillPrinterList();
    pageShownFor_ = Combo1->currentText();
    Combo1->lineEdit()->setCursorPosition(0);

    Text9->setText(stored.text9);
    ShowWidthField();

    // The design-time text is selected, so the first key typed replaces it.
    Text1->setFocus();
    Text1->selectAll();
    started_ = true;
}

void Form1::StartupOptions(const jobs::StoredOptions& stored)
{
    printers_.SetPdfGridDpi(stored.pdfDpi);
    if (!stored.showSettings)
        Settings_Click();

    for (const OptionRow& row : OptionRows())
        setOption(row.button, stored.selected == row.symbology);
    setOwnOptions(stored.library);
    const int more = stored.selected ? ComboMore->findData(QLatin1String(symbols::RowOf(*stored.selected, symbologies_).name)) : -1;
    ComboMore->setCurrentIndex(std::max(more, 0));
    ShowOwnOption();

    Text4->setText(stored.linePattern);
    Text5->setText(stored.file);
    Text8->setText(stored.text8);
    Text3->setText(stored.font);

    Check1->setChecked(stored.keepPattern);
    Check2->setChecked(stored.textWithBars);

    Text14->setText(stored.left);
    Text15->setText(stored.top);
    Text21->setText(stored.rangeFrom);
    Text22->setText(stored.rangeTo);

    ShowStoredPrintSize(stored);
    FillLayoutList(stored.layout);
    SpinStart->setValue(stored.layoutStart);
    CheckRepeat->setChecked(stored.layoutRepeat);

    // A stored label file that can't be read now (moved, on a drive not
    // there) leaves the one barcode to print and says why; the choice
    // stays stored for the next start.
    if (!stored.labelFile.isEmpty()) {
        const core::Result<printing::LabelParts> parts = jobs::LoadLabelParts(stored.labelFile, QDate::currentDate(), true);
        if (parts.ok()) {
            labelFile_ = stored.labelFile;
            labelParts_ = *parts;
        } else {
            ShowJobStatus(QStringLiteral("The label file can't be used; the barcode prints. %1").arg(parts.failure().text));
        }
        ShowLabelFile();
    }
    // A stored merge whose file can't be read now is dropped for this run
    // with the reason in the status line, and stays stored.
    if (!stored.merge.path.isEmpty()) {
        core::Result<std::unique_ptr<files::DataSource>> source = OpenMergeFile(stored.merge);
        if (source.ok()) {
            merge_ = stored.merge;
            mergeFields_ = (*source)->FieldNames();
        } else {
            ShowJobStatus(QStringLiteral("The merge data can't be used; one label prints. %1").arg(source.failure().text));
        }
        ShowMerge();
    }
}

void Form1::setOption(QRadioButton* button, bool on)
{
    if (button->isChecked() != on)
        button->setChecked(on); // selecting raises the option's click, which deselects the others
}

// ---------------------------------------------------------------- storing

void Form1::acceptOnly(QLineEdit* field, const QString& pattern, const QString& why)
{
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), field));
    field->setToolTip(why);
    // A key the field can't use is refused where it was typed, saying why.
    connect(field, &QLineEdit::inputRejected, this, [field, why] {
        QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), why, field);
    });
}

void Form1::store(const QString& key, const QString& value)
{
    // A failed write is told once, after start-up (whose messages are not shown).
    const core::Status stored = jobs::StoreOption(key, value);
    if (stored.ok() || settingsErrorShown_ || loading_)
        return;
    settingsErrorShown_ = true; // once per run: the program works on without storing
    messages_->ShowNotice(QStringLiteral("Your settings could not be saved: %1").arg(stored.failure().text));
}

void Form1::OptionClick()
{
    for (const OptionRow& row : OptionRows())
        store(QString::fromLatin1(symbols::RowOf(row.symbology, symbologies_).option.key),
              row.button->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    // An option button picks one of the design's symbologies: "More…" none.
    if (ComboMore->currentIndex() != 0) {
        const QSignalBlocker block(ComboMore);
        ComboMore->setCurrentIndex(0);
        store(QStringLiteral("moretype"), QString());
        ShowOwnOption();
    }
}

void Form1::buildMoreBox()
{
    ComboMore = new ElidingComboBox(FrameType);
    Place(ComboMore, 120, 990, 2295, 285);
    ComboMore->setObjectName(QStringLiteral("ComboMore"));
    ComboMore->addItem(QStringLiteral("More\u2026"));
    for (const symbols::SymbologyRow& row : symbologies_)
        if (row.inMoreBox)
            ComboMore->addItem(QString::fromUtf8(row.caption), QLatin1String(row.name));
    ComboMore->setToolTip(QStringLiteral("More bar code types"));
    connect(ComboMore, &QComboBox::currentIndexChanged, this, [this](int i) {
        ComboMore->setToolTip(i > 0 ? ComboMore->currentText() : QStringLiteral("More bar code types"));
    });
    // The list is as wide as its longest caption, wider than the box.
    ComboMore->view()->setMinimumWidth(ComboMore->view()->sizeHintForColumn(0) + 8);

    LabelOwnOption = Make<QLabel>(FrameTextOptions, QString(), 120, 630, 1380, 255);
    ComboEcc = new QComboBox(FrameTextOptions);
    Place(ComboEcc, 1500, 600, 600, 285);
    ComboEcc->addItems({QStringLiteral("L"), QStringLiteral("M"), QStringLiteral("Q"), QStringLiteral("H")});
    ComboEcc->setToolTip(QStringLiteral("L 7 %, M 15 %, Q 25 %, H 30 % of the symbol can be lost"));
    SpinColumns = new QSpinBox(FrameTextOptions);
    Place(SpinColumns, 1500, 600, 720, 285);
    SpinColumns->setRange(0, 30);
    SpinColumns->setSpecialValueText(QStringLiteral("auto"));
    CheckRectangular = Make<QCheckBox>(FrameTextOptions, QStringLiteral("Rectangular"), 120, 630, 2055, 255);
}

void Form1::setOwnOptions(const symbols::LibraryOptions& options)
{
    ComboEcc->setCurrentText(QString(QChar(options.qrEcc)));
    SpinColumns->setValue(options.pdf417Columns);
    CheckRectangular->setChecked(options.rectangular);
}

void Form1::ShowOwnOption()
{
    const symbols::OwnOption own = ComboMore->currentIndex() > 0 ? SelectedRow().ownOption : symbols::OwnOption::None;
    LabelOwnOption->setText(own == symbols::OwnOption::QrEcc ? QStringLiteral("Error correction:")
                            : own == symbols::OwnOption::Pdf417Columns ? QStringLiteral("Columns:")
                                                              : QString());
    LabelOwnOption->setVisible(own == symbols::OwnOption::QrEcc || own == symbols::OwnOption::Pdf417Columns);
    ComboEcc->setVisible(own == symbols::OwnOption::QrEcc);
    SpinColumns->setVisible(own == symbols::OwnOption::Pdf417Columns);
    CheckRectangular->setVisible(own == symbols::OwnOption::Rectangular);
}

void Form1::MoreClick()
{
    if (ComboMore->currentIndex() > 0) {
        for (const OptionRow& row : OptionRows())
            setOption(row.button, false);
        for (const OptionRow& row : OptionRows())
            store(QString::fromLatin1(symbols::RowOf(row.symbology, symbologies_).option.key), QStringLiteral("False"));
        store(QStringLiteral("moretype"), ComboMore->currentData().toString());
    } else if (std::none_of(OptionRows().begin(), OptionRows().end(), [](const OptionRow& r) { return r.button->isChecked(); })) {
        setOption(Option1, true); // "More…" itself: back to the first option
    }
    ShowOwnOption();
    Redraw();
}

void Form1::Text1_Change() { Command1_Click(); }
void Form1::Text3_Change()
{
    store(QStringLiteral("font"), Text3->text());
    Redraw();
}
void Form1::Text4_Change() { store(QStringLiteral("line"), Text4->text()); }
void Form1::Text9_Change()
{
    store(QStringLiteral("text9"), Text9->text());
    Redraw();
}
void Form1::Text14_Change() { store(QStringLiteral("barcodeoffset14"), Text14->text()); }
void Form1::Text15_Change() { store(QStringLiteral("barcodeoffset15"), Text15->text()); }
void Form1::Check1_Click() { store(QStringLiteral("check1"), Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0")); }
void Form1::Check2_Click()
{
    store(QStringLiteral("check2"), Check2->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    Redraw();
}

void Form1::Redraw()
{
    // Start-up restores every option before the first drawing; a run shows
    // what it prints, not the options changed meanwhile.
    if (!started_ || Running())
        return;
    // The text was not typed for the option just picked: why it makes no
    // barcode now stands under the drawing, without a box to click away.
    quietFailures_ = true;
    Command1_Click();
    quietFailures_ = false;
}
void Form1::PdfResolution_Click()
{
    bool ok = false;
    const int dpi = QInputDialog::getInt(this, QStringLiteral("PDF Resolution"),
                                         QStringLiteral("The built-in \"Print to PDF file\" printer draws every module\n"
                                                        "as whole dots of a printer of this many dots per inch\n"
                                                        "(100: a grid of 1/100 inch, near whole dots of most printers):"),
                                         static_cast<int>(printers_.pdfGridDpi), printing::kMinPdfDpi,
                                         printing::kMaxPdfDpi, 1, &ok);
    if (ok)
        SetPdfResolution(dpi);
}

void Form1::SetPdfResolution(int dpi)
{
    printers_.SetPdfGridDpi(dpi);
    store(QStringLiteral("pdfdpi"), QString::number(printers_.pdfGridDpi));
    ShowCurrentPrinter();
}

void Form1::Combo1_Validate()
{
    store(QStringLiteral("c1opt"), Combo1->currentText());
    // The page shown under the box follows the printer chosen; asking the
    // queue again on every focus change would only cost time.
    if (Combo1->currentText() != pageShownFor_) {
        pageShownFor_ = Combo1->currentText();
        ShowCurrentPrinter();
    }
}

void Form1::Text5_Change()
{
    if (Chooser && Chooser->isVisible())
        Chooser->Text2->setText(Text5->text()); // the two path boxes show one text
    store(QStringLiteral("file"), Text5->text());
}

void Form1::Text8_Change()
{
    store(QStringLiteral("text8"), Text8->text());
    reSizeimage();
}

// ---------------------------------------------------------------- Generate

void Form1::reSizeimage()
{
    const symbols::SymbolRequest request = ReadRequest();
    symbols::SizeCode39Surface(Picture1, request.heightFactor, request.fontSize);
    Command1_Click();
}

const symbols::SymbologyRow& Form1::SelectedRow() const
{
    if (ComboMore->currentIndex() > 0)
        if (const std::optional<symbols::Symbology> picked = symbols::SymbologyNamed(ComboMore->currentData().toString(), symbologies_))
            return symbols::RowOf(*picked, symbologies_);
    for (const OptionRow& row : OptionRows())
        if (row.button->isChecked())
            return symbols::RowOf(row.symbology, symbologies_);
    return symbols::RowOf(symbols::Symbology::Code39, symbologies_); // what Generate draws when no option is selected
}

PictureBox& Form1::SurfaceOf(symbols::SurfaceId id)
{
    switch (id) {
    case symbols::SurfaceId::Code39: return Picture1;
    case symbols::SurfaceId::Pattern: return Picture5;
    case symbols::SurfaceId::UpcA: return Picture9;
    case symbols::SurfaceId::Ean: return Picture10;
    case symbols::SurfaceId::Library: return Picture11;
    }
    return Picture1;
}

const PictureBox& Form1::SurfaceOf(symbols::SurfaceId id) const { return const_cast<Form1*>(this)->SurfaceOf(id); }

Form2* Form1::OpenChooser() const { return Chooser; }

const PictureBox& Form1::Box(std::string_view name) const
{
    const std::pair<std::string_view, const PictureBox*> boxes[] = {
        {"Picture1", &Picture1}, {"Picture2", &Picture2},   {"Picture5", &Picture5},
        {"Picture9", &Picture9}, {"Picture10", &Picture10}, {"Picture11", &Picture11},
    };
    for (const auto& [boxName, box] : boxes)
        if (boxName == name)
            return *box;
    // Only the program's own code and tests ask, by the names above.
    qFatal("the main window has no picture box named %.*s", int(name.size()), name.data());
}

symbols::SymbolRequest Form1::ReadRequest() const
{
    symbols::SymbolRequest r = symbols::ReadSizeFields(SelectedRow().symbology, Text1->text(), Text8->text(), Text3->text(),
                                     Text9->text(), Check2->isChecked(), symbologies_);
    r.library.qrEcc = ComboEcc->currentText().at(0).toLatin1();
    r.library.pdf417Columns = SpinColumns->value();
    r.library.rectangular = CheckRectangular->isChecked();
    r.printSize = ReadPrintSize();
    return r;
}


void Form1::ShowWidthField()
{
    // Width stretches the pattern symbols only; the others have no use for it.
    const bool pattern = SelectedRow().surface == symbols::SurfaceId::Pattern;
    for (QWidget* w : {static_cast<QWidget*>(Text9), static_cast<QWidget*>(LabelWidth)})
        w->setEnabled(pattern);
}

const graphics::Drawing& Form1::BarcodeToPrint() const
{
    const symbols::SymbologyRow& row = SelectedRow();
    return row.printFromSurface ? SurfaceOf(row.surface).CurrentDrawing() : Picture2.PictureDrawing();
}

std::optional<QImage> Form1::PictureToCopy() const
{
    const symbols::SymbologyRow& row = SelectedRow();
    if (row.printFromSurface)
        return SurfaceOf(row.surface).Image();
    return Picture2.Picture();
}

PictureBoxWidget* Form1::WidgetOf(const PictureBox& box) const
{
    for (auto* w : surfaceWidgets_)
        if (&w->box() == &box)
            return w;
    return nullptr;
}

void Form1::Command1_Click()
{
    Picture1.MoveTo(0, Picture1.CurrentY());
    const symbols::SymbologyRow& row = SelectedRow();
    const bool ean = row.printFromSurface; // its surface shows on its own and carries the text in its tag

    Picture10.SetVisible(ean);
    picture10Tag_ = ean ? Text1->text() : QString();

    for (PictureBox* box : {&Picture1, &Picture2, &Picture5, &Picture9, &Picture10, &Picture11})
        box->Cls();
    Picture1.SetWidth(100);
    Picture2.SetWidth(100);
    // A surface grown for the last symbol's caption starts at its design height.
    Picture5.SetHeight(symbols::kPatternSurfaceGeometry.height);
    Picture9.SetHeight(symbols::kUpcASurfaceGeometry.height);
    Picture10.SetHeight(symbols::kEanSurfaceGeometry.height);
    for (PictureBox* box : {&Picture1, &Picture2, &Picture5, &Picture9, &Picture10, &Picture11})
        box->SetPicture(std::nullopt); // every picture of the last Generate goes
    Picture5.SetVisible(false);
    Picture11.SetVisible(false);
    Picture1.SetVisible(true);
    lastGenerate_ = core::Ok();
    ++scanGeneration_; // a check still running is for a symbol no longer shown
    ScanStatus->clear();
    ShowWidthField();

    const symbols::SymbolRequest request = ReadRequest();
    if (request.text.isEmpty())
        return;

    PictureBox& surface = SurfaceOf(row.surface);
    const bool patterns = &surface == &Picture5;
    if (patterns && !(request.symbology == symbols::Symbology::Code25 && request.text.size() < 2)) {
        Picture5.SetVisible(true);
        Picture1.SetVisible(false);
        Picture5.Cls();
    }
    if (&surface == &Picture11) {
        Picture11.SetVisible(true);
        Picture1.SetVisible(false);
    }
    symbols::GenerateSurfaces surfaces{Picture1, Picture5, Picture9, Picture10, Picture11};
    const symbols::Generated generated = symbols::GenerateOn(request, surfaces);
    lastGenerate_ = generated.status;
    if (ean)
        picture10Tag_ = generated.tag; // the full code, with its check digit
    // The window shows what went wrong once; what its surfaces show by
    // themselves (UPC's message, an empty box) needs no box, nor does a
    // symbology of the More box: a code typed into is incomplete at most
    // keys, and a box would take the next key. During a run the window
    // only shows what is printed, and the run tells of failures itself.
    // Under the drawing the reason stays.
    if (generated.status.failed()) {
        const core::Failure& failure = generated.status.failure();
        ScanStatus->setStyleSheet(QStringLiteral("color: #c62828;"));
        ScanStatus->setText(QStringLiteral("\u2716 ") + QString(failure.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        if (!failure.inPicture && !row.inMoreBox && !Running() && !quietFailures_)
            messages_->MsgBox(failure.text);
    }
    if (!generated.surface)
        return; // nothing to print

    Picture2.Cls();
    Picture2.SetPictureFrom(surface);
    ShowPrintDots(); // a width to fit depends on the symbol
    if (generated.status.ok()) // its reason is shown already
        CheckScan(request);
    // The surfaces overlap; the one just drawn is brought to the front.
    if (auto* w = WidgetOf(surface))
        w->raise();
    FitDrawingArea(true);
}

bool Form1::RefuseFailedSymbol(const QString& action)
{
    if (lastGenerate_.ok())
        return false;
    messages_->MsgBox(QStringLiteral("There is no barcode to %1: %2").arg(action, lastGenerate_.failure().text));
    return true;
}

void Form1::FitDrawingArea(bool growWindow)
{
    // What the surfaces show: their symbols with the white around them.
    // Boxes are wider than that (the stretch makes Picture5 1333 pixels
    // wide whatever it holds); the area scrolls only for what is drawn.
    QWidget* drawings = DrawingArea->widget();
    QRect shown;
    for (const PictureBoxWidget* w : surfaceWidgets_) {
        if (w->parentWidget() != drawings || !w->isVisible())
            continue;
        if (const QRect ink = w->ShownInk(); !ink.isEmpty())
            shown |= ink.translated(w->pos());
    }
    if (growWindow)
        fitDrawingHeight(shown.isEmpty() ? 0 : shown.bottom() + 1);
    const QSize view = DrawingArea->viewport()->size();
    drawings->resize(std::max(view.width(), shown.right() + 1), std::max(view.height(), shown.bottom() + 1));
    // A symbol wider than the frame widens the window, as far as the
    // screen allows; beyond that the area scrolls.
    const int missing = shown.right() + 1 - view.width();
    if (!growWindow || !isVisible() || isMaximized() || isFullScreen() || !screen())
        return;
    if (missing < 0 && widenedBy_ > 0) {
        // A shorter symbol gives back what a longer one took, never more
        // than that and never below the design's width.
        const int back = std::max(0, std::min({widenedBy_, -missing, width() - TwipsToPx(kClientWidthTwips)}));
        widenedBy_ -= back;
        if (back > 0)
            resize(width() - back, height());
        return;
    }
    if (missing <= 0)
        return;
    const int most = screen()->availableGeometry().width() - (frameGeometry().width() - width());
    const int wanted = std::min(width() + missing, most);
    if (wanted > width()) {
        widenedBy_ += wanted - width();
        resize(wanted, height());
    }
}

void Form1::fitDrawingHeight(int drawnHeight)
{
    // A symbol taller than the design's frame (a QR Code, a large height
    // factor) makes the frame taller and moves what is below it down, as
    // far as the screen allows; a shorter one gives the room back.
    const int design = TwipsToPx(kFrame9HeightTwips);
    int extra = std::max(0, drawnHeight - DrawingArea->viewport()->height() + extraHeight_);
    if (screen() && isVisible()) {
        const int room = screen()->availableGeometry().height() - frameGeometry().height() + extraHeight_;
        extra = std::min(extra, std::max(room, 0));
    }
    extra = std::min(extra, kMaxExtraHeight);
    const int delta = extra - extraHeight_;
    if (delta == 0)
        return;
    const int below = Frame9->y() + Frame9->height();
    for (QWidget* w : centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != Frame9 && w->y() >= below)
            w->move(w->x(), w->y() + delta);
    Frame9->resize(Frame9->width(), design + extra);
    extraHeight_ = extra;
    SetCentralHeight(centralWidget()->height() + delta);
}

void Form1::CheckScan(const symbols::SymbolRequest& request)
{
    // Read back off the typing path: the drawing is shown first, a worker
    // reads it, and the line under it says what it found.
    if (!isVisible() || Running())
        return;
    const graphics::Drawing drawing = BarcodeToPrint().Cropped();
    const symbols::ScanExpectation expected = symbols::ExpectedScan(request.symbology, request.text, request.table);
    const int generation = scanGeneration_;
    QPointer<Form1> self(this);
    QThreadPool::globalInstance()->start([self, drawing, expected, generation] {
        const symbols::ScanResult scan = symbols::ScanCheck(drawing, expected);
        QMetaObject::invokeMethod(qApp, [self, scan, generation] {
            if (self && self->scanGeneration_ == generation)
                self->ShowScan(scan);
        });
    });
}

void Form1::ShowScan(const symbols::ScanResult& scan)
{
    ScanStatus->setStyleSheet(scan.Scans() ? QStringLiteral("color: #1a7f37;") : QStringLiteral("color: #c62828;"));
    ScanStatus->setText((scan.Scans() ? QStringLiteral("\u2714 ") : QStringLiteral("\u2716 ")) + scan.Text());
}

void Form1::SaveAs_Click()
{
    const symbols::SymbolRequest request = ReadRequest();
    const core::Result<symbols::SymbolFile> file = symbols::DrawForFile(request, false);
    if (file.failed()) {
        messages_->MsgBox(QStringLiteral("There is no barcode to save: %1").arg(file.failure().text));
        return;
    }
    // The name suggested comes from the barcode's text; the type picked
    // adds its extension; a name that can't be written asks again.
    QString filter = QStringLiteral("PNG picture (*.png)");
    QString suggested = files::SuggestedFileName(request.text) + QStringLiteral(".png");
    for (;;) {
        QFileDialog dialog(this, QStringLiteral("Save Bar Code As"), suggested,
                           QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectNameFilter(filter);
        // Qt's own dialog opens too narrow for its Size and Date columns.
        dialog.resize(std::max(dialog.width(), TwipsToPx(11400)), std::max(dialog.height(), TwipsToPx(6900)));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        const QString path = dialog.selectedFiles().constFirst();
        filter = dialog.selectedNameFilter();
        if (path.isEmpty())
            return;
        suggested = files::WithExtensionOf(path, filter);
        if (SaveBarcode(file->drawing, suggested))
            return;
    }
}

bool Form1::SaveBarcode(const graphics::Drawing& drawing, const QString& path)
{
    if (const core::Status saved = files::ExportDrawing(drawing, path); saved.failed()) {
        messages_->MsgBox(saved.failure().text);
        return false;
    }
    ShowJobStatus(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)), path);
    return true;
}

} // namespace ui
