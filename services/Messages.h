// How the program shows a message: a sink that what runs is given. In the
// window a modal box with an OK button; in an unattended run a line on
// stderr, never a wait; in tests a recorder. What went wrong is told here;
// whether an action succeeded comes from its result, not from the messages
// it showed.
#pragma once

#include <QString>
#include <QStringList>

namespace services {

// The title of boxes that name none of their own.
QString AppTitle();

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Show(const QString& text, const QString& title) = 0;
    // A failure the window shows in its own way; by default not shown again.
    virtual void ShowFailure(const QString& text, const QString& title) { (void)text, (void)title; }

    // Shows a message.
    void MsgBox(const QString& text, const QString& title = AppTitle()) { Show(text, title); }
    // Shows a message that reports no failure of the action at hand (a
    // confirmation, a warning about something else).
    void ShowNotice(const QString& text, const QString& title = AppTitle()) { Show(text, title); }
    // Reports a failure that the window already shows in its own way (the
    // UPC drawer's message inside its picture): shown only where nothing
    // else shows it (stderr).
    void ReportFailure(const QString& text, const QString& title = AppTitle()) { ShowFailure(text, title); }
};

// The program's one writer of stderr: the text as the system's bytes (see
// ToLocalBytes) and a line end, flushed at once. False when not all of it
// was written.
bool WriteStderrLine(const QString& text);

// Writes "title: text" to stderr, one line per message line.
class StderrSink : public MessageSink {
public:
    void Show(const QString& text, const QString& title) override;
    void ShowFailure(const QString& text, const QString& title) override { Show(text, title); }
    // The line Show writes for a message (without its line end).
    static QString LineOf(const QString& text, const QString& title);
};

// Keeps every message, for tests.
class RecordingSink : public MessageSink {
public:
    void Show(const QString& text, const QString& title) override
    {
        texts.append(text);
        titles.append(title);
    }
    void ShowFailure(const QString& text, const QString&) override { failures.append(text); }
    QStringList texts;
    QStringList titles;
    QStringList failures; // reported through ReportFailure
};

} // namespace services
