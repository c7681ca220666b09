#include "ui/WindowLayout.h"

#include "services/Messages.h"
#include "ui/DesignFrame.h"
#include "ui/FileChooser.h"
#include "ui/Form1.h"
#include "ui/Layout.h"
#include "ui/ManualText.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QPlainTextEdit>

namespace ui {

QString HelpText(const QString& programFileName)
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Stavelon 2.1 Prints bar code found in specified text files. ") + crlf +
           QStringLiteral("There are two ways to specify the text file.  ") + crlf +
           QStringLiteral("One is to browser to the specified file.  This can be done by clicking File Open button, "
                          "and selecting the file you ") + crlf +
           QStringLiteral("would like print.  Then Click the Print file Button.  ") + crlf +
           QStringLiteral("The second way to do it is by command line, The just specify the program  and a space "
                          "and the path name to the ") + crlf +
           QStringLiteral("file that you would like to print.  For Example \"") + programFileName +
           QStringLiteral(" c:\\files\\order1.txt\"") + crlf;
}

QString HelpText()
{
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    const QString name = QFileInfo(path).fileName();
    return HelpText(name.isEmpty() ? QStringLiteral("quorvane") : name);
}

QString AboutText()
{
    return QStringLiteral("Quorvane 4.1 \r\n") +
           QStringLiteral("Bar code generator and printer: Code 39, Code 128, Interleaved 2 of 5, UPC-A and EAN.\r\n") +
           core::kWebAddress;
}

int CentralHeightForOuter(double outerTwips)
{
    return TwipsToPx(outerTwips - kDesignTitleAndBordersTwips - kDesignMenuBarTwips);
}

ResizeWidths WidthsForWindow(double W, double frameOptionsLeft, double framePrinterLeft, double frameLinePatternLeft)
{
    return {W - 350, W - frameOptionsLeft - 200, W - framePrinterLeft - 400, W - frameLinePatternLeft - 400};
}

int CaptionWidth(const QWidget* control)
{
    const QStyle* style = control->style();
    const QFontMetrics fm = control->fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return fm.horizontalAdvance(label->text()) + 2 * label->margin() + 1;
    if (const auto* check = qobject_cast<const QCheckBox*>(control))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, check) +
               fm.horizontalAdvance(check->text()) + 2;
    if (const auto* radio = qobject_cast<const QRadioButton*>(control))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, radio) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, radio) +
               fm.horizontalAdvance(radio->text()) + 2;
    if (const auto* button = qobject_cast<const QPushButton*>(control))
        return fm.horizontalAdvance(button->text()) + 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    return 0;
}

namespace {

// The x up to which a control may grow: its container's inner edge, or the
// next control to its right on the same line.
int FreeRight(const QWidget* control)
{
    const QWidget* parent = control->parentWidget();
    int right = parent->contentsRect().right() - 2;
    const QRect me = control->geometry();
    for (const QObject* o : parent->children()) {
        const auto* sibling = qobject_cast<const QWidget*>(o);
        if (!sibling || sibling == control || sibling->isWindow())
            continue;
        const QRect g = sibling->geometry();
        if (g.left() >= me.right() && g.top() < me.bottom() && g.bottom() > me.top())
            right = std::min(right, g.left() - 2);
    }
    return right;
}

} // namespace

void FitCaptions(QWidget* root, std::initializer_list<const QWidget*> leave)
{
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (std::find(leave.begin(), leave.end(), w) != leave.end() || CaptionWidth(w) <= w->width())
            continue;
        w->resize(std::max(w->width(), std::min(CaptionWidth(w), FreeRight(w) - w->x() + 1)), w->height());
        QFont f = w->font();
        for (int stretch : {QFont::SemiCondensed, QFont::Condensed}) {
            if (CaptionWidth(w) <= w->width())
                break;
            f.setStretch(stretch);
            w->setFont(f);
        }
        while (CaptionWidth(w) > w->width() && f.pointSizeF() > 7) {
            f.setPointSizeF(f.pointSizeF() - 0.5);
            w->setFont(f);
        }
    }
}

namespace {

// The width of the text field of an editable combo box, less the line
// edit's own margins and cursor.
int TextRoom(const QComboBox* combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = true;
    option.frame = combo->hasFrame();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    return field.width() - 5;
}

} // namespace

void FitComboText(QComboBox* combo)
{
    QStringList texts{combo->lineEdit() ? combo->lineEdit()->placeholderText() : QString()};
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    auto widest = [&] {
        const QFontMetrics fm(combo->font());
        int w = 0;
        for (const QString& t : texts)
            w = std::max(w, fm.horizontalAdvance(t));
        return w;
    };
    QFont f = combo->parentWidget()->font();
    combo->setFont(f);
    const int room = TextRoom(combo);
    for (int stretch : {QFont::SemiCondensed, QFont::Condensed}) {
        if (widest() <= room)
            break;
        f.setStretch(stretch);
        combo->setFont(f);
    }
    while (widest() > room && f.pointSizeF() > 7) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
        combo->setFont(f);
    }
    // The drop-down list is not held to the box's width: it shows every name whole.
    combo->view()->setMinimumWidth(widest() + 4 * combo->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 16);
}

namespace {

// One width assignment of the resize rules: a negative width is refused
// and the control keeps the width it has.
bool SetWidthTwips(QWidget* w, double twips)
{
    if (!(twips >= 0))
        return false;
    w->resize(TwipsToPx(twips), w->height());
    return true;
}

double WidthTwips(const QWidget* w) { return PxToTwips(w->width()); }
double LeftTwips(const QWidget* w) { return PxToTwips(w->x()); }

} // namespace

void Form1::Settings_Click()
{
    const bool hide = Settings->text() == QLatin1String("&Hide Settings");
    Settings->setText(hide ? QStringLiteral("&Show Settings") : QStringLiteral("&Hide Settings"));
    FrameOptions->setVisible(!hide);
    // Shown, the window is at least tall enough for every setting: 5850
    // twips alone would cut off the range and offset boxes at the bottom.
    const int height = CentralHeightForOuter(hide ? 3400 : 5850) + extraHeight_;
    SetCentralHeight(hide ? height : std::max(height, TwipsToPx(kClientHeightTwips) + extraHeight_));
    store(QStringLiteral("show"), hide ? QStringLiteral("0") : QStringLiteral("1"));
}

void Form1::SetCentralHeight(int px)
{
    // The menu and status bars take what they need; the controls' area
    // gets exactly `px`, whatever frame the window manager adds around it.
    layout()->activate();
    resize(width(), px + height() - centralWidget()->height());
}

void Form1::Form_Resize()
{
    const double outerWidth = PxToTwips(width()) + kDesignBordersWidthTwips;
    const ResizeWidths to =
        WidthsForWindow(outerWidth, LeftTwips(FrameOptions), LeftTwips(FramePrinter), LeftTwips(FrameLinePattern));
    // Each assignment on its own: one that is refused does not stop the rest.
    SetWidthTwips(Frame9, to.Frame9);
    SetWidthTwips(FrameOptions, to.FrameOptions);
    SetWidthTwips(FramePrinter, to.FramePrinter);
    SetWidthTwips(Combo1, WidthTwips(FramePrinter) - 250);
    FitComboText(Combo1);
    if (PrinterPage) {
        PrinterPage->resize(Combo1->width(), PrinterPage->height());
        elidePrinterPage();
    }
    SetWidthTwips(FrameLinePattern, to.FrameLinePattern);
    // The drawing surfaces follow the frame; a negative width is refused
    // and leaves a surface as it was.
    for (graphics::PictureBox* box : {&Picture1, &Picture2, &Picture5})
        box->SetWidth(WidthTwips(Frame9) - 200);
    if (DrawingArea)
        FitDrawingArea();
}

void Form1::Help2_Click()
{
    // The text box keeps lines, not line ends; the box shows them CR LF ended.
    QString text = Text2->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    messages_->ShowNotice(text, core::kHelpAboutTitle);
}

namespace {

// Tops within this many pixels are one row.
constexpr int kRowPixels = 8;

// The frame a control is read in: the innermost group box that holds no
// other frames; none for a control placed among frames.
const QWidget* FrameOf(const QWidget* w, const QWidget* root)
{
    for (const QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (qobject_cast<const QGroupBox*>(p))
            return p->findChildren<QGroupBox*>().isEmpty() ? p : nullptr;
    return nullptr;
}

// Sorts places top-down, and left to right within a row.
template <class T, class Place>
void SortByPlace(QList<T>& items, Place place)
{
    std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) { return place(a).y() < place(b).y(); });
    QList<std::pair<int, T>> rows;
    int rowTop = 0, row = -1;
    for (const T& item : items) {
        if (row < 0 || place(item).y() - rowTop > kRowPixels) {
            ++row;
            rowTop = place(item).y();
        }
        rows.append({row, item});
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : place(a.second).x() < place(b.second).x();
    });
    for (qsizetype i = 0; i < rows.size(); ++i)
        items[i] = rows[i].second;
}

} // namespace

void OrderTabsByPlace(QWidget* root)
{
    // The controls, each in the frame it is read in (a control among
    // frames is a frame of its own).
    QList<QWidget*> controls;
    // A spin box or an editable combo box is one control: it is ordered
    // by itself, not by the text field inside it that takes its focus. A
    // combo box's list is a window of its own.
    const auto inside = [](const QWidget* w) { return w->parentWidget() && w->parentWidget()->focusProxy() == w; };
    for (QWidget* w : root->findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QGroupBox*>(w) && !inside(w) && w->window() == root->window())
            controls.append(w);
    QList<const QWidget*> frames;
    for (const QWidget* w : controls) {
        const QWidget* frame = FrameOf(w, root);
        if (!frames.contains(frame ? frame : w))
            frames.append(frame ? frame : w);
    }
    const auto at = [root](const QWidget* w) { return w->mapTo(root, QPoint(0, 0)); };
    SortByPlace(frames, at);
    QList<QWidget*> order;
    for (const QWidget* frame : frames) {
        QList<QWidget*> inFrame;
        for (QWidget* w : controls)
            if (w == frame || FrameOf(w, root) == frame)
                inFrame.append(w);
        SortByPlace(inFrame, at);
        order += inFrame;
    }
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::ShowManual()
{
    auto* shown = findChild<QDialog*>(QStringLiteral("ManualWindow"));
    if (!shown) {
        shown = new QDialog(this);
        shown->setObjectName(QStringLiteral("ManualWindow"));
        shown->setWindowTitle(QStringLiteral("Quorvane Manual"));
        auto* text = new QTextBrowser(shown);
        text->setObjectName(QStringLiteral("Manual"));
        text->setOpenExternalLinks(true);
        text->setMarkdown(QString::fromUtf8(kManualMarkdown));
        auto* layout = new QVBoxLayout(shown);
        layout->addWidget(text);
        shown->resize(760, 640);
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void Form1::About_Click() { messages_->ShowNotice(AboutText(), core::kHelpAboutTitle); }

void Form1::Exit_Click()
{
    Form_Unload();
    QApplication::closeAllWindows(); // the last window closed ends the program
}

void Form1::Form_Unload()
{
    if (Chooser)
        Chooser->close();
}

} // namespace ui
