// Options > "Label…": the label editor. The label's size and unit, its
// parts in a list (added, removed, put earlier or later) with the chosen
// part's properties, and a preview where a part is taken with the mouse,
// dragged, and nudged with the arrow keys; every change can be undone.
// Label files are opened and saved through labels/LabelFile. What is
// edited is a labels::Label, which the window can take from the editor
// when it closes.
#pragma once

#include "core/Result.h"
#include "labels/Label.h"
#include "labels/LabelLayout.h"
#include "services/Messages.h"

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
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

    // Asks whether the changes not saved are saved (Save), dropped (Discard)
    // or kept open (Cancel) before the editor closes or opens another file.
    // A message box by default; a test answers for itself.
    std::function<QMessageBox::StandardButton()> AskUnsaved;

    // Closes, asking first about changes not saved.
    void reject() override;

    // The controls, as tests and the window reach them.
    LabelPreview* Preview = nullptr;
    QListWidget* Parts = nullptr;
    QPushButton *AddBarcode = nullptr, *AddText = nullptr, *AddLine = nullptr, *AddBox = nullptr;
    QPushButton *Remove = nullptr, *MoveUp = nullptr, *MoveDown = nullptr;
    QLabel* ProblemText = nullptr; // the parts that can't be drawn, and why
    // The label
    QDoubleSpinBox *LabelWidth = nullptr, *LabelHeight = nullptr;
    QComboBox* Unit = nullptr; // mm, in
    // The part chosen: its place (a line's start), on every page
    QStackedWidget* Properties = nullptr;
    QDoubleSpinBox *PartX = nullptr, *PartY = nullptr;
    // A barcode
    QComboBox* Symbology = nullptr;
    QLineEdit* BarcodeText = nullptr;
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

    // Lays out every part again and shows the label, the list and the chosen part's properties.
    void Refresh();
    void ShowPreview();
    void ShowList();
    void ShowProperties();
    void ShowTitle();
    void ShowUnit();
    QStringList ProblemList() const;

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
};

} // namespace ui
