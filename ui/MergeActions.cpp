// The window's merge data: the data file chosen in "Merge Data…", stored
// as every option is, and shown in the status line.
#include "ui/Form1.h"

#include "ui/MergeDialog.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace ui {

void Form1::MergeData_Click()
{
    MergeDialog dialog(this, merge_);
    if (dialog.exec() == QDialog::Accepted)
        UseMergeData(dialog.Chosen());
}

bool Form1::UseMergeData(const jobs::MergeChoice& choice)
{
    core::Result<std::unique_ptr<files::DataSource>> source = OpenMergeFile(choice);
    if (source.failed()) {
        messages_->MsgBox(source.failure().text);
        return false;
    }
    merge_ = choice;
    mergeFields_ = (*source)->FieldNames();
    for (const auto& [key, value] : jobs::MergeChoiceValues(merge_))
        store(key, value);
    ShowMerge();
    return true;
}

void Form1::NoMergeData_Click()
{
    merge_ = {};
    mergeFields_.clear();
    for (const auto& [key, value] : jobs::MergeChoiceValues(merge_))
        store(key, value);
    ShowMerge();
}

void Form1::ShowMerge()
{
    const bool merging = !merge_.path.isEmpty();
    NoMergeData->setEnabled(merging);
    MergeInUse->setVisible(merging);
    MergeInUse->setText(merging ? QStringLiteral("Data: %1").arg(QFileInfo(merge_.path).fileName()) : QString());
    MergeInUse->setToolTip(merging ? QStringLiteral("Print, Print Preview and the sheet layouts print a label for every "
                                                    "record of %1 (fields: %2)")
                                         .arg(QDir::toNativeSeparators(merge_.path), mergeFields_.join(QStringLiteral(", ")))
                                   : QString());
}

} // namespace ui
