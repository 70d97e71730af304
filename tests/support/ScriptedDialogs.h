#pragma once

#include "common/Dialogs.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

namespace tarnvik::test {

// What a test answers to the next box.
struct Answer {
    enum Kind { Button, Text, Cancel, Choice };
    Kind kind = Button;
    MsgResult button = MsgResult::OK;
    QString text;
    int choice = 0;

    static Answer yes() { return {Button, MsgResult::Yes, {}, 0}; }
    static Answer no() { return {Button, MsgResult::No, {}, 0}; }
    static Answer retry() { return {Button, MsgResult::Retry, {}, 0}; }
    static Answer ignore() { return {Button, MsgResult::Ignore, {}, 0}; }
    static Answer cancel() { return {Cancel, MsgResult::Cancel, {}, 0}; }
    static Answer choose(int index) { return {Choice, MsgResult::OK, {}, index}; }
    static Answer file(const QString &path) { return {Text, MsgResult::OK, path, 0}; }
};

// One box that was shown.
struct Shown {
    enum Kind { Message, Input, OpenFile, SaveFile, Language };
    Kind kind = Message;
    QString text;  // message text, prompt, caption, or the languages offered joined by "|"
    int style = 0; // message style; for input boxes 1 when masked
    QString title; // title, or the file filter
};

// A dialog service for tests: answers from a script, records every box and never blocks. A box without a
// scripted answer takes its default (OK alone: OK) and, unless it has an OK button alone, counts in
// unanswered(). Installs itself on construction and removes itself on destruction.
class ScriptedDialogs : public DialogService {
public:
    ScriptedDialogs() { setDialogService(this); }
    ~ScriptedDialogs() override { releaseDialogService(this); }

    ScriptedDialogs &then(const Answer &answer) { return m_script.push_back(answer), *this; }
    ScriptedDialogs &thenYes() { return then(Answer::yes()); }
    ScriptedDialogs &thenNo() { return then(Answer::no()); }
    ScriptedDialogs &thenType(const QString &t) { return then({Answer::Text, MsgResult::OK, t, 0}); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList messages() const // texts of the message boxes, in order
    {
        QStringList texts;
        for (const Shown &s : m_shown)
            if (s.kind == Shown::Message)
                texts << s.text;
        return texts;
    }
    int unanswered() const { return m_unanswered; }
    int remaining() const { return int(m_script.size()); }
    QList<QUrl> openedUrls() const { return m_urls; }
    bool openUrlResult = true;
    // Runs while each message box is on screen, before it is answered.
    std::function<void(const QString &text)> whileMessageShown;
    void clear()
    {
        m_script.clear(), m_shown.clear(), m_urls.clear();
        m_unanswered = 0;
        m_progress = std::make_shared<QList<Progress>>();
    }

    MsgResult messageBox(const QString &text, int style, const QString &title) override
    {
        m_shown.append({Shown::Message, text, style, title});
        if (whileMessageShown)
            whileMessageShown(text);
        const int buttons = MsgStyle::buttons(style);
        if (!m_script.empty() && m_script.front().kind == Answer::Cancel)
            return m_script.pop_front(), MsgResult::Cancel;
        if (buttons == MsgStyle::OkOnly && (m_script.empty() || m_script.front().kind != Answer::Button))
            return MsgResult::OK;
        if (const std::optional<Answer> answer = take(Answer::Button))
            return answer->button;
        if (buttons == MsgStyle::YesNo || buttons == MsgStyle::YesNoCancel)
            return MsgStyle::defaultButton(style) == 1 ? MsgResult::No : MsgResult::Yes;
        if (buttons == MsgStyle::AbortRetryIgnore) {
            constexpr MsgResult order[] = {MsgResult::Abort, MsgResult::Retry, MsgResult::Ignore};
            return order[qMin(MsgStyle::defaultButton(style), 2)];
        }
        return MsgResult::OK;
    }
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText,
                                    bool masked) override
    {
        m_shown.append({Shown::Input, prompt, masked ? 1 : 0, title});
        const std::optional<Answer> answer = take(Answer::Text);
        if (!answer)
            return defaultText;
        return answer->kind == Answer::Cancel ? std::nullopt : std::optional(answer->text);
    }
    QString openFileName(const QString &caption, const QString &, const QString &filter) override
    {
        return fileName(Shown::OpenFile, caption, filter);
    }
    QString saveFileName(const QString &caption, const QString &proposed, const QString &filter) override
    {
        lastProposedName = proposed;
        return fileName(Shown::SaveFile, caption, filter);
    }
    QString lastProposedName; // the name a save dialog proposed
    int chooseLanguage(const QStringList &names) override
    {
        m_shown.append({Shown::Language, names.join(u'|'), 0, QString()});
        const std::optional<Answer> answer = take(Answer::Choice);
        return answer ? answer->choice : 0;
    }
    void beep() override {}
    // Runs as each file or address is handed to the desktop.
    std::function<void(const QUrl &url)> whileUrlOpened;
    bool openUrl(const QUrl &url) override
    {
        if (whileUrlOpened)
            whileUrlOpened(url);
        return m_urls << url, openUrlResult;
    }
    void setBusyCursor(bool busy) override { m_busy = busy; }
    bool busyCursor() const override { return m_busy; }
    // The long tasks whose progress was shown: labels, total, every value.
    struct Progress {
        QString label;
        int total = 0;
        int value = -1;
        bool cancellable = false;
        QList<int> values;
        QStringList labels;
        // The value shown when the task disabled its Cancel button (-1: never).
        int cancelDisabledAt = -1;
        bool cancelEnabled() const { return cancellable && cancelDisabledAt < 0; }
    };
    QList<Progress> progress() const { return *m_progress; }
    // Called at every value shown while Cancel can be pressed; true presses it.
    std::function<bool(const Progress &)> cancelWhen;
    std::unique_ptr<ProgressTask> startProgress(const QString &label, int total, bool cancellable) override
    {
        struct Recorded final : ProgressTask {
            std::shared_ptr<QList<Progress>> list;
            qsizetype index;
            std::function<bool(const Progress &)> cancelWhen;
            bool pressed = false;
            void setValue(int done) override
            {
                Progress &p = (*list)[index];
                p.values << (p.value = done);
                pressed = pressed || (p.cancelEnabled() && cancelWhen && cancelWhen(p));
            }
            void setLabel(const QString &label) override { (*list)[index].labels << label; }
            bool cancelled() const override { return pressed; }
            void disableCancel() override
            {
                Progress &p = (*list)[index];
                if (p.cancelDisabledAt < 0)
                    p.cancelDisabledAt = qMax(0, p.value);
            }
        };
        m_progress->append(Progress{label, total, -1, cancellable, {}, {label}});
        auto task = std::make_unique<Recorded>();
        task->list = m_progress;
        task->index = m_progress->size() - 1;
        task->cancelWhen = cancelWhen;
        return task;
    }
    [[noreturn]] void terminate(int exitCode) override { throw ProgramTerminated{exitCode}; }

private:
    // The next scripted answer when it is of that kind (a Cancel fits a text); none counts as unanswered.
    std::optional<Answer> take(Answer::Kind kind)
    {
        const bool fits =
            !m_script.empty() && (m_script.front().kind == kind ||
                                  (kind == Answer::Text && m_script.front().kind == Answer::Cancel));
        if (!fits)
            return ++m_unanswered, std::nullopt;
        const Answer next = m_script.front();
        m_script.pop_front();
        return next;
    }
    QString fileName(Shown::Kind kind, const QString &caption, const QString &filter)
    {
        m_shown.append({kind, caption, 0, filter});
        const std::optional<Answer> answer = take(Answer::Text);
        return answer && answer->kind == Answer::Text ? answer->text : QString();
    }

    std::deque<Answer> m_script;
    QList<Shown> m_shown;
    QList<QUrl> m_urls;
    std::shared_ptr<QList<Progress>> m_progress = std::make_shared<QList<Progress>>();
    int m_unanswered = 0;
    bool m_busy = false;
};

} // namespace tarnvik::test
