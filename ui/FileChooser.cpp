#include "ui/FileChooser.h"

#include "core/Units.h"
#include "services/Messages.h"
#include "services/Settings.h"
#include "ui/DesignFrame.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace ui {
namespace {

const QString kApp = QStringLiteral("Stavelon");
const QString kSection = QStringLiteral("FileSettings");

QString Get(const QString& key, const QString& def) { return services::GetSetting(kApp, kSection, key, def); }
// The chooser stores what it can: a store that can't be written is told by
// the main window, whose options are stored the same way.
void Save(const QString& key, const QString& value)
{
    static_cast<void>(services::SaveSetting(kApp, kSection, key, value));
}

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// One spelling per folder: Qt separators, no trailing separator except on a root.
QString Clean(const QString& path) { return QDir::cleanPath(QDir::fromNativeSeparators(path)); }

bool SameFolder(const QString& a, const QString& b) { return Clean(a).compare(Clean(b), kPathCase) == 0; }

// True when `folder` is `root` or lies below it.
bool Contains(const QString& root, const QString& folder)
{
    const QString r = Clean(root), f = Clean(folder);
    if (f.compare(r, kPathCase) == 0)
        return true;
    const QString prefix = r.endsWith(QLatin1Char('/')) ? r : r + QLatin1Char('/');
    return f.startsWith(prefix, kPathCase);
}

// The folder's full native path when it exists and can be listed.
std::optional<QString> ExistingFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.trimmed().isEmpty() || !info.isDir() || !info.isReadable())
        return std::nullopt;
    return QDir::toNativeSeparators(Clean(info.absoluteFilePath()));
}

int Px(double twips) { return static_cast<int>(std::lround(core::TwipsToPixels(twips))); }
double Twips(int px) { return core::PixelsToTwips(px); }

void Place(QWidget* w, const QRectF& r) { w->setGeometry(Px(r.left()), Px(r.top()), Px(r.width()), Px(r.height())); }

constexpr int kPathRole = Qt::UserRole;

} // namespace

// ---------------------------------------------------------------- path logic

QString JoinFolderAndFile(const QString& folder, const QString& fileName)
{
    QString path = QDir::toNativeSeparators(folder);
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path + fileName;
}

QStringList DriveRoots()
{
    QStringList roots;
    auto add = [&roots](const QString& root) {
        if (root.isEmpty() || !QFileInfo(root).isDir())
            return;
        for (const QString& r : roots)
            if (SameFolder(r, root))
                return;
        roots << QDir::toNativeSeparators(root);
    };
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives())
        add(drive.absoluteFilePath());
#else
    add(QStorageInfo::root().rootPath());
    QStringList volumes;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            volumes << v.rootPath();
    volumes.sort();
    for (const QString& v : volumes)
        add(v);
#endif
    return roots;
}

QString ResolveStoredDrive(const QString& stored, const QStringList& roots)
{
    QString want = stored.trimmed();
    if (want.isEmpty())
        return {};
#ifndef Q_OS_WIN
    // Settings carried over from Windows name a drive letter; here the file
    // system root stands for the system drive.
    static const QRegularExpression letter(QStringLiteral("^[A-Za-z]:[\\\\/]?$"));
    if (letter.match(want).hasMatch())
        want = QDir::rootPath();
#else
    if (want.size() == 2 && want.at(1) == QLatin1Char(':'))
        want += QLatin1Char('\\');
#endif
    for (const QString& r : roots)
        if (SameFolder(r, want))
            return r;
    return {};
}

QString DriveOf(const QString& folder, const QStringList& roots)
{
    QString best;
    for (const QString& r : roots)
        if (Contains(r, folder) && Clean(r).size() > Clean(best).size())
            best = r;
    return best;
}

QString DriveCurrentFolder(const QString& drive, const QStringList& roots)
{
    const QString current = QDir::currentPath();
    if (SameFolder(DriveOf(current, roots), drive))
        return QDir::toNativeSeparators(current);
    return drive;
}

// ---------------------------------------------------------------- resize rules

void ApplyChooserResize(ChooserGeometry& g, double outerWidth, double outerHeight)
{
    const double W = outerWidth, H = outerHeight, L = g.Text2.left();
    auto setWidth = [](QRectF& r, double w) {
        if (w >= 0)
            r.setWidth(w);
    };
    setWidth(g.Text2, W - 2.5 * L);
    setWidth(g.File1, W / 2 - 2.5 * L);
    setWidth(g.Dir1, W / 2);
    setWidth(g.Drive1, g.Dir1.width());
    g.File1.moveLeft(g.Dir1.width() + 200);
    if (H > 1750) {
        g.Dir1.setHeight(H - 1750);
        g.File1.setHeight(g.Drive1.top() + g.Dir1.height());
        const double buttonsTop = g.Dir1.top() + g.Dir1.height() + 200;
        g.Command1.moveTop(buttonsTop);
        g.Command2.moveTop(buttonsTop);
    }
}

// ---------------------------------------------------------------- the window

Form2::Form2(std::function<void(const QString&)> onPathChanged, services::MessageSink& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), onPathChanged_(std::move(onPathChanged)), messages_(messages), roots_(DriveRoots())
{
    setWindowTitle(QStringLiteral("File"));
    setAttribute(Qt::WA_DeleteOnClose);

    Text2 = new QLineEdit(this);
    Text2->setMaxLength(std::numeric_limits<int>::max()); // a stored path comes back whole, however long
    Drive1 = new QComboBox(this);
    Dir1 = new QListWidget(this);
    File1 = new QListWidget(this);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    for (const QString& r : roots_)
        Drive1->addItem(r, r);
    // Small icons, so the short folder list shows more than a few lines.
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize);
    Dir1->setIconSize(QSize(icon, icon));

    setTabOrder(Text2, File1);
    setTabOrder(File1, Dir1);
    setTabOrder(Dir1, Drive1);
    setTabOrder(Drive1, Command1);
    setTabOrder(Command1, Command2);

    // The lists start where the program runs, as a new window's lists do;
    // nothing is raised yet.
    const QString current = QDir::toNativeSeparators(QDir::currentPath());
    {
        const QSignalBlocker block(Drive1);
        Drive1->setCurrentIndex(std::max(0, Drive1->findData(DriveOf(current, roots_))));
    }
    dir1Path_ = file1Path_ = current;
    fillDir1();
    fillFile1();

    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    // A folder opens on a double-click or Enter, as in a folder list.
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetDir1Path(item->data(kPathRole).toString()); });
    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    connect(File1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            File1_Click(); // choosing with the arrow keys picks the file too
    });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    place();
    resize(Px(kChooserClientWidth), Px(kChooserClientHeight));
}

void Form2::Form_Load()
{
    Text2->setText(Get(QStringLiteral("FilePath"), QString()));
    SetDrive(ResolveStoredDrive(Get(QStringLiteral("Drive1Drive"), QStringLiteral("c:\\")), roots_));
    SetDir1Path(Get(QStringLiteral("Dir1Path"), QString()));
    SetFile1Path(Get(QStringLiteral("file1Path"), QString()));
}

QString Form2::Drive() const { return Drive1->currentData().toString(); }

bool Form2::SetDrive(const QString& drive)
{
    const int index = drive.isEmpty() ? -1 : Drive1->findData(drive);
    if (index < 0)
        return false;
    Drive1->setCurrentIndex(index); // raises Drive1_Change when it differs
    return true;
}

void Form2::Drive1_Change()
{
    // A drive that is not ready leaves the folder list where it was.
    SetDir1Path(DriveCurrentFolder(Drive(), roots_));
}

bool Form2::SetDir1Path(const QString& folder)
{
    const auto path = ExistingFolder(folder);
    if (!path)
        return false;
    if (SameFolder(*path, dir1Path_))
        return true;
    dir1Path_ = *path;
    fillDir1();
    Dir1_Change();
    return true;
}

void Form2::Dir1_Change() { SetFile1Path(dir1Path_); }

bool Form2::SetFile1Path(const QString& folder)
{
    const auto path = ExistingFolder(folder);
    if (!path)
        return false;
    if (!SameFolder(*path, file1Path_)) {
        file1Path_ = *path;
        fillFile1();
    }
    return true;
}

void Form2::fillDir1()
{
    Dir1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    // The open folder's ancestors down to itself, then its subfolders.
    QStringList chain;
    for (QDir d(Clean(dir1Path_));; ) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? QDir::toNativeSeparators(folder) : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, Dir1);
        item->setData(kPathRole, QDir::toNativeSeparators(folder));
        ++depth;
    }
    Dir1->setCurrentRow(Dir1->count() - 1);
    Dir1->scrollToItem(Dir1->currentItem());
    const QDir here(Clean(dir1Path_));
    for (const QFileInfo& sub : here.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + sub.fileName(), Dir1);
        item->setData(kPathRole, QDir::toNativeSeparators(sub.absoluteFilePath()));
    }
}

void Form2::fillFile1()
{
    const QSignalBlocker block(File1); // refilling picks no file
    File1->clear();
    // The pattern "*.txt", case-insensitive as on Windows, so "ORDER.TXT" is listed too.
    for (const QFileInfo& f : QDir(Clean(file1Path_)).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (f.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0)
            File1->addItem(f.fileName());
}

void Form2::File1_Click()
{
    const QListWidgetItem* item = File1->currentItem();
    if (!item)
        return;
    // The file list's own folder: it is where the clicked file is, even when
    // a restored folder list shows another one.
    Text2->setText(JoinFolderAndFile(file1Path_, item->text()));
}

void Form2::Text2_Change()
{
    if (onPathChanged_)
        onPathChanged_(Text2->text());
}

void Form2::Command1_Click()
{
    // A name typed without its folder is the current folder's: stored as
    // such, so the next run from another folder still finds it.
    if (!Text2->text().trimmed().isEmpty() && QDir::isRelativePath(Text2->text()))
        Text2->setText(QDir::current().absoluteFilePath(Text2->text()));
    const QString path = Text2->text();
    if (path.isEmpty()) {
        messages_.MsgBox(QStringLiteral("Please Speicify a file "));
    } else {
        Save(QStringLiteral("Drive1Drive"), Drive());
        Save(QStringLiteral("Dir1Path"), dir1Path_);
        Save(QStringLiteral("File1Path"), file1Path_);
        Save(QStringLiteral("FilePath"), path);
    }
    close();
}

void Form2::Command2_Click() { close(); }

void Form2::keyPressEvent(QKeyEvent* event)
{
    // Esc closes the window as Cancel does (the lists and the path box
    // leave the key to it).
    if (event->key() == Qt::Key_Escape)
        Command2_Click();
    else
        QWidget::keyPressEvent(event);
}

void Form2::Form_Resize()
{
    // The outer size from the client size and the frame of the design, not
    // the window manager's frame: that is not known before the window is
    // on screen, and sizes computed from it would differ with and without
    // a window manager.
    ApplyChooserResize(geometry_, Twips(width()) + kDesignBordersWidthTwips,
                       Twips(height()) + kDesignTitleAndBordersTwips);
    place();
}

void Form2::place()
{
    Place(Text2, geometry_.Text2);
    Place(Drive1, geometry_.Drive1);
    Place(Dir1, geometry_.Dir1);
    Place(File1, geometry_.File1);
    Place(Command1, geometry_.Command1);
    Place(Command2, geometry_.Command2);
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

} // namespace ui
