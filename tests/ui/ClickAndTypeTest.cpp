// Every field takes the keys it is clicked for: after the More box, a
// dialog and a sheet layout, a click on an input and a key typed land in
// that input and nowhere else.
#include "services/Messages.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"
#include "ui/SheetDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {

struct Input {
    const char* name;
    std::function<QWidget*(const ui::Form1&)> find;
};

QString TextOf(QWidget* w)
{
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line->text();
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        return spin->text();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    return {};
}

// Rejects the modal dialog the window opens, from the loop it runs.
void RejectNextDialog()
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

} // namespace

TEST(ClickAndType, AfterTheMoreBoxADialogAndASheet_EachInputTakesTheKeysItIsClickedFor)
{
    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::Form1 form{testsupport::Quietly(&messages)};
    form.Form_Load();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    // The More box opened and a symbology picked from it...
    QComboBox* more = testsupport::Combo(form, "ComboMore");
    more->showPopup();
    more->hidePopup();
    const int qr = more->findText(QStringLiteral("QR Code"));
    more->setCurrentIndex(qr);
    emit more->activated(qr);
    // ...a dialog opened and closed, and a sheet layout chosen.
    RejectNextDialog();
    testsupport::Action(form, "NewLayout")->trigger();
    testsupport::Combo(form, "ComboLayout")->setCurrentText(QStringLiteral("Avery L7160"));
    testsupport::Combo(form, "ComboSizeKind")->setCurrentIndex(1); // a module: its field takes a length
    form.activateWindow(); // as the window manager does once the dialog is gone
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    const auto line = [](const char* n) { return [n](const ui::Form1& f) -> QWidget* { return testsupport::Line(f, n); }; };
    const auto spin = [](const char* n) { return [n](const ui::Form1& f) -> QWidget* { return testsupport::Spin(f, n); }; };
    const Input inputs[] = {
        {"the barcode text", line("Text1")},   {"the line pattern", line("Text4")}, {"the file path", line("Text5")},
        {"the font size", line("Text8")},      {"the height", line("Text3")},       {"the print size", line("TextPrintSize")},
        {"the copies", spin("SpinCopies")},    {"From", line("Text21")},            {"To", line("Text22")},
        {"Left", line("Text14")},              {"Top", line("Text15")},             {"Start at", spin("SpinStart")},
        {"the printer", [](const ui::Form1& f) -> QWidget* { return testsupport::Combo(f, "Combo1"); }},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.name);
        QWidget* target = input.find(form);
        ASSERT_TRUE(target->isEnabled() && target->isVisible());
        std::vector<QString> before;
        for (const Input& i : inputs)
            before.push_back(TextOf(i.find(form)));
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(focus == target || target->isAncestorOf(focus)) << "the focus is in " << focus->objectName().toStdString();
        QTest::keyClick(focus, Qt::Key_End); // "7" after a spin box's "1" is a number it takes
        QTest::keyClick(focus, Qt::Key_7);
        QApplication::processEvents();
        for (size_t k = 0; k < std::size(inputs); ++k) {
            QWidget* w = inputs[k].find(form);
            if (w == target) {
                EXPECT_TRUE(TextOf(w).contains(QLatin1Char('7'))) << "now " << TextOf(w).toStdString();
            } else {
                EXPECT_EQ(TextOf(w), before[k]) << "the key went into " << inputs[k].name;
            }
        }
    }
    // Width means something for the pattern symbols only, and takes the keys there.
    EXPECT_FALSE(testsupport::Line(form, "Text9")->isEnabled()) << "QR Code has no use for it";
    testsupport::Radio(form, "Option5")->setChecked(true);
    QLineEdit* width = testsupport::Line(form, "Text9");
    ASSERT_TRUE(width->isEnabled());
    QTest::mouseClick(width, Qt::LeftButton, {}, width->rect().center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_7);
    EXPECT_TRUE(width->text().contains(QLatin1Char('7'))) << width->text().toStdString();
}
