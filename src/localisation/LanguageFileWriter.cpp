#include "localisation/LanguageFileWriter.h"

#include "common/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>
#include <vector>

namespace tarnvik {

namespace {

const QByteArray kLineEnd = "\r\n";

struct Language {
    QString name;
    QString LocalisedText::*text;
};

const std::vector<Language> &languages()
{
    static const std::vector<Language> list = {
        {QStringLiteral("Français"), &LocalisedText::french},
        {QStringLiteral("English"), &LocalisedText::english},
    };
    return list;
}

// The number field of a table line: decimal digits only.
std::optional<int> parseNumber(const QString &field)
{
    if (field.isEmpty() || field.size() > 5)
        return std::nullopt;
    int value = 0;
    for (QChar c : field) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// The character at `index` as "U+XXXX", a surrogate pair as its code point.
QString describeCharacter(const QString &text, qsizetype index)
{
    char32_t code = text.at(index).unicode();
    if (text.at(index).isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        code = QChar::surrogateToUcs4(text.at(index), text.at(index + 1));
    return QStringLiteral("U+") + QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

// Control characters would break the line structure of the file or be
// invisible in it; the code page's undefined bytes are no characters at all.
bool isWritable(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
        return false;
    return Windows1252::codeOf(c) >= 0;
}

} // namespace

bool LanguageFileWriter::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool LanguageFileWriter::addTable(const QByteArray &utf8Content, const QString &sourceName)
{
    QByteArray bytes = utf8Content;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString content = decoder.decode(bytes);
    if (decoder.hasError())
        return fail(QStringLiteral("%1: the table is not valid UTF-8").arg(sourceName));

    std::map<int, LocalisedText> added;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString where = QStringLiteral("%1:%2").arg(sourceName).arg(i + 1);

        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3) {
            return fail(QStringLiteral("%1: expected a number, a French text and an English text "
                                       "separated by tabs, found %2 field(s)")
                            .arg(where)
                            .arg(fields.size()));
        }
        const std::optional<int> number = parseNumber(fields.at(0));
        if (!number)
            return fail(QStringLiteral("%1: \"%2\" is not a string number").arg(where, fields.at(0)));
        if (*number < kIndexBase || *number > kHighestNumber || (*number - kIndexBase) % kIndexStep != 0) {
            return fail(QStringLiteral("%1: string number %2 must be an even number from %3 to %4")
                            .arg(where)
                            .arg(*number)
                            .arg(kIndexBase)
                            .arg(kHighestNumber));
        }
        const auto earlier = m_texts.find(*number);
        if (earlier != m_texts.end()) {
            return fail(QStringLiteral("%1: string %2 is already defined at %3")
                            .arg(where)
                            .arg(*number)
                            .arg(earlier->second.origin));
        }
        const auto earlierHere = added.find(*number);
        if (earlierHere != added.end()) {
            return fail(QStringLiteral("%1: string %2 is already defined at %3")
                            .arg(where)
                            .arg(*number)
                            .arg(earlierHere->second.origin));
        }
        added.emplace(*number, LocalisedText{fields.at(1), fields.at(2), where});
    }
    m_texts.merge(added);
    return true;
}

bool LanguageFileWriter::addFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return addTable(file.readAll(), QFileInfo(path).fileName());
}

QByteArray LanguageFileWriter::build()
{
    if (m_texts.empty()) {
        fail(QStringLiteral("no string is defined"));
        return {};
    }
    const int highest = m_texts.rbegin()->first;
    const int lineCount = (highest - kIndexBase) / kIndexStep + 1;

    // One section per language: its name line, then one line per number.
    std::vector<QByteArray> sections;
    for (const Language &language : languages()) {
        QByteArray section = "[" + Windows1252::encode(language.name) + "]" + kLineEnd;
        for (int number = kIndexBase; number <= highest; number += kIndexStep) {
            QString text;
            const auto found = m_texts.find(number);
            if (found != m_texts.end()) {
                text = found->second.*language.text;
                for (qsizetype i = 0; i < text.size(); ++i) {
                    if (!isWritable(text.at(i))) {
                        fail(QStringLiteral("%1: the %2 text of string %3 holds %4, which cannot be "
                                            "written in the Windows-1252 language file")
                                 .arg(found->second.origin, language.name)
                                 .arg(number)
                                 .arg(describeCharacter(text, i)));
                        return {};
                    }
                }
            }
            section += " " + QByteArray::number(number) + "=\"" + Windows1252::encode(text) + "\"" + kLineEnd;
        }
        sections.push_back(section);
    }

    // The header names the byte position of each section, and its own length
    // depends on how many digits those positions have: recompute until the
    // positions no longer change.
    std::vector<qsizetype> starts(sections.size(), 0);
    QByteArray header;
    for (;;) {
        header = "[LOC]" + kLineEnd;
        header += "NumLanguages=" + QByteArray::number(qsizetype(languages().size())) + kLineEnd;
        for (size_t i = 0; i < languages().size(); ++i) {
            const QByteArray key = "Language" + QByteArray::number(qsizetype(i + 1));
            header += key + "=" + Windows1252::encode(languages()[i].name) + kLineEnd;
            header += key + "Start=" + QByteArray::number(starts[i]) + kLineEnd;
        }
        header += "NumStrings=" + QByteArray::number(lineCount) + kLineEnd;
        header += "StringIndexBase=" + QByteArray::number(kIndexBase) + kLineEnd;
        header += "StringIndexStep=" + QByteArray::number(kIndexStep) + kLineEnd;
        header += kLineEnd;

        // Positions are 1-based; an empty line separates the sections.
        std::vector<qsizetype> computed;
        qsizetype position = header.size() + 1;
        for (const QByteArray &section : sections) {
            computed.push_back(position);
            position += section.size() + kLineEnd.size();
        }
        if (computed == starts)
            break;
        starts = computed;
    }

    QByteArray file = header;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0)
            file += kLineEnd;
        file += sections[i];
    }
    m_error.clear();
    return file;
}

QStringList LanguageFileWriter::tableFiles(const QString &mainTable)
{
    const QFileInfo main(mainTable);
    QStringList files{main.absoluteFilePath()};
    const QDir folder = main.absoluteDir();
    const QStringList others =
        folder.entryList({QStringLiteral("strings-*.tsv")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : others) {
        const QString path = folder.absoluteFilePath(name);
        if (path != files.first())
            files << path;
    }
    return files;
}

bool LanguageFileWriter::writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace tarnvik
