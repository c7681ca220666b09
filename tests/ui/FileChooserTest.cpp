#include "ui/DesignFrame.h"
#include "ui/FileChooser.h"

#include "core/Units.h"
#include "services/Messages.h"
#include "services/Settings.h"
#include "tests/support/PrintTo.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

using ui::ApplyChooserResize;
using ui::ChooserGeometry;

namespace {

QString Stored(const QString& key) { return services::GetSetting(QStringLiteral("Stavelon"), QStringLiteral("FileSettings"), key); }
void Store(const QString& key, const QString& value)
{
    EXPECT_TRUE(services::SaveSetting(QStringLiteral("Stavelon"), QStringLiteral("FileSettings"), key, value).ok());
}

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

void Touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

QStringList Items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Clicks the named file in the chooser's file list, as the user would.
void ClickFile(ui::Form2& chooser, const QString& name)
{
    const auto found = chooser.File1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    chooser.File1->setCurrentItem(found.first());
}

int Px(double twips) { return static_cast<int>(std::lround(core::TwipsToPixels(twips))); }

// Resizes a window so that its outer size is as given in twips: its client
// size plus the frame of the design (never the window manager's, which is
// not known before the window is on screen).
void ResizeOuter(QWidget& w, double widthTwips, double heightTwips)
{
    w.resize(Px(widthTwips - ui::kDesignBordersWidthTwips), Px(heightTwips - ui::kDesignTitleAndBordersTwips));
    QCoreApplication::processEvents();
    ASSERT_EQ(w.size(), QSize(Px(widthTwips) - Px(ui::kDesignBordersWidthTwips),
                              Px(heightTwips) - Px(ui::kDesignTitleAndBordersTwips)));
}

// A main window with an empty store, a folder of files, and the program
// running in that folder.
struct FileChooserTest : ::testing::Test {
    testsupport::TempConfig config;
    QTemporaryDir files;
    QString previousCurrent = QDir::currentPath();
    services::RecordingSink sink;
    ui::Form1 form{testsupport::Quietly(&sink)};

    void SetUp() override
    {
        Touch(files.filePath(QStringLiteral("order1.txt")));
        Touch(files.filePath(QStringLiteral("ORDER2.TXT")));
        Touch(files.filePath(QStringLiteral("notes.csv")));
        QDir(files.path()).mkdir(QStringLiteral("sub"));
        Touch(files.filePath(QStringLiteral("sub/inner.txt")));
        QDir::setCurrent(files.path());
        form.Form_Load();
    }
    void TearDown() override
    {
        if (form.OpenChooser())
            delete form.OpenChooser();
        QDir::setCurrent(previousCurrent);
    }

    ui::Form2& Open()
    {
        form.FileOpen_Click();
        EXPECT_TRUE(form.OpenChooser());
        return *form.OpenChooser();
    }
    bool ChooserOpen() const { return form.OpenChooser() && form.OpenChooser()->isVisible(); }
};

} // namespace

// ---------------------------------------------------------------- plain logic

TEST(FileChooserPaths, JoinFolderAndFile_PutsExactlyOneSeparatorBetween)
{
    const struct {
        QString folder, file, expected, why;
    } cases[] = {
        {QStringLiteral("/"), QStringLiteral("a.txt"), Native(QStringLiteral("/a.txt")), QStringLiteral("root already ends in one")},
        {QStringLiteral("/home/u"), QStringLiteral("a.txt"), Native(QStringLiteral("/home/u/a.txt")), QStringLiteral("plain folder")},
        {QStringLiteral("/home/u/"), QStringLiteral("a.txt"), Native(QStringLiteral("/home/u/a.txt")), QStringLiteral("trailing separator kept single")},
#ifdef Q_OS_WIN
        {QStringLiteral("C:\\"), QStringLiteral("a.txt"), QStringLiteral("C:\\a.txt"), QStringLiteral("drive root")},
#endif
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::JoinFolderAndFile(c.folder, c.file), c.expected) << c.why.toStdString();
}

TEST(FileChooserPaths, ResolveStoredDrive_LetterDrivesMeanTheRoot_MissingOnesNothing)
{
    const QString root = Native(QDir::rootPath());
    const QStringList roots{root, Native(QStringLiteral("/media/stick"))};
    const struct {
        QString stored, expected, why;
    } cases[] = {
#ifndef Q_OS_WIN
        {QStringLiteral("c:\\"), root, QStringLiteral("the stored default")},
        {QStringLiteral("D:"), root, QStringLiteral("any letter drive carried over from Windows")},
        {QStringLiteral("/"), root, QStringLiteral("the root itself")},
        {QStringLiteral("/media/stick/"), Native(QStringLiteral("/media/stick")), QStringLiteral("a mounted volume")},
#endif
        {QString(), QString(), QStringLiteral("empty names nothing")},
        {QStringLiteral("/media/gone"), QString(), QStringLiteral("a volume no longer mounted")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::ResolveStoredDrive(c.stored, roots), c.expected) << c.why.toStdString();
}

TEST(FileChooserPaths, DriveOf_TakesTheInnermostVolume)
{
    const QStringList roots{QStringLiteral("/"), QStringLiteral("/media/stick")};
    EXPECT_EQ(ui::DriveOf(QStringLiteral("/media/stick/docs"), roots), QStringLiteral("/media/stick"));
    EXPECT_EQ(ui::DriveOf(QStringLiteral("/media/sticky"), roots), QStringLiteral("/"));
    EXPECT_EQ(ui::DriveOf(QStringLiteral("/home"), roots), QStringLiteral("/"));
}

TEST(FileChooserResize, RulesByOuterSize)
{
    // Design client 4560 x 2760, L = 120, so 2.5 L = 300.
    struct Case {
        double W, H;
        double text2W, file1W, file1L, dir1W, drive1W, dir1H, file1H, buttonsTop;
        const char* why;
    };
    const ChooserGeometry design;
    const Case cases[] = {
        {6000, 3000, 5700, 2700, 3200, 3000, 3000, 1250, 1730, 2290, "above 1750: heights and button tops follow"},
        {6000, 1750, 5700, 2700, 3200, 3000, 3000, design.Dir1.height(), design.File1.height(), design.Command1.top(),
         "exactly 1750 changes only widths and the file list's left"},
        {4000, 1000, 3700, 1700, 2200, 2000, 2000, design.Dir1.height(), design.File1.height(), design.Command1.top(),
         "below 1750 likewise"},
        {400, 1000, 100, design.File1.width(), 400, 200, 200, design.Dir1.height(), design.File1.height(),
         design.Command1.top(), "a file-list width below zero is skipped"},
        {100, 1000, design.Text2.width(), design.File1.width(), 250, 50, 50, design.Dir1.height(), design.File1.height(),
         design.Command1.top(), "path-box width below zero is skipped too"},
    };
    for (const Case& c : cases) {
        ChooserGeometry g;
        ApplyChooserResize(g, c.W, c.H);
        SCOPED_TRACE(c.why);
        EXPECT_DOUBLE_EQ(g.Text2.width(), c.text2W);
        EXPECT_DOUBLE_EQ(g.File1.width(), c.file1W);
        EXPECT_DOUBLE_EQ(g.File1.left(), c.file1L);
        EXPECT_DOUBLE_EQ(g.Dir1.width(), c.dir1W);
        EXPECT_DOUBLE_EQ(g.Drive1.width(), c.drive1W);
        EXPECT_DOUBLE_EQ(g.Dir1.height(), c.dir1H);
        EXPECT_DOUBLE_EQ(g.File1.height(), c.file1H);
        EXPECT_DOUBLE_EQ(g.Command1.top(), c.buttonsTop);
        EXPECT_DOUBLE_EQ(g.Command2.top(), c.buttonsTop);
        // Never moved or resized by the rules.
        EXPECT_DOUBLE_EQ(g.Text2.top(), design.Text2.top());
        EXPECT_DOUBLE_EQ(g.Dir1.left(), design.Dir1.left());
        EXPECT_DOUBLE_EQ(g.Drive1.height(), design.Drive1.height());
        EXPECT_DOUBLE_EQ(g.Command1.left(), design.Command1.left());
        EXPECT_DOUBLE_EQ(g.Command2.size().width(), design.Command2.size().width());
    }
}

// ---------------------------------------------------------------- the window

TEST_F(FileChooserTest, FirstOpening_EmptyPathOnTheRoot_MainPathUntouched)
{
    testsupport::Line(form, "Text5")->setText(QStringLiteral("typed before"));
    ui::Form2& chooser = Open();
    EXPECT_TRUE(ChooserOpen());
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("File"));
    EXPECT_EQ(chooser.Text2->text(), QString());
    EXPECT_EQ(chooser.Drive(), Native(QDir::rootPath()));
    EXPECT_EQ(chooser.Drive1->currentText(), Native(QDir::rootPath()));
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), QStringLiteral("typed before"));
    EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(FileChooserTest, FileList_ShowsOnlyTextFiles_OfTheFolder)
{
    Store(QStringLiteral("Dir1Path"), files.path());
    ui::Form2& chooser = Open();
    EXPECT_EQ(chooser.Dir1Path(), Native(files.path()));
    EXPECT_EQ(chooser.File1Path(), Native(files.path()));
    EXPECT_EQ(Items(chooser.File1), (QStringList{QStringLiteral("order1.txt"), QStringLiteral("ORDER2.TXT")}));
    EXPECT_TRUE(Items(chooser.Dir1).last().trimmed() == QStringLiteral("sub"));

    ASSERT_TRUE(chooser.SetDir1Path(files.filePath(QStringLiteral("sub"))));
    EXPECT_EQ(chooser.File1Path(), Native(files.filePath(QStringLiteral("sub")))) << "the file list follows the folder";
    EXPECT_EQ(Items(chooser.File1), QStringList{QStringLiteral("inner.txt")});
}

TEST_F(FileChooserTest, ClickThenCancel_KeepsTheClickedFileAsTheBatchFile_StoresNothing)
{
    Store(QStringLiteral("Dir1Path"), files.path());
    ui::Form2& chooser = Open();
    ClickFile(chooser, QStringLiteral("order1.txt"));
    const QString clicked = Native(files.filePath(QStringLiteral("order1.txt")));
    EXPECT_EQ(chooser.Text2->text(), clicked);
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), clicked);
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), clicked);

    chooser.Command2->click();
    EXPECT_FALSE(ChooserOpen());
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), clicked);
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), clicked);
    EXPECT_EQ(Stored(QStringLiteral("FilePath")), QString());

    // The next opening fills from the (empty) store: the batch file stays.
    ui::Form2& again = Open();
    EXPECT_EQ(again.Text2->text(), QString());
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), clicked);
}

TEST_F(FileChooserTest, Ok_StoresTheChoice_AndTheNextOpeningRestoresIt)
{
    Store(QStringLiteral("Dir1Path"), files.path());
    ui::Form2& chooser = Open();
    ClickFile(chooser, QStringLiteral("ORDER2.TXT"));
    chooser.Command1->click();
    EXPECT_FALSE(ChooserOpen());
    const QString chosen = Native(files.filePath(QStringLiteral("ORDER2.TXT")));
    EXPECT_EQ(Stored(QStringLiteral("FilePath")), chosen);
    EXPECT_EQ(Stored(QStringLiteral("Dir1Path")), Native(files.path()));
    EXPECT_EQ(Stored(QStringLiteral("file1Path")), Native(files.path())) << "File1Path and file1Path are one entry";
    EXPECT_EQ(Stored(QStringLiteral("Drive1Drive")), ui::DriveOf(files.path(), ui::DriveRoots()));
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), chosen);

    testsupport::Line(form, "Text5")->setText(QString());
    ui::Form2& again = Open();
    EXPECT_EQ(again.Text2->text(), chosen);
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), chosen) << "a restored path becomes the batch file again";
    EXPECT_EQ(again.Dir1Path(), Native(files.path()));
}

TEST_F(FileChooserTest, OkWithEmptyPath_AsksForAFile_StoresNothing_Closes)
{
    Store(QStringLiteral("Dir1Path"), files.path());
    ui::Form2& chooser = Open();
    chooser.Command1->click();
    EXPECT_EQ(sink.texts, QStringList{QStringLiteral("Please Speicify a file ")});
    EXPECT_FALSE(ChooserOpen());
    EXPECT_EQ(Stored(QStringLiteral("Drive1Drive")), QString());
    EXPECT_EQ(Stored(QStringLiteral("FilePath")), QString());
}

TEST_F(FileChooserTest, BlanksInThePathBox_CountAsAPath)
{
    ui::Form2& chooser = Open();
    chooser.Text2->setText(QStringLiteral("  "));
    chooser.Command1->click();
    EXPECT_TRUE(sink.texts.isEmpty());
    EXPECT_EQ(Stored(QStringLiteral("FilePath")), QStringLiteral("  "));
}

TEST_F(FileChooserTest, PathBoxes_MirrorEachOther_WhileOpen)
{
    ui::Form2& chooser = Open();
    chooser.Text2->setText(QStringLiteral("/typed/in/chooser.txt"));
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), QStringLiteral("/typed/in/chooser.txt"));
    testsupport::Line(form, "Text5")->setText(QStringLiteral("/typed/in/main.txt"));
    EXPECT_EQ(chooser.Text2->text(), QStringLiteral("/typed/in/main.txt"));
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), QStringLiteral("/typed/in/main.txt"));
}

TEST_F(FileChooserTest, OpeningAgain_BringsTheSameWindowBack_WithItsState)
{
    ui::Form2& first = Open();
    first.Text2->setText(QStringLiteral("kept"));
    ui::Form2& second = Open();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(second.Text2->text(), QStringLiteral("kept"));
}

TEST_F(FileChooserTest, DeletedStoredFolder_OpensOnTheDrivesCurrentFolder_WithoutError)
{
    QString gone;
    {
        QTemporaryDir deleted;
        gone = deleted.path();
    }
    ASSERT_FALSE(QDir(gone).exists());
    Store(QStringLiteral("Dir1Path"), gone);
    Store(QStringLiteral("file1Path"), gone);
    Store(QStringLiteral("Drive1Drive"), QStringLiteral("/no/such/volume"));

    ui::Form2& chooser = Open();
    EXPECT_TRUE(sink.texts.isEmpty());
    const QStringList roots = ui::DriveRoots();
    EXPECT_EQ(chooser.Drive(), ui::DriveOf(files.path(), roots)) << "a missing drive leaves the drive list as it was";
    EXPECT_EQ(chooser.Dir1Path(), Native(files.path())) << "the program's folder is the drive's current folder";
    EXPECT_EQ(chooser.File1Path(), chooser.Dir1Path());
}

TEST_F(FileChooserTest, Resizing_AtAndBelow1750_ChangesOnlyWidthsAndFileListLeft)
{
    ui::Form2& chooser = Open();
    ResizeOuter(chooser, 6000, 1750);
    const ChooserGeometry& g = chooser.Geometry();
    EXPECT_DOUBLE_EQ(g.Dir1.width(), 3000);
    EXPECT_DOUBLE_EQ(g.File1.left(), 3200);
    const double dir1Height = g.Dir1.height(), buttonsTop = g.Command1.top();

    ResizeOuter(chooser, 6000, 1495);
    EXPECT_DOUBLE_EQ(g.Dir1.height(), dir1Height);
    EXPECT_DOUBLE_EQ(g.Command1.top(), buttonsTop);

    ResizeOuter(chooser, 6000, 3010);
    EXPECT_DOUBLE_EQ(g.Dir1.height(), 3010 - 1750);
    EXPECT_EQ(chooser.Dir1->height(), Px(1260)) << "the widgets follow the geometry";
    EXPECT_EQ(chooser.Command2->y(), Px(840 + 1260 + 200));
}

TEST_F(FileChooserTest, ExitClosesTheChooserToo)
{
    Open();
    form.show();
    form.Exit_Click();
    EXPECT_FALSE(ChooserOpen());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(FileChooserTest, FileListInAnotherFolderThanTheFolderList_ClickGivesTheFilesRealPath)
{
    // Restored settings may put the two lists on different folders; the
    // clicked file is where the file list shows it.
    Store(QStringLiteral("Dir1Path"), files.path());
    Store(QStringLiteral("file1Path"), files.filePath(QStringLiteral("sub")));
    ui::Form2& chooser = Open();
    ASSERT_EQ(chooser.Dir1Path(), Native(files.path()));
    ClickFile(chooser, QStringLiteral("inner.txt"));
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), Native(files.filePath(QStringLiteral("sub/inner.txt"))));
}

TEST_F(FileChooserTest, ATypedNameIsStoredWithItsFolder_AndTheChooserOpensOverTheWindow)
{
    ui::Form2& chooser = Open();
    EXPECT_TRUE(form.frameGeometry().contains(chooser.geometry().center())) << "over the main window";
    chooser.Text2->setText(QStringLiteral("orders.txt"));
    chooser.Command1->click();
    const QString absolute = QDir::current().absoluteFilePath(QStringLiteral("orders.txt"));
    EXPECT_EQ(Stored(QStringLiteral("FilePath")), absolute);
    EXPECT_EQ(testsupport::Line(form, "Text5")->text(), absolute) << "the batch file is the same whatever folder the next run starts in";
}
