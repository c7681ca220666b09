// The main window as its tests reach it: a control is found by its
// documented name ("Text1", "Command2", "Option4"), as a user finds it on
// screen, and never through the window's own members. The file chooser's
// controls, which share some names, are not the main window's.
#pragma once

#include "services/Messages.h"
#include "ui/Form1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>

namespace testsupport {

template <class T>
T* Find(const QWidget& window, const char* name)
{
    for (T* found : window.findChildren<T*>(QLatin1String(name))) {
        const QWidget* widget = qobject_cast<const QWidget*>(found);
        const QObject* owner = widget ? widget : found->parent();
        // A menu's action, or a widget of this window and not of a dialog over it.
        if (!widget || widget->window() == &window || qobject_cast<const QMenu*>(owner))
            return found;
    }
    // A name no control has is a test's mistake: said at once, not as a
    // crash on the null pointer later. (The fuzz targets use this too, so
    // no test framework here.)
    qFatal("the main window has no control named %s", name);
    return nullptr;
}

inline QLineEdit* Line(const QWidget& w, const char* name) { return Find<QLineEdit>(w, name); }
inline QPushButton* Button(const QWidget& w, const char* name) { return Find<QPushButton>(w, name); }
inline QRadioButton* Radio(const QWidget& w, const char* name) { return Find<QRadioButton>(w, name); }
inline QCheckBox* CheckBox(const QWidget& w, const char* name) { return Find<QCheckBox>(w, name); }
inline QComboBox* Combo(const QWidget& w, const char* name) { return Find<QComboBox>(w, name); }
inline QLabel* Label(const QWidget& w, const char* name) { return Find<QLabel>(w, name); }
inline QSpinBox* Spin(const QWidget& w, const char* name) { return Find<QSpinBox>(w, name); }
inline QAction* Action(const QWidget& w, const char* name) { return Find<QAction>(w, name); }

// What a window under test is given: its messages go to `messages`, or to
// stderr when the test does not keep them (a test never waits on a box).
inline ui::WindowContext Quietly(services::MessageSink* messages = nullptr)
{
    static services::StderrSink stderrSink;
    ui::WindowContext context;
    context.messages = messages ? messages : &stderrSink;
    return context;
}

} // namespace testsupport
