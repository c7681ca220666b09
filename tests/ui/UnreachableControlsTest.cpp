// What the window shows is what can be used: no control is cut off by its
// frame, and one that were would take neither a click nor the focus from
// Tab.
#include "services/Messages.h"
#include "tests/support/TempConfig.h"
#include "tests/support/Window.h"
#include "ui/Form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <gtest/gtest.h>

TEST(UnreachableControls, ControlsOutsideTheirFrames_TakeNoClickAndNoTab)
{
    testsupport::TempConfig config;
    services::RecordingSink messages;
    ui::Form1 form{testsupport::Quietly(&messages)};
    form.Form_Load();
    form.show();
    QApplication::processEvents();
    const QWidget* drawings = testsupport::Find<QScrollArea>(form, "DrawingArea")->widget();
    int cutOff = 0;
    for (QWidget* w : form.centralWidget()->findChildren<QWidget*>()) {
        // The drawing surfaces scroll in their area: no controls.
        if (!w->isVisibleTo(&form) || !w->parentWidget() || w->parentWidget() == drawings)
            continue;
        const bool shown = w->parentWidget()->rect().contains(w->geometry().center());
        if (shown)
            continue;
        ++cutOff;
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->metaObject()->className() << " " << w->objectName().toStdString();
        EXPECT_TRUE(w->testAttribute(Qt::WA_TransparentForMouseEvents)) << w->metaObject()->className();
    }
    EXPECT_EQ(cutOff, 0) << "every control lies in its frame: the Code 128-1 option and the Width box as well";
    // Tab from the text box walks the focus chain and never stops on one.
    for (QWidget* w = testsupport::Line(form, "Text1")->nextInFocusChain(); w != testsupport::Line(form, "Text1"); w = w->nextInFocusChain())
        if (w->isVisibleTo(&form) && (w->focusPolicy() & Qt::TabFocus) && w->parentWidget()) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry().center()))
                << w->metaObject()->className() << " " << w->objectName().toStdString();
        }
}
