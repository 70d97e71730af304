// Feeds arbitrary bytes to the language-file loader as the content of
// LANGUAGE.DAT. Whatever the bytes, the load must end either normally or
// through one of its own messages: no crash, no hang, no read outside the
// file, and a bounded number of boxes.

#include "common/Dialogs.h"
#include "localisation/LanguageLoader.h"

#include <cstddef>
#include <cstdint>

using namespace tarnvik;

namespace {

// Answers like a user who wants to get through: Ignore to every load error,
// OK to the fatal messages; ending the program leaves the load by an exception.
class FuzzDialogs final : public DialogService {
public:
    int boxes = 0;
    int choice = 0;

    MsgResult messageBox(const QString &text, int style, const QString &title) override
    {
        ++boxes;
        // Every box carries a text and one of the two titles of the load.
        if (text.isEmpty() || title.isEmpty())
            __builtin_trap();
        return MsgStyle::buttons(style) == MsgStyle::AbortRetryIgnore ? MsgResult::Ignore : MsgResult::OK;
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &, bool) override
    {
        __builtin_trap();
    }
    QString openFileName(const QString &, const QString &, const QString &) override { __builtin_trap(); }
    QString saveFileName(const QString &, const QString &, const QString &) override { __builtin_trap(); }
    int chooseLanguage(const QStringList &names) override
    {
        if (names.isEmpty())
            __builtin_trap();
        return choice < 0 ? int(names.size()) - 1 : choice;
    }
    void beep() override {}
    bool openUrl(const QUrl &) override { __builtin_trap(); }
    void setBusyCursor(bool busy) override { m_busy = busy; }
    bool busyCursor() const override { return m_busy; }
    [[noreturn]] void terminate(int exitCode) override { throw ProgramTerminated{exitCode}; }

private:
    bool m_busy = false;
};

// The settings row: what it holds and whether it can be reached.
class FuzzSetting final : public LanguageSetting {
public:
    QVariant stored;
    bool readFails = false;
    bool writeFails = false;

    LoadError read(QVariant *value) override
    {
        if (readFails)
            return {LoadErrorCode::DatabaseFailure, QStringLiteral("cannot read")};
        *value = stored;
        return {};
    }
    LoadError write(qint16 number) override
    {
        if (writeFails)
            return {LoadErrorCode::DatabaseFailure, QStringLiteral("cannot write")};
        stored = number;
        return {};
    }
};

struct Scenario {
    QVariant stored;
    bool readFails;
    bool writeFails;
    qint16 startLang;
    int choice; // -1: the last language offered
    const char *commandLine;
};

const Scenario kScenarios[] = {
    {QVariant(), false, false, 0, -1, ""},
    {QVariant(2), false, false, 0, 0, "/L=English /l=FRAN"},
    {QVariant(QStringLiteral("1.5")), true, true, 0, 0, "x /L= y"},
    {QVariant(QStringLiteral("abc")), false, true, 3, 0, "/L=Français"},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzDialogs dialogs;
    static const bool installed = (setDialogService(&dialogs), true);
    (void)installed;

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const Scenario &scenario : kScenarios) {
        LanguageFileInput input;
        input.path = QStringLiteral("/program/LANGUAGE.DAT");
        input.content = bytes;
        input.commandLine = QString::fromUtf8(scenario.commandLine);
        FuzzSetting setting;
        setting.stored = scenario.stored;
        setting.readFails = scenario.readFails;
        setting.writeFails = scenario.writeFails;
        dialogs.boxes = 0;
        dialogs.choice = scenario.choice;

        qint16 lang = scenario.startLang;
        QVector<QString> table;
        try {
            LanguageLoader(input, setting).run(lang, table);
        } catch (const ProgramTerminated &) {
        }
        // At most a few boxes for the header and one per line of the file.
        if (dialogs.boxes > qsizetype(size) + 64)
            __builtin_trap();
        if (table.size() > LanguageLoader::kMaxTableSize)
            __builtin_trap();
        qsizetype total = 0;
        for (const QString &text : table)
            total += text.size();
        // Texts come from the file and "~~" only grows into CR LF.
        if (total > qsizetype(size))
            __builtin_trap();
    }
    return 0;
}
