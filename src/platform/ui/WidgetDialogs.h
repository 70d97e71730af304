#pragma once

#include "common/Dialogs.h"

namespace tarnvik {

// The dialog service of the running program: real message boxes, input
// boxes, file dialogs and the language chooser on the screen.
class WidgetDialogs final : public DialogService {
public:
    MsgResult messageBox(const QString &text, int style, const QString &title) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText,
                                    bool masked) override;
    QString openFileName(const QString &caption, const QString &directory, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &directory, const QString &filter) override;
    int chooseLanguage(const QStringList &names) override;
    void beep() override;
    bool openUrl(const QUrl &url) override;
    void setBusyCursor(bool busy) override;
    bool busyCursor() const override { return m_busy; }
    // Where a save dialog opens: the proposed name in the documents folder
    // (the home folder when there is none), or the proposed path itself.
    static QString saveStartPath(const QString &proposed);
    // The text a box shows: at most MaxShownCharacters, the rest cut off
    // with an ellipsis.
    static constexpr qsizetype MaxShownCharacters = 4000;
    static QString shownText(const QString &text);
    std::unique_ptr<ProgressTask> startProgress(const QString &label, int total, bool cancellable) override;
    [[noreturn]] void terminate(int exitCode) override;

private:
    bool m_busy = false;
};

} // namespace tarnvik
