#include "support/ScriptedDialogs.h"

namespace tarnvik::test {

ScriptedDialogs::ScriptedDialogs()
{
    setDialogService(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    releaseDialogService(this);
}

void ScriptedDialogs::clear()
{
    m_script.clear();
    m_shown.clear();
    m_urls.clear();
    m_unanswered = 0;
    m_beeps = 0;
    m_progress = std::make_shared<QList<Progress>>();
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown &s : m_shown) {
        if (s.kind == Shown::Message)
            texts << s.text;
    }
    return texts;
}

bool ScriptedDialogs::take(Answer::Kind kind, Answer *answer)
{
    if (m_script.empty())
        return false;
    const Answer &next = m_script.front();
    const bool fits = next.kind == kind || (kind == Answer::Text && next.kind == Answer::Cancel);
    if (!fits)
        return false;
    *answer = next;
    m_script.pop_front();
    return true;
}

MsgResult ScriptedDialogs::messageBox(const QString &text, int style, const QString &title)
{
    m_shown.append({Shown::Message, text, style, title, {}});
    if (whileMessageShown)
        whileMessageShown(text);
    Answer answer;
    if (take(Answer::Button, &answer))
        return answer.button;
    if (!m_script.empty() && m_script.front().kind == Answer::Cancel) {
        m_script.pop_front();
        return MsgResult::Cancel;
    }
    switch (MsgStyle::buttons(style)) {
    case MsgStyle::OkOnly:
        return MsgResult::OK;
    case MsgStyle::YesNo:
    case MsgStyle::YesNoCancel:
        ++m_unanswered;
        return MsgStyle::defaultButton(style) == 1 ? MsgResult::No : MsgResult::Yes;
    case MsgStyle::AbortRetryIgnore:
        ++m_unanswered;
        return MsgResult::Abort;
    default:
        ++m_unanswered;
        return MsgResult::OK;
    }
}

std::optional<QString> ScriptedDialogs::inputBox(const QString &prompt, const QString &title,
                                                 const QString &defaultText, bool masked)
{
    m_shown.append({Shown::Input, prompt, masked ? 1 : 0, title, {}});
    Answer answer;
    if (take(Answer::Text, &answer)) {
        if (answer.kind == Answer::Cancel)
            return std::nullopt;
        return answer.text;
    }
    ++m_unanswered;
    return defaultText;
}

QString ScriptedDialogs::openFileName(const QString &caption, const QString &, const QString &filter)
{
    m_shown.append({Shown::OpenFile, caption, 0, filter, {}});
    Answer answer;
    if (take(Answer::Text, &answer))
        return answer.kind == Answer::Cancel ? QString() : answer.text;
    ++m_unanswered;
    return QString();
}

QString ScriptedDialogs::saveFileName(const QString &caption, const QString &, const QString &filter)
{
    m_shown.append({Shown::SaveFile, caption, 0, filter, {}});
    Answer answer;
    if (take(Answer::Text, &answer))
        return answer.kind == Answer::Cancel ? QString() : answer.text;
    ++m_unanswered;
    return QString();
}

int ScriptedDialogs::chooseLanguage(const QStringList &names)
{
    m_shown.append({Shown::Language, QString(), 0, QString(), names});
    Answer answer;
    if (take(Answer::Choice, &answer))
        return answer.choice;
    ++m_unanswered;
    return 0;
}

namespace {
class RecordedProgress final : public ProgressTask {
public:
    RecordedProgress(std::shared_ptr<QList<ScriptedDialogs::Progress>> list, qsizetype index)
        : m_list(std::move(list)), m_index(index)
    {
    }
    void setValue(int done) override { (*m_list)[m_index].value = done; }

private:
    std::shared_ptr<QList<ScriptedDialogs::Progress>> m_list;
    qsizetype m_index;
};
} // namespace

std::unique_ptr<ProgressTask> ScriptedDialogs::startProgress(const QString &label, int total)
{
    m_progress->append(Progress{label, total, -1});
    return std::make_unique<RecordedProgress>(m_progress, m_progress->size() - 1);
}

} // namespace tarnvik::test
