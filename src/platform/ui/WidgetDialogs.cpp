#include "platform/ui/WidgetDialogs.h"

#include "common/ProgramState.h"
#include "localisation/LOCRTSModule.h"
#include "localisation/frmLOC_RTS.h"
#include "platform/ui/MaskedLineEdit.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStandardPaths>

#include <cstdlib>

namespace tarnvik {

namespace {

QWidget *activeParent()
{
    QWidget *w = QApplication::activeModalWidget();
    return w ? w : QApplication::activeWindow();
}

// A window with a bar (and a Cancel button when the task can stop), modal
// to the whole program while the task runs: each step lets it repaint and
// take the user's clicks, even when the bar does not move (a click made
// while the program was busy is then seen at the task's next check). The
// window belongs to the window that was active; should that one go, the
// window goes with it and the task carries on without. Once the task can no
// longer stop, its Cancel button (and the Escape key, and closing the
// window) no longer cancel it, and the button says so by being disabled.
class ProgressWindow final : public ProgressTask {
public:
    ProgressWindow(const QString &label, int total, bool cancellable)
        : m_dialog(new QProgressDialog(label, cancellable ? LOC_RTString(1842) : QString(), 0, qMax(1, total),
                                       activeParent())),
          m_cancellable(cancellable)
    {
        if (cancellable)
            QObject::connect(m_dialog.data(), &QProgressDialog::canceled, m_dialog.data(), [this] {
                if (m_cancellable)
                    m_cancelled = true;
            });
        m_dialog->setWindowTitle(QString::fromLatin1(ProgramTitle));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(380);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->show();
        QApplication::processEvents();
    }
    ~ProgressWindow() override { delete m_dialog; }
    void setValue(int done) override
    {
        if (!m_dialog)
            return;
        const int value = qBound(0, done, m_dialog->maximum());
        if (value != m_dialog->value()) {
            m_dialog->setValue(value); // repaints and lets the events through
        } else if (!m_processing) {
            const QScopedValueRollback<bool> once(m_processing, true);
            QApplication::processEvents();
        }
    }
    void setLabel(const QString &label) override
    {
        if (m_dialog)
            m_dialog->setLabelText(label);
    }
    bool cancelled() const override { return m_cancelled; }
    void disableCancel() override
    {
        m_cancellable = false;
        if (!m_dialog)
            return;
        for (QPushButton *button : m_dialog->findChildren<QPushButton *>())
            button->setEnabled(false);
        for (QShortcut *shortcut : m_dialog->findChildren<QShortcut *>())
            shortcut->setEnabled(false);
        m_dialog->installEventFilter(&m_keepOpen);
        m_dialog->repaint();
    }

private:
    // Keeps the window up while the task cannot stop: closing it, or
    // Escape (which would hide it), does nothing.
    struct KeepOpen final : QObject {
        bool eventFilter(QObject *, QEvent *event) override
        {
            const bool escape =
                event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
            if (event->type() != QEvent::Close && !escape)
                return false;
            event->ignore();
            return true;
        }
    };
    QPointer<QProgressDialog> m_dialog;
    bool m_cancellable;
    bool m_cancelled = false;
    bool m_processing = false;
    KeepOpen m_keepOpen;
};

} // namespace

std::unique_ptr<ProgressTask> WidgetDialogs::startProgress(const QString &label, int total, bool cancellable)
{
    return std::make_unique<ProgressWindow>(label, total, cancellable);
}

QString WidgetDialogs::shownText(const QString &text)
{
    // A box lays its whole text out before it shows: a text of a megabyte
    // (a damaged language file, a path pasted over and over) would hold the
    // station for seconds. No message needs more than a screenful.
    if (text.size() <= MaxShownCharacters)
        return text;
    qsizetype cut = MaxShownCharacters;
    if (text.at(cut - 1).isHighSurrogate())
        --cut; // never half a character
    return text.left(cut) + QChar(0x2026);
}

MsgResult WidgetDialogs::messageBox(const QString &text, int style, const QString &title)
{
    QMessageBox box(activeParent());
    box.setWindowTitle(shownText(title));
    box.setText(shownText(text));
    switch (MsgStyle::icon(style)) {
    case MsgStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgStyle::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgStyle::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgStyle::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    QList<QPair<QMessageBox::StandardButton, MsgResult>> buttons;
    switch (MsgStyle::buttons(style)) {
    case MsgStyle::OkCancel:
        buttons = {{QMessageBox::Ok, MsgResult::OK}, {QMessageBox::Cancel, MsgResult::Cancel}};
        break;
    case MsgStyle::AbortRetryIgnore:
        buttons = {{QMessageBox::Abort, MsgResult::Abort},
                   {QMessageBox::Retry, MsgResult::Retry},
                   {QMessageBox::Ignore, MsgResult::Ignore}};
        break;
    case MsgStyle::YesNoCancel:
        buttons = {{QMessageBox::Yes, MsgResult::Yes},
                   {QMessageBox::No, MsgResult::No},
                   {QMessageBox::Cancel, MsgResult::Cancel}};
        break;
    case MsgStyle::YesNo:
        buttons = {{QMessageBox::Yes, MsgResult::Yes}, {QMessageBox::No, MsgResult::No}};
        break;
    case MsgStyle::RetryCancel:
        buttons = {{QMessageBox::Retry, MsgResult::Retry}, {QMessageBox::Cancel, MsgResult::Cancel}};
        break;
    default:
        buttons = {{QMessageBox::Ok, MsgResult::OK}};
        break;
    }
    QMessageBox::StandardButtons set;
    for (const auto &b : buttons)
        set |= b.first;
    box.setStandardButtons(set);
    const int defaultIndex = qMin(MsgStyle::defaultButton(style), int(buttons.size()) - 1);
    box.setDefaultButton(buttons[defaultIndex].first);
    const bool wasBusy = m_busy;
    if (wasBusy)
        QGuiApplication::restoreOverrideCursor();
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    if (wasBusy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    for (const auto &b : buttons) {
        if (b.first == pressed)
            return b.second;
    }
    // Closed with Escape or the close box: the cancelling button.
    return buttons.size() == 1 ? MsgResult::OK : buttons.last().second;
}

std::optional<QString> WidgetDialogs::inputBox(const QString &prompt, const QString &title,
                                               const QString &defaultText, bool masked)
{
    QInputDialog box(activeParent());
    box.setWindowTitle(shownText(title));
    box.setLabelText(shownText(prompt));
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(defaultText);
    // A masked box shows one "*" per character, as the station's number box does.
    if (masked) {
        if (auto *field = box.findChild<QLineEdit *>())
            MaskedLineEdit::mask(field, QLatin1Char('*'));
    }
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

namespace {

// The dialogs open to anyone at the station (the report preview needs no
// password): they only choose a name. ReadOnly takes away renaming, deleting
// and making folders; Qt's own dialog is used because the desktop's may offer
// them whatever the option says. The new-folder entry of the dialog's context
// menu is turned off as well, not left to follow the button.
void makeReadOnly(QFileDialog &dialog)
{
    dialog.setOptions(QFileDialog::ReadOnly | QFileDialog::DontUseNativeDialog);
    for (QAction *action : dialog.findChildren<QAction *>()) {
        if (action->objectName() == QLatin1String("qt_new_folder_action"))
            action->setEnabled(false);
    }
}

} // namespace

QString WidgetDialogs::openFileName(const QString &caption, const QString &directory, const QString &filter)
{
    QFileDialog dialog(activeParent(), caption, directory, filter);
    makeReadOnly(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString WidgetDialogs::saveFileName(const QString &caption, const QString &directory, const QString &filter)
{
    // A name typed without an extension takes the filter's ("rapport"
    // becomes "rapport.txt").
    QFileDialog dialog(activeParent(), caption, saveStartPath(directory), filter);
    makeReadOnly(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    static const QRegularExpression firstPattern(QStringLiteral(R"(\*\.(\w+))"));
    const QRegularExpressionMatch suffix = firstPattern.match(filter);
    if (suffix.hasMatch())
        dialog.setDefaultSuffix(suffix.captured(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString WidgetDialogs::saveStartPath(const QString &proposed)
{
    // A name without a folder lands in the user's documents, not wherever
    // the program was started; with no documents folder yet, in the home
    // folder (a folder that does not exist would be taken for the name).
    if (!proposed.isEmpty() && !QFileInfo(proposed).isRelative())
        return proposed;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return proposed.isEmpty() ? folder : QDir(folder).filePath(proposed);
}

int WidgetDialogs::chooseLanguage(const QStringList &names)
{
    return frmLOC_RTS::choose(names);
}

void WidgetDialogs::beep()
{
    QApplication::beep();
}

bool WidgetDialogs::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void WidgetDialogs::setBusyCursor(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void WidgetDialogs::terminate(int exitCode)
{
    std::exit(exitCode);
}

} // namespace tarnvik
