#include "localisation/LanguageLoader.h"

#include "common/Dialogs.h"
#include "common/ProgramState.h"
#include "common/Windows1252.h"
#include "localisation/LeadingNumber.h"

#include <QFile>
#include <QLocale>

#include <cstdlib>
#include <limits>

namespace tarnvik {

namespace {

const QString kHeaderSection = QStringLiteral("LOC");
// What the header reader returns for a missing key; a value reading "???"
// therefore counts as missing too.
const QString kMissing = QStringLiteral("???");
// The header reader's buffer, final NUL included: values keep 63 characters.
constexpr int kHeaderBuffer = 64;

LoadError overflow(const QString &what)
{
    return {LoadErrorCode::Overflow, QStringLiteral("Overflow: %1 is out of range").arg(what)};
}

// Blanks (spaces only) removed at both ends, as section lines are compared.
QStringView trimBlanks(QStringView s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && s[from] == QLatin1Char(' '))
        ++from;
    while (to > from && s[to - 1] == QLatin1Char(' '))
        --to;
    return s.mid(from, to - from);
}

// The stored language number as a 16-bit integer: numbers are rounded to the
// nearest whole number, a text must hold a number and nothing else.
LoadError storedNumber(const QVariant &value, qint16 *number)
{
    std::optional<double> numeric;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        numeric = value.toDouble();
        break;
    case QMetaType::QString: {
        bool ok = false;
        const double d = QLocale::c().toDouble(value.toString().trimmed(), &ok);
        if (ok)
            numeric = d;
        break;
    }
    default:
        break;
    }
    if (!numeric)
        return {LoadErrorCode::TypeMismatch,
                QStringLiteral("Type mismatch: the stored language \"%1\" is not a number")
                    .arg(value.toString())};
    const auto whole = toInt16(*numeric);
    if (!whole)
        return overflow(QStringLiteral("the stored language number %1").arg(value.toString()));
    *number = *whole;
    return {};
}

// Puts the mouse pointer back as the load found it, also when the load is
// left by an exception.
class PointerRestore {
public:
    PointerRestore() : m_busy(Dialogs().busyCursor()) {}
    ~PointerRestore() { Dialogs().setBusyCursor(m_busy); }
    PointerRestore(const PointerRestore &) = delete;
    PointerRestore &operator=(const PointerRestore &) = delete;

private:
    bool m_busy;
};

// Ends the program through the dialog service (tests make that an exception).
[[noreturn]] void endProgram()
{
    Dialogs().terminate(1);
    std::abort();
}

} // namespace

QString loadErrorText(const LoadError &error)
{
    const QString number =
        error.number < 0 ? QString::number(error.number) : QLatin1Char(' ') + QString::number(error.number);
    return error.description + QStringLiteral("(Code") + number + QLatin1Char(')');
}

LanguageLoader::LanguageLoader(const LanguageFileInput &input, LanguageSetting &setting)
    : m_input(input), m_setting(setting),
      m_text(input.content ? Windows1252::decode(*input.content) : QString()), m_header(m_text)
{
}

QString loadErrorBoxText(const LoadError &error, const QString &languageFile)
{
    const QString file = error.file.isEmpty() ? languageFile : error.file;
    if (file.isEmpty() || error.description.contains(file))
        return loadErrorText(error);
    return file + QStringLiteral(":\n") + loadErrorText(error);
}

bool runLoadStep(const std::function<LoadError()> &body, const QString &languageFile)
{
    for (;;) {
        const LoadError error = body();
        if (!error.failed())
            return true;
        // Ignore is the default: Enter goes on with the next step rather
        // than end the program.
        const MsgResult answer = Dialogs().messageBox(loadErrorBoxText(error, languageFile),
                                                      MsgStyle::AbortRetryIgnore | MsgStyle::Exclamation |
                                                          MsgStyle::DefaultButton3,
                                                      QString::fromLatin1(ProgramTitle));
        if (answer == MsgResult::Retry)
            continue;
        if (answer == MsgResult::Ignore)
            return false;
        endProgram();
    }
}

LoadError readLanguageFile(const QString &path, QByteArray *content)
{
    content->clear();
    const QString prefix = QStringLiteral("The language file %1 cannot be read: ").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {LoadErrorCode::PathFileAccess, prefix + file.errorString()};
    // Checked before anything is read: the file is never taken into memory whole.
    if (file.size() > kMaxLanguageFileSize)
        return {LoadErrorCode::PathFileAccess,
                prefix + QStringLiteral("it holds %1 bytes, more than the %2 bytes a language file may hold")
                             .arg(file.size())
                             .arg(kMaxLanguageFileSize)};
    QByteArray bytes = file.read(kMaxLanguageFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return {LoadErrorCode::PathFileAccess, prefix + file.errorString()};
    if (bytes.size() > kMaxLanguageFileSize)
        return {LoadErrorCode::PathFileAccess,
                prefix + QStringLiteral("it holds more than the %1 bytes a language file may hold")
                             .arg(kMaxLanguageFileSize)};
    *content = std::move(bytes);
    return {};
}

void languageFileNotFound(const QString &path)
{
    Dialogs().messageBox(QStringLiteral("Fatal Error: Language database file ") + path +
                             QStringLiteral(" not found."),
                         MsgStyle::Critical, QString::fromLatin1(ProgramTitle));
    endProgram();
}

void LanguageLoader::fatalMissing()
{
    Dialogs().messageBox(QStringLiteral("Fatal Error: Language database file ") + m_input.path +
                             QStringLiteral(" is missing critical information."),
                         MsgStyle::Critical, QString::fromLatin1(ProgramTitle));
    endProgram();
}

bool LanguageLoader::headerKey(const QString &key, QString *value) const
{
    *value = m_header.value(kHeaderSection, key, kMissing, kHeaderBuffer);
    return *value != kMissing;
}

QString LanguageLoader::readLine()
{
    const qsizetype start = m_pos;
    qsizetype end = start;
    while (end < m_text.size() && m_text[end] != QLatin1Char('\r') && m_text[end] != QLatin1Char('\n'))
        ++end;
    m_pos = end;
    if (m_pos < m_text.size()) {
        const bool crlf = m_text[m_pos] == QLatin1Char('\r') && m_pos + 1 < m_text.size() &&
                          m_text[m_pos + 1] == QLatin1Char('\n');
        m_pos += crlf ? 2 : 1;
    }
    return m_text.mid(start, end - start);
}

void LanguageLoader::run(qint16 &currentLang, QVector<QString> &table)
{
    const PointerRestore pointer;

    if (!m_input.content)
        languageFileNotFound(m_input.path);

    settleLanguage(currentLang);

    Dialogs().setBusyCursor(true);

    // The size of the table and the numbering of the lines.
    QString value;
    if (!headerKey(QStringLiteral("NumStrings"), &value))
        fatalMissing();
    step([&] {
        const auto n = toInt32(leadingNumber(value));
        if (!n)
            return overflow(QStringLiteral("NumStrings"));
        m_numStrings = *n;
        return LoadError();
    });
    const auto optionalKey = [&](const QString &key, qint32 missing, qint32 *target) {
        if (!headerKey(key, &value)) {
            *target = missing;
            return;
        }
        step([&] {
            const auto n = toInt32(leadingNumber(value));
            if (!n)
                return overflow(key);
            *target = *n;
            return LoadError();
        });
    };
    optionalKey(QStringLiteral("StringIndexBase"), 0, &m_base);
    optionalKey(QStringLiteral("StringIndexStep"), 1, &m_step);
    const bool tableMade = step([&] {
        const qint64 last = qint64(m_base) + qint64(m_numStrings) * qint64(m_step);
        if (last > std::numeric_limits<qint32>::max() || last < std::numeric_limits<qint32>::min())
            return overflow(QStringLiteral("the last string number"));
        if (last < 0)
            return LoadError{
                LoadErrorCode::SubscriptOutOfRange,
                QStringLiteral("Subscript out of range: the last string number %1 is below 0").arg(last)};
        if (last + 1 > kMaxTableSize)
            return LoadError{
                LoadErrorCode::OutOfMemory,
                QStringLiteral("Out of memory: a table of %1 strings is too large").arg(last + 1)};
        table = QVector<QString>(qsizetype(last + 1));
        return LoadError();
    });
    // Without a table of the size the header asks for, every string line
    // would fail on its own: one box is enough.
    if (!tableMade)
        return;

    findSection(currentLang);
    readStrings(table);
}

void LanguageLoader::settleLanguage(qint16 &currentLang)
{
    QString value;
    if (!headerKey(QStringLiteral("NumLanguages"), &value))
        fatalMissing();
    qint16 count = 0;
    step([&] {
        const auto n = toInt16(leadingNumber(value));
        if (!n)
            return overflow(QStringLiteral("NumLanguages"));
        count = *n;
        return LoadError();
    });
    // A file must offer at least one language to choose from.
    if (count < 1)
        fatalMissing();

    const QString &commandLine = m_input.commandLine;
    for (int i = 1; i <= count; ++i) {
        const QString key = QStringLiteral("Language") + QString::number(i);
        QString name;
        QString start;
        if (!headerKey(key, &name) || !headerKey(key + QStringLiteral("Start"), &start))
            fatalMissing();
        m_names << name;
        m_starts << start;
        // The latest language of the file whose name follows a "/L=" wins.
        if (commandLine.contains(QStringLiteral("/L=") + name, Qt::CaseInsensitive))
            currentLang = qint16(i);
    }

    // A number stored in the settings row overrides the command line.
    step([&] {
        QVariant stored;
        const LoadError error = m_setting.read(&stored);
        if (error.failed())
            return error;
        if (stored.isNull() || (stored.typeId() == QMetaType::QString && stored.toString().isEmpty()))
            return LoadError();
        return storedNumber(stored, &currentLang);
    });

    if (count == 1)
        currentLang = 1;

    // A number that names none of the file's languages (a stored value out of
    // range, or a file with fewer languages than before): the user is told,
    // then asked, as at the first start, and the choice replaces it.
    // Retry shows the box again; Ignore goes on to the chooser.
    if (currentLang < 0 || currentLang > count) {
        const qint16 outside = currentLang;
        step([&] {
            return LoadError{LoadErrorCode::SubscriptOutOfRange,
                             QStringLiteral("Subscript out of range: language %1 is not between 1 and %2")
                                 .arg(outside)
                                 .arg(count)};
        });
        currentLang = 0;
    }

    if (currentLang == 0) {
        Dialogs().setBusyCursor(false);
        int choice = -1;
        while (choice < 0 || choice >= count)
            choice = Dialogs().chooseLanguage(m_names);
        currentLang = qint16(choice + 1);
        step([&] { return m_setting.write(currentLang); });
    }
}

void LanguageLoader::findSection(qint16 currentLang)
{
    const QString wanted = QLatin1Char('[') + m_names[currentLang - 1] + QLatin1Char(']');
    const QString &startText = m_starts[currentLang - 1];

    // First where the header says the section starts.
    QString line;
    step([&] {
        const auto start = toInt32(leadingNumber(startText));
        if (!start)
            return overflow(QStringLiteral("the position of section %1").arg(wanted));
        if (*start < 1)
            return LoadError{LoadErrorCode::BadRecordNumber,
                             QStringLiteral("Bad record number: section %1 cannot start at byte %2")
                                 .arg(wanted)
                                 .arg(*start)};
        if (*start - 1 >= m_text.size())
            return LoadError{LoadErrorCode::InputPastEndOfFile,
                             QStringLiteral("Input past end of file: section %1 would start at byte %2, "
                                            "after the end of the file")
                                 .arg(wanted)
                                 .arg(*start)};
        m_pos = *start - 1;
        line = readLine();
        return LoadError();
    });
    if (trimBlanks(line) == wanted)
        return;

    // The position is stale: search the whole file from the top. A section
    // line with nothing after it is as good as none.
    m_pos = 0;
    while (m_pos < m_text.size()) {
        if (trimBlanks(readLine()) == wanted)
            break;
    }
    if (m_pos >= m_text.size())
        fatalMissing();
}

void LanguageLoader::readStrings(QVector<QString> &table)
{
    const bool plainNumbering = m_base == 0 && m_step == 1;
    for (qint32 i = 0; i < m_numStrings; ++i) {
        QString line;
        const bool read = step([&] {
            if (m_pos >= m_text.size())
                return LoadError{LoadErrorCode::InputPastEndOfFile,
                                 QStringLiteral("Input past end of file: the file ends after %1 of its %2 "
                                                "string lines")
                                     .arg(i)
                                     .arg(m_numStrings)};
            line = readLine();
            return LoadError();
        });
        // Every later line would meet the same end of the file.
        if (!read)
            break;

        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            if (plainNumbering)
                fatalMissing();
            continue;
        }
        // The line's first character is not read; the number runs up to the "=".
        const QStringView numberText = equals > 1 ? QStringView(line).mid(1, equals - 1) : QStringView();
        qint32 number = 0;
        if (!step([&] {
                const auto n = toInt32(leadingNumber(numberText));
                if (!n)
                    return overflow(QStringLiteral("the string number %1").arg(numberText.toString()));
                number = *n;
                return LoadError();
            }))
            continue;

        QString text = line.mid(equals + 1);
        if (text.startsWith(QLatin1Char('"')))
            text.remove(0, 1);
        if (text.endsWith(QLatin1Char('"')))
            text.chop(1);
        text.replace(QStringLiteral("~~"), QStringLiteral("\r\n"));

        step([&] {
            if (number < 0 || number >= table.size())
                return LoadError{
                    LoadErrorCode::SubscriptOutOfRange,
                    QStringLiteral("Subscript out of range: string number %1 is not between 0 and %2")
                        .arg(number)
                        .arg(table.size() - 1)};
            table[number] = text;
            return LoadError();
        });
    }
}

} // namespace tarnvik
