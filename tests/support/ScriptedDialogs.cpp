#include "support/ScriptedDialogs.h"

namespace tarnvik::test {

void ScriptedDialogs::clear()
{
    m_script.clear(), m_shown.clear(), m_urls.clear();
    m_unanswered = m_beeps = 0;
    m_progress = std::make_shared<QList<Progress>>();
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown &s : m_shown)
        if (s.kind == Shown::Message)
            texts << s.text;
    return texts;
}

std::optional<Answer> ScriptedDialogs::take(Answer::Kind kind)
{
    if (m_script.empty() || (m_script.front().kind != kind &&
                             !(kind == Answer::Text && m_script.front().kind == Answer::Cancel))) {
        ++m_unanswered;
        return std::nullopt;
    }
    const Answer next = m_script.front();
    m_script.pop_front();
    return next;
}

MsgResult ScriptedDialogs::messageBox(const QString &text, int style, const QString &title)
{
    m_shown.append({Shown::Message, text, style, title, {}});
    if (whileMessageShown)
        whileMessageShown(text);
    if (!m_script.empty() && m_script.front().kind == Answer::Cancel)
        return m_script.pop_front(), MsgResult::Cancel;
    if (MsgStyle::buttons(style) == MsgStyle::OkOnly &&
        (m_script.empty() || m_script.front().kind != Answer::Button))
        return MsgResult::OK;
    if (const std::optional<Answer> answer = take(Answer::Button))
        return answer->button;
    if (MsgStyle::buttons(style) == MsgStyle::YesNo || MsgStyle::buttons(style) == MsgStyle::YesNoCancel)
        return MsgStyle::defaultButton(style) == 1 ? MsgResult::No : MsgResult::Yes;
    return MsgStyle::buttons(style) == MsgStyle::AbortRetryIgnore ? MsgResult::Abort : MsgResult::OK;
}

std::optional<QString> ScriptedDialogs::inputBox(const QString &prompt, const QString &title,
                                                 const QString &defaultText, bool masked)
{
    m_shown.append({Shown::Input, prompt, masked ? 1 : 0, title, {}});
    const std::optional<Answer> answer = take(Answer::Text);
    if (!answer)
        return defaultText;
    return answer->kind == Answer::Cancel ? std::nullopt : std::optional(answer->text);
}

QString ScriptedDialogs::fileName(Shown::Kind kind, const QString &caption, const QString &filter)
{
    m_shown.append({kind, caption, 0, filter, {}});
    const std::optional<Answer> answer = take(Answer::Text);
    return answer && answer->kind == Answer::Text ? answer->text : QString();
}

int ScriptedDialogs::chooseLanguage(const QStringList &names)
{
    m_shown.append({Shown::Language, QString(), 0, QString(), names});
    const std::optional<Answer> answer = take(Answer::Choice);
    return answer ? answer->choice : 0;
}

namespace {
struct RecordedProgress final : ProgressTask {
    explicit RecordedProgress(std::shared_ptr<QList<ScriptedDialogs::Progress>> list)
        : list(std::move(list)), index(this->list->size() - 1)
    {
    }
    void setValue(int done) override { (*list)[index].value = done; }
    std::shared_ptr<QList<ScriptedDialogs::Progress>> list;
    qsizetype index;
};
} // namespace

std::unique_ptr<ProgressTask> ScriptedDialogs::startProgress(const QString &label, int total)
{
    m_progress->append(Progress{label, total, -1});
    return std::make_unique<RecordedProgress>(m_progress);
}

} // namespace tarnvik::test
