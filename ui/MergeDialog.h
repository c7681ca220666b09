// File > "Merge Data…": the data file whose records become labels, how it
// is read (delimiter, encoding, sheet, header), and its fields and first
// records as read that way, so that a wrong choice shows before anything
// prints.
#pragma once

#include "core/Result.h"
#include "jobs/StoredOptions.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace ui {

// The merge's data file opened as the choice reads it, at its header. The
// window merges files only: standard input ("-") is the command line's.
core::Result<std::unique_ptr<files::DataSource>> OpenMergeFile(const jobs::MergeChoice& choice);

class MergeDialog : public QDialog {
    Q_OBJECT
public:
    MergeDialog(QWidget* parent, const jobs::MergeChoice& choice);

    // The file and the options as the dialog shows them.
    jobs::MergeChoice Chosen() const;
    // Reads the file as chosen: its fields head the table and its first
    // records fill it; a file that can't be read empties the table and
    // says why, naming the file and the line.
    core::Status Reload();
    // Taken only when the file reads; else the dialog stays open and says why.
    void accept() override;

    static constexpr int kRecordsShown = 20;

    QLineEdit* Path = nullptr;
    QPushButton* Browse = nullptr;
    QComboBox* Delimiter = nullptr; // first: found from the file
    QComboBox* Encoding = nullptr;  // first: from the byte-order mark, else UTF-8
    QLineEdit* Sheet = nullptr;     // empty: the first sheet
    QCheckBox* Header = nullptr;
    QTableWidget* Records = nullptr; // a column per field; rows headed by their line
    QLabel* Summary = nullptr;       // the fields found, or why none

private:
    void BrowseClicked();
    // Spreadsheets have sheets; text files delimiters and encodings.
    void ShowWhatApplies();
};

} // namespace ui
