// The file chooser window "File": picks the text file that batch printing
// prints, by drive, folder and ".txt" file lists or by typing its path, and
// remembers the drive, folder and file between runs. The path logic and the
// resize rules are plain functions, so they can be checked without a window.
#pragma once

#include "services/Messages.h"

#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace ui {

// --- path logic -------------------------------------------------------------

// The file's full path: the folder, one separator, the name. A folder that
// already ends in a separator (the root of a drive) gets no second one.
QString JoinFolderAndFile(const QString& folder, const QString& fileName);

// What the drive list holds: the drives on Windows; elsewhere the file
// system root first, then every other mounted volume, as folder paths.
QStringList DriveRoots();

// The entry of `roots` that a stored drive names, or empty when none does.
// Without drive letters a stored letter drive ("c:\", the default) means
// the file system root.
QString ResolveStoredDrive(const QString& stored, const QStringList& roots);

// The root among `roots` that holds the folder (the longest that contains it).
QString DriveOf(const QString& folder, const QStringList& roots);

// The folder a drive opens on: the program's current folder when it lies on
// that drive, else the drive's root.
QString DriveCurrentFolder(const QString& drive, const QStringList& roots);

// --- resize rules -----------------------------------------------------------

// Places of the chooser's controls, in twips, inside its client area.
struct ChooserGeometry {
    QRectF Text2{120, 120, 4215, 285};
    QRectF Drive1{120, 480, 1815, 315};
    QRectF Dir1{120, 840, 1815, 1440};
    QRectF File1{2040, 480, 2295, 1845};
    QRectF Command1{480, 2400, 1575, 255};
    QRectF Command2{2760, 2400, 1575, 255};
};

inline constexpr double kChooserClientWidth = 4560;
inline constexpr double kChooserClientHeight = 2760;

// Adapts widths (and, above an outer height of 1750 twips, the folder and
// file lists' heights and the buttons' tops) to the window's outer size in
// twips. A width that would come out negative is skipped: that control
// keeps its width.
void ApplyChooserResize(ChooserGeometry& g, double outerWidth, double outerHeight);

// --- the window -------------------------------------------------------------

class Form2 : public QWidget {
    Q_OBJECT
public:
    // `onPathChanged` receives the path box's text after every change; the
    // main window mirrors it into its own path box. Messages go to
    // `messages`.
    Form2(std::function<void(const QString&)> onPathChanged, services::MessageSink& messages, QWidget* parent = nullptr);

    QLineEdit* Text2 = nullptr;     // full path of the chosen file
    QComboBox* Drive1 = nullptr;    // drives
    QListWidget* Dir1 = nullptr;    // folders: the open one's ancestors, itself, its subfolders
    QListWidget* File1 = nullptr;   // "*.txt" files of its folder
    QPushButton* Command1 = nullptr; // "OK"
    QPushButton* Command2 = nullptr; // "Cancel"

    // Fills the controls from the stored settings; a step that fails (a
    // drive or folder that no longer exists, an empty value) is skipped.
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Text2_Change();
    void Command1_Click(); // OK
    void Command2_Click(); // Cancel
    void Form_Resize();

    // The drive, folder-list folder and file-list folder. The setters
    // return false, and change nothing, when the target is not there.
    QString Drive() const;
    bool SetDrive(const QString& drive);
    QString Dir1Path() const { return dir1Path_; }
    bool SetDir1Path(const QString& folder);
    QString File1Path() const { return file1Path_; }
    bool SetFile1Path(const QString& folder);

    const ChooserGeometry& Geometry() const { return geometry_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillDir1();
    void fillFile1();
    void place();

    std::function<void(const QString&)> onPathChanged_;
    services::MessageSink& messages_;
    QStringList roots_;
    QString dir1Path_;
    QString file1Path_;
    ChooserGeometry geometry_;
};

} // namespace ui
