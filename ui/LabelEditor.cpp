#include "ui/LabelEditor.h"

#include "labels/LabelFile.h"
#include "symbols/SymbologyTable.h"
#include "ui/LabelPreview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <climits>
#include <cmath>
#include <utility>

namespace ui {
namespace {

using labels::BarcodePart;
using labels::BoxPart;
using labels::LinePart;
using labels::Part;
using labels::TextPart;

// The pages of the properties, by what the part is.
enum Page { kNoPart, kBarcodePage, kTextPage, kLinePage, kBoxPage };

// A length as the file keeps it: to a ten-thousandth of a millimetre, so
// that a length typed in inches or moved a tenth at a time is written as
// "5.2", not "5.199999999999999".
double Tidy(double mm) { return std::round(mm * 1e4) / 1e4; }
// A place a part is dragged to: on the tenth of a millimetre.
double OnTenth(double mm) { return std::round(mm * 10) / 10; }

// The part moved by `offset`, its place `snap`ped; a line's end goes with
// its start.
Part Moved(Part part, QPointF offset, double (*snap)(double))
{
    const QPointF from = part.atMm;
    part.atMm = QPointF(snap(from.x() + offset.x()), snap(from.y() + offset.y()));
    if (auto* line = std::get_if<LinePart>(&part.what))
        line->endMm = QPointF(Tidy(line->endMm.x() + part.atMm.x() - from.x()), Tidy(line->endMm.y() + part.atMm.y() - from.y()));
    return part;
}

QString Shortened(const QString& text)
{
    return text.size() > 32 ? text.left(31) + QStringLiteral("\u2026") : text;
}

QString MmText(double mm) { return QString::number(mm, 'g', 4) + QStringLiteral(" mm"); }

// A part as the list names it.
QString ListText(const Part& part, int number)
{
    QString what;
    if (const auto* b = std::get_if<BarcodePart>(&part.what))
        what = QStringLiteral("%1 \"%2\"").arg(QLatin1String(symbols::RowOf(b->symbology).caption), Shortened(b->text));
    else if (const auto* t = std::get_if<TextPart>(&part.what))
        what = QStringLiteral("Text \"%1\"").arg(Shortened(t->text));
    else if (const auto* l = std::get_if<LinePart>(&part.what))
        what = QStringLiteral("Line, %1").arg(MmText(std::hypot(l->endMm.x() - part.atMm.x(), l->endMm.y() - part.atMm.y())));
    else if (const auto* f = std::get_if<BoxPart>(&part.what))
        what = QStringLiteral("Box, %1 \u00d7 %2").arg(MmText(f->sizeMm.width()), MmText(f->sizeMm.height()));
    return QStringLiteral("%1. %2").arg(number).arg(what);
}

bool TwoD(symbols::Symbology s) { return symbols::RowOf(s).library.twoD; }

} // namespace

// One change of the label: the label and the part chosen before and after
// it. Changes with the same key in a row are one change.
class LabelChange : public QUndoCommand {
public:
    LabelChange(LabelEditor& editor, const QString& text, QString key, labels::Label before, labels::Label after,
                int selectedBefore, int selectedAfter)
        : QUndoCommand(text), editor_(editor), key_(std::move(key)), before_(std::move(before)), after_(std::move(after)),
          selectedBefore_(selectedBefore), selectedAfter_(selectedAfter)
    {
    }
    void undo() override { editor_.SetState(before_, selectedBefore_); }
    void redo() override { editor_.SetState(after_, selectedAfter_); }
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const LabelChange*>(other);
        if (key_.isEmpty() || next->key_ != key_)
            return false;
        after_ = next->after_;
        selectedAfter_ = next->selectedAfter_;
        setObsolete(labels::LabelToJson(before_) == labels::LabelToJson(after_));
        return true;
    }

private:
    LabelEditor& editor_;
    QString key_;
    labels::Label before_, after_;
    int selectedBefore_, selectedAfter_;
};

labels::Label StarterLabel(symbols::Symbology symbology, const QString& text, bool caption)
{
    BarcodePart barcode;
    barcode.symbology = symbology;
    barcode.text = text;
    const QSizeF size(60, 30);
    if (TwoD(symbology)) {
        barcode.widthMm = 24;
    } else {
        // Half the label's height, leaving room for lines of text under it.
        barcode.widthMm = 54;
        barcode.heightMm = 15;
        barcode.caption = caption;
    }
    return labels::OneBarcodeLabel(barcode, size, QPointF(3, 3));
}

LabelEditor::LabelEditor(labels::Label label, QString path, services::MessageSink& messages, QWidget* parent, double dpi)
    : QDialog(parent), label_(std::move(label)), path_(std::move(path)), messages_(messages), dpi_(dpi),
      undo_(new QUndoStack(this))
{
    AskUnsaved = [this] {
        return QMessageBox::question(this, windowTitle().remove(QStringLiteral("[*]")),
                                     QStringLiteral("The label has changes that are not saved. Save them?"),
                                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    };
    BuildControls();
    ConnectControls();
    SetFields({});
    selected_ = label_.parts.empty() ? -1 : 0;
    ShowUnit();
    Refresh();
    connect(undo_, &QUndoStack::cleanChanged, this, [this] { ShowTitle(); });
    Preview->setFocus();
}

LabelEditor::~LabelEditor()
{
    // The undo stack is a child, destroyed after this class is gone: its
    // clearing would still tell the half-destroyed editor it changed.
    undo_->disconnect(this);
}

// ------------------------------------------------------------------ controls

namespace {

QFormLayout* Form(QWidget* parent)
{
    auto* form = new QFormLayout(parent);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return form;
}

QDoubleSpinBox* Points(QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setRange(0.5, labels::kMaxPoints);
    box->setSuffix(QStringLiteral(" pt"));
    return box;
}

QPushButton* Button(QWidget* parent, const QString& text, const QString& tip)
{
    auto* b = new QPushButton(text, parent);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

} // namespace

QDoubleSpinBox* LabelEditor::NewLength(QWidget* parent, double lowMm)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setProperty("lowMm", lowMm);
    lengths_.push_back(box);
    return box;
}

QHBoxLayout* LabelEditor::NewLengthPair(QWidget* parent, QDoubleSpinBox*& first, QDoubleSpinBox*& second, double lowMm)
{
    first = NewLength(parent, lowMm);
    second = NewLength(parent, lowMm);
    auto* row = new QHBoxLayout;
    row->addWidget(first, 1);
    row->addWidget(new QLabel(QStringLiteral("\u00d7"), parent));
    row->addWidget(second, 1);
    return row;
}

void LabelEditor::BuildControls()
{
    auto* top = new QVBoxLayout(this);
    auto* tools = new QHBoxLayout;
    const auto tool = [&](QAction* action) {
        auto* b = new QToolButton(this);
        b->setDefaultAction(action);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        tools->addWidget(b);
        addAction(action); // its shortcut works anywhere in the dialog
    };
    auto* open = new QAction(QStringLiteral("&Open\u2026"), this);
    open->setShortcut(QKeySequence::Open);
    auto* save = new QAction(QStringLiteral("&Save"), this);
    save->setShortcut(QKeySequence::Save);
    auto* saveAs = new QAction(QStringLiteral("Save &As\u2026"), this);
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // Undo and redo keep their short names (the buttons would change width
    // with every change) and say what they undo in their tips.
    auto* undo = new QAction(QStringLiteral("&Undo"), this);
    undo->setShortcut(QKeySequence::Undo);
    auto* redo = new QAction(QStringLiteral("&Redo"), this);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(undo, &QAction::triggered, undo_, &QUndoStack::undo);
    connect(redo, &QAction::triggered, undo_, &QUndoStack::redo);
    connect(undo_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(undo_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(undo_, &QUndoStack::undoTextChanged, undo, [undo](const QString& t) { undo->setToolTip(QStringLiteral("Undo: ") + t); });
    connect(undo_, &QUndoStack::redoTextChanged, redo, [redo](const QString& t) { redo->setToolTip(QStringLiteral("Redo: ") + t); });
    for (QAction* a : {open, save, saveAs})
        tool(a);
    tools->addSpacing(16);
    tool(undo);
    tool(redo);
    tools->addStretch();
    top->addLayout(tools);
    connect(open, &QAction::triggered, this, [this] { OpenClicked(); });
    connect(save, &QAction::triggered, this, [this] { (void)Save(); });
    connect(saveAs, &QAction::triggered, this, [this] { SaveAsClicked(); });

    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    auto* previewSide = new QWidget(splitter);
    auto* previewColumn = new QVBoxLayout(previewSide);
    previewColumn->setContentsMargins(0, 0, 0, 0);
    Preview = new LabelPreview(previewSide);
    previewColumn->addWidget(Preview, 1);
    BuildRecordBar(previewSide);
    previewColumn->addWidget(RecordBar);
    previewColumn->addWidget(Findings);
    Preview->setToolTip(QStringLiteral("The label as a printer of %1 dpi prints it. Click a part to choose it; drag "
                                       "it, or nudge it with the arrow keys (0.1 mm, with Shift 1 mm). Placeholders "
                                       "show what label 1 of a run today holds.")
                            .arg(dpi_));
    auto* side = new QWidget(splitter);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);

    auto* labelGroup = new QGroupBox(QStringLiteral("Label"), side);
    auto* labelForm = Form(labelGroup);
    QHBoxLayout* size = NewLengthPair(labelGroup, LabelWidth, LabelHeight, 1);
    Unit = new QComboBox(labelGroup);
    Unit->addItems({QStringLiteral("mm"), QStringLiteral("in")});
    labelForm->addRow(QStringLiteral("Size:"), size);
    labelForm->addRow(QStringLiteral("Unit:"), Unit);
    column->addWidget(labelGroup);

    auto* partsGroup = new QGroupBox(QStringLiteral("Parts"), side);
    auto* partsBox = new QVBoxLayout(partsGroup);
    Parts = new QListWidget(partsGroup);
    Parts->setIconSize(QSize(16, 16));
    Parts->setToolTip(QStringLiteral("The parts in the order they are drawn: a part covers those above it in the list"));
    partsBox->addWidget(Parts);
    auto* add = new QHBoxLayout;
    add->addWidget(new QLabel(QStringLiteral("Add:"), partsGroup));
    AddBarcode = Button(partsGroup, QStringLiteral("Barcode"), QStringLiteral("Adds a Code 128 barcode"));
    AddText = Button(partsGroup, QStringLiteral("Text"), QStringLiteral("Adds a line of text"));
    AddLine = Button(partsGroup, QStringLiteral("Line"), QStringLiteral("Adds a rule across the label"));
    AddBox = Button(partsGroup, QStringLiteral("Box"), QStringLiteral("Adds a frame around the label"));
    for (QPushButton* b : {AddBarcode, AddText, AddLine, AddBox})
        add->addWidget(b);
    partsBox->addLayout(add);
    auto* order = new QHBoxLayout;
    Remove = Button(partsGroup, QStringLiteral("Remove"), QStringLiteral("Removes the part chosen (Delete on the label)"));
    MoveUp = Button(partsGroup, QStringLiteral("Up"), QStringLiteral("Draws the part chosen earlier, under the parts after it"));
    MoveDown = Button(partsGroup, QStringLiteral("Down"), QStringLiteral("Draws the part chosen later, over the parts before it"));
    for (QPushButton* b : {Remove, MoveUp, MoveDown})
        order->addWidget(b);
    order->addStretch();
    partsBox->addLayout(order);
    column->addWidget(partsGroup, 1);

    auto* partGroup = new QGroupBox(QStringLiteral("Part"), side);
    partGroup->setObjectName(QStringLiteral("PartGroup"));
    auto* partBox = new QVBoxLayout(partGroup);
    auto* place = Form(nullptr);
    QHBoxLayout* at = NewLengthPair(partGroup, PartX, PartY, -labels::kMaxLabelMm);
    PartX->setToolTip(QStringLiteral("From the label's left edge to the part's left edge (a line's start)"));
    PartY->setToolTip(QStringLiteral("From the label's top edge to the part's top edge (a line's start)"));
    place->addRow(QStringLiteral("Left, top:"), at);
    partBox->addLayout(place);
    Properties = new QStackedWidget(partGroup);
    auto* none = new QLabel(QStringLiteral("Choose a part in the list or on the label, or add one."), Properties);
    none->setWordWrap(true);
    none->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Properties->addWidget(none);
    Properties->addWidget(BuildBarcodePage());
    Properties->addWidget(BuildTextPage());
    Properties->addWidget(BuildLinePage());
    Properties->addWidget(BuildBoxPage());
    partBox->addWidget(Properties);
    column->addWidget(partGroup);

    splitter->addWidget(previewSide);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    top->addWidget(splitter, 1);

    ProblemText = new QLabel(this);
    ProblemText->setWordWrap(true);
    ProblemText->setTextFormat(Qt::PlainText);
    ProblemText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ProblemText->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    // Room for two reasons, so that the dialog does not jump as one comes and goes.
    ProblemText->setMinimumHeight(2 * ProblemText->fontMetrics().lineSpacing() + 4);
    top->addWidget(ProblemText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // Enter in a field is not "close".
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &LabelEditor::reject);
    top->addWidget(buttons);
    resize(1040, 700);
}

QHBoxLayout* LabelEditor::WithFieldButton(QWidget* page, QLineEdit* edit, QToolButton*& button)
{
    if (!FieldMenu) {
        FieldMenu = new QMenu(this);
        FieldMenu->setObjectName(QStringLiteral("FieldMenu"));
    }
    button = new QToolButton(page);
    button->setText(QStringLiteral("Field"));
    button->setMenu(FieldMenu);
    button->setPopupMode(QToolButton::InstantPopup);
    // Room for the menu's arrow, which the style draws over the text.
    button->setMinimumWidth(button->sizeHint().width() + button->fontMetrics().horizontalAdvance(QLatin1Char('M')));
    button->setToolTip(QStringLiteral("Inserts a field of the merge data at the cursor"));
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(button);
    return row;
}

void LabelEditor::SetFields(const QStringList& fields)
{
    fields_ = fields;
    FieldMenu->clear();
    static const QStringList builtIn = {QStringLiteral("n"), QStringLiteral("#"), QStringLiteral("date"),
                                        QStringLiteral("serial"), QStringLiteral("$")};
    for (const QString& field : fields) {
        QAction* action = FieldMenu->addAction(QStringLiteral("${%1}").arg(field), this, [this, field] { InsertField(field); });
        // A placeholder ends at the first "}" and its name at a ":", and the
        // built-in names come before a field's: such a field can't be named.
        if (field.isEmpty() || field.contains(QLatin1Char('}')) || field.contains(QLatin1Char(':')) ||
            field.contains(QLatin1String("${")) || builtIn.contains(field)) {
            action->setEnabled(false);
            action->setToolTip(QStringLiteral("A placeholder can't name this field: rename its column"));
        }
    }
    if (!fields.isEmpty()) {
        // What every record has besides its fields.
        FieldMenu->addSeparator();
        FieldMenu->addAction(QStringLiteral("${#}  the record's number"), this, [this] { InsertField(QStringLiteral("#")); });
        FieldMenu->addAction(QStringLiteral("${date}  today"), this, [this] { InsertField(QStringLiteral("date")); });
    }
    // Without merge data there is nothing to insert; the buttons say how to get some.
    for (QToolButton* b : {BarcodeField, TextField}) {
        b->setEnabled(!fields.isEmpty());
        b->setToolTip(fields.isEmpty() ? QStringLiteral("Fields of merge data go here: choose a data file with File > Merge Data\u2026")
                                       : QStringLiteral("Inserts a field of the merge data at the cursor"));
    }
}

void LabelEditor::InsertField(const QString& field)
{
    if (selected_ < 0)
        return;
    const Part& part = label_.parts[static_cast<size_t>(selected_)];
    QLineEdit* edit = std::holds_alternative<BarcodePart>(part.what) ? BarcodeText
                      : std::holds_alternative<TextPart>(part.what)  ? Text
                                                                      : nullptr;
    if (!edit)
        return;
    edit->insert(QStringLiteral("${%1}").arg(field));
    edit->setFocus();
    const QString t = edit->text();
    if (edit == BarcodeText)
        ChangePart(QStringLiteral("Insert field"), {}, [t](Part& p) { std::get<BarcodePart>(p.what).text = t; });
    else
        ChangePart(QStringLiteral("Insert field"), {}, [t](Part& p) { std::get<TextPart>(p.what).text = t; });
}

void LabelEditor::BuildRecordBar(QWidget* parent)
{
    RecordBar = new QWidget(parent);
    auto* bar = new QHBoxLayout(RecordBar);
    bar->setContentsMargins(0, 0, 0, 0);
    const auto step = [&](const QString& text, const QString& tip, QKeySequence key) {
        auto* b = new QToolButton(RecordBar);
        b->setText(text);
        b->setToolTip(QStringLiteral("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText)));
        b->setShortcut(key);
        return b;
    };
    FirstRecord = step(QStringLiteral("|\u25c0"), QStringLiteral("The first record"), QKeySequence(Qt::CTRL | Qt::Key_Home));
    PreviousRecord = step(QStringLiteral("\u25c0"), QStringLiteral("The previous record"), QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    NextRecord = step(QStringLiteral("\u25b6"), QStringLiteral("The next record"), QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    LastRecord = step(QStringLiteral("\u25b6|"), QStringLiteral("The last record"), QKeySequence(Qt::CTRL | Qt::Key_End));
    RecordNumber = new QSpinBox(RecordBar);
    RecordNumber->setRange(1, 1);
    RecordNumber->setKeyboardTracking(false); // a number typed is gone to once it is complete
    RecordNumber->setToolTip(QStringLiteral("The record the preview shows; type a number to go to it"));
    RecordState = new QLabel(RecordBar);
    RecordState->setTextFormat(Qt::PlainText);
    RecordState->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(new QLabel(QStringLiteral("Record:"), RecordBar));
    bar->addWidget(FirstRecord);
    bar->addWidget(PreviousRecord);
    bar->addWidget(RecordNumber);
    bar->addWidget(NextRecord);
    bar->addWidget(LastRecord);
    bar->addWidget(RecordState, 1);
    CheckAll = new QPushButton(QStringLiteral("Check All Records"), RecordBar);
    CheckAll->setAutoDefault(false);
    CheckAll->setToolTip(QStringLiteral("Lays out the label of every record as a print would, and lists each record "
                                        "that can't be printed"));
    bar->addWidget(CheckAll);
    RecordBar->hide();
    Findings = new QListWidget(parent);
    Findings->setToolTip(QStringLiteral("The records whose label can't be printed, by line and field; double-click one "
                                        "to see it"));
    Findings->setMaximumHeight(6 * Findings->fontMetrics().lineSpacing());
    Findings->hide();
    connect(CheckAll, &QPushButton::clicked, this, [this] { CheckRecords(); });
    connect(Findings, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (const QVariant index = item->data(Qt::UserRole); index.isValid())
            ShowRecord(index.toLongLong() + 1);
    });
    connect(FirstRecord, &QToolButton::clicked, this, [this] { ShowRecord(1); });
    connect(PreviousRecord, &QToolButton::clicked, this, [this] { ShowRecord(RecordShown() - 1); });
    connect(NextRecord, &QToolButton::clicked, this, [this] { ShowRecord(RecordShown() + 1); });
    connect(LastRecord, &QToolButton::clicked, this, [this] { ShowRecord(data_ ? data_->Count() : 0); });
    connect(RecordNumber, &QSpinBox::valueChanged, this, [this](int n) {
        if (!filling_)
            ShowRecord(n);
    });
}

void LabelEditor::SetRecords(std::shared_ptr<const jobs::MergeData> data)
{
    data_ = std::move(data);
    record_ = -1;
    recordValues_.clear();
    check_.reset();
    Findings->clear();
    SetFields(data_ ? data_->FieldNames() : QStringList());
    RecordBar->setVisible(data_ != nullptr);
    Findings->hide(); // until there is something to list
    Preview->setToolTip(QStringLiteral("The label as a printer of %1 dpi prints it, %2. Click a part to choose it; drag "
                                       "it, or nudge it with the arrow keys (0.1 mm, with Shift 1 mm).")
                            .arg(dpi_)
                            .arg(data_ ? QStringLiteral("filled from the record shown under it")
                                       : QStringLiteral("its placeholders as label 1 of a run today fills them")));
    if (data_) {
        const bool was = std::exchange(filling_, true);
        RecordNumber->setRange(1, static_cast<int>(std::clamp<qint64>(data_->Count(), 1, INT_MAX)));
        filling_ = was;
        if (data_->Count() > 0) {
            ShowRecord(1);
            return;
        }
    }
    Refresh();
}

void LabelEditor::ShowRecord(qint64 number)
{
    if (!data_ || data_->Count() < 1)
        return;
    record_ = std::clamp<qint64>(number, 1, data_->Count()) - 1;
    recordValues_ = data_->Values(record_);
    Refresh();
}

void LabelEditor::ShowRecordState()
{
    if (!data_)
        return;
    const bool was = std::exchange(filling_, true);
    const qint64 shown = RecordShown();
    const qint64 count = data_->Count();
    RecordNumber->setValue(static_cast<int>(std::max<qint64>(shown, 1)));
    FirstRecord->setEnabled(shown > 1);
    PreviousRecord->setEnabled(shown > 1);
    NextRecord->setEnabled(shown > 0 && shown < count);
    LastRecord->setEnabled(shown > 0 && shown < count);
    filling_ = was;
    // The file by its name only: the bar is narrow.
    const QString place = QStringLiteral("%1:%2").arg(QFileInfo(data_->Name()).fileName()).arg(record_ < 0 ? 0 : data_->Line(record_));
    QString state = record_ < 0 ? QStringLiteral("of %1: the file has no records").arg(count)
                                : QStringLiteral("of %1 (%2)").arg(QLocale(QLocale::English).toString(count), place);
    // Marked when its parts can't be laid out, or the last check failed it
    // (a barcode that does not read back, a copies field that is no number).
    const QStringList problems = ProblemList();
    const bool fails = !problems.isEmpty() || (check_ && check_->IsBad(record_));
    if (fails)
        state += QStringLiteral(": its label can't be printed");
    RecordState->setText(state);
    QStringList why = problems;
    if (check_ && problems.isEmpty())
        for (const jobs::MergeFinding& finding : check_->findings)
            if (finding.index == record_)
                why << finding.failure.text;
    RecordState->setToolTip(why.join(QLatin1Char('\n')));
    RecordState->setStyleSheet(fails ? QStringLiteral("color: #b00020; font-weight: bold;") : QString());
    RecordState->setProperty("fails", fails);
}

void LabelEditor::CheckRecords()
{
    if (!data_)
        return;
    Findings->clear();
    check_.reset();
    core::Result<labels::PreparedLabel> prepared = labels::PrepareLabel(label_);
    jobs::MergePlan plan;
    if (prepared.ok())
        plan.label = std::make_shared<const labels::PreparedLabel>(std::move(*prepared));
    plan.data = data_;
    plan.options.today = QDate::currentDate();
    core::Result<jobs::MergeCheck> check = prepared.ok() ? jobs::CheckMerge(plan, dpi_) : prepared.failure();
    if (check.failed()) {
        // The label as a whole: no record would print.
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxCritical), check.failure().text, Findings);
        item->setToolTip(check.failure().text);
        Findings->show();
        ShowRecordState();
        return;
    }
    check_ = std::move(*check);
    Findings->show();
    const QLocale english(QLocale::English);
    if (check_->bad > 0)
        new QListWidgetItem(QStringLiteral("The labels of %1 of the %2 records can't be printed; double-click one to see it:")
                                .arg(english.toString(check_->bad), english.toString(check_->records)),
                            Findings);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const jobs::MergeFinding& finding : check_->findings) {
        // One line each in the list (a symbology's reason may break lines); whole in the tip.
        QString line = finding.failure.text;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        auto* item = new QListWidgetItem(warning, line, Findings);
        item->setData(Qt::UserRole, finding.index);
        item->setToolTip(finding.failure.text);
    }
    const QStringList lines = check_->Lines();
    if (lines.size() > static_cast<qsizetype>(check_->findings.size()))
        new QListWidgetItem(lines.back(), Findings);
    if (check_->bad == 0)
        new QListWidgetItem(QStringLiteral("The labels of all %1 records can be printed (%2 labels).")
                                .arg(english.toString(check_->records), english.toString(check_->labels)),
                            Findings);
    ShowRecordState();
}

labels::FillContext LabelEditor::PreviewContext() const
{
    labels::FillContext context;
    context.today = QDate::currentDate();
    context.run = 1;
    if (record_ >= 0) {
        // As a merge numbers its labels: the record's number in ${#} and ${n}.
        context.record = data_->Number(record_);
        context.run = context.record;
        context.fieldNames = std::span<const QString>(fields_.constData(), static_cast<size_t>(fields_.size()));
        context.fieldValues = std::span<const QString>(recordValues_.constData(), static_cast<size_t>(recordValues_.size()));
    }
    return context;
}

QWidget* LabelEditor::BuildBarcodePage()
{
    auto* page = new QWidget(Properties);
    auto* form = Form(page);
    form->setContentsMargins(0, 0, 0, 0);
    Symbology = new QComboBox(page);
    // By caption and by the name the command line and the file give it:
    // "UPC" (the window's own) and "UPC-A" (libzint's) are told apart.
    for (const symbols::SymbologyRow& row : symbols::Symbologies())
        Symbology->addItem(QStringLiteral("%1 (%2)").arg(QLatin1String(row.caption), QLatin1String(row.name)),
                           static_cast<int>(row.symbology));
    BarcodeText = new QLineEdit(page);
    BarcodeText->setToolTip(QStringLiteral("The barcode's text; ${n} is Run It's number, ${date} today"));
    SizeBy = new QComboBox(page);
    SizeBy->addItems({QStringLiteral("Module"), QStringLiteral("Width")});
    SizeBy->setToolTip(QStringLiteral("Module: the narrow bar's width. Width: the width the barcode is stretched to. "
                                      "Either way each module is whole printer dots."));
    BarcodeSize = NewLength(page);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(SizeBy);
    sizeRow->addWidget(BarcodeSize, 1);
    HasHeight = new QCheckBox(QStringLiteral("Height:"), page);
    HasHeight->setToolTip(QStringLiteral("The whole height, caption included; unticked: the symbology's own proportion"));
    BarcodeHeight = NewLength(page);
    Caption = new QCheckBox(QStringLiteral("Caption:"), page);
    Caption->setToolTip(QStringLiteral("The text under the bars"));
    CaptionSize = Points(page);
    Ecc = new QComboBox(page);
    Ecc->addItems({QStringLiteral("L"), QStringLiteral("M"), QStringLiteral("Q"), QStringLiteral("H")});
    Columns = new QSpinBox(page);
    Columns->setRange(0, 30);
    Columns->setSpecialValueText(QStringLiteral("Auto"));
    Rectangular = new QCheckBox(QStringLiteral("Rectangular"), page);
    form->addRow(QStringLiteral("Symbology:"), Symbology);
    form->addRow(QStringLiteral("Text:"), WithFieldButton(page, BarcodeText, BarcodeField));
    form->addRow(QStringLiteral("Size by:"), sizeRow);
    form->addRow(HasHeight, BarcodeHeight);
    form->addRow(Caption, CaptionSize);
    form->addRow(QStringLiteral("Error correction:"), Ecc);
    form->addRow(QStringLiteral("Columns:"), Columns);
    form->addRow(QString(), Rectangular);
    return page;
}

QWidget* LabelEditor::BuildTextPage()
{
    auto* page = new QWidget(Properties);
    auto* form = Form(page);
    form->setContentsMargins(0, 0, 0, 0);
    Text = new QLineEdit(page);
    Text->setToolTip(QStringLiteral("One line of text; ${n} is Run It's number, ${date} today"));
    Font = new QComboBox(page);
    Font->setEditable(true);
    Font->addItems(QFontDatabase::families());
    Font->setInsertPolicy(QComboBox::NoInsert);
    TextSize = Points(page);
    Bold = new QCheckBox(QStringLiteral("Bold"), page);
    Alignment = new QComboBox(page);
    Alignment->addItems({QStringLiteral("Left"), QStringLiteral("Centre"), QStringLiteral("Right")});
    Alignment->setToolTip(QStringLiteral("In the box, when the text has one"));
    HasBox = new QCheckBox(QStringLiteral("Box width:"), page);
    HasBox->setToolTip(QStringLiteral("A text wider than its box is set smaller, down to the minimum size; below that "
                                      "it is refused, never cut"));
    BoxWidth = NewLength(page);
    MinimumSize = Points(page);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(TextSize, 1);
    sizeRow->addWidget(Bold);
    form->addRow(QStringLiteral("Text:"), WithFieldButton(page, Text, TextField));
    form->addRow(QStringLiteral("Font:"), Font);
    form->addRow(QStringLiteral("Size:"), sizeRow);
    form->addRow(QStringLiteral("Alignment:"), Alignment);
    form->addRow(HasBox, BoxWidth);
    form->addRow(QStringLiteral("Minimum size:"), MinimumSize);
    return page;
}

QWidget* LabelEditor::BuildLinePage()
{
    auto* page = new QWidget(Properties);
    auto* form = Form(page);
    form->setContentsMargins(0, 0, 0, 0);
    // A line may end anywhere a part may start.
    QHBoxLayout* end = NewLengthPair(page, EndX, EndY, -labels::kMaxLabelMm);
    LineStroke = NewLength(page);
    form->addRow(QStringLiteral("End:"), end);
    form->addRow(QStringLiteral("Stroke:"), LineStroke);
    return page;
}

QWidget* LabelEditor::BuildBoxPage()
{
    auto* page = new QWidget(Properties);
    auto* form = Form(page);
    form->setContentsMargins(0, 0, 0, 0);
    QHBoxLayout* size = NewLengthPair(page, FrameWidth, FrameHeight);
    FrameStroke = NewLength(page);
    form->addRow(QStringLiteral("Size:"), size);
    form->addRow(QStringLiteral("Stroke:"), FrameStroke);
    return page;
}

void LabelEditor::ConnectControls()
{
    connect(Preview, &LabelPreview::PartPressed, this, [this](int index) { SelectPart(index); });
    connect(Preview, &LabelPreview::Dragging, this, [this](QPointF offset) { DragTo(offset); });
    connect(Preview, &LabelPreview::DragEnded, this, [this](QPointF offset) { EndDrag(offset); });
    connect(Preview, &LabelPreview::Nudged, this, [this](QPointF offset) {
        MoveSelectedBy(offset, QStringLiteral("Nudge part %1").arg(selected_ + 1), QStringLiteral("nudge"));
    });
    connect(Preview, &LabelPreview::DeletePressed, this, [this] { RemovePart(); });
    connect(Parts, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_)
            SelectPart(row);
    });

    connect(AddBarcode, &QPushButton::clicked, this, [this] {
        BarcodePart b;
        b.text = QStringLiteral("12345678");
        b.moduleMm = 0.33;
        b.heightMm = std::min(15.0, std::max(1.0, label_.sizeMm.height() - 4));
        b.caption = true;
        AddPart(Part{FreePlace(), b});
    });
    connect(AddText, &QPushButton::clicked, this, [this] {
        TextPart t;
        t.text = QStringLiteral("Text");
        AddPart(Part{FreePlace(), t});
    });
    connect(AddLine, &QPushButton::clicked, this, [this] {
        const double y = Tidy(label_.sizeMm.height() / 2);
        AddPart(Part{{2, y}, LinePart{QPointF(Tidy(std::max(2.1, label_.sizeMm.width() - 2)), y)}});
    });
    connect(AddBox, &QPushButton::clicked, this, [this] {
        const QSizeF s = label_.sizeMm;
        AddPart(Part{{1, 1}, BoxPart{QSizeF(Tidy(std::max(0.1, s.width() - 2)), Tidy(std::max(0.1, s.height() - 2)))}});
    });
    connect(Remove, &QPushButton::clicked, this, [this] { RemovePart(); });
    connect(MoveUp, &QPushButton::clicked, this, [this] { MovePart(-1); });
    connect(MoveDown, &QPushButton::clicked, this, [this] { MovePart(1); });

    // A control's change, unless the label is being shown in it.
    const auto onLength = [this](QDoubleSpinBox* box, auto apply) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, box, apply] {
            if (!filling_)
                apply(Tidy(Mm(box->value())));
        });
    };
    const auto onNumber = [this](QDoubleSpinBox* box, auto apply) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, apply](double v) {
            if (!filling_)
                apply(v);
        });
    };
    const auto barcode = [this](const QString& what, const QString& field, auto change) {
        ChangePart(what, field, [change](Part& p) {
            if (auto* x = std::get_if<BarcodePart>(&p.what))
                change(*x);
        });
    };
    const auto text = [this](const QString& what, const QString& field, auto change) {
        ChangePart(what, field, [change](Part& p) {
            if (auto* x = std::get_if<TextPart>(&p.what))
                change(*x);
        });
    };

    onLength(LabelWidth, [this](double mm) {
        Change(QStringLiteral("Label width"), QStringLiteral("label.width"), [mm](labels::Label& l) { l.sizeMm.setWidth(mm); });
    });
    onLength(LabelHeight, [this](double mm) {
        Change(QStringLiteral("Label height"), QStringLiteral("label.height"), [mm](labels::Label& l) { l.sizeMm.setHeight(mm); });
    });
    connect(Unit, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_)
            return;
        Change(QStringLiteral("Unit"), {}, [index](labels::Label& l) {
            l.unit = index == 1 ? labels::LengthUnit::Inch : labels::LengthUnit::Mm;
        });
    });
    onLength(PartX, [this](double mm) {
        ChangePart(QStringLiteral("Place"), QStringLiteral("x"), [mm](Part& p) { p = Moved(p, {mm - p.atMm.x(), 0}, Tidy); });
    });
    onLength(PartY, [this](double mm) {
        ChangePart(QStringLiteral("Place"), QStringLiteral("y"), [mm](Part& p) { p = Moved(p, {0, mm - p.atMm.y()}, Tidy); });
    });

    // A barcode
    connect(Symbology, &QComboBox::currentIndexChanged, this, [this, barcode] {
        if (filling_)
            return;
        const auto s = static_cast<symbols::Symbology>(Symbology->currentData().toInt());
        barcode(QStringLiteral("Symbology"), {}, [s](BarcodePart& b) {
            b.symbology = s;
            // A 2D code's height follows its module, and it has no caption.
            if (TwoD(s)) {
                b.heightMm.reset();
                b.caption = false;
            }
        });
    });
    connect(BarcodeText, &QLineEdit::textEdited, this, [barcode](const QString& t) {
        barcode(QStringLiteral("Barcode text"), QStringLiteral("barcode.text"), [t](BarcodePart& b) { b.text = t; });
    });
    connect(SizeBy, &QComboBox::currentIndexChanged, this, [this, barcode](int index) {
        if (filling_ || selected_ < 0)
            return;
        // From one to the other at the size the barcode has now.
        const auto& laid = laidOut_[static_cast<size_t>(selected_)];
        const double widthMm = laid.ok() ? Tidy(labels::DotsToMm(laid->box.width(), dpi_)) : 40;
        const double moduleMm = laid.ok() ? Tidy(labels::DotsToMm(laid->drawing.module, dpi_)) : 0.33;
        barcode(QStringLiteral("Size by"), {}, [=](BarcodePart& b) {
            if (index == 1) {
                b.widthMm = widthMm;
                b.moduleMm.reset();
            } else {
                b.moduleMm = moduleMm;
                b.widthMm.reset();
            }
        });
    });
    onLength(BarcodeSize, [barcode](double mm) {
        barcode(QStringLiteral("Barcode size"), QStringLiteral("barcode.size"), [mm](BarcodePart& b) {
            (b.widthMm ? b.widthMm : b.moduleMm) = mm;
        });
    });
    connect(HasHeight, &QCheckBox::toggled, this, [this, barcode](bool on) {
        if (filling_ || selected_ < 0)
            return;
        const auto& laid = laidOut_[static_cast<size_t>(selected_)];
        const double heightMm = laid.ok() ? Tidy(labels::DotsToMm(laid->box.height(), dpi_)) : 15;
        barcode(QStringLiteral("Barcode height"), {}, [=](BarcodePart& b) {
            b.heightMm = on ? std::optional(heightMm) : std::nullopt;
        });
    });
    onLength(BarcodeHeight, [barcode](double mm) {
        barcode(QStringLiteral("Barcode height"), QStringLiteral("barcode.height"), [mm](BarcodePart& b) { b.heightMm = mm; });
    });
    connect(Caption, &QCheckBox::toggled, this, [this, barcode](bool on) {
        if (!filling_)
            barcode(QStringLiteral("Caption"), {}, [on](BarcodePart& b) { b.caption = on; });
    });
    onNumber(CaptionSize, [barcode](double pt) {
        barcode(QStringLiteral("Caption size"), QStringLiteral("barcode.captionPt"), [pt](BarcodePart& b) { b.captionPoints = pt; });
    });
    connect(Ecc, &QComboBox::currentTextChanged, this, [this, barcode](const QString& level) {
        if (!filling_ && level.size() == 1)
            barcode(QStringLiteral("Error correction"), {},
                    [c = level.front().toLatin1()](BarcodePart& b) { b.library.qrEcc = c; });
    });
    connect(Columns, &QSpinBox::valueChanged, this, [this, barcode](int n) {
        if (!filling_)
            barcode(QStringLiteral("Columns"), QStringLiteral("barcode.columns"), [n](BarcodePart& b) { b.library.pdf417Columns = n; });
    });
    connect(Rectangular, &QCheckBox::toggled, this, [this, barcode](bool on) {
        if (!filling_)
            barcode(QStringLiteral("Rectangular"), {}, [on](BarcodePart& b) { b.library.rectangular = on; });
    });

    // A text
    connect(Text, &QLineEdit::textEdited, this, [text](const QString& t) {
        text(QStringLiteral("Text"), QStringLiteral("text.text"), [t](TextPart& p) { p.text = t; });
    });
    connect(Font, &QComboBox::currentTextChanged, this, [this, text](const QString& family) {
        // A font of no name is no font: the box keeps it while it is typed.
        if (!filling_ && !family.trimmed().isEmpty())
            text(QStringLiteral("Font"), QStringLiteral("text.font"), [family](TextPart& p) { p.font = family; });
    });
    onNumber(TextSize, [text](double pt) {
        text(QStringLiteral("Text size"), QStringLiteral("text.size"), [pt](TextPart& p) {
            p.points = pt;
            p.minPoints = std::min(p.minPoints, pt); // the minimum is never above the size
        });
    });
    connect(Bold, &QCheckBox::toggled, this, [this, text](bool on) {
        if (!filling_)
            text(QStringLiteral("Bold"), {}, [on](TextPart& p) { p.bold = on; });
    });
    connect(Alignment, &QComboBox::currentIndexChanged, this, [this, text](int index) {
        if (!filling_)
            text(QStringLiteral("Alignment"), {}, [index](TextPart& p) {
                p.align = index == 2 ? labels::Align::Right : index == 1 ? labels::Align::Centre : labels::Align::Left;
            });
    });
    connect(HasBox, &QCheckBox::toggled, this, [this, text](bool on) {
        if (filling_ || selected_ < 0)
            return;
        const auto& laid = laidOut_[static_cast<size_t>(selected_)];
        const double widthMm = laid.ok() ? Tidy(labels::DotsToMm(laid->box.width(), dpi_)) : 40;
        text(QStringLiteral("Text box"), {}, [=](TextPart& p) {
            p.boxWidthMm = on ? std::optional(widthMm) : std::nullopt;
            p.minPoints = std::min(p.minPoints, p.points);
        });
    });
    onLength(BoxWidth, [text](double mm) {
        text(QStringLiteral("Box width"), QStringLiteral("text.box"), [mm](TextPart& p) { p.boxWidthMm = mm; });
    });
    onNumber(MinimumSize, [text](double pt) {
        text(QStringLiteral("Minimum size"), QStringLiteral("text.min"), [pt](TextPart& p) { p.minPoints = std::min(pt, p.points); });
    });

    // A line, a box
    const auto line = [this](const QString& field, auto change) {
        ChangePart(QStringLiteral("Line"), field, [change](Part& p) {
            if (auto* x = std::get_if<LinePart>(&p.what))
                change(*x);
        });
    };
    const auto frame = [this](const QString& field, auto change) {
        ChangePart(QStringLiteral("Box"), field, [change](Part& p) {
            if (auto* x = std::get_if<BoxPart>(&p.what))
                change(*x);
        });
    };
    onLength(EndX, [line](double mm) { line(QStringLiteral("line.endX"), [mm](LinePart& l) { l.endMm.setX(mm); }); });
    onLength(EndY, [line](double mm) { line(QStringLiteral("line.endY"), [mm](LinePart& l) { l.endMm.setY(mm); }); });
    onLength(LineStroke, [line](double mm) { line(QStringLiteral("line.stroke"), [mm](LinePart& l) { l.strokeMm = mm; }); });
    onLength(FrameWidth, [frame](double mm) { frame(QStringLiteral("box.width"), [mm](BoxPart& b) { b.sizeMm.setWidth(mm); }); });
    onLength(FrameHeight, [frame](double mm) { frame(QStringLiteral("box.height"), [mm](BoxPart& b) { b.sizeMm.setHeight(mm); }); });
    onLength(FrameStroke, [frame](double mm) { frame(QStringLiteral("box.stroke"), [mm](BoxPart& b) { b.strokeMm = mm; }); });
}

// ------------------------------------------------------------------ changes

void LabelEditor::Change(const QString& what, const QString& mergeKey, const std::function<void(labels::Label&)>& change,
                         int selectAfter)
{
    labels::Label after = label_;
    change(after);
    const int selected = selectAfter == -2 ? selected_ : selectAfter;
    if (selected == selected_ && labels::LabelToJson(after) == labels::LabelToJson(label_)) {
        // Nothing the file holds changed (a minimum size while the text has
        // no box): kept, with nothing to undo.
        label_ = std::move(after);
        return;
    }
    undo_->push(new LabelChange(*this, what, mergeKey, label_, std::move(after), selected_, selected));
}

void LabelEditor::ChangePart(const QString& what, const QString& field, const std::function<void(Part&)>& change)
{
    if (selected_ < 0 || selected_ >= static_cast<int>(label_.parts.size()))
        return;
    const int index = selected_;
    Change(QStringLiteral("%1 (part %2)").arg(what).arg(index + 1),
           field.isEmpty() ? QString() : QStringLiteral("part%1.%2").arg(index).arg(field),
           [&](labels::Label& l) { change(l.parts[static_cast<size_t>(index)]); });
}

void LabelEditor::SetState(const labels::Label& label, int selected)
{
    label_ = label;
    selected_ = std::clamp(selected, -1, static_cast<int>(label_.parts.size()) - 1);
    ForgetCheck();
    Refresh();
}

void LabelEditor::ForgetCheck()
{
    if (Findings->count() == 0)
        return;
    check_.reset();
    Findings->clear();
    new QListWidgetItem(QStringLiteral("The label changed since the last check: check again."), Findings);
}

void LabelEditor::SelectPart(int index)
{
    index = std::clamp(index, -1, static_cast<int>(label_.parts.size()) - 1);
    if (index == selected_)
        return;
    selected_ = index;
    ShowPreview();
    ShowList();
    ShowProperties();
}

QPointF LabelEditor::FreePlace() const
{
    // Under the lowest part that is drawn, where there is room left.
    double below = 0;
    for (const auto& laid : laidOut_)
        if (laid.ok())
            below = std::max(below, labels::DotsToMm(laid->box.bottom() + 1, dpi_));
    const double y = Tidy(below + 1);
    return QPointF(2, below > 0 && y + 5 < label_.sizeMm.height() ? y : 2);
}

void LabelEditor::AddPart(Part part)
{
    const int index = static_cast<int>(label_.parts.size());
    Change(QStringLiteral("Add %1").arg(labels::KindName(part)), {},
           [&](labels::Label& l) { l.parts.push_back(std::move(part)); }, index);
}

void LabelEditor::RemovePart()
{
    if (selected_ < 0)
        return;
    const int index = selected_;
    const int count = static_cast<int>(label_.parts.size());
    Change(QStringLiteral("Remove part %1").arg(index + 1), {},
           [index](labels::Label& l) { l.parts.erase(l.parts.begin() + index); }, index + 1 < count ? index : index - 1);
}

void LabelEditor::MovePart(int by)
{
    const int from = selected_, to = selected_ + by;
    if (from < 0 || to < 0 || to >= static_cast<int>(label_.parts.size()))
        return;
    Change(by < 0 ? QStringLiteral("Part %1 up").arg(from + 1) : QStringLiteral("Part %1 down").arg(from + 1), {},
           [=](labels::Label& l) { std::swap(l.parts[static_cast<size_t>(from)], l.parts[static_cast<size_t>(to)]); }, to);
}

void LabelEditor::MoveSelectedBy(QPointF offsetMm, const QString& what, const QString& mergeKey)
{
    if (selected_ < 0)
        return;
    const int index = selected_;
    Change(what, mergeKey.isEmpty() ? QString() : QStringLiteral("part%1.%2").arg(index).arg(mergeKey),
           [&](labels::Label& l) { l.parts[static_cast<size_t>(index)] = Moved(l.parts[static_cast<size_t>(index)], offsetMm, Tidy); });
}

void LabelEditor::DragTo(QPointF offsetMm)
{
    if (selected_ < 0)
        return;
    if (!dragFrom_)
        dragFrom_ = label_;
    const auto index = static_cast<size_t>(selected_);
    // Dragged parts land on tenths of a millimetre: the file keeps round
    // numbers, and the arrow keys move from there.
    label_.parts[index] = Moved(dragFrom_->parts[index], offsetMm, OnTenth);
    laidOut_[index] = labels::LayOutPart(label_, index, PreviewContext(), dpi_);
    ShowPreview();
    ShowProperties();
}

void LabelEditor::EndDrag(QPointF offsetMm)
{
    if (selected_ < 0 || !dragFrom_)
        return;
    DragTo(offsetMm);
    labels::Label before = std::move(*dragFrom_);
    dragFrom_.reset();
    if (labels::LabelToJson(before) == labels::LabelToJson(label_))
        return;
    undo_->push(new LabelChange(*this, QStringLiteral("Drag part %1").arg(selected_ + 1), {}, std::move(before), label_,
                                selected_, selected_));
}

// ------------------------------------------------------------------ showing

void LabelEditor::Refresh()
{
    laidOut_.clear();
    laidOut_.reserve(label_.parts.size());
    const labels::FillContext context = PreviewContext();
    for (size_t i = 0; i < label_.parts.size(); ++i)
        laidOut_.push_back(labels::LayOutPart(label_, i, context, dpi_));
    ShowPreview();
    ShowList();
    ShowProperties();
    ShowTitle();
    ShowRecordState();
}

QStringList LabelEditor::ProblemList() const
{
    QStringList lines;
    for (const auto& laid : laidOut_)
        if (laid.failed())
            lines << laid.failure().text;
    return lines;
}

QString LabelEditor::Problems() const { return ProblemList().join(QLatin1Char('\n')); }

void LabelEditor::ShowPreview()
{
    Preview->Show(label_, laidOut_, dpi_, selected_);
    QStringList lines = ProblemList();
    if (lines.isEmpty()) {
        ProblemText->setStyleSheet({});
        ProblemText->setText(QStringLiteral("Every part is on the label. Drag a part, or nudge it with the arrow keys "
                                            "(0.1 mm; with Shift 1 mm)."));
    } else {
        ProblemText->setStyleSheet(QStringLiteral("color: #b00020;"));
        // A few reasons here; every one in its part's tip in the list.
        constexpr int kShown = 4;
        if (lines.size() > kShown) {
            const qsizetype more = lines.size() - (kShown - 1);
            lines = lines.mid(0, kShown - 1);
            lines << QStringLiteral("\u2026and %1 more parts that can't be drawn (their reasons are in the list).").arg(more);
        }
        ProblemText->setText(lines.join(QLatin1Char('\n')));
    }
}

void LabelEditor::ShowList()
{
    const bool was = std::exchange(filling_, true);
    const int count = static_cast<int>(label_.parts.size());
    while (Parts->count() > count)
        delete Parts->takeItem(Parts->count() - 1);
    while (Parts->count() < count)
        Parts->addItem(QString());
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int i = 0; i < count; ++i) {
        QListWidgetItem* item = Parts->item(i);
        const auto& laid = laidOut_[static_cast<size_t>(i)];
        item->setText(ListText(label_.parts[static_cast<size_t>(i)], i + 1));
        item->setIcon(laid.ok() ? QIcon() : warning);
        item->setToolTip(laid.ok() ? QString() : laid.failure().text);
    }
    Parts->setCurrentRow(selected_);
    Remove->setEnabled(selected_ >= 0);
    MoveUp->setEnabled(selected_ > 0);
    MoveDown->setEnabled(selected_ >= 0 && selected_ + 1 < count);
    filling_ = was;
}

double LabelEditor::Shown(double mm) const { return label_.unit == labels::LengthUnit::Inch ? mm / labels::kMmPerInch : mm; }
double LabelEditor::Mm(double shown) const
{
    return label_.unit == labels::LengthUnit::Inch ? shown * labels::kMmPerInch : shown;
}

void LabelEditor::SetLength(QDoubleSpinBox* box, double mm)
{
    const double shown = Shown(mm);
    if (std::abs(box->value() - shown) >= 0.5 * std::pow(10.0, -box->decimals()))
        box->setValue(shown);
}

void LabelEditor::ShowUnit()
{
    const bool was = std::exchange(filling_, true);
    const bool inches = label_.unit == labels::LengthUnit::Inch;
    for (QDoubleSpinBox* box : lengths_) {
        box->setDecimals(inches ? 3 : 2);
        box->setSingleStep(inches ? 0.01 : 0.1);
        box->setSuffix(inches ? QStringLiteral(" in") : QStringLiteral(" mm"));
        box->setRange(Shown(box->property("lowMm").toDouble()), Shown(labels::kMaxLabelMm));
    }
    Unit->setCurrentIndex(inches ? 1 : 0);
    unitShown_ = label_.unit;
    filling_ = was;
}

void LabelEditor::ShowProperties()
{
    const bool was = std::exchange(filling_, true);
    if (unitShown_ != label_.unit)
        ShowUnit();
    SetLength(LabelWidth, label_.sizeMm.width());
    SetLength(LabelHeight, label_.sizeMm.height());
    auto* group = qobject_cast<QGroupBox*>(Properties->parentWidget());
    if (selected_ < 0) {
        Properties->setCurrentIndex(kNoPart);
        PartX->setEnabled(false);
        PartY->setEnabled(false);
        group->setTitle(QStringLiteral("Part"));
        filling_ = was;
        return;
    }
    const Part& part = label_.parts[static_cast<size_t>(selected_)];
    group->setTitle(QStringLiteral("Part %1: %2").arg(selected_ + 1).arg(labels::KindName(part)));
    PartX->setEnabled(true);
    PartY->setEnabled(true);
    SetLength(PartX, part.atMm.x());
    SetLength(PartY, part.atMm.y());
    const auto setText = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text)
            edit->setText(text); // a text being typed keeps its cursor
    };
    if (const auto* b = std::get_if<BarcodePart>(&part.what)) {
        Properties->setCurrentIndex(kBarcodePage);
        Symbology->setCurrentIndex(Symbology->findData(static_cast<int>(b->symbology)));
        setText(BarcodeText, b->text);
        SizeBy->setCurrentIndex(b->widthMm ? 1 : 0);
        SetLength(BarcodeSize, b->widthMm.value_or(b->moduleMm.value_or(0.33)));
        const bool twoD = TwoD(b->symbology);
        HasHeight->setChecked(b->heightMm.has_value());
        HasHeight->setEnabled(!twoD || b->heightMm);
        BarcodeHeight->setEnabled(b->heightMm.has_value());
        // Without a height of its own, the box shows (greyed) the height it has.
        const auto& laid = laidOut_[static_cast<size_t>(selected_)];
        if (b->heightMm)
            SetLength(BarcodeHeight, *b->heightMm);
        else if (laid.ok())
            SetLength(BarcodeHeight, labels::DotsToMm(laid->box.height(), dpi_));
        Caption->setChecked(b->caption);
        Caption->setEnabled(!twoD || b->caption);
        CaptionSize->setValue(b->captionPoints);
        CaptionSize->setEnabled(b->caption);
        const symbols::OwnOption own = symbols::RowOf(b->symbology).ownOption;
        auto* form = qobject_cast<QFormLayout*>(Ecc->parentWidget()->layout());
        form->setRowVisible(Ecc, own == symbols::OwnOption::QrEcc);
        form->setRowVisible(Columns, own == symbols::OwnOption::Pdf417Columns);
        form->setRowVisible(Rectangular, own == symbols::OwnOption::Rectangular);
        Ecc->setCurrentText(QString(QLatin1Char(b->library.qrEcc)));
        Columns->setValue(b->library.pdf417Columns);
        Rectangular->setChecked(b->library.rectangular);
    } else if (const auto* t = std::get_if<TextPart>(&part.what)) {
        Properties->setCurrentIndex(kTextPage);
        setText(Text, t->text);
        if (Font->currentText() != t->font)
            Font->setCurrentText(t->font);
        if (std::abs(TextSize->value() - t->points) > 0.01)
            TextSize->setValue(t->points);
        Bold->setChecked(t->bold);
        Alignment->setCurrentIndex(t->align == labels::Align::Right ? 2 : t->align == labels::Align::Centre ? 1 : 0);
        HasBox->setChecked(t->boxWidthMm.has_value());
        BoxWidth->setEnabled(t->boxWidthMm.has_value());
        MinimumSize->setEnabled(t->boxWidthMm.has_value());
        const auto& laid = laidOut_[static_cast<size_t>(selected_)];
        if (t->boxWidthMm)
            SetLength(BoxWidth, *t->boxWidthMm);
        else if (laid.ok())
            SetLength(BoxWidth, labels::DotsToMm(laid->box.width(), dpi_));
        if (std::abs(MinimumSize->value() - t->minPoints) > 0.01)
            MinimumSize->setValue(t->minPoints);
    } else if (const auto* l = std::get_if<LinePart>(&part.what)) {
        Properties->setCurrentIndex(kLinePage);
        SetLength(EndX, l->endMm.x());
        SetLength(EndY, l->endMm.y());
        SetLength(LineStroke, l->strokeMm);
    } else if (const auto* f = std::get_if<BoxPart>(&part.what)) {
        Properties->setCurrentIndex(kBoxPage);
        SetLength(FrameWidth, f->sizeMm.width());
        SetLength(FrameHeight, f->sizeMm.height());
        SetLength(FrameStroke, f->strokeMm);
    }
    filling_ = was;
}

void LabelEditor::ShowTitle()
{
    const QString name = path_.isEmpty() ? QStringLiteral("new label") : QFileInfo(path_).fileName();
    setWindowTitle(QStringLiteral("Label \u2013 %1[*]").arg(name));
    setWindowModified(IsModified());
}

bool LabelEditor::IsModified() const { return !undo_->isClean(); }

// ------------------------------------------------------------------ files

core::Status LabelEditor::OpenFile(const QString& path)
{
    core::Result<labels::Label> loaded = labels::LoadLabel(path);
    if (loaded.failed()) {
        messages_.MsgBox(loaded.failure().text);
        return loaded.failure();
    }
    dragFrom_.reset();
    undo_->clear();
    label_ = std::move(loaded.value());
    path_ = path;
    ForgetCheck();
    selected_ = label_.parts.empty() ? -1 : 0;
    ShowUnit();
    Refresh();
    return core::Ok();
}

core::Status LabelEditor::Save()
{
    if (path_.isEmpty()) {
        SaveAsClicked();
        return IsModified() ? core::Status(core::Failure{core::kCannotWrite, QStringLiteral("The label was not saved.")})
                            : core::Ok();
    }
    return SaveAs(path_);
}

core::Status LabelEditor::SaveAs(const QString& path)
{
    const core::Status saved = labels::SaveLabel(label_, path);
    if (saved.failed()) {
        messages_.MsgBox(saved.failure().text);
        return saved;
    }
    path_ = path;
    undo_->setClean();
    ShowTitle();
    return core::Ok();
}

void LabelEditor::OpenClicked()
{
    if (!MayDiscard())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open Label File"), QFileInfo(path_).absolutePath(),
                                                      QStringLiteral("Label files (*.json);;All files (*)"));
    if (!path.isEmpty())
        (void)OpenFile(path);
}

void LabelEditor::SaveAsClicked()
{
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Label File"),
                                                path_.isEmpty() ? QStringLiteral("label.json") : path_,
                                                QStringLiteral("Label files (*.json);;All files (*)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".json");
    (void)SaveAs(path);
}

bool LabelEditor::MayDiscard()
{
    if (!IsModified())
        return true;
    switch (AskUnsaved()) {
    case QMessageBox::Save: return Save().ok();
    case QMessageBox::Discard: return true;
    default: return false;
    }
}

void LabelEditor::reject()
{
    if (MayDiscard())
        QDialog::reject();
}

} // namespace ui
