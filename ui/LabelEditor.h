// Options > "Label…": the label editor. The label's size and unit, its
// parts in a list (added, removed, put earlier or later) with the chosen
// part's properties, and a preview where a part is taken with the mouse,
// dragged, and nudged with the arrow keys; every change can be undone.
// Label files are opened and saved through labels/LabelFile. What is
// edited is a labels::Label, which the window can take from the editor
// when it closes.
#pragma once

#include "core/Result.h"
#include "jobs/DataMerge.h"
#include "labels/Label.h"
#include "labels/LabelLayout.h"
#include "services/Messages.h"

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QMenu;
class QToolButton;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QUndoStack;

namespace ui {

class LabelPreview;

// A label to begin with: the barcode of the window (its symbology, text
// and caption) on a label of 60 × 30 mm.
labels::Label StarterLabel(symbols::Symbology symbology, const QString& text, bool caption);

class LabelEditor : public QDialog {
    Q_OBJECT
public:
    // Edits `label`, which was read from `path` (empty: a label of no file
    // yet). Messages about files (one that can't be read or written) go
    // to `messages`; the preview lays the label out for a printer of `dpi`.
    LabelEditor(labels::Label label, QString path, services::MessageSink& messages, QWidget* parent = nullptr,
                double dpi = 300);
    ~LabelEditor() override;

    const labels::Label& EditedLabel() const { return label_; }
    const QString& FilePath() const { return path_; }
    // Changed since it was opened or last saved.
    bool IsModified() const;
    QUndoStack& Undo() const { return *undo_; }

    // Reads the label file into the editor, in place of the label edited
    // (which the caller asked about first). A file that can't be read
    // changes nothing: the failure is shown and returned.
    core::Status OpenFile(const QString& path);
    // Writes the label to its file, or to `path`, which becomes its file.
    // A failure is shown and returned; the file there stays as it was.
    core::Status Save();
    core::Status SaveAs(const QString& path);

    // The part chosen, counted from 0; -1: none.
    int SelectedPart() const { return selected_; }
    void SelectPart(int index);
    // Why each part that can't be drawn can't, one line each, as the dialog
    // shows it; empty when every part can be drawn.
    QString Problems() const;
    // Each part as the preview shows it laid out (its text filled), or why it can't be.
    const std::vector<core::Result<labels::LaidOutPart>>& LaidOut() const { return laidOut_; }

    // Asks whether the changes not saved are saved (Save), dropped (Discard)
    // or kept open (Cancel) before the editor closes or opens another file.
    // A message box by default; a test answers for itself.
    std::function<QMessageBox::StandardButton()> AskUnsaved;

    // The fields of the merge data, offered beside a barcode's or a text's
    // text (FieldMenu); none: there is no merge data.
    void SetFields(const QStringList& fields);
    // Inserts "${field}" at the cursor of the chosen part's text.
    void InsertField(const QString& field);

    // Merge data: its fields are offered (SetFields), and the preview fills
    // the label from one record at a time, stepped through with the record
    // bar; a record whose label can't be made is marked, with why. None:
    // the preview shows label 1 of a run, and the bar is hidden.
    void SetRecords(std::shared_ptr<const jobs::MergeData> data);
    // Shows record `number` (from 1; clamped to the records there are).
    void ShowRecord(qint64 number);
    // The record the preview shows, from 1; 0 without merge data.
    qint64 RecordShown() const { return record_ + 1; }
    // Checks the label of every record as a print would (CheckMerge, at
    // the preview's resolution) and lists what it finds in Findings; the
    // label itself failing (a field the data lacks) is the one finding.
    void CheckRecords();

    // Closes, asking first about changes not saved.
    void reject() override;

    // The controls, as tests and the window reach them.
    LabelPreview* Preview = nullptr;
    QListWidget* Parts = nullptr;
    QPushButton *AddBarcode = nullptr, *AddText = nullptr, *AddLine = nullptr, *AddBox = nullptr;
    QPushButton *Remove = nullptr, *MoveUp = nullptr, *MoveDown = nullptr;
    QLabel* ProblemText = nullptr; // the parts that can't be drawn, and why
    // The record bar, under the preview while there is merge data.
    QWidget* RecordBar = nullptr;
    QToolButton *FirstRecord = nullptr, *PreviousRecord = nullptr, *NextRecord = nullptr, *LastRecord = nullptr;
    QSpinBox* RecordNumber = nullptr; // the record shown; typing a number goes to it
    QLabel* RecordState = nullptr;    // "of 1,204, items.csv:17", and whether its label can be made
    QPushButton* CheckAll = nullptr;  // "Check All Records"
    // The check's findings, each naming the record's line and the field;
    // double-clicking one shows its record.
    QListWidget* Findings = nullptr;
    // The label
    QDoubleSpinBox *LabelWidth = nullptr, *LabelHeight = nullptr;
    QComboBox* Unit = nullptr; // mm, in
    // The part chosen: its place (a line's start), on every page
    QStackedWidget* Properties = nullptr;
    QDoubleSpinBox *PartX = nullptr, *PartY = nullptr;
    // A barcode
    QComboBox* Symbology = nullptr;
    QLineEdit* BarcodeText = nullptr;
    QToolButton* BarcodeField = nullptr; // opens FieldMenu
    QComboBox* SizeBy = nullptr; // "Module", "Width"
    QDoubleSpinBox* BarcodeSize = nullptr;
    QCheckBox* HasHeight = nullptr;
    QDoubleSpinBox* BarcodeHeight = nullptr;
    QCheckBox* Caption = nullptr;
    QDoubleSpinBox* CaptionSize = nullptr;
    QComboBox* Ecc = nullptr;
    QSpinBox* Columns = nullptr;
    QCheckBox* Rectangular = nullptr;
    // A text
    QLineEdit* Text = nullptr;
    QToolButton* TextField = nullptr;
    QMenu* FieldMenu = nullptr; // a ${field} for each field of the merge data
    QComboBox* Font = nullptr;
    QDoubleSpinBox* TextSize = nullptr;
    QCheckBox* Bold = nullptr;
    QComboBox* Alignment = nullptr; // left, centre, right
    QCheckBox* HasBox = nullptr;
    QDoubleSpinBox* BoxWidth = nullptr;
    QDoubleSpinBox* MinimumSize = nullptr;
    // A line
    QDoubleSpinBox *EndX = nullptr, *EndY = nullptr, *LineStroke = nullptr;
    // A box
    QDoubleSpinBox *FrameWidth = nullptr, *FrameHeight = nullptr, *FrameStroke = nullptr;

private:
    friend class LabelChange;

    void BuildControls();
    QWidget* BuildBarcodePage();
    QWidget* BuildTextPage();
    QWidget* BuildLinePage();
    QWidget* BuildBoxPage();
    // The text box with the button that opens the menu of fields.
    QHBoxLayout* WithFieldButton(QWidget* page, QLineEdit* edit, QToolButton*& button);
    void ConnectControls();

    // Puts a change on the undo stack and makes it: `change` edits a copy
    // of the label. Changes with the same `mergeKey` one after the other
    // (the keystrokes in one field, a run of nudges) are undone as one.
    void Change(const QString& what, const QString& mergeKey, const std::function<void(labels::Label&)>& change,
                int selectAfter = -2);
    // The same for the part chosen, when there is one.
    void ChangePart(const QString& what, const QString& field, const std::function<void(labels::Part&)>& change);
    // What undo and redo set: the label and the part chosen.
    void SetState(const labels::Label& label, int selected);

    // Where a barcode or a text is added: under the parts there are.
    QPointF FreePlace() const;
    void AddPart(labels::Part part);
    void RemovePart();
    void MovePart(int by);
    void MoveSelectedBy(QPointF offsetMm, const QString& what, const QString& mergeKey);
    void DragTo(QPointF offsetMm);
    void EndDrag(QPointF offsetMm);

    // What the preview fills placeholders with: the record shown, or label 1
    // of a run without merge data; today.
    labels::FillContext PreviewContext() const;
    void BuildRecordBar(QWidget* parent);
    void ShowRecordState();
    // The label changed: the findings of the last check no longer hold.
    void ForgetCheck();

    // Lays out every part again and shows the label, the list and the chosen part's properties.
    void Refresh();
    void ShowPreview();
    void ShowList();
    void ShowProperties();
    void ShowTitle();
    void ShowUnit();
    QStringList ProblemList() const;

    // A new box for a length in the label's unit, from `lowMm` up (see
    // ShowUnit); and two of them side by side, "first × second", as the
    // field of a form's row.
    QDoubleSpinBox* NewLength(QWidget* parent, double lowMm = kLeastLengthMm);
    QHBoxLayout* NewLengthPair(QWidget* parent, QDoubleSpinBox*& first, QDoubleSpinBox*& second,
                               double lowMm = kLeastLengthMm);
    static constexpr double kLeastLengthMm = 0.01; // a size or a stroke: above zero

    // Lengths in the unit shown, and back to mm.
    double Shown(double mm) const;
    double Mm(double shown) const;
    // Sets a length box to a length in mm, unless it already shows it (a
    // box being typed in keeps what is typed).
    void SetLength(QDoubleSpinBox* box, double mm);

    void OpenClicked();
    void SaveAsClicked();
    // False when the user keeps the editor open (or saving failed).
    bool MayDiscard();

    labels::Label label_;
    QString path_;
    services::MessageSink& messages_;
    double dpi_;
    int selected_ = -1;
    std::vector<core::Result<labels::LaidOutPart>> laidOut_; // each part's layout, or why none
    QUndoStack* undo_ = nullptr;
    bool filling_ = false; // the controls are being set from the label: their signals change nothing
    // A drag under way: the label as it was when the drag began.
    std::optional<labels::Label> dragFrom_;
    std::vector<QDoubleSpinBox*> lengths_; // every box that holds a length, in the label's unit
    labels::LengthUnit unitShown_ = labels::LengthUnit::Mm; // the unit they show it in
    QStringList fields_; // the merge data's
    std::shared_ptr<const jobs::MergeData> data_;
    qint64 record_ = -1;       // the index of the record shown; -1: none
    QStringList recordValues_; // its values, which the preview's fill points into
    // The last check, until the label changes.
    std::optional<jobs::MergeCheck> check_;
};

} // namespace ui
