#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

namespace tarnvik {

// Message-box styles: the sum of a button set, an icon and a default button.
namespace MsgStyle {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int AbortRetryIgnore = 2;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int DefaultButton2 = 256;
constexpr int DefaultButton3 = 512;

constexpr int buttons(int style)
{
    return style & 0x7;
}
constexpr int icon(int style)
{
    return style & 0x70;
}
// 0-based index of the default button.
constexpr int defaultButton(int style)
{
    return (style & 0x300) >> 8;
}
} // namespace MsgStyle

// The button that closed a message box.
enum class MsgResult { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Thrown by a test's dialog service in place of ending the process.
struct ProgramTerminated {
    int exitCode;
};

// A long task's progress on the screen, shown until the object is destroyed.
class ProgressTask {
public:
    virtual ~ProgressTask() = default;
    // Steps done so far, out of the total given when the task started.
    virtual void setValue(int done) = 0;
    // What the task is doing now.
    virtual void setLabel(const QString &) {}
    // Whether the user asked to stop the task (a task started cancellable).
    virtual bool cancelled() const { return false; }
    // The task has come to a step that cannot be undone: its Cancel button
    // is disabled, so that a click is never taken and then ignored.
    virtual void disableCancel() {}
};

// Every modal question the program asks the user goes through one service:
// the widget implementation shows real boxes, the tests install one that
// answers from a script and records what was asked.
class DialogService {
public:
    virtual ~DialogService() = default;

    virtual MsgResult messageBox(const QString &text, int style, const QString &title) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<QString> inputBox(const QString &prompt, const QString &title,
                                            const QString &defaultText, bool masked) = 0;
    // Empty when cancelled. filter uses Qt's syntax: "Description (pattern)".
    virtual QString openFileName(const QString &caption, const QString &directory, const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &directory, const QString &filter) = 0;
    // The language chooser: returns the 0-based position of the chosen name.
    virtual int chooseLanguage(const QStringList &names) = 0;
    virtual void beep() = 0;
    // Hands a document, a mail address or a web address to the desktop.
    virtual bool openUrl(const QUrl &url) = 0;
    // The program-wide mouse pointer: busy (hourglass) or normal.
    virtual void setBusyCursor(bool busy) = 0;
    virtual bool busyCursor() const = 0;
    // Shows the progress of a long task of total steps (a window with a bar
    // in the widget service, modal to the whole program, with a Cancel
    // button when cancellable); nothing by default.
    virtual std::unique_ptr<ProgressTask> startProgress(const QString &label, int total,
                                                        bool cancellable = false);
    // Ends the program at once.
    [[noreturn]] virtual void terminate(int exitCode) = 0;
};

DialogService &Dialogs();
// Installs a service (not owned) on top of the current one; releasing it
// brings back the one that was current before.
void setDialogService(DialogService *service);
void releaseDialogService(DialogService *service);

// Shorthands with the usual defaults. InputBox returns the empty text on Cancel.
MsgResult MsgBox(const QString &text, int style = MsgStyle::OkOnly, const QString &title = QString());
QString InputBox(const QString &prompt, const QString &title = QString(),
                 const QString &defaultText = QString(), bool masked = false);

} // namespace tarnvik
