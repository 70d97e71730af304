#include "common/Dialogs.h"

#include "common/ProgramState.h"

#include <QList>

#include <cstdio>
#include <cstdlib>

namespace tarnvik {

namespace {

// Used when no window system service was installed (command-line tools):
// messages go to standard error and questions take their default answer.
class ConsoleDialogs final : public DialogService {
public:
    MsgResult messageBox(const QString &text, int style, const QString &title) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        switch (MsgStyle::buttons(style)) {
        case MsgStyle::YesNo:
        case MsgStyle::YesNoCancel:
            return MsgStyle::defaultButton(style) == 1 ? MsgResult::No : MsgResult::Yes;
        case MsgStyle::AbortRetryIgnore: {
            constexpr MsgResult order[] = {MsgResult::Abort, MsgResult::Retry, MsgResult::Ignore};
            return order[qMin(MsgStyle::defaultButton(style), 2)];
        }
        default:
            return MsgResult::OK;
        }
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &, bool) override
    {
        return std::nullopt;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    int chooseLanguage(const QStringList &) override { return 0; }
    void beep() override {}
    bool openUrl(const QUrl &) override { return false; }
    void setBusyCursor(bool busy) override { m_busy = busy; }
    bool busyCursor() const override { return m_busy; }
    [[noreturn]] void terminate(int exitCode) override { std::exit(exitCode); }

private:
    bool m_busy = false;
};

class NoProgress final : public ProgressTask {
public:
    void setValue(int) override {}
};

ConsoleDialogs g_console;
QList<DialogService *> g_stack;

} // namespace

std::unique_ptr<ProgressTask> DialogService::startProgress(const QString &, int, bool)
{
    return std::make_unique<NoProgress>();
}

DialogService &Dialogs()
{
    return g_stack.isEmpty() ? static_cast<DialogService &>(g_console) : *g_stack.last();
}

void setDialogService(DialogService *service)
{
    if (service)
        g_stack.append(service);
}

void releaseDialogService(DialogService *service)
{
    g_stack.removeAll(service);
}

MsgResult MsgBox(const QString &text, int style, const QString &title)
{
    return Dialogs().messageBox(text, style, title.isNull() ? QString(ProgramTitle) : title);
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText, bool masked)
{
    const auto answer =
        Dialogs().inputBox(prompt, title.isNull() ? QString(ProgramTitle) : title, defaultText, masked);
    return answer.value_or(QString());
}

} // namespace tarnvik
