#include "localisation/ProfileReader.h"

#include <QSet>

namespace tarnvik {

namespace {

bool isProfileSpace(QChar c)
{
    switch (c.unicode()) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case 0x1A: // Ctrl-Z, the old end-of-file mark
        return true;
    default:
        return false;
    }
}

QStringView trimmed(QStringView s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && isProfileSpace(s[from]))
        ++from;
    while (to > from && isProfileSpace(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}

} // namespace

ProfileReader::ProfileReader(QStringView text)
{
    // Sections seen so far, also those skipped as repeats.
    QSet<QString> seen;
    QHash<QString, Entry> *current = nullptr;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        const QStringView line = trimmed(text.mid(start, end - start));
        start = end + 1;
        if (line.isEmpty())
            continue;
        if (line.front() == QLatin1Char('[')) {
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            if (close > 0) {
                const QString name = line.mid(1, close - 1).toString().toLower();
                if (seen.contains(name)) {
                    current = nullptr;
                } else {
                    seen.insert(name);
                    current = &m_sections[name];
                }
                continue;
            }
        }
        if (!current)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        Entry entry;
        QString key;
        if (equals < 0) {
            key = line.toString().toLower();
        } else {
            key = trimmed(line.left(equals)).toString().toLower();
            entry.hasValue = true;
            entry.value = trimmed(line.mid(equals + 1)).toString();
        }
        if (!current->contains(key))
            current->insert(key, entry);
    }
}

QString ProfileReader::value(const QString &section, const QString &key, const QString &defaultValue,
                             int bufferSize) const
{
    QString result = defaultValue;
    const auto s = m_sections.constFind(section.toLower());
    if (s != m_sections.constEnd()) {
        const auto k = s->constFind(key.toLower());
        if (k != s->constEnd() && k->hasValue) {
            result = k->value;
            const qsizetype nul = result.indexOf(QChar(0));
            if (nul >= 0)
                result.truncate(nul);
            if (result.size() >= 2 &&
                (result.front() == QLatin1Char('"') || result.front() == QLatin1Char('\'')) &&
                result.back() == result.front())
                result = result.mid(1, result.size() - 2);
        }
    }
    if (bufferSize < 1)
        return QString();
    if (result.size() > bufferSize - 1)
        result.truncate(bufferSize - 1);
    return result;
}

} // namespace tarnvik
